#include "ui/AdvanceDlg.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PrivateDevMode.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/AuxiliaryDlg.h"
#include "ui/PageLink.h"

#include <new>

namespace {

constexpr int kTextChars = 512;
constexpr int kMessageChars = 1024;
constexpr int kIconSize = 38;
constexpr int kIconsPerList = 6;          // option indexes 0 to 5
constexpr int kScaleMin = 25;
constexpr int kScaleMax = 400;
constexpr COLORREF kGroupTitleColour = 0x8C8C8C;

// The duplex pictures of one orientation, choice by choice.
struct DUPLEX_PICTURES {
    UINT normal, selected, hover;
};
const DUPLEX_PICTURES kDuplexPortrait[3] = {
    { IDR_DUPLEX_NONE_PORTRAIT, IDR_DUPLEX_NONE_PORTRAIT_SELECTED, IDR_DUPLEX_NONE_PORTRAIT_HOVER },
    { IDR_DUPLEX_LONG_PORTRAIT, IDR_DUPLEX_LONG_PORTRAIT_SELECTED, IDR_DUPLEX_LONG_PORTRAIT_HOVER },
    { IDR_DUPLEX_SHORT_PORTRAIT, IDR_DUPLEX_SHORT_PORTRAIT_SELECTED, IDR_DUPLEX_SHORT_PORTRAIT_HOVER },
};
const DUPLEX_PICTURES kDuplexLandscape[3] = {
    { IDR_DUPLEX_NONE_LANDSCAPE, IDR_DUPLEX_NONE_LANDSCAPE_SELECTED, IDR_DUPLEX_NONE_LANDSCAPE_HOVER },
    { IDR_DUPLEX_LONG_LANDSCAPE, IDR_DUPLEX_LONG_LANDSCAPE_SELECTED, IDR_DUPLEX_LONG_LANDSCAPE_HOVER },
    { IDR_DUPLEX_SHORT_LANDSCAPE, IDR_DUPLEX_SHORT_LANDSCAPE_SELECTED, IDR_DUPLEX_SHORT_LANDSCAPE_HOVER },
};
const UINT kDuplexControls[3] = { IDC_DUPLEX_NONE, IDC_DUPLEX_LONG, IDC_DUPLEX_SHORT };
const UINT kDuplexLabels[3] = { IDC_DUPLEX_NONE_LABEL, IDC_DUPLEX_LONG_LABEL, IDC_DUPLEX_SHORT_LABEL };
const UINT kDuplexStrings[3] = { IDS_DUPLEX_NONE, IDS_DUPLEX_LONG, IDS_DUPLEX_SHORT };

// The density slider: light, normal, dark; x ranges in slider pixels.
const _PIC_FRAME_DATA kDensityFrames[3] = {
    { IDR_DENSITY_LIGHT, IDR_DENSITY_LIGHT_HOVER, 0, 0, 20, 110, 0, 0, 9, 19, 0, 34 },
    { IDR_DENSITY_NORMAL, IDR_DENSITY_NORMAL_HOVER, 0, 1, 60, 110, 0, 48, 49, 59, 35, 75 },
    { IDR_DENSITY_DARK, IDR_DENSITY_DARK_HOVER, 0, 2, 0, 0, 0, 90, 91, 101, 76, 110 },
};

DEFAULT_ITEM DefaultItem(DEFAULT_ITEM_INDEX index)
{
    DEFAULT_SETTINGS defaults;
    LoadDefaultSettings(&defaults);
    return defaults.items[index];
}

// An icon of the plug-in module at the image lists' size, destroyed with the object.
class CSizedIcon {
public:
    explicit CSizedIcon(UINT id)
        : m_icon(static_cast<HICON>(
              LoadImageW(g_hModuleInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, kIconSize, kIconSize, 0)))
    {
    }
    ~CSizedIcon()
    {
        if (m_icon)
            DestroyIcon(m_icon);
    }
    CSizedIcon(const CSizedIcon&) = delete;
    CSizedIcon& operator=(const CSizedIcon&) = delete;
    HICON get() const { return m_icon; }

private:
    HICON m_icon;
};

// The two pages-per-sheet image lists, built on first use and kept until the
// module goes; callers get copies of their own.
class CIconLists {
public:
    CIconLists() = default;
    ~CIconLists()
    {
        for (HIMAGELIST list : { m_portrait, m_landscape })
            if (list)
                ImageList_Destroy(list);
    }
    CIconLists(const CIconLists&) = delete;
    CIconLists& operator=(const CIconLists&) = delete;

