// The custom-paper dialog, run modally over the Basic page of the real
// document sheet and driven inside its own modal loop as a user drives it:
// clicks and double clicks on the grid's cells, characters typed into the
// cell editor, keys posted to the focus, clicks on the pictures and buttons.
// Checked in the custom-paper file, the quick-settings file and the private
// DEVMODE.
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/Keys.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "settings/DefaultSettings.h"
#include "settings/FeatureSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/DataFiles.h"
#include "sheets/Help.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/BaseDlg.h"
#include "ui/CustomPaperDlg.h"
#include "ui/PageLink.h"

#include <htmlhelp.h>
#include <pugixml.hpp>

#include <functional>
#include <string>
#include <vector>

using namespace harness;

namespace {

// --- seams ----------------------------------------------------------------------------

struct Box {
    std::wstring text, caption;
};
std::vector<Box> g_boxes;
int WINAPI RecordBox(HWND, LPCWSTR text, LPCWSTR caption, UINT)
{
    g_boxes.push_back({ text ? text : L"", caption ? caption : L"" });
    return IDOK;
}

std::vector<DWORD_PTR> g_helpTopics;
HWND WINAPI RecordHelp(HWND, LPCWSTR, UINT command, DWORD_PTR data)
{
    if (command == HH_HELP_CONTEXT)
        g_helpTopics.push_back(data);
    return nullptr;
}

std::wstring windowText(HWND window)
{
    WCHAR text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// --- data -----------------------------------------------------------------------------

PAPER_INFO Paper(const wchar_t* name, float width, float height, DWORD unit = PAPER_UNIT_MM)
{
    PAPER_INFO p = {};
    SetPaperName(&p, name);
    p.unit = unit;
    SetPaperSize(&p, width, height, unit == PAPER_UNIT_INCH, 72);
    return p;
}

std::vector<PAPER_INFO> StoredPapers(const SavedDataFile& file)
{
    std::vector<PAPER_INFO> out;
    std::optional<std::string> bytes = file.read();
    if (!bytes || bytes->size() % sizeof(PAPER_INFO))
        return out;
    out.resize(bytes->size() / sizeof(PAPER_INFO));
    memcpy(out.data(), bytes->data(), bytes->size());
    return out;
}

std::vector<std::wstring> Names(const std::vector<PAPER_INFO>& papers)
{
    std::vector<std::wstring> names;
    for (const PAPER_INFO& p : papers)
        names.push_back(p.name);
    return names;
}

// A quick set as the file holds it.
struct StoredSet {
    std::wstring name;
    int id;
    std::wstring paper;
    int paperId;
    bool operator==(const StoredSet& o) const
    {
        return name == o.name && id == o.id && paper == o.paper && paperId == o.paperId;
    }
};
std::ostream& operator<<(std::ostream& out, const StoredSet& s)
{
    return out << "{" << narrow(s.name) << " " << s.id << " " << narrow(s.paper) << " " << s.paperId << "}";
}

std::vector<StoredSet> StoredSets(const SavedDataFile& file)
{
    std::vector<StoredSet> sets;
    pugi::xml_document doc;
    if (!doc.load_file(file.path().c_str()))
        return sets;
    for (pugi::xml_node item : doc.child(L"Root").child(L"QuickSetting").children(L"Item")) {
        pugi::xml_node size = item.child(L"Paper").child(L"Size");
        sets.push_back({ item.attribute(L"name").value(), item.attribute(L"id").as_int(),
                         size.attribute(L"name").value(), size.attribute(L"index").as_int() });
    }
    return sets;
}

// --- the dialog as a user drives it --------------------------------------------------------

struct Dialog {
    CCustomPaperDlg* object;
    HWND hwnd;
    HWND grid;

    HWND item(int id) const { return GetDlgItem(hwnd, id); }
    POINT cellCentre(int row, int column) const
    {
        CRect cell;
        object->m_grid.GetCellRect(row, column, cell);
        return { (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2 };
    }
    void click(int row, int column) const
    {
        POINT p = cellCentre(row, column);
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void doubleClick(int row, int column) const
    {
        click(row, column);
        POINT p = cellCentre(row, column);
        SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    HWND editor() const { return object->m_grid.GetEditWindow(); }
    // Opens the cell's editor, selects its text and types over it; the
    // characters reach the editor through the modal loop.
    void retype(int row, int column, const std::wstring& text) const
    {
        doubleClick(row, column);
        HWND edit = editor();
        ASSERT_TRUE(edit && GetFocus() == edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        if (text.empty())
            PostMessageW(edit, WM_CHAR, VK_BACK, 1);
        for (wchar_t c : text)
            PostMessageW(edit, WM_CHAR, c, 1);
    }
    // Opens the cell's editor and puts the whole text in at once, past the
    // editor's typing limit of 16 characters.
    void fill(int row, int column, const std::wstring& text) const
    {
        doubleClick(row, column);
        HWND edit = editor();
        ASSERT_TRUE(edit && GetFocus() == edit);
        SetWindowTextW(edit, text.c_str());
    }
    // A key pressed where the focus is, through the modal loop.
    void key(UINT vk) const
    {
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, vk, 1);
        PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
    }
    void clickPicture(int id) const
    {
        SendMessageW(item(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(item(id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    void press(int id) const { SendMessageW(item(id), BM_CLICK, 0, 0); }

    std::wstring text(int row, int column) const { return object->m_grid.GetItemText(row, column).GetString(); }
    std::vector<std::wstring> row(int r) const
    {
        std::vector<std::wstring> cells;
        for (int c = 0; c < CUSTOM_COLUMN_COUNT; ++c)
            cells.push_back(text(r, c));
        return cells;
    }
    int rows() const { return (int)SendMessageW(grid, LVM_GETITEMCOUNT, 0, 0); }
    int mark() const { return (int)SendMessageW(grid, LVM_GETSELECTIONMARK, 0, 0); }
    int selected() const { return (int)SendMessageW(grid, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED); }
    bool hintShown() const { return IsWindowVisible(item(IDC_CUSTOM_INVALID)) != FALSE; }
    bool valid() const { return object->m_grid.m_bValid != FALSE; }
    const PAPER_INFO& paper(int n) const { return object->m_context->settings->PaperList().CustomPapers()[n]; }
};

typedef std::function<void(Dialog&)> Step;

// Steps in order; a list of steps appends them all.
struct Steps : std::vector<Step> {
    Steps& operator<<(Step step)
    {
        push_back(std::move(step));
        return *this;
    }
    Steps& operator<<(const std::vector<Step>& more)
    {
        insert(end(), more.begin(), more.end());
        return *this;
    }
};

// Types over a cell and ends the edit with Return, as a user does.
std::vector<Step> Edit(int row, int column, const std::wstring& text)
{
    return { [=](Dialog& d) { d.retype(row, column, text); }, [](Dialog& d) { d.key(VK_RETURN); } };
}

std::vector<Step> Fill(int row, int column, const std::wstring& text)
{
    return { [=](Dialog& d) { d.fill(row, column, text); }, [](Dialog& d) { d.key(VK_RETURN); } };
}

// Keys pressed where the focus is, one a step: the dialog's loop hands each
// on (to an editor first, then to the dialog manager) before the next.
std::vector<Step> Keys(std::initializer_list<UINT> keys)
{
    std::vector<Step> steps;
    for (UINT key : keys)
        steps.push_back([=](Dialog& d) { d.key(key); });
    return steps;
}

Step Typed(const std::wstring& text)
{
    return [=](Dialog&) {
        for (wchar_t c : text)
            PostMessageW(GetFocus(), WM_CHAR, c, 1);
    };
}

// Counts the replacements of data files (one per file written).
int g_writes = 0;
BOOL WINAPI CountedMove(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    ++g_writes;
    return MoveFileExW(from, to, flags);
}

// The steps of a run, one per tick of a thread timer in the modal loop, so
// that what a step posts is handled by the loop before the next step.
struct Script {
    CCustomPaperDlg* dialog = nullptr;   // null: the one the Basic page opened
    std::vector<Step> steps;
    size_t next = 0;
    int idle = 0;
    bool running = false;
};
Script* g_script = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    if (auto* dialog = dynamic_cast<CCustomPaperDlg*>(CWnd::FromHandlePermanent(window))) {
        *reinterpret_cast<CCustomPaperDlg**>(found) = dialog;
        return FALSE;
    }
    return TRUE;
}

VOID CALLBACK ScriptTick(HWND, UINT, UINT_PTR id, DWORD)
{
    Script* s = g_script;
    if (!s || s->running)
        return;
    CCustomPaperDlg* dialog = s->dialog;
    if (!dialog)
        EnumThreadWindows(GetCurrentThreadId(), &FindDialog, (LPARAM)&dialog);
    if (!dialog || !dialog->m_hWnd || !IsWindowVisible(dialog->m_hWnd))
        return;
    s->running = true;
    Dialog d{ dialog, dialog->m_hWnd, dialog->m_grid.m_hWnd };
    if (s->next < s->steps.size()) {
        s->steps[s->next++](d);
    } else if (++s->idle > 20) {
        // Every step ran and the dialog is still open: a fault of the test's own.
        ADD_FAILURE() << "the dialog did not close";
        KillTimer(nullptr, id);
        dialog->EndDialog(-2);
    }
    s->running = false;
}

// A document sheet on a printer of the test's own, with the custom-paper
// dialog opened over its Basic page.
class CustomPaper : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        ASSERT_TRUE(core && papersFile.ok() && setsFile.ok());
        g_boxes.clear();
        g_helpTopics.clear();
        g_seams.MessageBoxW = &RecordBox;
        g_seams.HtmlHelpW = &RecordHelp;
        DEFAULT_SETTINGS defaults;
        fallback = LocaleDefaultPaper(*LoadDefaultSettings(&defaults));
    }
    void TearDown() override
    {
        ResetSystemSeams();
        ResetDataFileCalls();
    }

    // Opens the sheet, lets `before` prepare the sheet's context, runs the
    // dialog with the steps and answers what DoModal answered.
    // With throughButton, the Basic page opens the dialog from its button
    // (and the answer is -3).
    INT_PTR Run(const std::vector<Step>& steps, const std::function<void(PROPSHEET_CONTEXT*)>& before = {},
                bool throughButton = false)
    {
        INT_PTR result = -3;
        IOemUI2* plugin = new IOemUI2;
        EXPECT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
        {
            SheetHost host(plugin, printer.handle(), printer.name(), core.get());
            SheetRun run = host.show(SheetKind::Document, [&](HWND sheet) {
                HWND page = (HWND)SendMessageW(sheet, PSM_INDEXTOHWND, 0, 0);
                context = reinterpret_cast<PROPSHEET_CONTEXT*>(GetWindowLongPtrW(page, DWLP_USER));
                ASSERT_TRUE(context && context->pageLink && context->pageLink->basicPage);
                block = context->devmode->pPrivate;
                if (before)
                    before(context);
                Script script;
                script.steps = steps;
                g_script = &script;
                UINT_PTR timer = SetTimer(nullptr, 0, 10, &ScriptTick);
                if (throughButton) {
                    // A click on the Basic page's custom-paper picture.
                    HWND button = GetDlgItem(context->pageLink->basicPage->m_hWnd, IDC_CUSTOM_PAPER);
                    EXPECT_TRUE(button && IsWindowVisible(button));
                    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
                } else {
                    CCustomPaperDlg dialog(context->pageLink->basicPage);
                    dialog.m_context = context;
                    script.dialog = &dialog;
                    result = dialog.DoModal();
                }
                KillTimer(nullptr, timer);
                g_script = nullptr;
                EXPECT_EQ(steps.size(), script.next);
                privateAfter = *block;
                if (afterDialog)
                    afterDialog(context);
            });
            EXPECT_TRUE(run.shown);
            // The feature model lives on the host's heap.
            plugin->Release();
        }
        context = nullptr;
        block = nullptr;
        return result;
    }
    // Custom papers in the file before the sheet starts.
    void Store(const std::vector<PAPER_INFO>& papers) { ASSERT_TRUE(papersFile.write(papers)); }
    std::wstring Text(UINT id) const
    {
        RESOURCE_MODULE res = {};
        LoadResourceModule(&res, printer.handle());
        WCHAR text[512] = {};
        LoadStringW(res.module, id, text, 512);
        FreeResourceModule(&res);
        return text;
    }

    SavedDataFile papersFile{ "bq2100PS_cp.cfg" };
    SavedDataFile setsFile{ "bq2100PS_qs.xml" };
    TestPrinter printer{ TestPrinter::Mode::Unique };
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    DEFAULT_PAPER fallback = {};
    PROPSHEET_CONTEXT* context = nullptr;
    PRIVATE_DEVMODE* block = nullptr;
    PRIVATE_DEVMODE privateAfter = {};
    // Looks at the sheet once the dialog has ended.
    std::function<void(PROPSHEET_CONTEXT*)> afterDialog;
};

typedef CustomPaper CustomPaperDataFileGui;

// The sheet's Apply button, below the Basic page's sheet.
HWND ApplyButton(PROPSHEET_CONTEXT* c)
{
    return GetDlgItem(GetAncestor(c->pageLink->basicPage->m_hWnd, GA_ROOT), 0x3021);
}

} // namespace

TEST_F(CustomPaperDataFileGui, ShowsTheCustomPapersInTheirUnitsWithTheDocumentsPaperSelected)
{
    Store({ Paper(L"Poster", 210, 297), Paper(L"Card", 3.54f, 4.72f, PAPER_UNIT_INCH) });
    INT_PTR result = Run({
        [&](Dialog& d) {
            EXPECT_EQ(Text(IDS_CUSTOM_PAPER), windowText(d.hwnd));
            EXPECT_EQ(Text(IDS_CUSTOM_OK), windowText(d.item(IDC_CUSTOM_OK)));
            EXPECT_EQ(Text(IDS_CUSTOM_CANCEL), windowText(d.item(IDC_CUSTOM_CANCEL)));
            EXPECT_EQ(2, d.rows());
            EXPECT_EQ(std::vector<std::wstring>({ L"Poster", L"210.0", L"297.0", L"mm" }), d.row(0));
            EXPECT_EQ(std::vector<std::wstring>({ L"Card", L"3.54", L"4.72", L"inch" }), d.row(1));
            GRID_CELL* unit = d.object->m_grid.GetCell(0, CUSTOM_COLUMN_UNIT);
            ASSERT_TRUE(unit);
            ASSERT_EQ(2, unit->choices.GetSize());
            EXPECT_EQ(g_strUnitName[0], unit->choices[0]);
            EXPECT_EQ(g_strUnitName[1], unit->choices[1]);
            EXPECT_EQ(1, d.mark());
            EXPECT_EQ(1, d.selected());
            EXPECT_FALSE(d.hintShown());
            EXPECT_EQ(Text(IDS_CUSTOM_INFO_TIP), d.object->m_tip.FindTool(d.item(IDC_CUSTOM_INFO))->strText.GetString());
            saveScreenshot(d.hwnd, L"custom-paper-dialog");
            // The pointer over the information picture: its tip follows.
            SendMessageW(d.hwnd, WM_SETCURSOR, (WPARAM)d.item(IDC_CUSTOM_INFO), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(d.item(IDC_CUSTOM_INFO), d.object->m_tip.GetTrackedControl());
        },
        // Poster in inches: the sizes it holds in inches, nothing recomputed.
        [&](Dialog& d) { d.click(0, CUSTOM_COLUMN_UNIT); },
        [&](Dialog& d) { d.key(VK_DOWN); d.key(VK_RETURN); },
        [&](Dialog& d) {
            EXPECT_EQ(std::vector<std::wstring>({ L"Poster", L"8.27", L"11.69", L"inch" }), d.row(0));
            EXPECT_EQ(210.0f, d.paper(0).widthMm);
            EXPECT_EQ(PAPER_UNIT_INCH, d.paper(0).unit);
            d.press(IDC_CUSTOM_CANCEL);
        },
    }, [](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = 258;
        c->devmode->pPrivate->quickSetId = 0;
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(0, (int)privateAfter.quickSetId);
    std::vector<PAPER_INFO> stored = StoredPapers(papersFile);
    ASSERT_EQ(2u, stored.size());
    EXPECT_EQ(PAPER_UNIT_INCH, stored[0].unit);
    EXPECT_EQ(210.0f, stored[0].widthMm);
    EXPECT_EQ(297.0f, stored[0].heightMm);
    EXPECT_EQ(258, privateAfter.paperId);   // Cancel picks no paper
}

TEST_F(CustomPaperDataFileGui, SizesOutsideTheLimitsOrNotNumbersAreRefusedAndOkWaitsForAValidCell)
{
    Store({ Paper(L"Poster", 210, 297), Paper(L"Card", 4, 6, PAPER_UNIT_INCH) });
    auto refused = [](int row, int column, const std::wstring& text) {
        Steps steps;
        steps << Edit(row, column, text) << [=](Dialog& d) {
            EXPECT_FALSE(d.valid()) << narrow(text);
            EXPECT_TRUE(d.hintShown()) << narrow(text);
        };
        return steps;
    };
    Steps steps;
    steps << refused(0, CUSTOM_COLUMN_WIDTH, L"89.9") << refused(0, CUSTOM_COLUMN_WIDTH, L"216.1")
          << refused(0, CUSTOM_COLUMN_WIDTH, L"1,5") << refused(0, CUSTOM_COLUMN_WIDTH, L"12a")
          << refused(0, CUSTOM_COLUMN_WIDTH, L"-100") << refused(0, CUSTOM_COLUMN_WIDTH, L"+100")
          << [&](Dialog& d) {
                 EXPECT_EQ(210.0f, d.paper(0).widthMm);
                 saveScreenshot(d.hwnd, L"custom-paper-dialog-invalid");
                 EXPECT_EQ(Text(IDS_CUSTOM_INVALID_TIP),
                           d.object->m_tip.FindTool(d.item(IDC_CUSTOM_INVALID))->strText.GetString());
             }
          << Edit(0, CUSTOM_COLUMN_WIDTH, L"216")
          << [&](Dialog& d) {
                 EXPECT_TRUE(d.valid());
                 EXPECT_FALSE(d.hintShown());
                 EXPECT_EQ(216.0f, d.paper(0).widthMm);
                 EXPECT_EQ(8.5f, d.paper(0).widthInch) << "216 mm keeps the inch limit";
             }
          << refused(0, CUSTOM_COLUMN_HEIGHT, L"1.2.3") << Edit(0, CUSTOM_COLUMN_HEIGHT, L"356.0")
          << [&](Dialog& d) {
                 EXPECT_TRUE(d.valid());
                 EXPECT_EQ(297.0f, StoredPapers(papersFile)[0].heightMm) << "nothing written yet";
                 EXPECT_EQ(356.0f, d.paper(0).heightMm);
             }
          << refused(1, CUSTOM_COLUMN_WIDTH, L"8.51")
          << [&](Dialog& d) {
                 EXPECT_EQ(4.0f, d.paper(1).widthInch);
                 // OK flashes the invalid cell and keeps the dialog open.
                 d.object->m_grid.m_nFlashCount = 5;
                 d.press(IDC_CUSTOM_OK);
                 EXPECT_TRUE(IsWindowVisible(d.hwnd));
                 EXPECT_EQ(0, d.object->m_grid.m_nFlashCount);
                 EXPECT_EQ(297.0f, StoredPapers(papersFile)[0].heightMm) << "nothing written";
             }
          << Edit(1, CUSTOM_COLUMN_WIDTH, L"3.54")
          << [&](Dialog& d) {
                 EXPECT_TRUE(d.valid());
                 EXPECT_FALSE(d.hintShown());
                 EXPECT_EQ(3.54f, d.paper(1).widthInch);
                 d.press(IDC_CUSTOM_OK);
             };
    EXPECT_EQ(IDOK, Run(steps));
    std::vector<PAPER_INFO> stored = StoredPapers(papersFile);
    ASSERT_EQ(2u, stored.size());
    EXPECT_EQ(216.0f, stored[0].widthMm);
    EXPECT_EQ(356.0f, stored[0].heightMm);
    EXPECT_EQ(3.54f, stored[1].widthInch);
    EXPECT_EQ(6.0f, stored[1].heightInch);
}

TEST_F(CustomPaperDataFileGui, ConfirmingTheShownRoundedSizeKeepsTheStoredSize)
{
    PAPER_INFO a4 = Paper(L"Poster", 210, 297);
    a4.unit = PAPER_UNIT_INCH;
    Store({ a4 });
    Steps steps;
    steps << Edit(0, CUSTOM_COLUMN_WIDTH, L"8.27") << Edit(0, CUSTOM_COLUMN_HEIGHT, L"11.69")
          << [&](Dialog& d) { d.press(IDC_CUSTOM_OK); };
    EXPECT_EQ(IDOK, Run(steps));
    std::vector<PAPER_INFO> stored = StoredPapers(papersFile);
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(210.0f, stored[0].widthMm);
    EXPECT_EQ(297.0f, stored[0].heightMm);
}

TEST_F(CustomPaperDataFileGui, NamesMustBeUniqueOnTheirStoredCharacters)
{
    Store({ Paper(L"Poster", 210, 297), Paper(L"Card", 100, 150) });
    const std::wstring forty = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789wxyz";
    const std::wstring sameStart = forty.substr(0, 31) + L"--other end";
    auto refused = [](int row, const std::wstring& text) {
        Steps steps;
        steps << Fill(row, CUSTOM_COLUMN_NAME, text) << [=](Dialog& d) {
            EXPECT_FALSE(d.valid()) << narrow(text);
            EXPECT_TRUE(d.hintShown()) << narrow(text);
        };
        return steps;
    };
    Steps steps;
    steps << refused(0, L"   ") << refused(0, L"") << refused(0, L"A4") << refused(0, L"Card")
          << [&](Dialog& d) { EXPECT_EQ(std::wstring(L"Poster"), d.paper(0).name); }
          << Edit(0, CUSTOM_COLUMN_NAME, L"Poster")
          << [&](Dialog& d) {
                 EXPECT_TRUE(d.valid()) << "its own name";
                 EXPECT_FALSE(d.hintShown());
             }
          << Fill(0, CUSTOM_COLUMN_NAME, forty)
          << [&](Dialog& d) {
                 EXPECT_TRUE(d.valid());
                 EXPECT_EQ(forty.substr(0, 31), d.paper(0).name);
                 EXPECT_EQ(forty.substr(0, 31), d.text(0, CUSTOM_COLUMN_NAME));
             }
          << refused(1, sameStart)
          << [&](Dialog& d) {
                 EXPECT_EQ(std::wstring(L"Card"), d.paper(1).name);
                 d.press(IDC_CUSTOM_CANCEL);
             };
    // Cancel leaves while the cell is invalid; the accepted rename is kept.
    EXPECT_EQ(IDCANCEL, Run(steps));
    EXPECT_EQ(std::vector<std::wstring>({ forty.substr(0, 31), L"Card" }), Names(StoredPapers(papersFile)));
}

TEST_F(CustomPaperDataFileGui, AddTakesTheFirstFreeNumberAndTheLocalesPaperUpToTwentyPapers)
{
    const std::wstring prefix = Text(IDS_QUICKSET_UNSAVED);
    Store({ Paper((prefix + L"1").c_str(), 100, 150), Paper((prefix + L"3").c_str(), 100, 150) });
    const bool inches = fallback.unit == PAPER_UNIT_INCH;
    Steps steps;
    steps << [&](Dialog& d) {
        EXPECT_EQ(-1, d.mark()) << "the document's paper is no custom one";
        d.clickPicture(IDC_CUSTOM_DELETE);
        EXPECT_EQ(2, d.rows()) << "delete without a selected row";
        d.clickPicture(IDC_CUSTOM_ADD);
    } << [&](Dialog& d) {
                 ASSERT_EQ(3, d.rows());
                 EXPECT_EQ(std::vector<std::wstring>({ prefix + L"2", inches ? L"8.50" : L"210.0",
                                                       inches ? L"11.00" : L"297.0", inches ? L"inch" : L"mm" }),
                           d.row(2));
                 EXPECT_EQ(259, d.paper(2).id);
                 EXPECT_EQ(-1, d.mark()) << "the new row is not selected";
                 for (int i = 3; i < 21; ++i)
                     d.clickPicture(IDC_CUSTOM_ADD);
             }
          << [&](Dialog& d) {
                 EXPECT_EQ(20, d.rows());
                 EXPECT_EQ(prefix + L"4", d.text(3, CUSTOM_COLUMN_NAME));
                 EXPECT_EQ(prefix + L"20", d.text(19, CUSTOM_COLUMN_NAME));
                 d.press(IDC_CUSTOM_CANCEL);
             };
    EXPECT_EQ(IDCANCEL, Run(steps));
    std::vector<PAPER_INFO> stored = StoredPapers(papersFile);
    ASSERT_EQ(20u, stored.size());
    EXPECT_EQ(prefix + L"2", stored[2].name);
    EXPECT_EQ(276, stored[19].id);
    EXPECT_EQ(fallback.unit, stored[2].unit);
    EXPECT_EQ(std::vector<BYTE>({ 0, 1, 0, 1 }), std::vector<BYTE>(stored[2].flag, stored[2].flag + 4));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(CustomPaperDataFileGui, DeletingTheDocumentsPaperGivesItAndItsQuickSetsTheDefaultPaper)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160), Paper(L"P3", 120, 170), Paper(L"P4", 130, 180) });
    std::vector<StoredSet> setsBefore;
    Steps steps;
    steps << [&](Dialog& d) {
        EXPECT_EQ(1, d.mark()) << "the document's paper";
        setsBefore = StoredSets(setsFile);
        g_writes = 0;
        g_DataFileCalls.MoveFileExW = &CountedMove;
        d.clickPicture(IDC_CUSTOM_DELETE);
        EXPECT_EQ(2, g_writes) << "the paper file, then the quick-settings file once";
        ResetDataFileCalls();
        EXPECT_EQ(std::vector<std::wstring>({ L"P1", L"P3", L"P4" }), Names(StoredPapers(papersFile)));
        EXPECT_EQ(3, d.rows());
        EXPECT_EQ(0, d.mark());
        EXPECT_EQ(0, d.selected());
        EXPECT_EQ((INT16)fallback.paperId, block->paperId);
        EXPECT_EQ(259, d.paper(2).id);
    } << [&](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); };
    INT_PTR result = Run(steps, [&](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = 258;
        _QS_STRUCK set = c->quickSettings->GetItem(0);
        auto add = [&](const wchar_t* name, int id, const wchar_t* paper, int paperId) {
            set.name = name;
            set.id = id;
            set.paper.sizeName = paper;
            set.paper.sizeIndex = paperId;
            ASSERT_EQ(S_OK, c->quickSettings->AddItem(set));
        };
        add(L"First", 1, L"P2", 258);
        add(L"Second", 2, L"P2", 258);
        add(L"Later", 3, L"P4", 260);
    });
    EXPECT_EQ(IDCANCEL, result);
    ASSERT_EQ(4u, setsBefore.size());
    const std::wstring fallbackName = fallback.name;
    std::vector<StoredSet> expected = { setsBefore[0], { L"Later", 3, L"P4", 259 },
                                        { L"First", 1, fallbackName, (int)fallback.paperId },
                                        { L"Second", 2, fallbackName, (int)fallback.paperId } };
    EXPECT_EQ(expected, StoredSets(setsFile));
    EXPECT_EQ(std::vector<std::wstring>({ L"P1", L"P3", L"P4" }), Names(StoredPapers(papersFile)));
    EXPECT_EQ((INT16)fallback.paperId, privateAfter.paperId);
}

TEST_F(CustomPaperDataFileGui, DeleteSelectsTheNeighbourAndTheDocumentKeepsItsPaperNumbersMovingDown)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160), Paper(L"P3", 120, 170), Paper(L"P4", 130, 180) });
    Steps steps;
    steps << [&](Dialog& d) {
        EXPECT_EQ(3, d.mark());
        d.click(0, CUSTOM_COLUMN_NAME);
        EXPECT_EQ(0, d.mark());
        d.clickPicture(IDC_CUSTOM_DELETE);
        EXPECT_EQ(std::vector<std::wstring>({ L"P2", L"P3", L"P4" }),
                  std::vector<std::wstring>({ d.text(0, 0), d.text(1, 0), d.text(2, 0) }));
        EXPECT_EQ(0, d.mark()) << "the new first row";
        EXPECT_EQ(0, d.selected());
        EXPECT_EQ(259, block->paperId) << "P4 moved down";
    } << Fill(1, CUSTOM_COLUMN_NAME, L"P2")   // an invalid cell in the row that goes next
      << [&](Dialog& d) {
             EXPECT_TRUE(d.hintShown());
             d.click(1, CUSTOM_COLUMN_NAME);
             EXPECT_EQ(1, d.mark());
             d.clickPicture(IDC_CUSTOM_DELETE);
             EXPECT_EQ(2, d.rows());
             EXPECT_EQ(0, d.mark()) << "the row before";
             EXPECT_EQ(0, d.selected());
             EXPECT_FALSE(d.hintShown()) << "the invalid cell went with its row";
             EXPECT_TRUE(d.valid());
             EXPECT_EQ(258, block->paperId);
             EXPECT_EQ(258, d.paper(1).id);
             d.press(IDC_CUSTOM_CANCEL);
         };
    INT_PTR result = Run(steps, [](PROPSHEET_CONTEXT* c) { c->devmode->pPrivate->paperId = 260; });
    EXPECT_EQ(IDCANCEL, result);
    std::vector<PAPER_INFO> stored = StoredPapers(papersFile);
    EXPECT_EQ(std::vector<std::wstring>({ L"P2", L"P4" }), Names(stored));
    ASSERT_EQ(2u, stored.size());
    EXPECT_EQ(258, stored[1].id);
    EXPECT_EQ(258, privateAfter.paperId);
}

TEST_F(CustomPaperDataFileGui, ADeleteThePaperFileCannotTakeIsToldAndRenumbersNothing)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160), Paper(L"P3", 120, 170) });
    std::string setsBefore;
    Steps steps;
    steps << [&](Dialog& d) {
        setsBefore = setsFile.read().value_or("");
        d.click(0, CUSTOM_COLUMN_NAME);
        ASSERT_TRUE(SetFileAttributesW(papersFile.path().c_str(), FILE_ATTRIBUTE_READONLY));
        d.clickPicture(IDC_CUSTOM_DELETE);
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(Text(IDS_CUSTOM_PAPER_NOT_DELETED), g_boxes[0].text);
        EXPECT_EQ(3, d.rows());
        EXPECT_EQ(258, d.paper(1).id);
        EXPECT_EQ(258, block->paperId);
        EXPECT_EQ(setsBefore, setsFile.read().value_or(""));
    } << [&](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); };
    Run(steps, [&](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = 258;
        _QS_STRUCK set = c->quickSettings->GetItem(0);
        set.name = L"On P3";
        set.id = 1;
        set.paper.sizeName = L"P3";
        set.paper.sizeIndex = 259;
        ASSERT_EQ(S_OK, c->quickSettings->AddItem(set));
    });
    SetFileAttributesW(papersFile.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(std::vector<std::wstring>({ L"P1", L"P2", L"P3" }), Names(StoredPapers(papersFile)));
    ASSERT_EQ(2u, StoredSets(setsFile).size());
    EXPECT_EQ((StoredSet{ L"On P3", 1, L"P3", 259 }), StoredSets(setsFile)[1]) << "P3 keeps its number";
    EXPECT_EQ(258, privateAfter.paperId);
}

