#include "SimulatedPrinter.h"
#include "Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

namespace harness {
namespace {

SimulatedPrinter* s_active = nullptr;

// The USB printing interface class and its key below HKLM.
constexpr GUID kUsbPrintClass = { 0x28d78fad, 0x5a12, 0x11d1, { 0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2 } };
constexpr wchar_t kClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}";
constexpr DWORD kVendorGetCommand = 0x22003C;
constexpr DWORD kPacketSize = 16;
constexpr wchar_t kPortDescription[] = L"Virtual printer port for USB";

std::wstring interfaceKeyName(const std::wstring& path)
{
    std::wstring name = path;
    std::replace(name.begin(), name.end(), L'\\', L'#');
    return std::wstring(kClassKey) + L"\\" + name;
}

bool isPrefix(const Bytes& part, const Bytes& whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// A port as EnumPortsW lists it.
struct PortEntry {
    std::wstring name, monitor, description;
    DWORD type = 0;
};

size_t stringBytes(const std::wstring& s) { return (s.size() + 1) * sizeof(wchar_t); }

} // namespace

ULONGLONG monotonicMs()
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<ULONGLONG>(now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency);
}

namespace {

} // namespace

Bytes bytes(std::initializer_list<int> values)
{
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<BYTE>(v));
    return out;
}

Bytes bytes(const char* text)
{
    return Bytes(reinterpret_cast<const BYTE*>(text), reinterpret_cast<const BYTE*>(text) + strlen(text));
}

std::string hex(const Bytes& data)
{
    std::string out;
    char b[4];
    for (size_t i = 0; i < data.size(); ++i) {
        snprintf(b, sizeof b, i ? " %02X" : "%02X", data[i]);
        out += b;
    }
    return out;
}

// Entry points of the seams: they forward to the simulator in charge.
struct SimulatedPrinterSeams {
    static HDEVINFO WINAPI getClassDevs(const GUID* cls, PCWSTR enumerator, HWND, DWORD flags)
    {
        return s_active->getClassDevs(cls, enumerator, flags);
    }
    static BOOL WINAPI enumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* cls, DWORD index,
                                      PSP_DEVICE_INTERFACE_DATA data)
    {
        return s_active->enumInterfaces(list, device, cls, index, data);
    }
    static BOOL WINAPI interfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD needed,
                                       PSP_DEVINFO_DATA)
    {
        return s_active->interfaceDetail(list, data, detail, size, needed);
    }
    static BOOL WINAPI destroyList(HDEVINFO list) { return s_active->destroyList(list); }
    static HANDLE open(LPCWSTR path) { return s_active->open(path); }
    static BOOL write(HANDLE device, const void* data, DWORD size, DWORD* written, DWORD timeoutMs)
    {
        return s_active->write(device, data, size, written, timeoutMs);
    }
    static BOOL read(HANDLE device, void* buffer, DWORD size, DWORD* read, DWORD timeoutMs)
    {
        return s_active->read(device, buffer, size, read, timeoutMs);
    }
    static BOOL control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                        DWORD* returned, DWORD timeoutMs)
    {
        return s_active->control(device, code, in, inSize, out, outSize, returned, timeoutMs);
    }
    static BOOL close(HANDLE device) { return s_active->close(device); }
    static BOOL WINAPI enumPorts(LPWSTR server, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                                 LPDWORD returned)
    {
        return s_active->enumPorts(server, level, ports, size, needed, returned);
    }
};

SimulatedPrinter::SimulatedPrinter() : m_saved(g_seams)
{
    m_deviceInfo.resize(64);
    m_deviceInfo[0] = 1;
    for (size_t i = 1; i < m_deviceInfo.size(); ++i)
        m_deviceInfo[i] = static_cast<BYTE>(0x40 + i);
    if (s_active) {
        ADD_FAILURE() << "only one SimulatedPrinter may be plugged in at a time";
        return;
    }
    s_active = this;
    g_seams.SetupDiGetClassDevsW = &SimulatedPrinterSeams::getClassDevs;
    g_seams.SetupDiEnumDeviceInterfaces = &SimulatedPrinterSeams::enumInterfaces;
    g_seams.SetupDiGetDeviceInterfaceDetailW = &SimulatedPrinterSeams::interfaceDetail;
    g_seams.SetupDiDestroyDeviceInfoList = &SimulatedPrinterSeams::destroyList;
    g_seams.OpenDevice = &SimulatedPrinterSeams::open;
    g_seams.WriteDevice = &SimulatedPrinterSeams::write;
    g_seams.ReadDevice = &SimulatedPrinterSeams::read;
    g_seams.ControlDevice = &SimulatedPrinterSeams::control;
    g_seams.CloseDevice = &SimulatedPrinterSeams::close;
    g_seams.EnumPortsW = &SimulatedPrinterSeams::enumPorts;
}

