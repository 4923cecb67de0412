#include "ui/CustomPaperDlg.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "settings/ConstraintState.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/Help.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/PageLink.h"

#include <math.h>
#include <string.h>
#include <vector>

namespace {

constexpr int kTextChars = 512;
constexpr int kCustomDpi = 72;
// Far more names than a full list can take: the first free one is always below.
constexpr int kMaxNameNumber = 10000;

struct COLUMN_INFO {
    UINT headerId;
    int width;
    int kind;
};
const COLUMN_INFO kColumns[CUSTOM_COLUMN_COUNT] = {
    { IDS_COLUMN_NAME, 150, GRID_KIND_EDIT },
    { IDS_COLUMN_WIDTH, 110, GRID_KIND_EDIT },
    { IDS_COLUMN_HEIGHT, 110, GRID_KIND_EDIT },
    { IDS_COLUMN_UNIT, 100, GRID_KIND_CHOICE },
};

bool InInches(DWORD unit) { return unit == PAPER_UNIT_INCH; }

float ShownWidth(const PAPER_INFO& paper) { return InInches(paper.unit) ? paper.widthInch : paper.widthMm; }
float ShownHeight(const PAPER_INFO& paper) { return InInches(paper.unit) ? paper.heightInch : paper.heightMm; }

CString UnitName(DWORD unit) { return g_strUnitName[InInches(unit) ? 1 : 0]; }

// Writes that failed, for a language module without their texts.
const WCHAR kPaperNotDeleted[] = L"The custom paper could not be deleted.";
const WCHAR kPapersNotSaved[] = L"The custom papers could not be saved.";
const WCHAR kPapersChanged[] =
    L"Another program has changed the custom papers, so your change was not saved. Make it again.";

} // namespace

CCustomPaperDlg::CCustomPaperDlg(CWnd* parent) : CPropDlg(IDD_CUSTOM_PAPER, parent) {}

CCustomPaperDlg::~CCustomPaperDlg()
{
    // The controls and the tip popup let go of their windows while the dialog still stands.
    if (m_hWnd)
        DestroyWindow();
}

BEGIN_MESSAGE_MAP(CCustomPaperDlg, CPropDlg)
    ON_BN_CLICKED(IDC_CUSTOM_OK, &CCustomPaperDlg::OnClickOk)
    ON_BN_CLICKED(IDC_CUSTOM_CANCEL, &CCustomPaperDlg::OnClickCancel)
    ON_BN_CLICKED(IDC_CUSTOM_ADD, &CCustomPaperDlg::OnAddPaper)
    ON_BN_CLICKED(IDC_CUSTOM_DELETE, &CCustomPaperDlg::OnDeletePaper)
    ON_MESSAGE(WM_GRID_CELL_INVALID, &CCustomPaperDlg::OnShowHint)
    ON_MESSAGE(WM_GRID_CELL_VALID, &CCustomPaperDlg::OnHideHint)
    ON_MESSAGE(WM_PICTURE_LEFT, &CCustomPaperDlg::OnPictureLeft)
    ON_WM_SETCURSOR()
    ON_WM_HELPINFO()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CCustomPaperDlg::DoDataExchange(CDataExchange* dx)
{
    CPropDlg::DoDataExchange(dx);
    DDX_Control(dx, IDC_CUSTOM_GRID, m_grid);
    DDX_Control(dx, IDC_CUSTOM_ADD, m_addButton);
    DDX_Control(dx, IDC_CUSTOM_DELETE, m_deleteButton);
    DDX_Control(dx, IDC_CUSTOM_INFO, m_infoPicture);
    DDX_Control(dx, IDC_CUSTOM_INVALID, m_warnPicture);
}

// --- helpers -----------------------------------------------------------------------------

CPaperList* CCustomPaperDlg::Papers() const
{
    return m_context && m_context->settings ? &m_context->settings->PaperList() : nullptr;
}

HINSTANCE CCustomPaperDlg::LanguageModule() const
{
    return m_context && m_context->resources ? m_context->resources->module : nullptr;
}

CString CCustomPaperDlg::LoadText(UINT stringId) const
{
    WCHAR text[kTextChars] = {};
    if (HINSTANCE module = LanguageModule())
        LoadStringW(module, stringId, text, kTextChars);
    return text;
}

void CCustomPaperDlg::Warn(UINT stringId, const WCHAR* fallback)
{
    const CString text = LoadText(stringId);
    ShowWarningBox(m_context->resources, m_hWnd, text.IsEmpty() ? fallback : text.GetString());
}