    // A copy of the list of icons firstId .. firstId + kIconsPerList - 1;
    // null when the list cannot be made.
    HIMAGELIST Copy(UINT firstId)
    {
        AcquireSRWLockExclusive(&m_lock);
        HIMAGELIST& list = firstId == IDI_NUP1_LANDSCAPE ? m_landscape : m_portrait;
        if (!list)
            list = Build(firstId);
        HIMAGELIST copy = list ? ImageList_Duplicate(list) : nullptr;
        ReleaseSRWLockExclusive(&m_lock);
        return copy;
    }

private:
    static HIMAGELIST Build(UINT firstId)
    {
        HIMAGELIST list = ImageList_Create(kIconSize, kIconSize, ILC_COLOR32, kIconsPerList, kIconsPerList);
        if (!list)
            return nullptr;
        // Loaded at the list's own size: a 32 x 32 icon would be stretched.
        for (int i = 0; i < kIconsPerList; ++i) {
            CSizedIcon icon(firstId + i);
            ImageList_ReplaceIcon(list, -1, icon.get());
        }
        return list;
    }

    SRWLOCK m_lock = SRWLOCK_INIT;
    HIMAGELIST m_portrait = nullptr;
    HIMAGELIST m_landscape = nullptr;
};

// Made when the module is loaded (a guarded local static would keep a TLS
// slot of the thread runtime after each unload of the module).
CIconLists g_iconLists;

UINT SwitchTip(BYTE on) { return on ? IDS_SWITCH_ON_TIP : IDS_SWITCH_OFF_TIP; }

} // namespace

CAdvanceDlg::CAdvanceDlg(PROPSHEET_CONTEXT* context) : CPropDlg(IDD_ADVANCED_PAGE), m_context(context) {}

CAdvanceDlg::~CAdvanceDlg()
{
    // The window goes while the object is whole: the controls let go of
    // their windows and OnDestroy takes the tip popup with it.
    if (m_hWnd)
        DestroyWindow();
    delete m_pDuplex;
    delete m_pPortraitIcons;
    delete m_pLandscapeIcons;
    delete m_pScale;
    delete m_pOrientation;
    delete m_pPrintQuality;
}

BEGIN_MESSAGE_MAP(CAdvanceDlg, CPropDlg)
    ON_CBN_SELCHANGE(IDC_PAGES_PER_SHEET, &CAdvanceDlg::OnPagesPerSheetChanged)
    ON_STN_CLICKED(IDC_PAGE_BORDER, &CAdvanceDlg::OnBorderClicked)
    ON_STN_CLICKED(IDC_ROTATE180, &CAdvanceDlg::OnRotateClicked)
    ON_STN_CLICKED(IDC_FINE_GRAPHICS, &CAdvanceDlg::OnFineGraphicsClicked)
    ON_STN_CLICKED(IDC_TONER_SAVE, &CAdvanceDlg::OnTonerSavingClicked)
    ON_STN_CLICKED(IDC_DENSITY, &CAdvanceDlg::OnDensityClicked)
    ON_BN_CLICKED(IDC_ADVANCED_DEFAULT, &CAdvanceDlg::OnDefault)
    ON_MESSAGE(WM_PICTURE_LEFT, &CAdvanceDlg::OnHideTip)
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CAdvanceDlg::DoDataExchange(CDataExchange* dx)
{
    CPropDlg::DoDataExchange(dx);
    DDX_Control(dx, IDC_PAGES_PER_SHEET, m_pagesPerSheet);
    DDX_Control(dx, IDC_PAGE_BORDER, m_border);
    DDX_Control(dx, IDC_ROTATE180, m_rotate);
    DDX_Control(dx, IDC_FINE_GRAPHICS, m_fineGraphics);
    DDX_Control(dx, IDC_TONER_SAVE, m_tonerSaving);
    DDX_Control(dx, IDC_DENSITY, m_density);
    DDX_Control(dx, IDC_DUPLEX_WARN, m_duplexWarn);
    DDX_Control(dx, IDC_SCALE_WARN, m_scaleWarn);
    DDX_Control(dx, IDC_DENSITY_WARN, m_densityWarn);
    DDX_Control(dx, IDC_DENSITY_SCALE, m_densityScale);
    DDX_Control(dx, IDC_ADVANCED_LOGO, m_logo);
}

// --- helpers ---------------------------------------------------------------------------

bool CAdvanceDlg::CanChange(bool needSettings, bool needResources) const
{
    if (!m_context || !m_context->devmode || !m_context->devmode->pPrivate || !m_context->pageLink)
        return false;
    if (needSettings && !m_context->settings)
        return false;
    return !needResources || m_context->resources;
}