TEST_F(CustomPaperDataFileGui, OkAppliesTheSelectedPaperOnlyWhenTheConstraintsAllowIt)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160) });
    const INT16 standard = (INT16)fallback.paperId;
    auto pickSecond = [&]() {
        return std::vector<Step>{ [&](Dialog& d) {
            d.click(1, CUSTOM_COLUMN_NAME);
            d.press(IDC_CUSTOM_OK);
        } };
    };
    EXPECT_EQ(IDOK, Run(pickSecond(), [&](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = standard;
        c->devmode->pPrivate->quickSetId = 0;
    }));
    EXPECT_EQ(258, privateAfter.paperId);
    EXPECT_EQ(-1, (int)privateAfter.quickSetId) << "no saved set any more";
    EXPECT_TRUE(g_boxes.empty());

    // Custom papers print one-sided: with duplex on, the paper is refused with a warning.
    EXPECT_EQ(IDOK, Run(pickSecond(), [&](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = standard;
        c->devmode->pPrivate->duplex = 1;
        c->devmode->pPrivate->quickSetId = 0;
    }));
    EXPECT_EQ(standard, privateAfter.paperId);
    EXPECT_EQ(-1, (int)privateAfter.quickSetId) << "marked also when the paper was refused";
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(Text(IDS_CONFLICT_CAPTION), g_boxes[0].caption);
    EXPECT_EQ(2u, StoredPapers(papersFile).size());
}

