// The simulated printer, driven straight through the seams.
#include "SimulatedPrinter.h"
#include "TestPrinter.h"

#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"

#include <gtest/gtest.h>

#include <stddef.h>

using namespace harness;
using Request = SimulatedPrinter::Request;

namespace {

constexpr GUID kUsbPrintClass = { 0x28d78fad, 0x5a12, 0x11d1, { 0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2 } };

Bytes command(BYTE cmd, int hi = 0, int lo = 0)
{
    Bytes p = bytes({ 0x00, 0xAC, 0xFF, cmd, hi, lo });
    p.resize(16, 0);
    return p;
}

Bytes sequence(const Bytes& packet)
{
    Bytes out = bytes(kPjlEnterText);
    out.insert(out.end(), packet.begin(), packet.end());
    Bytes exit = bytes(kPjlExitText);
    out.insert(out.end(), exit.begin(), exit.end());
    return out;
}

bool send(HANDLE h, const Bytes& data)
{
    DWORD n = 0;
    return g_seams.WriteDevice(h, data.data(), static_cast<DWORD>(data.size()), &n, 100) && n == data.size();
}

// The reply, or nothing when the read fails.
std::optional<Bytes> receive(HANDLE h, DWORD timeoutMs = 100)
{
    BYTE buf[16] = {};
    DWORD n = 0;
    if (!g_seams.ReadDevice(h, buf, sizeof buf, &n, timeoutMs))
        return std::nullopt;
    return Bytes(buf, buf + n);
}

class Simulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = sim.makeInterfacePath();
        sim.addInterface(path, 1);
        device = g_seams.OpenDevice(path.c_str());
        ASSERT_NE(INVALID_HANDLE_VALUE, device);
    }
    void TearDown() override
    {
        if (device != INVALID_HANDLE_VALUE)
            g_seams.CloseDevice(device);
    }

    SimulatedPrinter sim;
    std::wstring path;
    HANDLE device = INVALID_HANDLE_VALUE;
};

} // namespace

TEST_F(Simulator, AnswersACommandSentByteByByte)
{
    for (BYTE b : sequence(command(0x83)))
        ASSERT_TRUE(send(device, Bytes{ b }));
    EXPECT_EQ(bytes({ 0x00, 0xAC, 0xFF, 0x83, 0x00, 0x01, 0x00, 15, 0, 0, 0, 0, 0, 0, 0, 0 }), receive(device));
    EXPECT_EQ(std::vector<Bytes>{ command(0x83) }, sim.commands());
    EXPECT_TRUE(sim.protocolErrors().empty());
}

TEST_F(Simulator, KeepsWhatASetCommandSends)
{
    ASSERT_TRUE(send(device, sequence(command(0x86, 0x00, 0x01))));
    EXPECT_EQ(bytes({ 0x00, 0xAC, 0xFF, 0x86, 0x00, 0x01, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0 }), receive(device));
    EXPECT_EQ(1, sim.muteValue());
    ASSERT_TRUE(send(device, sequence(command(0x82, 0x01, 0x02))));
    ASSERT_TRUE(receive(device));
    EXPECT_EQ(0x0102, sim.sleepTime());
    // A refused setting is not kept.
    sim.setReplyStatus(0x01, 0x00);
    ASSERT_TRUE(send(device, sequence(command(0x82, 0x00, 0x05))));
    EXPECT_EQ(0x01, receive(device)->at(4));
    EXPECT_EQ(0x0102, sim.sleepTime());
}

TEST_F(Simulator, ABrokenSequenceIsReportedAndNotAnswered)
{
    Bytes pcl = bytes("\x1B%-12345X@PJL ENTER LANGUAGE=PCL\r\n");
    ASSERT_TRUE(send(device, pcl));
    EXPECT_EQ(1u, sim.protocolErrors().size());

    Bytes unknown = sequence(command(0x99));
    ASSERT_TRUE(send(device, unknown));
    Bytes getWithValue = sequence(command(0x83, 0x00, 0x01));
    ASSERT_TRUE(send(device, getWithValue));
    Bytes noExit = bytes(kPjlEnterText);
    Bytes p = command(0x83);
    noExit.insert(noExit.end(), p.begin(), p.end());
    noExit.push_back('@');
    ASSERT_TRUE(send(device, noExit));
    EXPECT_EQ(4u, sim.protocolErrors().size()) << sim.report();
    EXPECT_TRUE(sim.commands().empty());
    EXPECT_FALSE(receive(device, 10));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SEM_TIMEOUT), GetLastError());
    sim.clearLog();
}