PRIVATE_DEVMODE* CAdvanceDlg::Block() const { return m_context->devmode->pPrivate; }

HMODULE CAdvanceDlg::LanguageModule() const
{
    return m_context && m_context->resources ? m_context->resources->module : nullptr;
}

void CAdvanceDlg::LoadText(UINT stringId, WCHAR* text) const
{
    text[0] = L'\0';
    if (HMODULE module = LanguageModule())
        LoadStringW(module, stringId, text, kTextChars);
}

void CAdvanceDlg::SetItemText(int id, UINT stringId)
{
    WCHAR text[kTextChars];
    LoadText(stringId, text);
    SetDlgItemText(id, text);
}

void CAdvanceDlg::MarkUnsaved() { MarkQuickSetUnsaved(m_context->pageLink); }

void CAdvanceDlg::NotifyChanged() { NotifyPageChanged(this); }

CPicRadioDlg* CAdvanceDlg::CreatePicker(UINT templateId, UINT placeholderId, const _RES_CTL_ID* entries, int count)
{
    CPicRadioDlg* picker = new CPicRadioDlg(templateId, this);   // zero-filled; null without memory
    if (!picker)
        return nullptr;
    for (int i = 0; i < count; ++i)
        picker->m_entries.Add(entries[i]);
    picker->m_nImageType = 0;
    picker->CreateFromModule(templateId, this, LanguageModule());
    PlaceOverPlaceholder(this, picker, placeholderId);
    return picker;
}

// --- building the page -----------------------------------------------------------------

BOOL CAdvanceDlg::OnInitDialog()
{
    CPropDlg::OnInitDialog();
    if (!m_context || !m_context->settings || !m_context->resources || !m_context->devmode ||
        !m_context->devmode->pPrivate || !m_context->pageLink)
        return TRUE;

    SetItemText(IDC_ADVANCED_DEFAULT, IDS_DEFAULT_BUTTON);
    m_background.LoadBitmap(g_hModuleInstance, IDB_ADVANCED_BACKGROUND);
    m_logo.m_strUrl = MAKER_WEB_PAGE;
    m_logo.InitLogo();
    m_logo.Redraw();

    InitDuplexGroup();
    InitLayoutGroup();
    InitOrientationGroup();
    InitEffectGroup();
    InitIndicators();

    UpdateConstraintState(m_context->pageLink);
    ShowConstraintIndicators(m_context->pageLink);
    return TRUE;
}

void CAdvanceDlg::InitDuplexGroup()
{
    SetItemText(IDC_DUPLEX_TITLE, IDS_DUPLEX_GROUP);
    InitDuplexPicker();
}

void CAdvanceDlg::InitDuplexPicker()
{
    const WCHAR* name = m_context->settings->GetDuplexDisplayName();
    SetDlgItemText(IDC_DUPLEX_NAME, name ? name : L"");

    const DUPLEX_PICTURES* pictures = Block()->orientation == 1 ? kDuplexLandscape : kDuplexPortrait;
    _RES_CTL_ID entries[3];
    for (int i = 0; i < 3; ++i) {
        WCHAR label[kTextChars];
        LoadText(kDuplexStrings[i], label);
        entries[i] = { kDuplexControls[i], pictures[i].normal, pictures[i].selected, pictures[i].hover,
                       kDuplexLabels[i], label };
    }
    m_pDuplex = CreatePicker(IDD_DUPLEX_PICKER, IDC_DUPLEX_FRAME, entries, 3);
    if (!m_pDuplex)
        return;
    m_pDuplex->m_pfnCallback = &CAdvanceDlg::OnDuplexChanged;
    m_pDuplex->SetCheck(Block()->duplex);
}

void CAdvanceDlg::InitLayoutGroup()
{
    SetItemText(IDC_LAYOUT_TITLE, IDS_LAYOUT_GROUP);
    InitPagesPerSheet();
    InitBorderSwitch();
    InitScaleBox();
}

