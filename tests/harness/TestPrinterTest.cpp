#include "Files.h"
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace harness;

namespace {

const PRINTER_INFO_2W* info2(const std::vector<BYTE>& buffer)
{
    return buffer.empty() ? nullptr : reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
}

} // namespace

TEST(TestPrinter, SharedPrinterOpens)
{
    TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    EXPECT_EQ(kPrinterName, printer.name());
    EXPECT_FALSE(printer.owned());
}

TEST(TestPrinter, InfoLevel2NamesDriverAndFilePort)
{
    TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    std::vector<BYTE> buffer = printerInfo(printer.handle(), 2);
    const PRINTER_INFO_2W* info = info2(buffer);
    ASSERT_NE(nullptr, info);
    EXPECT_STREQ(kPrinterName, info->pPrinterName);
    EXPECT_STREQ(kDriverName, info->pDriverName);
    EXPECT_STREQ(L"FILE:", info->pPortName);
}

TEST(TestPrinter, UniquePrintersHaveOwnNamesAndAreDeleted)
{
    std::wstring first, second;
    {
        TestPrinter a(TestPrinter::Mode::Unique);
        TestPrinter b(TestPrinter::Mode::Unique);
        ASSERT_TRUE(a.ok()) << a.failureText();
        ASSERT_TRUE(b.ok()) << b.failureText();
        EXPECT_TRUE(a.owned());
        first = a.name();
        second = b.name();
        EXPECT_NE(first, second);
        EXPECT_EQ(0u, first.find(kUniquePrinterPrefix));
        std::vector<BYTE> buffer = printerInfo(a.handle(), 2);
        const PRINTER_INFO_2W* info = info2(buffer);
        ASSERT_NE(nullptr, info);
        EXPECT_STREQ(kDriverName, info->pDriverName);
    }
    DWORD error = 0;
    EXPECT_FALSE(openPrinter(first, PRINTER_ACCESS_USE, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME), error);
    EXPECT_FALSE(openPrinter(second, PRINTER_ACCESS_USE));
}

TEST(TestPrinter, PrinterDataDwordRoundTrip)
{
    TestPrinter printer(TestPrinter::Mode::Unique);
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    DWORD value = 0x12345678;
    ASSERT_EQ(ERROR_SUCCESS, SetPrinterDataW(printer.handle(), const_cast<wchar_t*>(L"SleepTime"), REG_DWORD,
                                             reinterpret_cast<BYTE*>(&value), sizeof value));
    DWORD type = 0, read = 0, needed = 0;
    ASSERT_EQ(ERROR_SUCCESS, GetPrinterDataW(printer.handle(), const_cast<wchar_t*>(L"SleepTime"), &type,
                                             reinterpret_cast<BYTE*>(&read), sizeof read, &needed));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(sizeof read, needed);
    EXPECT_EQ(value, read);
}

TEST(TestPrinter, PrinterDataBinaryRoundTrip)
{
    TestPrinter printer(TestPrinter::Mode::Unique);
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    BYTE block[16] = {1, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(ERROR_SUCCESS, SetPrinterDataW(printer.handle(), const_cast<wchar_t*>(L"InstallableInfo"),
                                             REG_BINARY, block, sizeof block));
    BYTE read[32] = {};
    DWORD type = 0, needed = 0;
    ASSERT_EQ(ERROR_SUCCESS, GetPrinterDataW(printer.handle(), const_cast<wchar_t*>(L"InstallableInfo"), &type,
                                             read, sizeof read, &needed));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(sizeof block, needed);
    EXPECT_TRUE(std::equal(block, block + sizeof block, read));
}

TEST(TestPrinter, MissingPrinterDataAnswersFileNotFound)
{
    TestPrinter printer(TestPrinter::Mode::Unique);
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    DWORD type = 0, value = 0, needed = 0;
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
              GetPrinterDataW(printer.handle(), const_cast<wchar_t*>(L"MuteVal"), &type,
                              reinterpret_cast<BYTE*>(&value), sizeof value, &needed));
}

