// The private DEVMODE block and IPrintOemUI2::DevMode, byte for byte: through
// the loaded plug-in DLL as the core driver calls it, and directly where that
// is simpler. Expected blocks are built from the block's stored offsets, not
// from the PRIVATE_DEVMODE declaration. Suites ending in "Country" set the
// user's country; those ending in "DataFile" write the machine-wide
// custom-paper file and put it back as it was.
#include "SettingsFixture.h"

#include "harness/Country.h"
#include "harness/PluginHost.h"
#include "settings/DefaultSettings.h"
#include "settings/PaperList.h"
#include "settings/PrivateDevMode.h"
#include "sheets/DataFiles.h"

#include <string.h>

#include <iomanip>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

constexpr size_t kBlockSize = 3160;
constexpr size_t kGuard = 64;          // bytes past the block that nothing may write
constexpr size_t kPublicSize = 220;
constexpr DWORD kForeign = 0x44434241;  // "ABCD"

// Offsets of the stored block.
constexpr size_t kSizeAt = 0, kSignatureAt = 4, kVersionAt = 8, kReservedValueAt = 12, kOemItemAt = 16,
                 kQuickSetAt = 20, kPaperIdAt = 24, kCopiesAt = 1584, kPageBorderAt = 1594, kScaleAt = 1596,
                 kTonerSavingAt = 1603, kDensityAt = 2122;

// The reserved stretches {offset, length} of the block.
const size_t kReserved[][2] = { { 28, 516 },   { 546, 518 }, { 1066, 518 }, { 1595, 1 },
                                { 1604, 516 }, { 2121, 1 },  { 2124, 516 }, { 2642, 518 } };

void put32(Bytes& b, size_t at, DWORD v) { memcpy(&b[at], &v, 4); }
void put16(Bytes& b, size_t at, WORD v) { memcpy(&b[at], &v, 2); }
DWORD get32(const Bytes& b, size_t at)
{
    DWORD v;
    memcpy(&v, &b[at], 4);
    return v;
}
INT16 get16(const Bytes& b, size_t at)
{
    INT16 v;
    memcpy(&v, &b[at], 2);
    return v;
}

::testing::AssertionResult sameBytes(const Bytes& actual, const Bytes& expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size();
    std::ostringstream where;
    int n = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i])
            continue;
        if (n++ < 12)
            where << " @" << std::dec << i << " " << std::hex << std::setw(2) << std::setfill('0') << (int)actual[i]
                  << "!=" << std::setw(2) << (int)expected[i];
    }
    if (!n)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << n << " bytes differ (actual!=expected):" << where.str();
}

// A block full of a pattern, with a header of ours (or of another signature),
// a version other than 1 and item values within 0..100; and a guard behind it.
Bytes patternBlock(int seed, DWORD signature = OEM_SIGNATURE)
{
    Bytes b(kBlockSize + kGuard);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = (BYTE)(i * 13 + seed * 71 + 1);
    put32(b, kSizeAt, (DWORD)kBlockSize);
    put32(b, kSignatureAt, signature);
    put32(b, kVersionAt, 9);
    put32(b, kReservedValueAt, 40);
    put32(b, kOemItemAt, 60);
    put16(b, kPaperIdAt, 5);
    return b;
}

// The header {3160, "ZRWK", 1} with reserved and OEM item values 0.
Bytes withFreshHeader(Bytes b)
{
    put32(b, kSizeAt, 3160);
    memcpy(&b[kSignatureAt], "ZRWK", 4);
    put32(b, kVersionAt, 1);
    put32(b, kReservedValueAt, 0);
    put32(b, kOemItemAt, 0);
    return b;
}

// What a default block holds in the fields DEFAULT writes.
Bytes withDefaults(Bytes b)
{
    b = withFreshHeader(std::move(b));
    put32(b, kCopiesAt, 1);
    b[kPageBorderAt] = 0;
    put32(b, kScaleAt, 100);
    b[kTonerSavingAt] = 0;
    put16(b, kDensityAt, 1);
    return b;
}

// The input block copied over the output's first 3160 bytes, version 1 and size 3160.
Bytes copied(const Bytes& in, const Bytes& out)
{
    Bytes b = out;
    memcpy(b.data(), in.data(), kBlockSize);
    put32(b, kSizeAt, 3160);
    put32(b, kVersionAt, 1);
    return b;
}

DEVMODEW* dm(Bytes& b) { return reinterpret_cast<DEVMODEW*>(b.data()); }

// A public DEVMODE full of a pattern, of 220 bytes, a standard paper (A4),
// default source 3 without DM_DEFAULTSOURCE; a guard behind it.
Bytes patternDevMode(int seed)
{
    Bytes b(kPublicSize + kGuard);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = (BYTE)(i * 29 + seed * 53 + 7);
    DEVMODEW* d = dm(b);
    d->dmSize = (WORD)kPublicSize;
    d->dmDriverExtra = (WORD)kBlockSize;
    d->dmFields = DM_ORIENTATION | DM_PAPERSIZE;
    d->dmPaperSize = DMPAPER_A4;
    d->dmPaperWidth = 1111;
    d->dmPaperLength = 2222;
    d->dmDefaultSource = 3;
    return b;
}

