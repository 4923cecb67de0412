// Private DEVMODE blocks of old jobs through the loaded plug-in: DevMode
// CONVERT and MERGE, and the document sheet's INIT over a merged block.
#include "FuzzHost.h"

#include "harness/Files.h"
#include "harness/SavedDataFile.h"
#include "harness/TestPrinter.h"

#include <string.h>

namespace fuzz {

namespace {

constexpr size_t kBlockSize = 3160;
constexpr DWORD kSignature = 0x5A52574B;  // "KWRZ"

struct DevModeState {
    std::unique_ptr<harness::TestPrinter> printer;
    std::unique_ptr<harness::CoreDriver> core;
    std::unique_ptr<DataFolderGuard> files;
    std::unique_ptr<Host> host;
    std::string defaults;
};
DevModeState* g_state = nullptr;

// A custom-paper file of a few papers, now and then damaged.
void WriteCustomPapers(Rng& rng)
{
    std::string records;
    for (uint32_t i = 0, n = rng.below(22); i < n; ++i) {
        std::string record(112, '\0');
        mutateBytes(rng, record, 6);
        record.resize(112, '\0');
        records += record;
    }
    if (rng.oneIn(6))
        mutateBytes(rng, records, 2);
    harness::writeFile(harness::dataFilePath(L"bq2100PS_cp.cfg"), records);
}

// A public DEVMODE as an old job or an application may give it.
void FillPublic(Rng& rng, DEVMODEW* dm)
{
    memset(dm, 0, sizeof *dm);
    dm->dmSpecVersion = 0x0401;
    dm->dmSize = rng.oneIn(8) ? (WORD)interestingNumber(rng) : (WORD)sizeof(DEVMODEW);
    dm->dmDriverExtra = rng.oneIn(4) ? (WORD)interestingNumber(rng) : (WORD)kBlockSize;
    dm->dmFields = rng.oneIn(2) ? (DWORD)rng.next() : DM_PAPERSIZE | DM_COLLATE | DM_COPIES;
    static const std::vector<short> kPapers = { 1, 9, 11, 257, 258, 266, 276, 277, 256, 0, -1, 32767, 0x7FFF };
    dm->dmPaperSize = rng.oneIn(4) ? (short)rng.next() : rng.pick(kPapers);
    dm->dmPaperWidth = (short)interestingNumber(rng);
    dm->dmPaperLength = (short)interestingNumber(rng);
    dm->dmCopies = (short)interestingNumber(rng);
    dm->dmCollate = (short)rng.below(3);
    dm->dmScale = (short)interestingNumber(rng);
    dm->dmOrientation = (short)rng.below(4);
}

// A private block of an old job: the defaults, mutated, under a header that
// the core driver checked against the memory it holds (the block is at least
// as long as its header says).
std::string MutatedBlock(Rng& rng, const std::string& defaults, size_t* length)
{
    std::string block = defaults;
    mutateBytes(rng, block, (int)rng.between(1, 24));
    block.resize(std::max<size_t>(block.size(), 12), '\0');
    DWORD size = kBlockSize, signature = kSignature, version = 1;
    switch (rng.below(6)) {
    case 0: size = (DWORD)rng.between(12, 4000); break;
    case 1: signature = (DWORD)rng.next(); break;
    case 2: version = interestingNumber(rng); break;
    default: break;
    }
    memcpy(&block[0], &size, 4);
    memcpy(&block[4], &signature, 4);
    memcpy(&block[8], &version, 4);
    *length = std::max<size_t>(size, 12);
    block.resize(*length, '\0');
    return block;
}

void RunCase(Rng& rng)
{
    DevModeState& s = *g_state;
    if (rng.oneIn(3))
        WriteCustomPapers(rng);
    size_t length = 0;
    std::string in = MutatedBlock(rng, s.defaults, &length);
    GuardedBuffer blockIn(length);
    memcpy(blockIn.data(), in.data(), length);
    GuardedBuffer publicIn(sizeof(DEVMODEW)), publicOut(sizeof(DEVMODEW));
    FillPublic(rng, publicIn.as<DEVMODEW>());
    memcpy(publicOut.data(), publicIn.data(), sizeof(DEVMODEW));
    // The output as the core driver sizes it; now and then too short.
    const size_t outSize = rng.oneIn(8) ? rng.below(kBlockSize) : kBlockSize;
    GuardedBuffer blockOut(outSize);
    memcpy(blockOut.data(), s.defaults.data(), std::min(outSize, s.defaults.size()));

    OEMDMPARAM param = {};
    param.cbSize = sizeof param;
    param.hPrinter = s.printer->handle();
    param.pPublicDMIn = publicIn.as<DEVMODEW>();
    param.pPublicDMOut = publicOut.as<DEVMODEW>();
    param.pOEMDMIn = blockIn.data();
    param.pOEMDMOut = blockOut.data();
    param.cbBufSize = (DWORD)outSize;
    switch (rng.below(5)) {
    case 0:
    case 1:
        s.host->plugin()->DevMode(OEMDM_CONVERT, &param);
        break;
    case 2:
    case 3:
        s.host->plugin()->DevMode(OEMDM_MERGE, &param);
        break;
    default: {
        // The sheet over the block the core driver merged: full length.
        GuardedBuffer block(kBlockSize);
        memcpy(block.data(), in.data(), std::min(in.size(), kBlockSize));
        DWORD size = kBlockSize;
        memcpy(block.data(), &size, 4);
        s.host->startSheet(harness::SheetKind::Document, publicIn.as<DEVMODEW>(), block.data());
        checkCanary(block, "the sheet's private block");
        break;
    }
    }
    checkCanary(blockIn, "the block in");
    checkCanary(blockOut, "the block out");
    checkCanary(publicIn, "the public DEVMODE in");
    checkCanary(publicOut, "the public DEVMODE out");
    s.files->removeNewBackups();
}

} // namespace

Kind devModeKind()
{
    Kind kind;
    kind.name = "devmode";
    kind.setUp = [] {
        g_state = new DevModeState;
        g_state->printer = std::make_unique<harness::TestPrinter>();
        g_state->core = harness::CoreDriver::fromDefaultPpd();
        if (!g_state->printer->ok() || !g_state->core)
            return false;
        g_state->files = std::make_unique<DataFolderGuard>();
        g_state->host = std::make_unique<Host>(g_state->printer->handle(), g_state->printer->name(),
                                               g_state->core.get());
        return g_state->host->ok() && g_state->host->defaultBlock(&g_state->defaults);
    };
    kind.run = [](Rng& rng, bool) { RunCase(rng); };
    kind.tearDown = [] {
        delete g_state;
        g_state = nullptr;
    };
    return kind;
}

} // namespace fuzz