TEST_F(Simulator, MisbehavesWhenTold)
{
    sim.setReplyLength(6);
    ASSERT_TRUE(send(device, sequence(command(0x87))));
    EXPECT_EQ(6u, receive(device)->size());
    sim.setReplyLength(16);
    sim.setWrongEcho(true);
    ASSERT_TRUE(send(device, sequence(command(0x87))));
    EXPECT_NE(0x87, receive(device)->at(3));
    sim.setWrongEcho(false);

    sim.answerNextWith(bytes({ 1, 2, 3 }));
    ASSERT_TRUE(send(device, sequence(command(0x87))));
    EXPECT_EQ(bytes({ 1, 2, 3 }), receive(device));

    sim.setSilent(true);
    ASSERT_TRUE(send(device, sequence(command(0x87))));
    ULONGLONG start = monotonicMs();
    EXPECT_FALSE(receive(device, 200));
    EXPECT_GE(monotonicMs() - start, 195u);
    EXPECT_TRUE(sim.protocolErrors().empty()) << sim.report();
}

TEST_F(Simulator, WritesFailOrFallShortWhenTold)
{
    HANDLE second = g_seams.OpenDevice(path.c_str());
    sim.failWrite(1, ERROR_GEN_FAILURE);
    sim.writeShort(2, 4);
    DWORD n = 99;
    EXPECT_TRUE(g_seams.WriteDevice(device, "\x1B%-1", 4, &n, 100));
    EXPECT_FALSE(g_seams.WriteDevice(device, "2345X", 5, &n, 100));
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), GetLastError());
    EXPECT_EQ(0u, n);
    EXPECT_TRUE(g_seams.WriteDevice(device, "2345X@PJL", 9, &n, 100));
    EXPECT_EQ(4u, n);
    EXPECT_EQ(bytes("\x1B%-12345"), sim.wire());
    // Counted per handle.
    EXPECT_TRUE(g_seams.WriteDevice(second, "X", 1, &n, 100));
    EXPECT_TRUE(g_seams.CloseDevice(second));
}

TEST_F(Simulator, FlagsWaitsThatAreNotBounded)
{
    BYTE buf[16];
    DWORD n = 0;
    ULONGLONG start = monotonicMs();
    EXPECT_FALSE(g_seams.ReadDevice(device, buf, sizeof buf, &n, INFINITE));
    EXPECT_LT(monotonicMs() - start, 100u);
    EXPECT_EQ(1u, sim.protocolErrors().size());
    sim.clearLog();
}

TEST_F(Simulator, AnswersTheVendorRequestWithTheInformationBlock)
{
    sim.setDeviceState(2);
    const BYTE request[3] = {};
    BYTE out[256] = {};
    DWORD n = 0;
    ASSERT_TRUE(g_seams.ControlDevice(device, 0x22003C, request, 3, out, sizeof out, &n, 100));
    EXPECT_EQ(64u, n);
    EXPECT_EQ(2, out[0]);
    EXPECT_EQ(0x41, out[1]);
    const BYTE wrong[3] = { 1, 0, 0 };
    EXPECT_FALSE(g_seams.ControlDevice(device, 0x22003C, wrong, 3, out, sizeof out, &n, 100));
    EXPECT_FALSE(g_seams.ControlDevice(device, 0x220038, request, 3, out, sizeof out, &n, 100));
    EXPECT_EQ(2u, sim.protocolErrors().size());
    sim.clearLog();
}

TEST_F(Simulator, TracksHandlesAndUnplugging)
{
    EXPECT_EQ(1, sim.openHandles());
    sim.unplug();
    BYTE buf[16];
    DWORD n = 0;
    EXPECT_FALSE(g_seams.ReadDevice(device, buf, sizeof buf, &n, 100));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, g_seams.OpenDevice(path.c_str()));
    EXPECT_TRUE(g_seams.CloseDevice(device));
    EXPECT_FALSE(g_seams.CloseDevice(device));
    device = INVALID_HANDLE_VALUE;
    EXPECT_EQ(0, sim.openHandles());
    EXPECT_EQ(1u, sim.protocolErrors().size()); // the second close
    sim.clearLog();
}

