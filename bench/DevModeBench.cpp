// Benchmarks of the private DEVMODE block: a MERGE of a custom paper through the
// loaded DLL (it reads the custom-paper file each time) and the build of a full
// paper list (standard papers of the harness core driver and the custom papers
// of the file). Both write the machine-wide custom-paper file with 20 papers
// for the length of the case and put the old file back afterwards.
#include "Bench.h"

#include "harness/CoreDriver.h"
#include "harness/PluginHost.h"
#include "harness/SavedDataFile.h"
#include "plugin/UIHelper.h"
#include "settings/DefaultSettings.h"
#include "settings/Features.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "sheets/DataFiles.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// 20 custom papers as the custom-paper file holds them.
std::string BenchPapers()
{
    std::vector<PAPER_INFO> papers(MAX_CUSTOM_PAPERS);
    for (int i = 0; i < MAX_CUSTOM_PAPERS; ++i) {
        papers[i].unit = PAPER_UNIT_MM;
        SetPaperName(&papers[i], (L"Bench " + std::to_wstring(i)).c_str());
        SetPaperSize(&papers[i], 100.0f + 5 * i, 150.0f + 7 * i, FALSE, 72);
    }
    return harness::recordBytes(papers);
}

// The custom-paper file with 20 papers while it lives; the old one afterwards.
struct BenchPaperFile {
    harness::SavedDataFile saved{ CUSTOM_PAPER_FILE_NAME };
    bool ok = saved.write(BenchPapers());
};

struct MergeState {
    BenchPaperFile file;
    harness::PluginModule module;
    harness::ComPtr<IPrintOemUI2> plugin;
    DEVMODEW publicIn = {}, publicOut = {};
    std::vector<BYTE> in = std::vector<BYTE>(PRIVATE_DEVMODE_SIZE), out = std::vector<BYTE>(PRIVATE_DEVMODE_SIZE);
    OEMDMPARAM param = {};
};

struct PaperListState {
    BenchPaperFile file;
    std::unique_ptr<harness::CoreDriver> core;
    HANDLE heap = HeapCreate(0, 0, 0);
    CUIHelper helper;
    OEMUIPSPARAM param = {};
    CFeatures model;
    ~PaperListState()
    {
        model.Clear();
        helper.Release();
        if (heap)
            HeapDestroy(heap);
    }
};

} // namespace

BENCH_CASE(DevModeMerge, "DevMode MERGE, custom paper 270 (DLL)", 500)
{
    auto s = std::make_shared<MergeState>();
    if (!s->file.ok || !s->module.handle()) {
        std::printf("DevMode MERGE: no custom-paper file or no DLL\n");
        return {};
    }
    s->plugin = s->module.createPlugin();
    if (!s->plugin)
        return {};
    // Blocks of ours from a DEFAULT, a public pair of 220 bytes.
    OEMDMPARAM defaults = {};
    defaults.cbSize = sizeof defaults;
    defaults.pOEMDMOut = s->in.data();
    defaults.cbBufSize = PRIVATE_DEVMODE_SIZE;
    s->plugin->DevMode(OEMDM_DEFAULT, &defaults);
    s->out = s->in;
    for (DEVMODEW* dm : { &s->publicIn, &s->publicOut }) {
        dm->dmSize = sizeof(DEVMODEW);
        dm->dmDriverExtra = PRIVATE_DEVMODE_SIZE;
        dm->dmFields = DM_PAPERSIZE | DM_DEFAULTSOURCE;
        dm->dmDefaultSource = 1;
    }
    s->publicIn.dmPaperSize = 270;
    s->param.cbSize = sizeof s->param;
    s->param.pPublicDMIn = &s->publicIn;
    s->param.pPublicDMOut = &s->publicOut;
    s->param.pOEMDMIn = s->in.data();
    s->param.pOEMDMOut = s->out.data();
    s->param.cbBufSize = PRIVATE_DEVMODE_SIZE;
    if (s->plugin->DevMode(OEMDM_MERGE, &s->param) != S_OK || s->publicOut.dmPaperSize != DMPAPER_CUSTOM_SIZE ||
        !(s->publicOut.dmFields & DM_PAPERWIDTH)) {
        std::printf("DevMode MERGE: the custom paper was not found\n");
        return {};
    }
    return [s] { s->plugin->DevMode(OEMDM_MERGE, &s->param); };
}

BENCH_CASE(PaperListBuild, "paper list build, standard + 20 custom papers", 200)
{
    auto s = std::make_shared<PaperListState>();
    s->core = harness::CoreDriver::fromDefaultPpd();
    if (!s->file.ok || !s->core || !s->heap) {
        std::printf("paper list build: no custom-paper file, core driver or heap\n");
        return {};
    }
    void* core = nullptr;
    if (s->core->QueryInterface(IID_IPrintCoreUI2, &core) != S_OK)
        return {};
    s->helper.Attach(static_cast<IUnknown*>(core), IID_IPrintCoreUI2);
    s->param.cbSize = sizeof s->param;
    s->param.poemuiobj = s->core->uiObject();
    s->param.hOEMHeap = s->heap;
    if (FAILED(s->model.Acquire(s->heap, &s->helper, s->core->uiObject(), FALSE)))
        return {};
    {
        CPaperList probe(&s->model, &s->helper, &s->param);
        if (probe.GetStandardCount() == 0 || probe.GetCustomCount() != MAX_CUSTOM_PAPERS) {
            std::printf("paper list build: %d standard and %d custom papers\n", (int)probe.GetStandardCount(),
                        (int)probe.GetCustomCount());
            return {};
        }
    }
    return [s] {
        CPaperList list(&s->model, &s->helper, &s->param);
        s->core->clearCalls();
    };
}