TEST_F(CustomPaperDataFileGui, EnterEscapeAndTheCloseBoxActAsTheButtons)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160) });
    // Enter and Escape in an open editor end the edit only.
    Steps enter;
    enter << [&](Dialog& d) { d.retype(0, CUSTOM_COLUMN_NAME, L"Gone"); }
          << [&](Dialog& d) { d.key(VK_ESCAPE); }
          << [&](Dialog& d) {
                 EXPECT_TRUE(IsWindowVisible(d.hwnd));
                 EXPECT_EQ(std::wstring(L"P1"), d.paper(0).name);
                 d.retype(0, CUSTOM_COLUMN_NAME, L"Kept");
             }
          << [&](Dialog& d) { d.key(VK_RETURN); }
          << [&](Dialog& d) {
                 EXPECT_TRUE(IsWindowVisible(d.hwnd));
                 EXPECT_EQ(std::wstring(L"Kept"), d.paper(0).name);
                 d.click(1, CUSTOM_COLUMN_NAME);
                 EXPECT_EQ(d.grid, GetFocus());
                 d.key(VK_RETURN);
             };
    EXPECT_EQ(IDOK, Run(enter));
    EXPECT_EQ(std::vector<std::wstring>({ L"Kept", L"P2" }), Names(StoredPapers(papersFile)));
    EXPECT_EQ(258, privateAfter.paperId) << "Enter applies the selected paper as OK does";

    Steps escape;
    escape << [&](Dialog& d) {
        d.clickPicture(IDC_CUSTOM_ADD);
        d.click(0, CUSTOM_COLUMN_NAME);
        d.key(VK_ESCAPE);
    };
    EXPECT_EQ(IDCANCEL, Run(escape));
    EXPECT_EQ(3u, StoredPapers(papersFile).size());

    Steps closeBox;
    closeBox << [&](Dialog& d) {
        d.clickPicture(IDC_CUSTOM_ADD);
        PostMessageW(d.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    };
    EXPECT_EQ(IDCANCEL, Run(closeBox));
    EXPECT_EQ(4u, StoredPapers(papersFile).size());
}

