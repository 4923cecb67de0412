#include "ui/PageLink.h"
#include "device/PrinterUtils.h"
#include "framework/Afx.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/ResourceModule.h"
#include "ui/AdvanceDlg.h"
#include "ui/BaseDlg.h"

#include <prsht.h>
#include <wchar.h>
#include <wctype.h>

namespace {

constexpr int kTextChars = 512;
constexpr int kMessageChars = 1024;
constexpr int kNameChars = 100;   // a captured quick-set name: at most 99 characters
const WCHAR kUninitialized[] = L"Uninitialized";
const WCHAR kRefusedChars[] = L"<>(),;?:|\\/'.\"*";

PRIVATE_DEVMODE* BlockOf(const PAGE_LINK* link)
{
    return link && link->devmode ? link->devmode->pPrivate : nullptr;
}

// A page counts once its dialog has a window.
CBaseDlg* BasicOf(const PAGE_LINK* link)
{
    return link && link->basicPage && link->basicPage->m_hWnd ? link->basicPage : nullptr;
}

CAdvanceDlg* AdvancedOf(const PAGE_LINK* link)
{
    return link && link->advancedPage && link->advancedPage->m_hWnd ? link->advancedPage : nullptr;
}

template <class Dialog>
bool HasWindow(const Dialog* dialog)
{
    return dialog && dialog->m_hWnd;
}

void LoadText(const PAGE_LINK* link, UINT id, WCHAR* text, int chars = kTextChars)
{
    text[0] = L'\0';
    if (link && link->resources && link->resources->module)
        LoadStringW(link->resources->module, id, text, chars);
}

// The text of a combo box's row; ComboBoxEx32 keeps its own texts.
CString RowText(HWND combo, int row)
{
    WCHAR text[kTextChars] = {};
    if (!combo || row < 0)
        return CString();
    WCHAR className[32] = {};
    GetClassNameW(combo, className, 32);
    if (lstrcmpiW(className, WC_COMBOBOXEXW) == 0) {
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = row;
        item.pszText = text;
        item.cchTextMax = kTextChars;
        if (!SendMessageW(combo, CBEM_GETITEMW, 0, (LPARAM)&item))
            return CString();
    } else {
        if (SendMessageW(combo, CB_GETLBTEXTLEN, (WPARAM)row, 0) >= kTextChars)
            return CString();
        if (SendMessageW(combo, CB_GETLBTEXT, (WPARAM)row, (LPARAM)text) == CB_ERR)
            return CString();
    }
    return CString(text);
}

// The chosen picture of a group: its index (-1 when none) and its label.
int GroupChoice(const CPicRadioDlg* group, CString* label)
{
    if (!HasWindow(group))
        return -1;
    WCHAR text[kNameChars] = {};
    group->GetCheckedText(text, kNameChars);
    if (label)
        *label = text;
    return group->GetCheck();
}

BOOL ReadNumber(const CPicNumDlg* box, int* value)
{
    if (!HasWindow(box))
        return FALSE;
    *value = (int)box->GetDlgItemInt((int)box->m_nEditID, nullptr, TRUE);
    return TRUE;
}

void SetSwitch(CAdvanceDlg* page, CPicSwitchButton& button, bool on)
{
    if (button.m_hWnd && (button.m_bOn != 0) != on)
        page->ShowSwitch(button, on);
}

void ShowPicture(CWnd& picture, bool show)
{
    if (picture.m_hWnd)
        ::ShowWindow(picture.m_hWnd, show ? SW_SHOW : SW_HIDE);
}

// A control disabled while it has the focus (a quick-set button that its own
// press disables) first hands the focus to the tab stop before it, as
// Shift+Tab would: a disabled window keeps no focus, and the keys would start
// again from the sheet's first control.
void EnableControl(CWnd* control, bool enable)
{
    if (!control || !control->m_hWnd)
        return;
    const HWND window = control->m_hWnd;
    const HWND focus = ::GetFocus();
    if (!enable && focus && (focus == window || ::IsChild(window, focus))) {
        const HWND root = ::GetAncestor(window, GA_ROOT);
        const HWND before = ::GetNextDlgTabItem(root, window, TRUE);
        if (before && before != window)
            ::SendMessageW(root, WM_NEXTDLGCTL, (WPARAM)before, TRUE);
    }
    ::EnableWindow(window, enable ? TRUE : FALSE);
}

// The conflict text of the control for the mask as the tip of the picture,
// when the page has that picture.
void ExplainPicture(const PAGE_LINK* link, CTipTools& tip, CWnd& picture, UINT controlId, DWORD mask)
{
    if (!picture.m_hWnd)
        return;
    WCHAR message[kMessageChars] = {};
    BuildConflictMessage(link->resources, controlId, mask, message);
    tip.AddTool(picture.m_hWnd, message);
}

// The feed edge the group shows for a private value: 0 or 1 as it is, any
// other value as picture 1.
int FeedEdgePicture(INT16 feedEdge) { return feedEdge == 0 ? 0 : 1; }

// A control that shows no choice (a combo box of a feature the PPD lacks, a
// group with no picture chosen) leaves the value taken from the block.
void CaptureRow(CComboBox& combo, bool byItemData, int* index, CString* name)
{
    const int row = combo.m_hWnd ? combo.GetCurSel() : -1;
    if (row < 0)
        return;
    *index = byItemData ? (int)(INT_PTR)combo.GetItemData(row) : row;
    if (name)
        *name = RowText(combo.m_hWnd, row);
}

void CaptureChoice(const CPicRadioDlg* group, int* index, CString* name)
{
    CString label;
    const int choice = GroupChoice(group, &label);
    if (choice < 0)
        return;
    *index = choice;
    *name = label;
}

void CaptureBasicPage(CBaseDlg* page, CFeatureSettings* settings, _QS_STRUCK* record)
{
    WCHAR name[kNameChars] = {};
    if (page->m_quickSets.m_hWnd)
        page->m_quickSets.GetWindowText(name, kNameChars);
    record->name = name;

    if (HasWindow(page->m_pPaperPopup)) {
        CComboList& list = page->m_pPaperPopup->m_list;
        int row = list.m_hWnd ? list.GetNextItem(-1, LVNI_SELECTED) : -1;
        const PAPER_INFO* paper = row >= 0 && settings ? settings->PaperList().GetPaper(row) : nullptr;
        if (paper)
            record->paper.sizeIndex = paper->id;
        // The name of the paper the list shows: the row chosen last, or the
        // row a recall or the page's start selected.
        record->paper.sizeName = row >= 0 ? list.GetItemText(row, 0) : list.m_strChosen;
    }
    CaptureRow(page->m_mediaType, false, &record->paper.mediaIndex, &record->paper.mediaName);
    CaptureRow(page->m_inputSlot, true, &record->paper.inputSlotIndex, &record->paper.inputSlotName);
    CaptureChoice(page->m_pFeedEdge, &record->paper.feedEdgeIndex, &record->paper.feedEdgeName);
    ReadNumber(page->m_pCopies, &record->copies);
    if (page->m_collate.m_hWnd)
        record->collate = page->m_collate.m_bOn != 0;
}

void CaptureAdvancedPage(CAdvanceDlg* page, _QS_STRUCK* record)
{
    CaptureChoice(page->m_pDuplex, &record->duplexIndex, &record->duplexName);
    CaptureRow(page->m_pagesPerSheet, false, &record->pagesPerSheet, nullptr);
    if (page->m_border.m_hWnd)
        record->pageBorder = page->m_border.m_bOn != 0;
    ReadNumber(page->m_pScale, &record->scale);
    CaptureChoice(page->m_pOrientation, &record->orientationIndex, &record->orientationName);
    if (page->m_rotate.m_hWnd)
        record->rotate180 = page->m_rotate.m_bOn != 0;
    CaptureChoice(page->m_pPrintQuality, &record->resolutionIndex, &record->resolutionName);
    if (page->m_tonerSaving.m_hWnd)
        record->tonerEconomy = page->m_tonerSaving.m_bOn != 0;
    if (page->m_density.m_hWnd)
        record->density = page->m_density.GetFrameValue();
}

void ApplyToBasicPage(const PAGE_LINK* link, CBaseDlg* page, const PRIVATE_DEVMODE* block)
{
    if (HasWindow(page->m_pPaperPopup) && link->settings) {
        int row = link->settings->PaperList().FindPaperById(block->paperId);
        CComboList& list = page->m_pPaperPopup->m_list;
        int selected = list.m_hWnd ? list.GetNextItem(-1, LVNI_SELECTED) : -1;
        if (selected != row)
            page->m_pPaperPopup->SelectItem(row);
    }
    if (page->m_mediaType.m_hWnd && page->m_mediaType.GetCurSel() != block->mediaType)
        page->m_mediaType.SetCurSel(block->mediaType);
    if (page->m_inputSlot.m_hWnd) {
        int row = page->m_inputSlot.GetCurSel();
        int slot = row >= 0 ? (int)(INT_PTR)page->m_inputSlot.GetItemData(row) : -1;
        if (slot != block->inputSlot)
            page->m_inputSlot.SetCurSel(GetComboIndexByData(&page->m_inputSlot, block->inputSlot));
    }
    if (HasWindow(page->m_pFeedEdge) && page->m_pFeedEdge->GetCheck() != block->feedEdge)
        page->m_pFeedEdge->SetCheck(block->feedEdge);
    if (HasWindow(page->m_pCopies))
        page->m_pCopies->SetDlgItemInt((int)page->m_pCopies->m_nEditID, (UINT)(int)(INT16)LOWORD(block->copies), TRUE);
    if (page->m_collate.m_hWnd && (page->m_collate.m_bOn != 0) != (block->collate == 1))
        page->ShowCollate(block->collate == 1);
}

void ApplyToAdvancedPage(CAdvanceDlg* page, const PRIVATE_DEVMODE* block)
{
    if (HasWindow(page->m_pDuplex) && page->m_pDuplex->GetCheck() != block->duplex)
        page->m_pDuplex->SetCheck(block->duplex);
    if (page->m_pagesPerSheet.m_hWnd && page->m_pagesPerSheet.GetCurSel() != block->pagesPerSheet)
        page->m_pagesPerSheet.SetCurSel(block->pagesPerSheet);
    SetSwitch(page, page->m_border, block->pageBorder != 0);
    if (HasWindow(page->m_pScale))
        page->m_pScale->SetDlgItemInt((int)page->m_pScale->m_nEditID, (UINT)page->ShownScale(), TRUE);
    if (HasWindow(page->m_pOrientation) && page->m_pOrientation->GetCheck() != block->orientation) {
        page->m_pOrientation->SetCheck(block->orientation);
        // The duplex pictures and the N-up icons follow the orientation.
        page->ShowOrientationPictures(block->orientation);
    }
    SetSwitch(page, page->m_rotate, block->rotate180 != 0);
    if (HasWindow(page->m_pPrintQuality) && page->m_pPrintQuality->GetCheck() != block->printQuality)
        page->m_pPrintQuality->SetCheck(block->printQuality);
    SetSwitch(page, page->m_tonerSaving, block->tonerSaving != 0);
    if (page->m_density.m_hWnd) {
        page->m_density.SetFrameByValue(block->density);
        page->m_density.EnableWindow(block->tonerSaving == 0);
        page->UpdateDensityTip(block->density);
    }
}

void ShowBasicIndicators(const PAGE_LINK* link, CBaseDlg* page, PRIVATE_DEVMODE* block)
{
    const CONSTRAINT_STATE& state = *link->constraints;

    const DWORD slotWord = state.word[CONSTRAINT_INPUT_SLOT];
    EnableControl(&page->m_inputSlot, slotWord == 0);
    ShowPicture(page->m_inputSlotWarn, slotWord != 0);
    if (slotWord) {
        block->inputSlot = 1;
        if (page->m_inputSlot.m_hWnd)
            page->m_inputSlot.SetCurSel(1);
        ExplainPicture(link, page->m_tip, page->m_inputSlotWarn, IDC_INPUT_SLOT, slotWord);
    }

    // Without the constraint the group shows the private feed edge, which the
    // apply takes from it; with the constraint it shows feed edge 0.
    const DWORD feedWord = state.word[CONSTRAINT_FEED_EDGE];
    if (HasWindow(page->m_pFeedEdge)) {
        page->m_pFeedEdge->SetCheck(feedWord ? 0 : FeedEdgePicture(block->feedEdge));
        page->m_pFeedEdge->EnableWindow(feedWord == 0);
    }
    ShowPicture(page->m_feedEdgeWarn, feedWord != 0);
    if (feedWord)
        ExplainPicture(link, page->m_tip, page->m_feedEdgeWarn, IDC_FEEDEDGE_FRAME, feedWord);

    const DWORD mediaWord = state.word[CONSTRAINT_MEDIA];
    EnableControl(&page->m_mediaType, mediaWord == 0);
    ShowPicture(page->m_mediaTypeWarn, mediaWord != 0);
    if (mediaWord)
        ExplainPicture(link, page->m_tip, page->m_mediaTypeWarn, IDC_MEDIA_TYPE, mediaWord);
}

void ShowAdvancedIndicators(const PAGE_LINK* link, CAdvanceDlg* page)
{
    const CONSTRAINT_STATE& state = *link->constraints;
    const DWORD duplexWord = state.word[CONSTRAINT_DUPLEX];
    const DWORD scaleWord = state.word[CONSTRAINT_SCALE];
    const DWORD densityWord = state.word[CONSTRAINT_DENSITY];

    if (HasWindow(page->m_pDuplex))
        page->m_pDuplex->EnableWindow(duplexWord == 0);
    ShowPicture(page->m_duplexWarn, duplexWord != 0);
    if (HasWindow(page->m_pScale))
        page->m_pScale->EnableWindow(scaleWord == 0);
    ShowPicture(page->m_scaleWarn, scaleWord != 0);
    EnableControl(&page->m_border, state.word[CONSTRAINT_PAGE_BORDER] == 0);
    ShowPicture(page->m_densityWarn, densityWord != 0);

    if (duplexWord)
        ExplainPicture(link, page->m_tip, page->m_duplexWarn, IDC_DUPLEX_FRAME, duplexWord);
    if (scaleWord)
        ExplainPicture(link, page->m_tip, page->m_scaleWarn, IDC_SCALE_EDIT, scaleWord);
    if (densityWord)
        ExplainPicture(link, page->m_tip, page->m_densityWarn, IDC_DENSITY, densityWord);
}

bool IsRefusedChar(WCHAR c) { return c && wcschr(kRefusedChars, c) != nullptr; }

// An option index of the feature, or the defaults' option when the PPD has no such option.
void ValidateOption(const CFeatureSettings* settings, const char* keyword, const DEFAULT_ITEM& fallback, int* index)
{
    if (*index < 0 || *index >= (int)settings->GetOptionCount(keyword))
        *index = (int)fallback.optionIndex;
}

void ValidateNumber(int least, int most, const DEFAULT_ITEM& fallback, int* value)
{
    if (*value < least || *value > most)
        *value = (int)fallback.value;
}

// The input slot's conflict text for the bit in the warning box.
void WarnInputSlot(const PAGE_LINK* link, UINT bit)
{
    WCHAR message[kMessageChars] = {};
    BuildConflictMessage(link->resources, IDC_INPUT_SLOT, bit, message);
    CBaseDlg* basic = BasicOf(link);
    ShowWarningBox(link->resources, basic ? basic->m_hWnd : nullptr, message);
}

} // namespace