HRESULT CAdvanceDlg::InitPagesPerSheet()
{
    SetItemText(IDC_PAGES_PER_SHEET_LABEL, IDS_PAGES_PER_SHEET_LABEL);

    m_pPortraitIcons = new (std::nothrow) CImageList;
    m_pLandscapeIcons = new (std::nothrow) CImageList;
    if (!m_pPortraitIcons || !m_pLandscapeIcons)
        return E_POINTER;
    // Copies of the lists built once per process (loading the icons is
    // what takes the time); each page owns and destroys its copies.
    m_pPortraitIcons->m_hImageList = g_iconLists.Copy(IDI_NUP1_PORTRAIT);
    m_pLandscapeIcons->m_hImageList = g_iconLists.Copy(IDI_NUP1_LANDSCAPE);
    m_pagesPerSheet.SetImageList(Block()->orientation == 1 ? *m_pLandscapeIcons : *m_pPortraitIcons);

    // The last option (the booklet) is not offered.
    const int count = m_context->settings->GetPagesPerSheetCount();
    for (int i = 0; i < count - 1; ++i) {
        const WCHAR* name = m_context->settings->GetOptionDisplayName("%PagePerSheet", (WORD)i);
        COMBOBOXEXITEMW item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_OVERLAY;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(name ? name : L"");
        item.iImage = item.iSelectedImage = item.iOverlay = i;
        if (m_pagesPerSheet.InsertItem(&item) == -1)
            return E_FAIL;
    }
    m_pagesPerSheet.SetCurSel(Block()->pagesPerSheet);
    return S_OK;
}

void CAdvanceDlg::InitSwitch(CPicSwitchButton& button, int labelId, UINT labelString, BYTE on)
{
    SetItemText(labelId, labelString);
    button.m_nOnID = IDB_SWITCH_ON;
    button.m_nOffID = IDB_SWITCH_OFF;
    button.m_nOnHoverID = IDB_SWITCH_ON_HOVER;
    button.m_nOffHoverID = IDB_SWITCH_OFF_HOVER;
    button.m_nSwitchImageType = 1;
    ShowSwitch(button, on);
}

void CAdvanceDlg::ShowSwitch(CPicSwitchButton& button, BOOL on)
{
    if (!button.m_hWnd)
        return;
    button.m_bOn = on ? 1 : 0;
    button.UpdateSwitch();
    WCHAR tip[kTextChars];
    LoadText(SwitchTip(button.m_bOn), tip);
    m_tip.AddTool(button.m_hWnd, tip);
}

void CAdvanceDlg::InitBorderSwitch()
{
    InitSwitch(m_border, IDC_PAGE_BORDER_LABEL, IDS_PAGE_BORDER_LABEL, Block()->pageBorder);
}

int CAdvanceDlg::ShownScale()
{
    PRIVATE_DEVMODE* block = Block();
    const int stored = (INT16)LOWORD(block->scale);
    if (stored >= kScaleMin && stored <= kScaleMax)
        return stored;
    const int shown = (int)DefaultItem(DEFAULT_SCALE).publicValue;
    block->scale = (DWORD)(INT32)(INT16)shown;
    return shown;
}

HRESULT CAdvanceDlg::InitScaleBox()
{
    SetItemText(IDC_SCALE_LABEL, IDS_SCALE_LABEL);
    const int initial = ShownScale();

    m_pScale = new CPicNumDlg(IDD_SCALE_BOX);   // zero-filled; null without memory
    if (!m_pScale)
        return E_POINTER;
    m_pScale->m_nImageType = 0;
    m_pScale->m_resUpArrow = { IDC_SCALE_UP, IDR_ARROW_UP, IDR_ARROW_UP_HOVER, IDR_ARROW_UP_HOVER, 0, L"" };
    m_pScale->m_resDownArrow = { IDC_SCALE_DOWN, IDR_ARROW_DOWN, IDR_ARROW_DOWN_HOVER, IDR_ARROW_DOWN_HOVER, 0, L"" };
    m_pScale->m_nEditID = IDC_SCALE_EDIT;
    // Bounds first: the box writes its first value through the edit's corrections.
    if (m_pScale->m_pEdit) {
        m_pScale->m_pEdit->m_nMin = kScaleMin;
        m_pScale->m_pEdit->m_nMax = kScaleMax;
    }
    m_pScale->m_nInitValue = initial;
    m_pScale->CreateFromModule(IDD_SCALE_BOX, this, LanguageModule());
    PlaceOverPlaceholder(this, m_pScale, IDC_SCALE_FRAME);
    if (!m_pScale->m_hWnd || !m_pScale->m_pEdit)
        return S_OK;
    m_pScale->m_pEdit->LimitText(CountDigits(kScaleMax));
    // The value is shown before anybody listens: opening the page changes
    // nothing in the block and does not tell the sheet of a change.
    m_pScale->SetDlgItemInt(IDC_SCALE_EDIT, (UINT)initial, TRUE);
    m_pScale->m_pfnCallback = &CAdvanceDlg::OnScaleChanged;
    m_pScale->m_pEdit->m_pfnCallback = &CPicNumDlg::OnEditChange;
    return S_OK;
}

