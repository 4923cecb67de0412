// Dialog procedures of the plug-in's property pages, named in the page tables.
#pragma once

#include <windows.h>
#include <prsht.h>

class CAuxiliaryDlg;
struct PAGE_LINK;

// Each answers 0 to every message: the system keeps its default handling (no
// default focus after WM_INITDIALOG, an accepted PSN_APPLY). The device
// page's apply and help act once its dialog exists.
INT_PTR CALLBACK BasicPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AuxiliaryPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// WM_INITDIALOG of the host page: keeps the sheet context (the page's lParam)
// in the page window's DWLP_USER slot and covers the page with its dialog,
// recorded in the sheet's PAGE_LINK.
void CreateBaseDlg(HWND page, PROPSHEETPAGEW* description);
void CreateAdvanceDlg(HWND page, PROPSHEETPAGEW* description);
// The same for the device page, whose dialog goes into the context's holder.
void CreateAuxiliaryDlg(HWND page, PROPSHEETPAGEW* description);

// PSN_APPLY: the page's settings from the private block into the public
// DEVMODE and, with the sheet's callback handle, into the driver's features;
// then CPSUI_OK through the sheet callback.
void ApplyBasicPage(HWND page);
void ApplyAdvancedPage(HWND page);

// Deletes the page dialogs a sheet's pages made (through their virtual
// destructors, which also destroy their windows) and clears the pointers.
void DestroyPageDialogs(PAGE_LINK* link);
void DestroyDeviceDialog(CAuxiliaryDlg** dialog);
