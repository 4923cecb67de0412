#include "ui/PageProcs.h"
#include "res/resource.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "sheets/Help.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/AdvanceDlg.h"
#include "ui/AuxiliaryDlg.h"
#include "ui/BaseDlg.h"
#include "ui/PageLink.h"

namespace {

PROPSHEET_CONTEXT* ContextOf(HWND page)
{
    return reinterpret_cast<PROPSHEET_CONTEXT*>(GetWindowLongPtrW(page, DWLP_USER));
}

// Covers the host page with its dialog and records it in the page link; the
// link's busy flag is set while the dialog is made.
template <class Dialog>
void CreatePageDialog(HWND page, PROPSHEETPAGEW* description, UINT templateId, Dialog* PAGE_LINK::*slot)
{
    if (!description)
        return;
    auto* context = reinterpret_cast<PROPSHEET_CONTEXT*>(description->lParam);
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    CWnd* pageWnd = CWnd::FromHandle(page);
    // Without the sheet's page link nothing would ever delete the dialog.
    if (!pageWnd || !context || !context->pageLink)
        return;
    PAGE_LINK* link = context->pageLink;
    Dialog* dialog = new Dialog(context);   // zero-filled; null without memory
    link->*slot = dialog;
    link->busy = 1;
    if (dialog) {
        dialog->CreateFromModule(templateId, pageWnd, context->resources ? context->resources->module : nullptr);
        dialog->ShowWindow(SW_SHOW);
    }
    link->busy = 0;
}

// What an apply needs: the settings and both DEVMODEs.
bool CanApply(const PROPSHEET_CONTEXT* context)
{
    return context && context->settings && context->devmode && context->devmode->pPublic &&
           context->devmode->pPrivate;
}

// Both pages settle the input slot and the feed edge first, through the
// Basic page; the answer is the input slot the driver gets.
INT16 BeforeApply(PROPSHEET_CONTEXT* context)
{
    if (context->pageLink && context->pageLink->basicPage)
        return context->pageLink->basicPage->SelectTrayByInstallableInfo();
    return context->devmode->pPrivate->inputSlot;
}

// A number still being typed into a box counts as the box will show it.
void SettleNumber(CPicNumDlg* box)
{
    if (box && box->m_hWnd && box->m_pEdit && box->m_pEdit->m_hWnd)
        box->m_pEdit->Settle();
}

// A quick set chosen while the Advanced page was never made: that page's
// settings of the set reach the driver with the Basic page's.
bool AppliesQuickSetAlone(const PROPSHEET_CONTEXT* context)
{
    const PAGE_LINK* link = context->pageLink;
    return link && link->quickSetChosen && !link->advancedPage;
}

// The Advanced page's features from the block, in the driver's order; fine
// graphics, which no quick set holds, only when asked for.
void WriteAdvancedFeatures(CFeatureSettings* settings, const PRIVATE_DEVMODE* block, bool fineGraphics)
{
    settings->SetFeatureOption("Duplex", (WORD)block->duplex);
    settings->SetFeatureOption("%PagePerSheet", (WORD)block->pagesPerSheet);
    settings->SetFeatureOption("%Orientation", (WORD)block->orientation);
    settings->SetFeatureOption("JCLTonerMode", block->tonerSaving);
    settings->SetFeatureOption("JCLDensity", block->density);
    if (fineGraphics)
        settings->SetFeatureOption("JCLGraphFine", block->fineGraphics);
    settings->SetFeatureOption("JCLPrintQuality", (WORD)block->printQuality);
}

void ReportApplied(PROPSHEET_CONTEXT* context)
{
    if (context->pfnComPropSheet)
        context->pfnComPropSheet(context->hComPropSheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
}

// PSN_HELP: the page's topic once its dialog exists.
template <class Dialog>
void ShowPageHelp(HWND page, Dialog* PAGE_LINK::*slot, UINT topic)
{
    PROPSHEET_CONTEXT* context = ContextOf(page);
    if (context && context->pageLink && context->pageLink->*slot)
        ShowHelpTopic(topic);
}

} // namespace

void CreateBaseDlg(HWND page, PROPSHEETPAGEW* description)
{
    CreatePageDialog(page, description, IDD_BASIC_PAGE, &PAGE_LINK::basicPage);
}

void CreateAdvanceDlg(HWND page, PROPSHEETPAGEW* description)
{
    CreatePageDialog(page, description, IDD_ADVANCED_PAGE, &PAGE_LINK::advancedPage);
}

void ApplyBasicPage(HWND page)
{
    PROPSHEET_CONTEXT* context = ContextOf(page);
    if (!CanApply(context))
        return;
    if (context->pageLink && context->pageLink->basicPage)
        SettleNumber(context->pageLink->basicPage->m_pCopies);
    const INT16 inputSlot = BeforeApply(context);
    DEVMODEW* publicDm = context->devmode->pPublic;
    const PRIVATE_DEVMODE* block = context->devmode->pPrivate;
    publicDm->dmCopies = (short)LOWORD(block->copies);
    publicDm->dmCollate = (short)block->collate;
    const bool quickSetAlone = AppliesQuickSetAlone(context);
    if (quickSetAlone)
        publicDm->dmScale = (short)LOWORD(block->scale);
    if (!context->hComPropSheet)
        return;
    // Each write stands on its own: a refused one does not stop the others.
    CFeatureSettings* settings = context->settings;
    settings->PaperList().SelectPaper(block->paperId);
    settings->SetFeatureOption("JCLMediaType", (WORD)block->mediaType);
    settings->SetFeatureOption("JCLInputSlot", (WORD)inputSlot);
    settings->SetFeatureOption("JCLFeedEdge", (WORD)block->feedEdge);
    if (quickSetAlone)
        WriteAdvancedFeatures(settings, block, false);
    ReportApplied(context);
}

void ApplyAdvancedPage(HWND page)
{
    PROPSHEET_CONTEXT* context = ContextOf(page);
    if (!CanApply(context))
        return;
    if (context->pageLink && context->pageLink->advancedPage)
        SettleNumber(context->pageLink->advancedPage->m_pScale);
    BeforeApply(context);
    const PRIVATE_DEVMODE* block = context->devmode->pPrivate;
    context->devmode->pPublic->dmScale = (short)LOWORD(block->scale);
    if (!context->hComPropSheet)
        return;
    WriteAdvancedFeatures(context->settings, block, true);
    ReportApplied(context);
}

INT_PTR CALLBACK BasicPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    CAfxTempMapLock lock;
    if (message == WM_INITDIALOG) {
        CreateBaseDlg(page, reinterpret_cast<PROPSHEETPAGEW*>(lParam));
    } else if (message == WM_NOTIFY && lParam) {
        UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        if (code == (UINT)PSN_APPLY)
            ApplyBasicPage(page);
        else if (code == (UINT)PSN_HELP)
            ShowPageHelp(page, &PAGE_LINK::basicPage, IDD_BASIC_PAGE);
    }
    return 0;
}

INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    CAfxTempMapLock lock;
    if (message == WM_INITDIALOG) {
        CreateAdvanceDlg(page, reinterpret_cast<PROPSHEETPAGEW*>(lParam));
    } else if (message == WM_NOTIFY && lParam) {
        UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        if (code == (UINT)PSN_APPLY)
            ApplyAdvancedPage(page);
        else if (code == (UINT)PSN_HELP)
            ShowPageHelp(page, &PAGE_LINK::advancedPage, IDD_ADVANCED_PAGE);
    }
    return 0;
}

void CreateAuxiliaryDlg(HWND page, PROPSHEETPAGEW* description)
{
    if (!description)
        return;
    auto* context = reinterpret_cast<PROPSHEET_CONTEXT*>(description->lParam);
    SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    CWnd* pageWnd = CWnd::FromHandle(page);
    // Without the holder nothing would ever delete the dialog.
    if (!pageWnd || !context || !context->deviceDialog || context->deviceDialog->dialog)
        return;
    CAuxiliaryDlg* dialog = new CAuxiliaryDlg(context);   // zero-filled; null without memory
    context->deviceDialog->dialog = dialog;
    if (!dialog)
        return;
    dialog->CreateFromModule(IDD_DEVICE_PAGE, pageWnd, context->resources ? context->resources->module : nullptr);
    dialog->ShowWindow(SW_SHOW);
}

INT_PTR CALLBACK AuxiliaryPageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    CAfxTempMapLock lock;
    if (message == WM_INITDIALOG) {
        CreateAuxiliaryDlg(page, reinterpret_cast<PROPSHEETPAGEW*>(lParam));
    } else if (message == WM_NOTIFY && lParam) {
        PROPSHEET_CONTEXT* context = ContextOf(page);
        CAuxiliaryDlg* dialog = context && context->deviceDialog ? context->deviceDialog->dialog : nullptr;
        if (!dialog)
            return 0;
        UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        if (code == (UINT)PSN_APPLY)
            dialog->SaveSettings();
        else if (code == (UINT)PSN_HELP)
            ShowHelpTopic(IDD_DEVICE_PAGE);
    }
    return 0;
}

void DestroyPageDialogs(PAGE_LINK* link)
{
    if (!link)
        return;
    delete link->basicPage;
    link->basicPage = nullptr;
    delete link->advancedPage;
    link->advancedPage = nullptr;
}

void DestroyDeviceDialog(CAuxiliaryDlg** dialog)
{
    if (!dialog)
        return;
    delete *dialog;
    *dialog = nullptr;
}