TEST_F(CustomPaperDataFileGui, ANameStillBeingTypedIsKeptHoweverTheDialogEnds)
{
    Store({ Paper(L"P1", 100, 150) });
    const std::vector<std::pair<std::wstring, Step>> ends = {
        { L"By OK", [](Dialog& d) { d.press(IDC_CUSTOM_OK); } },
        { L"By Cancel", [](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); } },
        { L"By close box", [](Dialog& d) { PostMessageW(d.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); } },
        // Escape that reaches the dialog, not the editor.
        { L"By Escape", [](Dialog& d) { PostMessageW(d.hwnd, WM_KEYDOWN, VK_ESCAPE, 1); } },
    };
    for (const auto& end : ends) {
        Steps steps;
        steps << [&](Dialog& d) { d.retype(0, CUSTOM_COLUMN_NAME, end.first); } << end.second;
        Run(steps);
        EXPECT_EQ(std::vector<std::wstring>({ end.first }), Names(StoredPapers(papersFile)));
    }
}

// The keys go through the dialog manager, as the dialog's modal loop hands them on.
TEST_F(CustomPaperDataFileGui, TheKeysReachEveryControlAndAddChooseAndDeletePapers)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160) });
    const std::wstring added = Text(IDS_QUICKSET_UNSAVED) + L"1";
    Steps steps;
    steps << [&](Dialog& d) {
        const KeyLoop keys = dialogLoop(d.hwnd);
        SetFocus(d.item(IDC_CUSTOM_ADD));
        const std::vector<int> order = { IDC_CUSTOM_ADD, IDC_CUSTOM_DELETE, IDC_CUSTOM_GRID, IDC_CUSTOM_OK,
                                         IDC_CUSTOM_CANCEL };
        EXPECT_EQ(order, tabStops(keys, d.hwnd));
        EXPECT_EQ(backwards(order), tabStops(keys, d.hwnd, true));
        pressKey(keys, VK_SPACE);
        EXPECT_EQ(3, d.rows());
        // P2 chosen in the grid and deleted, then the new paper chosen and OK.
        for (UINT key : { VK_TAB, VK_TAB, VK_HOME, VK_DOWN })
            pressKey(keys, key);
        pressKey(keys, VK_TAB, KEY_SHIFT);
        pressKey(keys, VK_SPACE);
        for (UINT key : { VK_TAB, VK_END, VK_TAB, VK_SPACE })
            pressKey(keys, key);
    };
    EXPECT_EQ(IDOK, Run(steps));
    EXPECT_EQ(std::vector<std::wstring>({ L"P1", added }), Names(StoredPapers(papersFile)));
    EXPECT_EQ(258, privateAfter.paperId);
}

