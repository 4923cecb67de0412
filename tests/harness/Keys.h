// A user's keys, handed on as a dialog's message loop hands them: to the
// dialog manager first (IsDialogMessage, or a property sheet's
// PSM_ISDIALOGMESSAGE), else translated and dispatched to the focus.
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

// A key pressed and released where the focus is, the modifiers held in the
// thread's key state meanwhile (Alt makes it a system key); then what it
// posted (its character) through the same loop.
void pressKey(const KeyLoop& loop, UINT vk, UINT modifiers = 0);
// Characters typed where the focus is.
void typeText(const KeyLoop& loop, const wchar_t* text);

// The control ids the focus stops on inside `within` (a combo box for its
// edit): where it is, then one per Tab (Shift+Tab) until it is back there.
std::vector<int> tabStops(const KeyLoop& loop, HWND within, bool backwards = false);
// The same stops as Shift+Tab meets them.
std::vector<int> backwards(const std::vector<int>& stops);

} // namespace harness
