#include "PluginHost.h"
#include "Files.h"

namespace harness {

const CLSID kPluginClsid = { 0xabce80d7, 0x9f46, 0x11d1, { 0x88, 0x2a, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec } };

PluginModule::PluginModule(const std::wstring& path)
{
    std::wstring file = path.empty() ? programFile(L"bq2100PSui.dll") : path;
    m_module = LoadLibraryW(file.c_str());
}

PluginModule::~PluginModule()
{
    if (m_module)
        FreeLibrary(m_module);
}

FARPROC PluginModule::proc(const char* name) const
{
    return m_module ? GetProcAddress(m_module, name) : nullptr;
}

HRESULT PluginModule::getClassObject(REFCLSID clsid, REFIID riid, void** ppv) const
{
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(proc("DllGetClassObject"));
    return fn ? fn(clsid, riid, ppv) : E_UNEXPECTED;
}

HRESULT PluginModule::canUnloadNow() const
{
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(proc("DllCanUnloadNow"));
    return fn ? fn() : E_UNEXPECTED;
}

ComPtr<IPrintOemUI2> PluginModule::createPlugin() const
{
    ComPtr<IClassFactory> factory;
    if (FAILED(getClassObject(kPluginClsid, IID_IClassFactory, factory.putVoid())))
        return {};
    ComPtr<IPrintOemUI2> plugin;
    factory->CreateInstance(nullptr, IID_IPrintOemUI2, plugin.putVoid());
    return plugin;
}

} // namespace harness