void NotifyPageChanged(CWnd* dialog)
{
    if (!dialog || !dialog->GetSafeHwnd())
        return;
    HWND page = ::GetParent(dialog->GetSafeHwnd());
    HWND sheet = page ? ::GetParent(page) : nullptr;
    if (sheet)
        ::SendMessageW(sheet, PSM_CHANGED, (WPARAM)page, 0);
}

void CaptureQuickSetting(PAGE_LINK* link, _QS_STRUCK* record)
{
    if (!link || !record)
        return;
    if (const PRIVATE_DEVMODE* block = BlockOf(link)) {
        DEFAULT_SETTINGS defaults;
        LoadDefaultSettings(&defaults);
        record->id = (INT16)LOWORD(block->quickSetId);
        record->paper.sizeName = kUninitialized;
        record->paper.sizeIndex = block->paperId;
        record->paper.mediaName = kUninitialized;
        record->paper.mediaIndex = block->mediaType;
        record->paper.inputSlotName = kUninitialized;
        record->paper.inputSlotIndex = block->inputSlot;
        record->paper.feedEdgeName = kUninitialized;
        record->paper.feedEdgeIndex = block->feedEdge;
        record->copies = (INT16)LOWORD(block->copies);
        record->collate = block->collate == 1;
        record->duplexName = kUninitialized;
        record->duplexIndex = block->duplex;
        record->pagesPerSheet = block->pagesPerSheet;
        record->pageBorder = block->pageBorder != 0;
        const int scale = (INT16)LOWORD(block->scale);
        record->scale = scale >= 25 && scale <= 400 ? scale : (int)defaults.items[DEFAULT_SCALE].value;
        record->orientationName = kUninitialized;
        record->orientationIndex = block->orientation;
        record->rotate180 = block->rotate180 != 0;
        record->resolutionName = kUninitialized;
        record->resolutionIndex = block->printQuality;
        record->tonerEconomy = block->tonerSaving != 0;
        record->density = block->density <= 2 ? block->density : (int)defaults.items[DEFAULT_DENSITY].value;
    }
    if (CBaseDlg* basic = BasicOf(link))
        CaptureBasicPage(basic, link->settings, record);
    if (CAdvanceDlg* advanced = AdvancedOf(link))
        CaptureAdvancedPage(advanced, record);
}