BOOL CCustomPaperDlg::IsNumberText(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i) {
        WCHAR c = text[i];
        if ((c < L'0' || c > L'9') && c != L'.')
            return FALSE;
    }
    return TRUE;
}

double CCustomPaperDlg::ReadLeadingNumber(const CString& text)
{
    // The digits as one integer over a power of ten: one rounding only.
    const WCHAR* p = text.GetString();
    unsigned long long mantissa = 0;
    int digits = 0, scale = 0;
    bool point = false;
    for (; *p; ++p) {
        if (*p == L'.' && !point) {
            point = true;
            continue;
        }
        if (*p < L'0' || *p > L'9')
            break;
        if (digits < 18) {
            mantissa = mantissa * 10 + (unsigned long long)(*p - L'0');
            if (mantissa)
                ++digits;
            if (point)
                --scale;
        } else if (!point) {
            ++scale;
        }
    }
    return scale < 0 ? (double)mantissa / pow(10.0, -scale) : (double)mantissa * pow(10.0, scale);
}

CString CCustomPaperDlg::FormatSize(float value, DWORD unit)
{
    // "%.1f" / "%.2f" with a point whatever the C runtime's locale says.
    const int decimals = InInches(unit) ? 2 : 1;
    const int factor = decimals == 2 ? 100 : 10;
    CString text;
    if (!(fabs(value) < 1e6f)) {   // no size: whatever the runtime makes of it
        text.Format(L"%.*f", decimals, (double)value);
        return text;
    }
    const int scaled = (int)lround((double)value * factor);
    text.Format(L"%s%d.%0*d", scaled < 0 ? L"-" : L"", abs(scaled) / factor, decimals, abs(scaled) % factor);
    return text;
}

void CCustomPaperDlg::SetSizeCells(int row, const PAPER_INFO& paper)
{
    m_grid.SetItemText(row, CUSTOM_COLUMN_WIDTH, FormatSize(ShownWidth(paper), paper.unit));
    m_grid.SetItemText(row, CUSTOM_COLUMN_HEIGHT, FormatSize(ShownHeight(paper), paper.unit));
}

void CCustomPaperDlg::AppendRow(const PAPER_INFO& paper)
{
    WCHAR name[PAPER_NAME_CHARS] = {};
    wcsncpy(name, paper.name, PAPER_NAME_CHARS - 1);
    int row = m_grid.InsertItem(m_grid.GetItemCount(), name);
    if (row < 0)
        return;
    SetSizeCells(row, paper);
    if (GRID_CELL* unit = m_grid.GetCell(row, CUSTOM_COLUMN_UNIT)) {
        unit->choices.RemoveAll();
        for (INT_PTR i = 0; i < m_unitChoices.GetSize(); ++i)
            unit->choices.Add(m_unitChoices[i]);
    }
    m_grid.SetItemText(row, CUSTOM_COLUMN_UNIT, UnitName(paper.unit));
}

void CCustomPaperDlg::StartFromFile()
{
    CPaperList* papers = Papers();
    if (!papers)
        return;
    ReadCustomPapersAgain(m_context->pageLink);
    m_stored.Copy(papers->CustomPapers());
}

CCustomPaperDlg::SaveResult CCustomPaperDlg::SavePapers()
{
    CPaperList* papers = Papers();
    if (!papers || papers->HoldsCustomPapers(m_stored))
        return SaveResult::Written;
    bool changedElsewhere = false;
    if (!papers->SaveCustomPapers(&changedElsewhere))
        return changedElsewhere ? SaveResult::ChangedElsewhere : SaveResult::Failed;
    m_stored.Copy(papers->CustomPapers());
    return SaveResult::Written;
}

void CCustomPaperDlg::ShowFileAgain()
{
    CPaperList* papers = Papers();
    // The papers as last read or written number the document's paper and
    // the user's selection: both are followed into the file from there.
    const int row = m_grid.GetSelectionMark();
    const bool selected = papers && row >= 0 && row < m_stored.GetSize();
    PAPER_INFO selection = {};
    if (selected)
        selection = m_stored[row];
    if (papers)
        papers->CustomPapers().Copy(m_stored);
    StartFromFile();
    FillGrid();
    // The paper the user had selected, or none: never another one.
    const int followed = selected ? papers->FollowCustomPaper(selection) : -1;
    if (followed >= 0)
        m_grid.SimulateRightClick(followed - papers->GetFirstCustomId());
    m_warnPicture.ShowWindow(SW_HIDE);
    Warn(IDS_CUSTOM_PAPERS_CHANGED, kPapersChanged);
}

