// Windows for GUI tests: a plain top-level frame to host what a test shows,
// the message pump, screen pixels and screenshots under build/screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// A visible top-level window with the default window procedure.
class TestFrame {
public:
    TestFrame(int width = 640, int height = 480, const wchar_t* caption = L"Test frame");
    ~TestFrame();
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // Destroys the window now (the destructor then has nothing to do).
    void destroy();

private:
    HWND m_hwnd = nullptr;
};

// Handles every message waiting for this thread (sent ones included) and
// paints what is invalid.
void pumpMessages();

// The colour the screen shows at a point of a window's client area (after
// pending paints).
COLORREF screenPixel(HWND window, int x, int y);

// The colours of a rectangle of a window's client area, row by row.
std::vector<COLORREF> screenPixels(HWND window, const RECT& rect);

// Saves what the screen shows of the window as build/screenshots/<name>.png
// and prints the file's name to the test log; false when it could not.
bool saveScreenshot(HWND window, const std::wstring& name);

} // namespace harness
