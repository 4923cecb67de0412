#include "PpdModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using harness::PpdConstraint;
using harness::PpdFeature;
using harness::PpdModel;

namespace {

const PpdModel& printerPpd()
{
    static const std::optional<PpdModel> model = PpdModel::loadDefault();
    if (!model)
        throw std::runtime_error("bq2100PS.ppd beside the test program cannot be read");
    return *model;
}

std::vector<std::string> optionKeywords(const PpdFeature& f)
{
    std::vector<std::string> out;
    for (const auto& o : f.options)
        out.push_back(o.keyword);
    return out;
}

bool hasConstraint(const PpdModel& m, const std::string& f1, const std::string& o1, const std::string& f2,
                   const std::string& o2)
{
    return std::any_of(m.constraints().begin(), m.constraints().end(), [&](const PpdConstraint& c) {
        return c.feature == f1 && c.option == o1 && c.constrainedFeature == f2 && c.constrainedOption == o2;
    });
}

} // namespace

// --- the printer's PPD --------------------------------------------------------

TEST(PrinterPpd, GlobalsDescribeTheModel)
{
    const PpdModel& m = printerPpd();
    EXPECT_EQ("4.3", m.value("PPD-Adobe"));
    EXPECT_EQ("Brixom Q2100 Series", m.value("ModelName"));
    EXPECT_EQ("Brixom Q2100 Series PS", m.value("NickName"));
    EXPECT_EQ("BQ2100PS.PPD", m.value("PCFileName"));
    EXPECT_EQ("False", m.value("ColorDevice"));
    EXPECT_EQ("600dpi", m.value("DefaultResolution"));
    EXPECT_EQ(3, m.languageLevel());
    EXPECT_TRUE(m.customPageSize());
}

TEST(PrinterPpd, FeaturesInFileOrder)
{
    std::vector<std::string> keywords;
    for (const PpdFeature& f : printerPpd().features())
        keywords.push_back(f.keyword);
    EXPECT_EQ((std::vector<std::string>{"OptionalTray1", "OptionalTray2", "InstalledMemory", "PageSize", "PageRegion",
                                        "Duplex", "JCLMediaType", "JCLInputSlot", "JCLFeedEdge", "JCLTonerMode",
                                        "JCLDensity", "JCLGraphFine", "JCLPrintQuality", "JCLSleepTime"}),
              keywords);
}

TEST(PrinterPpd, InstallableOptionsFormTheirGroup)
{
    for (const PpdFeature& f : printerPpd().features()) {
        bool installable =
            f.keyword == "OptionalTray1" || f.keyword == "OptionalTray2" || f.keyword == "InstalledMemory";
        EXPECT_EQ(installable ? "InstallableOptions" : "", f.group) << f.keyword;
    }
    const PpdFeature* tray = printerPpd().feature("OptionalTray1");
    ASSERT_NE(nullptr, tray);
    EXPECT_EQ("Boolean", tray->uiType);
    EXPECT_EQ((std::vector<std::string>{"True", "False"}), optionKeywords(*tray));
    EXPECT_EQ("False", tray->defaultOption);
}

TEST(PrinterPpd, PageSizeStartsWithLetterThenA4)
{
    const PpdFeature* f = printerPpd().feature("PageSize");
    ASSERT_NE(nullptr, f);
    EXPECT_EQ((std::vector<std::string>{"Letter", "A4", "Legal", "Executive", "A5", "B5", "Statement", "Env10",
                                        "EnvDL", "EnvC5"}),
              optionKeywords(*f));
    EXPECT_EQ("Letter(8.5,11,143)", f->options[0].text);
    EXPECT_EQ("A4(210,297,15)", f->options[1].text);
    EXPECT_EQ("B5 (182,257,1)", f->options[5].text);
    EXPECT_EQ("Paper Size", f->text);
    EXPECT_EQ("Letter", f->defaultOption);
}

// Every paper text is name(width,height,flags) with flags below 256, and inch
// sizes (bit 7) are those of the inch papers.
TEST(PrinterPpd, PaperTextsCarrySizeAndFlags)
{
    for (const auto& o : printerPpd().feature("PageSize")->options) {
        size_t open = o.text.find('('), c1 = o.text.find(',', open), c2 = o.text.find(',', c1 + 1);
        ASSERT_NE(std::string::npos, c2) << o.text;
        ASSERT_EQ(')', o.text.back()) << o.text;
        double width = std::atof(o.text.substr(open + 1, c1 - open - 1).c_str());
        double height = std::atof(o.text.substr(c1 + 1, c2 - c1 - 1).c_str());
        int flags = std::atoi(o.text.substr(c2 + 1).c_str());
        EXPECT_GT(width, 0) << o.text;
        EXPECT_GT(height, width) << o.text;
        EXPECT_LT(flags, 256) << o.text;
        EXPECT_EQ(0, flags & 0x70) << o.text;
        bool inches = flags & 128;
        EXPECT_EQ(inches, width < 20) << o.text;
    }
}

