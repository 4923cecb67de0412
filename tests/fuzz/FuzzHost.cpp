#include "FuzzHost.h"

#include <algorithm>
#include <string.h>

namespace fuzz {

Host::Host(HANDLE printer, const std::wstring& printerName, harness::CoreDriver* core)
    : m_printer(printer), m_name(printerName), m_core(core), m_heap(HeapCreate(0, 0, 0))
{
    m_plugin = m_module.createPlugin();
    if (m_plugin && m_core)
        m_plugin->PublishDriverInterface(m_core->unknown());
}

Host::~Host()
{
    // The plug-in object keeps its model on the heap: it goes first.
    m_plugin.reset();
    if (m_heap)
        HeapDestroy(m_heap);
}

HRESULT Host::startSheet(harness::SheetKind kind, DEVMODEW* publicDm, void* privateDm, DWORD flags)
{
    if (!m_core)
        return E_FAIL;
    OEMUIPSPARAM param = {};
    param.cbSize = sizeof param;
    param.poemuiobj = m_core->uiObject();
    param.hPrinter = m_printer;
    param.pPrinterName = const_cast<PWSTR>(m_name.c_str());
    param.hOEMHeap = m_heap;
    param.pPublicDM = publicDm;
    param.pOEMDM = privateDm;
    param.dwFlags = flags;
    harness::ComSheetRecorder sheet;
    PROPSHEETUI_INFO info = sheet.info(reinterpret_cast<LPARAM>(&param));
    auto call = [&] {
        return kind == harness::SheetKind::Document ? m_plugin->DocumentPropertySheets(&info, 0)
                                                    : m_plugin->DevicePropertySheets(&info, 0);
    };
    HRESULT hr = call();
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    call();
    return hr;
}

bool Host::defaultBlock(std::string* block)
{
    OEMDMPARAM param = {};
    param.cbSize = sizeof param;
    param.hPrinter = m_printer;
    if (FAILED(m_plugin->DevMode(OEMDM_SIZE, &param)) || param.cbBufSize < sizeof(OEM_DMEXTRAHEADER))
        return false;
    GuardedBuffer out(param.cbBufSize);
    GuardedBuffer publicOut(sizeof(DEVMODEW));
    param.pOEMDMOut = out.data();
    param.pPublicDMOut = publicOut.as<DEVMODEW>();
    if (FAILED(m_plugin->DevMode(OEMDM_DEFAULT, &param)))
        return false;
    block->assign(reinterpret_cast<const char*>(out.data()), out.size());
    return true;
}

size_t paperEntryBytes(WORD capability)
{
    switch (capability) {
    case DC_PAPERNAMES: return 64 * sizeof(WCHAR);
    case DC_PAPERS: return sizeof(WORD);
    case DC_PAPERSIZE: return sizeof(POINT);
    case DC_ENUMRESOLUTIONS: return 2 * sizeof(LONG);
    default: return 0;
    }
}

void Host::askPapers(WORD capability, DWORD countCore, DWORD countOutput, const std::string& coreOutput,
                     bool sizedFirst)
{
    PWSTR name = const_cast<PWSTR>(m_name.c_str());
    POEMUIOBJ object = m_core ? m_core->uiObject() : nullptr;
    DWORD entries = countOutput;
    if (sizedFirst) {
        DWORD result = countCore;
        m_plugin->DeviceCapabilities(object, m_printer, name, capability, nullptr, nullptr, nullptr, countCore,
                                     &result);
        entries = m_lastCount[capability] = result;
    } else if (m_lastCount.count(capability)) {
        entries = std::max(entries, m_lastCount[capability]);
    }
    const size_t entry = paperEntryBytes(capability);
    // What no application allocates: a count of the core driver's failure.
    if (!entry || entries > 100000)
        return;
    GuardedBuffer out(entries * entry);
    // The core driver writes its entries first, never past the output.
    memcpy(out.data(), coreOutput.data(), std::min(coreOutput.size(), out.size()));
    DWORD result = countOutput;
    m_plugin->DeviceCapabilities(object, m_printer, name, capability, out.data(), nullptr, nullptr, countOutput,
                                 &result);
    checkCanary(out, "a capability output");
    if (result != 0xFFFFFFFF && result > entries && result > countOutput)
        finding("capability %u answered %lu entries into an output of %lu", capability, result, entries);
}

void Host::printerItems()
{
    OEMCUIPPARAM param = {};
    param.cbSize = sizeof param;
    param.poemuiobj = m_core ? m_core->uiObject() : nullptr;
    param.hPrinter = m_printer;
    param.pPrinterName = const_cast<PWSTR>(m_name.c_str());
    param.hOEMHeap = m_heap;
    if (FAILED(m_plugin->CommonUIProp(OEMCUIP_PRNPROP, &param)) || param.cOEMOptItems == 0 ||
        param.cOEMOptItems > 64)
        return;
    GuardedBuffer items(param.cOEMOptItems * sizeof(OPTITEM));
    param.pOEMOptItems = items.as<OPTITEM>();
    m_plugin->CommonUIProp(OEMCUIP_PRNPROP, &param);
    checkCanary(items, "the printer sheet's items");
}

} // namespace fuzz