void CAdvanceDlg::InitOrientationGroup()
{
    SetItemText(IDC_ORIENTATION_TITLE, IDS_ORIENTATION_GROUP);
    InitOrientationPicker();
    InitRotateSwitch();
}

void CAdvanceDlg::InitOrientationPicker()
{
    SetItemText(IDC_ORIENTATION_LABEL, IDS_ORIENTATION_LABEL);
    const _RES_CTL_ID entries[2] = {
        { IDC_PORTRAIT, IDR_PORTRAIT, IDR_PORTRAIT_SELECTED, IDR_PORTRAIT_HOVER, IDC_PORTRAIT_LABEL, L"" },
        { IDC_LANDSCAPE, IDR_LANDSCAPE, IDR_LANDSCAPE_SELECTED, IDR_LANDSCAPE_HOVER, IDC_LANDSCAPE_LABEL, L"" },
    };
    m_pOrientation = CreatePicker(IDD_ORIENTATION_PICKER, IDC_ORIENTATION_FRAME, entries, 2);
    if (!m_pOrientation)
        return;
    m_pOrientation->m_pfnCallback = &CAdvanceDlg::OnOrientationChanged;
    m_pOrientation->SetCheck(Block()->orientation);
    WCHAR tip[kTextChars];
    LoadText(IDS_LANDSCAPE, tip);
    m_pOrientation->m_tip.AddTool(::GetDlgItem(m_pOrientation->m_hWnd, IDC_LANDSCAPE), tip);
    LoadText(IDS_PORTRAIT, tip);
    m_pOrientation->m_tip.AddTool(::GetDlgItem(m_pOrientation->m_hWnd, IDC_PORTRAIT), tip);
}

void CAdvanceDlg::InitRotateSwitch()
{
    InitSwitch(m_rotate, IDC_ROTATE180_LABEL, IDS_ROTATE180_LABEL, Block()->rotate180);
}

void CAdvanceDlg::InitEffectGroup()
{
    SetItemText(IDC_EFFECTS_TITLE, IDS_EFFECTS_GROUP);
    InitFineGraphicsSwitch();
    InitTonerSwitch();
    InitDensitySlider();
    InitPrintQualityPicker();
}

void CAdvanceDlg::InitFineGraphicsSwitch()
{
    InitSwitch(m_fineGraphics, IDC_FINE_GRAPHICS_LABEL, IDS_FINE_GRAPHICS_LABEL, Block()->fineGraphics);
}

void CAdvanceDlg::InitTonerSwitch()
{
    InitSwitch(m_tonerSaving, IDC_TONER_SAVE_LABEL, IDS_TONER_SAVE_LABEL, Block()->tonerSaving);
    // Toner saving locks the slider; the stored density stays shown.
    if (m_tonerSaving.m_bOn)
        m_density.EnableWindow(FALSE);
}

void CAdvanceDlg::InitDensitySlider()
{
    SetItemText(IDC_DENSITY_LABEL, IDS_DENSITY_LABEL);

    m_densityScale.m_nImageType = 1;
    m_densityScale.m_nNormalID = m_densityScale.m_nSelectedID = m_densityScale.m_nHoverID = IDB_DENSITY_SCALE;
    m_densityScale.m_nPressedID = 0;
    UINT width = 0, height = 0;
    CPicButton::GetImageSize(IDB_DENSITY_SCALE, width, height, 1);
    m_densityScale.SizeToImage(width, height);
    m_densityScale.Redraw();

    m_density.m_arrFrames.RemoveAll();
    for (const _PIC_FRAME_DATA& frame : kDensityFrames)
        m_density.m_arrFrames.Add(frame);
    PRIVATE_DEVMODE* block = Block();
    const int stored = (INT16)block->density;
    if (stored < 0 || stored > 2)
        block->density = (WORD)DefaultItem(DEFAULT_DENSITY).value;
    m_density.SetFrameByValue((INT16)block->density);
    m_density.m_pContext = m_context;

    // The slider's own tip, which every density change keeps up to date.
    m_tip.AddTool(m_density.m_hWnd, L"");
    UpdateDensityTip((INT16)block->density);
}