TEST(PrinterPpd, EveryPaperHasRegionAreaAndDimension)
{
    const PpdModel& m = printerPpd();
    const PpdFeature* sizes = m.feature("PageSize");
    const PpdFeature* regions = m.feature("PageRegion");
    ASSERT_TRUE(sizes && regions);
    EXPECT_EQ(optionKeywords(*sizes), optionKeywords(*regions));
    for (const auto& o : sizes->options) {
        EXPECT_NE(nullptr, m.statement("ImageableArea", o.keyword)) << o.keyword;
        const auto* dimension = m.statement("PaperDimension", o.keyword);
        ASSERT_NE(nullptr, dimension) << o.keyword;
        EXPECT_NE(std::string::npos, m.statement("PageSize", o.keyword)->value.find("[" + dimension->value + "]"))
            << o.keyword;
    }
}

TEST(PrinterPpd, JclFeaturesHaveTheirOptionCounts)
{
    const PpdModel& m = printerPpd();
    std::pair<const char*, size_t> counts[] = {{"JCLMediaType", 7}, {"JCLInputSlot", 5}, {"JCLFeedEdge", 2},
                                               {"JCLTonerMode", 2}, {"JCLDensity", 3},   {"JCLGraphFine", 2},
                                               {"JCLPrintQuality", 2}, {"JCLSleepTime", 5}};
    for (auto [keyword, count] : counts) {
        const PpdFeature* f = m.feature(keyword);
        ASSERT_NE(nullptr, f) << keyword;
        EXPECT_TRUE(f->jcl) << keyword;
        EXPECT_EQ(count, f->options.size()) << keyword;
    }
    EXPECT_EQ("Plain", m.feature("JCLMediaType")->options[0].keyword);
    EXPECT_EQ((std::vector<std::string>{"Auto", "Tray", "Manual", "OptionalTray1", "OptionalTray2"}),
              optionKeywords(*m.feature("JCLInputSlot")));
    EXPECT_EQ((std::vector<std::string>{"Off", "On"}), optionKeywords(*m.feature("JCLTonerMode")));
    EXPECT_FALSE(m.feature("Duplex")->jcl);
}

TEST(PrinterPpd, DefaultsAreNotAlwaysTheFirstOption)
{
    const PpdModel& m = printerPpd();
    EXPECT_EQ(1, m.feature("JCLDensity")->defaultIndex());
    EXPECT_EQ("15Min", m.feature("JCLSleepTime")->defaultOption);
    EXPECT_EQ(2, m.feature("JCLSleepTime")->defaultIndex());
    EXPECT_EQ("None", m.feature("Duplex")->defaultOption);
}

TEST(PrinterPpd, SleepTimeTextsAreMinutes)
{
    std::vector<std::string> texts;
    for (const auto& o : printerPpd().feature("JCLSleepTime")->options)
        texts.push_back(o.text);
    EXPECT_EQ((std::vector<std::string>{"1", "5", "15", "30", "60"}), texts);
}

TEST(PrinterPpd, ConstraintsAreListedBothWays)
{
    const PpdModel& m = printerPpd();
    ASSERT_FALSE(m.constraints().empty());
    for (const PpdConstraint& c : m.constraints())
        EXPECT_TRUE(hasConstraint(m, c.constrainedFeature, c.constrainedOption, c.feature, c.option))
            << c.feature << " " << c.option << " / " << c.constrainedFeature << " " << c.constrainedOption;
}

TEST(PrinterPpd, ConstraintsNameExistingOptions)
{
    const PpdModel& m = printerPpd();
    for (const PpdConstraint& c : m.constraints()) {
        const PpdFeature* a = m.feature(c.feature);
        const PpdFeature* b = m.feature(c.constrainedFeature);
        ASSERT_TRUE(a && b) << c.feature << " / " << c.constrainedFeature;
        EXPECT_GE(a->findOption(c.option), 0) << c.feature << " " << c.option;
        EXPECT_GE(b->findOption(c.constrainedOption), 0) << c.constrainedFeature << " " << c.constrainedOption;
    }
}

TEST(PrinterPpd, ConstraintsThatTheDocumentsRelyOn)
{
    const PpdModel& m = printerPpd();
    EXPECT_TRUE(hasConstraint(m, "OptionalTray1", "False", "OptionalTray2", "True"));
    EXPECT_TRUE(hasConstraint(m, "OptionalTray1", "False", "JCLInputSlot", "OptionalTray1"));
    EXPECT_TRUE(hasConstraint(m, "OptionalTray2", "False", "JCLInputSlot", "OptionalTray2"));
    EXPECT_TRUE(hasConstraint(m, "JCLMediaType", "Thick", "Duplex", "DuplexTumble"));
    EXPECT_TRUE(hasConstraint(m, "PageSize", "Env10", "Duplex", "DuplexNoTumble"));
    EXPECT_FALSE(hasConstraint(m, "JCLMediaType", "Plain", "Duplex", "DuplexTumble"));
    EXPECT_FALSE(hasConstraint(m, "JCLMediaType", "Recycled", "JCLInputSlot", "OptionalTray1"));
    EXPECT_FALSE(hasConstraint(m, "PageSize", "Letter", "Duplex", "DuplexTumble"));
}

