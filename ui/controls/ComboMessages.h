// The private messages of the drop-down paper list.
#pragma once

#include <windows.h>

// Sent by the list to its popup and by the popup to its owner, with lParam the
// address of the chosen paper's name (a CString, valid during the send); sent
// by the combo box to its popup with lParam 0 when its own selection changed.
// The popup answers 1; the owner answers 0, or E_FAIL for a name it lacks.
constexpr UINT WM_PAPER_CHOSEN = WM_USER + 103;
// Sent by the combo box to its popup: open it when hidden, close it when shown.
// Answers 0.
constexpr UINT WM_PAPER_POPUP_TOGGLE = WM_USER + 104;
