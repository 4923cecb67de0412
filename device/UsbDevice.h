// Direct talk to a printer on a USB port: the sleep time and mute switch in
// the printer (an ACL command packet wrapped in a PJL language switch) and the
// device-information block of the USB printing class's vendor request.
#pragma once

#include <windows.h>

// Device-interface class of USB printing devices.
inline constexpr GUID kUsbPrintInterfaceClass = {
    0x28d78fad, 0x5a12, 0x11d1, { 0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2 } };
// The printing class's vendor request (IOCTL_USBPRINT_VENDOR_GET_COMMAND).
constexpr DWORD kUsbPrintVendorGetCommand = 0x22003C;

// Characters of a device-path buffer, the NUL included.
constexpr DWORD kDevicePathChars = 260;
// Bytes of the device-information block; byte 0 is the device state.
constexpr DWORD kDeviceInfoSize = 48;

// ACL commands of the packet.
constexpr BYTE kAclSetSleepTime = 0x82;
constexpr BYTE kAclGetSleepTime = 0x83;
constexpr BYTE kAclSetMute = 0x86;
constexpr BYTE kAclGetMute = 0x87;

// Fixed pause between the command and its reply, and the longest wait for
// any one device request after it.
constexpr DWORD kReplyDelayMs = 500;
constexpr DWORD kDeviceTimeoutMs = 2000;

// The interface path of the present USB printing device whose "Port Number"
// names the port (USB001 for 1, letter case ignored). FALSE when there is
// none; the buffer then holds an empty string.
BOOL FindUsbDevicePath(const WCHAR* portName, WCHAR* devicePath);

// The printer's first kDeviceInfoSize bytes of device information. The
// printer must be on a USB port. E_INVALIDARG, E_FAIL, or the system error.
HRESULT QueryDeviceInfo(const HANDLE& hPrinter, BYTE* info);

// Set TRUE sends the value's low 16 bits; set FALSE reads the printer's value
// into it (left as it was on failure). S_OK or E_FAIL.
HRESULT AccessDeviceSleepTime(const HANDLE& hPrinter, DWORD& value, BOOL set);
HRESULT AccessDeviceMuteValue(const HANDLE& hPrinter, DWORD& value, BOOL set);
