#include "device/UsbDevice.h"

#include "device/PrinterUtils.h"
#include "plugin/SystemSeams.h"

#include <winioctl.h>
#include <usbprint.h>
#include <objbase.h>

#include <stddef.h>
#include <string.h>
#include <wchar.h>

static_assert(kUsbPrintVendorGetCommand == IOCTL_USBPRINT_VENDOR_GET_COMMAND, "vendor request code");

namespace {

// Universal exit-language sequence, then the switch to ACL.
constexpr char kPjlEnter[] = "\x1B%-12345X@PJL ENTER LANGUAGE=ACL\r\n";
constexpr char kPjlExit[] = "\x1B%-12345X";
constexpr DWORD kPjlEnterSize = sizeof kPjlEnter - 1;
constexpr DWORD kPjlExitSize = sizeof kPjlExit - 1;
static_assert(kPjlEnterSize == 34 && kPjlExitSize == 9, "PJL sequences");

constexpr DWORD kPacketSize = 16;
constexpr DWORD kDeviceInfoReplySize = 256;
// Far more USB printing interfaces than a machine has; ends the walk over a
// list whose enumeration keeps failing.
constexpr DWORD kMaxInterfaces = 256;
// Far more than the detail of any path the caller's buffer holds; a larger
// answer is passed over, and no size computed from it can wrap around.
constexpr DWORD kMaxDetailBytes = 0x10000;
constexpr DWORD kPortKeyChars = 1024;

class DeviceInfoList {
public:
    explicit DeviceInfoList(HDEVINFO list) : m_list(list) {}
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;
    ~DeviceInfoList()
    {
        if (ok())
            g_seams.SetupDiDestroyDeviceInfoList(m_list);
    }
    bool ok() const { return m_list != INVALID_HANDLE_VALUE && m_list != nullptr; }
    HDEVINFO get() const { return m_list; }

private:
    HDEVINFO m_list;
};

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

class Device {
public:
    explicit Device(HANDLE device) : m_device(device) {}
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device()
    {
        if (ok())
            g_seams.CloseDevice(m_device);
    }
    bool ok() const { return m_device != INVALID_HANDLE_VALUE && m_device != nullptr; }
    HANDLE get() const { return m_device; }