void CCustomPaperDlg::SelectDocumentRow()
{
    CPaperList* papers = Papers();
    DEVMODE_PAIR* devmode = m_context ? m_context->devmode : nullptr;
    if (papers && devmode && devmode->pPrivate) {
        int index = papers->FindPaperById(devmode->pPrivate->paperId);
        if (index >= papers->GetStandardCount())
            m_grid.SimulateRightClick(index - (int)papers->GetStandardCount());
    }
}

void CCustomPaperDlg::FillGrid()
{
    m_grid.DeleteAllRows();
    if (CPaperList* papers = Papers()) {
        for (INT_PTR i = 0; i < papers->GetCustomCount(); ++i)
            AppendRow(papers->CustomPapers()[i]);
    }
    m_grid.Invalidate();
}

void CCustomPaperDlg::ShowPicture(CPicButton& picture, UINT normal, UINT hover)
{
    picture.m_nImageType = 0;
    picture.m_nNormalID = normal;
    picture.m_nHoverID = hover;
    UINT width = 0, height = 0;
    CPicButton::GetImageSize(normal, width, height, 0);
    if (width && height)
        picture.SizeToImage(width, height);
    picture.Redraw();
}

// --- start ------------------------------------------------------------------------------

BOOL CCustomPaperDlg::OnInitDialog()
{
    CPropDlg::OnInitDialog();
    m_grid.m_pfnValidate = &CCustomPaperDlg::ValidateCell;

    m_unitChoices.RemoveAll();
    m_unitChoices.Add(g_strUnitName[0]);
    m_unitChoices.Add(g_strUnitName[1]);

    SetWindowText(LoadText(IDS_CUSTOM_PAPER));
    SetDlgItemText(IDC_CUSTOM_OK, LoadText(IDS_CUSTOM_OK));
    SetDlgItemText(IDC_CUSTOM_CANCEL, LoadText(IDS_CUSTOM_CANCEL));
    for (int c = 0; c < CUSTOM_COLUMN_COUNT; ++c)
        m_grid.InsertColumn(c, LoadText(kColumns[c].headerId), kColumns[c].width, kColumns[c].kind);

    StartFromFile();
    FillGrid();
    SelectDocumentRow();

    ShowPicture(m_addButton, IDR_PAPER_ADD, IDR_PAPER_ADD_HOVER);
    ShowPicture(m_deleteButton, IDR_PAPER_DELETE, IDR_PAPER_DELETE_HOVER);
    m_tip.CreateFromModule(IDD_TIP_POPUP, this, LanguageModule());
    ShowPicture(m_infoPicture, IDR_INFORMATION, IDR_INFORMATION);
    ShowPicture(m_warnPicture, IDR_WARNING, 0);
    m_tip.AddTool(m_infoPicture.m_hWnd, LoadText(IDS_CUSTOM_INFO_TIP));
    m_tip.AddTool(m_warnPicture.m_hWnd, L"");
    m_warnPicture.ShowWindow(SW_HIDE);
    return TRUE;
}

// --- the cells ----------------------------------------------------------------------------

BOOL CCustomPaperDlg::ValidateCell(CWnd* owner, const int cell[2])
{
    auto* dialog = dynamic_cast<CCustomPaperDlg*>(CWnd::FromHandlePermanent(owner ? owner->m_hWnd : nullptr));
    if (!dialog || !cell)
        return FALSE;
    return dialog->Validate(cell[0], cell[1]);
}

