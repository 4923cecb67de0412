// The plug-in's COM surface, through the DLL loaded as the core driver loads it.
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/PluginHost.h"
#include "harness/ProcessResources.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"

#include <string.h>

using namespace harness;

namespace {

// A driver interface that counts its references and answers QueryInterface
// for the ids it is told to offer.
class FakeDriver : public IPrintOemDriverUI {
public:
    explicit FakeDriver(bool offerCore, bool offerDriverUI) : m_core(offerCore), m_driverUI(offerDriverUI) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        ++queries;
        bool ok = IsEqualIID(riid, IID_IUnknown) || (m_core && IsEqualIID(riid, IID_IPrintCoreUI2)) ||
                  (m_driverUI && IsEqualIID(riid, IID_IPrintOemDriverUI));
        if (!ok) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        lastGiven = riid;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++refs; }
    STDMETHODIMP_(ULONG) Release() override { ++releases; return (ULONG)--refs; }
    STDMETHODIMP DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return E_NOTIMPL; }
    STDMETHODIMP DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override { return E_NOTIMPL; }

    int refs = 1;
    int releases = 0;
    int queries = 0;
    IID lastGiven = GUID_NULL;

private:
    bool m_core, m_driverUI;
};

class OemUI2 : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, module.handle()) << "bq2100PSui.dll not loaded"; }
    PluginModule module;
};

const IID kSomeOtherIid = { 0x12345678, 0x1234, 0x1234, { 1, 2, 3, 4, 5, 6, 7, 8 } };

} // namespace

TEST(OemUI2Module, ExportsTheComEntriesAndTheDiagnostics)
{
    PluginModule module;
    ASSERT_NE(nullptr, module.handle());
    EXPECT_NE(nullptr, module.proc("DllGetClassObject"));
    EXPECT_NE(nullptr, module.proc("DllCanUnloadNow"));
    EXPECT_NE(nullptr, module.proc("?SetError@@YAXPEADK000PEBDZZ"));
    EXPECT_NE(nullptr, module.proc("?SetMsg@@YAXPEAD00PEBDZZ"));
    EXPECT_EQ(nullptr, module.proc("SetError"));
    EXPECT_EQ(nullptr, module.proc("SetMsg"));
}

TEST_F(OemUI2, GetClassObjectRefusesANullOutPointer)
{
    EXPECT_EQ(E_POINTER, module.getClassObject(kPluginClsid, IID_IClassFactory, nullptr));
}

TEST_F(OemUI2, GetClassObjectRefusesAnotherClass)
{
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, module.getClassObject(kSomeOtherIid, IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
}

TEST_F(OemUI2, GetClassObjectRefusesOtherInterfacesAndKeepsNoFactory)
{
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, module.getClassObject(kPluginClsid, IID_IPrintOemUI2, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(OemUI2, FactoryAnswersIUnknownAndIClassFactoryOnly)
{
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, module.getClassObject(kPluginClsid, IID_IUnknown, unknown.putVoid()));
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, factory.putVoid()));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IPrintOemUI, &p));
    EXPECT_EQ(nullptr, p);
    // A class factory is not a live object.
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(OemUI2, CreateInstanceRefusesAggregation)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module.getClassObject(kPluginClsid, IID_IClassFactory, factory.putVoid()));
    FakeDriver outer(false, false);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IUnknown, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(OemUI2, CreateInstanceRefusingIPrintOemCommonDestroysTheObject)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module.getClassObject(kPluginClsid, IID_IClassFactory, factory.putVoid()));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IPrintOemCommon, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(OemUI2, LiveObjectKeepsTheModuleLoadedUntilItsLastRelease)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(S_FALSE, module.canUnloadNow());
    ComPtr<IPrintOemUI> older;
    EXPECT_EQ(S_OK, plugin->QueryInterface(IID_IPrintOemUI, older.putVoid()));
    plugin.reset();
    EXPECT_EQ(S_FALSE, module.canUnloadNow());
    older.reset();
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(OemUI2, LockServerHoldsTheModule)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module.getClassObject(kPluginClsid, IID_IClassFactory, factory.putVoid()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_FALSE, module.canUnloadNow());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, module.canUnloadNow());
}