TEST_F(CustomPaperDataFileGui, APaperIsRenamedResizedAndGivenTheOtherUnitWithTheKeysAlone)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160) });
    Steps steps;
    steps << [](Dialog& d) { EXPECT_EQ(d.item(IDC_CUSTOM_ADD), GetFocus()); }
          << Keys({ VK_TAB, VK_TAB, VK_END, VK_F2 }) << Typed(L"Wide") << Keys({ VK_RETURN, VK_RIGHT, VK_F2 })
          << Typed(L"200") << Keys({ VK_RETURN, VK_RIGHT, VK_RIGHT, VK_F2, VK_DOWN, VK_RETURN })
          << [](Dialog& d) {
                 EXPECT_EQ(std::vector<std::wstring>({ L"Wide", L"7.87", L"6.30", L"inch" }), d.row(1));
                 saveScreenshot(d.hwnd, L"custom-paper-dialog-keys");
             }
          << Keys({ VK_RETURN });   // on the grid: the dialog's OK
    EXPECT_EQ(IDOK, Run(steps));
    std::vector<PAPER_INFO> stored = StoredPapers(papersFile);
    EXPECT_EQ(std::vector<std::wstring>({ L"P1", L"Wide" }), Names(stored));
    ASSERT_EQ(2u, stored.size());
    EXPECT_EQ(200.0f, stored[1].widthMm);
    EXPECT_EQ(160.0f, stored[1].heightMm);
    EXPECT_EQ(PAPER_UNIT_INCH, stored[1].unit);
    EXPECT_EQ(258, privateAfter.paperId);
}