TEST(PrinterPpd, DefaultsAreFreeOfConflicts)
{
    const PpdModel& m = printerPpd();
    for (const PpdConstraint& c : m.constraints())
        EXPECT_FALSE(m.feature(c.feature)->defaultOption == c.option &&
                     m.feature(c.constrainedFeature)->defaultOption == c.constrainedOption)
            << c.feature << " " << c.option << " / " << c.constrainedFeature << " " << c.constrainedOption;
}

// --- the reader -----------------------------------------------------------------

TEST(PpdReader, QuotedValuesSpanLinesWithoutMakingStatements)
{
    PpdModel m = PpdModel::parse("*OpenUI *X/Ex: PickOne\n"
                                 "*X A/Alpha: \"first\n"
                                 "*X B/Bravo: not an option\n"
                                 "last\"\n"
                                 "*End\n"
                                 "*X C: \"\"\n"
                                 "*CloseUI: *X\n");
    const PpdFeature* x = m.feature("X");
    ASSERT_NE(nullptr, x);
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), optionKeywords(*x));
    EXPECT_EQ("first\n*X B/Bravo: not an option\nlast", m.statement("X", "A")->value);
    EXPECT_EQ("C", x->options[1].text); // no translation: the keyword
}

TEST(PpdReader, CarriageReturnsAndHexTranslations)
{
    PpdModel m = PpdModel::parse("*OpenUI *Y/Why<3F>: PickOne\r\n*Y Q/Cura<E7>ao <<41>: \"\"\r\n*CloseUI: *Y\r\n");
    const PpdFeature* y = m.feature("Y");
    ASSERT_NE(nullptr, y);
    EXPECT_EQ("Why?", y->text);
    ASSERT_EQ(1u, y->options.size());
    EXPECT_EQ("Cura\xE7" "ao <A", y->options[0].text);
}

TEST(PpdReader, MissingOrUnknownDefaultTakesFirstOption)
{
    PpdModel m = PpdModel::parse("*OpenUI *A: PickOne\n*A one: \"\"\n*A two: \"\"\n*CloseUI: *A\n"
                                 "*OpenUI *B: PickOne\n*DefaultB: three\n*B one: \"\"\n*B two: \"\"\n*CloseUI: *B\n"
                                 "*DefaultA: two\n");
    EXPECT_EQ("two", m.feature("A")->defaultOption); // a default after the block counts too
    EXPECT_EQ("one", m.feature("B")->defaultOption);
}

TEST(PpdReader, ConstraintWithoutOptionsAndMalformedOnes)
{
    PpdModel m = PpdModel::parse("*UIConstraints: *Duplex *PageSize Env10\n"
                                 "*UIConstraints: *Duplex\n"
                                 "*UIConstraints: Duplex None PageSize\n"
                                 "*UIConstraints: *A x *B y *C z\n");
    ASSERT_EQ(1u, m.constraints().size());
    const PpdConstraint& c = m.constraints()[0];
    EXPECT_EQ("Duplex", c.feature);
    EXPECT_EQ("", c.option);
    EXPECT_EQ("PageSize", c.constrainedFeature);
    EXPECT_EQ("Env10", c.constrainedOption);
}

TEST(PpdReader, OptionsOutsideTheirBlockAndStrayLinesAreIgnored)
{
    PpdModel m = PpdModel::parse("junk line\n*\n*CloseUI: *Nothing\n*% comment *OpenUI *Z: PickOne\n"
                                 "*OpenUI *Z: PickOne\n*Z a: \"\"\n*CloseUI: *Z\n*Z b: \"\"\n*CloseGroup: None\n"
                                 "*OpenUI Z2: PickOne\n*NoColon\n");
    ASSERT_EQ(1u, m.features().size());
    EXPECT_EQ((std::vector<std::string>{"a"}), optionKeywords(m.features()[0]));
    EXPECT_EQ(1, m.languageLevel());
    EXPECT_FALSE(m.customPageSize());
}

TEST(PpdReader, UnterminatedQuoteEndsWithTheFile)
{
    PpdModel m = PpdModel::parse("*OpenUI *Q: PickOne\n*Q a: \"never closed\n*Q b: x\n");
    ASSERT_EQ(1u, m.features().size());
    EXPECT_EQ(1u, m.features()[0].options.size());
    EXPECT_EQ("never closed\n*Q b: x\n", m.statement("Q", "a")->value);
}

TEST(PpdReader, GroupsNestAndEnd)
{
    PpdModel m = PpdModel::parse("*OpenGroup: InstallableOptions/Installed\n*OpenUI *T: Boolean\n*CloseUI: *T\n"
                                 "*CloseGroup: InstallableOptions\n*OpenUI *U: PickOne\n*CloseUI: *U\n");
    EXPECT_EQ("InstallableOptions", m.feature("T")->group);
    EXPECT_EQ("", m.feature("U")->group);
}

TEST(PpdReader, MissingFileIsNoModel)
{
    EXPECT_FALSE(PpdModel::load(L"C:\\no such folder\\none.ppd"));
}