CDocumentPaperWatch::CDocumentPaperWatch(PAGE_LINK* link) : m_link(link)
{
    const PRIVATE_DEVMODE* block = BlockOf(link);
    if (!block || !link->settings)
        return;
    const CPaperList& papers = link->settings->PaperList();
    m_paperId = block->paperId;
    if (const PAPER_INFO* paper = papers.GetPaper(papers.FindPaperById(m_paperId)))
        m_paper = *paper;
    m_customPapers.Copy(papers.CustomPapers());
}

void CDocumentPaperWatch::Follow()
{
    PRIVATE_DEVMODE* block = BlockOf(m_link);
    if (!block || !m_link->settings)
        return;
    const CPaperList& papers = m_link->settings->PaperList();
    const PAPER_INFO* paper = papers.GetPaper(papers.FindPaperById(block->paperId));
    const bool moved = block->paperId != m_paperId;
    const bool resized = paper ? !SamePaperSize(*paper, m_paper) : m_paper.name[0] != 0;
    CBaseDlg* basic = BasicOf(m_link);
    if (basic && (moved || !papers.HoldsCustomPapers(m_customPapers)))
        basic->FillPaperList();
    if (!moved && !resized)
        return;
    UpdateConstraintState(m_link);
    if (basic)
        basic->FollowPaperRules();
    else
        ShowConstraintIndicators(m_link);
    if (CWnd* page = basic ? static_cast<CWnd*>(basic) : AdvancedOf(m_link))
        NotifyPageChanged(page);
}