TEST_F(CustomPaperDataFileGui, HelpIsShownOncePerRequest)
{
    Steps steps;
    steps << [&](Dialog& d) {
        SetFocus(d.grid);
        // F1 over the grid: the system sends the request to the focus.
        HELPINFO info = { sizeof(HELPINFO), HELPINFO_WINDOW, IDC_CUSTOM_GRID, d.grid, 0, { 10, 10 } };
        SendMessageW(d.grid, WM_HELP, 0, (LPARAM)&info);
        EXPECT_EQ(std::vector<DWORD_PTR>({ GetHelpContext(IDD_CUSTOM_PAPER) }), g_helpTopics);
        d.press(IDC_CUSTOM_CANCEL);
    };
    EXPECT_EQ(IDCANCEL, Run(steps));
    EXPECT_EQ(1u, g_helpTopics.size());
}

TEST_F(CustomPaperDataFileGui, TheBasicPagesButtonOpensTheDialogAndShowsTheNewPaperAfterwards)
{
    Store({ Paper(L"P1", 100, 150) });
    const std::wstring added = Text(IDS_QUICKSET_UNSAVED) + L"1";
    int papersBefore = 0;
    std::wstring chosen;
    int papersAfter = 0;
    bool applyBefore = true, applyAfter = false;
    Steps steps;
    steps << [&](Dialog& d) {
        EXPECT_EQ(1, d.rows());
        EXPECT_EQ(GetAncestor(context->pageLink->basicPage->m_hWnd, GA_ROOT), GetWindow(d.hwnd, GW_OWNER));
        d.clickPicture(IDC_CUSTOM_ADD);
        d.click(1, CUSTOM_COLUMN_NAME);
        d.press(IDC_CUSTOM_OK);
    };
    afterDialog = [&](PROPSHEET_CONTEXT* c) {
        HWND combo = GetDlgItem(c->pageLink->basicPage->m_hWnd, IDC_PAPER_SIZE);
        papersAfter = (int)SendMessageW(combo, CB_GETCOUNT, 0, 0);
        int selected = (int)SendMessageW(combo, CB_GETCURSEL, 0, 0);
        WCHAR text[64] = {};
        if (selected >= 0 && SendMessageW(combo, CB_GETLBTEXTLEN, selected, 0) < 64)
            SendMessageW(combo, CB_GETLBTEXT, selected, (LPARAM)text);
        chosen = text;
        applyAfter = IsWindowEnabled(ApplyButton(c));
    };
    Run(steps, [&](PROPSHEET_CONTEXT* c) {
        papersBefore = (int)SendMessageW(GetDlgItem(c->pageLink->basicPage->m_hWnd, IDC_PAPER_SIZE), CB_GETCOUNT, 0, 0);
        applyBefore = IsWindowEnabled(ApplyButton(c));
    }, true);
    EXPECT_FALSE(applyBefore);
    EXPECT_TRUE(applyAfter) << "the paper chosen in the dialog is a change to apply";
    EXPECT_EQ(258, privateAfter.paperId);
    EXPECT_EQ(papersBefore + 1, papersAfter);
    EXPECT_EQ(added, chosen);
    EXPECT_EQ(std::vector<std::wstring>({ L"P1", added }), Names(StoredPapers(papersFile)));
}

