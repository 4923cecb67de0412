#include "ui/BaseDlg.h"
#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/Options.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/CustomPaperDlg.h"
#include "ui/PageLink.h"

#include <stdio.h>
#include <wchar.h>

namespace {

constexpr int kTextChars = 512;
constexpr int kMessageChars = 1024;
constexpr int kMaxQuickSets = 16;
constexpr int kQuickSetNameChars = 16;
constexpr int kRowHeight = 18;
constexpr int kMaxCopies = 999;
constexpr COLORREF kGroupTitleColour = 0x8C8C8C;

// Names of the "JCLMediaType" and "JCLInputSlot" options by option index.
const UINT kMediaNames[] = { IDS_MEDIA_0, IDS_MEDIA_1, IDS_MEDIA_2, IDS_MEDIA_3, IDS_MEDIA_4, IDS_MEDIA_5, IDS_MEDIA_6 };
const UINT kInputSlotNames[] = { IDS_INPUT_SLOT_AUTO, IDS_INPUT_SLOT_1, IDS_INPUT_SLOT_2, IDS_INPUT_SLOT_3,
                                 IDS_INPUT_SLOT_4 };

// Input slots 3 and 4 are the optional trays.
bool IsOptionalTray(int slot) { return slot == 3 || slot == 4; }

// Failed writes of the quick sets, for a language module without their texts.
const WCHAR kQuickSetNotSaved[] = L"The quick setting could not be saved.";
const WCHAR kQuickSetNotDeleted[] = L"The quick setting could not be deleted.";
const WCHAR kQuickSetGone[] = L"This quick setting is no longer saved.";
const WCHAR kQuickSetNotRead[] = L"The quick setting could not be read. Choose it again.";

} // namespace

CBaseDlg::CBaseDlg(PROPSHEET_CONTEXT* context) : CPropDlg(IDD_BASIC_PAGE), m_context(context) {}

CBaseDlg::~CBaseDlg()
{
    delete m_pCopies;
    m_pCopies = nullptr;
    delete m_pFeedEdge;
    m_pFeedEdge = nullptr;
    delete m_pPaperPopup;
    m_pPaperPopup = nullptr;
    // The controls let go of their windows while the dialog still stands.
    if (m_hWnd)
        DestroyWindow();
}

BEGIN_MESSAGE_MAP(CBaseDlg, CPropDlg)
    ON_STN_CLICKED(IDC_COLLATE, &CBaseDlg::OnCollateClicked)
    ON_CBN_SELCHANGE(IDC_MEDIA_TYPE, &CBaseDlg::OnMediaTypeChanged)
    ON_CBN_SELCHANGE(IDC_INPUT_SLOT, &CBaseDlg::OnInputSlotChanged)
    ON_STN_CLICKED(IDC_QUICKSET_SAVE, &CBaseDlg::OnSaveQuickSet)
    ON_STN_CLICKED(IDC_QUICKSET_DELETE, &CBaseDlg::OnDeleteQuickSet)
    ON_CBN_SELCHANGE(IDC_QUICKSET_COMBO, &CBaseDlg::OnQuickSetSelChange)
    ON_CBN_EDITCHANGE(IDC_QUICKSET_COMBO, &CBaseDlg::OnQuickSetEditChange)
    ON_CBN_EDITUPDATE(IDC_QUICKSET_COMBO, &CBaseDlg::OnQuickSetEditUpdate)
    ON_MESSAGE(WM_PAPER_CHOSEN, &CBaseDlg::OnPaperChosen)
    ON_MESSAGE(WM_PICTURE_LEFT, &CBaseDlg::OnHideTips)
    ON_STN_CLICKED(IDC_CUSTOM_PAPER, &CBaseDlg::OnCustomPaper)
    ON_BN_CLICKED(IDC_BASIC_DEFAULT, &CBaseDlg::OnDefault)
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CBaseDlg::DoDataExchange(CDataExchange* dx)
{
    CPropDlg::DoDataExchange(dx);
    DDX_Control(dx, IDC_COLLATE, m_collate);
    DDX_Control(dx, IDC_MEDIA_TYPE, m_mediaType);
    DDX_Control(dx, IDC_INPUT_SLOT, m_inputSlot);
    DDX_Control(dx, IDC_QUICKSET_SAVE, m_saveQuickSet);
    DDX_Control(dx, IDC_QUICKSET_DELETE, m_deleteQuickSet);
    DDX_Control(dx, IDC_QUICKSET_COMBO, m_quickSets);
    DDX_Control(dx, IDC_PAPER_SIZE, m_paperSize);
    DDX_Control(dx, IDC_CUSTOM_PAPER, m_customPaper);
    DDX_Control(dx, IDC_FEEDEDGE_WARN, m_feedEdgeWarn);
    DDX_Control(dx, IDC_MEDIA_TYPE_WARN, m_mediaTypeWarn);
    DDX_Control(dx, IDC_INPUT_SLOT_WARN, m_inputSlotWarn);
    DDX_Control(dx, IDC_BASIC_LOGO, m_logo);
}

// --- helpers -----------------------------------------------------------------------

PRIVATE_DEVMODE* CBaseDlg::Block() const
{
    return m_context && m_context->devmode ? m_context->devmode->pPrivate : nullptr;
}

