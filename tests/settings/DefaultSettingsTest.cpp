// The constant defaults, the country rule and paper sizes in dots.
#include <gtest/gtest.h>

#include "harness/Country.h"
#include "settings/DefaultSettings.h"

TEST(DefaultSettings, HoldsBothPapersAndAllItems)
{
    DEFAULT_SETTINGS d;
    memset(&d, 0xCC, sizeof d);
    ASSERT_EQ(&d, LoadDefaultSettings(&d));
    EXPECT_EQ(0u, d.letter.paperId);
    EXPECT_EQ(1u, d.letter.paperCode);
    EXPECT_STREQ(L"Letter", d.letter.name);
    EXPECT_FLOAT_EQ(8.5f, d.letter.width);
    EXPECT_FLOAT_EQ(11.0f, d.letter.height);
    EXPECT_EQ(1u, d.letter.unit);
    EXPECT_EQ(1u, d.metric.paperId);
    EXPECT_EQ(9u, d.metric.paperCode);
    EXPECT_STREQ(L"A4", d.metric.name);
    EXPECT_EQ(0u, d.metric.unit);
    // Every byte after a name's terminator is zero.
    for (size_t i = 2; i < 256; ++i)
        ASSERT_EQ(0, d.metric.name[i]) << i;
    EXPECT_EQ(1u, d.items[DEFAULT_MEDIA_TYPE].publicValue);
    EXPECT_EQ(1u, d.items[DEFAULT_COPIES].value);
    EXPECT_EQ(4005u, d.items[DEFAULT_DUPLEX].nameId);
    EXPECT_EQ(1u, d.items[DEFAULT_DUPLEX].publicValue);
    EXPECT_EQ(100u, d.items[DEFAULT_SCALE].value);
    EXPECT_EQ(4011u, d.items[DEFAULT_ORIENTATION].nameId);
    EXPECT_EQ(600u, d.items[DEFAULT_RESOLUTION].publicValue);
    EXPECT_EQ(1u, d.items[DEFAULT_DENSITY].optionIndex);
    EXPECT_EQ(1u, d.items[DEFAULT_DENSITY].value);
    EXPECT_EQ(0u, d.items[DEFAULT_DENSITY].publicValue);
    EXPECT_EQ(0u, d.items[DEFAULT_FINE_GRAPHICS].value);
}

TEST(SetPaperSize, MillimetresAt600Dpi)
{
    PAPER_INFO p = {};
    SetPaperSize(&p, 210.0f, 297.0f, FALSE, 600);
    EXPECT_EQ(4960, p.width);
    EXPECT_EQ(7015, p.height);
    EXPECT_FLOAT_EQ(210.0f, p.widthMm);
    EXPECT_NEAR(8.2677, p.widthInch, 1e-4);
    EXPECT_NEAR(11.6929, p.heightInch, 1e-4);
}

TEST(SetPaperSize, InchesAt600And72Dpi)
{
    PAPER_INFO p = {};
    SetPaperSize(&p, 8.5f, 11.0f, TRUE, 600);
    EXPECT_EQ(5100, p.width);
    EXPECT_EQ(6600, p.height);
    EXPECT_NEAR(215.9, p.widthMm, 1e-3);
    EXPECT_NEAR(279.4, p.heightMm, 1e-3);
    SetPaperSize(&p, 8.5f, 11.0f, TRUE, 72);
    EXPECT_EQ(612, p.width);
    EXPECT_EQ(792, p.height);
}

TEST(SetPaperSize, DropsFractionsOfADot)
{
    PAPER_INFO p = {};
    SetPaperSize(&p, 100.0f, 100.0f, FALSE, 72);
    EXPECT_EQ(283, p.width);
    EXPECT_EQ(283, p.height);
}

TEST(PaperInfo, CopyCutsTheNameTo31Characters)
{
    PAPER_INFO from = {};
    for (int i = 0; i < 32; ++i)
        from.name[i] = L'a' + (i % 26);   // no terminator in the field
    from.id = 257;
    from.flag[3] = 1;
    PAPER_INFO to;
    memset(&to, 0xCC, sizeof to);
    CopyPaperInfo(&to, &from);
    EXPECT_EQ(257, to.id);
    EXPECT_EQ(1u, to.flag[3]);
    EXPECT_EQ(31u, wcslen(to.name));
    EXPECT_EQ(0, wmemcmp(from.name, to.name, 31));
}

TEST(PaperInfo, SetNameCutsLongNames)
{
    PAPER_INFO p = {};
    SetPaperName(&p, L"A name that is quite a bit longer than thirty-one characters");
    EXPECT_EQ(31u, wcslen(p.name));
    SetPaperName(&p, L"B5");
    EXPECT_STREQ(L"B5", p.name);
    EXPECT_EQ(0, p.name[5]);
}

namespace {
BOOL MetricFor(int country)
{
    harness::CountryOverride c(country);
    // The locale value is cached per process; each case sets only one country.
    return IsMetricLocale();
}
} // namespace

TEST(MetricLocaleCountry, UsAndCanadaTakeLetter) { EXPECT_FALSE(MetricFor(1)); }
TEST(MetricLocaleCountry, CountryTwoTakesLetter) { EXPECT_FALSE(MetricFor(2)); }
TEST(MetricLocaleCountry, CentralAmericaTakesLetter) { EXPECT_FALSE(MetricFor(52)); }
TEST(MetricLocaleCountry, SouthAmericaFiftyFiveTakesLetter) { EXPECT_FALSE(MetricFor(55)); }
TEST(MetricLocaleCountry, FiveHundredTwoTakesLetter) { EXPECT_FALSE(MetricFor(502)); }
TEST(MetricLocaleCountry, FiveNinetyNineTakesLetter) { EXPECT_FALSE(MetricFor(599)); }
TEST(MetricLocaleCountry, GermanyTakesA4) { EXPECT_TRUE(MetricFor(49)); }
TEST(MetricLocaleCountry, SixtyTakesA4) { EXPECT_TRUE(MetricFor(60)); }
TEST(MetricLocaleCountry, FourNinetyNineTakesA4) { EXPECT_TRUE(MetricFor(499)); }
TEST(MetricLocaleCountry, SixHundredTakesA4) { EXPECT_TRUE(MetricFor(600)); }

TEST(MetricLocaleCountry, ValueWithoutDigitsTakesA4)
{
    HKEY key = nullptr;
    ASSERT_EQ(0, RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\International", 0, nullptr, 0,
                                 KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key, nullptr));
    harness::CountryOverride restore(1);
    const wchar_t text[] = L"x1";
    RegSetValueExW(key, L"iCountry", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(key);
    EXPECT_TRUE(IsMetricLocale());
}
