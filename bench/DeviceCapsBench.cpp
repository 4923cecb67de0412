// Benchmarks of the DeviceCapabilities extension.
#include "Bench.h"
#include "harness/CoreCapabilities.h"
#include "harness/TestPrinter.h"
#include "plugin/OemUI2.h"

#include <stdio.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The plug-in object of this program over the double, on the shared printer.
struct CapsSetup {
    harness::TestPrinter printer;
    std::unique_ptr<harness::CoreDriver> core = harness::CoreDriver::fromDefaultPpd();
    IOemUI2* plugin = new IOemUI2;
    std::vector<harness::CorePaper> papers;
    std::vector<WCHAR> output;

    ~CapsSetup()
    {
        if (plugin)
            plugin->Release();
    }
    bool ok()
    {
        if (!printer.ok() || !core || !plugin) {
            printf("  skipped: %s\n", !printer.ok() ? printer.failureText().c_str() : "no core driver double");
            return false;
        }
        plugin->PublishDriverInterface(core->unknown());
        papers = harness::corePapers(*core);
        return true;
    }
    // One query as the driver makes it: the core driver's names first, into
    // an output sized from the answer without output.
    DWORD Names()
    {
        if (output.empty()) {
            DWORD count = (DWORD)papers.size();
            plugin->DeviceCapabilities(core->uiObject(), printer.handle(), nullptr, DC_PAPERNAMES, nullptr, nullptr,
                                       nullptr, count, &count);
            output.assign((size_t)std::max<DWORD>(count, (DWORD)papers.size()) * 64, 0);
        }
        DWORD result = (DWORD)harness::coreAnswer(papers, DC_PAPERNAMES, output.data());
        plugin->DeviceCapabilities(core->uiObject(), printer.handle(), nullptr, DC_PAPERNAMES, output.data(),
                                   nullptr, nullptr, result, &result);
        return result;
    }
};

} // namespace

BENCH_CASE(PaperNames, "DC_PAPERNAMES query (table filled)", 200)
{
    auto setup = std::make_shared<CapsSetup>();
    if (!setup->ok())
        return {};
    setup->Names();  // fills the model and the core-paper table
    return [setup] { setup->Names(); };
}
