// The device page of the printer sheet, shown through the common
// property-sheet UI on a printer of the test's own: the sleep time and mute
// read from and sent to the simulated USB printer, who may change them, the
// changes reported to the sheet, the optional trays in the printer data, the
// about box. The sheet start reads the custom-paper file (the tray papers).
#include <gtest/gtest.h>

#include "device/PrinterUtils.h"
#include "harness/MessageBoxes.h"
#include "harness/CoreDriver.h"
#include "harness/Files.h"
#include "harness/Keys.h"
#include "harness/PpdModel.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/SimulatedPrinter.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "res/resource.h"
#include "sheets/Help.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/AuxiliaryDlg.h"
#include "ui/PageProcs.h"

#include <htmlhelp.h>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace harness;
using Request = SimulatedPrinter::Request;

namespace {

constexpr int kApplyButton = 0x3021;   // the property sheet's Apply button

// --- seams ----------------------------------------------------------------------------

struct ShellCall {
    std::wstring verb, file;
    INT show;
};
std::vector<ShellCall> g_shell;
HINSTANCE WINAPI RecordShell(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT show)
{
    g_shell.push_back({ verb ? verb : L"", file ? file : L"", show });
    return reinterpret_cast<HINSTANCE>(33);
}

std::vector<DWORD_PTR> g_helpTopics;
HWND WINAPI RecordHelp(HWND, LPCWSTR, UINT command, DWORD_PTR data)
{
    if (command == HH_HELP_CONTEXT)
        g_helpTopics.push_back(data);
    return nullptr;
}

// The token of a user in no group at all, so not an administrator.
BOOL WINAPI UserToken(HANDLE, TOKEN_INFORMATION_CLASS cls, LPVOID info, DWORD size, PDWORD needed)
{
    *needed = sizeof(TOKEN_GROUPS);
    if (cls != TokenGroups || size < sizeof(TOKEN_GROUPS)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    *static_cast<TOKEN_GROUPS*>(info) = TOKEN_GROUPS();
    return TRUE;
}

// --- the PPD --------------------------------------------------------------------------

// The printer's PPD without the lines that contain any of the texts, with the
// extra lines added after the line that starts with `after`.
std::unique_ptr<CoreDriver> EditedCore(const std::vector<std::string>& drop, const std::string& after = {},
                                       const std::string& extra = {})
{
    std::optional<std::string> text = readFile(programFile(kPpdFileName));
    if (!text)
        return nullptr;
    std::istringstream in(*text);
    std::string line, out;
    while (std::getline(in, line)) {
        bool dropped = false;
        for (const std::string& d : drop)
            dropped = dropped || line.find(d) != std::string::npos;
        if (!dropped)
            out += line + "\n";
        if (!after.empty() && line.rfind(after, 0) == 0)
            out += extra;
    }
    return std::make_unique<CoreDriver>(PpdModel::parse(out));
}

// Sleep times 1, 15 and 30 minutes, the default 15 (the second).
std::unique_ptr<CoreDriver> ThreeSleepTimes()
{
    return EditedCore({ "*JCLSleepTime 5Min", "*JCLSleepTime 60Min" });
}

// --- printer data ---------------------------------------------------------------------

std::optional<DWORD> ReadDword(HANDLE printer, const wchar_t* name)
{
    DWORD type = 0, value = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, reinterpret_cast<BYTE*>(&value), sizeof value,
                        &needed) != ERROR_SUCCESS || type != REG_DWORD || needed != 4)
        return std::nullopt;
    return value;
}

void WriteDword(HANDLE printer, const wchar_t* name, DWORD value)
{
    SetPrinterDataW(printer, const_cast<LPWSTR>(name), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
}

std::optional<Bytes> ReadTrays(HANDLE printer)
{
    DWORD type = 0, needed = 0;
    BYTE data[64] = {};
    if (GetPrinterDataW(printer, const_cast<LPWSTR>(L"InstallableInfo"), &type, data, sizeof data, &needed) !=
            ERROR_SUCCESS || type != REG_BINARY)
        return std::nullopt;
    return Bytes(data, data + needed);
}

void WriteTrays(HANDLE printer, const Bytes& bytes)
{
    SetPrinterDataW(printer, const_cast<LPWSTR>(L"InstallableInfo"), REG_BINARY, const_cast<BYTE*>(bytes.data()),
                    (DWORD)bytes.size());
}

Bytes Packet(std::initializer_list<int> head)
{
    Bytes p = bytes(head);
    p.resize(16, 0);
    return p;
}

std::wstring LanguageString(HANDLE printer, UINT id)
{
    RESOURCE_MODULE res = {};
    LoadResourceModule(&res, printer);
    WCHAR text[512] = {};
    LoadStringW(res.module, id, text, 512);
    FreeResourceModule(&res);
    return text;
}

// --- the shown page -------------------------------------------------------------------

// The sheet's change reports, (message, page) in order.
std::vector<std::pair<UINT, HWND>> g_reports;
WNDPROC g_sheetProc = nullptr;
LRESULT CALLBACK RecordReports(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PSM_CHANGED || message == PSM_UNCHANGED)
        g_reports.emplace_back(message, reinterpret_cast<HWND>(wParam));
    return CallWindowProcW(g_sheetProc, hwnd, message, wParam, lParam);
}

