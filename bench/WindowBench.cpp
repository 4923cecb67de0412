// The windows a user waits for, opened through the loaded DLL as the driver
// opens them, each until it is painted through (harness::PaintWatch), beside
// the printer driver's own document properties of the same printer, all in
// one Wine session. Opens of the kinds alternate so that they share the
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
    bool ours;
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

struct Bench {
    PluginModule module;
    DriverSession session{ module };
    PaintWatch watch;
    Row basic{ "printing preferences: open to Basic page painted", true };
    Row advanced{ "Advanced page: tab switch to painted", true };
    Row device{ "printer sheet: open to device page painted", true };
    Row customPaper{ "custom-paper dialog: click to painted", true };
    Row anchor{ "anchor: driver's own sheet: open to painted", false };
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

    void SwitchToAdvanced(HWND sheet)
    {
        watch.start([this](HWND root) {
            advanced.add(watch, root != nullptr);
            Close(root);
        });
        PropSheet_SetCurSel(sheet, nullptr, 1);
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

    void Print()
    {
        double anchorMedian = Median(anchor.values(&Sample::total));
        std::printf("%-48s %5s %8s %8s %8s %8s\n", "window: ms, median of the opens after the first", "opens",
                    "first", "median", "in paint", "x anchor");
        for (Row* row : { &basic, &advanced, &device, &customPaper, &anchor }) {
            if (row == &customPaper && !customPaperShown) {
                std::printf("%-48s %5s  (the Basic page opens no custom-paper dialog yet)\n", row->name, "-");
                continue;
            }
            std::vector<double> total = row->values(&Sample::total);
            double median = Median(total);
            std::printf("%-48s %5d %8s %8s %8s %8s", row->name, (int)total.size(),
                        Ms(total.empty() ? -1 : total[0]).c_str(), Ms(median).c_str(),
                        Ms(Median(row->values(&Sample::painting))).c_str(),
                        row->ours ? Ratio(median, anchorMedian).c_str() : "1");
            if (row->failed)
                std::printf("  (%d not painted)", row->failed);
            std::printf("\n");
        }
        std::printf("in paint: inside WM_PAINT and WM_ERASEBKGND; x anchor: the median over the anchor's.\n\n");

        // Where an open's time goes.
        std::printf("%-48s %8s %8s %8s %8s %8s %8s\n", "phases of an open: ms, medians", "active", "1st wnd",
                    "windows", "initdlg", "painting", "in paint");
        for (Row* row : { &basic, &device, &anchor }) {
            std::printf("%-48s %8s %8s %8s %8s %8s %8s\n", row->name, Ms(Median(row->values(&Sample::active))).c_str(),
                        Ms(Median(row->values(&Sample::created))).c_str(),
                        Ms(Median(row->spans(&Sample::firstPaint, &Sample::created))).c_str(),
                        Ms(Median(row->values(&Sample::initDialog))).c_str(),
                        Ms(Median(row->spans(&Sample::total, &Sample::firstPaint))).c_str(),
                        Ms(Median(row->values(&Sample::painting))).c_str());
        }
        std::printf("active: until a window was activated; 1st wnd: until the first window was made (the\n"
                    "sheet's INIT and pages added); windows: from there to the first paint (windows made, of\n"
                    "which initdlg inside WM_INITDIALOG); painting: first paint to painted through.\n");
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
    Bench bench;
    if (!bench.session.ok()) {
        std::printf("windows: %ls\n", bench.session.failure().c_str());
        return;
    }
    for (int i = 0; i <= kOpens; ++i) {
        bench.OpenDriverSheet();
        bench.OpenDocumentSheet(false);
        bench.OpenDocumentSheet(true);
        bench.OpenPrinterSheet();
    }
    bench.Print();
}
