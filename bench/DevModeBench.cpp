// Benchmarks of the private DEVMODE block: a MERGE of a custom paper through the
// loaded DLL (it reads the custom-paper file each time) and the build of a full
// paper list (standard papers of the harness core driver and the custom papers
// of the file). Both write the machine-wide custom-paper file with 20 papers
// for the length of the case and put the old file back afterwards.
#include "Bench.h"
#include "ModelScene.h"

#include "harness/CoreDriver.h"
#include "harness/PluginHost.h"
#include "harness/SavedDataFile.h"
#include "settings/DefaultSettings.h"
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
    ModelScene scene;
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
    ModelScene& m = s->scene;
    if (!s->file.ok || !m.ok) {
        std::printf("paper list build: no custom-paper file or no model over the core driver\n");
        return {};
    }
    {
        CPaperList probe(&m.model, &m.helper, &m.param);
        if (probe.GetStandardCount() == 0 || probe.GetCustomCount() != MAX_CUSTOM_PAPERS) {
            std::printf("paper list build: %d standard and %d custom papers\n", (int)probe.GetStandardCount(),
                        (int)probe.GetCustomCount());
            return {};
        }
    }
    return [s] {
        CPaperList list(&s->scene.model, &s->scene.helper, &s->scene.param);
        s->scene.core->clearCalls();
    };
}
