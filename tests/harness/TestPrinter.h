// The Wine test printer: a printer of the "Brixom Q2100 Series PS" driver
// (wineps.drv over bq2100PS.ppd) on port FILE:, installed once per test
// session by bq_install.exe, and an RAII handle on it for tests.
//
//   harness::TestPrinter printer(harness::TestPrinter::Mode::Unique);
//   ASSERT_TRUE(printer.ok()) << printer.failureText();
//   SetPrinterDataW(printer.handle(), ...); // deleted with the printer at the end
//
// A unique printer may stand on another port: Wine's AddPrinterW takes any
// port name, also one that no port monitor lists (such as "USB001"; see
// SimulatedPrinter::attach for a USB port that the port list serves).
//
//   harness::TestPrinter printer(harness::TestPrinter::Mode::Unique, L"USB001");
//
// Wine's DeletePrinterDataW is an unimplemented stub that ends the process:
// tests that write printer data use a unique printer instead of cleaning up.
//
// Wine's PostScript driver reads the driver's PPD the first time a process
// uses a printer (DocumentPropertiesW, DeviceCapabilitiesW, AddPrinterW, ...)
// and holds the file exclusively while it does: another process that opens
// the file meanwhile fails with a sharing violation (DocumentPropertiesW
// answers -1). Test programs run side by side, so a TestPrinter makes that
// first use itself, under DriverFileLock, and fails loudly if it fails; later
// uses of the printer in the process do not open the file again. Code that
// reads or writes the installed PPD holds the lock too.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace harness {

inline constexpr wchar_t kPrinterName[] = L"Brixom Q2100 Series PS";
inline constexpr wchar_t kDriverName[] = L"Brixom Q2100 Series PS";
inline constexpr wchar_t kPpdFileName[] = L"bq2100PS.ppd";
inline constexpr wchar_t kLanguageModuleName[] = L"bq2100PSenUS.dll";
inline constexpr wchar_t kFilePort[] = L"FILE:";
// Printers that TestPrinter creates are named this, then a process and a serial number.
inline constexpr wchar_t kUniquePrinterPrefix[] = L"Brixom Q2100 Series PS test ";

// Owns a printer handle.
class PrinterHandle {
public:
    PrinterHandle() = default;
    explicit PrinterHandle(HANDLE h) : m_handle(h) {}
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    PrinterHandle(PrinterHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
    PrinterHandle& operator=(PrinterHandle&& other) noexcept;
    ~PrinterHandle() { close(); }

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void close();

private:
    HANDLE m_handle = nullptr;
};

// Held while this process makes the driver read the PPD, or touches the file:
// one such process at a time in the Wine session.
class DriverFileLock {
public:
    DriverFileLock();
    ~DriverFileLock();
    DriverFileLock(const DriverFileLock&) = delete;
    DriverFileLock& operator=(const DriverFileLock&) = delete;

private:
    HANDLE m_mutex = nullptr;
};

// Opens a printer by name; an empty handle (and the Win32 error in *error) on failure.
PrinterHandle openPrinter(const std::wstring& name, ACCESS_MASK access, DWORD* error = nullptr);

// GetPrinterW of that level into a buffer of the size it asks for; empty on failure.
std::vector<BYTE> printerInfo(HANDLE printer, DWORD level);

// The printer driver directory of this machine (GetPrinterDriverDirectoryW, level 1).
std::wstring printerDriverDirectory();
// Where the boot puts the language module: the "3" folder of the driver directory.
std::wstring installedLanguageModulePath();
// The driver's module (wineps.drv) as the spooler loads it, from the same folder.
std::wstring installedDriverModulePath();

// Installs the driver, copies the language module, creates the shared printer
// when it is missing and deletes unique printers left by earlier sessions.
// Safe to run again. On failure, false and a message.
bool installTestPrinter(std::wstring* message);

class TestPrinter {
public:
    enum class Mode {
        Shared, // the printer the boot installed; do not change its data
        Unique, // a printer of its own with the same driver, deleted at the end
    };

    explicit TestPrinter(Mode mode = Mode::Shared);
    // On a port of its own choice: Mode::Unique only (the shared printer is on FILE:).
    TestPrinter(Mode mode, const std::wstring& port);
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;
    ~TestPrinter();

    bool ok() const { return static_cast<bool>(m_handle); }
    // What went wrong when not ok().
    const std::wstring& failure() const { return m_failure; }
    std::string failureText() const; // the same, for test messages

    HANDLE handle() const { return m_handle.get(); }
    const std::wstring& name() const { return m_name; }
    bool owned() const { return m_owned; }

private:
    PrinterHandle m_handle;
    std::wstring m_name;
    std::wstring m_failure;
    bool m_owned = false;
};

} // namespace harness