void ReadCustomPapersAgain(PAGE_LINK* link)
{
    if (!link || !link->settings)
        return;
    CDocumentPaperWatch watch(link);
    PRIVATE_DEVMODE* block = BlockOf(link);
    int paperId = block ? block->paperId : -1;
    link->settings->PaperList().ReloadCustomPapers(block ? &paperId : nullptr);
    if (block)
        block->paperId = (INT16)paperId;
    watch.Follow();
}

void ValidateQuickSetting(PAGE_LINK* link, HANDLE hPrinter, _QS_STRUCK* record)
{
    PRIVATE_DEVMODE* block = BlockOf(link);
    if (!block || !link->settings || !record)
        return;
    CFeatureSettings* settings = link->settings;
    CPaperList& papers = settings->PaperList();
    DEFAULT_SETTINGS defaults;
    LoadDefaultSettings(&defaults);
    const DEFAULT_ITEM* items = defaults.items;

    ValidateNumber(1, 999, items[DEFAULT_COPIES], &record->copies);
    ValidateNumber(25, 400, items[DEFAULT_SCALE], &record->scale);
    ValidateNumber(0, 2, items[DEFAULT_DENSITY], &record->density);
    ValidateOption(settings, "JCLMediaType", items[DEFAULT_MEDIA_TYPE], &record->paper.mediaIndex);
    ValidateOption(settings, "JCLInputSlot", items[DEFAULT_INPUT_SLOT], &record->paper.inputSlotIndex);
    ValidateOption(settings, "JCLFeedEdge", items[DEFAULT_FEED_EDGE], &record->paper.feedEdgeIndex);
    ValidateOption(settings, "Duplex", items[DEFAULT_DUPLEX], &record->duplexIndex);
    ValidateOption(settings, "%PagePerSheet", items[DEFAULT_PAGES_PER_SHEET], &record->pagesPerSheet);
    ValidateOption(settings, "%Orientation", items[DEFAULT_ORIENTATION], &record->orientationIndex);
    ValidateOption(settings, "JCLPrintQuality", items[DEFAULT_RESOLUTION], &record->resolutionIndex);
    ValidateOption(settings, "JCLDensity", items[DEFAULT_DENSITY], &record->density);

    // A paper gone: the paper the list shows for it (the locale's default).
    if (papers.FindPaperById(record->paper.sizeIndex) < 0) {
        if (const PAPER_INFO* shown = papers.GetPaper(papers.FindPaperOrDefault(record->paper.sizeIndex)))
            record->paper.sizeIndex = shown->id;
        else
            record->paper.sizeIndex = (int)LocaleDefaultPaper(defaults).paperId;
    }
    int& slot = record->paper.inputSlotIndex;
    if (slot == 3 || slot == 4) {
        INSTALLABLE_INFO trays = {};
        if (hPrinter)
            ReadInstallableInfo(hPrinter, &trays);
        if (!trays.tray[slot - 3].installed)
            slot = 0;
    }

    // The paper's rules on a scratch state, with the set's duplex.
    CBaseDlg* basic = BasicOf(link);
    HWND owner = basic ? basic->m_hWnd : nullptr;
    CONSTRAINT_STATE state = {};
    PRIVATE_DEVMODE trial = *block;
    trial.duplex = (INT16)record->duplexIndex;
    DEVMODE_PAIR pair = { link->devmode->pPublic, &trial };
    if (!CheckPaperConstraints(&state, owner, &papers, &pair, link->resources, record->paper.sizeIndex)) {
        if (papers.GetPaperField(papers.FindPaperById(block->paperId), PAPER_FLAG_DUPLEX))
            record->paper.sizeIndex = block->paperId;
        else
            record->duplexIndex = (int)items[DEFAULT_DUPLEX].optionIndex;
        trial.duplex = (INT16)record->duplexIndex;
        CheckPaperConstraints(&state, owner, &papers, &pair, link->resources, record->paper.sizeIndex);
    }
    ApplyControlRules(&state, IDC_MEDIA_TYPE, record->paper.mediaIndex);
    if (state.word[CONSTRAINT_INPUT_SLOT])
        slot = 1;
    if (state.word[CONSTRAINT_TRAY] == 4 && slot > 2) {
        WarnInputSlot(link, 4);
        slot = 0;
    }
    if ((slot == 3 || slot == 4) && LongEdgeBarsTrays(papers, record->paper.sizeIndex, record->paper.feedEdgeIndex)) {
        WarnInputSlot(link, 8);
        slot = 0;
    }
    if (state.word[CONSTRAINT_FEED_EDGE])
        record->paper.feedEdgeIndex = 0;
}

