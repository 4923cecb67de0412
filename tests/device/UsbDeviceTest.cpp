// USB device communication against the simulated printer: the bytes on the
// wire, the reply checks, the bounded waits, finding the interface behind a
// port, and the device-information request.
#include <gtest/gtest.h>

#include "device/UsbDevice.h"
#include "plugin/SystemSeams.h"
#include "harness/SimulatedPrinter.h"
#include "harness/TestPrinter.h"

#include <memory>
#include <utility>
#include <vector>
#include <string>

using harness::Bytes;
using harness::bytes;
using harness::hex;
using harness::SimulatedPrinter;
using harness::TestPrinter;
using Request = SimulatedPrinter::Request;

namespace {

Bytes packet(std::initializer_list<int> head)
{
    Bytes p = bytes(head);
    p.resize(16, 0);
    return p;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<Bytes> writtenBlocks(const SimulatedPrinter& sim)
{
    std::vector<Bytes> out;
    for (const SimulatedPrinter::Event& e : sim.events(Request::Write))
        out.push_back(e.data);
    return out;
}

ULONGLONG now() { return harness::monotonicMs(); }

// An administrator's local printer on USB001, served by the simulated printer.
class UsbExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        port = sim.attach(1);
        printer = std::make_unique<TestPrinter>(TestPrinter::Mode::Unique, port);
        ASSERT_TRUE(printer->ok()) << printer->failureText();
    }
    void TearDown() override
    {
        EXPECT_TRUE(sim.idle()) << sim.report();
        printer.reset();
    }
    HANDLE handle() const { return printer->handle(); }

    HRESULT getSleep(DWORD& value) { return AccessDeviceSleepTime(handle(), value, FALSE); }

    SimulatedPrinter sim;
    std::wstring port;
    std::unique_ptr<TestPrinter> printer;
};

// FindUsbDevicePath against interfaces that a test presents.
class UsbPath : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(sim.idle()) << sim.report(); }

    // The path buffer with a guard after it.
    struct Buffer {
        WCHAR path[kDevicePathChars + 8];
        Buffer()
        {
            for (WCHAR& c : path)
                c = L'?';
        }
        bool guardIntact() const
        {
            for (DWORD i = kDevicePathChars; i < kDevicePathChars + 8; ++i)
                if (path[i] != L'?')
                    return false;
            return true;
        }
    };

    SimulatedPrinter sim;
};

} // namespace

// --- bytes on the wire -------------------------------------------------------------

TEST_F(UsbExchange, SetSleepTimeSendsEntryPacketAndExit)
{
    DWORD value = 30;
    ASSERT_EQ(S_OK, AccessDeviceSleepTime(handle(), value, TRUE));
    const Bytes entry = bytes("\x1B%-12345X@PJL ENTER LANGUAGE=ACL\r\n");
    const Bytes exit = bytes("\x1B%-12345X");
    ASSERT_EQ(34u, entry.size());
    const Bytes command = packet({ 0x00, 0xAC, 0xFF, 0x82, 0x00, 0x1E });
    std::vector<Bytes> expected = { entry, command, exit };
    EXPECT_EQ(expected, writtenBlocks(sim));
    EXPECT_EQ(concat({ entry, command, exit }), sim.wire()) << hex(sim.wire());
    EXPECT_EQ(30, sim.sleepTime());
    EXPECT_EQ(30u, value);
}

TEST_F(UsbExchange, SetMuteOnSendsItsPacket)
{
    DWORD value = 1;
    ASSERT_EQ(S_OK, AccessDeviceMuteValue(handle(), value, TRUE));
    ASSERT_EQ(1u, sim.commands().size());
    EXPECT_EQ(packet({ 0x00, 0xAC, 0xFF, 0x86, 0x00, 0x01 }), sim.commands()[0]) << hex(sim.commands()[0]);
    EXPECT_EQ(1, sim.muteValue());
}

