// The host side of the core driver: loads the plug-in DLL by LoadLibrary and
// makes plug-in objects through its exported class factory.
#pragma once

#include "ComPtr.h"
#include "oem/PrintOemUI.h"

#include <string>

namespace harness {

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}, the plug-in's class id.
extern const CLSID kPluginClsid;

class PluginModule {
public:
    // Loads bq2100PSui.dll from the program's directory (or the given path).
    explicit PluginModule(const std::wstring& path = std::wstring());
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    HMODULE handle() const { return m_module; }
    FARPROC proc(const char* name) const;

    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** ppv) const;
    HRESULT canUnloadNow() const;
    // A plug-in object as the core driver makes it: factory, CreateInstance.
    ComPtr<IPrintOemUI2> createPlugin() const;

private:
    HMODULE m_module = nullptr;
};

} // namespace harness
