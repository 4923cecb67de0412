// A sheet's feature model over the core-driver double of the printer's PPD,
// for the benchmarks: a private heap, the helper holding the double and the
// sheet parameters.
#pragma once

#include "harness/CoreDriver.h"
#include "plugin/UIHelper.h"
#include "settings/Features.h"

#include <memory>

struct ModelScene {
    std::unique_ptr<harness::CoreDriver> core = harness::CoreDriver::fromDefaultPpd();
    HANDLE heap = HeapCreate(0, 0, 0);
    CUIHelper helper;
    OEMUIPSPARAM param = {};
    CFeatures model;
    bool ok = false;  // the model holds the double's features

    ModelScene()
    {
        void* p = nullptr;
        if (!core || !heap || FAILED(core->QueryInterface(IID_IPrintCoreUI2, &p)))
            return;
        helper.Attach(static_cast<IUnknown*>(p), IID_IPrintCoreUI2);
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hOEMHeap = heap;
        ok = SUCCEEDED(model.Acquire(heap, &helper, core->uiObject(), FALSE));
    }
    ~ModelScene()
    {
        model.Clear();
        helper.Release();
        if (heap)
            HeapDestroy(heap);
    }
    ModelScene(const ModelScene&) = delete;
    ModelScene& operator=(const ModelScene&) = delete;
};