bool LongEdgeBarsTrays(const CPaperList& papers, int paperId, int feedEdge)
{
    const PAPER_INFO* paper = papers.GetPaper(papers.FindPaperById(paperId));
    return feedEdge == 1 && paper && lstrcmpW(paper->name, L"A5") == 0;
}

int PickOptionalTray(const CPaperList& papers, HANDLE hPrinter, int paperId, int feedEdge)
{
    INSTALLABLE_INFO trays = {};
    if (hPrinter)
        ReadInstallableInfo(hPrinter, &trays);
    if (LongEdgeBarsTrays(papers, paperId, feedEdge))
        return 0;
    CArray<PAPER_INFO> trayPapers;
    papers.GetTrayPaperList(&trayPapers);
    for (int tray = 0; tray < 2; ++tray) {
        const INSTALLABLE_TRAY& t = trays.tray[tray];
        if (t.installed && t.paper < (DWORD)trayPapers.GetSize() && trayPapers[t.paper].id == paperId)
            return 3 + tray;
    }
    return 0;
}

void ApplyQuickSetting(PAGE_LINK* link, _QS_STRUCK record)
{
    PRIVATE_DEVMODE* block = BlockOf(link);
    if (!block)
        return;
    block->paperId = (INT16)LOWORD(record.paper.sizeIndex);
    block->mediaType = (INT16)LOWORD(record.paper.mediaIndex);
    block->inputSlot = (INT16)LOWORD(record.paper.inputSlotIndex);
    block->feedEdge = (INT16)LOWORD(record.paper.feedEdgeIndex);
    block->duplex = (INT16)LOWORD(record.duplexIndex);
    block->pagesPerSheet = (INT16)LOWORD(record.pagesPerSheet);
    block->orientation = (INT16)LOWORD(record.orientationIndex);
    block->printQuality = (INT16)LOWORD(record.resolutionIndex);
    block->density = LOWORD(record.density);
    block->copies = (DWORD)(INT32)(INT16)LOWORD(record.copies);
    block->scale = (DWORD)(INT32)(INT16)LOWORD(record.scale);
    block->collate = record.collate ? 1 : 0;
    block->pageBorder = record.pageBorder ? 1 : 0;
    block->rotate180 = record.rotate180 ? 1 : 0;
    block->tonerSaving = record.tonerEconomy ? 1 : 0;
    link->quickSetChosen = 1;
}