TEST_F(CustomPaperDataFileGui, ResizingTheDocumentsPaperIsAChangeToApply)
{
    Store({ Paper(L"P1", 100, 150) });
    bool applyAfter = false;
    Steps steps;
    steps << Edit(0, CUSTOM_COLUMN_WIDTH, L"120") << [](Dialog& d) { d.press(IDC_CUSTOM_OK); };
    afterDialog = [&](PROPSHEET_CONTEXT* c) { applyAfter = IsWindowEnabled(ApplyButton(c)); };
    Run(steps, [](PROPSHEET_CONTEXT* c) { c->devmode->pPrivate->paperId = 257; }, true);
    EXPECT_EQ(257, privateAfter.paperId);
    EXPECT_TRUE(applyAfter);
}

TEST_F(CustomPaperDataFileGui, TheDialogStartsFromTheFileAndTheDocumentKeepsItsPaperByName)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"Card", 110, 160) });
    int shown = -1;   // the Basic page's paper, among the custom ones
    afterDialog = [&](PROPSHEET_CONTEXT* c) {
        shown = c->pageLink->basicPage->m_paperSize.GetCurSel() - (int)c->settings->PaperList().GetStandardCount();
    };
    Run({ [](Dialog& d) {
        EXPECT_EQ(L"Card", d.text(0, CUSTOM_COLUMN_NAME));
        EXPECT_EQ(L"New", d.text(1, CUSTOM_COLUMN_NAME));
        EXPECT_EQ(0, d.mark());
        d.press(IDC_CUSTOM_CANCEL);
    } }, [&](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = 258;
        Store({ Paper(L"Card", 110, 160), Paper(L"New", 120, 170) });   // by another sheet
    }, true);
    EXPECT_EQ(257, privateAfter.paperId);
    EXPECT_EQ(0, shown);
}