TEST_F(OemUI2, ObjectRefusesIPrintOemCommonAndUnknownIds)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, plugin->QueryInterface(IID_IPrintOemCommon, &p));
    EXPECT_EQ(nullptr, p);
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, plugin->QueryInterface(IID_IClassFactory, &p));
    EXPECT_EQ(nullptr, p);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, plugin->QueryInterface(IID_IUnknown, unknown.putVoid()));
    EXPECT_EQ(static_cast<IUnknown*>(plugin.get()), unknown.get());
}

TEST_F(OemUI2, GetInfoAnswersSignatureAndVersion)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    BYTE buf[4] = {};
    DWORD needed = 0;
    EXPECT_EQ(S_OK, plugin->GetInfo(OEMGI_GETSIGNATURE, buf, 4, &needed));
    EXPECT_EQ(4u, needed);
    EXPECT_EQ(0, memcmp(buf, "ZRWK", 4));
    DWORD version = 0;
    EXPECT_EQ(S_OK, plugin->GetInfo(OEMGI_GETVERSION, &version, sizeof version, &needed));
    EXPECT_EQ(1u, version);
}

TEST_F(OemUI2, GetInfoRefusesTheInterfaceVersionModeWithoutTouchingNeeded)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    DWORD value = 0, needed = 77;
    SetLastError(0);
    EXPECT_EQ(E_FAIL, plugin->GetInfo(OEMGI_GETINTERFACEVERSION, &value, sizeof value, &needed));
    EXPECT_EQ(87u, GetLastError());
    EXPECT_EQ(77u, needed);
    SetLastError(0);
    EXPECT_EQ(E_FAIL, plugin->GetInfo(OEMGI_GETSIGNATURE, &value, sizeof value, nullptr));
    EXPECT_EQ(87u, GetLastError());
}

TEST_F(OemUI2, GetInfoWithAShortBufferTellsTheSize)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    BYTE buf[4] = { 0xAA, 0xAA, 0xAA, 0xAA };
    DWORD needed = 0;
    SetLastError(0);
    EXPECT_EQ(E_FAIL, plugin->GetInfo(OEMGI_GETSIGNATURE, buf, 3, &needed));
    EXPECT_EQ(122u, GetLastError());
    EXPECT_EQ(4u, needed);
    EXPECT_EQ(0xAA, buf[0]);
    needed = 0;
    EXPECT_EQ(E_FAIL, plugin->GetInfo(OEMGI_GETVERSION, nullptr, 4, &needed));
    EXPECT_EQ(4u, needed);
}

TEST_F(OemUI2, GetInfoHasNoPublisherInformation)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    DWORD value = 0, needed = 9;
    SetLastError(0);
    EXPECT_EQ(E_FAIL, plugin->GetInfo(OEMGI_GETPUBLISHERINFO, &value, sizeof value, &needed));
    EXPECT_EQ(50u, GetLastError());
    EXPECT_EQ(0u, needed);
}

TEST_F(OemUI2, CommonUIPropRefusesAnUnknownMode)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    OEMCUIPPARAM param = {};
    SetLastError(0);
    EXPECT_EQ(E_FAIL, plugin->CommonUIProp(0, &param));
    EXPECT_EQ(87u, GetLastError());
    EXPECT_EQ(E_FAIL, plugin->CommonUIProp(3, &param));
}

TEST_F(OemUI2, HideStandardUIAcceptsBothSheetsOnly)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(E_NOTIMPL, plugin->HideStandardUI(0));
    EXPECT_EQ(E_NOTIMPL, plugin->HideStandardUI(3));
    EXPECT_EQ(S_OK, plugin->HideStandardUI(OEMCUIP_DOCPROP));
    EXPECT_EQ(S_OK, plugin->HideStandardUI(OEMCUIP_PRNPROP));
}