PAGE_LINK* CBaseDlg::Link() const { return m_context ? m_context->pageLink : nullptr; }

bool CBaseDlg::Ready() const { return Block() && Link() && m_hWnd; }

HINSTANCE CBaseDlg::LanguageModule() const
{
    return m_context && m_context->resources ? m_context->resources->module : nullptr;
}

void CBaseDlg::LoadText(UINT id, WCHAR* text) const
{
    text[0] = L'\0';
    if (HINSTANCE module = LanguageModule())
        LoadStringW(module, id, text, kTextChars);
}

void CBaseDlg::SetLabel(int controlId, UINT stringId)
{
    WCHAR text[kTextChars];
    LoadText(stringId, text);
    SetDlgItemText(controlId, text);
}

void CBaseDlg::InitPicture(CPicButton& button, UINT normal, UINT hover, UINT pressed)
{
    if (!button.m_hWnd)
        return;
    button.m_nImageType = 0;
    button.m_nNormalID = normal;
    button.m_nHoverID = hover;
    button.m_nPressedID = pressed;
    UINT width = 0, height = 0;
    CPicButton::GetImageSize(normal, width, height, 0);
    button.SizeToImage(width, height);
    button.Redraw();
}

void CBaseDlg::ShowMessage(UINT textId, UINT captionId, UINT type, int* answer)
{
    WCHAR text[kTextChars], caption[kTextChars];
    LoadText(textId, text);
    LoadText(captionId, caption);
    int result = g_seams.MessageBoxW(m_hWnd, text, caption, type);
    if (answer)
        *answer = result;
}

void CBaseDlg::SelectInputSlotRow(int row)
{
    if (m_inputSlot.m_hWnd)
        m_inputSlot.SetCurSel(row);
}

void CBaseDlg::WarnInputSlot(UINT bit)
{
    WCHAR message[kMessageChars] = {};
    BuildConflictMessage(m_context->resources, IDC_INPUT_SLOT, bit, message);
    ShowWarningBox(m_context->resources, m_hWnd, message);
    SelectInputSlotRow(0);
}

// --- creation ----------------------------------------------------------------------

BOOL CBaseDlg::OnInitDialog()
{
    CPropDlg::OnInitDialog();
    if (!m_context || !m_context->settings || !m_context->resources || !m_context->devmode ||
        !m_context->quickSettings || !m_context->pageLink)
        return TRUE;

    SetLabel(IDC_BASIC_DEFAULT, IDS_DEFAULT_BUTTON);
    m_background.LoadBitmap(AfxGetInstanceHandle(), IDB_BASIC_BACKGROUND);
    if (m_logo.m_hWnd) {
        m_logo.InitLogo();
        m_logo.Redraw();
    }

    InitQuickSetGroup();

    SetLabel(IDC_PAPER_TITLE, IDS_PAPER_GROUP);
    InitPaperSize();
    InitMediaType();
    InitInputSlot();
    InitFeedEdge();

    SetLabel(IDC_COPIES_TITLE, IDS_COPIES_GROUP);
    InitCopies();
    InitCollate();

    InitCustomPaperButton();

    m_tip.CreateFromModule(IDD_TIP_POPUP, this, LanguageModule());
    InitPicture(m_inputSlotWarn, IDR_WARNING, IDR_WARNING, 0);
    InitPicture(m_mediaTypeWarn, IDR_WARNING, IDR_WARNING, 0);
    InitPicture(m_feedEdgeWarn, IDR_WARNING, IDR_WARNING, 0);

    UpdateConstraintState(m_context->pageLink);
    ShowConstraintIndicators(m_context->pageLink);
    return TRUE;
}

void CBaseDlg::InitPaperSize()
{
    WCHAR width[kTextChars], height[kTextChars], name[kTextChars], unit[kTextChars], mm[kTextChars],
        inch[kTextChars];
    LoadText(IDS_COLUMN_WIDTH, width);
    LoadText(IDS_COLUMN_HEIGHT, height);
    LoadText(IDS_COLUMN_NAME, name);
    LoadText(IDS_COLUMN_UNIT, unit);
    LoadText(IDS_UNIT_MM, mm);
    LoadText(IDS_UNIT_INCH, inch);
    if (m_context->settings) {
        SetLabel(IDC_PAPER_SIZE_LABEL, IDS_PAPER_SIZE_LABEL);
        g_strUnitName[0] = mm;
        g_strUnitName[1] = inch;
    }
    if (!m_pPaperPopup) {
        CComboDlg* popup = new CComboDlg(&m_paperSize, this);
        if (popup) {
            m_pPaperPopup = popup;
            popup->CreateFromModule(IDD_PAPER_POPUP, this, LanguageModule());
            popup->SetColumns(name, width, height, unit);
            popup->SetOwner(this);
        }
    }
    FillPaperList();
}