TEST_F(Simulator, ListsInterfacesTheSetupApiWay)
{
    std::wstring second = sim.makeInterfacePath(L"dot4");
    sim.addInterface(second);
    HDEVINFO list = g_seams.SetupDiGetClassDevsW(&kUsbPrintClass, nullptr, nullptr,
                                                 DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(INVALID_HANDLE_VALUE, list);
    SP_DEVICE_INTERFACE_DATA data = { sizeof data };
    ASSERT_TRUE(g_seams.SetupDiEnumDeviceInterfaces(list, nullptr, &kUsbPrintClass, 1, &data));
    DWORD needed = 0;
    EXPECT_FALSE(g_seams.SetupDiGetDeviceInterfaceDetailW(list, &data, nullptr, 0, &needed, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (second.size() + 1) * 2, needed);
    std::vector<BYTE> buffer(needed);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof *detail;
    ASSERT_TRUE(g_seams.SetupDiGetDeviceInterfaceDetailW(list, &data, detail, needed, nullptr, nullptr));
    EXPECT_EQ(second, detail->DevicePath);
    EXPECT_FALSE(g_seams.SetupDiEnumDeviceInterfaces(list, nullptr, &kUsbPrintClass, 2, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_TRUE(g_seams.SetupDiDestroyDeviceInfoList(list));
    EXPECT_EQ(0, sim.openLists());

    sim.unplug();
    list = g_seams.SetupDiGetClassDevsW(&kUsbPrintClass, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    EXPECT_FALSE(g_seams.SetupDiEnumDeviceInterfaces(list, nullptr, &kUsbPrintClass, 0, &data));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_ITEMS), GetLastError());
    g_seams.SetupDiDestroyDeviceInfoList(list);
    EXPECT_TRUE(sim.protocolErrors().empty()) << sim.report();
}

TEST(SimulatedPorts, ThePortListServesUsbPortsBesideTheSystemsOwn)
{
    SimulatedPrinter sim;
    EXPECT_EQ(L"USB007", sim.attach(7));
    for (DWORD level : { 1u, 2u }) {
        DWORD needed = 0, count = 0;
        EXPECT_FALSE(g_seams.EnumPortsW(nullptr, level, nullptr, 0, &needed, &count));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
        std::vector<BYTE> buffer(needed);
        ASSERT_TRUE(g_seams.EnumPortsW(nullptr, level, buffer.data(), needed, &needed, &count));
        ASSERT_GE(count, 2u);
        bool file = false, usb = false;
        for (DWORD i = 0; i < count; ++i) {
            const wchar_t* name = level == 1 ? reinterpret_cast<PORT_INFO_1W*>(buffer.data())[i].pName
                                             : reinterpret_cast<PORT_INFO_2W*>(buffer.data())[i].pPortName;
            file = file || wcscmp(name, L"FILE:") == 0;
            if (wcscmp(name, L"USB007") == 0) {
                usb = true;
                if (level == 2) {
                    EXPECT_STREQ(L"Dynamic Print Monitor",
                                 reinterpret_cast<PORT_INFO_2W*>(buffer.data())[i].pMonitorName);
                }
            }
        }
        EXPECT_TRUE(file && usb) << "level " << level;
    }
}

TEST(SimulatedPorts, APrinterOnAnAttachedPortIsAUsbPrinter)
{
    SimulatedPrinter sim;
    TestPrinter printer(TestPrinter::Mode::Unique, sim.attach(1));
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    std::vector<BYTE> info = printerInfo(printer.handle(), 2);
    ASSERT_FALSE(info.empty());
    EXPECT_STREQ(L"USB001", reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pPortName);
    EXPECT_EQ(PORT_KIND_USB, GetPortKind(printer.handle()));
}

TEST(SimulatedPorts, APrinterOnAnUnlistedPortIsNot)
{
    TestPrinter printer(TestPrinter::Mode::Unique, L"USB001");
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    EXPECT_EQ(PORT_KIND_OTHER, GetPortKind(printer.handle()));
    TestPrinter shared(TestPrinter::Mode::Shared, L"USB001");
    EXPECT_FALSE(shared.ok());
}

TEST(SimulatedPorts, KeysAndSeamsGoWithTheSimulator)
{
    ResetSystemSeams();
    const SYSTEM_SEAMS before = g_seams;
    std::wstring key;
    {
        SimulatedPrinter sim;
        std::wstring path = sim.makeInterfacePath();
        sim.addInterface(path, 5);
        key = SimulatedPrinter::portKeyPath(path);
        DWORD value = 0, size = sizeof value;
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Port Number", RRF_RT_REG_DWORD,
                                              nullptr, &value, &size));
        EXPECT_EQ(5u, value);
        EXPECT_NE(before.OpenDevice, g_seams.OpenDevice);
    }
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h));
    EXPECT_EQ(0, memcmp(&before, &g_seams, sizeof before));
}