SimulatedPrinter::~SimulatedPrinter()
{
    if (s_active == this) {
        g_seams.SetupDiGetClassDevsW = m_saved.SetupDiGetClassDevsW;
        g_seams.SetupDiEnumDeviceInterfaces = m_saved.SetupDiEnumDeviceInterfaces;
        g_seams.SetupDiGetDeviceInterfaceDetailW = m_saved.SetupDiGetDeviceInterfaceDetailW;
        g_seams.SetupDiDestroyDeviceInfoList = m_saved.SetupDiDestroyDeviceInfoList;
        g_seams.OpenDevice = m_saved.OpenDevice;
        g_seams.WriteDevice = m_saved.WriteDevice;
        g_seams.ReadDevice = m_saved.ReadDevice;
        g_seams.ControlDevice = m_saved.ControlDevice;
        g_seams.CloseDevice = m_saved.CloseDevice;
        g_seams.EnumPortsW = m_saved.EnumPortsW;
        s_active = nullptr;
    }
    for (const Interface& i : m_interfaces)
        if (i.keyWritten)
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, interfaceKeyName(i.path).c_str());
}

// --- setting up -----------------------------------------------------------------

std::wstring SimulatedPrinter::attach(DWORD portNumber)
{
    addInterface(makeInterfacePath(), portNumber);
    wchar_t name[16];
    swprintf(name, 16, L"USB%03lu", static_cast<unsigned long>(portNumber));
    addPort(name);
    return name;
}

std::wstring SimulatedPrinter::makeInterfacePath(const wchar_t* bus)
{
    unsigned serial;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        serial = ++m_pathSerial;
    }
    return std::wstring(L"\\\\?\\") + bus + L"#vid_2f1c&pid_0a21#bqsim" + std::to_wstring(GetCurrentProcessId()) +
           L"_" + std::to_wstring(serial) + L"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
}

std::wstring SimulatedPrinter::portKeyPath(const std::wstring& interfacePath)
{
    return interfaceKeyName(interfacePath) + L"\\#\\Device Parameters";
}

