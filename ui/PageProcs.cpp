#include "ui/PageProcs.h"
#include "ui/PageLink.h"

// The host pages have no dialogs of their own yet: every message takes the
// dialog manager's default handling, and no page dialog is ever made.
INT_PTR CALLBACK BasicPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR CALLBACK AdvancedPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
INT_PTR CALLBACK AuxiliaryPageProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

void DestroyPageDialogs(PAGE_LINK* link)
{
    if (!link)
        return;
    link->basicPage = nullptr;
    link->advancedPage = nullptr;
}

void DestroyDeviceDialog(CAuxiliaryDlg** dialog)
{
    if (dialog)
        *dialog = nullptr;
}
