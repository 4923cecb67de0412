// The windows a user waits for, opened through the loaded DLL as the driver
// opens them, each until it is painted through (harness::PaintWatch), beside
// the printer driver's own document properties of the same printer, all in
// one Wine session, and beside the floor: the pages' templates alone in a
// plain property sheet. Opens of the kinds alternate so that they share the
// machine's state; each row's median leaves out the first open, shown apart.
#include "Bench.h"
#include "harness/DriverSession.h"
#include "harness/PaintWatch.h"
#include "harness/SavedDataFile.h"
#include "res/resource.h"
#include "settings/PaperInfo.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace harness;

namespace {

constexpr int kOpens = 15;
// Opens of each kind for the phase table, whose watch slows every window.
constexpr int kDetailOpens = 6;

// One open: what PaintWatch measured, in seconds (-1 where it saw nothing).
struct Sample {
    double total;       // from the opening call or action until painted
    double active;      // until a window was activated
    double created;     // until the first window was made
    double firstPaint;  // until the first paint began
    double initDialog;  // inside WM_INITDIALOG
    double painting;    // inside WM_PAINT / WM_ERASEBKGND
};

struct Row {
    const char* name;
    std::vector<Sample> samples;
    int failed = 0;

    void add(const PaintWatch& watch, bool fired)
    {
        if (!fired || watch.paintedSeconds() < 0) {
            ++failed;
            return;
        }
        samples.push_back({ watch.paintedSeconds(), watch.activeSeconds(), watch.firstCreateSeconds(),
                            watch.firstPaintSeconds(), watch.initDialogSeconds(), watch.paintingSeconds() });
    }
    std::vector<double> values(double Sample::*field) const
    {
        std::vector<double> v;
        for (const Sample& s : samples)
            if (s.*field >= 0)
                v.push_back(s.*field);
        return v;
    }
    // first - second of each sample where both were seen.
    std::vector<double> spans(double Sample::*to, double Sample::*from) const
    {
        std::vector<double> v;
        for (const Sample& s : samples)
            if (s.*to >= 0 && s.*from >= 0)
                v.push_back(s.*to - s.*from);
        return v;
    }
};

// The median of the samples after the first; -1 when there are none.
double Median(const std::vector<double>& samples)
{
    if (samples.size() < 2)
        return samples.empty() ? -1 : samples[0];
    std::vector<double> warm(samples.begin() + 1, samples.end());
    std::sort(warm.begin(), warm.end());
    return warm[warm.size() / 2];
}

std::string Ms(double seconds)
{
    if (seconds < 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds * 1e3);
    return text;
}

std::string Ratio(double ours, double anchor)
{
    if (ours < 0 || anchor <= 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ours / anchor);
    return text;
}

void Close(HWND root)
{
    if (!root && !(root = findSheet()))
        return;
    if (PropSheet_GetTabControl(root))
        PropSheet_PressButton(root, PSBTN_CANCEL);
    else
        PostMessageW(root, WM_COMMAND, IDCANCEL, 0);
}

// A page of the floor sheet: the template and nothing else.
INT_PTR CALLBACK BarePageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct Bench {
    explicit Bench(PaintWatch::Detail detail)
        : watch(detail)
    {
    }

    PluginModule module;
    DriverSession session{ module };
    PaintWatch watch;
    Row basic{ "printing preferences: open to Basic page painted" };
    Row advanced{ "Advanced page: tab switch to painted" };
    Row device{ "printer sheet: open to device page painted" };
    Row customPaper{ "custom-paper dialog: click to painted" };
    Row basicAgain{ "Basic page again: tab switch back to painted" };
    Row anchor{ "anchor: driver's own sheet: open to painted" };
    // The floor: the two pages' templates in a bare sheet, no plug-in code.
    Row floorBasic{ "floor: Basic template alone: open to painted" };
    Row floorAdvanced{ "floor: Advanced template: tab switch to painted" };
    Row floorAgain{ "floor: back to the Basic template: to painted" };
    bool customPaperShown = false;

    // The Basic page, then the Advanced page or the custom-paper dialog.
    void OpenDocumentSheet(bool thenCustomPaper)
    {
        bool basicFired = false;
        session.show(SheetKind::Document, [&] {
            watch.start([&](HWND sheet) {
                basicFired = sheet != nullptr;
                basic.add(watch, basicFired);
                if (!sheet)
                    return Close(nullptr);
                if (thenCustomPaper)
                    ClickCustomPaper(sheet);
                else
                    SwitchToAdvanced(sheet);
            });
        });
        watch.cancel();
    }

    // Page 1, then back to page 0 (made already), each until painted.
    void SwitchPages(HWND sheet, Row& second, Row& again)
    {
        watch.start([&](HWND root) {
            second.add(watch, root != nullptr);
            if (!root)
                return Close(nullptr);
            watch.start([&](HWND last) {
                again.add(watch, last != nullptr);
                Close(last);
            });
            PropSheet_SetCurSel(root, nullptr, 0);
        });
        PropSheet_SetCurSel(sheet, nullptr, 1);
    }

    void SwitchToAdvanced(HWND sheet) { SwitchPages(sheet, advanced, basicAgain); }

    // The Basic and Advanced templates from the plug-in's own resources as
    // the pages of a plain property sheet: what the window system alone takes
    // to make and paint the controls the pages are built from.
    void OpenFloorSheet()
    {
        INITCOMMONCONTROLSEX classes = { sizeof classes, ICC_WIN95_CLASSES | ICC_USEREX_CLASSES };
        InitCommonControlsEx(&classes);
        PROPSHEETPAGEW pages[2] = {};
        const WORD templates[2] = { IDD_BASIC_PAGE, IDD_ADVANCED_PAGE };
        for (int i = 0; i < 2; ++i) {
            pages[i].dwSize = sizeof pages[i];
            pages[i].hInstance = module.handle();
            pages[i].pszTemplate = MAKEINTRESOURCEW(templates[i]);
            pages[i].pfnDlgProc = &BarePageProc;
        }
        PROPSHEETHEADERW header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
        header.pszCaption = L"Floor";
        header.nPages = 2;
        header.ppsp = pages;
        watch.start([&](HWND sheet) {
            floorBasic.add(watch, sheet != nullptr);
            if (!sheet)
                return Close(nullptr);
            SwitchPages(sheet, floorAdvanced, floorAgain);
        });
        PropertySheetW(&header);
        watch.cancel();
    }

    void ClickCustomPaper(HWND sheet)
    {
        HWND button = findVisibleControl(sheet, IDC_CUSTOM_PAPER);
        bool fired = false;
        if (button) {
            watch.start([&](HWND dialog) {
                fired = true;
                customPaper.add(watch, dialog != nullptr);
                cancelDialog(dialog, IDC_CUSTOM_CANCEL, sheet);
            }, sheet, 5000);
            clickControl(button);
            watch.cancel();
        }
        // A page without the dialog yet: the click opens nothing.
        if (fired)
            customPaperShown = true;
        Close(sheet);
    }

    void OpenPrinterSheet()
    {
        session.show(SheetKind::Printer, [&] {
            watch.start([&](HWND sheet) {
                device.add(watch, sheet != nullptr);
                Close(sheet);
            });
        });
        watch.cancel();
    }

    void OpenDriverSheet()
    {
        session.showDriverSheet([&] {
            watch.start([&](HWND root) {
                anchor.add(watch, root != nullptr);
                Close(root);
            });
        });
        watch.cancel();
    }

    void PrintTotals()
    {
        double anchorMedian = Median(anchor.values(&Sample::total));
        std::printf("%-48s %5s %8s %8s %8s\n", "window: ms, median of the opens after the first", "opens", "first",
                    "median", "x anchor");
        for (Row* row : { &basic, &advanced, &basicAgain, &device, &customPaper, &anchor, &floorBasic, &floorAdvanced,
                          &floorAgain }) {
            if (row == &customPaper && !customPaperShown) {
                std::printf("%-48s %5s  (the Basic page opens no custom-paper dialog yet)\n", row->name, "-");
                continue;
            }
            std::vector<double> total = row->values(&Sample::total);
            double median = Median(total);
            std::printf("%-48s %5d %8s %8s %8s", row->name, (int)total.size(),
                        Ms(total.empty() ? -1 : total[0]).c_str(), Ms(median).c_str(),
                        row == &anchor ? "1" : Ratio(median, anchorMedian).c_str());
            if (row->failed)
                std::printf("  (%d not painted)", row->failed);
            std::printf("\n");
        }
        std::printf("x anchor: the median over the anchor's. floor: the pages' dialog templates in a plain\n"
                    "property sheet with no code, what making and painting their controls takes here.\n\n");
    }

    // Where an open's time goes, from opens whose watch times the dialog
    // initialisations and paint handlers (and so makes each window slower).
    void PrintPhases()
    {
        std::printf("%-48s %8s %8s %8s %8s %8s %8s\n", "phases of an open: ms, medians, timed opens", "active",
                    "1st wnd", "windows", "initdlg", "painting", "in paint");
        for (Row* row : { &basic, &device, &anchor, &floorBasic }) {
            std::printf("%-48s %8s %8s %8s %8s %8s %8s\n", row->name, Ms(Median(row->values(&Sample::active))).c_str(),
                        Ms(Median(row->values(&Sample::created))).c_str(),
                        Ms(Median(row->spans(&Sample::firstPaint, &Sample::created))).c_str(),
                        Ms(Median(row->values(&Sample::initDialog))).c_str(),
                        Ms(Median(row->spans(&Sample::total, &Sample::firstPaint))).c_str(),
                        Ms(Median(row->values(&Sample::painting))).c_str());
        }
        std::printf("active: until a window was activated; 1st wnd: until the first window was made (the\n"
                    "sheet's INIT and pages added); windows: from there to the first paint (windows made, of\n"
                    "which initdlg inside WM_INITDIALOG); painting: first paint to painted through, of which\n"
                    "in paint inside WM_PAINT and WM_ERASEBKGND.\n");
    }

    void OpenAll()
    {
        OpenDriverSheet();
        OpenDocumentSheet(false);
        OpenDocumentSheet(true);
        OpenPrinterSheet();
        OpenFloorSheet();
    }
};

} // namespace

BENCH_REPORT(Windows, "windows")
{
    // The user's data files stay as they were; the dialog opens over two papers.
    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    std::vector<PAPER_INFO> papers = sampleCustomPapers();
    if (!customPapers.ok() || !customPapers.write(papers))
        std::printf("windows: the custom papers could not be written\n");
    {
        Bench bench(PaintWatch::Detail::Light);
        if (!bench.session.ok()) {
            std::printf("windows: %ls\n", bench.session.failure().c_str());
            return;
        }
        for (int i = 0; i <= kOpens; ++i)
            bench.OpenAll();
        bench.PrintTotals();
    }
    Bench timed(PaintWatch::Detail::Full);
    for (int i = 0; i <= kDetailOpens && timed.session.ok(); ++i)
        timed.OpenAll();
    timed.PrintPhases();
}