void SimulatedPrinter::addInterface(const std::wstring& path, std::optional<DWORD> portNumber)
{
    Interface added{ path, false };
    if (portNumber) {
        HKEY key = nullptr;
        LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, portKeyPath(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                      nullptr, &key, nullptr);
        if (status == ERROR_SUCCESS) {
            added.keyWritten = true;
            DWORD value = *portNumber;
            status = RegSetValueExW(key, L"Port Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                    sizeof value);
            RegCloseKey(key);
        }
        if (status != ERROR_SUCCESS)
            ADD_FAILURE() << "SimulatedPrinter: cannot write the port key of " << narrow(path) << ", error "
                          << status;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interfaces.push_back(added);
}

void SimulatedPrinter::addPort(const std::wstring& name, const std::wstring& monitor)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports.push_back({ name, monitor });
}

// --- the device's values and faults ----------------------------------------------

WORD SimulatedPrinter::sleepTime() const
{
    auto lock = locked();
    return m_sleepTime;
}

void SimulatedPrinter::setSleepTime(WORD minutes)
{
    auto lock = locked();
    m_sleepTime = minutes;
}

WORD SimulatedPrinter::muteValue() const
{
    auto lock = locked();
    return m_muteValue;
}

void SimulatedPrinter::setMuteValue(WORD value)
{
    auto lock = locked();
    m_muteValue = value;
}

void SimulatedPrinter::setDeviceState(BYTE state)
{
    auto lock = locked();
    m_deviceInfo.at(0) = state;
}

void SimulatedPrinter::setDeviceInfo(const Bytes& block)
{
    auto lock = locked();
    m_deviceInfo = block;
}

Bytes SimulatedPrinter::deviceInfo() const
{
    auto lock = locked();
    return m_deviceInfo;
}

void SimulatedPrinter::setSilent(bool silent)
{
    auto lock = locked();
    m_silent = silent;
}

void SimulatedPrinter::setReplyLength(DWORD length)
{
    auto lock = locked();
    m_replyLength = length;
}

void SimulatedPrinter::setReplyStatus(BYTE byte4, BYTE byte5)
{
    auto lock = locked();
    m_status[0] = byte4;
    m_status[1] = byte5;
}

void SimulatedPrinter::setWrongEcho(bool wrong)
{
    auto lock = locked();
    m_wrongEcho = wrong;
}

void SimulatedPrinter::answerNextWith(const Bytes& reply)
{
    auto lock = locked();
    m_nextReply = reply;
}

void SimulatedPrinter::failWrite(int index, DWORD error)
{
    auto lock = locked();
    m_failWrite = index;
    m_failWriteError = error;
}

void SimulatedPrinter::writeShort(int index, DWORD taken)
{
    auto lock = locked();
    m_shortWrite = index;
    m_shortWriteTaken = taken;
}

void SimulatedPrinter::failOpen(DWORD error)
{
    auto lock = locked();
    m_openError = error;
}

void SimulatedPrinter::failDeviceInfo(DWORD error)
{
    auto lock = locked();
    m_infoError = error;
}

void SimulatedPrinter::setDeviceInfoLength(DWORD length)
{
    auto lock = locked();
    m_infoLength = length;
}

void SimulatedPrinter::failDeviceList(DWORD error)
{
    auto lock = locked();
    m_listError = error;
}

void SimulatedPrinter::failEnumeration(DWORD index, DWORD error, bool onward)
{
    auto lock = locked();
    m_failEnumIndex = index;
    m_enumError = error;
    m_enumFailsOnward = onward;
}

void SimulatedPrinter::failDetail(DWORD index, DWORD error)
{
    auto lock = locked();
    m_failDetailIndex = index;
    m_detailError = error;
}

void SimulatedPrinter::unplug()
{
    auto lock = locked();
    m_unplugged = true;
}

void SimulatedPrinter::plugIn()
{
    auto lock = locked();
    m_unplugged = false;
}

// --- the log -----------------------------------------------------------------------

std::vector<SimulatedPrinter::Event> SimulatedPrinter::events() const
{
    auto lock = locked();
    return m_events;
}

std::vector<SimulatedPrinter::Event> SimulatedPrinter::events(Request request) const
{
    auto lock = locked();
    std::vector<Event> out;
    for (const Event& e : m_events)
        if (e.request == request)
            out.push_back(e);
    return out;
}

int SimulatedPrinter::count(Request request) const { return static_cast<int>(events(request).size()); }
Bytes SimulatedPrinter::wire() const
{
    auto lock = locked();
    return m_wire;
}

std::vector<Bytes> SimulatedPrinter::commands() const
{
    auto lock = locked();
    return m_commands;
}

int SimulatedPrinter::listsMade() const
{
    auto lock = locked();
    return m_listsMade;
}

int SimulatedPrinter::enumerations() const
{
    auto lock = locked();
    return m_enumerations;
}

int SimulatedPrinter::openLists() const
{
    auto lock = locked();
    return static_cast<int>(m_lists.size());
}

int SimulatedPrinter::openHandles() const
{
    auto lock = locked();
    return static_cast<int>(m_handles.size());
}

std::vector<std::string> SimulatedPrinter::protocolErrors() const
{
    auto lock = locked();
    return m_errors;
}

bool SimulatedPrinter::idle() const
{
    auto lock = locked();
    return m_lists.empty() && m_handles.empty() && m_errors.empty();
}

std::string SimulatedPrinter::report() const
{
    auto lock = locked();
    std::string out = "simulated printer: " + std::to_string(m_lists.size()) + " device list(s) and " +
                      std::to_string(m_handles.size()) + " handle(s) left open";
    for (const std::string& e : m_errors)
        out += "\n  " + e;
    return out;
}

void SimulatedPrinter::clearLog()
{
    auto lock = locked();
    m_events.clear();
    m_wire.clear();
    m_commands.clear();
    m_errors.clear();
}

// --- SetupAPI --------------------------------------------------------------------------

void SimulatedPrinter::error(std::string text) { m_errors.push_back(std::move(text)); }

SimulatedPrinter::List* SimulatedPrinter::findList(HDEVINFO list)
{
    for (List& l : m_lists)
        if (l.value == list)
            return &l;
    error("a device list that is not open was used");
    return nullptr;
}

HDEVINFO SimulatedPrinter::getClassDevs(const GUID* cls, PCWSTR enumerator, DWORD flags)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!cls || !IsEqualGUID(*cls, kUsbPrintClass))
        error("SetupDiGetClassDevsW: not the USB printing interface class");
    if (enumerator)
        error("SetupDiGetClassDevsW: an enumerator was given");
    if (flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))
        error("SetupDiGetClassDevsW: flags " + std::to_string(flags) + " instead of present device interfaces");
    ++m_listsMade;
    if (m_listError) {
        SetLastError(m_listError);
        return INVALID_HANDLE_VALUE;
    }
    List list;
    list.value = reinterpret_cast<HDEVINFO>(0x7E510000 + ++m_nextValue * 16);
    if (!m_unplugged)
        for (const Interface& i : m_interfaces)
            list.paths.push_back(i.path);
    m_lists.push_back(list);
    return list.value;
}

