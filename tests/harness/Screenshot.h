// Writes what the screen shows of a window to a PNG file.
#pragma once

#include <windows.h>
#include <string>

namespace harness {

bool saveWindowPng(HWND window, const std::wstring& path);

} // namespace harness
