// A Brixom Q2100 on USB, for tests. It takes over the system seams that
// stand for the device (SetupAPI's device-interface list, the device I/O and
// the port list of EnumPortsW) and answers the device protocol byte by byte:
// the PJL entry, a 16-byte ACL packet and the PJL exit, then a 16-byte reply;
// and the vendor request for the device-information block. It keeps a sleep
// time and a mute value, can be told to misbehave, and records every request.
//
//   harness::SimulatedPrinter sim;           // plugs into the seams
//   harness::TestPrinter printer(harness::TestPrinter::Mode::Unique, sim.attach(1));  // on "USB001"
//   sim.setSleepTime(15);
//   ... code under test, e.g. AccessDeviceSleepTime(printer.handle(), value, FALSE) ...
//   EXPECT_EQ(harness::bytes({0x00, 0xAC, 0xFF, 0x83, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), sim.commands().at(0));
//   EXPECT_TRUE(sim.idle()) << sim.report();   // nothing left open, no protocol error
//
// attach(n) presents a USB printing interface whose registry key (written in
// Wine's real registry under HKLM, removed at the end) holds "Port Number" n,
// and adds the port "USB00n" of "Dynamic Print Monitor" to the port list.
// One simulator at a time; its destructor puts back the seams as it found them.
// Calls may come from any thread; a wait that plays a time-out really waits.
#pragma once

#include "plugin/SystemSeams.h"

#include <windows.h>

#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace harness {

using Bytes = std::vector<BYTE>;
Bytes bytes(std::initializer_list<int> values);
Bytes bytes(const char* text); // the characters without the NUL
// "00 AC FF 82", for messages.
std::string hex(const Bytes& data);
// Milliseconds of the performance counter (finer than the tick count).
ULONGLONG monotonicMs();

// The wire format the printer expects.
inline constexpr char kPjlEnterText[] = "\x1B%-12345X@PJL ENTER LANGUAGE=ACL\r\n";
inline constexpr char kPjlExitText[] = "\x1B%-12345X";
// Longest wait a request may ask for before the simulator calls it unbounded.
inline constexpr DWORD kMaxDeviceWaitMs = 5000;

class SimulatedPrinter {
public:
    enum class Request { Open, Write, Read, Control, Close };

    // One device request as the simulator saw it.
    struct Event {
        Request request = Request::Open;
        std::wstring path;   // Open
        HANDLE handle = nullptr;
        Bytes data;          // Write: the bytes given; Read, Control: the bytes answered
        Bytes input;         // Control: the request's input
        DWORD code = 0;      // Control
        DWORD size = 0;      // Write: bytes taken; Read, Control: size of the caller's buffer
        DWORD timeoutMs = 0;
        bool ok = false;
        DWORD error = 0;     // when not ok
        ULONGLONG startMs = 0, endMs = 0; // monotonicMs() around the request
    };

    SimulatedPrinter();
    SimulatedPrinter(const SimulatedPrinter&) = delete;
    SimulatedPrinter& operator=(const SimulatedPrinter&) = delete;
    ~SimulatedPrinter();

    // --- what the system shows ---------------------------------------------

    // A USB printing interface for port number n and the port "USBnnn" of
    // "Dynamic Print Monitor"; returns the port name.
    std::wstring attach(DWORD portNumber);
    // A new interface path unique to this process, of the form
    // \\?\<bus>#vid_2f1c&pid_0a21#<serial>#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}.
    std::wstring makeInterfacePath(const wchar_t* bus = L"usb");
    // Presents an interface (in the order added). With a port number its key
    // "...\DeviceClasses\{class}\<path, # for \>\#\Device Parameters" holds
    // "Port Number" as a DWORD; without, the interface has no key.
    void addInterface(const std::wstring& path, std::optional<DWORD> portNumber = std::nullopt);
    // The registry key of an interface's parameters, below HKEY_LOCAL_MACHINE.
    static std::wstring portKeyPath(const std::wstring& interfacePath);
    // A port listed by EnumPortsW (levels 1 and 2) after the system's own.
    void addPort(const std::wstring& name, const std::wstring& monitor = L"Dynamic Print Monitor");

    // --- the device ------------------------------------------------------------

    WORD sleepTime() const;
    void setSleepTime(WORD minutes);
    WORD muteValue() const;
    void setMuteValue(WORD value);
    // Byte 0 of the information block: 1 (ready) at the start.
    void setDeviceState(BYTE state);
    // The whole information block; 64 bytes at the start: the state, then 0x41, 0x42, ...
    void setDeviceInfo(const Bytes& block);
    Bytes deviceInfo() const;

    // --- faults ------------------------------------------------------------------