void CBaseDlg::FillPaperList()
{
    PRIVATE_DEVMODE* block = Block();
    if (!m_context || !m_context->settings || !m_pPaperPopup || !m_pPaperPopup->m_hWnd || !block)
        return;
    if (m_paperSize.m_hWnd)
        m_paperSize.ResetContent();
    m_pPaperPopup->m_list.DeleteAllItems();
    m_pPaperPopup->BeginFill();

    const CPaperList& papers = m_context->settings->PaperList();
    for (int i = 0;; ++i) {
        const PAPER_INFO* paper = papers.GetPaper(i);
        if (!paper)
            break;
        WCHAR width[32], height[32];
        const bool inches = paper->unit == 1;
        swprintf(width, 32, inches ? L"%.2f" : L"%.1f", inches ? paper->widthInch : paper->widthMm);
        swprintf(height, 32, inches ? L"%.2f" : L"%.1f", inches ? paper->heightInch : paper->heightMm);
        m_pPaperPopup->AddItem(i, paper->name, width, height, g_strUnitName[inches ? 1 : 0]);
    }

    m_pPaperPopup->EndFill();
    m_pPaperPopup->SelectItem(ShownPaperIndex());
    if (m_paperSize.m_hWnd)
        m_paperSize.SetItemHeight(-1, kRowHeight);
}

int CBaseDlg::ShownPaperIndex() const
{
    return m_context->settings->PaperList().FindPaperOrDefault(Block()->paperId);
}

void CBaseDlg::InitMediaType()
{
    CFeatureSettings* settings = m_context->settings;
    if (!settings || !m_mediaType.m_hWnd)
        return;
    SetLabel(IDC_MEDIA_TYPE_LABEL, IDS_MEDIA_TYPE_LABEL);
    const WORD count = settings->GetMediaTypeCount();
    for (WORD i = 0; i < count; ++i) {
        // Past the name table the option's own name stands.
        WCHAR text[kTextChars] = {};
        if (i < ARRAYSIZE(kMediaNames))
            LoadText(kMediaNames[i], text);
        else if (const WCHAR* name = settings->GetOptionDisplayName("JCLMediaType", i))
            lstrcpynW(text, name, kTextChars);
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        if (m_mediaType.InsertItem(&item) < 0)
            break;
    }
    m_mediaType.SetCurSel(Block()->mediaType);
    m_mediaType.SetItemHeight(-1, kRowHeight);
}

void CBaseDlg::InitInputSlot()
{
    CFeatureSettings* settings = m_context->settings;
    PRIVATE_DEVMODE* block = Block();
    if (!settings || !m_inputSlot.m_hWnd)
        return;
    SetLabel(IDC_INPUT_SLOT_LABEL, IDS_INPUT_SLOT_LABEL);
    INSTALLABLE_INFO trays = {};
    if (m_context->hPrinter)
        ReadInstallableInfo(m_context->hPrinter, &trays);
    const WORD count = settings->GetInputSlotCount();
    int position = 0;
    for (WORD i = 0; i < count; ++i) {
        if ((i == 3 && !trays.tray[0].installed) || (i == 4 && !trays.tray[1].installed))
            continue;
        WCHAR text[kTextChars] = {};
        if (i < ARRAYSIZE(kInputSlotNames))
            LoadText(kInputSlotNames[i], text);
        else if (const WCHAR* name = settings->GetOptionDisplayName("JCLInputSlot", i))
            lstrcpynW(text, name, kTextChars);
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_LPARAM;
        item.iItem = position;
        item.pszText = text;
        item.lParam = i;
        if (m_inputSlot.InsertItem(&item) < 0)
            break;
        ++position;
    }
    // A stored tray that is no longer fitted becomes automatic.
    m_inputSlot.SetCurSel(GetComboIndexByData(&m_inputSlot, block->inputSlot));
    const int row = m_inputSlot.GetCurSel();
    if (row >= 0)
        block->inputSlot = (INT16)(INT_PTR)m_inputSlot.GetItemData(row);
    m_inputSlot.SetItemHeight(-1, kRowHeight);
}

void CBaseDlg::InitFeedEdge()
{
    SetLabel(IDC_FEEDEDGE_LABEL, IDS_FEEDEDGE_LABEL);
    WCHAR shortEdge[kTextChars], longEdge[kTextChars];
    LoadText(IDS_FEEDEDGE_SHORT, shortEdge);
    LoadText(IDS_FEEDEDGE_LONG, longEdge);
    CPicRadioDlg* group = new CPicRadioDlg(IDD_FEEDEDGE_PICKER, this);
    if (!group)
        return;
    m_pFeedEdge = group;
    // Choice i is option i of "JCLFeedEdge": ShortEdge, then LongEdge.
    group->m_entries.Add(_RES_CTL_ID{ IDC_FEEDEDGE_SHORT, IDR_FEEDEDGE_SHORT, IDR_FEEDEDGE_SHORT_SELECTED,
                                      IDR_FEEDEDGE_SHORT_HOVER, IDC_FEEDEDGE_SHORT_LABEL, shortEdge });
    group->m_entries.Add(_RES_CTL_ID{ IDC_FEEDEDGE_LONG, IDR_FEEDEDGE_LONG, IDR_FEEDEDGE_LONG_SELECTED,
                                      IDR_FEEDEDGE_LONG_HOVER, IDC_FEEDEDGE_LONG_LABEL, longEdge });
    group->m_nImageType = 0;
    if (!group->CreateFromModule(IDD_FEEDEDGE_PICKER, this, LanguageModule()))
        return;
    PlaceOverPlaceholder(this, group, IDC_FEEDEDGE_FRAME);
    group->m_pfnCallback = &CBaseDlg::OnFeedEdgeChanged;
    group->SetCheck(Block()->feedEdge);
}