void UpdateConstraintState(PAGE_LINK* link)
{
    PRIVATE_DEVMODE* block = BlockOf(link);
    if (!block || !link->constraints)
        return;
    CBaseDlg* basic = BasicOf(link);
    CPaperList* papers = link->settings ? &link->settings->PaperList() : nullptr;
    CheckPaperConstraints(link->constraints, basic ? basic->m_hWnd : nullptr, papers, link->devmode, link->resources,
                          block->paperId);
    ApplyControlRules(link->constraints, IDC_MEDIA_TYPE, block->mediaType);
    ApplyControlRules(link->constraints, IDC_DUPLEX_LONG, block->duplex);
    ApplyControlRules(link->constraints, IDC_PAGES_PER_SHEET, block->pagesPerSheet);
    ApplyControlRules(link->constraints, IDC_PAGE_BORDER, block->pagesPerSheet);
    ApplyControlRules(link->constraints, IDC_DENSITY, block->tonerSaving);
}

void ApplySettingsToPages(PAGE_LINK* link)
{
    PRIVATE_DEVMODE* block = BlockOf(link);
    if (!block)
        return;
    // A page being made keeps the flag set until its creation ends.
    const BYTE wasBusy = link->busy;
    link->busy = 1;
    if (CBaseDlg* basic = BasicOf(link))
        ApplyToBasicPage(link, basic, block);
    if (CAdvanceDlg* advanced = AdvancedOf(link))
        ApplyToAdvancedPage(advanced, block);
    link->busy = wasBusy;
}

