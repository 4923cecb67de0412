// The demo host: loads the plug-in as the core driver does and opens its
// windows over the test printer.
//   bq_demo.exe [--pictures <folder>] [--close]
// Without --close the printing preferences stay until the user closes them
// (a picture of the Basic page is still written). With --close every window
// is shown in turn, pictured once painted and closed:
//   demo-basic.png, demo-custom-paper.png, demo-advanced.png, demo-device.png.
// The custom-paper dialog opens with two custom papers in its data file; the
// file is put back as it was at the end.
#include "DriverSession.h"
#include "PaintWatch.h"
#include "SavedDataFile.h"
#include "Screenshot.h"
#include "res/resource.h"
#include "settings/PaperInfo.h"

using namespace harness;

#include <shellapi.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Options {
    std::wstring pictures;
    bool close = false;
};

Options ParseArguments()
{
    Options o;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--pictures" && i + 1 < argc)
            o.pictures = argv[++i];
        else if (a == L"--close")
            o.close = true;
    }
    LocalFree(argv);
    return o;
}

Options g_options;
int g_failures = 0;

void Log(const std::wstring& line)
{
    std::fwprintf(stdout, L"%ls\n", line.c_str());
    std::fflush(stdout);
}

void Picture(HWND window, const wchar_t* name)
{
    if (g_options.pictures.empty())
        return;
    std::wstring path = g_options.pictures + L"\\" + name;
    if (window && saveWindowPng(window, path)) {
        Log(L"picture: " + std::wstring(name));
    } else {
        Log(L"no picture: " + std::wstring(name));
        ++g_failures;
    }
}

void CloseSheet(HWND sheet)
{
    if (sheet || (sheet = findSheet()) != nullptr)
        PropSheet_PressButton(sheet, PSBTN_CANCEL);
}

// The custom-paper dialog, opened by the Basic page's button as a click does;
// pictured once painted, then cancelled. Returns once it is closed.
void ShowCustomPaper(PaintWatch& watch, HWND sheet)
{
    HWND button = findVisibleControl(sheet, IDC_CUSTOM_PAPER);
    if (!button) {
        Log(L"no picture: demo-custom-paper.png (the Basic page has no custom-paper button yet)");
        return;
    }
    bool opened = false;
    watch.start([&opened, sheet](HWND dialog) {
        opened = true;
        if (!dialog) {
            Log(L"the custom-paper dialog did not paint");
            ++g_failures;
        } else {
            Picture(dialog, L"demo-custom-paper.png");
        }
        cancelDialog(dialog, IDC_CUSTOM_CANCEL, sheet);
    }, sheet);
    clickControl(button);
    watch.cancel();
    if (!opened)
        Log(L"no picture: demo-custom-paper.png (the Basic page's button opened no dialog)");
}

// Basic page, custom-paper dialog, Advanced page, then the sheet is closed.
void TourDocumentSheet(PaintWatch& watch, HWND sheet)
{
    if (!sheet) {
        Log(L"the printing preferences did not paint");
        ++g_failures;
        CloseSheet(nullptr);
        return;
    }
    Picture(sheet, L"demo-basic.png");
    if (!g_options.close)
        return;
    ShowCustomPaper(watch, sheet);
    watch.start([](HWND sheet) {
        if (!sheet) {
            Log(L"the Advanced page did not paint");
            ++g_failures;
        }
        Picture(sheet, L"demo-advanced.png");
        CloseSheet(sheet);
    });
    PropSheet_SetCurSel(sheet, nullptr, 1);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    g_options = ParseArguments();
    PluginModule module;
    DriverSession session(module);
    if (!session.ok()) {
        Log(L"demo: " + session.failure());
        return 1;
    }
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    std::vector<PAPER_INFO> papers = sampleCustomPapers();
    if (!customPapers.ok() || !customPapers.write(papers))
        Log(L"demo: the custom papers could not be written");

    PaintWatch watch;
    SheetRun run = session.show(SheetKind::Document, [&] {
        watch.start([&](HWND sheet) { TourDocumentSheet(watch, sheet); }, nullptr,
                    g_options.close ? 10000 : INFINITE);
    });
    if (run.rc < 0) {
        Log(L"demo: the printing preferences did not open");
        return 1;
    }
    watch.cancel();
    if (g_options.close) {
        run = session.show(SheetKind::Printer, [&] {
            watch.start([](HWND sheet) {
                if (!sheet) {
                    Log(L"the printer properties did not paint");
                    ++g_failures;
                }
                Picture(sheet, L"demo-device.png");
                CloseSheet(sheet);
            });
        });
        if (watch.running()) {
            watch.cancel();
            wchar_t text[96];
            wsprintfW(text, L"the printer properties did not open (%d, INIT 0x%08X, result %d)", (int)run.rc,
                      (unsigned)run.initHr, (int)run.initResult);
            Log(text);
            ++g_failures;
        }
    }
    return g_failures ? 2 : 0;
}