TEST_F(OemUI2, MethodsLeftToTheDriverAnswerNotImplemented)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(E_NOTIMPL, plugin->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->UpgradePrinter(1, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->PrinterEvent(nullptr, 0, 0, 0));
    EXPECT_EQ(E_NOTIMPL, plugin->DriverEvent(0, 0, nullptr, 0));
    EXPECT_EQ(E_NOTIMPL, plugin->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->FontInstallerDlgProc(nullptr, 0, 0, 0));
    EXPECT_EQ(E_NOTIMPL, plugin->UpdateExternalFonts(nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->QueryJobAttributes(nullptr, nullptr, 0, nullptr));
    EXPECT_EQ(E_NOTIMPL, plugin->DocumentEvent(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, nullptr));
}

TEST_F(OemUI2, PublishDriverInterfacePrefersIPrintCoreUI2)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    FakeDriver driver(true, true);
    EXPECT_EQ(S_OK, plugin->PublishDriverInterface(&driver));
    EXPECT_TRUE(IsEqualIID(IID_IPrintCoreUI2, driver.lastGiven));
    EXPECT_EQ(2, driver.refs);
    plugin.reset();
    // The last Release gives the driver's reference back exactly once.
    EXPECT_EQ(1, driver.refs);
    EXPECT_EQ(1, driver.releases);
}

TEST_F(OemUI2, PublishDriverInterfaceTakesTheOlderInterface)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    FakeDriver driver(false, true);
    EXPECT_EQ(S_OK, plugin->PublishDriverInterface(&driver));
    EXPECT_TRUE(IsEqualIID(IID_IPrintOemDriverUI, driver.lastGiven));
    EXPECT_EQ(2, driver.refs);
    plugin.reset();
    EXPECT_EQ(1, driver.refs);
}

TEST_F(OemUI2, ASecondPublishKeepsTheFirstInterface)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    FakeDriver first(true, true), second(true, true);
    ASSERT_EQ(S_OK, plugin->PublishDriverInterface(&first));
    EXPECT_EQ(S_OK, plugin->PublishDriverInterface(&second));
    EXPECT_EQ(0, second.queries);
    EXPECT_EQ(1, second.refs);
    EXPECT_EQ(2, first.refs);
}

TEST_F(OemUI2, PublishDriverInterfaceAnswersTheSecondRefusal)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    FakeDriver neither(false, false);
    EXPECT_EQ(E_NOINTERFACE, plugin->PublishDriverInterface(&neither));
    EXPECT_EQ(2, neither.queries);
    EXPECT_EQ(1, neither.refs);
    // Nothing is held, so a later publish is taken.
    FakeDriver later(true, false);
    EXPECT_EQ(S_OK, plugin->PublishDriverInterface(&later));
    EXPECT_EQ(2, later.refs);
}

TEST_F(OemUI2, PublishDriverInterfaceRefusesNull)
{
    ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(E_POINTER, plugin->PublishDriverInterface(nullptr));
    FakeDriver driver(true, false);
    EXPECT_EQ(S_OK, plugin->PublishDriverInterface(&driver));
    EXPECT_EQ(2, driver.refs);
}

namespace {

DWORD FirstFreeThreadSlot()
{
    DWORD slot = TlsAlloc();
    TlsFree(slot);
    return slot;
}

// The module loaded, a paper query that takes the process-wide language
// module, the module unloaded: what the core driver does again and again
// over the life of an application. The query reads the custom-paper file
// (and makes its folder), so the suite holds the data files' lock.
void LoadAskUnload()
{
    harness::PluginModule module;
    ASSERT_TRUE(module.handle());
    harness::ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    DWORD result = 10;
    plugin->DeviceCapabilities(nullptr, nullptr, nullptr, DC_PAPERS, nullptr, nullptr, nullptr, 10, &result);
}

} // namespace

