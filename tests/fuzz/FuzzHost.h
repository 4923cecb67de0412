// What the fuzz kinds share: the plug-in loaded from its DLL as the core
// driver loads it, with a core-driver double published, a printer, and the
// driver's heap of the sheets.
#pragma once

#include "Fuzz.h"

#include "harness/ComPtr.h"
#include "harness/CoreDriver.h"
#include "harness/PluginHost.h"
#include "harness/SheetHost.h"
#include "oem/PrintOemUI.h"

#include <map>
#include <memory>
#include <string>

namespace fuzz {

class Host {
public:
    // Loads the DLL and makes a plug-in object over the core driver.
    Host(HANDLE printer, const std::wstring& printerName, harness::CoreDriver* core);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    bool ok() const { return static_cast<bool>(m_plugin); }
    IPrintOemUI2* plugin() const { return m_plugin.get(); }
    HANDLE heap() const { return m_heap; }

    // INIT and DESTROY of a sheet through a recorder of the sheet callback;
    // INIT's HRESULT.
    HRESULT startSheet(harness::SheetKind kind, DEVMODEW* publicDm, void* privateDm, DWORD flags = 0);
    // DEVMODE DEFAULT into a new block.
    bool defaultBlock(std::string* block);
    // As an application asks: the count without output (the core driver
    // answering countCore), then the entries into an output of that many
    // entries, which the core driver filled with coreOutput for countOutput
    // entries first; the output is guarded. Without sizedFirst the output is
    // as large as the last count this application got for the capability,
    // or as the core driver's count when it never asked.
    void askPapers(WORD capability, DWORD countCore, DWORD countOutput, const std::string& coreOutput,
                   bool sizedFirst);
    // The printer-sheet items of CommonUIProp.
    void printerItems();

    // A window as a user opens it, through the common property-sheet UI with
    // a fresh plug-in object of the loaded module, closed with OK or Cancel;
    // every message box on the way is answered. False when it did not show.
    enum class Window {
        Preferences,         // the printing preferences, both pages shown
        CustomPaper,         // the custom-paper dialog of the preferences' Basic page, then the sheet
        PrinterProperties,   // the printer properties
    };
    bool showWindow(Window window, bool ok);

private:
    HANDLE m_printer;
    std::wstring m_name;
    harness::CoreDriver* m_core;
    HANDLE m_heap = nullptr;
    harness::PluginModule m_module;
    harness::ComPtr<IPrintOemUI2> m_plugin;
    std::map<WORD, DWORD> m_lastCount;
};

// The size of one DeviceCapabilities entry of a paper capability.
size_t paperEntryBytes(WORD capability);

} // namespace fuzz