    // The whole block or failure.
    bool write(const void* data, DWORD size) const
    {
        DWORD written = 0;
        return g_seams.WriteDevice(m_device, data, size, &written, kDeviceTimeoutMs) && written == size;
    }

private:
    HANDLE m_device;
};

// The last error as an HRESULT; a failure never reads as success.
HRESULT LastErrorResult()
{
    DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// The "Port Number" of an interface, from its key under the device class.
// Read-only: a missing key is not created. Interfaces of the dot4 stack are
// passed over.
bool ReadPortNumber(const WCHAR* path, DWORD* number)
{
    WCHAR name[kDevicePathChars];
    if (wcslen(path) >= kDevicePathChars)
        return false;
    wcscpy(name, path);
    for (WCHAR* c = name; *c; ++c)
        if (*c == L'\\')
            *c = L'#';
    if (wcsstr(name, L"#dot4#"))
        return false;

    WCHAR guid[40];
    if (StringFromGUID2(kUsbPrintInterfaceClass, guid, 40) == 0)
        return false;
    WCHAR key[kPortKeyChars];
    int n = _snwprintf(key, kPortKeyChars, L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\%ls\\%ls\\#\\Device Parameters",
                       guid, name);
    if (n < 0 || n >= (int)kPortKeyChars)
        return false;

    RegKey params;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, params.out()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(params.get(), L"Port Number", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return false;
    *number = value;
    return true;
}

bool PortMatches(DWORD number, const WCHAR* portName)
{
    WCHAR name[16];
    int n = _snwprintf(name, 16, L"USB%03lu", (unsigned long)number);
    if (n < 0 || n >= 16)
        return false;
    name[n] = L'\0';
    return CompareStringOrdinal(name, -1, portName, -1, TRUE) == CSTR_EQUAL;
}

// The device path of a printer on a USB port.
bool FindPrinterDevice(HANDLE hPrinter, WCHAR* devicePath)
{
    ProcessHeapPtr<PRINTER_INFO_2W> printer(GetPrinterInfo2(hPrinter));
    if (!printer || !printer->pPortName)
        return false;
    if (GetPortKind(hPrinter) != PORT_KIND_USB)
        return false;
    return FindUsbDevicePath(printer->pPortName, devicePath) != FALSE;
}

// One ACL command: PJL entry, packet, PJL exit; then the reply after the pause.
HRESULT Exchange(const HANDLE& hPrinter, BYTE command, BOOL set, DWORD& value)
{
    BYTE packet[kPacketSize] = { 0x00, 0xAC, 0xFF, command };
    if (set) {
        packet[4] = HIBYTE(LOWORD(value));
        packet[5] = LOBYTE(LOWORD(value));
    }
    if (!hPrinter)
        return E_FAIL;
    WCHAR path[kDevicePathChars];
    if (!FindPrinterDevice(hPrinter, path))
        return E_FAIL;
    Device device(g_seams.OpenDevice(path));
    if (!device.ok())
        return E_FAIL;
    if (!device.write(kPjlEnter, kPjlEnterSize) || !device.write(packet, kPacketSize) ||
        !device.write(kPjlExit, kPjlExitSize))
        return E_FAIL;

    Sleep(kReplyDelayMs);
    BYTE reply[kPacketSize] = {};
    DWORD read = 0;
    if (!g_seams.ReadDevice(device.get(), reply, kPacketSize, &read, kDeviceTimeoutMs) || read != kPacketSize)
        return E_FAIL;
    if (reply[2] != packet[2] || reply[3] != packet[3] || reply[4] != 0x00 || reply[5] != 0x01)
        return E_FAIL;
    if (!set)
        value = reply[6] * 256u + reply[7];
    return S_OK;
}

} // namespace

BOOL FindUsbDevicePath(const WCHAR* portName, WCHAR* devicePath)
{
    if (!devicePath)
        return FALSE;
    devicePath[0] = L'\0';
    if (!portName)
        return FALSE;

    DeviceInfoList list(g_seams.SetupDiGetClassDevsW(&kUsbPrintInterfaceClass, nullptr, nullptr,
                                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!list.ok())
        return FALSE;

    constexpr DWORD kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    for (DWORD index = 0; index < kMaxInterfaces; ++index) {
        SP_DEVICE_INTERFACE_DATA data = {};
        data.cbSize = sizeof data;
        if (!g_seams.SetupDiEnumDeviceInterfaces(list.get(), nullptr, &kUsbPrintInterfaceClass, index, &data)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS)
                return FALSE;
            continue;
        }

        DWORD needed = 0;
        g_seams.SetupDiGetDeviceInterfaceDetailW(list.get(), &data, nullptr, 0, &needed, nullptr);
        if (needed <= kPathOffset)
            return FALSE;
        if (needed > kMaxDetailBytes)
            continue;
        // One character more than asked for: the path always ends in a NUL.
        DWORD size = needed + sizeof(WCHAR);
        ProcessHeapPtr<SP_DEVICE_INTERFACE_DETAIL_DATA_W> detail(
            static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size)));
        if (!detail)
            return FALSE;
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!g_seams.SetupDiGetDeviceInterfaceDetailW(list.get(), &data, detail.p, needed, nullptr, nullptr))
            return FALSE;

        // A path too long for the caller's buffer is passed over, never cut.
        const WCHAR* path = detail->DevicePath;
        size_t length = wcsnlen(path, (size - kPathOffset) / sizeof(WCHAR));
        if (length == 0 || length >= kDevicePathChars)
            continue;
        DWORD number = 0;
        if (!ReadPortNumber(path, &number) || !PortMatches(number, portName))
            continue;
        wcscpy(devicePath, path);
        return TRUE;
    }
    return FALSE;
}

HRESULT QueryDeviceInfo(const HANDLE& hPrinter, BYTE* info)
{
    if (!hPrinter || !info)
        return E_INVALIDARG;
    WCHAR path[kDevicePathChars];
    if (!FindPrinterDevice(hPrinter, path))
        return E_FAIL;
    Device device(g_seams.OpenDevice(path));
    if (!device.ok())
        return LastErrorResult();
    const BYTE request[3] = {};
    BYTE reply[kDeviceInfoReplySize] = {};
    DWORD returned = 0;
    if (!g_seams.ControlDevice(device.get(), kUsbPrintVendorGetCommand, request, sizeof request, reply, sizeof reply,
                               &returned, kDeviceTimeoutMs))
        return LastErrorResult();
    // A block shorter than the caller's would hand out bytes the device never sent.
    if (returned < kDeviceInfoSize)
        return E_FAIL;
    memcpy(info, reply, kDeviceInfoSize);
    return S_OK;
}

HRESULT AccessDeviceSleepTime(const HANDLE& hPrinter, DWORD& value, BOOL set)
{
    return Exchange(hPrinter, set ? kAclSetSleepTime : kAclGetSleepTime, set, value);
}

HRESULT AccessDeviceMuteValue(const HANDLE& hPrinter, DWORD& value, BOOL set)
{
    return Exchange(hPrinter, set ? kAclSetMute : kAclGetMute, set, value);
}