BOOL SimulatedPrinter::enumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* cls, DWORD index,
                                      PSP_DEVICE_INTERFACE_DATA data)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_enumerations;
    List* l = findList(list);
    if (!l) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (device)
        error("SetupDiEnumDeviceInterfaces: a device was given");
    if (!cls || !IsEqualGUID(*cls, kUsbPrintClass))
        error("SetupDiEnumDeviceInterfaces: not the USB printing interface class");
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        error("SetupDiEnumDeviceInterfaces: the interface data's cbSize is not set");
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (m_failEnumIndex && (index == *m_failEnumIndex || (m_enumFailsOnward && index > *m_failEnumIndex))) {
        SetLastError(m_enumError);
        return FALSE;
    }
    if (index >= l->paths.size()) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->InterfaceClassGuid = kUsbPrintClass;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = index + 1;
    return TRUE;
}

BOOL SimulatedPrinter::interfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                                       PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD needed)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    List* l = findList(list);
    if (!l) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data || data->Reserved == 0 || data->Reserved > l->paths.size()) {
        error("SetupDiGetDeviceInterfaceDetailW: interface data not from SetupDiEnumDeviceInterfaces");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD index = static_cast<DWORD>(data->Reserved - 1);
    const std::wstring& path = l->paths[index];
    DWORD required = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + stringBytes(path));
    if (needed)
        *needed = required;
    if (!detail) {
        if (size != 0)
            error("SetupDiGetDeviceInterfaceDetailW: a size without a buffer");
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        error("SetupDiGetDeviceInterfaceDetailW: cbSize " + std::to_string(detail->cbSize) +
              " instead of the size of the fixed part");
        SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (m_failDetailIndex && *m_failDetailIndex == index) {
        SetLastError(m_detailError);
        return FALSE;
    }
    if (size < required) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(detail->DevicePath, path.c_str(), stringBytes(path));
    return TRUE;
}

BOOL SimulatedPrinter::destroyList(HDEVINFO list)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!findList(list)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    m_lists.erase(std::remove_if(m_lists.begin(), m_lists.end(), [&](const List& l) { return l.value == list; }),
                  m_lists.end());
    return TRUE;
}

// --- device I/O ---------------------------------------------------------------------------

SimulatedPrinter::Handle* SimulatedPrinter::findHandle(HANDLE device, const char* request)
{
    for (Handle& h : m_handles)
        if (h.value == device)
            return &h;
    error(std::string(request) + " on a handle that is not open");
    return nullptr;
}

