#include "harness/Keys.h"

#include <commctrl.h>
#include <prsht.h>

namespace harness {

namespace {

bool dialogHandles(const KeyLoop& loop, MSG* msg)
{
    if (loop.sheet)
        return SendMessageW(loop.dialog, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg)) != FALSE;
    return IsDialogMessageW(loop.dialog, msg) != FALSE;
}

void handOn(const KeyLoop& loop, MSG msg)
{
    if (!dialogHandles(loop, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Runs the loop over what waits in the thread's queue.
void drain(const KeyLoop& loop)
{
    MSG msg;
    for (int round = 0; round < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++round)
        handOn(loop, msg);
}

// Without a focus, keys go to the active window.
HWND keyTarget() { return GetFocus() ? GetFocus() : GetActiveWindow(); }

MSG keyMessage(UINT message, UINT vk, bool up, bool alt)
{
    MSG msg = {};
    msg.hwnd = keyTarget();
    msg.message = message;
    msg.wParam = vk;
    msg.lParam = 1 | (LPARAM)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16;
    if (alt)
        msg.lParam |= KF_ALTDOWN << 16;
    if (up)
        msg.lParam |= (LPARAM)(KF_REPEAT | KF_UP) << 16;
    msg.time = GetTickCount();
    return msg;
}

// The control of a dialog that holds the window (a combo box for its edit).
HWND dialogControl(HWND window)
{
    for (HWND parent = GetParent(window); parent; window = parent, parent = GetParent(window)) {
        WCHAR name[16] = {};
        GetClassNameW(parent, name, 16);
        if (lstrcmpW(name, L"#32770") == 0)
            break;
    }
    return window;
}

} // namespace

void pressKey(const KeyLoop& loop, UINT vk, UINT modifiers)
{
    BYTE saved[256], held[256];
    GetKeyboardState(saved);
    memcpy(held, saved, sizeof held);
    const bool alt = (modifiers & KEY_ALT) != 0;
    if (modifiers & KEY_SHIFT)
        held[VK_SHIFT] = held[VK_LSHIFT] = 0x80;
    if (modifiers & KEY_CTRL)
        held[VK_CONTROL] = held[VK_LCONTROL] = 0x80;
    if (alt)
        held[VK_MENU] = held[VK_LMENU] = 0x80;
    held[vk] = 0x80;
    SetKeyboardState(held);
    handOn(loop, keyMessage(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, false, alt));
    drain(loop);
    held[vk] = 0;
    SetKeyboardState(held);
    handOn(loop, keyMessage(alt ? WM_SYSKEYUP : WM_KEYUP, vk, true, alt));
    drain(loop);
    SetKeyboardState(saved);
}

void typeText(const KeyLoop& loop, const wchar_t* text)
{
    for (const wchar_t* c = text; c && *c; ++c) {
        MSG msg = {};
        msg.hwnd = keyTarget();
        msg.message = WM_CHAR;
        msg.wParam = *c;
        msg.lParam = 1;
        handOn(loop, msg);
        drain(loop);
    }
}

std::vector<int> tabStops(const KeyLoop& loop, HWND within, bool backwards)
{
    std::vector<int> ids;
    const HWND start = GetFocus();
    if (start && IsChild(within, start))
        ids.push_back(GetDlgCtrlID(dialogControl(start)));
    for (int n = 0; n < 200; ++n) {
        pressKey(loop, VK_TAB, backwards ? KEY_SHIFT : 0);
        const HWND focus = GetFocus();
        if (!focus || focus == start)
            break;
        if (IsChild(within, focus))
            ids.push_back(GetDlgCtrlID(dialogControl(focus)));
    }
    return ids;
}

} // namespace harness
