// The demo host: loads the plug-in as the core driver does, shows what it
// answers, writes a screenshot and, with --close, ends by itself.
//   bq_demo.exe [--screenshot <png path>] [--close]
#include "CoreDriver.h"
#include "PluginHost.h"
#include "Screenshot.h"
#include "SheetHost.h"
#include "TestPrinter.h"

using namespace harness;

#include <shellapi.h>
#include <string>

namespace {

struct Options {
    std::wstring screenshot;
    bool close = false;
};

Options ParseArguments()
{
    Options o;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--screenshot" && i + 1 < argc)
            o.screenshot = argv[++i];
        else if (a == L"--close")
            o.close = true;
    }
    LocalFree(argv);
    return o;
}

std::wstring HResultText(HRESULT hr)
{
    wchar_t buf[32];
    wsprintfW(buf, L"0x%08X", (unsigned)hr);
    return buf;
}

// What the plug-in answers to the core driver's first calls.
std::wstring BuildReport(const PluginModule& module)
{
    std::wstring r = L"Brixom Q2100 Series PS - plug-in report\r\n\r\n";
    if (!module.handle())
        return r + L"bq2100PSui.dll could not be loaded.\r\n";
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    if (!plugin)
        return r + L"The class factory made no plug-in object.\r\n";

    DWORD value = 0, needed = 0;
    HRESULT hr = plugin->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof value, &needed);
    char sig[5] = { (char)(value & 0xff), (char)((value >> 8) & 0xff), (char)((value >> 16) & 0xff),
                    (char)(value >> 24), 0 };
    r += L"GetInfo(signature): " + HResultText(hr) + L", bytes \"" + std::wstring(sig, sig + 4) + L"\"\r\n";
    hr = plugin->GetInfo(OEMGI_GETVERSION, &value, sizeof value, &needed);
    r += L"GetInfo(version): " + HResultText(hr) + L", " + std::to_wstring(value) + L"\r\n";
    r += L"HideStandardUI(document): " + HResultText(plugin->HideStandardUI(OEMCUIP_DOCPROP)) + L"\r\n";
    r += L"HideStandardUI(printer): " + HResultText(plugin->HideStandardUI(OEMCUIP_PRNPROP)) + L"\r\n";
    OEMDMPARAM dm = {};
    dm.cbSize = sizeof dm;
    hr = plugin->DevMode(OEMDM_SIZE, &dm);
    r += L"DevMode(size): " + HResultText(hr) + L", " + std::to_wstring(dm.cbBufSize) + L" bytes\r\n";
    plugin.reset();
    r += L"DllCanUnloadNow after the last Release: " + HResultText(module.canUnloadNow()) + L"\r\n";
    return r;
}

Options g_options;
HWND g_edit = nullptr;
constexpr UINT_PTR kShotTimer = 1;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        if (g_edit)
            MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_TIMER:
        if (wParam == kShotTimer) {
            KillTimer(hwnd, kShotTimer);
            if (!g_options.screenshot.empty())
                saveWindowPng(hwnd, g_options.screenshot);
            if (g_options.close)
                DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

// The printing preferences as the driver opens them: the plug-in's document
// sheet over the test printer and the core-driver double. False when the
// sheet could not be shown.
bool ShowPrintingPreferences(const PluginModule& module)
{
    if (!module.handle())
        return false;
    PrinterHandle printer = openPrinter(kPrinterName, PRINTER_ACCESS_USE);
    auto core = CoreDriver::fromDefaultPpd();
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    if (!printer || !core || !plugin)
        return false;
    plugin->PublishDriverInterface(core->unknown());
    plugin->HideStandardUI(OEMCUIP_DOCPROP);
    SheetHost host(plugin.get(), printer.get(), kPrinterName, core.get());
    OEMDMPARAM dm = {};
    dm.cbSize = sizeof dm;
    dm.hPrinter = printer.get();
    dm.pPublicDMIn = host.publicDevMode();
    dm.pOEMDMOut = host.privateDevMode();
    dm.cbBufSize = host.publicDevMode()->dmDriverExtra;
    plugin->DevMode(OEMDM_DEFAULT, &dm);
    SheetRun run = host.show(
        SheetKind::Document,
        [](HWND sheet) {
            UpdateWindow(sheet);
            RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            if (!g_options.screenshot.empty())
                saveWindowPng(sheet, g_options.screenshot);
        },
        g_options.close ? SheetButton::Cancel : SheetButton::None);
    // The model's buffers come from the sheet's heap: the plug-in object goes first.
    plugin.reset();
    return run.shown;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    g_options = ParseArguments();
    PluginModule module;
    if (ShowPrintingPreferences(module))
        return 0;
    // Without the sheet, show what the plug-in answers.
    std::wstring report = BuildReport(module);

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"Bq2100DemoHost";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(wc.lpszClassName, L"Brixom Q2100 Series PS - demo host", WS_OVERLAPPEDWINDOW,
                              40, 40, 560, 300, nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 1;
    g_edit = CreateWindowW(L"EDIT", report.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0,
                           560, 300, hwnd, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    SetTimer(hwnd, kShotTimer, 700, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