bool SimulatedPrinter::waitIsBounded(DWORD timeoutMs, const char* request)
{
    if (timeoutMs <= kMaxDeviceWaitMs)
        return true;
    error(std::string(request) + " may wait " + std::to_string(timeoutMs) + " ms, more than " +
          std::to_string(kMaxDeviceWaitMs));
    return false;
}

void SimulatedPrinter::waitOut(std::unique_lock<std::mutex>& lock, DWORD timeoutMs)
{
    lock.unlock();
    Sleep(timeoutMs);
    lock.lock();
}

HANDLE SimulatedPrinter::open(LPCWSTR path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Event e;
    e.request = Request::Open;
    e.path = path ? path : L"";
    e.startMs = e.endMs = monotonicMs();
    bool known = std::any_of(m_interfaces.begin(), m_interfaces.end(), [&](const Interface& i) {
        return CompareStringOrdinal(i.path.c_str(), -1, e.path.c_str(), -1, TRUE) == CSTR_EQUAL;
    });
    if (m_unplugged || !known)
        e.error = ERROR_FILE_NOT_FOUND;
    else if (m_openError)
        e.error = m_openError;
    HANDLE result = INVALID_HANDLE_VALUE;
    if (!e.error) {
        result = reinterpret_cast<HANDLE>(0x5D0000 + ++m_nextValue * 4);
        m_handles.push_back({ result, 0 });
        e.ok = true;
    }
    e.handle = result;
    m_events.push_back(e);
    SetLastError(e.error);
    return result;
}

BOOL SimulatedPrinter::write(HANDLE device, const void* data, DWORD size, DWORD* written, DWORD timeoutMs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (written)
        *written = 0;
    Event e;
    e.request = Request::Write;
    e.handle = device;
    e.timeoutMs = timeoutMs;
    e.startMs = e.endMs = monotonicMs();
    if (data && size)
        e.data.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    Handle* h = findHandle(device, "a write");
    if (!h)
        e.error = ERROR_INVALID_HANDLE;
    else if (!waitIsBounded(timeoutMs, "a write"))
        e.error = ERROR_INVALID_PARAMETER;
    else if (m_unplugged)
        e.error = ERROR_DEVICE_NOT_CONNECTED;
    else {
        int index = h->writes++;
        if (index == m_failWrite) {
            e.error = m_failWriteError;
        } else {
            DWORD taken = index == m_shortWrite ? std::min(size, m_shortWriteTaken) : size;
            take(Bytes(e.data.begin(), e.data.begin() + taken));
            e.size = taken;
            e.ok = true;
            if (written)
                *written = taken;
        }
    }
    m_events.push_back(e);
    SetLastError(e.error);
    return e.ok;
}

BOOL SimulatedPrinter::read(HANDLE device, void* buffer, DWORD size, DWORD* read, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (read)
        *read = 0;
    Event e;
    e.request = Request::Read;
    e.handle = device;
    e.size = size;
    e.timeoutMs = timeoutMs;
    e.startMs = monotonicMs();
    if (!findHandle(device, "a read"))
        e.error = ERROR_INVALID_HANDLE;
    else if (!waitIsBounded(timeoutMs, "a read"))
        e.error = ERROR_INVALID_PARAMETER;
    else if (m_unplugged)
        e.error = ERROR_DEVICE_NOT_CONNECTED;
    else if (m_silent || m_replies.empty()) {
        waitOut(lock, timeoutMs);
        e.error = ERROR_SEM_TIMEOUT;
    } else {
        Bytes reply = m_replies.front();
        m_replies.erase(m_replies.begin());
        size_t n = std::min<size_t>({ size, m_replyLength, reply.size() });
        if (n && buffer)
            memcpy(buffer, reply.data(), n);
        e.data.assign(reply.begin(), reply.begin() + n);
        e.ok = true;
        if (read)
            *read = static_cast<DWORD>(n);
    }
    e.endMs = monotonicMs();
    m_events.push_back(e);
    SetLastError(e.error);
    return e.ok;
}

