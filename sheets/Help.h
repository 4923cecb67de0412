// Context help from the driver package's compiled help file.
#pragma once

#include <windows.h>

// The help context of a dialog template or control id (500 when the table has none).
DWORD GetHelpContext(UINT id);
// Opens the help file of the user's language at the topic of the id; the
// help viewer's window, or null when nothing was shown.
HWND ShowHelpTopic(UINT id);

// The help viewer's HtmlHelpW (the system seam's default).
HWND WINAPI SystemHtmlHelpW(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);
// How the help viewer's module is loaded, replaceable by tests.
extern HMODULE(WINAPI* g_LoadHelpViewer)(LPCWSTR path, HANDLE file, DWORD flags);