TEST_F(UsbExchange, GetMuteSendsACommandWithoutValue)
{
    sim.setMuteValue(1);
    DWORD value = 0xFFFFFFFF;
    ASSERT_EQ(S_OK, AccessDeviceMuteValue(handle(), value, FALSE));
    ASSERT_EQ(1u, sim.commands().size());
    EXPECT_EQ(packet({ 0x00, 0xAC, 0xFF, 0x87 }), sim.commands()[0]) << hex(sim.commands()[0]);
    EXPECT_EQ(1u, value);
}

TEST_F(UsbExchange, OnlyTheLowSixteenBitsAreSent)
{
    DWORD value = 0x12345;
    ASSERT_EQ(S_OK, AccessDeviceSleepTime(handle(), value, TRUE));
    ASSERT_EQ(1u, sim.commands().size());
    EXPECT_EQ(packet({ 0x00, 0xAC, 0xFF, 0x82, 0x23, 0x45 }), sim.commands()[0]) << hex(sim.commands()[0]);
}

TEST_F(UsbExchange, TheReplyIsReadHalfASecondAfterTheCommand)
{
    DWORD value = 0;
    ASSERT_EQ(S_OK, getSleep(value));
    auto writes = sim.events(Request::Write);
    auto reads = sim.events(Request::Read);
    ASSERT_EQ(3u, writes.size());
    ASSERT_EQ(1u, reads.size());
    EXPECT_GE(reads[0].startMs - writes.back().endMs, kReplyDelayMs - 5);
    EXPECT_EQ(16u, reads[0].size);
    EXPECT_EQ(1, sim.count(Request::Open));
    EXPECT_EQ(1, sim.count(Request::Close));
}

// --- replies -------------------------------------------------------------------------

TEST_F(UsbExchange, AGetReplyCarriesTheValueBigEndian)
{
    sim.answerNextWith(packet({ 0x00, 0xAC, 0xFF, 0x83, 0x00, 0x01, 0x00, 0x3C }));
    DWORD value = 0xFFFF0000;
    ASSERT_EQ(S_OK, getSleep(value));
    EXPECT_EQ(60u, value);

    sim.setSleepTime(0x1234);
    ASSERT_EQ(S_OK, getSleep(value));
    EXPECT_EQ(0x1234u, value);
}

TEST_F(UsbExchange, OtherSuccessBytesAreRefused)
{
    sim.setReplyStatus(0x01, 0x00);
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
    DWORD mute = 1;
    EXPECT_EQ(E_FAIL, AccessDeviceMuteValue(handle(), mute, TRUE));
    sim.setReplyStatus(0x01, 0x01);
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
}

TEST_F(UsbExchange, AReplyToAnotherCommandIsRefused)
{
    sim.setWrongEcho(true);
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
    // Byte 2 is part of the echo too.
    sim.setWrongEcho(false);
    sim.answerNextWith(packet({ 0x00, 0xAC, 0xFE, 0x83, 0x00, 0x01, 0x00, 0x3C }));
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
}

TEST_F(UsbExchange, AShortReplyIsRefused)
{
    sim.setSleepTime(60);
    sim.setReplyLength(15);
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
}

TEST_F(UsbExchange, AnEmptyReplyIsRefused)
{
    sim.setReplyLength(0);
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
    ASSERT_EQ(1, sim.count(Request::Read));
    EXPECT_TRUE(sim.events(Request::Read)[0].ok);
}

// --- writes ---------------------------------------------------------------------------

class UsbWriteFault : public UsbExchange, public ::testing::WithParamInterface<int> {};

TEST_P(UsbWriteFault, AFailedWriteEndsTheCommandBeforeAnyRead)
{
    sim.failWrite(GetParam());
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(7u, value);
    EXPECT_EQ(GetParam() + 1, sim.count(Request::Write));
    EXPECT_EQ(0, sim.count(Request::Read));
}

TEST_P(UsbWriteFault, AShortWriteEndsTheCommandBeforeAnyRead)
{
    sim.writeShort(GetParam(), 3);
    DWORD value = 30;
    EXPECT_EQ(E_FAIL, AccessDeviceSleepTime(handle(), value, TRUE));
    EXPECT_EQ(GetParam() + 1, sim.count(Request::Write));
    EXPECT_EQ(0, sim.count(Request::Read));
}

