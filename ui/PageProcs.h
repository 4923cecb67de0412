// Dialog procedures of the plug-in's property pages, named in the page tables.
#pragma once

#include <windows.h>

class CAuxiliaryDlg;
struct PAGE_LINK;

INT_PTR CALLBACK BasicPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AuxiliaryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Deletes the page dialogs a sheet's pages made (through their virtual
// destructors, which also destroy their windows) and clears the pointers.
void DestroyPageDialogs(PAGE_LINK* link);
void DestroyDeviceDialog(CAuxiliaryDlg** dialog);
