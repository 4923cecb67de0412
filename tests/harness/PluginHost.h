// The host side of the core driver: loads the plug-in DLL by LoadLibrary and
// makes plug-in objects through its exported class factory.
#pragma once

#include "ComPtr.h"
#include "oem/PrintOemUI.h"

#include <string>

// {ABCE80D7-9F46-11D1-882A-00C04FB961EC}, the plug-in's class id.
extern const CLSID kPluginClsid;

// The directory of the running program, with a trailing backslash.
std::wstring ProgramDirectory();

class PluginModule {
public:
    // Loads bq2100PSui.dll from the program's directory (or the given path).
    explicit PluginModule(const std::wstring& path = std::wstring());
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    HMODULE Handle() const { return m_module; }
    FARPROC Proc(const char* name) const;

    HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv) const;
    HRESULT CanUnloadNow() const;
    // A plug-in object as the core driver makes it: factory, CreateInstance.
    ComPtr<IPrintOemUI2> CreatePlugin() const;

private:
    HMODULE m_module = nullptr;
};
