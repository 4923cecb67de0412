// Benchmarks of the quick-settings store.
#include "Bench.h"
#include "ModelScene.h"
#include "harness/SavedDataFile.h"
#include "harness/TestPrinter.h"
#include "settings/FeatureSettings.h"
#include "settings/QuickSetting.h"
#include "sheets/DataFiles.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

// A sheet's settings over the printer's PPD, and the user's quick-settings
// file kept aside while a prepared one stands in its place.
struct QuickSettingScene {
    ModelScene scene;
    std::unique_ptr<CFeatureSettings> settings;
    harness::TestPrinter printer;
    harness::SavedDataFile file{ QUICK_SETTINGS_FILE_NAME };
    bool ok = scene.ok && printer.ok() && file.ok();

    QuickSettingScene()
    {
        if (ok)
            settings = std::make_unique<CFeatureSettings>(&scene.model, &scene.helper, &scene.param);
    }

    // A file of n sets, written through a store of its own.
    bool Prepare(int n)
    {
        DeleteFileW(file.path().c_str());
        CQuickSetting store(printer.handle(), settings.get());
        while (store.GetCount() < n) {
            _QS_STRUCK r = store.GetItem(0);
            r.id = store.GetFreeId();
            r.name.Format(L"Bench set %d", r.id);
            r.copies = r.id + 1;
            if (FAILED(store.AddItem(r)))
                return false;
        }
        return true;
    }
};

} // namespace

BENCH_CASE(LoadQuickSettings, "quick-settings store over 100 sets", 200)
{
    auto scene = std::make_shared<QuickSettingScene>();
    if (!scene->ok || !scene->Prepare(100)) {
        std::printf("quick-settings store over 100 sets: the test printer or the data folder is missing\n");
        return {};
    }
    return [scene] {
        CQuickSetting store(scene->printer.handle(), scene->settings.get());
        if (store.GetCount() != 100)
            std::printf("quick-settings store: %d sets read\n", (int)store.GetCount());
    };
}
