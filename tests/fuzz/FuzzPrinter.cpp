// Printer-data values and the USB printer's replies.
//
// Printer data ("InstallableInfo", "SleepTime", "MuteVal", "OEMUI_VALUE",
// "BqPSResDll") of any type and length, read by the loaded plug-in's sheet
// starts, printer items, capability queries and windows (the printer
// properties' device page, the printing preferences), and by the plug-in's code.
// The device's replies (command replies, information blocks) and SetupAPI's
// interface details reach only the plug-in's code: the loaded plug-in talks to
// a device only from its device page, and its system seams are its own.
#include "FuzzHost.h"

#include "device/PrinterUtils.h"
#include "device/UsbDevice.h"
#include "harness/SavedDataFile.h"
#include "harness/SimulatedPrinter.h"
#include "harness/TestPrinter.h"
#include "plugin/SystemSeams.h"

#include <stddef.h>
#include <string.h>

namespace fuzz {

namespace {

// --- printer data ------------------------------------------------------------------------

struct PrinterDataState {
    std::unique_ptr<harness::TestPrinter> printer;
    std::unique_ptr<harness::CoreDriver> core;
    std::unique_ptr<DataFolderGuard> files;
    std::unique_ptr<Host> host;
};
PrinterDataState* g_data = nullptr;

std::string ValueBytes(Rng& rng, const wchar_t* name)
{
    if (wcscmp(name, L"BqPSResDll") == 0 && rng.oneIn(2)) {
        static const std::vector<std::wstring> kNames = {
            L"bq2100PSenUS.dll", L"bq2100PSenUS", L"..\\bq2100PSenUS.dll", L"C:\\windows\\system32\\kernel32.dll",
            L"kernel32.dll",     L"3\\x.dll",     L"",                     std::wstring(300, L'n') + L".dll",
        };
        std::wstring text = rng.pick(kNames);
        std::string bytes(reinterpret_cast<const char*>(text.c_str()), (text.size() + (rng.oneIn(4) ? 0 : 1)) * 2);
        return bytes;
    }
    static const std::vector<uint32_t> kSizes = { 0, 1, 2, 3, 4, 5, 8, 15, 16, 17, 64, 522, 523, 600, 4096, 1 << 20 };
    std::string bytes = randomBytes(rng, rng.pick(kSizes));
    if (rng.oneIn(3) && bytes.size() >= 4) {
        uint32_t v = interestingNumber(rng);
        memcpy(&bytes[0], &v, 4);
    }
    return bytes;
}

void SetValue(const wchar_t* name, DWORD type, std::string bytes)
{
    SetPrinterDataW(g_data->printer->handle(), const_cast<LPWSTR>(name), type,
                    reinterpret_cast<BYTE*>(bytes.empty() ? nullptr : &bytes[0]), (DWORD)bytes.size());
}

std::string DwordBytes(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

// Every value as the plug-in and its language module's installation write them.
void SetNormalValues()
{
    const std::wstring language = L"bq2100PSenUS.dll";
    SetValue(L"InstallableInfo", REG_BINARY, std::string(sizeof(INSTALLABLE_INFO), '\0'));
    SetValue(L"SleepTime", REG_DWORD, DwordBytes(15));
    SetValue(L"MuteVal", REG_DWORD, DwordBytes(0));
    SetValue(L"OEMUI_VALUE", REG_DWORD, DwordBytes(50));
    SetValue(L"BqPSResDll", REG_SZ,
             std::string(reinterpret_cast<const char*>(language.c_str()), (language.size() + 1) * sizeof(wchar_t)));
}

void RunPrinterData(Rng& rng, bool normalInput)
{
    PrinterDataState& s = *g_data;
    static const wchar_t* const kValues[] = { L"InstallableInfo", L"SleepTime", L"MuteVal", L"OEMUI_VALUE",
                                              L"BqPSResDll" };
    static const std::vector<DWORD> kTypes = { REG_SZ,        REG_BINARY, REG_DWORD, REG_EXPAND_SZ,
                                               REG_MULTI_SZ,  REG_QWORD,  REG_NONE,  0x12345 };
    Rng make(rng.next());
    if (normalInput) {
        SetNormalValues();
    } else {
        for (const wchar_t* name : kValues) {
            if (make.oneIn(3))
                continue;
            std::string bytes = ValueBytes(make, name);
            SetValue(name, make.pick(kTypes), std::move(bytes));
        }
    }
    const ULONGLONG folderBefore = s.files->folderBytes();
    switch (rng.below(6)) {
    case 0:
        s.host->startSheet(harness::SheetKind::Printer, nullptr, nullptr, rng.oneIn(2) ? 1 : 0);
        break;
    case 1:
        s.host->printerItems();
        break;
    case 2:
        s.host->askPapers(DC_PAPERS, 10, 10, std::string(20, '\1'), true);
        break;
    case 3:
        s.host->startSheet(harness::SheetKind::Document, nullptr, nullptr);
        break;
    case 4: {
        GuardedBuffer info(sizeof(INSTALLABLE_INFO));
        ReadInstallableInfo(s.printer->handle(), info.as<INSTALLABLE_INFO>());
        checkCanary(info, "the optional-tray information");
        break;
    }
    default:
        if (!s.host->showWindow(rng.oneIn(2) ? Host::Window::PrinterProperties : Host::Window::Preferences,
                                rng.oneIn(2)))
            finding("the window did not show");
        break;
    }
    // Printer data writes no data file beyond the default quick sets.
    if (s.files->folderBytes() > folderBefore + 64 * 1024)
        finding("the data folder grew by %llu bytes", s.files->folderBytes() - folderBefore);
    s.files->removeNewBackups();
}

// --- the device ----------------------------------------------------------------------------

struct DeviceState {
    std::unique_ptr<harness::SimulatedPrinter> sim;
    std::unique_ptr<harness::TestPrinter> printer;
};
DeviceState* g_device = nullptr;

// SetupAPI's interface list as a case makes it.
struct FakeInterfaces {
    std::vector<std::wstring> paths;
    std::vector<DWORD> needed;      // what the size query answers
    std::vector<bool> terminated;   // whether the path written ends in a NUL
    std::vector<bool> fails;
} g_interfaces;

HDEVINFO WINAPI FakeList(const GUID*, PCWSTR, HWND, DWORD) { return reinterpret_cast<HDEVINFO>(0x5150); }

BOOL WINAPI FakeEnum(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD index, PSP_DEVICE_INTERFACE_DATA data)
{
    if (index >= g_interfaces.paths.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->Reserved = index;
    return TRUE;
}

BOOL WINAPI FakeDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                       PDWORD needed, PSP_DEVINFO_DATA)
{
    size_t i = data->Reserved;
    if (needed)
        *needed = g_interfaces.needed[i];
    if (!detail) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (g_interfaces.fails[i]) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    // As SetupAPI: never past the size given.
    const size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    if (size < offset)
        return FALSE;
    std::wstring path = g_interfaces.paths[i];
    size_t room = (size - offset) / sizeof(WCHAR);
    size_t chars = std::min(path.size() + (g_interfaces.terminated[i] ? 1 : 0), room);
    memcpy(detail->DevicePath, path.c_str(), chars * sizeof(WCHAR));
    return TRUE;
}

BOOL WINAPI FakeDestroy(HDEVINFO) { return TRUE; }

void FindPaths(Rng& rng)
{
    g_interfaces = FakeInterfaces();
    const size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    for (uint32_t i = 0, n = rng.below(6); i < n; ++i) {
        std::wstring path = rng.oneIn(2) ? g_device->sim->makeInterfacePath() : randomText(rng, 400);
        g_interfaces.paths.push_back(path);
        DWORD truth = (DWORD)(offset + (path.size() + 1) * sizeof(WCHAR));
        g_interfaces.needed.push_back(rng.oneIn(3) ? interestingNumber(rng) : truth + rng.below(3) - 1);
        g_interfaces.terminated.push_back(!rng.oneIn(4));
        g_interfaces.fails.push_back(rng.oneIn(8));
    }
    SYSTEM_SEAMS saved = g_seams;
    g_seams.SetupDiGetClassDevsW = &FakeList;
    g_seams.SetupDiEnumDeviceInterfaces = &FakeEnum;
    g_seams.SetupDiGetDeviceInterfaceDetailW = &FakeDetail;
    g_seams.SetupDiDestroyDeviceInfoList = &FakeDestroy;
    GuardedBuffer out(kDevicePathChars * sizeof(WCHAR));
    BOOL found = FindUsbDevicePath(rng.oneIn(2) ? L"USB001" : L"usb002", out.as<WCHAR>());
    g_seams = saved;
    checkCanary(out, "the device path");
    if (!wmemchr(out.as<WCHAR>(), 0, kDevicePathChars))
        finding("a device path without its end");
    if (!found && out.as<WCHAR>()[0] != 0)
        finding("no device found, but a path left in the buffer");
}

void RunDevice(Rng& rng)
{
    harness::SimulatedPrinter& sim = *g_device->sim;
    HANDLE printer = g_device->printer->handle();
    sim.clearLog();
    switch (rng.below(12)) {
    case 0: {
        // A command and its reply: half a second each, so seldom.
        switch (rng.below(4)) {
        case 0: {
            std::string reply = randomBytes(rng, rng.below(40));
            sim.answerNextWith(harness::Bytes(reply.begin(), reply.end()));
            break;
        }
        case 1: sim.setReplyLength(rng.below(40)); break;
        case 2: sim.setReplyStatus((BYTE)rng.below(256), (BYTE)rng.below(256)); break;
        default: sim.setWrongEcho(true); break;
        }
        DWORD value = interestingNumber(rng);
        BOOL set = rng.oneIn(2);
        if (rng.oneIn(2))
            AccessDeviceSleepTime(printer, value, set);
        else
            AccessDeviceMuteValue(printer, value, set);
        sim.setReplyLength(16);
        sim.setReplyStatus(0x00, 0x01);
        sim.setWrongEcho(false);
        break;
    }
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {
        std::string block = randomBytes(rng, rng.below(300));
        sim.setDeviceInfo(harness::Bytes(block.begin(), block.end()));
        if (rng.oneIn(3))
            sim.setDeviceInfoLength(interestingNumber(rng) % 400);
        if (rng.oneIn(8))
            sim.failDeviceInfo(ERROR_GEN_FAILURE);
        GuardedBuffer info(kDeviceInfoSize);
        QueryDeviceInfo(printer, info.data());
        checkCanary(info, "the device information");
        sim.setDeviceInfoLength(0xFFFFFFFF);
        sim.failDeviceInfo(0);
        break;
    }
    default:
        FindPaths(rng);
        break;
    }
    for (const std::string& error : sim.protocolErrors())
        finding("device protocol: %s", error.c_str());
    if (sim.openHandles() || sim.openLists())
        finding("a device handle or interface list left open");
}

} // namespace

Kind printerDataKind()
{
    Kind kind;
    kind.name = "printerdata";
    kind.setUp = [] {
        g_data = new PrinterDataState;
        g_data->printer = std::make_unique<harness::TestPrinter>(harness::TestPrinter::Mode::Unique);
        g_data->core = harness::CoreDriver::fromDefaultPpd();
        if (!g_data->printer->ok() || !g_data->core)
            return false;
        g_data->files = std::make_unique<DataFolderGuard>();
        g_data->host = std::make_unique<Host>(g_data->printer->handle(), g_data->printer->name(), g_data->core.get());
        if (!g_data->host->ok())
            return false;
        g_data->host->plugin()->HideStandardUI(OEMCUIP_PRNPROP);
        return true;
    };
    kind.run = &RunPrinterData;
    kind.hasNormalInput = true;
    kind.tearDown = [] {
        delete g_data;
        g_data = nullptr;
    };
    return kind;
}

Kind deviceKind()
{
    Kind kind;
    kind.name = "device";
    kind.setUp = [] {
        g_device = new DeviceState;
        g_device->sim = std::make_unique<harness::SimulatedPrinter>();
        std::wstring port = g_device->sim->attach(1);
        g_device->printer = std::make_unique<harness::TestPrinter>(harness::TestPrinter::Mode::Unique, port);
        return g_device->printer->ok();
    };
    kind.run = [](Rng& rng, bool) { RunDevice(rng); };
    kind.tearDown = [] {
        if (g_device) {
            g_device->printer.reset();
            g_device->sim.reset();
        }
        delete g_device;
        g_device = nullptr;
    };
    return kind;
}

} // namespace fuzz