INSTANTIATE_TEST_SUITE_P(EntryPacketExit, UsbWriteFault, ::testing::Values(0, 1, 2));

// --- bounded waits -----------------------------------------------------------------------

TEST_F(UsbExchange, ASilentPrinterEndsTheExchangeWithinTheBound)
{
    sim.setSilent(true);
    DWORD value = 7;
    ULONGLONG start = now();
    EXPECT_EQ(E_FAIL, getSleep(value));
    ULONGLONG elapsed = now() - start;
    EXPECT_EQ(7u, value);
    ASSERT_EQ(1, sim.count(Request::Read));
    EXPECT_LE(sim.events(Request::Read)[0].timeoutMs, kDeviceTimeoutMs);
    EXPECT_LT(elapsed, kReplyDelayMs + kDeviceTimeoutMs + 1000) << elapsed << " ms";
    for (const auto& w : sim.events(Request::Write))
        EXPECT_LE(w.timeoutMs, kDeviceTimeoutMs);
}

TEST_F(UsbExchange, ASilentPrinterEndsTheInformationRequestWithinTheBound)
{
    sim.setSilent(true);
    BYTE info[kDeviceInfoSize] = {};
    ULONGLONG start = now();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SEM_TIMEOUT), QueryDeviceInfo(handle(), info));
    EXPECT_LT(now() - start, kDeviceTimeoutMs + 1000);
    ASSERT_EQ(1, sim.count(Request::Control));
    EXPECT_LE(sim.events(Request::Control)[0].timeoutMs, kDeviceTimeoutMs);
}

// --- no device -------------------------------------------------------------------------------

TEST_F(UsbExchange, AnUnpluggedPrinterIsNotOpened)
{
    sim.unplug();
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    EXPECT_EQ(E_FAIL, AccessDeviceMuteValue(handle(), value, TRUE));
    BYTE info[kDeviceInfoSize] = {};
    EXPECT_EQ(E_FAIL, QueryDeviceInfo(handle(), info));
    EXPECT_EQ(7u, value);
    EXPECT_EQ(0, sim.count(Request::Open));
}

TEST_F(UsbExchange, ADeviceThatCannotBeOpenedFails)
{
    sim.failOpen(ERROR_ACCESS_DENIED);
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, getSleep(value));
    BYTE info[kDeviceInfoSize] = {};
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), QueryDeviceInfo(handle(), info));
    EXPECT_EQ(0, sim.count(Request::Write));
}

// --- the printer's port ------------------------------------------------------------------------

TEST(UsbPort, APrinterNotOnAUsbPortDoesNotTouchTheDevice)
{
    SimulatedPrinter sim;
    sim.attach(1);
    TestPrinter printer(TestPrinter::Mode::Unique); // on FILE:
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, AccessDeviceSleepTime(printer.handle(), value, FALSE));
    EXPECT_EQ(E_FAIL, AccessDeviceMuteValue(printer.handle(), value, TRUE));
    BYTE info[kDeviceInfoSize] = {};
    EXPECT_EQ(E_FAIL, QueryDeviceInfo(printer.handle(), info));
    EXPECT_EQ(7u, value);
    EXPECT_EQ(0, sim.listsMade());
    EXPECT_TRUE(sim.events().empty());
}

TEST(UsbPort, AUsbNamedPortOfAnotherMonitorIsNotUsb)
{
    SimulatedPrinter sim;
    sim.addInterface(sim.makeInterfacePath(), 1);
    sim.addPort(L"USB001", L"Local Monitor");
    TestPrinter printer(TestPrinter::Mode::Unique, L"USB001");
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, AccessDeviceSleepTime(printer.handle(), value, FALSE));
    BYTE info[kDeviceInfoSize] = {};
    EXPECT_EQ(E_FAIL, QueryDeviceInfo(printer.handle(), info));
    EXPECT_EQ(0, sim.listsMade());
}