OEMDMPARAM makeParam(Bytes* publicIn, Bytes* publicOut, Bytes* in, Bytes* out, DWORD size = 3160)
{
    OEMDMPARAM p = {};
    p.cbSize = sizeof p;
    p.pPublicDMIn = publicIn ? dm(*publicIn) : nullptr;
    p.pPublicDMOut = publicOut ? dm(*publicOut) : nullptr;
    p.pOEMDMIn = in ? in->data() : nullptr;
    p.pOEMDMOut = out ? out->data() : nullptr;
    p.cbBufSize = size;
    return p;
}

// The plug-in DLL loaded and one plug-in object made, as the core driver does.
struct Plugin {
    Plugin() : object(module.createPlugin()) {}
    bool ok() const { return module.handle() && object; }
    // The DevMode call; lastError is read right after it.
    HRESULT devMode(DWORD mode, OEMDMPARAM* param)
    {
        SetLastError(0);
        HRESULT hr = object->DevMode(mode, param);
        lastError = GetLastError();
        return hr;
    }
    harness::PluginModule module;
    harness::ComPtr<IPrintOemUI2> object;
    DWORD lastError = 0;
};

class DevMode : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(plugin.ok()) << "bq2100PSui.dll not loaded or no plug-in object"; }
    HRESULT devMode(DWORD mode, OEMDMPARAM* param) { return plugin.devMode(mode, param); }
    Plugin plugin;
};

} // namespace

// --- SIZE and refused calls ---------------------------------------------------------------

TEST_F(DevMode, SizeAnswers3160InTheBufferSizeOnly)
{
    Bytes block = patternBlock(1);
    Bytes before = block;
    OEMDMPARAM param;
    memset(&param, 0x5A, sizeof param);
    param.pOEMDMOut = block.data();
    param.pOEMDMIn = block.data();
    param.pPublicDMIn = param.pPublicDMOut = nullptr;
    param.cbBufSize = 12;
    OEMDMPARAM expected;
    memcpy(&expected, &param, sizeof param);
    expected.cbBufSize = 3160;

    EXPECT_EQ(S_OK, devMode(OEMDM_SIZE, &param));
    EXPECT_EQ(3160u, param.cbBufSize);
    EXPECT_EQ(0, memcmp(&expected, &param, sizeof param));
    EXPECT_TRUE(sameBytes(block, before));
}

TEST_F(DevMode, NullRecordOrUnknownModeIsAnInvalidParameter)
{
    EXPECT_EQ(E_FAIL, devMode(OEMDM_SIZE, nullptr));
    EXPECT_EQ(87u, plugin.lastError);
    EXPECT_EQ(E_FAIL, devMode(OEMDM_MERGE, nullptr));
    EXPECT_EQ(87u, plugin.lastError);

    Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2), in = patternBlock(3), out = patternBlock(4);
    const Bytes before[] = { publicIn, publicOut, in, out };
    for (DWORD mode : { 0u, 5u, 0xFFFFFFFFu }) {
        OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out, 100);
        EXPECT_EQ(E_FAIL, devMode(mode, &param)) << mode;
        EXPECT_EQ(87u, plugin.lastError) << mode;
        EXPECT_EQ(100u, param.cbBufSize) << mode;
    }
    EXPECT_TRUE(sameBytes(publicIn, before[0]));
    EXPECT_TRUE(sameBytes(publicOut, before[1]));
    EXPECT_TRUE(sameBytes(in, before[2]));
    EXPECT_TRUE(sameBytes(out, before[3]));
}