void CAdvanceDlg::InitPrintQualityPicker()
{
    SetItemText(IDC_QUALITY_LABEL, IDS_QUALITY_LABEL);
    WCHAR low[kTextChars], high[kTextChars];
    LoadText(IDS_QUALITY_600DPI, low);
    LoadText(IDS_QUALITY_1200DPI, high);
    const _RES_CTL_ID entries[2] = {
        { IDC_QUALITY_600DPI, IDR_QUALITY_600DPI, IDR_QUALITY_600DPI_SELECTED, IDR_QUALITY_600DPI_HOVER,
          IDC_QUALITY_600DPI_LABEL, low },
        { IDC_QUALITY_1200DPI, IDR_QUALITY_1200DPI, IDR_QUALITY_1200DPI_SELECTED, IDR_QUALITY_1200DPI_HOVER,
          IDC_QUALITY_1200DPI_LABEL, high },
    };
    m_pPrintQuality = CreatePicker(IDD_QUALITY_PICKER, IDC_QUALITY_FRAME, entries, 2);
    if (!m_pPrintQuality)
        return;
    m_pPrintQuality->m_pfnCallback = &CAdvanceDlg::OnPrintQualityChanged;
    m_pPrintQuality->SetCheck(Block()->printQuality);
}

void CAdvanceDlg::InitIndicators()
{
    m_tip.CreateFromModule(IDD_TIP_POPUP, this, LanguageModule());
    for (CPicButton* indicator : { &m_duplexWarn, &m_scaleWarn, &m_densityWarn }) {
        indicator->m_nImageType = 0;
        indicator->m_nNormalID = IDR_WARNING;
        indicator->m_nSelectedID = indicator->m_nHoverID = indicator->m_nPressedID = 0;
        UINT width = 0, height = 0;
        CPicButton::GetImageSize(IDR_WARNING, width, height, 0);
        indicator->SizeToImage(width, height);
        indicator->Redraw();
    }
}

void CAdvanceDlg::LoadAdvancedDefaults()
{
    if (!m_context || !m_context->devmode || !m_context->devmode->pPrivate)
        return;
    DEFAULT_SETTINGS defaults;
    LoadDefaultSettings(&defaults);
    const DEFAULT_ITEM* items = defaults.items;
    PRIVATE_DEVMODE* block = Block();
    block->duplex = (INT16)items[DEFAULT_DUPLEX].optionIndex;
    block->orientation = (INT16)items[DEFAULT_ORIENTATION].optionIndex;
    block->rotate180 = items[DEFAULT_ROTATE180].value ? 1 : 0;
    block->pagesPerSheet = (INT16)items[DEFAULT_PAGES_PER_SHEET].optionIndex;
    block->scale = (DWORD)(INT32)(INT16)LOWORD(items[DEFAULT_SCALE].value);
    block->pageBorder = items[DEFAULT_PAGE_BORDER].value ? 1 : 0;
    block->printQuality = (INT16)items[DEFAULT_RESOLUTION].optionIndex;
    block->density = (WORD)items[DEFAULT_DENSITY].value;
    block->tonerSaving = items[DEFAULT_TONER_SAVING].value ? 1 : 0;
}

void CAdvanceDlg::UpdateDensityTip(int density)
{
    if (!m_density.m_hWnd || !m_tip.FindTool(m_density.m_hWnd))
        return;
    WCHAR tip[kTextChars];
    LoadText(density == 1 ? IDS_DENSITY_NORMAL_TIP : density == 2 ? IDS_DENSITY_DARK_TIP : IDS_DENSITY_LIGHT_TIP, tip);
    m_tip.AddTool(m_density.m_hWnd, tip);
}

// --- changes ----------------------------------------------------------------------------

void CAdvanceDlg::OnDuplexChanged(CWnd* page)
{
    auto* self = dynamic_cast<CAdvanceDlg*>(page);
    if (!self || !self->CanChange() || !self->m_pDuplex)
        return;
    const int index = self->m_pDuplex->GetCheck();
    PRIVATE_DEVMODE* block = self->Block();
    if (block->duplex != index) {
        block->duplex = (INT16)index;
        self->NotifyChanged();
    }
    self->MarkUnsaved();
    ApplyControlRules(self->m_context->pageLink->constraints, IDC_DUPLEX_LONG, block->duplex);
    ShowConstraintIndicators(self->m_context->pageLink);
}

void CAdvanceDlg::OnPagesPerSheetChanged()
{
    if (!CanChange())
        return;
    CONSTRAINT_STATE* state = m_context->pageLink->constraints;
    if (state && state->word[CONSTRAINT_SCALE_RULE] == 1) {
        WCHAR message[kMessageChars];
        BuildConflictMessage(m_context->resources, IDC_PAGES_PER_SHEET, 1, message);
        ShowWarningBox(m_context->resources, m_hWnd, message);
        // Back on the first item, in the block too.
        m_pagesPerSheet.SetCurSel(0);
        TakePagesPerSheet(0);
        return;
    }
    const int selection = m_pagesPerSheet.GetCurSel();
    if (selection != CB_ERR)
        TakePagesPerSheet(selection);
}

