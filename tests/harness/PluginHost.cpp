#include "PluginHost.h"

const CLSID kPluginClsid = { 0xabce80d7, 0x9f46, 0x11d1, { 0x88, 0x2a, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec } };

std::wstring ProgramDirectory()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    size_t slash = dir.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : dir.substr(0, slash + 1);
}

PluginModule::PluginModule(const std::wstring& path)
{
    std::wstring file = path.empty() ? ProgramDirectory() + L"bq2100PSui.dll" : path;
    m_module = LoadLibraryW(file.c_str());
}

PluginModule::~PluginModule()
{
    if (m_module)
        FreeLibrary(m_module);
}

FARPROC PluginModule::Proc(const char* name) const
{
    return m_module ? GetProcAddress(m_module, name) : nullptr;
}

HRESULT PluginModule::GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const
{
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(Proc("DllGetClassObject"));
    return fn ? fn(clsid, riid, ppv) : E_UNEXPECTED;
}

HRESULT PluginModule::CanUnloadNow() const
{
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(Proc("DllCanUnloadNow"));
    return fn ? fn() : E_UNEXPECTED;
}

ComPtr<IPrintOemUI2> PluginModule::CreatePlugin() const
{
    ComPtr<IClassFactory> factory;
    if (FAILED(GetClassObject(kPluginClsid, IID_IClassFactory, factory.OutVoid())))
        return {};
    ComPtr<IPrintOemUI2> plugin;
    factory->CreateInstance(nullptr, IID_IPrintOemUI2, plugin.OutVoid());
    return plugin;
}