    // No reply and no device information: reads and control requests wait
    // their whole time-out and fail with ERROR_SEM_TIMEOUT.
    void setSilent(bool silent);
    // Replies of this many bytes (0: a read that succeeds with no bytes).
    void setReplyLength(DWORD length);
    // Bytes 4-5 of the replies (00 01, success, at the start).
    void setReplyStatus(BYTE byte4, BYTE byte5);
    // Replies echo another command byte than the one received.
    void setWrongEcho(bool wrong);
    // The next command is answered with exactly these bytes.
    void answerNextWith(const Bytes& reply);
    // The write of this index (0 = the first on a handle) fails, or takes only
    // that many bytes.
    void failWrite(int index, DWORD error = ERROR_GEN_FAILURE);
    void writeShort(int index, DWORD taken);
    void failOpen(DWORD error);
    void failDeviceInfo(DWORD error);
    // Information blocks of this many bytes.
    void setDeviceInfoLength(DWORD length);
    // SetupAPI: the device list cannot be made; the interface of this index
    // cannot be enumerated; the detail of this index cannot be read.
    void failDeviceList(DWORD error);
    // (onward: that index and every later one).
    void failEnumeration(DWORD index, DWORD error = ERROR_GEN_FAILURE, bool onward = false);
    void failDetail(DWORD index, DWORD error = ERROR_GEN_FAILURE);
    // Unplugged: no interface is present, an open fails, and requests on a
    // handle still open fail with ERROR_DEVICE_NOT_CONNECTED.
    void unplug();
    void plugIn();

    // --- what happened -------------------------------------------------------------

    std::vector<Event> events() const;
    std::vector<Event> events(Request request) const;
    int count(Request request) const;
    // Every byte the device took, in order.
    Bytes wire() const;
    // Every complete packet received between a PJL entry and exit.
    std::vector<Bytes> commands() const;
    // Interface lists made so far, SetupDiEnumDeviceInterfaces calls so far.
    int listsMade() const;
    int enumerations() const;
    // Interface lists made and not destroyed, handles opened and not closed.
    int openLists() const;
    int openHandles() const;
    // What the plug-in did against the protocol or the system's rules.
    std::vector<std::string> protocolErrors() const;
    // No list or handle left open and no protocol error.
    bool idle() const;
    std::string report() const;
    // Forgets the events, commands and protocol errors.
    void clearLog();

private:
    struct Interface {
        std::wstring path;
        bool keyWritten = false;
    };
    struct Port {
        std::wstring name, monitor;
    };
    struct Handle {
        HANDLE value = nullptr;
        int writes = 0;
    };
    struct List {
        HDEVINFO value = nullptr;
        std::vector<std::wstring> paths; // as present when the list was made
    };
    enum class Parse { Enter, Packet, Exit };

    friend struct SimulatedPrinterSeams;

    // Seam implementations.
    HDEVINFO getClassDevs(const GUID* cls, PCWSTR enumerator, DWORD flags);
    BOOL enumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* cls, DWORD index,
                        PSP_DEVICE_INTERFACE_DATA data);
    BOOL interfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                         DWORD size, PDWORD needed);
    BOOL destroyList(HDEVINFO list);
    HANDLE open(LPCWSTR path);
    BOOL write(HANDLE device, const void* data, DWORD size, DWORD* written, DWORD timeoutMs);
    BOOL read(HANDLE device, void* buffer, DWORD size, DWORD* read, DWORD timeoutMs);
    BOOL control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                 DWORD timeoutMs);
    BOOL close(HANDLE device);
    BOOL enumPorts(LPWSTR server, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned);

    std::unique_lock<std::mutex> locked() const { return std::unique_lock<std::mutex>(m_mutex); }
    // With m_mutex held.
    void error(std::string text);
    List* findList(HDEVINFO list);
    Handle* findHandle(HANDLE device, const char* request);
    bool waitIsBounded(DWORD timeoutMs, const char* request);
    void take(const Bytes& data);
    void execute(const Bytes& packet);
    // Sleeps for a played time-out without the lock.
    void waitOut(std::unique_lock<std::mutex>& lock, DWORD timeoutMs);

    mutable std::mutex m_mutex;
    SYSTEM_SEAMS m_saved;

    std::vector<Interface> m_interfaces;
    std::vector<Port> m_ports;
    std::vector<List> m_lists;
    std::vector<Handle> m_handles;
    UINT_PTR m_nextValue = 0;
    unsigned m_pathSerial = 0;

    WORD m_sleepTime = 15;
    WORD m_muteValue = 0;
    Bytes m_deviceInfo;

    bool m_silent = false;
    DWORD m_replyLength = 16;
    BYTE m_status[2] = { 0x00, 0x01 };
    bool m_wrongEcho = false;
    std::optional<Bytes> m_nextReply;
    int m_failWrite = -1;
    DWORD m_failWriteError = 0;
    int m_shortWrite = -1;
    DWORD m_shortWriteTaken = 0;
    DWORD m_openError = 0;
    DWORD m_infoError = 0;
    DWORD m_infoLength = 0xFFFFFFFF;
    DWORD m_listError = 0;
    std::optional<DWORD> m_failEnumIndex, m_failDetailIndex;
    DWORD m_enumError = 0, m_detailError = 0;
    bool m_enumFailsOnward = false;
    int m_listsMade = 0, m_enumerations = 0;
    bool m_unplugged = false;

    Parse m_parse = Parse::Enter;
    Bytes m_input;              // bytes of the part being received
    Bytes m_packet;
    bool m_packetValid = false;
    bool m_lost = false;        // passing over bytes after a broken sequence
    std::vector<Bytes> m_replies; // answered, not yet read
    std::vector<Event> m_events;
    Bytes m_wire;
    std::vector<Bytes> m_commands;
    std::vector<std::string> m_errors;
};

} // namespace harness