void MarkQuickSetUnsaved(PAGE_LINK* link)
{
    if (!link || link->busy)
        return;
    CBaseDlg* basic = BasicOf(link);
    if (basic && link->resources && basic->m_quickSets.m_hWnd) {
        WCHAR text[kTextChars];
        LoadText(link, IDS_QUICKSET_UNSAVED, text);
        // No saved set is chosen any more, so choosing one again is a change.
        basic->m_quickSets.SetCurSel(-1);
        basic->m_quickSets.SetWindowText(text);
    }
    if (PRIVATE_DEVMODE* block = BlockOf(link))
        block->quickSetId = -1;
    UpdateQuickSetButtons(link, TRUE, FALSE);
}

void UpdateQuickSetButtons(PAGE_LINK* link, BOOL typed, BOOL selected)
{
    WCHAR defaultName[kTextChars], unsavedName[kTextChars];
    LoadText(link, IDS_QUICKSET_DEFAULT, defaultName);
    LoadText(link, IDS_QUICKSET_UNSAVED, unsavedName);
    CBaseDlg* basic = BasicOf(link);
    if (!basic || !basic->m_quickSets.m_hWnd)
        return;
    CString text;
    if (selected) {
        text = RowText(basic->m_quickSets.m_hWnd, basic->m_quickSets.GetCurSel());
    } else {
        WCHAR typedText[kTextChars] = {};
        basic->m_quickSets.GetWindowText(typedText, kTextChars);
        text = typedText;
    }
    // The save takes the name without the blanks around it.
    text.Trim();
    const bool namesSet = !text.IsEmpty() && text != defaultName && text != unsavedName;
    if (!namesSet) {
        EnableControl(&basic->m_saveQuickSet, false);
        EnableControl(&basic->m_deleteQuickSet, false);
    } else if (selected) {
        EnableControl(&basic->m_saveQuickSet, false);
        EnableControl(&basic->m_deleteQuickSet, true);
    } else if (typed) {
        EnableControl(&basic->m_saveQuickSet, true);
        EnableControl(&basic->m_deleteQuickSet, false);
    }
}