TEST_F(CustomPaperDataFileGui, ADialogClosedWithNoChangeWritesNothing)
{
    Store({ Paper(L"P1", 100, 150) });
    g_writes = 0;
    for (Step end : std::vector<Step>{ [](Dialog& d) { d.click(0, 0); d.press(IDC_CUSTOM_OK); },
                                       [](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); },
                                       [](Dialog& d) { PostMessageW(d.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); },
                                       [](Dialog& d) { PostMessageW(d.hwnd, WM_KEYDOWN, VK_ESCAPE, 1); } })
        Run({ end }, [](PROPSHEET_CONTEXT*) { g_DataFileCalls.MoveFileExW = &CountedMove; });
    EXPECT_EQ(0, g_writes);
}

TEST_F(CustomPaperDataFileGui, AWriteWaitsForTheFilesLockAndIsToldWhenItStaysHeld)
{
    Store({ Paper(L"P1", 100, 150) });
    g_DataFileCalls.Sleep = [](DWORD) {};
    HANDLE lock = CreateFileW((papersFile.path() + L".lock").c_str(), GENERIC_READ | DELETE, 0, nullptr,
                              OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    Run({ [](Dialog& d) { d.clickPicture(IDC_CUSTOM_ADD); d.press(IDC_CUSTOM_OK); } });
    CloseHandle(lock);
    EXPECT_EQ(1u, StoredPapers(papersFile).size());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(Text(IDS_CUSTOM_PAPERS_NOT_SAVED), g_boxes[0].text);
}

TEST_F(CustomPaperDataFileGui, TheDocumentKeepsItsPaperRenamedElsewhereOrNamedTwice)
{
    // Renamed by another sheet: same number, same size.
    Store({ Paper(L"P1", 100, 150), Paper(L"Card", 110, 160) });
    Run({ [](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); } }, [&](PROPSHEET_CONTEXT* c) {
        c->devmode->pPrivate->paperId = 258;
        Store({ Paper(L"P1", 100, 150), Paper(L"Board", 110, 160) });
    });
    EXPECT_EQ(258, privateAfter.paperId);

    // A file written by hand with one name twice: the second keeps its number.
    Store({ Paper(L"P1", 100, 150), Paper(L"Card", 110, 160), Paper(L"Card", 120, 170) });
    Run({ [](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); } },
        [&](PROPSHEET_CONTEXT* c) { c->devmode->pPrivate->paperId = 259; });
    EXPECT_EQ(259, privateAfter.paperId);
}

TEST_F(CustomPaperDataFileGui, AWriteOverAnotherSheetsChangeIsRefusedAndShowsTheFileAgain)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160), Paper(L"P3", 120, 170), Paper(L"P4", 130, 180) });
    Steps steps;
    steps << [&](Dialog& d) {
        Store({ Paper(L"P2", 110, 160), Paper(L"P3", 120, 170), Paper(L"P4", 130, 180) });   // P1 deleted elsewhere
        d.clickPicture(IDC_CUSTOM_ADD);
        d.press(IDC_CUSTOM_OK);
        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(Text(IDS_CUSTOM_PAPERS_CHANGED), g_boxes[0].text);
        EXPECT_EQ(std::vector<std::wstring>({ L"P2", L"P3", L"P4" }), Names(StoredPapers(papersFile)));
        EXPECT_EQ(3, d.rows()) << "the file's papers, the dialog still open";
        EXPECT_EQ(L"P2", d.text(0, CUSTOM_COLUMN_NAME));
        EXPECT_EQ(258, block->paperId) << "P3, followed";
        // A deletion is held to the same rule.
        Store({ Paper(L"P2", 110, 160), Paper(L"P3", 120, 170), Paper(L"Q4", 130, 180) });
        d.click(0, CUSTOM_COLUMN_NAME);
        d.clickPicture(IDC_CUSTOM_DELETE);
        ASSERT_EQ(2u, g_boxes.size());
        EXPECT_EQ(Text(IDS_CUSTOM_PAPERS_CHANGED), g_boxes[1].text);
        EXPECT_EQ(std::vector<std::wstring>({ L"P2", L"P3", L"Q4" }), Names(StoredPapers(papersFile)));
        EXPECT_EQ(L"Q4", d.text(2, CUSTOM_COLUMN_NAME));
        EXPECT_EQ(258, block->paperId) << "still P3";
    } << [](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); };
    EXPECT_EQ(IDCANCEL, Run(steps, [](PROPSHEET_CONTEXT* c) { c->devmode->pPrivate->paperId = 259; }));
    EXPECT_EQ(std::vector<std::wstring>({ L"P2", L"P3", L"Q4" }), Names(StoredPapers(papersFile)));
    EXPECT_EQ(2u, g_boxes.size());
}

TEST_F(CustomPaperDataFileGui, ARefusedWriteKeepsTheUsersSelectionAndNoRefusedCellOfItsOwn)
{
    Store({ Paper(L"P1", 100, 150), Paper(L"P2", 110, 160), Paper(L"P3", 120, 170) });
    Steps steps;
    steps << Edit(0, CUSTOM_COLUMN_WIDTH, L"50")   // below the limit: refused
          << [&](Dialog& d) {
                 ASSERT_TRUE(d.hintShown());
                 d.click(0, CUSTOM_COLUMN_NAME);
                 ASSERT_EQ(0, d.mark());
                 Store({ Paper(L"P1", 100, 150), Paper(L"Q2", 110, 160), Paper(L"P3", 120, 170) });
                 d.clickPicture(IDC_CUSTOM_DELETE);
                 ASSERT_EQ(1u, g_boxes.size());
                 EXPECT_EQ(Text(IDS_CUSTOM_PAPERS_CHANGED), g_boxes[0].text);
                 EXPECT_EQ(0, d.mark()) << "P1, as the user had it";
                 EXPECT_TRUE(d.valid()) << "the file's width is not drawn as refused";
                 EXPECT_EQ(L"100.0", d.text(0, CUSTOM_COLUMN_WIDTH));
                 saveScreenshot(d.hwnd, L"custom-paper-refused-write");
                 d.clickPicture(IDC_CUSTOM_DELETE);
                 EXPECT_EQ(std::vector<std::wstring>({ L"Q2", L"P3" }), Names(StoredPapers(papersFile)));
                 EXPECT_EQ(258, block->paperId) << "P3, moved down";
             }
          << [](Dialog& d) { d.press(IDC_CUSTOM_CANCEL); };
    Run(steps, [](PROPSHEET_CONTEXT* c) { c->devmode->pPrivate->paperId = 259; });
}