HRESULT CBaseDlg::InitCopies()
{
    SetLabel(IDC_COPIES_LABEL, IDS_COPIES_LABEL);
    CPicNumDlg* box = new CPicNumDlg(IDD_COPIES_BOX);
    if (!box)
        return E_POINTER;
    m_pCopies = box;
    box->m_resUpArrow = _RES_CTL_ID{ IDC_COPIES_UP, IDR_ARROW_UP, IDR_ARROW_UP_HOVER, IDR_ARROW_UP_HOVER, 0, L"" };
    box->m_resDownArrow =
        _RES_CTL_ID{ IDC_COPIES_DOWN, IDR_ARROW_DOWN, IDR_ARROW_DOWN_HOVER, IDR_ARROW_DOWN_HOVER, 0, L"" };
    box->m_nEditID = IDC_COPIES_EDIT;
    box->m_nImageType = 0;
    if (!box->CreateFromModule(IDD_COPIES_BOX, this, LanguageModule()) || !box->m_pEdit)
        return E_FAIL;
    PlaceOverPlaceholder(this, box, IDC_COPIES_FRAME);
    box->m_pEdit->m_nMin = 1;
    box->m_pEdit->m_nMax = kMaxCopies;
    box->m_pEdit->LimitText(CountDigits(kMaxCopies));
    box->m_pfnCallback = &CBaseDlg::OnCopiesChanged;
    box->m_pEdit->m_pfnCallback = &CPicNumDlg::OnEditChange;
    // The application's copies: the change reaches OnCopiesChanged. A count
    // the box cannot hold would show a number no apply writes: the private
    // copies stand instead.
    int copies = m_context->devmode->pPublic->dmCopies;
    if (copies < 1 || copies > kMaxCopies)
        copies = (INT16)LOWORD(Block()->copies);
    box->SetDlgItemInt(IDC_COPIES_EDIT, (UINT)copies, TRUE);
    return S_OK;
}

void CBaseDlg::InitCollate()
{
    SetLabel(IDC_COLLATE_LABEL, IDS_COLLATE_LABEL);
    if (!m_collate.m_hWnd)
        return;
    m_collate.m_nOnID = IDB_SWITCH_ON;
    m_collate.m_nOffID = IDB_SWITCH_OFF;
    m_collate.m_nOnHoverID = IDB_SWITCH_ON_HOVER;
    m_collate.m_nOffHoverID = IDB_SWITCH_OFF_HOVER;
    m_collate.m_nSwitchImageType = 1;
    ShowCollate(m_context->devmode->pPublic->dmCollate == DMCOLLATE_TRUE);
}

void CBaseDlg::InitCustomPaperButton()
{
    InitPicture(m_customPaper, IDR_CUSTOM_PAPER, IDR_CUSTOM_PAPER_HOVER, IDR_CUSTOM_PAPER_HOVER);
    WCHAR tip[kTextChars];
    LoadText(IDS_CUSTOM_PAPER, tip);
    if (m_customPaper.m_hWnd)
        m_tip.AddTool(m_customPaper.m_hWnd, tip);
}

void CBaseDlg::ShowCollate(BOOL on)
{
    if (!m_collate.m_hWnd)
        return;
    m_collate.m_bOn = on ? 1 : 0;
    m_collate.UpdateSwitch();
    // The switch pictures are painted on white: only the pill shows.
    CRect rect;
    ::GetClientRect(m_collate.m_hWnd, &rect);
    if (rect.Width() > 0 && rect.Height() > 0) {
        HRGN pill = ::CreateRoundRectRgn(0, 0, rect.Width() + 1, rect.Height() + 1, rect.Height(), rect.Height());
        if (pill && !::SetWindowRgn(m_collate.m_hWnd, pill, TRUE))
            ::DeleteObject(pill);
    }
    WCHAR tip[kTextChars];
    LoadText(on ? IDS_SWITCH_ON_TIP : IDS_SWITCH_OFF_TIP, tip);
    m_tip.AddTool(m_collate.m_hWnd, tip);
}

// --- changes -----------------------------------------------------------------------

void CBaseDlg::OnCopiesChanged(CWnd* page)
{
    auto* self = static_cast<CBaseDlg*>(page);
    if (!self || !self->m_context || !self->m_context->settings || !self->Ready() || !self->m_pCopies)
        return;
    PRIVATE_DEVMODE* block = self->Block();
    BOOL number = FALSE;
    const int n = (int)self->m_pCopies->GetDlgItemInt(IDC_COPIES_EDIT, &number, TRUE);
    if (number && n >= 1 && n <= kMaxCopies && n != (INT16)LOWORD(block->copies)) {
        block->copies = (DWORD)n;
        NotifyPageChanged(self);
    }
    MarkQuickSetUnsaved(self->Link());
}

