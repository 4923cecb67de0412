// Benchmark of a document sheet's start: from the sheet callback's INIT to the
// pages added (and its DESTROY), over the test printer and the core-driver double.
#include "Bench.h"
#include "harness/CoreDriver.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "plugin/OemUI2.h"
#include "settings/PrivateDevMode.h"

#include <memory>

namespace {

struct SheetBench {
    // The user's data files stay as they were; the sheets start without them.
    harness::SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    harness::SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    harness::TestPrinter printer;
    std::unique_ptr<harness::CoreDriver> core = harness::CoreDriver::fromDefaultPpd();
    HANDLE heap = HeapCreate(0, 0, 0);
    IOemUI2* plugin = new IOemUI2;
    DEVMODEW publicDm = {};
    PRIVATE_DEVMODE block = {};
    OEMUIPSPARAM param = {};

    SheetBench()
    {
        plugin->PublishDriverInterface(core->unknown());
        publicDm.dmSize = sizeof publicDm;
        block.header = { PRIVATE_DEVMODE_SIZE, OEM_SIGNATURE, OEM_VERSION };
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hPrinter = printer.handle();
        param.hOEMHeap = heap;
        param.pPublicDM = &publicDm;
        param.pOEMDM = &block;
    }
    ~SheetBench()
    {
        plugin->Release();
        HeapDestroy(heap);
    }
    void Run()
    {
        harness::ComSheetRecorder sheet;
        PROPSHEETUI_INFO info = sheet.info(reinterpret_cast<LPARAM>(&param));
        plugin->DocumentPropertySheets(&info, 0);
        info.Reason = PROPSHEETUI_REASON_DESTROY;
        plugin->DocumentPropertySheets(&info, 0);
    }
};

} // namespace

BENCH_CASE(DocumentSheetInit, "document sheet INIT + DESTROY", 200)
{
    auto bench = std::make_shared<SheetBench>();
    if (!bench->printer.ok())
        return {};
    return [bench] { bench->Run(); };
}