BOOL CCustomPaperDlg::Validate(int row, int column)
{
    CPaperList* papers = Papers();
    if (!papers || row < 0 || row >= papers->GetCustomCount())
        return FALSE;
    CString text = m_grid.GetItemText(row, column);
    PAPER_INFO& paper = papers->CustomPapers()[row];

    switch (column) {
    case CUSTOM_COLUMN_NAME:
        if (!papers->IsValidPaperName(row, text))
            return FALSE;
        if (text != paper.name) {
            SetPaperName(&paper, text);
            // The cell shows what is kept: at most 31 characters.
            if (text.GetLength() >= PAPER_NAME_CHARS)
                m_grid.SetItemText(row, column, paper.name);
        }
        break;
    case CUSTOM_COLUMN_WIDTH:
    case CUSTOM_COLUMN_HEIGHT: {
        if (!IsNumberText(text))
            return FALSE;
        const float value = (float)ReadLeadingNumber(text);
        const float* limits = papers->GetSizeLimits(paper.unit);
        const bool width = column == CUSTOM_COLUMN_WIDTH;
        const float least = limits[width ? PAPER_LIMIT_MIN_WIDTH : PAPER_LIMIT_MIN_HEIGHT];
        const float greatest = limits[width ? PAPER_LIMIT_MAX_WIDTH : PAPER_LIMIT_MAX_HEIGHT];
        if (!(value >= least && value <= greatest))
            return FALSE;
        const float shownWidth = ShownWidth(paper), shownHeight = ShownHeight(paper);
        // The cell shows the size rounded: the number it shows, confirmed,
        // keeps the size the paper holds.
        const CString shown = FormatSize(width ? shownWidth : shownHeight, paper.unit);
        if (value != (float)ReadLeadingNumber(shown))
            SetPaperSize(&paper, width ? value : shownWidth, width ? shownHeight : value, InInches(paper.unit),
                         kCustomDpi);
        break;
    }
    case CUSTOM_COLUMN_UNIT:
        // The other unit shows the sizes the paper already holds in it.
        if (text != UnitName(paper.unit)) {
            paper.unit = InInches(paper.unit) ? PAPER_UNIT_MM : PAPER_UNIT_INCH;
            SetSizeCells(row, paper);
        }
        break;
    default:
        return FALSE;
    }
    CPaperList::ClampPaperSize(&paper);
    return TRUE;
}

// --- add and delete --------------------------------------------------------------------

void CCustomPaperDlg::OnAddPaper()
{
    m_grid.CommitEdit();
    CPaperList* papers = Papers();
    if (!papers)
        return;
    const CString prefix = LoadText(IDS_QUICKSET_UNSAVED);
    CString name;
    for (int n = 1; n <= kMaxNameNumber; ++n) {
        name.Format(L"%s%d", prefix.GetString(), n);
        if (papers->IsValidPaperName(-1, name))
            break;
    }
    DEFAULT_SETTINGS defaults;
    const DEFAULT_PAPER& size = LocaleDefaultPaper(*LoadDefaultSettings(&defaults));
    PAPER_INFO paper = {};
    SetPaperName(&paper, name);
    paper.id = 0;
    paper.unit = size.unit;
    SetPaperSize(&paper, size.width, size.height, InInches(size.unit), kCustomDpi);
    if (papers->AddCustomPaper(&paper) < 0)
        return;   // 20 custom papers already
    AppendRow(paper);
    m_grid.EnsureVisible(m_grid.GetItemCount() - 1, FALSE);
}

void CCustomPaperDlg::OnDeletePaper()
{
    const int row = m_grid.GetSelectionMark();
    CPaperList* papers = Papers();
    if (row < 0 || !papers)
        return;
    m_grid.CommitEdit();
    if (row >= papers->GetCustomCount())
        return;
    const int deletedId = papers->CustomPapers()[row].id;
    WCHAR name[PAPER_NAME_CHARS] = {};
    wcsncpy(name, papers->CustomPapers()[row].name, PAPER_NAME_CHARS - 1);
    // Custom papers are numbered by position, so the quick sets and the
    // document follow only once the paper file holds the new numbers; when
    // either write fails, the paper stays. The two writes are one step under
    // the paper file's lock: no other sheet reads the papers between them.
    CArray<PAPER_INFO> kept;
    kept.Copy(papers->CustomPapers());
    SaveResult saved = SaveResult::Failed;
    {
        CPaperFileLock lock(*papers);
        if (lock.Held()) {
            if (!papers->DeleteCustomPaper(row))
                return;
            saved = SavePapers();
            if (saved == SaveResult::Written && FAILED(FollowDeletion(deletedId, name))) {
                papers->CustomPapers().Copy(kept);
                SavePapers();
                saved = SaveResult::Failed;
            }
        }
    }
    if (saved == SaveResult::ChangedElsewhere) {
        ShowFileAgain();
        return;
    }
    if (saved == SaveResult::Failed) {
        papers->CustomPapers().Copy(kept);
        Warn(IDS_CUSTOM_PAPER_NOT_DELETED, kPaperNotDeleted);
        return;
    }
    if (!m_grid.DeleteItem(row))
        FillGrid();
    m_grid.SimulateRightClick(row > 0 ? row - 1 : 0);
    // A deleted row takes its invalid cell with it.
    if (m_grid.m_bValid)
        m_warnPicture.ShowWindow(SW_HIDE);
}