void CBaseDlg::OnFeedEdgeChanged(CWnd* page)
{
    auto* self = static_cast<CBaseDlg*>(page);
    if (!self || !self->Ready() || !self->m_pFeedEdge)
        return;
    PRIVATE_DEVMODE* block = self->Block();
    const int choice = self->m_pFeedEdge->GetCheck();
    block->feedEdge = (INT16)choice;
    if (choice == 1 && IsOptionalTray(block->inputSlot)) {
        self->WarnInputSlot(8);
        block->inputSlot = 0;
    }
    MarkQuickSetUnsaved(self->Link());
    NotifyPageChanged(self);
}

void CBaseDlg::OnCollateClicked()
{
    if (!Ready())
        return;
    PRIVATE_DEVMODE* block = Block();
    const bool on = m_collate.m_bOn == 0;
    block->collate = on ? 1 : 0;
    ShowCollate(on);
    MarkQuickSetUnsaved(Link());
    NotifyPageChanged(this);
}

void CBaseDlg::OnMediaTypeChanged()
{
    if (!Ready())
        return;
    PRIVATE_DEVMODE* block = Block();
    PAGE_LINK* link = Link();
    const int selection = m_mediaType.GetCurSel();
    if (selection != block->mediaType) {
        block->mediaType = (INT16)selection;
        NotifyPageChanged(this);
    }
    MarkQuickSetUnsaved(link);
    ApplyControlRules(link->constraints, IDC_MEDIA_TYPE, block->mediaType);
    if (link->constraints->word[CONSTRAINT_INPUT_SLOT]) {
        block->inputSlot = 1;
        SelectInputSlotRow(1);
    }
    ShowConstraintIndicators(link);
}

void CBaseDlg::OnInputSlotChanged()
{
    if (!Ready())
        return;
    PRIVATE_DEVMODE* block = Block();
    PAGE_LINK* link = Link();
    const int row = m_inputSlot.GetCurSel();
    int slot = row >= 0 ? (int)(INT_PTR)m_inputSlot.GetItemData(row) : 0;
    if (slot != block->inputSlot) {
        if (const UINT bit = OptionalTrayConflict(slot, block->feedEdge)) {
            WarnInputSlot(bit);
            slot = 0;
        }
        block->inputSlot = (INT16)slot;
        NotifyPageChanged(this);
    }
    MarkQuickSetUnsaved(link);
}

LRESULT CBaseDlg::OnPaperChosen(WPARAM, LPARAM lParam)
{
    const CString* name = reinterpret_cast<const CString*>(lParam);
    if (!name)
        return 0;
    if (!Ready() || !m_context->settings)
        return E_FAIL;
    PRIVATE_DEVMODE* block = Block();
    PAGE_LINK* link = Link();
    CPaperList& papers = m_context->settings->PaperList();
    const PAPER_INFO* paper = papers.FindPaperByName(*name);
    if (!paper)
        return E_FAIL;
    const int id = paper->id;
    if (!CheckPaperConstraints(link->constraints, m_hWnd, &papers, m_context->devmode, m_context->resources, id)) {
        if (m_pPaperPopup)
            m_pPaperPopup->SelectItem(papers.FindPaperById(block->paperId));
        return 0;
    }
    // A choice through the combo box's keys or wheel leaves the popup's list
    // on the previous row: the list follows, so a capture reads this paper.
    if (m_pPaperPopup && m_pPaperPopup->m_list.m_hWnd) {
        const int row = papers.FindPaperById(id);
        if (row >= 0 && m_pPaperPopup->m_list.GetNextItem(-1, LVNI_SELECTED) != row)
            m_pPaperPopup->SelectItem(row);
    }
    if (id != block->paperId) {
        block->paperId = (INT16)id;
        MarkQuickSetUnsaved(link);
        NotifyPageChanged(this);
    }
    FollowPaperRules();
    return 0;
}

void CBaseDlg::FollowPaperRules()
{
    PRIVATE_DEVMODE* block = Block();
    PAGE_LINK* link = Link();
    if (!block || !link || !link->constraints)
        return;
    if (link->constraints->word[CONSTRAINT_INPUT_SLOT]) {
        block->inputSlot = 1;
        SelectInputSlotRow(1);
    }
    if (link->constraints->word[CONSTRAINT_TRAY] == 4 && block->inputSlot > 2) {
        WarnInputSlot(4);
        block->inputSlot = 0;
    }
    ShowConstraintIndicators(link);
}

void CBaseDlg::OnCustomPaper()
{
    CCustomPaperDlg* dialog = new CCustomPaperDlg(this);
    if (!dialog)
        return;
    dialog->m_context = m_context;
    // A paper chosen in the dialog, the document's paper deleted or resized
    // there: the page follows as it follows a paper read again.
    CDocumentPaperWatch paper(Link());
    {
        // The dialog's template lives in the language module.
        CAfxResourceScope scope(LanguageModule() ? LanguageModule() : AfxGetResourceHandle());
        dialog->DoModal();
    }
    paper.Follow();
    // A paper deleted here or by another sheet moved its quick sets in the file.
    if (m_context->quickSettings)
        m_context->quickSettings->ReadAgainIfChanged();
    FillQuickSetList();
    delete dialog;
}