// The device page in its sheet, driven as a user drives it.
struct Page {
    HWND sheet = nullptr;
    HWND page = nullptr;
    HWND dialog = nullptr;

    explicit Page(HWND s) : sheet(s)
    {
        page = (HWND)SendMessageW(sheet, PSM_INDEXTOHWND, 0, 0);
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            WCHAR name[16] = {};
            GetClassNameW(child, name, 16);
            if (lstrcmpW(name, L"#32770") == 0)
                dialog = child;
        }
        g_reports.clear();
        g_sheetProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordReports)));
        pumpMessages();
    }
    ~Page() { SetWindowLongPtrW(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_sheetProc)); }

    HWND item(int id) const { return GetDlgItem(dialog, id); }
    CAuxiliaryDlg* object() const
    {
        auto* context = reinterpret_cast<PROPSHEET_CONTEXT*>(GetWindowLongPtrW(page, DWLP_USER));
        return context && context->deviceDialog ? context->deviceDialog->dialog : nullptr;
    }
    std::wstring text(int id) const
    {
        WCHAR buffer[512] = {};
        GetWindowTextW(item(id), buffer, 512);
        return buffer;
    }
    std::vector<std::wstring> items(int id) const
    {
        std::vector<std::wstring> out;
        int n = (int)SendMessageW(item(id), CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            WCHAR buffer[64] = {};
            SendMessageW(item(id), CB_GETLBTEXT, i, (LPARAM)buffer);
            out.push_back(buffer);
        }
        return out;
    }
    int selected(int id) const { return (int)SendMessageW(item(id), CB_GETCURSEL, 0, 0); }
    bool enabled(int id) const { return IsWindowEnabled(item(id)) != FALSE; }
    bool visible(int id) const { return (GetWindowLongPtrW(item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool applyEnabled() const { return IsWindowEnabled(GetDlgItem(sheet, kApplyButton)) != FALSE; }

    void choose(int id, int index)
    {
        SendMessageW(item(id), CB_SETCURSEL, (WPARAM)index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)item(id));
        pumpMessages();
    }
    void click(int id)
    {
        SendMessageW(item(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
        SendMessageW(item(id), WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
        pumpMessages();
    }
    // The Apply button as the user presses it (it must be enabled).
    void pressApply()
    {
        ASSERT_TRUE(applyEnabled());
        SendMessageW(GetDlgItem(sheet, kApplyButton), BM_CLICK, 0, 0);
        pumpMessages();
    }
    // What OK and Apply have in common: every page gets PSN_APPLY.
    void apply()
    {
        SendMessageW(sheet, PSM_APPLY, 0, 0);
        pumpMessages();
    }
    // The colour of the mute switch's track: the accent while on.
    bool muteShownOn() const { return screenPixel(item(IDC_MUTE_SWITCH), 8, 9) == RGB(35, 104, 204); }

    std::vector<std::pair<UINT, HWND>> reports() const { return g_reports; }
};

class DevicePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(core);
        g_shell.clear();
        g_helpTopics.clear();
        g_seams.ShellExecuteW = &RecordShell;
        g_seams.HtmlHelpW = &RecordHelp;
    }
    void TearDown() override
    {
        printer.reset();
        g_seams.MessageBoxW = saved.MessageBoxW;
        g_seams.ShellExecuteW = saved.ShellExecuteW;
        g_seams.HtmlHelpW = saved.HtmlHelpW;
        g_seams.GetTokenInformation = saved.GetTokenInformation;
    }

    // A printer of the test's own on that port.
    void UsePrinter(const std::wstring& port)
    {
        printer = std::make_unique<TestPrinter>(TestPrinter::Mode::Unique, port);
        ASSERT_TRUE(printer->ok()) << printer->failureText();
    }
    // An administrator's printer on the simulated printer's USB port.
    void UseUsbPrinter() { UsePrinter(sim.attach(1)); }
    HANDLE handle() const { return printer->handle(); }

    // Shows the printer sheet with a plug-in object of its own; the body sees
    // the device page, then the button is pressed.
    SheetRun Show(const std::function<void(Page&)>& body, SheetButton close = SheetButton::Cancel)
    {
        IOemUI2* plugin = new IOemUI2;
        EXPECT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
        SheetHost host(plugin, handle(), printer->name(), core.get());
        SheetRun run = host.show(SheetKind::Printer, [&](HWND sheet) {
            Page page(sheet);
            shownDialog = page.dialog;
            ASSERT_NE(nullptr, page.dialog);
            body(page);
        }, close);
        plugin->Release();
        EXPECT_TRUE(run.shown);
        return run;
    }

    SYSTEM_SEAMS saved = g_seams;
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    SimulatedPrinter sim;
    std::unique_ptr<CoreDriver> core = ThreeSleepTimes();
    std::unique_ptr<TestPrinter> printer;
    HWND shownDialog = nullptr;
    MessageBoxes boxes;
};

typedef DevicePage DevicePageDataFileGui;

} // namespace

TEST_F(DevicePageDataFileGui, AnAdministratorSeesThePrintersSleepTimeAndMute)
{
    UseUsbPrinter();
    sim.setSleepTime(15);
    sim.setMuteValue(1);
    SheetRun run = Show([&](Page& page) {
        EXPECT_EQ(std::vector<std::wstring>({ L"1", L"15", L"30" }), page.items(IDC_SLEEP_TIME));
        EXPECT_EQ(1, page.selected(IDC_SLEEP_TIME));
        EXPECT_TRUE(page.enabled(IDC_SLEEP_TIME));
        EXPECT_FALSE(page.visible(IDC_SLEEP_NOTE));
        EXPECT_TRUE(page.enabled(IDC_MUTE_SWITCH));
        EXPECT_TRUE(page.muteShownOn());
        // The switch's picture is on white; its corners show the page.
        EXPECT_EQ(screenPixel(page.dialog, 2, 2), screenPixel(page.item(IDC_MUTE_SWITCH), 0, 0));
        EXPECT_EQ(LanguageString(handle(), IDS_SLEEP_GROUP), page.text(IDC_SLEEP_GROUP));
        EXPECT_EQ(LanguageString(handle(), IDS_MUTE_LABEL), page.text(IDC_MUTE_LABEL));
        saveScreenshot(page.sheet, L"device-page");
    });
    ASSERT_EQ(1u, run.tabs.size());
    EXPECT_EQ(LanguageString(handle(), IDS_DEVICE_TITLE), run.tabs[0]);
    // The page asked for the sleep time, then for mute, and stored both.
    std::vector<Bytes> expected = { Packet({ 0x00, 0xAC, 0xFF, 0x83 }), Packet({ 0x00, 0xAC, 0xFF, 0x87 }) };
    EXPECT_EQ(expected, sim.commands());
    EXPECT_EQ(15u, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
    EXPECT_TRUE(sim.idle()) << sim.report();
    // The sheet's end deleted the dialog with its window.
    EXPECT_FALSE(IsWindow(shownDialog));
}

TEST_F(DevicePageDataFileGui, APrinterThatDoesNotAnswerShowsTheStoredValues)
{
    // "SleepTime" 7 is no item: the first is shown and stored.
    UseUsbPrinter();
    sim.setSilent(true);
    WriteDword(handle(), L"SleepTime", 7);
    WriteDword(handle(), L"MuteVal", 1);
    Show([&](Page& page) {
        EXPECT_EQ(0, page.selected(IDC_SLEEP_TIME));
        EXPECT_TRUE(page.enabled(IDC_SLEEP_TIME));
        EXPECT_TRUE(page.muteShownOn());
    });
    EXPECT_EQ(1u, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
    EXPECT_TRUE(sim.idle()) << sim.report();
}

TEST_F(DevicePageDataFileGui, WithoutPrinterOrStoredValueTheDefaultOptionIsShown)
{
    UseUsbPrinter();
    sim.unplug();
    Show([&](Page& page) {
        EXPECT_EQ(1, page.selected(IDC_SLEEP_TIME));   // "15Min", the second option
        EXPECT_FALSE(page.muteShownOn());
        EXPECT_TRUE(page.enabled(IDC_MUTE_SWITCH));
    });
    EXPECT_EQ(15u, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(0u, ReadDword(handle(), L"MuteVal"));

    // A default that names no option gives the first.
    core->setFeatureAttribute("JCLSleepTime", "DefaultOption", AttributeValue::ascii("45Min"));
    UseUsbPrinter();
    sim.unplug();
    Show([&](Page& page) { EXPECT_EQ(0, page.selected(IDC_SLEEP_TIME)); });
    EXPECT_EQ(1u, ReadDword(handle(), L"SleepTime"));
}

TEST_F(DevicePageDataFileGui, AUserWhoIsNoAdministratorCannotSetTheDevice)
{
    UseUsbPrinter();
    g_seams.GetTokenInformation = &UserToken;
    Show([&](Page& page) {
        EXPECT_TRUE(page.items(IDC_SLEEP_TIME).empty());
        EXPECT_FALSE(page.enabled(IDC_SLEEP_TIME));
        EXPECT_FALSE(page.enabled(IDC_SLEEP_GROUP));
        EXPECT_FALSE(page.enabled(IDC_SLEEP_LABEL));
        EXPECT_TRUE(page.visible(IDC_SLEEP_NOTE));
        EXPECT_FALSE(page.enabled(IDC_SLEEP_NOTE));
        EXPECT_EQ(LanguageString(handle(), IDS_SLEEP_NOTE), page.text(IDC_SLEEP_NOTE));
        EXPECT_FALSE(page.enabled(IDC_MUTE_SWITCH));
        EXPECT_FALSE(page.muteShownOn());
        saveScreenshot(page.sheet, L"device-page-user");
    });
    EXPECT_TRUE(sim.events().empty());
    EXPECT_EQ(std::nullopt, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(std::nullopt, ReadDword(handle(), L"MuteVal"));
    // The trays are handled as usual.
    EXPECT_EQ(Bytes(16, 0), ReadTrays(handle()));
}

TEST_F(DevicePageDataFileGui, APrinterOnAFileOrNetworkPortCannotBeSet)
{
    sim.addPort(L"IP_10.0.0.7", L"TCPMON.DLL");
    for (const wchar_t* port : { L"FILE:", L"IP_10.0.0.7" }) {
        SCOPED_TRACE(testing::Message() << port);
        UsePrinter(port);
        Show([&](Page& page) {
            EXPECT_TRUE(page.items(IDC_SLEEP_TIME).empty());
            EXPECT_FALSE(page.enabled(IDC_SLEEP_TIME));
            EXPECT_TRUE(page.visible(IDC_SLEEP_NOTE));
            EXPECT_FALSE(page.enabled(IDC_MUTE_SWITCH));
        });
        EXPECT_EQ(std::nullopt, ReadDword(handle(), L"SleepTime"));
        EXPECT_EQ(std::nullopt, ReadDword(handle(), L"MuteVal"));
    }
    EXPECT_TRUE(sim.events().empty());
}

TEST_F(DevicePageDataFileGui, ASleepTimeChangeIsReportedAndSentOnApply)
{
    UseUsbPrinter();
    sim.setSleepTime(15);
    Show([&](Page& page) {
        sim.clearLog();
        page.choose(IDC_SLEEP_TIME, 2);
        EXPECT_TRUE(page.applyEnabled());
        page.choose(IDC_SLEEP_TIME, 1);   // the stored 15 again
        EXPECT_FALSE(page.applyEnabled());
        page.choose(IDC_SLEEP_TIME, 0);
        std::vector<std::pair<UINT, HWND>> expected = {
            { PSM_CHANGED, page.page }, { PSM_UNCHANGED, page.page }, { PSM_CHANGED, page.page } };
        EXPECT_EQ(expected, page.reports());
        EXPECT_TRUE(sim.events().empty());

        page.pressApply();
        EXPECT_TRUE(boxes.empty());
        EXPECT_FALSE(page.applyEnabled());
        EXPECT_EQ(1, sim.count(Request::Control));   // the device state first
        EXPECT_EQ(std::vector<Bytes>({ Packet({ 0x00, 0xAC, 0xFF, 0x82, 0x00, 0x01 }) }), sim.commands());
        EXPECT_EQ(1u, ReadDword(handle(), L"SleepTime"));
        EXPECT_EQ(0u, page.object()->SleepTimeChanged());

        // Compared with what the printer took now.
        page.choose(IDC_SLEEP_TIME, 1);
        EXPECT_EQ((UINT)PSM_CHANGED, page.reports().back().first);
        page.choose(IDC_SLEEP_TIME, 0);
        EXPECT_EQ((UINT)PSM_UNCHANGED, page.reports().back().first);
    });
    EXPECT_EQ(1, sim.sleepTime());
    EXPECT_TRUE(sim.idle()) << sim.report();
}

TEST_F(DevicePageDataFileGui, TwoMuteClicksLeaveAChangedSleepTimePending)
{
    UseUsbPrinter();
    sim.setSleepTime(15);
    sim.setMuteValue(0);
    Show([&](Page& page) {
        sim.clearLog();
        page.choose(IDC_SLEEP_TIME, 2);
        page.click(IDC_MUTE_SWITCH);
        EXPECT_TRUE(page.muteShownOn());
        page.click(IDC_MUTE_SWITCH);
        EXPECT_FALSE(page.muteShownOn());
        std::vector<std::pair<UINT, HWND>> expected = {
            { PSM_CHANGED, page.page }, { PSM_CHANGED, page.page }, { PSM_UNCHANGED, page.page } };
        EXPECT_EQ(expected, page.reports());
        EXPECT_EQ(1u, page.object()->SleepTimeChanged());
        EXPECT_EQ(0u, page.object()->MuteChanged());

        // The next apply (here OK's) sends the sleep time alone.
        page.apply();
        EXPECT_EQ(std::vector<Bytes>({ Packet({ 0x00, 0xAC, 0xFF, 0x82, 0x00, 30 }) }), sim.commands());
        EXPECT_EQ(30u, ReadDword(handle(), L"SleepTime"));

        // Mute alone.
        sim.clearLog();
        page.click(IDC_MUTE_SWITCH);
        page.pressApply();
        EXPECT_EQ(std::vector<Bytes>({ Packet({ 0x00, 0xAC, 0xFF, 0x86, 0x00, 0x01 }) }), sim.commands());
    });
    EXPECT_EQ(30, sim.sleepTime());
    EXPECT_EQ(1, sim.muteValue());
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DevicePageDataFileGui, AMuteValueAboveOneIsKeptAsTheSwitchShowsIt)
{
    UseUsbPrinter();
    sim.setMuteValue(2);
    Show([&](Page& page) {
        sim.clearLog();
        page.click(IDC_MUTE_SWITCH);
        page.click(IDC_MUTE_SWITCH);
        EXPECT_FALSE(page.applyEnabled()) << "switched back to what was shown";
        page.apply();
        EXPECT_TRUE(sim.events().empty()) << "nothing sent to the printer";
    });
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
}

TEST_F(DevicePageDataFileGui, APrinterThatIsNotReadyGetsAWarningAndTheChangesWait)
{
    UseUsbPrinter();
    sim.setSleepTime(15);
    Show([&](Page& page) {
        sim.clearLog();
        page.choose(IDC_SLEEP_TIME, 2);
        page.click(IDC_MUTE_SWITCH);
        sim.setDeviceState(2);
        page.pressApply();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(page.dialog, boxes[0].owner);
        EXPECT_EQ(LanguageString(handle(), IDS_DEVICE_NOT_READY), boxes[0].text);
        EXPECT_EQ(LanguageString(handle(), IDS_QUICKSET_CAPTION), boxes[0].caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), boxes[0].type);
        // Only the state was asked; nothing was sent or stored.
        EXPECT_EQ(1, sim.count(Request::Control));
        EXPECT_TRUE(sim.commands().empty());
        EXPECT_EQ(15u, ReadDword(handle(), L"SleepTime"));
        EXPECT_EQ(0u, ReadDword(handle(), L"MuteVal"));
        // Apply is offered again for what waits.
        EXPECT_TRUE(page.applyEnabled());

        sim.setDeviceState(3);
        page.pressApply();
        EXPECT_EQ(1u, boxes.size());
        std::vector<Bytes> expected = { Packet({ 0x00, 0xAC, 0xFF, 0x82, 0x00, 30 }),
                                        Packet({ 0x00, 0xAC, 0xFF, 0x86, 0x00, 0x01 }) };
        EXPECT_EQ(expected, sim.commands());
        EXPECT_FALSE(page.applyEnabled());
    });
    EXPECT_EQ(30u, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
    EXPECT_TRUE(sim.idle()) << sim.report();
}

TEST_F(DevicePageDataFileGui, ARefusedSettingIsWarnedAboutAndWaits)
{
    UseUsbPrinter();
    sim.setSleepTime(15);
    Show([&](Page& page) {
        page.choose(IDC_SLEEP_TIME, 0);
        page.click(IDC_MUTE_SWITCH);
        sim.setReplyStatus(0x00, 0x02);
        sim.clearLog();
        page.pressApply();
        // Both were tried, one warning for the two.
        EXPECT_EQ(2u, sim.commands().size());
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(LanguageString(handle(), IDS_DEVICE_NOT_READY), boxes[0].text);
        EXPECT_EQ(15u, ReadDword(handle(), L"SleepTime"));
        EXPECT_EQ(0u, ReadDword(handle(), L"MuteVal"));
        EXPECT_EQ(1u, page.object()->SleepTimeChanged());
        EXPECT_EQ(1u, page.object()->MuteChanged());

        sim.setReplyStatus(0x00, 0x01);
        page.pressApply();
        EXPECT_EQ(1u, boxes.size());
    });
    EXPECT_EQ(1u, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
    EXPECT_EQ(1, sim.sleepTime());
    EXPECT_EQ(1, sim.muteValue());
}

TEST_F(DevicePageDataFileGui, TheTraysAreKeptInThePrinterData)
{
    UsePrinter(L"FILE:");
    Show([&](Page& page) {
        // A printer without the value gets sixteen zero bytes.
        EXPECT_EQ(Bytes(16, 0), ReadTrays(handle()));
        for (int id : { IDC_TRAYS_GROUP, IDC_TRAY1_LABEL, IDC_TRAY2_LABEL, IDC_TRAY1_SWITCH, IDC_TRAY2_SWITCH,
                        IDC_TRAY1_PAPER_LABEL, IDC_TRAY2_PAPER_LABEL, IDC_TRAY1_PAPER, IDC_TRAY2_PAPER })
            EXPECT_FALSE(page.visible(id)) << id;
        std::vector<std::wstring> papers = { L"*", L"Letter", L"A4", L"Legal", L"Executive", L"A5" };
        EXPECT_EQ(papers, page.items(IDC_TRAY1_PAPER));
        EXPECT_EQ(papers, page.items(IDC_TRAY2_PAPER));
        EXPECT_EQ(0, page.selected(IDC_TRAY1_PAPER));
        EXPECT_FALSE(page.enabled(IDC_TRAY1_PAPER));
        EXPECT_EQ(LanguageString(handle(), IDS_TRAY1_LABEL), page.text(IDC_TRAY1_LABEL));

        page.click(IDC_TRAY1_SWITCH);
        EXPECT_TRUE(page.enabled(IDC_TRAY1_PAPER));
        page.choose(IDC_TRAY1_PAPER, 2);
        page.click(IDC_TRAY2_SWITCH);
        page.click(IDC_TRAY2_SWITCH);
        std::vector<std::pair<UINT, HWND>> expected(4, { PSM_CHANGED, page.page });
        EXPECT_EQ(expected, page.reports());
        page.pressApply();
        EXPECT_EQ(bytes({ 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }), ReadTrays(handle()));

        // Undone after the apply: the next apply writes it back.
        page.click(IDC_TRAY1_SWITCH);
        EXPECT_EQ((UINT)PSM_CHANGED, page.reports().back().first);
        EXPECT_FALSE(page.enabled(IDC_TRAY1_PAPER));
        page.pressApply();
        EXPECT_EQ(bytes({ 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }), ReadTrays(handle()));
        page.choose(IDC_TRAY1_PAPER, 0);
        EXPECT_EQ((UINT)PSM_CHANGED, page.reports().back().first);
        page.choose(IDC_TRAY1_PAPER, 2);
        EXPECT_EQ((UINT)PSM_UNCHANGED, page.reports().back().first);
    });
    EXPECT_TRUE(sim.events().empty());
}

TEST_F(DevicePageDataFileGui, AStoredTrayPaperBeyondTheListShowsAnyPaper)
{
    // Three tray entries: "*", Letter, A4.
    core = EditedCore({ "*PageSize Legal", "*PageSize Executive", "*PageSize A5" });
    UsePrinter(L"FILE:");
    WriteTrays(handle(), bytes({ 1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0 }));
    Show([&](Page& page) {
        EXPECT_EQ(std::vector<std::wstring>({ L"*", L"Letter", L"A4" }), page.items(IDC_TRAY1_PAPER));
        EXPECT_EQ(0, page.selected(IDC_TRAY1_PAPER));
        EXPECT_TRUE(page.enabled(IDC_TRAY1_PAPER));
        EXPECT_EQ(2, page.selected(IDC_TRAY2_PAPER));
        EXPECT_FALSE(page.enabled(IDC_TRAY2_PAPER));
        // Any change writes what is shown.
        page.click(IDC_TRAY2_SWITCH);
        page.pressApply();
    });
    EXPECT_EQ(bytes({ 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0 }), ReadTrays(handle()));
}

TEST_F(DevicePageDataFileGui, WithoutSleepTimeOptionsNoSleepTimeIsStored)
{
    core = EditedCore({ "JCLSleepTime" });
    UseUsbPrinter();
    Show([&](Page& page) {
        EXPECT_TRUE(page.items(IDC_SLEEP_TIME).empty());
        EXPECT_EQ(CB_ERR, page.selected(IDC_SLEEP_TIME));
        page.apply();
    });
    EXPECT_EQ(std::nullopt, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(0u, ReadDword(handle(), L"MuteVal"));
    // Only mute was asked for.
    EXPECT_EQ(std::vector<Bytes>({ Packet({ 0x00, 0xAC, 0xFF, 0x87 }) }), sim.commands());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DevicePageDataFileGui, OptionNamesThatAreStringIdsShowAsText)
{
    // Options named "1", "15", "30" without display names: "1" takes a string
    // id of the common UI, which the system here does not hold.
    core = EditedCore({ "*JCLSleepTime ", "*DefaultJCLSleepTime" }, "*OrderDependency: 17 JCLSetup *JCLSleepTime",
                      "*DefaultJCLSleepTime: 15\n*JCLSleepTime 1: \"\"\n*JCLSleepTime 15: \"\"\n"
                      "*JCLSleepTime 30: \"\"\n");
    ASSERT_EQ(std::vector<std::string>({ "1", "15", "30" }), core->optionKeywords("JCLSleepTime"));
    for (const char* option : { "1", "15", "30" })
        core->removeDisplayName("JCLSleepTime", option);
    UseUsbPrinter();
    sim.setSleepTime(30);
    Show([&](Page& page) {
        EXPECT_EQ(std::vector<std::wstring>({ L"1", L"15", L"30" }), page.items(IDC_SLEEP_TIME));
        EXPECT_EQ(2, page.selected(IDC_SLEEP_TIME));
    });
    EXPECT_EQ(30u, ReadDword(handle(), L"SleepTime"));
}

// Enter presses the sheet's OK, which sends both settings to the printer.
TEST_F(DevicePageDataFileGui, EverySettingIsReachedAndSetWithTheKeys)
{
    UseUsbPrinter();
    sim.setSleepTime(15);
    sim.setMuteValue(0);
    Show([&](Page& page) {
        const KeyLoop keys = sheetLoop(page.sheet);
        SetFocus(page.item(IDC_SLEEP_TIME));
        const std::vector<int> order = { IDC_SLEEP_TIME, IDC_MUTE_SWITCH, IDC_SUPPORT_LINK };
        EXPECT_EQ(order, tabStops(keys, page.dialog));
        EXPECT_EQ(backwards(order), tabStops(keys, page.dialog, true));
        for (UINT key : { VK_DOWN, VK_TAB, VK_SPACE, VK_TAB, VK_SPACE })
            pressKey(keys, key);
        EXPECT_EQ(1u, g_shell.size());
        EXPECT_EQ(2u, page.reports().size());
        pressKey(keys, VK_TAB, KEY_SHIFT);
        pressKey(keys, VK_RETURN);
    }, SheetButton::None);
    EXPECT_EQ(30, sim.sleepTime());
    EXPECT_EQ(1, sim.muteValue());
    EXPECT_EQ(30u, ReadDword(handle(), L"SleepTime"));
    EXPECT_EQ(1u, ReadDword(handle(), L"MuteVal"));
}

TEST_F(DevicePageDataFileGui, TheAboutBoxOpensTheMakersPageAndHelpShowsThePageTopic)
{
    UsePrinter(L"FILE:");
    Show([&](Page& page) {
        EXPECT_EQ(L"Brixom Q2100 Series", page.text(IDC_ABOUT_MODEL));
        EXPECT_EQ(LanguageString(handle(), IDS_ABOUT_GROUP), page.text(IDC_ABOUT_GROUP));
        EXPECT_EQ(LanguageString(handle(), IDS_ABOUT_DRIVER), page.text(IDC_ABOUT_DRIVER));
        EXPECT_EQ(LanguageString(handle(), IDS_ABOUT_TEXT), page.text(IDC_ABOUT_TEXT));
        EXPECT_EQ(LanguageString(handle(), IDS_SUPPORT_LINK), page.text(IDC_SUPPORT_LINK));
        SendMessageW(page.item(IDC_SUPPORT_LINK), BM_CLICK, 0, 0);
        pumpMessages();
        ASSERT_EQ(1u, g_shell.size());
        EXPECT_EQ(L"open", g_shell[0].verb);
        EXPECT_EQ(MAKER_WEB_PAGE, g_shell[0].file);
        EXPECT_EQ(SW_SHOWNORMAL, g_shell[0].show);
        SendMessageW(page.sheet, PSM_PRESSBUTTON, PSBTN_HELP, 0);
        pumpMessages();
        EXPECT_EQ(std::vector<DWORD_PTR>({ GetHelpContext(IDD_DEVICE_PAGE) }), g_helpTopics);
    });
}

// --- the page procedure without a sheet --------------------------------------------------

namespace {

INT_PTR CALLBACK PlainHostProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A device page's host window and a context of the test's making: a printer on
// FILE:, the language module, no settings unless a test gives them.
class DevicePageProc : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        host = CreateDialogParamW(g_hModuleInstance, MAKEINTRESOURCEW(IDD_DEVICE_HOST), frame.hwnd(), &PlainHostProc,
                                  0);
        ASSERT_NE(nullptr, host);
        LoadResourceModule(&resources, printer.handle());
        ASSERT_NE(nullptr, resources.module);
        context.hPrinter = printer.handle();
        context.resources = &resources;
        context.deviceDialog = &holder;
        description.dwSize = sizeof description;
        description.lParam = reinterpret_cast<LPARAM>(&context);
    }
    void TearDown() override
    {
        DestroyDeviceDialog(&holder.dialog);
        if (host)
            DestroyWindow(host);
        FreeResourceModule(&resources);
    }
    LRESULT Notify(UINT code)
    {
        NMHDR header = { frame.hwnd(), 0, code };
        return AuxiliaryPageProc(host, WM_NOTIFY, 0, (LPARAM)&header);
    }

    CAfxTempMapLock lock;
    TestPrinter printer{ TestPrinter::Mode::Unique };
    TestFrame frame;
    HWND host = nullptr;
    RESOURCE_MODULE resources = {};
    DEVICE_DIALOG_HOLDER holder = {};
    PROPSHEET_CONTEXT context = {};
    PROPSHEETPAGEW description = {};
};

typedef DevicePageProc DevicePageProcGui;

} // namespace

TEST_F(DevicePageProcGui, TheHostPageKeepsTheContextAndItsDialogGoesWithTheHolder)
{
    // No description, or no holder: no dialog, and apply does nothing.
    EXPECT_EQ(0, AuxiliaryPageProc(host, WM_INITDIALOG, 0, 0));
    context.deviceDialog = nullptr;
    EXPECT_EQ(0, AuxiliaryPageProc(host, WM_INITDIALOG, 0, (LPARAM)&description));
    EXPECT_EQ((LONG_PTR)&context, GetWindowLongPtrW(host, DWLP_USER));
    EXPECT_EQ(nullptr, holder.dialog);
    EXPECT_EQ(0, Notify(PSN_APPLY));
    context.deviceDialog = &holder;

    // Without settings the dialog stands, unfilled, and saves nothing.
    EXPECT_EQ(0, AuxiliaryPageProc(host, WM_INITDIALOG, 0, (LPARAM)&description));
    CAuxiliaryDlg* dialog = holder.dialog;
    ASSERT_NE(nullptr, dialog);
    HWND window = dialog->m_hWnd;
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(host, GetParent(window));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ((HINSTANCE)resources.module, (HINSTANCE)GetWindowLongPtrW(window, GWLP_HINSTANCE));
    WCHAR text[64] = {};
    GetDlgItemTextW(window, IDC_MUTE_LABEL, text, 64);
    EXPECT_STREQ(L"MuteMode", text);
    EXPECT_EQ(0, SendDlgItemMessageW(window, IDC_TRAY1_PAPER, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, Notify(PSN_APPLY));
    EXPECT_EQ(std::nullopt, ReadTrays(printer.handle()));
    // Made once.
    EXPECT_EQ(0, AuxiliaryPageProc(host, WM_INITDIALOG, 0, (LPARAM)&description));
    EXPECT_EQ(dialog, holder.dialog);

    DestroyDeviceDialog(&holder.dialog);
    EXPECT_EQ(nullptr, holder.dialog);
    EXPECT_FALSE(IsWindow(window));
    DestroyDeviceDialog(nullptr);
}