TEST(TestPrinter, PortsIncludeFileWithLocalMonitor)
{
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
    ASSERT_GT(needed, 0u);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count));
    auto* ports = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
    auto file = std::find_if(ports, ports + count,
                             [](const PORT_INFO_2W& p) { return wcscmp(p.pPortName, L"FILE:") == 0; });
    ASSERT_NE(ports + count, file);
    EXPECT_STREQ(L"Local Monitor", file->pMonitorName);
}

TEST(TestPrinter, DocumentPropertiesStartAtPpdDefaults)
{
    TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    auto* name = const_cast<wchar_t*>(printer.name().c_str());
    LONG size = DocumentPropertiesW(nullptr, printer.handle(), name, nullptr, nullptr, 0);
    ASSERT_GE(size, static_cast<LONG>(sizeof(DEVMODEW)));
    std::vector<BYTE> buffer(size);
    auto* dm = reinterpret_cast<DEVMODEW*>(buffer.data());
    ASSERT_EQ(IDOK, DocumentPropertiesW(nullptr, printer.handle(), name, dm, nullptr, DM_OUT_BUFFER));
    EXPECT_STREQ(kPrinterName, dm->dmDeviceName);
    EXPECT_EQ(size, dm->dmSize + dm->dmDriverExtra);
    EXPECT_EQ(DMPAPER_LETTER, dm->dmPaperSize);
    EXPECT_EQ(DMDUP_SIMPLEX, dm->dmDuplex);
}

TEST(TestPrinter, DriverOffersThePpdPapers)
{
    TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    int count = DeviceCapabilitiesW(kPrinterName, L"FILE:", DC_PAPERNAMES, nullptr, nullptr);
    ASSERT_EQ(10, count);
    std::vector<wchar_t> names(count * 64);
    ASSERT_EQ(count, DeviceCapabilitiesW(kPrinterName, L"FILE:", DC_PAPERNAMES, names.data(), nullptr));
    EXPECT_EQ(L"Letter(8.5,11,143)", std::wstring(&names[0], wcsnlen(&names[0], 64)));
    EXPECT_EQ(L"B5 (182,257,1)", std::wstring(&names[5 * 64], wcsnlen(&names[5 * 64], 64)));
}

TEST(TestPrinter, InstalledDataFileIsTheBuiltPpd)
{
    TestPrinter printer;
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    DWORD needed = 0;
    GetPrinterDriverW(printer.handle(), nullptr, 3, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterDriverW(printer.handle(), nullptr, 3, buffer.data(), needed, &needed));
    auto* driver = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    EXPECT_EQ(3u, driver->cVersion);
    std::wstring wineps = driver->pDriverPath;
    EXPECT_NE(std::wstring::npos, wineps.find(L"wineps.drv"));
    std::optional<std::string> installed;
    {
        DriverFileLock lock;
        installed = readFile(driver->pDataFile);
    }
    std::optional<std::string> built = readFile(programFile(kPpdFileName));
    ASSERT_TRUE(installed && built);
    EXPECT_TRUE(*installed == *built) << "the installed PPD is not the one of this build";
}

TEST(TestPrinter, DriverFolderHoldsLanguageModule)
{
    std::wstring path = installedLanguageModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(std::wstring::npos, path.find(L"\\3\\bq2100PSenUS.dll"));
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << "error " << GetLastError();
    wchar_t text[64] = {};
    EXPECT_GT(LoadStringW(module, 4000, text, 64), 0);
    EXPECT_STREQ(L"Basic", text);
    FreeLibrary(module);
}

TEST(TestPrinter, AUniquePrinterMayStandOnAPortNoMonitorLists)
{
    TestPrinter printer(TestPrinter::Mode::Unique, L"USB001");
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    std::vector<BYTE> buffer = printerInfo(printer.handle(), 2);
    const PRINTER_INFO_2W* info = info2(buffer);
    ASSERT_NE(nullptr, info);
    EXPECT_STREQ(L"USB001", info->pPortName);
    EXPECT_FALSE(TestPrinter(TestPrinter::Mode::Shared, L"USB001").ok());
}