void CAdvanceDlg::TakePagesPerSheet(int selection)
{
    PRIVATE_DEVMODE* block = Block();
    block->pagesPerSheet = (INT16)selection;
    if (selection == 0) {
        ShowSwitch(m_border, FALSE);
        block->pageBorder = 0;
    }
    CONSTRAINT_STATE* state = m_context->pageLink->constraints;
    ApplyControlRules(state, IDC_PAGES_PER_SHEET, selection);
    ApplyControlRules(state, IDC_PAGE_BORDER, selection);
    ShowConstraintIndicators(m_context->pageLink);
    MarkUnsaved();
    NotifyChanged();
}

BYTE CAdvanceDlg::FlipSwitch(CPicSwitchButton& button)
{
    button.SetFocus();
    ShowSwitch(button, !button.m_bOn);
    return button.m_bOn;
}

void CAdvanceDlg::OnBorderClicked()
{
    if (!CanChange())
        return;
    Block()->pageBorder = FlipSwitch(m_border);
    MarkUnsaved();
    NotifyChanged();
}

void CAdvanceDlg::OnRotateClicked()
{
    if (!CanChange())
        return;
    Block()->rotate180 = FlipSwitch(m_rotate);
    NotifyChanged();
    MarkUnsaved();
}

void CAdvanceDlg::OnFineGraphicsClicked()
{
    if (!CanChange(true))
        return;
    Block()->fineGraphics = FlipSwitch(m_fineGraphics);
    MarkUnsaved();
    NotifyChanged();
}

void CAdvanceDlg::OnTonerSavingClicked()
{
    if (!CanChange(true))
        return;
    PRIVATE_DEVMODE* block = Block();
    const BYTE on = FlipSwitch(m_tonerSaving);
    if (on) {
        // The lightest density, locked.
        m_density.SetFrameByValue(0);
        m_density.EnableWindow(FALSE);
    } else {
        m_density.EnableWindow(TRUE);
        m_density.SetFrameByValue((int)DefaultItem(DEFAULT_DENSITY).optionIndex);
    }
    block->tonerSaving = on;
    block->density = (WORD)m_density.GetFrameValue();
    MarkUnsaved();
    ApplyControlRules(m_context->pageLink->constraints, IDC_DENSITY, on);
    ShowConstraintIndicators(m_context->pageLink);
    UpdateDensityTip((INT16)block->density);
    NotifyChanged();
}

void CAdvanceDlg::OnDensityClicked()
{
    if (!CanChange(true))
        return;
    m_density.StepFrame();
    PRIVATE_DEVMODE* block = Block();
    block->density = (WORD)m_density.GetFrameValue();
    MarkUnsaved();
    UpdateDensityTip((INT16)block->density);
    m_density.SetFocus();
    NotifyChanged();
}

void CAdvanceDlg::OnScaleChanged(CWnd* page)
{
    auto* self = dynamic_cast<CAdvanceDlg*>(page);
    if (!self || !self->CanChange(true) || !self->m_pScale || !self->m_pScale->m_hWnd)
        return;
    const int value = (int)self->m_pScale->GetDlgItemInt(IDC_SCALE_EDIT, nullptr, TRUE);
    if (value >= kScaleMin && value <= kScaleMax) {
        self->Block()->scale = (DWORD)(INT32)(INT16)value;
        ApplyControlRules(self->m_context->pageLink->constraints, IDC_SCALE_EDIT, value != 100 ? 1 : 0);
    }
    self->MarkUnsaved();
    self->NotifyChanged();
}

void CAdvanceDlg::ShowOrientationPictures(int orientation)
{
    if (orientation != 0 && orientation != 1)
        return;
    const DUPLEX_PICTURES* pictures = orientation == 1 ? kDuplexLandscape : kDuplexPortrait;
    if (m_pDuplex) {
        for (INT_PTR i = 0; i < m_pDuplex->m_entries.GetSize() && i < 3; ++i) {
            _RES_CTL_ID& entry = m_pDuplex->m_entries[i];
            entry.nNormalID = pictures[i].normal;
            entry.nSelectedID = pictures[i].selected;
            entry.nHoverID = pictures[i].hover;
        }
        m_pDuplex->LayoutButtons();
    }
    CImageList* icons = orientation == 1 ? m_pLandscapeIcons : m_pPortraitIcons;
    if (icons) {
        m_pagesPerSheet.SetImageList(*icons);
        m_pagesPerSheet.Invalidate(TRUE);
    }
}

