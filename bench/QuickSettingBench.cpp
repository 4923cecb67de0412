// Benchmarks of the quick-settings store.
#include "Bench.h"
#include "harness/CoreDriver.h"
#include "harness/SavedDataFile.h"
#include "harness/TestPrinter.h"
#include "plugin/UIHelper.h"
#include "settings/FeatureSettings.h"
#include "settings/Features.h"
#include "settings/QuickSetting.h"
#include "sheets/DataFiles.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

// A sheet's settings over the printer's PPD, and the user's quick-settings
// file kept aside while a prepared one stands in its place.
struct QuickSettingScene {
    std::unique_ptr<harness::CoreDriver> core = harness::CoreDriver::fromDefaultPpd();
    HANDLE heap = HeapCreate(0, 0, 0);
    CUIHelper helper;
    OEMUIPSPARAM param = {};
    CFeatures model;
    std::unique_ptr<CFeatureSettings> settings;
    harness::TestPrinter printer;
    harness::SavedDataFile file{ QUICK_SETTINGS_FILE_NAME };
    bool ok = false;

    QuickSettingScene()
    {
        void* p = nullptr;
        if (!core || !heap || !printer.ok() || !file.ok() || FAILED(core->QueryInterface(IID_IPrintCoreUI2, &p)))
            return;
        helper.Attach(static_cast<IUnknown*>(p), IID_IPrintCoreUI2);
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hOEMHeap = heap;
        if (FAILED(model.Acquire(heap, &helper, core->uiObject(), FALSE)))
            return;
        settings = std::make_unique<CFeatureSettings>(&model, &helper, &param);
        ok = true;
    }
    ~QuickSettingScene()
    {
        settings.reset();
        model.Clear();
        helper.Release();
        if (heap)
            HeapDestroy(heap);
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