void CBaseDlg::OnDefault()
{
    if (!Ready())
        return;
    PAGE_LINK* link = Link();
    LoadBasicDefaults();
    MarkQuickSetUnsaved(link);
    ApplySettingsToPages(link);
    UpdateConstraintState(link);
    ShowConstraintIndicators(link);
    NotifyPageChanged(this);
}

void CBaseDlg::LoadBasicDefaults()
{
    PRIVATE_DEVMODE* block = Block();
    if (!block)
        return;
    DEFAULT_SETTINGS defaults;
    LoadDefaultSettings(&defaults);
    block->paperId = (INT16)LocaleDefaultPaper(defaults).paperId;
    block->mediaType = (INT16)defaults.items[DEFAULT_MEDIA_TYPE].optionIndex;
    block->inputSlot = (INT16)defaults.items[DEFAULT_INPUT_SLOT].optionIndex;
    block->feedEdge = (INT16)defaults.items[DEFAULT_FEED_EDGE].optionIndex;
    block->copies = defaults.items[DEFAULT_COPIES].value;
    block->collate = (INT16)defaults.items[DEFAULT_COLLATE].value;
}

UINT CBaseDlg::OptionalTrayConflict(int slot, INT16 feedEdge) const
{
    if (!IsOptionalTray(slot))
        return 0;
    const PAGE_LINK* link = Link();
    if (link && link->constraints && link->constraints->word[CONSTRAINT_TRAY] == 4)
        return 4;
    if (m_context->settings && LongEdgeBarsTrays(m_context->settings->PaperList(), Block()->paperId, feedEdge))
        return 8;
    return 0;
}

INT16 CBaseDlg::SelectTrayByInstallableInfo()
{
    PRIVATE_DEVMODE* block = Block();
    if (!block)
        return 0;
    // A paper number the list lacks (a custom paper deleted elsewhere)
    // gives way to the paper the page shows.
    if (m_context->settings) {
        if (const PAPER_INFO* shown = m_context->settings->PaperList().GetPaper(ShownPaperIndex()))
            block->paperId = (INT16)shown->id;
    }
    // The feed edge first: the tray rules weigh the edge the driver gets.
    INT16 feedEdge = 0;
    if (GetFeedEdgeChoice(&feedEdge))
        block->feedEdge = feedEdge;
    if (block->inputSlot != 0 || !m_context->settings)
        return block->inputSlot;
    // The pick is this apply's alone: the block, the page and a set saved
    // later keep automatic, and the next apply picks for its own paper.
    const int tray = PickOptionalTray(m_context->settings->PaperList(), m_context->hPrinter, block->paperId,
                                      block->feedEdge);
    return (INT16)(tray && !OptionalTrayConflict(tray, block->feedEdge) ? tray : 0);
}

BOOL CBaseDlg::GetFeedEdgeChoice(INT16* feedEdge) const
{
    if (!m_hWnd || !m_pFeedEdge || !m_pFeedEdge->m_hWnd)
        return FALSE;
    const int choice = m_pFeedEdge->GetCheck();
    *feedEdge = (INT16)(choice < 0 ? 65535 : choice);
    return TRUE;
}

// --- quick sets --------------------------------------------------------------------

HRESULT CBaseDlg::InitQuickSetGroup()
{
    SetLabel(IDC_QUICKSET_TITLE, IDS_QUICKSET_GROUP);
    WCHAR saveTip[kTextChars], deleteTip[kTextChars];
    LoadText(IDS_QUICKSET_SAVE_TIP, saveTip);
    LoadText(IDS_QUICKSET_DELETE_TIP, deleteTip);
    InitPicture(m_saveQuickSet, IDR_QUICKSET_SAVE, IDR_QUICKSET_SAVE_HOVER, 0);
    if (m_saveQuickSet.m_hWnd)
        m_tip.AddTool(m_saveQuickSet.m_hWnd, saveTip);
    InitPicture(m_deleteQuickSet, IDR_QUICKSET_DELETE, IDR_QUICKSET_DELETE_HOVER, 0);
    if (m_deleteQuickSet.m_hWnd)
        m_tip.AddTool(m_deleteQuickSet.m_hWnd, deleteTip);
    if (!m_quickSets.m_hWnd)
        return E_FAIL;
    m_quickSets.LimitText(kQuickSetNameChars);
    const HRESULT result = FillQuickSetList();
    m_quickSets.SetItemHeight(-1, kRowHeight);
    return result;
}

HRESULT CBaseDlg::FillQuickSetList()
{
    HRESULT result = S_OK;
    PRIVATE_DEVMODE* block = Block();
    if (!block || !m_context->quickSettings || !m_quickSets.m_hWnd)
        return E_FAIL;
    const CQuickSetting& store = *m_context->quickSettings;
    m_quickSets.ResetContent();
    for (INT_PTR i = 0; i < store.GetCount(); ++i) {
        const _QS_STRUCK& record = store.GetItems()[i];
        const int row = m_quickSets.AddString(record.name);
        if (row < 0) {
            result = E_FAIL;
            break;
        }
        m_quickSets.SetItemData(row, (DWORD_PTR)(INT_PTR)record.id);
        if (record.id == (INT16)LOWORD(block->quickSetId))
            m_quickSets.SetCurSel(row);
    }
    if ((INT16)LOWORD(block->quickSetId) == -1) {
        WCHAR unsaved[kTextChars];
        LoadText(IDS_QUICKSET_UNSAVED, unsaved);
        m_quickSets.SetWindowText(unsaved);
        UpdateQuickSetButtons(Link(), TRUE, FALSE);
    } else {
        UpdateQuickSetButtons(Link(), FALSE, TRUE);
    }
    return result;
}