void CAdvanceDlg::OnOrientationChanged(CWnd* page)
{
    auto* self = dynamic_cast<CAdvanceDlg*>(page);
    if (!self || !self->CanChange(false, true) || !self->m_pOrientation)
        return;
    const int index = self->m_pOrientation->GetCheck();
    PRIVATE_DEVMODE* block = self->Block();
    if (index != block->orientation) {
        self->ShowOrientationPictures(index);
        block->orientation = (INT16)index;
    }
    self->MarkUnsaved();
    self->NotifyChanged();
}

void CAdvanceDlg::OnPrintQualityChanged(CWnd* page)
{
    auto* self = dynamic_cast<CAdvanceDlg*>(page);
    if (!self || !self->CanChange() || !self->m_pPrintQuality)
        return;
    const int index = self->m_pPrintQuality->GetCheck();
    PRIVATE_DEVMODE* block = self->Block();
    if (block->printQuality != index) {
        block->printQuality = (INT16)index;
        self->NotifyChanged();
    }
    self->MarkUnsaved();
}

void CAdvanceDlg::OnDefault()
{
    if (!CanChange())
        return;
    LoadAdvancedDefaults();
    PAGE_LINK* link = m_context->pageLink;
    MarkQuickSetUnsaved(link);
    ApplySettingsToPages(link);
    UpdateConstraintState(link);
    ShowConstraintIndicators(link);
    NotifyChanged();
}

// --- painting and tips ------------------------------------------------------------------

BOOL CAdvanceDlg::OnEraseBkgnd(CDC* dc)
{
    BITMAP info = {};
    if (!m_background.GetSafeHandle() || !m_background.GetBitmap(&info))
        return CPropDlg::OnEraseBkgnd(dc);
    CRect client;
    GetClientRect(&client);
    CDC memory;
    if (!memory.CreateCompatibleDC(dc))
        return CPropDlg::OnEraseBkgnd(dc);
    HGDIOBJ old = memory.SelectObject(m_background);
    dc->StretchBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    memory.SelectObject(old);
    return TRUE;
}

void CAdvanceDlg::OnPaint()
{
    CPaintDC dc(this);
    // Each sub-dialog takes the page pixels under its placeholder once.
    auto give = [this](CUIDialog* dialog, UINT placeholder, auto& given) {
        if (!dialog || !dialog->m_hWnd || given)
            return;
        CaptureControlBitmap(this, dialog, placeholder);
        given = 1;
    };
    if (m_pPrintQuality)
        give(m_pPrintQuality, IDC_QUALITY_FRAME, m_pPrintQuality->m_bBackground);
    if (m_pDuplex)
        give(m_pDuplex, IDC_DUPLEX_FRAME, m_pDuplex->m_bBackground);
    if (m_pOrientation)
        give(m_pOrientation, IDC_ORIENTATION_FRAME, m_pOrientation->m_bBackground);
    if (m_pScale)
        give(m_pScale, IDC_SCALE_FRAME, m_pScale->m_bBackgroundGiven);
}

HBRUSH CAdvanceDlg::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColor)
{
    HBRUSH brush = CPropDlg::OnCtlColor(dc, control, ctlColor);
    const int id = control && control->m_hWnd ? control->GetDlgCtrlID() : 0;
    if (id == IDC_DUPLEX_TITLE || id == IDC_LAYOUT_TITLE || id == IDC_ORIENTATION_TITLE || id == IDC_EFFECTS_TITLE)
        dc->SetTextColor(kGroupTitleColour);
    if (ctlColor == CTLCOLOR_STATIC && id != IDC_DENSITY) {
        dc->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    return brush;
}

BOOL CAdvanceDlg::OnSetCursor(CWnd* window, UINT hitTest, UINT mouseMessage)
{
    m_tip.TrackSetCursor(window, mouseMessage);
    return CPropDlg::OnSetCursor(window, hitTest, mouseMessage);
}

LRESULT CAdvanceDlg::OnHideTip(WPARAM, LPARAM)
{
    m_tip.PictureLeft();
    return 0;
}

void CAdvanceDlg::OnDestroy()
{
    // The popup belongs to the top-level sheet, not to the page.
    if (m_tip.m_hWnd)
        m_tip.DestroyWindow();
    CPropDlg::OnDestroy();
}
