// The core driver's answers: lists, attributes and selections with their
// sizes, types and results mutated on the way (the double's reply hook), and
// the core driver's own DeviceCapabilities counts and entries. The plug-in
// is loaded afresh for every case, so that its process-wide feature model is
// filled from the mutated answers too; the printer sheet's apply, which asks
// the user, runs in the plug-in's code with the message box answered.
#include "FuzzHost.h"

#include "harness/SavedDataFile.h"
#include "harness/TestPrinter.h"
#include "plugin/SystemSeams.h"
#include "plugin/UIHelper.h"
#include "settings/Features.h"
#include "sheets/FeatureTree.h"
#include "sheets/OemItems.h"

#include <memory>
#include <string.h>

namespace fuzz {

namespace {

// Needed sizes of a mutated answer: the ends of the range, and no more than a
// few megabytes otherwise (what the plug-in then allocates is zero-filled).
constexpr DWORD kLargestNeeded = 1 << 20;

struct CoreState {
    std::unique_ptr<harness::TestPrinter> printer;
    std::unique_ptr<DataFolderGuard> files;
};
CoreState* g_state = nullptr;

std::function<void(harness::CoreReply&)> Mutator(Rng& rng)
{
    auto g = std::make_shared<Rng>(rng.next());
    const uint32_t oneIn = rng.between(2, 30);
    return [g, oneIn](harness::CoreReply& reply) {
        Rng& r = *g;
        if (!r.oneIn(oneIn))
            return;
        switch (r.below(9)) {
        case 0:
            mutateBytes(r, reply.data, (int)r.between(1, 4));
            reply.needed = (DWORD)reply.data.size();
            break;
        case 1:  // no terminator at the end
            while (!reply.data.empty() && reply.data.back() == '\0')
                reply.data.pop_back();
            reply.needed = (DWORD)reply.data.size();
            break;
        case 2:  // an odd size
            reply.data.resize(reply.data.size() | 1, 'A');
            reply.needed = (DWORD)reply.data.size();
            break;
        case 3: {  // a needed size that is not the answer's
            uint32_t n = interestingNumber(r);
            reply.needed = n > kLargestNeeded && n < 0xFFFFFFF0u ? n % kLargestNeeded : n;
            break;
        }
        case 4: {
            reply.result = E_OUTOFMEMORY;
            uint32_t n = interestingNumber(r);
            reply.needed = n > kLargestNeeded && n < 0xFFFFFFF0u ? n % kLargestNeeded : n;
            break;
        }
        case 5:
            reply.type = r.below(8);
            break;
        case 6:
            reply.result = r.pick(std::vector<HRESULT>{ E_FAIL, E_INVALIDARG, E_NOTIMPL, S_FALSE, E_OUTOFMEMORY });
            break;
        case 7:  // longer than asked for
            reply.data += randomBytes(r, r.between(1, 3000));
            reply.needed = (DWORD)reply.data.size();
            break;
        default:
            reply.data.clear();
            reply.needed = 0;
            break;
        }
    };
}

int WINAPI AnswerBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDYES; }
int WINAPI RefuseBox(HWND, LPCWSTR, LPCWSTR, UINT) { return IDNO; }

// The printer sheet's apply in the plug-in's code: the tree's items, some of
// them changed, sent to the mutated core driver.
void ApplyTree(Rng& rng, harness::CoreDriver& core)
{
    HANDLE heap = HeapCreate(0, 0, 0);
    {
        CUIHelper helper;
        void* p = nullptr;
        if (SUCCEEDED(core.QueryInterface(IID_IPrintCoreUI2, &p))) {
            helper.Attach(static_cast<IUnknown*>(p), IID_IPrintCoreUI2);
            CFeatures model;
            model.Acquire(heap, &helper, core.uiObject(), FALSE);
            WORD count = model.GetPrinterCount();
            if (POPTITEM items = count ? AllocOptItems(heap, count) : nullptr) {
                for (WORD i = 0; i < count; ++i) {
                    if (FAILED(model.InitPrinterOptItem(heap, &items[i], i)))
                        continue;
                    if (rng.oneIn(2)) {
                        items[i].Flags |= OPTIF_CHANGEONCE;
                        items[i].Sel = rng.oneIn(4) ? (LONG)interestingNumber(rng) : (LONG)rng.below(4);
                    }
                }
                SYSTEM_SEAMS saved = g_seams;
                g_seams.MessageBoxW = rng.oneIn(2) ? &AnswerBox : &RefuseBox;
                SaveFeatureOptItems(heap, &helper, core.uiObject(), nullptr, items, count);
                g_seams = saved;
            }
            model.Clear();
            helper.Release();
        }
    }
    HeapDestroy(heap);
}

void RunCoreDriver(Rng& rng)
{
    std::unique_ptr<harness::CoreDriver> core = harness::CoreDriver::fromDefaultPpd();
    if (!core) {
        finding("the PPD cannot be read");
        return;
    }
    core->setReplyMutator(Mutator(rng));
    const harness::TestPrinter& printer = *g_state->printer;
    {
        Host host(printer.handle(), printer.name(), core.get());
        if (!host.ok()) {
            finding("the plug-in cannot be loaded");
            return;
        }
        if (rng.oneIn(2))
            host.plugin()->HideStandardUI(OEMCUIP_PRNPROP);
        for (uint32_t op = 0, n = rng.between(1, 4); op < n; ++op) {
            switch (rng.below(5)) {
            case 0: {
                GuardedBuffer publicDm(sizeof(DEVMODEW)), block(3160);
                publicDm.as<DEVMODEW>()->dmSize = sizeof(DEVMODEW);
                DWORD header[3] = { 3160, 0x5A52574B, 1 };
                memcpy(block.data(), header, sizeof header);
                host.startSheet(harness::SheetKind::Document, publicDm.as<DEVMODEW>(), block.data());
                checkCanary(block, "the sheet's private block");
                checkCanary(publicDm, "the sheet's public DEVMODE");
                break;
            }
            case 1:
                host.startSheet(harness::SheetKind::Printer, nullptr, nullptr, rng.oneIn(3) ? 1 : 0);
                break;
            case 2:
            case 3: {
                static const std::vector<WORD> kCapabilities = { DC_PAPERNAMES, DC_PAPERS, DC_PAPERSIZE,
                                                                 DC_ENUMRESOLUTIONS };
                static const std::vector<DWORD> kCounts = { 0, 1, 2, 10, 11, 127, 128, 129, 300, 0xFFFFFFFF };
                WORD capability = rng.pick(kCapabilities);
                DWORD countCore = rng.pick(kCounts), countOutput = rng.oneIn(3) ? rng.pick(kCounts) : countCore;
                std::string entries = randomBytes(rng, rng.below(8000));
                host.askPapers(capability, countCore, countOutput, entries, !rng.oneIn(4));
                break;
            }
            default:
                host.printerItems();
                break;
            }
        }
    }
    if (rng.oneIn(3))
        ApplyTree(rng, *core);
    if (core->overReleased())
        finding("the core driver was released once too often");
    if (core->refCount() != 1)
        finding("the plug-in kept %ld references of the core driver", core->refCount() - 1);
    g_state->files->removeNewBackups();
}

} // namespace

Kind coreDriverKind()
{
    Kind kind;
    kind.name = "coredriver";
    kind.setUp = [] {
        g_state = new CoreState;
        g_state->printer = std::make_unique<harness::TestPrinter>();
        if (!g_state->printer->ok())
            return false;
        g_state->files = std::make_unique<DataFolderGuard>();
        return true;
    };
    kind.run = [](Rng& rng, bool) { RunCoreDriver(rng); };
    kind.tearDown = [] {
        delete g_state;
        g_state = nullptr;
    };
    return kind;
}

} // namespace fuzz