TEST(ModuleReloadDataFile, LoadingAndUnloadingAgainTakesNoThreadSlot)
{
    // Found by the fuzz test: every loaded copy kept a TLS slot after its
    // unload, and an application whose plug-in was loaded some thousand
    // times ended when no slot was left.
    LoadAskUnload();
    const DWORD before = FirstFreeThreadSlot();
    for (int i = 0; i < 25; ++i)
        LoadAskUnload();
    EXPECT_EQ(before, FirstFreeThreadSlot());
}

namespace {

// The activation contexts a loaded module makes (it finds CreateActCtxW
// through GetProcAddress) and releases (through its imported ReleaseActCtx).
int g_contextsMade = 0;
int g_contextsReleased = 0;

HANDLE WINAPI CountedCreateActCtxW(PCACTCTXW context)
{
    HANDLE made = CreateActCtxW(context);
    if (made != INVALID_HANDLE_VALUE)
        ++g_contextsMade;
    return made;
}

void WINAPI CountedReleaseActCtx(HANDLE context)
{
    if (context && context != INVALID_HANDLE_VALUE)
        ++g_contextsReleased;
    ReleaseActCtx(context);
}

FARPROC WINAPI CountingGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && strcmp(name, "CreateActCtxW") == 0)
        return reinterpret_cast<FARPROC>(&CountedCreateActCtxW);
    return GetProcAddress(module, name);
}

// Points the module's import of a KERNEL32 function at another.
bool RedirectImport(HMODULE module, const char* name, const void* to)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name; ++dll) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + dll->Name), "KERNEL32.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, name) != 0)
                continue;
            DWORD old = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old))
                return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

} // namespace

TEST(ModuleReloadDataFileGui, AnUnloadGivesBackWhatItsLoadAndSheetsTook)
{
    // A spooler loads the plug-in, shows the printing preferences and
    // unloads it, again and again: the activation context of the pages and
    // the C++ runtime's exception pool (about 80 KB a cycle) used to stay.
    SavedDataFile quickSettings("bq2100PS_qs.xml"), customPapers("bq2100PS_cp.cfg");
    TestPrinter printer(TestPrinter::Mode::Unique);
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    ASSERT_TRUE(printer.ok()) << printer.failureText();
    ASSERT_TRUE(core);
    auto cycle = [&] {
        PluginModule module;
        ASSERT_TRUE(module.handle());
        ASSERT_TRUE(RedirectImport(module.handle(), "GetProcAddress",
                                   reinterpret_cast<void*>(&CountingGetProcAddress)));
        ASSERT_TRUE(RedirectImport(module.handle(), "ReleaseActCtx",
                                   reinterpret_cast<void*>(&CountedReleaseActCtx)));
        ComPtr<IPrintOemUI2> plugin = module.createPlugin();
        ASSERT_TRUE(plugin);
        plugin->PublishDriverInterface(core->unknown());
        SheetHost host(plugin.get(), printer.handle(), printer.name(), core.get());
        SheetRun run = host.show(SheetKind::Document);
        plugin.reset();
        core->clearCalls();   // its log would grow
        ASSERT_TRUE(run.shown);
    };
    // Wine keeps what the first sheets of a process make.
    for (int i = 0; i < 5; ++i)
        ASSERT_NO_FATAL_FAILURE(cycle());
    const size_t before = heapBytesInUse();
    for (int i = 0; i < 20; ++i)
        ASSERT_NO_FATAL_FAILURE(cycle());
    const size_t after = heapBytesInUse();
    EXPECT_LT((long long)after - (long long)before, 20 * 1024) << "bytes kept by 20 cycles";
    EXPECT_EQ(25, g_contextsMade);
    EXPECT_EQ(g_contextsMade, g_contextsReleased);
}