BOOL SimulatedPrinter::control(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                               DWORD* returned, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (returned)
        *returned = 0;
    Event e;
    e.request = Request::Control;
    e.handle = device;
    e.code = code;
    e.size = outSize;
    e.timeoutMs = timeoutMs;
    e.startMs = monotonicMs();
    if (in && inSize)
        e.input.assign(static_cast<const BYTE*>(in), static_cast<const BYTE*>(in) + inSize);
    if (!findHandle(device, "a control request"))
        e.error = ERROR_INVALID_HANDLE;
    else if (!waitIsBounded(timeoutMs, "a control request"))
        e.error = ERROR_INVALID_PARAMETER;
    else if (code != kVendorGetCommand) {
        error("control request " + std::to_string(code) + " is not the vendor get command");
        e.error = ERROR_INVALID_FUNCTION;
    } else if (e.input != Bytes(3, 0)) {
        error("the vendor get command's request is " + hex(e.input) + " instead of 00 00 00");
        e.error = ERROR_INVALID_PARAMETER;
    } else if (m_unplugged)
        e.error = ERROR_DEVICE_NOT_CONNECTED;
    else if (m_infoError)
        e.error = m_infoError;
    else if (m_silent) {
        waitOut(lock, timeoutMs);
        e.error = ERROR_SEM_TIMEOUT;
    } else {
        size_t n = std::min<size_t>({ outSize, m_infoLength, m_deviceInfo.size() });
        if (n && out)
            memcpy(out, m_deviceInfo.data(), n);
        e.data.assign(m_deviceInfo.begin(), m_deviceInfo.begin() + n);
        e.ok = true;
        if (returned)
            *returned = static_cast<DWORD>(n);
    }
    e.endMs = monotonicMs();
    m_events.push_back(e);
    SetLastError(e.error);
    return e.ok;
}

BOOL SimulatedPrinter::close(HANDLE device)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Event e;
    e.request = Request::Close;
    e.handle = device;
    e.startMs = e.endMs = monotonicMs();
    if (findHandle(device, "a close")) {
        m_handles.erase(std::remove_if(m_handles.begin(), m_handles.end(),
                                       [&](const Handle& h) { return h.value == device; }),
                        m_handles.end());
        e.ok = true;
    } else {
        e.error = ERROR_INVALID_HANDLE;
    }
    m_events.push_back(e);
    SetLastError(e.error);
    return e.ok;
}

// --- the protocol -------------------------------------------------------------------------

void SimulatedPrinter::take(const Bytes& data)
{
    static const Bytes enter = bytes(kPjlEnterText);
    static const Bytes exit = bytes(kPjlExitText);
    m_wire.insert(m_wire.end(), data.begin(), data.end());
    for (BYTE b : data) {
        // Between sequences everything up to the next escape is passed over,
        // reported once.
        if (m_parse == Parse::Enter && m_input.empty() && b != 0x1B) {
            if (!m_lost)
                error("a byte outside a command sequence: " + hex(Bytes{ b }));
            m_lost = true;
            continue;
        }
        m_input.push_back(b);
        switch (m_parse) {
        case Parse::Enter:
            if (!isPrefix(m_input, enter)) {
                error("expected the PJL entry, got " + hex(m_input));
                m_input.clear();
                m_lost = true;
                if (b == 0x1B)
                    m_input.push_back(b);
            } else if (m_input.size() == enter.size()) {
                m_input.clear();
                m_lost = false;
                m_parse = Parse::Packet;
            }
            break;
        case Parse::Packet:
            if (m_input.size() == kPacketSize) {
                m_packet = m_input;
                m_input.clear();
                BYTE cmd = m_packet[3];
                bool known = cmd == 0x82 || cmd == 0x83 || cmd == 0x86 || cmd == 0x87;
                bool isSet = cmd == 0x82 || cmd == 0x86;
                bool zeros = std::all_of(m_packet.begin() + (isSet ? 6 : 4), m_packet.end(),
                                         [](BYTE x) { return x == 0; });
                m_packetValid = m_packet[0] == 0x00 && m_packet[1] == 0xAC && m_packet[2] == 0xFF && known && zeros;
                if (!m_packetValid)
                    error("a packet that is not an ACL command: " + hex(m_packet));
                m_parse = Parse::Exit;
            }
            break;
        case Parse::Exit:
            if (!isPrefix(m_input, exit)) {
                error("expected the PJL exit after the packet, got " + hex(m_input));
                m_input.clear();
                m_lost = true;
                m_parse = Parse::Enter;
            } else if (m_input.size() == exit.size()) {
                m_input.clear();
                m_parse = Parse::Enter;
                if (m_packetValid)
                    execute(m_packet);
            }
            break;
        }
    }
}