HRESULT CCustomPaperDlg::FollowDeletion(int deletedId, const CString& deletedName)
{
    CPaperList* papers = Papers();
    DEFAULT_SETTINGS defaults;
    const DEFAULT_PAPER& fallback = LocaleDefaultPaper(*LoadDefaultSettings(&defaults));
    const int fallbackId = (int)fallback.paperId;

    if (CQuickSetting* quickSets = m_context ? m_context->quickSettings : nullptr) {
        const PAPER_INFO* fallbackPaper = papers ? papers->GetPaper(papers->FindPaperById(fallbackId)) : nullptr;
        if (FAILED(quickSets->FollowCustomPaperDeletion(deletedId, deletedName,
                                                        fallbackPaper ? fallbackPaper->name : L"", fallbackId)))
            return E_FAIL;
    }

    // The document keeps its paper: the deleted one gives way to the default
    // paper, a later one moves down with its number.
    DEVMODE_PAIR* devmode = m_context ? m_context->devmode : nullptr;
    if (devmode && devmode->pPrivate) {
        INT16& paperId = devmode->pPrivate->paperId;
        if (paperId == deletedId)
            paperId = (INT16)fallbackId;
        else if (paperId > deletedId && paperId <= LAST_CUSTOM_PAPER_ID)
            --paperId;
    }
    return S_OK;
}

// --- the end --------------------------------------------------------------------------

bool CCustomPaperDlg::SaveToClose()
{
    switch (SavePapers()) {
    case SaveResult::ChangedElsewhere:
        ShowFileAgain();
        return false;
    case SaveResult::Failed:
        Warn(IDS_CUSTOM_PAPERS_NOT_SAVED, kPapersNotSaved);
        break;
    case SaveResult::Written:
        break;
    }
    return true;
}

void CCustomPaperDlg::OnClickOk()
{
    m_grid.CommitEdit();
    if (!m_grid.ValidateCurrentCell()) {
        m_grid.StartFlash();
        return;
    }
    if (!SaveToClose())
        return;
    CPaperList* papers = Papers();
    const int row = m_grid.GetSelectionMark();
    DEVMODE_PAIR* devmode = m_context ? m_context->devmode : nullptr;
    PAGE_LINK* link = m_context ? m_context->pageLink : nullptr;
    if (papers && row >= 0 && row < papers->GetCustomCount() && devmode && devmode->pPrivate) {
        const int id = papers->CustomPapers()[row].id;
        if (CheckPaperConstraints(link ? link->constraints : nullptr, m_hWnd, papers, devmode,
                                  m_context->resources, id))
            devmode->pPrivate->paperId = (INT16)LOWORD(id);
    }
    if (link)
        MarkQuickSetUnsaved(link);
    EndDialog(IDOK);
}

void CCustomPaperDlg::OnClickCancel()
{
    // A name or size still being typed is kept, as every other edit is.
    m_grid.CommitEdit();
    if (SaveToClose())
        EndDialog(IDCANCEL);
}

void CCustomPaperDlg::OnOK() { OnClickOk(); }

void CCustomPaperDlg::OnCancel() { OnClickCancel(); }

// --- hints, tips and help ----------------------------------------------------------------

LRESULT CCustomPaperDlg::OnShowHint(WPARAM, LPARAM)
{
    if (!LanguageModule())
        return 0;
    m_tip.AddTool(m_warnPicture.m_hWnd, LoadText(IDS_CUSTOM_INVALID_TIP));
    m_warnPicture.ShowWindow(SW_SHOW);
    return 0;
}

LRESULT CCustomPaperDlg::OnHideHint(WPARAM, LPARAM)
{
    m_warnPicture.ShowWindow(SW_HIDE);
    return 0;
}

LRESULT CCustomPaperDlg::OnPictureLeft(WPARAM, LPARAM)
{
    m_tip.PictureLeft();
    return 0;
}

BOOL CCustomPaperDlg::OnSetCursor(CWnd* window, UINT hitTest, UINT message)
{
    if (m_tip.m_hWnd)
        m_tip.TrackSetCursor(window, message);
    return CPropDlg::OnSetCursor(window, hitTest, message);
}

BOOL CCustomPaperDlg::OnHelpInfo(HELPINFO* info)
{
    // Answered here: the owner is not asked again.
    if (info)
        info->iCtrlId = IDD_CUSTOM_PAPER;
    ShowHelpTopic(IDD_CUSTOM_PAPER);
    return TRUE;
}

void CCustomPaperDlg::OnDestroy()
{
    // The popup belongs to the top-level window, not to this dialog.
    m_tip.DestroyWindow();
    CPropDlg::OnDestroy();
}
