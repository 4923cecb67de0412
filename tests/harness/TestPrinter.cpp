#include "TestPrinter.h"

#include "Files.h"

#include <atomic>
#include <optional>

namespace harness {
namespace {

constexpr wchar_t kDriverFileMutex[] = L"Local\\bq2100ps-driver-files";
constexpr wchar_t kDriverModuleName[] = L"wineps.drv";

// Holds a module loaded for as long as it lives (nothing for an empty path).
class ModuleRef {
public:
    explicit ModuleRef(const std::wstring& path) : m_module(path.empty() ? nullptr : LoadLibraryW(path.c_str())) {}
    ~ModuleRef()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    ModuleRef(const ModuleRef&) = delete;
    ModuleRef& operator=(const ModuleRef&) = delete;

private:
    HMODULE m_module;
};

std::wstring win32Message(const wchar_t* what, DWORD error)
{
    return std::wstring(what) + L" failed, error " + std::to_wstring(error);
}

bool startsWith(const std::wstring& s, const wchar_t* prefix)
{
    return s.compare(0, wcslen(prefix), prefix) == 0;
}

// Every local printer's name.
std::vector<std::wstring> localPrinterNames()
{
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::vector<std::wstring> names;
    if (needed == 0 ||
        !EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count))
        return names;
    auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        names.emplace_back(info[i].pPrinterName);
    return names;
}

bool deletePrinter(const std::wstring& name)
{
    PrinterHandle printer = openPrinter(name, PRINTER_ALL_ACCESS);
    return printer && DeletePrinter(printer.get());
}

PrinterHandle addPrinter(const std::wstring& name, const std::wstring& port, DWORD* error)
{
    PRINTER_INFO_2W info{};
    info.pPrinterName = const_cast<wchar_t*>(name.c_str());
    info.pPortName = const_cast<wchar_t*>(port.c_str());
    info.pDriverName = const_cast<wchar_t*>(kDriverName);
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    PrinterHandle printer(AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
    if (!printer && error)
        *error = GetLastError();
    return printer;
}

// The driver's first use of the printer in this process, under DriverFileLock:
// it reads the PPD now, and from its cache later. Empty on success.
std::wstring loadDriverFor(HANDLE printer, const std::wstring& name)
{
    LONG size = DocumentPropertiesW(nullptr, printer, const_cast<wchar_t*>(name.c_str()), nullptr, nullptr, 0);
    if (size > 0)
        return {};
    return L"DocumentPropertiesW answered " + std::to_wstring(size) + L", error " + std::to_wstring(GetLastError()) +
           L", for " + name + L": the driver could not read its PPD";
}

} // namespace

DriverFileLock::DriverFileLock() : m_mutex(CreateMutexW(nullptr, FALSE, kDriverFileMutex))
{
    // WAIT_ABANDONED (a program that ended while holding it) also hands it over.
    if (m_mutex)
        WaitForSingleObject(m_mutex, INFINITE);
}

DriverFileLock::~DriverFileLock()
{
    if (m_mutex) {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
}

PrinterHandle& PrinterHandle::operator=(PrinterHandle&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = nullptr;
    }
    return *this;
}

void PrinterHandle::close()
{
    if (m_handle)
        ClosePrinter(m_handle);
    m_handle = nullptr;
}

PrinterHandle openPrinter(const std::wstring& name, ACCESS_MASK access, DWORD* error)
{
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    HANDLE h = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &h, &defaults)) {
        if (error)
            *error = GetLastError();
        return PrinterHandle();
    }
    return PrinterHandle(h);
}

std::vector<BYTE> printerInfo(HANDLE printer, DWORD level)
{
    DWORD needed = 0;
    GetPrinterW(printer, level, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterW(printer, level, buffer.data(), needed, &needed))
        buffer.clear();
    return buffer;
}

std::wstring printerDriverDirectory()
{
    DWORD needed = 0;
    GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(wchar_t));
    if (needed == 0 || !GetPrinterDriverDirectoryW(nullptr, nullptr, 1, buffer.data(), needed, &needed))
        return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data()));
}

std::wstring installedDriverModulePath()
{
    std::wstring dir = printerDriverDirectory();
    return dir.empty() ? dir : dir + L"\\3\\" + kDriverModuleName;
}