void SimulatedPrinter::execute(const Bytes& packet)
{
    m_commands.push_back(packet);
    BYTE cmd = packet[3];
    WORD value = static_cast<WORD>(packet[4] << 8 | packet[5]);
    bool accepted = m_status[0] == 0x00 && m_status[1] == 0x01;
    switch (cmd) {
    case 0x82:
        if (accepted)
            m_sleepTime = value;
        break;
    case 0x83:
        value = m_sleepTime;
        break;
    case 0x86:
        if (accepted)
            m_muteValue = value;
        break;
    case 0x87:
        value = m_muteValue;
        break;
    }
    if (m_silent)
        return;
    Bytes reply(kPacketSize, 0);
    reply[0] = 0x00;
    reply[1] = 0xAC;
    reply[2] = 0xFF;
    reply[3] = m_wrongEcho ? static_cast<BYTE>(cmd ^ 0x04) : cmd;
    reply[4] = m_status[0];
    reply[5] = m_status[1];
    reply[6] = HIBYTE(value);
    reply[7] = LOBYTE(value);
    if (m_nextReply) {
        reply = *m_nextReply;
        m_nextReply.reset();
    }
    m_replies.push_back(reply);
}

// --- the port list --------------------------------------------------------------------------

BOOL SimulatedPrinter::enumPorts(LPWSTR server, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed,
                                 LPDWORD returned)
{
    if (needed)
        *needed = 0;
    if (returned)
        *returned = 0;
    if (level != 1 && level != 2) {
        SetLastError(ERROR_INVALID_LEVEL);
        return FALSE;
    }

    // The system's own ports at level 2, then ours.
    std::vector<PortEntry> entries;
    DWORD sysNeeded = 0, sysCount = 0;
    m_saved.EnumPortsW(server, 2, nullptr, 0, &sysNeeded, &sysCount);
    std::vector<BYTE> sys(sysNeeded);
    if (sysNeeded && m_saved.EnumPortsW(server, 2, sys.data(), sysNeeded, &sysNeeded, &sysCount)) {
        auto* info = reinterpret_cast<const PORT_INFO_2W*>(sys.data());
        for (DWORD i = 0; i < sysCount; ++i)
            entries.push_back({ info[i].pPortName ? info[i].pPortName : L"",
                                info[i].pMonitorName ? info[i].pMonitorName : L"",
                                info[i].pDescription ? info[i].pDescription : L"", info[i].fPortType });
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Port& p : m_ports)
            entries.push_back({ p.name, p.monitor, kPortDescription, PORT_TYPE_WRITE | PORT_TYPE_READ });
    }

    size_t record = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
    size_t total = record * entries.size();
    for (const PortEntry& p : entries)
        total += stringBytes(p.name) + (level == 2 ? stringBytes(p.monitor) + stringBytes(p.description) : 0);
    if (needed)
        *needed = static_cast<DWORD>(total);
    if (!ports || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }

    BYTE* text = ports + record * entries.size();
    auto put = [&text](const std::wstring& s) {
        wchar_t* at = reinterpret_cast<wchar_t*>(text);
        memcpy(text, s.c_str(), stringBytes(s));
        text += stringBytes(s);
        return at;
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        if (level == 1) {
            reinterpret_cast<PORT_INFO_1W*>(ports)[i].pName = put(entries[i].name);
        } else {
            PORT_INFO_2W& info = reinterpret_cast<PORT_INFO_2W*>(ports)[i];
            info.pPortName = put(entries[i].name);
            info.pMonitorName = put(entries[i].monitor);
            info.pDescription = put(entries[i].description);
            info.fPortType = entries[i].type;
            info.Reserved = 0;
        }
    }
    if (returned)
        *returned = static_cast<DWORD>(entries.size());
    return TRUE;
}

} // namespace harness