void CBaseDlg::TellQuickSetFailure(UINT textId, const WCHAR* fallback)
{
    WCHAR text[kTextChars], caption[kTextChars];
    LoadText(textId, text);
    LoadText(IDS_QUICKSET_CAPTION, caption);
    g_seams.MessageBoxW(m_hWnd, text[0] ? text : fallback, caption, MB_OK | MB_ICONEXCLAMATION);
}

void CBaseDlg::OnQuickSetSelChange()
{
    if (!Ready() || !m_context->quickSettings || !m_context->settings)
        return;
    PAGE_LINK* link = Link();
    const int row = m_quickSets.GetCurSel();
    const int id = row >= 0 ? (int)(INT_PTR)m_quickSets.GetItemData(row) : -1;
    CString name;
    if (row >= 0)
        m_quickSets.GetLBText(row, name);
    _QS_STRUCK record;
    HRESULT found = E_FAIL;
    {
        // The set names its custom paper by the file's numbering: the papers
        // and the set are read in one step.
        CPaperFileLock lock(m_context->settings->PaperList());
        if (lock.Held()) {
            ReadCustomPapersAgain(link);
            // The set as the file holds it now: another sheet may have
            // deleted it, or given its id to a set of its own.
            found = row >= 0 ? m_context->quickSettings->FindCurrentItem(id, name, &record) : S_FALSE;
        }
    }
    if (FAILED(found)) {
        // The papers are another sheet's for now: the choice is not made.
        FillQuickSetList();
        TellQuickSetFailure(IDS_QUICKSET_NOT_READ, kQuickSetNotRead);
        return;
    }
    if (found == S_OK) {
        ValidateQuickSetting(link, m_context->hPrinter, &record);
        ApplyQuickSetting(link, record);
        UpdateConstraintState(link);
        ApplySettingsToPages(link);
        Block()->quickSetId = id;
        UpdateQuickSetButtons(link, FALSE, TRUE);
    } else if (row >= 0) {
        ForgetGoneQuickSet(id);
    } else {
        UpdateQuickSetButtons(link, FALSE, TRUE);
    }
    ShowConstraintIndicators(link);
    NotifyPageChanged(this);
}

void CBaseDlg::ForgetGoneQuickSet(int id)
{
    // Settings that were that set are a saved set no more.
    if ((INT16)LOWORD(Block()->quickSetId) == id)
        MarkQuickSetUnsaved(Link());
    FillQuickSetList();
    TellQuickSetFailure(IDS_QUICKSET_GONE, kQuickSetGone);
}

void CBaseDlg::OnQuickSetEditChange()
{
    if (Ready())
        UpdateQuickSetButtons(Link(), TRUE, FALSE);
}

void CBaseDlg::OnQuickSetEditUpdate()
{
    if (!m_quickSets.m_hWnd)
        return;
    WCHAR text[kTextChars] = {};
    m_quickSets.GetWindowText(text, kTextChars);
    if (IsValidQuickSetName(text))
        return;
    StripRefusedNameChars(text);
    m_quickSets.SetWindowText(text);
    m_quickSets.SetEditSel(lstrlenW(text), -1);
}

void CBaseDlg::OnSaveQuickSet()
{
    if (!Ready() || !m_context->quickSettings || !m_context->resources)
        return;
    PAGE_LINK* link = Link();
    CQuickSetting& store = *m_context->quickSettings;

    WCHAR typed[kTextChars] = {};
    m_quickSets.GetWindowText(typed, kTextChars);
    CString name(typed);
    name.Trim();
    m_quickSets.SetWindowText(name);
    WCHAR defaultName[kTextChars], unsavedName[kTextChars];
    LoadText(IDS_QUICKSET_DEFAULT, defaultName);
    LoadText(IDS_QUICKSET_UNSAVED, unsavedName);
    if (name.IsEmpty() || name == defaultName || name == unsavedName) {
        UpdateQuickSetButtons(link, TRUE, FALSE);
        return;
    }

    // A set of that name is replaced, also when the list is full.
    int same = -1;
    for (int i = 0; i < m_quickSets.GetCount() && same < 0; ++i) {
        CString text;
        m_quickSets.GetLBText(i, text);
        if (text == name)
            same = i;
    }
    if (same < 0 && m_quickSets.GetCount() >= kMaxQuickSets) {
        ShowMessage(IDS_QUICKSET_FULL, IDS_QUICKSET_CAPTION, MB_ICONEXCLAMATION);
        return;
    }
    if (same >= 0) {
        int answer = 0;
        ShowMessage(IDS_QUICKSET_REPLACE, IDS_QUICKSET_CAPTION, MB_YESNO | MB_ICONQUESTION, &answer);
        if (answer != IDYES)
            return;
    }

    // One write: the new set, under an id free in the file, in place of the
    // old one, its custom paper numbered as the file numbers it from the
    // papers' read to the set's write.
    _QS_STRUCK record;
    const int replaced = same >= 0 ? (int)(INT_PTR)m_quickSets.GetItemData(same) : -1;
    HRESULT hr = E_FAIL;
    if (m_context->settings) {
        CPaperFileLock lock(m_context->settings->PaperList());
        if (lock.Held()) {
            ReadCustomPapersAgain(link);
            CaptureQuickSetting(link, &record);
            record.name = name;
            hr = store.AddNewItem(&record, replaced, name);
        }
    }
    if (SUCCEEDED(hr))
        Block()->quickSetId = record.id;
    // The store read the file again: the list shows the sets of other sheets too.
    FillQuickSetList();
    if (FAILED(hr)) {
        m_quickSets.SetWindowText(name);
        UpdateQuickSetButtons(link, TRUE, FALSE);
        TellQuickSetFailure(IDS_QUICKSET_NOT_SAVED, kQuickSetNotSaved);
    }
}

