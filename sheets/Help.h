// Context help from the driver package's compiled help file.
#pragma once

#include <windows.h>

// The help context of a dialog template or control id (500 when the table has none).
DWORD GetHelpContext(UINT id);
// Opens the help file of the user's language at the topic of the id; the
// help viewer's window, or null when nothing was shown.
HWND ShowHelpTopic(UINT id);
