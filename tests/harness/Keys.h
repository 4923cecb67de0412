// A user's keys, handed on as a dialog's message loop hands them: first to the
// dialog manager (IsDialogMessage, or a property sheet's PSM_ISDIALOGMESSAGE,
// which also turns pages on Ctrl+Tab), else translated and dispatched to the
// focus. What the keys post (the characters) goes the same way.
#pragma once

#include <windows.h>

#include <vector>

namespace harness {

enum KeyModifier : UINT { KEY_SHIFT = 1, KEY_CTRL = 2, KEY_ALT = 4 };

// The loop a key goes through: a plain dialog's, or a property sheet's.
struct KeyLoop {
    HWND dialog;
    bool sheet;
};
inline KeyLoop dialogLoop(HWND dialog) { return { dialog, false }; }
inline KeyLoop sheetLoop(HWND sheet) { return { sheet, true }; }

// A key pressed and released where the focus is, with Shift, Ctrl or Alt
// held in the thread's key state meanwhile (Alt makes it a system key).
void pressKey(const KeyLoop& loop, UINT vk, UINT modifiers = 0);
// Characters typed where the focus is (each a WM_CHAR).
void typeText(const KeyLoop& loop, const wchar_t* text);

// The control ids the focus stops on inside `within`, from where the focus
// is, then one per Tab (Shift+Tab when backwards) until it is back there; the
// stops outside `within` (the sheet's own buttons) are left out, and a
// control's inner window (a combo box's edit) counts as the control.
std::vector<int> tabStops(const KeyLoop& loop, HWND within, bool backwards = false);

} // namespace harness
