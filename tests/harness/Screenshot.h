// Writes what the screen shows of a window to a PNG file.
#pragma once

#include <windows.h>
#include <string>

bool SaveWindowPng(HWND window, const std::wstring& path);