std::wstring installedLanguageModulePath()
{
    std::wstring dir = printerDriverDirectory();
    return dir.empty() ? dir : dir + L"\\3\\" + kLanguageModuleName;
}

bool installTestPrinter(std::wstring* message)
{
    auto fail = [message](std::wstring text) {
        if (message)
            *message = std::move(text);
        return false;
    };

    std::wstring ppd = programFile(kPpdFileName);
    std::wstring module = programFile(kLanguageModuleName);
    if (!fileExists(ppd))
        return fail(L"missing " + ppd);
    if (!fileExists(module))
        return fail(L"missing " + module);

    DriverFileLock lock;
    // The driver: wineps.drv over our PPD. Copying new files keeps the installed
    // PPD in step with the build on a reused prefix.
    wchar_t system[MAX_PATH];
    UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return fail(win32Message(L"GetSystemDirectoryW", GetLastError()));
    std::wstring wineps = std::wstring(system) + L"\\" + kDriverModuleName;
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriverName);
    driver.pDriverPath = const_cast<wchar_t*>(wineps.c_str());
    driver.pConfigFile = const_cast<wchar_t*>(wineps.c_str());
    driver.pDataFile = const_cast<wchar_t*>(ppd.c_str());
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY))
        return fail(win32Message(L"AddPrinterDriverExW", GetLastError()));

    // The language module beside the driver's files.
    std::wstring dir = printerDriverDirectory();
    if (dir.empty())
        return fail(win32Message(L"GetPrinterDriverDirectoryW", GetLastError()));
    std::wstring folder = dir + L"\\3";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return fail(win32Message(L"CreateDirectoryW", GetLastError()) + L" for " + folder);
    std::wstring target = installedLanguageModulePath();
    if (!CopyFileW(module.c_str(), target.c_str(), FALSE))
        return fail(win32Message(L"CopyFileW", GetLastError()) + L" to " + target);

    // No test runs during the boot: unique printers still there were left by a crash.
    for (const std::wstring& name : localPrinterNames())
        if (startsWith(name, kUniquePrinterPrefix))
            deletePrinter(name);

    DWORD error = 0;
    if (openPrinter(kPrinterName, PRINTER_ACCESS_USE, &error))
        return true;
    if (!addPrinter(kPrinterName, kFilePort, &error))
        return fail(win32Message(L"AddPrinterW", error));
    return true;
}

TestPrinter::TestPrinter(Mode mode) : TestPrinter(mode, kFilePort) {}

TestPrinter::TestPrinter(Mode mode, const std::wstring& port)
{
    if (mode == Mode::Shared && port != kFilePort) {
        m_failure = L"the shared printer is on " + std::wstring(kFilePort) + L" only, not on " + port;
        return;
    }
    // Started here, the driver's module does its own start-up outside the
    // lock; only the reading of the PPD needs it.
    ModuleRef driver(installedDriverModulePath());
    std::optional<DriverFileLock> lock;
    DWORD error = 0;
    if (mode == Mode::Shared) {
        m_name = kPrinterName;
    } else {
        static std::atomic<unsigned> serial{0};
        m_name = kUniquePrinterPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
        lock.emplace();  // AddPrinterW has the driver read the PPD for the new printer
        if (!addPrinter(m_name, port, &error)) {
            m_failure = win32Message(L"AddPrinterW", error) + L" for " + m_name;
            return;
        }
        m_owned = true;
    }
    m_handle = openPrinter(m_name, PRINTER_ALL_ACCESS, &error);
    if (!m_handle) {
        m_failure = win32Message(L"OpenPrinterW", error) + L" for " + m_name;
    } else {
        if (!lock)
            lock.emplace();
        m_failure = loadDriverFor(m_handle.get(), m_name);
    }
    lock.reset();
    if (m_failure.empty())
        return;
    m_handle.close();
    if (m_owned)
        deletePrinter(m_name);
    m_owned = false;
}

TestPrinter::~TestPrinter()
{
    if (m_owned && m_handle)
        DeletePrinter(m_handle.get());
}

std::string TestPrinter::failureText() const
{
    return std::string(m_failure.begin(), m_failure.end());
}

} // namespace harness