TEST(UsbPort, ANullPrinterHandleIsRefused)
{
    SimulatedPrinter sim;
    sim.attach(1);
    DWORD value = 7;
    EXPECT_EQ(E_FAIL, AccessDeviceSleepTime(nullptr, value, FALSE));
    BYTE info[kDeviceInfoSize] = {};
    EXPECT_EQ(E_INVALIDARG, QueryDeviceInfo(nullptr, info));
    EXPECT_EQ(7u, value);
    EXPECT_EQ(0, sim.listsMade());
}

// --- device information -----------------------------------------------------------------------------

TEST_F(UsbExchange, DeviceInformationIsTheFirst48BytesOfTheReply)
{
    sim.setDeviceState(3);
    BYTE info[64];
    memset(info, 0xEE, sizeof info);
    ASSERT_EQ(S_OK, QueryDeviceInfo(handle(), info));
    Bytes block = sim.deviceInfo();
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 48), Bytes(info, info + 48));
    EXPECT_EQ(3, info[0]);
    EXPECT_EQ(Bytes(16, 0xEE), Bytes(info + 48, info + 64)); // nothing past the 48 bytes
    auto requests = sim.events(Request::Control);
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(0x22003Cu, requests[0].code);
    EXPECT_EQ(Bytes(3, 0), requests[0].input);
    EXPECT_EQ(256u, requests[0].size);
    EXPECT_EQ(0, sim.count(Request::Write));
}

TEST_F(UsbExchange, AFailedInformationRequestGivesTheSystemError)
{
    sim.failDeviceInfo(ERROR_GEN_FAILURE);
    BYTE info[kDeviceInfoSize];
    memset(info, 0xEE, sizeof info);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_GEN_FAILURE), QueryDeviceInfo(handle(), info));
    EXPECT_EQ(Bytes(kDeviceInfoSize, 0xEE), Bytes(info, info + kDeviceInfoSize));
}

TEST_F(UsbExchange, AShortInformationBlockIsAFailure)
{
    sim.setDeviceInfoLength(47);
    BYTE info[kDeviceInfoSize];
    memset(info, 0xEE, sizeof info);
    EXPECT_EQ(E_FAIL, QueryDeviceInfo(handle(), info));
    EXPECT_EQ(Bytes(kDeviceInfoSize, 0xEE), Bytes(info, info + kDeviceInfoSize));
    sim.setDeviceInfoLength(0);
    EXPECT_EQ(E_FAIL, QueryDeviceInfo(handle(), info));
}

TEST_F(UsbExchange, AMissingOutputBufferIsRefused)
{
    EXPECT_EQ(E_INVALIDARG, QueryDeviceInfo(handle(), nullptr));
    EXPECT_TRUE(sim.events().empty());
}

// --- finding the interface behind a port ----------------------------------------------------------------

TEST_F(UsbPath, APortNumberMatchesItsPortNameInAnyCase)
{
    sim.addInterface(sim.makeInterfacePath(), 3);
    std::wstring path = sim.makeInterfacePath();
    sim.addInterface(path, 1);
    Buffer out;
    ASSERT_TRUE(FindUsbDevicePath(L"usb001", out.path));
    EXPECT_EQ(path, out.path); // as the system gave it, backslashes and all
    EXPECT_TRUE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_TRUE(out.guardIntact());
}

TEST_F(UsbPath, ThePortNumberHasAtLeastThreeDigits)
{
    sim.addInterface(sim.makeInterfacePath(), 1);
    sim.addInterface(sim.makeInterfacePath(), 1234);
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB1", out.path));
    EXPECT_EQ(L'\0', out.path[0]);
    EXPECT_FALSE(FindUsbDevicePath(L"USB01", out.path));
    EXPECT_TRUE(FindUsbDevicePath(L"USB1234", out.path));
}

TEST_F(UsbPath, Dot4InterfacesAreSkipped)
{
    sim.addInterface(sim.makeInterfacePath(L"dot4"), 1);
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    std::wstring usb = sim.makeInterfacePath();
    sim.addInterface(usb, 1);
    ASSERT_TRUE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_EQ(usb, out.path);
}