TEST_F(DevMode, ShortBuffersAreRefusedWithNothingWritten)
{
    for (DWORD mode : { (DWORD)OEMDM_DEFAULT, (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        for (DWORD size : { 0u, 1u, 3159u }) {
            Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
            dm(publicIn)->dmFields |= DM_DEFAULTSOURCE;
            dm(publicIn)->dmDefaultSource = 7;  // would pass through
            dm(publicIn)->dmPaperSize = 260;    // would make the paper id 260
            Bytes in = patternBlock(3), out = patternBlock(4, kForeign);
            put32(in, kOemItemAt, 150);
            const Bytes before[] = { publicIn, publicOut, in, out };
            OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out, size);
            EXPECT_EQ(E_FAIL, devMode(mode, &param)) << mode << " " << size;
            EXPECT_EQ(122u, plugin.lastError) << mode << " " << size;
            EXPECT_TRUE(sameBytes(publicIn, before[0])) << mode << " " << size;
            EXPECT_TRUE(sameBytes(publicOut, before[1])) << mode << " " << size;
            EXPECT_TRUE(sameBytes(in, before[2])) << mode << " " << size;
            EXPECT_TRUE(sameBytes(out, before[3])) << mode << " " << size;
        }
    }
}

TEST_F(DevMode, AShortBufferWithoutAnOutputBlockIsNoFault)
{
    for (DWORD mode : { (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2), in = patternBlock(3);
        dm(publicIn)->dmFields |= DM_DEFAULTSOURCE;
        dm(publicIn)->dmDefaultSource = 7;
        Bytes expectedOut = publicOut;
        dm(expectedOut)->dmDefaultSource = 7;
        const Bytes inBefore = in, publicInBefore = publicIn;
        OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, nullptr, 0);
        EXPECT_EQ(S_OK, devMode(mode, &param)) << mode;
        EXPECT_TRUE(sameBytes(publicOut, expectedOut)) << mode;
        EXPECT_TRUE(sameBytes(publicIn, publicInBefore)) << mode;
        EXPECT_TRUE(sameBytes(in, inBefore)) << mode;
    }
}

TEST_F(DevMode, MissingPointersAreSkipped)
{
    for (DWORD mode : { (DWORD)OEMDM_DEFAULT, (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        OEMDMPARAM none = makeParam(nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(S_OK, devMode(mode, &none)) << mode;
    }
    // An input block alone is only read.
    Bytes in = patternBlock(3);
    const Bytes before = in;
    for (DWORD mode : { (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        OEMDMPARAM param = makeParam(nullptr, nullptr, &in, nullptr);
        EXPECT_EQ(S_OK, devMode(mode, &param)) << mode;
    }
    EXPECT_TRUE(sameBytes(in, before));
    // CONVERT without an input block writes nothing into the output.
    Bytes out = patternBlock(4);
    const Bytes outBefore = out;
    OEMDMPARAM convert = makeParam(nullptr, nullptr, nullptr, &out);
    EXPECT_EQ(S_OK, devMode(OEMDM_CONVERT, &convert));
    EXPECT_TRUE(sameBytes(out, outBefore));
}

// --- DEFAULT ------------------------------------------------------------------------------

TEST_F(DevMode, DefaultOnAZeroBlock)
{
    Bytes block(kBlockSize + kGuard, 0);
    OEMDMPARAM param = makeParam(nullptr, nullptr, nullptr, &block);
    ASSERT_EQ(S_OK, devMode(OEMDM_DEFAULT, &param));

    Bytes expected(kBlockSize + kGuard, 0);
    put32(expected, 0, 3160);
    expected[4] = 'Z', expected[5] = 'R', expected[6] = 'W', expected[7] = 'K';
    put32(expected, 8, 1);
    put32(expected, 1584, 1);    // copies
    put32(expected, 1596, 100);  // scale
    put16(expected, 2122, 1);    // density
    EXPECT_TRUE(sameBytes(block, expected));
    EXPECT_EQ(0, memcmp(&block[kSignatureAt], "ZRWK", 4));
    EXPECT_EQ(OEM_SIGNATURE, get32(block, kSignatureAt));
    EXPECT_EQ(0u, get32(block, kQuickSetAt));  // not -1
}

TEST_F(DevMode, DefaultWritesOnlyItsFields)
{
    Bytes block = patternBlock(6, kForeign);
    put32(block, kQuickSetAt, 7);
    block[kPageBorderAt] = 1;
    block[kTonerSavingAt] = 1;
    Bytes expected = withDefaults(block);
    OEMDMPARAM param = makeParam(nullptr, nullptr, nullptr, &block, 4096);
    ASSERT_EQ(S_OK, devMode(OEMDM_DEFAULT, &param));
    EXPECT_TRUE(sameBytes(block, expected));
    EXPECT_EQ(7u, get32(block, kQuickSetAt));
    EXPECT_EQ(0, block[kPageBorderAt]);
    EXPECT_EQ(0, block[kTonerSavingAt]);
}

TEST_F(DevMode, DefaultLeavesTheInputBlockAndTheOutputDevModeAlone)
{
    Bytes in = patternBlock(2), out = patternBlock(3), publicOut = patternDevMode(4);
    const Bytes inBefore = in, publicOutBefore = publicOut;
    OEMDMPARAM param = makeParam(nullptr, &publicOut, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_DEFAULT, &param));
    EXPECT_TRUE(sameBytes(in, inBefore));
    EXPECT_TRUE(sameBytes(publicOut, publicOutBefore));
    EXPECT_TRUE(sameBytes(out, withDefaults(patternBlock(3))));
}

// --- CONVERT and MERGE of the block ------------------------------------------------------

TEST_F(DevMode, ConvertCopiesABlockOfOurs)
{
    Bytes in = patternBlock(1), out = patternBlock(2);
    put32(in, kReservedValueAt, 150);  // CONVERT does not check the item values
    put32(in, kOemItemAt, 150);
    const Bytes inBefore = in;
    Bytes expected = copied(in, out);
    OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_CONVERT, &param));
    EXPECT_TRUE(sameBytes(out, expected));
    EXPECT_EQ(150u, get32(out, kOemItemAt));
    EXPECT_TRUE(sameBytes(in, inBefore));
}

TEST_F(DevMode, MergeCopiesABlockOfOurs)
{
    Bytes in = patternBlock(1), out = patternBlock(2);
    put32(in, kReservedValueAt, 100);
    put32(in, kOemItemAt, 100);
    Bytes expected = copied(in, out);
    OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    EXPECT_TRUE(sameBytes(out, expected));
    EXPECT_EQ(100u, get32(out, kOemItemAt));
    EXPECT_EQ(100u, get32(out, kReservedValueAt));
}

TEST_F(DevMode, MergeSetsItemValuesAbove100ToZero)
{
    for (DWORD value : { 101u, 150u, 0xFFFFFFFFu }) {
        Bytes in = patternBlock(1), out = patternBlock(2);
        put32(in, kReservedValueAt, value);
        put32(in, kOemItemAt, 150);
        Bytes expected = copied(in, out);
        put32(expected, kReservedValueAt, 0);
        put32(expected, kOemItemAt, 0);
        OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
        ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
        EXPECT_TRUE(sameBytes(out, expected)) << value;
    }
    // Each value by itself.
    Bytes in = patternBlock(1), out = patternBlock(2);
    put32(in, kReservedValueAt, 100);
    put32(in, kOemItemAt, 150);
    OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    EXPECT_EQ(100u, get32(out, kReservedValueAt));
    EXPECT_EQ(0u, get32(out, kOemItemAt));
}

TEST_F(DevMode, AnotherSignatureOnEitherSideRewritesOnlyTheHeader)
{
    for (DWORD mode : { (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        // From a foreign block into ours, and from ours into a foreign one.
        for (int foreignSide = 0; foreignSide < 2; ++foreignSide) {
            Bytes in = patternBlock(1, foreignSide == 0 ? kForeign : OEM_SIGNATURE);
            Bytes out = patternBlock(2, foreignSide == 1 ? kForeign : OEM_SIGNATURE);
            put32(out, kReservedValueAt, 55);
            put32(out, kOemItemAt, 66);
            const Bytes inBefore = in;
            Bytes expected = withFreshHeader(out);
            OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
            ASSERT_EQ(S_OK, devMode(mode, &param));
            EXPECT_TRUE(sameBytes(out, expected)) << mode << " " << foreignSide;
            EXPECT_TRUE(sameBytes(in, inBefore)) << mode << " " << foreignSide;
        }
    }
}

TEST_F(DevMode, TwoForeignBlocksOfOneSignatureGetAFreshHeaderNotACopy)
{
    for (DWORD mode : { (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        Bytes in = patternBlock(1, kForeign), out = patternBlock(2, kForeign);
        Bytes expected = withFreshHeader(out);
        OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
        ASSERT_EQ(S_OK, devMode(mode, &param));
        EXPECT_TRUE(sameBytes(out, expected)) << mode;
    }
    // Zero blocks (no signature at all) likewise.
    Bytes in(kBlockSize + kGuard, 0), out(kBlockSize + kGuard, 0);
    in[100] = 1;
    OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_CONVERT, &param));
    EXPECT_TRUE(sameBytes(out, withFreshHeader(Bytes(kBlockSize + kGuard, 0))));
}

TEST_F(DevMode, MergeWithoutAnInputBlockStillWritesTheHeader)
{
    Bytes out = patternBlock(2, kForeign);
    put32(out, kReservedValueAt, 50);
    put32(out, kOemItemAt, 150);
    Bytes expected = out;
    put32(expected, kSizeAt, 3160);
    put32(expected, kSignatureAt, OEM_SIGNATURE);
    put32(expected, kVersionAt, 1);
    put32(expected, kOemItemAt, 0);
    OEMDMPARAM param = makeParam(nullptr, nullptr, nullptr, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    EXPECT_TRUE(sameBytes(out, expected));
}

TEST_F(DevMode, ReservedBytesAreNeverWrittenNorAnythingPastTheBlock)
{
    struct Case {
        DWORD mode;
        DWORD inSignature, outSignature;
    };
    const Case cases[] = { { OEMDM_DEFAULT, OEM_SIGNATURE, OEM_SIGNATURE },
                           { OEMDM_CONVERT, kForeign, OEM_SIGNATURE },
                           { OEMDM_CONVERT, OEM_SIGNATURE, kForeign },
                           { OEMDM_MERGE, kForeign, OEM_SIGNATURE },
                           { OEMDM_MERGE, kForeign, kForeign } };
    for (const Case& c : cases) {
        Bytes in = patternBlock(1, c.inSignature), out = patternBlock(2, c.outSignature);
        const Bytes before = out;
        OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
        ASSERT_EQ(S_OK, devMode(c.mode, &param));
        for (const auto& r : kReserved)
            EXPECT_EQ(0, memcmp(&out[r[0]], &before[r[0]], r[1])) << c.mode << " at " << r[0];
        EXPECT_EQ(0, memcmp(&out[kBlockSize], &before[kBlockSize], kGuard)) << c.mode;
    }
    // A copy between blocks of ours takes the reserved bytes along, and only the block.
    Bytes in = patternBlock(1), out = patternBlock(2);
    const Bytes before = out;
    OEMDMPARAM param = makeParam(nullptr, nullptr, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    for (const auto& r : kReserved)
        EXPECT_EQ(0, memcmp(&out[r[0]], &in[r[0]], r[1])) << "at " << r[0];
    EXPECT_EQ(0, memcmp(&out[kBlockSize], &before[kBlockSize], kGuard));
}

// --- the default-source rule ----------------------------------------------------------

TEST_F(DevMode, DefaultSourcePassesThroughOnlyWhenFlaggedAndPositive)
{
    struct Case {
        bool flagged;
        short in;
        short expected;
    };
    const Case cases[] = { { true, 7, 7 },          { false, 7, 1 },   { true, 0, 1 },
                           { true, -3, 1 },         { true, (short)0x8000, 1 }, { true, 0x7FFF, 0x7FFF },
                           { true, 1, 1 },          { false, 0, 1 } };
    for (DWORD mode : { (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        for (const Case& c : cases) {
            Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
            Bytes in = patternBlock(3), out = patternBlock(4);
            if (c.flagged)
                dm(publicIn)->dmFields |= DM_DEFAULTSOURCE;
            else
                dm(publicIn)->dmFields &= ~(DWORD)DM_DEFAULTSOURCE;
            dm(publicIn)->dmDefaultSource = c.in;
            const Bytes publicInBefore = publicIn;
            Bytes expected = publicOut;
            dm(expected)->dmDefaultSource = c.expected;
            OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out);
            ASSERT_EQ(S_OK, devMode(mode, &param));
            EXPECT_TRUE(sameBytes(publicOut, expected)) << mode << " " << c.flagged << " " << c.in;
            EXPECT_TRUE(sameBytes(publicIn, publicInBefore)) << mode << " " << c.flagged << " " << c.in;
        }
    }
}

TEST_F(DevMode, DefaultSourceNeedsTwoPublicDevModesOf220Bytes)
{
    for (DWORD mode : { (DWORD)OEMDM_CONVERT, (DWORD)OEMDM_MERGE }) {
        for (int variant = 0; variant < 4; ++variant) {
            Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
            Bytes in = patternBlock(3), out = patternBlock(4);
            dm(publicIn)->dmFields |= DM_DEFAULTSOURCE;
            dm(publicIn)->dmDefaultSource = 7;
            if (variant == 0)
                dm(publicIn)->dmSize = 156;
            if (variant == 1)
                dm(publicOut)->dmSize = 221;
            const Bytes before = publicOut;
            OEMDMPARAM param = makeParam(variant == 2 ? nullptr : &publicIn, variant == 3 ? nullptr : &publicOut,
                                         &in, &out);
            ASSERT_EQ(S_OK, devMode(mode, &param));
            EXPECT_TRUE(sameBytes(publicOut, before)) << mode << " " << variant;
        }
    }
}

// --- the paper id of MERGE without the custom-paper file --------------------------------------

TEST_F(DevMode, MergeOfAStandardPaperMakesThePaperIdZero)
{
    Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
    Bytes in = patternBlock(3), out = patternBlock(4);
    put16(in, kPaperIdAt, 260);
    Bytes expectedBlock = copied(in, out);
    put16(expectedBlock, kPaperIdAt, 0);
    Bytes expectedPublic = publicOut;
    dm(expectedPublic)->dmDefaultSource = 1;
    OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    EXPECT_TRUE(sameBytes(out, expectedBlock));
    EXPECT_TRUE(sameBytes(publicOut, expectedPublic));

    // 256 and 277 are not custom paper numbers.
    for (short paper : { (short)256, (short)277, (short)-1 }) {
        Bytes pin = patternDevMode(1), pout = patternDevMode(2), bin = patternBlock(3), bout = patternBlock(4);
        dm(pin)->dmPaperSize = paper;
        put16(bin, kPaperIdAt, 258);
        OEMDMPARAM p = makeParam(&pin, &pout, &bin, &bout);
        ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &p));
        EXPECT_EQ(0, get16(bout, kPaperIdAt)) << paper;
        EXPECT_EQ(DMPAPER_A4, dm(pout)->dmPaperSize) << paper;
    }
}

TEST_F(DevMode, ConvertHasNoCustomPaperRule)
{
    Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
    Bytes in = patternBlock(3), out = patternBlock(4);
    dm(publicIn)->dmPaperSize = 260;
    put16(in, kPaperIdAt, 3);
    Bytes expectedPublic = publicOut;
    dm(expectedPublic)->dmDefaultSource = 1;
    OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_CONVERT, &param));
    EXPECT_EQ(3, get16(out, kPaperIdAt));
    EXPECT_TRUE(sameBytes(publicOut, expectedPublic));
}

TEST(ValidateCustomPaper, NeedsAllFourPointers)
{
    for (int missing = 0; missing < 4; ++missing) {
        Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
        Bytes in = patternBlock(3), out = patternBlock(4);
        dm(publicIn)->dmPaperSize = 260;
        const Bytes publicOutBefore = publicOut, outBefore = out;
        OEMDMPARAM param = makeParam(missing == 0 ? nullptr : &publicIn, missing == 1 ? nullptr : &publicOut,
                                     missing == 2 ? nullptr : &in, missing == 3 ? nullptr : &out);
        ValidateCustomPaper(&param);
        EXPECT_TRUE(sameBytes(publicOut, publicOutBefore)) << missing;
        EXPECT_TRUE(sameBytes(out, outBefore)) << missing;
    }
    ValidateCustomPaper(nullptr);
}

TEST(ValidateCustomPaper, AStandardPaperZeroesOnlyThePaperId)
{
    Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
    Bytes in = patternBlock(3), out = patternBlock(4);
    put16(out, kPaperIdAt, 259);
    Bytes expected = out;
    put16(expected, kPaperIdAt, 0);
    const Bytes publicOutBefore = publicOut;
    OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out);
    ValidateCustomPaper(&param);
    EXPECT_TRUE(sameBytes(out, expected));
    EXPECT_TRUE(sameBytes(publicOut, publicOutBefore));
}

// --- CopyOemDevMode directly ----------------------------------------------------------------

TEST(CopyOemDevMode, RefusesMissingBlocksAndShortBuffers)
{
    Bytes in = patternBlock(1), out = patternBlock(2);
    const Bytes before = out;
    auto block = [](Bytes& b) { return reinterpret_cast<PRIVATE_DEVMODE*>(b.data()); };
    EXPECT_FALSE(CopyOemDevMode(nullptr, block(out), 3160));
    EXPECT_FALSE(CopyOemDevMode(block(in), nullptr, 3160));
    EXPECT_FALSE(CopyOemDevMode(block(in), block(out), 3159));
    EXPECT_FALSE(CopyOemDevMode(block(in), block(out), 0));
    EXPECT_TRUE(sameBytes(out, before));
    EXPECT_TRUE(CopyOemDevMode(block(in), block(out), 3160));
    EXPECT_TRUE(sameBytes(out, copied(in, before)));
}

TEST(CopyOemDevMode, CopiesTheSmallestOfBothSizesAndTheBufferAndNoMoreThanTheBlock)
{
    auto block = [](Bytes& b) { return reinterpret_cast<PRIVATE_DEVMODE*>(b.data()); };
    struct Case {
        DWORD inSize, outSize, buffer, copiedBytes;
    };
    const Case cases[] = { { 4000, 4000, 3500, 3160 }, { 3200, 4000, 4000, 3160 }, { 4000, 3300, 4000, 3160 },
                           { 3100, 4000, 4000, 3100 }, { 4000, 3000, 4000, 3000 },
                           { 100, 3160, 3160, 100 },    { 3160, 200, 3160, 200 },   { 0, 3160, 3160, 0 } };
    for (const Case& c : cases) {
        Bytes in(4096), out(4096);
        for (size_t i = 0; i < in.size(); ++i) {
            in[i] = (BYTE)(i * 7 + 1);
            out[i] = (BYTE)(i * 11 + 2);
        }
        put32(in, kSizeAt, c.inSize);
        put32(out, kSizeAt, c.outSize);
        put32(in, kSignatureAt, OEM_SIGNATURE);
        put32(out, kSignatureAt, OEM_SIGNATURE);
        Bytes expected = out;
        put32(expected, kReservedValueAt, 0);
        put32(expected, kOemItemAt, 0);
        memcpy(expected.data(), in.data(), c.copiedBytes);
        put32(expected, kSizeAt, 3160);
        put32(expected, kVersionAt, 1);
        EXPECT_TRUE(CopyOemDevMode(block(in), block(out), c.buffer));
        EXPECT_TRUE(sameBytes(out, expected)) << c.inSize << " " << c.outSize << " " << c.buffer;
    }
}

// --- DEFAULT of the public DEVMODE by the user's country -----------------------------------

namespace {

// What DEFAULT writes into the public DEVMODE; every other byte kept.
Bytes publicDefaults(Bytes b, short paper, short width, short length, const wchar_t* form)
{
    DEVMODEW* d = dm(b);
    d->dmSpecVersion = 0x0401;
    d->dmDriverVersion = 0x0600;
    d->dmSize = 220;
    d->dmDriverExtra = 3160;
    d->dmPaperSize = paper;
    d->dmPaperLength = length;
    d->dmPaperWidth = width;
    memset(d->dmFormName, 0, sizeof d->dmFormName);
    wcscpy(d->dmFormName, form);
    d->dmPrintQuality = 600;
    d->dmYResolution = 600;
    d->dmScale = 100;
    d->dmCopies = 1;
    d->dmDefaultSource = 0;
    d->dmDuplex = 1;
    d->dmCollate = 0;
    d->dmMediaType = 1;
    d->dmColor = 1;
    return b;
}

void expectDefaultsFor(int country, short paper, short width, short length, const wchar_t* form)
{
    // Before the first locale query of the process, and before the DLL is loaded.
    harness::CountryOverride override(country);
    Plugin plugin;
    ASSERT_TRUE(plugin.ok());

    Bytes publicIn = patternDevMode(1), publicOut = patternDevMode(2);
    dm(publicIn)->dmSize = 0;  // DEFAULT writes whatever was there
    dm(publicIn)->dmFields = 0x00ABCDEF;
    dm(publicIn)->dmOrientation = 2;
    wcscpy(dm(publicIn)->dmDeviceName, L"Brixom Q2100 Series PS");
    for (size_t i = 10; i < 32; ++i)
        dm(publicIn)->dmFormName[i] = L'x';  // no stale tail after the name
    Bytes expected = publicDefaults(publicIn, paper, width, length, form);
    const Bytes publicOutBefore = publicOut;
    Bytes block(kBlockSize + kGuard, 0);
    OEMDMPARAM param = makeParam(&publicIn, &publicOut, nullptr, &block);
    ASSERT_EQ(S_OK, plugin.devMode(OEMDM_DEFAULT, &param));
    EXPECT_TRUE(sameBytes(publicIn, expected));
    EXPECT_TRUE(sameBytes(publicOut, publicOutBefore));
    EXPECT_TRUE(sameBytes(block, withDefaults(Bytes(kBlockSize + kGuard, 0))));
    EXPECT_EQ(0x00ABCDEFu, dm(publicIn)->dmFields);
    EXPECT_EQ(2, dm(publicIn)->dmOrientation);
    EXPECT_STREQ(L"Brixom Q2100 Series PS", dm(publicIn)->dmDeviceName);

    // Directly, the same bytes and the result 0.
    DEFAULT_SETTINGS defaults;
    LoadDefaultSettings(&defaults);
    Bytes direct = patternDevMode(1);
    dm(direct)->dmSize = 0;
    dm(direct)->dmFields = 0x00ABCDEF;
    dm(direct)->dmOrientation = 2;
    wcscpy(dm(direct)->dmDeviceName, L"Brixom Q2100 Series PS");
    for (size_t i = 10; i < 32; ++i)
        dm(direct)->dmFormName[i] = L'x';
    EXPECT_EQ(0, FillPublicDevModeDefaults(&defaults, dm(direct)));
    EXPECT_TRUE(sameBytes(direct, expected));
}

} // namespace

TEST(DevModeDefaultsCountry, CountryOneGivesLetter) { expectDefaultsFor(1, DMPAPER_LETTER, 2159, 2794, L"Letter"); }

TEST(DevModeDefaultsCountry, CountryFortyNineGivesA4) { expectDefaultsFor(49, DMPAPER_A4, 2100, 2970, L"A4"); }

// --- the custom-paper rule with the custom-paper file ------------------------------------------

namespace {

// Sizes in points and the expected public size in tenths of a millimetre:
// clamped to 256..612 x 341..1008, (int)((float)(p x 25.4f / 72 x 10) + 0.5).
struct CustomSize {
    INT32 width, height;
    short expectedWidth, expectedLength;
};
const CustomSize kSizes[20] = {
    { 612, 792, 2159, 2794 },   // Letter
    { 522, 702, 1842, 2476 },   // double precision would give 1841 x 2477
    { 414, 738, 1460, 2603 },   // 2604 with the constants folded first
    { 270, 954, 953, 3366 },    // 952.5 exactly; 3365 in double precision
    { 306, 666, 1080, 2350 },   // truncation without the half would give 1079 x 2349
    { 342, 774, 1207, 2731 },
    { 100, 2000, 903, 3556 },   // clamped to 256 x 1008
    { 700, 300, 2159, 1203 },   // clamped to 612 x 341
    { 257, 1008, 907, 3556 },
    { 256, 341, 903, 1203 },
    { 280, 360, 988, 1270 },    { 311, 407, 1097, 1436 },  { 342, 454, 1207, 1602 },  { 373, 501, 1316, 1767 },
    { 404, 548, 1425, 1933 },   { 435, 595, 1535, 2099 },  { 466, 642, 1644, 2265 },  { 497, 689, 1753, 2431 },
    { 528, 736, 1863, 2596 },   { 559, 783, 1972, 2762 },
};

std::string fileOf(int count)
{
    std::string content;
    for (int i = 0; i < count; ++i) {
        PAPER_INFO p = {};
        p.id = 9000 + i;  // ids are not taken from the file
        p.unit = PAPER_UNIT_MM;
        p.width = kSizes[i].width;
        p.height = kSizes[i].height;
        SetPaperName(&p, (L"Custom " + std::to_wstring(i)).c_str());
        p.widthMm = 10.0f;  // the mm and inch values play no part
        p.heightMm = 10.0f;
        content.append(reinterpret_cast<const char*>(&p), sizeof p);
    }
    return content;
}

class DevModeCustomPaperDataFile : public DevMode {
protected:
    // MERGE of a custom paper number over blocks of ours; out's public size
    // fields start at 1111 x 2222 with dmFields DM_ORIENTATION | DM_PAPERSIZE.
    void merge(short inPaper, short blockPaperId = 5, short outPaper = DMPAPER_A4)
    {
        publicIn = patternDevMode(1);
        publicOut = patternDevMode(2);
        in = patternBlock(3);
        out = patternBlock(4);
        dm(publicIn)->dmPaperSize = inPaper;
        dm(publicIn)->dmFields |= DM_DEFAULTSOURCE;
        dm(publicIn)->dmDefaultSource = 4;
        dm(publicOut)->dmPaperSize = outPaper;
        put16(in, kPaperIdAt, blockPaperId);
        publicOutBefore = publicOut;
        outCopied = copied(in, out);
        OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out);
        ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    }
    // The output DEVMODE as a merge that found no paper leaves it.
    Bytes unsized(short paper) const
    {
        Bytes b = publicOutBefore;
        dm(b)->dmPaperSize = paper;
        dm(b)->dmDefaultSource = 4;
        return b;
    }
    Bytes sized(const CustomSize& s) const
    {
        Bytes b = unsized(DMPAPER_CUSTOM_SIZE);
        dm(b)->dmPaperWidth = s.expectedWidth;
        dm(b)->dmPaperLength = s.expectedLength;
        dm(b)->dmFields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
        return b;
    }
    Bytes blockWithPaperId(short id) const
    {
        Bytes b = outCopied;
        put16(b, kPaperIdAt, id);
        return b;
    }

    settings_test::KeptDataFile file{ CUSTOM_PAPER_FILE_NAME };
    Bytes publicIn, publicOut, in, out, publicOutBefore, outCopied;
};

} // namespace

TEST_F(DevModeCustomPaperDataFile, EveryCustomNumberTakesItsPaperSize)
{
    const std::string content = fileOf(20);
    ASSERT_TRUE(file.write(content));
    for (short n = 257; n <= 276; ++n) {
        merge(n);
        const CustomSize& s = kSizes[n - 257];
        EXPECT_TRUE(sameBytes(out, blockWithPaperId(n))) << n;
        EXPECT_TRUE(sameBytes(publicOut, sized(s))) << n;
        EXPECT_EQ(DMPAPER_CUSTOM_SIZE, dm(publicOut)->dmPaperSize) << n;
        EXPECT_EQ(s.expectedWidth, dm(publicOut)->dmPaperWidth) << n;
        EXPECT_EQ(s.expectedLength, dm(publicOut)->dmPaperLength) << n;
    }
    // The merge only reads the file.
    EXPECT_EQ(content, file.read());
}

TEST_F(DevModeCustomPaperDataFile, WithoutTheFileTheSizesStay)
{
    for (short n : { (short)257, (short)260, (short)276 }) {
        merge(n);
        EXPECT_TRUE(sameBytes(out, blockWithPaperId(n))) << n;
        EXPECT_TRUE(sameBytes(publicOut, unsized(DMPAPER_CUSTOM_SIZE))) << n;
    }
    EXPECT_FALSE(file.read().has_value());
}

TEST_F(DevModeCustomPaperDataFile, ADamagedFileIsLikeNone)
{
    for (size_t size : { (size_t)0, (size_t)111, (size_t)113 }) {
        std::string content = fileOf(2);
        content.resize(size, '\x01');
        ASSERT_TRUE(file.write(content));
        merge(257);
        EXPECT_TRUE(sameBytes(out, blockWithPaperId(257))) << size;
        EXPECT_TRUE(sameBytes(publicOut, unsized(DMPAPER_CUSTOM_SIZE))) << size;
        EXPECT_EQ(content, file.read()) << size;
    }
}

TEST_F(DevModeCustomPaperDataFile, ANumberPastTheFileKeepsTheSizes)
{
    ASSERT_TRUE(file.write(fileOf(3)));
    merge(260);
    EXPECT_TRUE(sameBytes(out, blockWithPaperId(260)));
    EXPECT_TRUE(sameBytes(publicOut, unsized(DMPAPER_CUSTOM_SIZE)));
    merge(259);
    EXPECT_TRUE(sameBytes(publicOut, sized(kSizes[2])));
}

TEST_F(DevModeCustomPaperDataFile, InputCustomSizeKeepsThePaperIdOfTheCopy)
{
    ASSERT_TRUE(file.write(fileOf(20)));
    // The copy brings paper id 258 from the input block.
    merge(DMPAPER_CUSTOM_SIZE, 258, DMPAPER_CUSTOM_SIZE);
    EXPECT_TRUE(sameBytes(out, blockWithPaperId(258)));
    EXPECT_TRUE(sameBytes(publicOut, sized(kSizes[1])));

    // From a foreign block the output keeps its own paper id.
    publicIn = patternDevMode(1);
    publicOut = patternDevMode(2);
    in = patternBlock(3, kForeign);
    out = patternBlock(4);
    dm(publicIn)->dmPaperSize = DMPAPER_CUSTOM_SIZE;
    dm(publicIn)->dmFields |= DM_DEFAULTSOURCE;
    dm(publicIn)->dmDefaultSource = 4;
    dm(publicOut)->dmPaperSize = DMPAPER_CUSTOM_SIZE;
    put16(out, kPaperIdAt, 263);
    publicOutBefore = publicOut;
    Bytes expectedBlock = withFreshHeader(out);
    OEMDMPARAM param = makeParam(&publicIn, &publicOut, &in, &out);
    ASSERT_EQ(S_OK, devMode(OEMDM_MERGE, &param));
    EXPECT_TRUE(sameBytes(out, expectedBlock));
    EXPECT_TRUE(sameBytes(publicOut, sized(kSizes[6])));
}

TEST_F(DevModeCustomPaperDataFile, InputCustomSizeWithAStandardPaperIdKeepsTheSizes)
{
    ASSERT_TRUE(file.write(fileOf(20)));
    merge(DMPAPER_CUSTOM_SIZE, 3, DMPAPER_CUSTOM_SIZE);
    EXPECT_TRUE(sameBytes(out, blockWithPaperId(3)));
    EXPECT_TRUE(sameBytes(publicOut, unsized(DMPAPER_CUSTOM_SIZE)));
    // A standard input paper over an output custom size: paper id 0, no paper.
    merge(DMPAPER_A4, 258, DMPAPER_CUSTOM_SIZE);
    EXPECT_TRUE(sameBytes(out, blockWithPaperId(0)));
    EXPECT_TRUE(sameBytes(publicOut, unsized(DMPAPER_CUSTOM_SIZE)));
}

TEST_F(DevModeCustomPaperDataFile, ValidateCustomPaperDirectly)
{
    ASSERT_TRUE(file.write(fileOf(20)));
    Bytes pin = patternDevMode(1), pout = patternDevMode(2), bin = patternBlock(3), bout = patternBlock(4);
    dm(pin)->dmPaperSize = 262;
    Bytes expectedPublic = pout;
    dm(expectedPublic)->dmPaperSize = DMPAPER_CUSTOM_SIZE;
    dm(expectedPublic)->dmPaperWidth = kSizes[5].expectedWidth;
    dm(expectedPublic)->dmPaperLength = kSizes[5].expectedLength;
    dm(expectedPublic)->dmFields |= 0x0E;
    Bytes expectedBlock = bout;
    put16(expectedBlock, kPaperIdAt, 262);
    OEMDMPARAM param = makeParam(&pin, &pout, &bin, &bout);
    ValidateCustomPaper(&param);
    EXPECT_TRUE(sameBytes(pout, expectedPublic));
    EXPECT_TRUE(sameBytes(bout, expectedBlock));
}