void ShowConstraintIndicators(PAGE_LINK* link)
{
    PRIVATE_DEVMODE* block = BlockOf(link);
    if (!block || !link->constraints)
        return;
    if (CBaseDlg* basic = BasicOf(link))
        ShowBasicIndicators(link, basic, block);
    if (CAdvanceDlg* advanced = AdvancedOf(link))
        ShowAdvancedIndicators(link, advanced);
}

BOOL IsValidQuickSetName(const WCHAR* name)
{
    if (!name)
        return FALSE;
    for (; *name; ++name)
        if (IsRefusedChar(*name))
            return FALSE;
    return TRUE;
}

WCHAR* StripRefusedNameChars(WCHAR* name)
{
    if (!name)
        return name;
    WCHAR* to = name;
    for (const WCHAR* from = name; *from; ++from)
        if (!IsRefusedChar(*from))
            *to++ = *from;
    *to = L'\0';
    return name;
}

int GetComboIndexByData(CWnd* combo, int data)
{
    HWND window = combo ? combo->GetSafeHwnd() : nullptr;
    if (!window)
        return 0;
    const int count = (int)SendMessageW(window, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i)
        if ((int)(INT_PTR)SendMessageW(window, CB_GETITEMDATA, (WPARAM)i, 0) == data)
            return i;
    return 0;
}