void CBaseDlg::OnDeleteQuickSet() { DeleteQuickSet(TRUE, -1); }

void CBaseDlg::DeleteQuickSet(BOOL markUnsaved, int index)
{
    if (!Ready() || !m_context->quickSettings || !m_quickSets.m_hWnd)
        return;
    if (index < 0 || index >= m_quickSets.GetCount())
        index = m_quickSets.GetCurSel();
    if (index >= 0) {
        const int id = (int)(INT_PTR)m_quickSets.GetItemData(index);
        CString name;
        m_quickSets.GetLBText(index, name);
        const HRESULT hr = m_context->quickSettings->DeleteItem(id, name);
        if (hr == S_FALSE) {
            // Gone from the file already: whatever holds its id now stays.
            if (markUnsaved)
                MarkQuickSetUnsaved(Link());
            ForgetGoneQuickSet(id);
            return;
        }
        if (SUCCEEDED(hr) && markUnsaved)
            MarkQuickSetUnsaved(Link());
        FillQuickSetList();
        if (FAILED(hr)) {
            // The set stays listed, and chosen.
            TellQuickSetFailure(IDS_QUICKSET_NOT_DELETED, kQuickSetNotDeleted);
            return;
        }
    }
    UpdateQuickSetButtons(Link(), TRUE, FALSE);
}

// --- painting and tips -------------------------------------------------------------

BOOL CBaseDlg::OnEraseBkgnd(CDC* dc)
{
    BITMAP info = {};
    CRect client;
    GetClientRect(client);
    if (!m_background.GetSafeHandle() || !m_background.GetBitmap(&info))
        return (BOOL)Default();
    CDC memory;
    if (!memory.CreateCompatibleDC(dc))
        return (BOOL)Default();
    HGDIOBJ old = memory.SelectObject(m_background.GetSafeHandle());
    dc->StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    memory.SelectObject(old);
    return TRUE;
}

void CBaseDlg::OnPaint()
{
    {
        CPaintDC dc(this);
    }
    // The sub-dialogs take the page's pixels under their placeholders once.
    if (m_pCopies && m_pCopies->m_hWnd && !m_pCopies->m_bBackgroundGiven) {
        CaptureControlBitmap(this, m_pCopies, IDC_COPIES_FRAME);
        m_pCopies->m_bBackgroundGiven = 1;
    }
    if (m_pFeedEdge && m_pFeedEdge->m_hWnd && !m_pFeedEdge->m_bBackground) {
        CaptureControlBitmap(this, m_pFeedEdge, IDC_FEEDEDGE_FRAME);
        m_pFeedEdge->m_bBackground = TRUE;
    }
}

HBRUSH CBaseDlg::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor)
{
    HBRUSH brush = CPropDlg::OnCtlColor(dc, control, ctlColor);
    const int id = control && control->m_hWnd ? ::GetDlgCtrlID(control->m_hWnd) : 0;
    if (id == IDC_PAPER_TITLE || id == IDC_COPIES_TITLE || id == IDC_QUICKSET_TITLE)
        dc->SetTextColor(kGroupTitleColour);
    if (ctlColor == CTLCOLOR_STATIC) {
        dc->SetBkMode(TRANSPARENT);
        return (HBRUSH)::GetStockObject(NULL_BRUSH);
    }
    return brush;
}

BOOL CBaseDlg::OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage)
{
    if (m_tip.m_hWnd)
        m_tip.TrackSetCursor(window, mouseMessage);
    return CPropDlg::OnSetCursor(window, hitTest, mouseMessage);
}

LRESULT CBaseDlg::OnHideTips(WPARAM, LPARAM)
{
    if (m_tip.m_hWnd)
        m_tip.PictureLeft();
    return 0;
}

void CBaseDlg::OnDestroy()
{
    // The popups belong to the sheet's window, not to the page.
    if (m_tip.m_hWnd)
        m_tip.DestroyWindow();
    if (m_pPaperPopup && m_pPaperPopup->m_hWnd)
        m_pPaperPopup->DestroyWindow();
    CPropDlg::OnDestroy();
}