TEST_F(UsbPath, APathTooLongForTheBufferIsSkippedNotCut)
{
    std::wstring longPath = sim.makeInterfacePath() + std::wstring(300, L'x');
    sim.addInterface(longPath); // the registry takes no key name this long
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_EQ(L'\0', out.path[0]);
    EXPECT_TRUE(out.guardIntact());
    std::wstring path = sim.makeInterfacePath();
    sim.addInterface(path, 1);
    ASSERT_TRUE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_EQ(path, out.path);
    EXPECT_TRUE(out.guardIntact());
}

TEST_F(UsbPath, AnInterfaceWithoutKeyIsSkippedAndNoKeyIsCreated)
{
    std::wstring bare = sim.makeInterfacePath();
    sim.addInterface(bare);
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, SimulatedPrinter::portKeyPath(bare).c_str(), 0, KEY_READ, &key));
}

TEST_F(UsbPath, APortNumberThatIsNotADwordIsIgnored)
{
    std::wstring path = sim.makeInterfacePath();
    sim.addInterface(path, 1);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, SimulatedPrinter::portKeyPath(path).c_str(), 0,
                                           KEY_SET_VALUE, &key));
    // "1" and its NUL: four bytes that read as 49 as a number.
    RegSetValueExW(key, L"Port Number", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 4);
    RegCloseKey(key);
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_FALSE(FindUsbDevicePath(L"USB049", out.path));
}

TEST_F(UsbPath, AnInterfaceThatCannotBeEnumeratedIsPassedOver)
{
    sim.addInterface(sim.makeInterfacePath(), 1);
    std::wstring second = sim.makeInterfacePath();
    sim.addInterface(second, 1);
    sim.failEnumeration(0);
    Buffer out;
    ASSERT_TRUE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_EQ(second, out.path);
}

TEST_F(UsbPath, AnEnumerationThatKeepsFailingEnds)
{
    sim.attach(1);
    sim.failEnumeration(0, ERROR_GEN_FAILURE, true);
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_LE(sim.enumerations(), 1000);
}

TEST_F(UsbPath, AFailedDetailReadEndsTheSearch)
{
    sim.addInterface(sim.makeInterfacePath(), 2);
    sim.addInterface(sim.makeInterfacePath(), 1);
    sim.failDetail(0);
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_EQ(L'\0', out.path[0]);
}

namespace {

DWORD g_detailNeeded = 0;
// Each buffer given with the detail query: its block's size and the size given with it.
std::vector<std::pair<SIZE_T, DWORD>> g_detailBuffers;

BOOL WINAPI HugeDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                       PDWORD needed, PSP_DEVINFO_DATA)
{
    if (needed)
        *needed = g_detailNeeded;
    if (detail)
        g_detailBuffers.push_back({ HeapSize(GetProcessHeap(), 0, detail), size });
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

} // namespace

TEST_F(UsbPath, ADetailSizeAtTheEndOfTheRangeNeverWrapsAround)
{
    sim.addInterface(sim.makeInterfacePath(), 1);
    g_detailBuffers.clear();
    g_seams.SetupDiGetDeviceInterfaceDetailW = &HugeDetail;
    for (DWORD needed : { 0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFDu, 0x80000001u }) {
        g_detailNeeded = needed;
        Buffer out;
        EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
        EXPECT_EQ(L'\0', out.path[0]);
        EXPECT_TRUE(out.guardIntact());
    }
    for (const auto& given : g_detailBuffers)
        EXPECT_GE(given.first, (SIZE_T)given.second) << "a block smaller than the size given with it";
}

TEST_F(UsbPath, NoListOrNoInterfaceFindsNothing)
{
    Buffer out;
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    sim.attach(1);
    sim.failDeviceList(ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", out.path));
    EXPECT_FALSE(FindUsbDevicePath(nullptr, out.path));
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", nullptr));
}

TEST(UsbPathOnWine, WineHasNoUsbPrintingDevice)
{
    ResetSystemSeams();
    WCHAR path[kDevicePathChars] = L"x";
    EXPECT_FALSE(FindUsbDevicePath(L"USB001", path));
    EXPECT_EQ(L'\0', path[0]);
}
