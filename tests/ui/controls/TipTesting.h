// Helpers of the tooltip tests: the pointer as the tooltip sees it.
#pragma once

#include <windows.h>

#include "plugin/SystemSeams.h"

namespace tiptest {

// While it lives, the tooltip reads the pointer from `at`, and the real
// pointer stays parked away from every test window: moving the real one
// brings input of its own, later than the messages a test sends.
class FakePointer {
public:
    FakePointer()
    {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, 2);
        at = { 1000, 700 };
        g_seams.GetCursorPos = &Answer;
    }
    ~FakePointer() { g_seams.GetCursorPos = &::GetCursorPos; }
    FakePointer(const FakePointer&) = delete;
    FakePointer& operator=(const FakePointer&) = delete;

    static inline POINT at = {};

private:
    static BOOL WINAPI Answer(LPPOINT point)
    {
        *point = at;
        return TRUE;
    }
};

inline POINT centerOf(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return { (r.left + r.right) / 2, (r.top + r.bottom) / 2 };
}

} // namespace tiptest
