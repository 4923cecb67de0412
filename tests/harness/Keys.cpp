#include "harness/Keys.h"

#include <commctrl.h>
#include <prsht.h>

namespace harness {

namespace {

void handOn(const KeyLoop& loop, MSG msg)
{
    const BOOL taken = loop.sheet ? (BOOL)SendMessageW(loop.dialog, PSM_ISDIALOGMESSAGE, 0, (LPARAM)&msg)
                                  : IsDialogMessageW(loop.dialog, &msg);
    if (!taken) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void send(const KeyLoop& loop, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Without a focus, keys go to the active window.
    handOn(loop, MSG{ GetFocus() ? GetFocus() : GetActiveWindow(), message, wParam, lParam, GetTickCount() });
    MSG msg;
    for (int n = 0; n < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n)
        handOn(loop, msg);
}

} // namespace

void pressKey(const KeyLoop& loop, UINT vk, UINT modifiers)
{
    BYTE saved[256], held[256];
    GetKeyboardState(saved);
    memcpy(held, saved, sizeof held);
    const bool alt = (modifiers & KEY_ALT) != 0;
    for (auto [flag, key] : { std::pair{ KEY_SHIFT, VK_SHIFT }, { KEY_CTRL, VK_CONTROL }, { KEY_ALT, VK_MENU } })
        if (modifiers & flag)
            held[key] = 0x80;
    held[vk] = 0x80;
    SetKeyboardState(held);
    const LPARAM down = 1 | (LPARAM)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16 | (alt ? (LPARAM)KF_ALTDOWN << 16 : 0);
    send(loop, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down);
    held[vk] = 0;
    SetKeyboardState(held);
    send(loop, alt ? WM_SYSKEYUP : WM_KEYUP, vk, down | (LPARAM)(KF_REPEAT | KF_UP) << 16);
    SetKeyboardState(saved);
}

void typeText(const KeyLoop& loop, const wchar_t* text)
{
    for (const wchar_t* c = text; *c; ++c)
        send(loop, WM_CHAR, *c, 1);
}

std::vector<int> tabStops(const KeyLoop& loop, HWND within, bool backwards)
{
    auto id = [](HWND window) {
        WCHAR name[16] = {};
        while (GetClassNameW(GetParent(window), name, 16) && lstrcmpW(name, L"#32770") != 0)
            window = GetParent(window);
        return GetDlgCtrlID(window);
    };
    std::vector<int> ids;
    const HWND start = GetFocus();
    for (HWND focus = start; ids.size() < 100;) {
        if (IsChild(within, focus))
            ids.push_back(id(focus));
        pressKey(loop, VK_TAB, backwards ? KEY_SHIFT : 0);
        if ((focus = GetFocus()) == start || !focus)
            break;
    }
    return ids;
}

std::vector<int> backwards(const std::vector<int>& stops)
{
    if (stops.empty())
        return stops;
    std::vector<int> back = { stops.front() };
    back.insert(back.end(), stops.rbegin(), stops.rend() - 1);
    return back;
}

} // namespace harness
