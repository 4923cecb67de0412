// Option access by feature keyword and the per-sheet settings.
#include "SettingsFixture.h"

#include "settings/FeatureSettings.h"
#include "settings/Features.h"

using namespace settings_test;
using harness::AttributeValue;
using harness::CoreMethod;

namespace {

// A head made with a model but marked unusable, as the temporary lists are.
class UnusableAccess : public CFeatureAccess {
public:
    UnusableAccess(CFeatures* features, CUIHelper* core, const OEMUIPSPARAM* param)
        : CFeatureAccess(features, core, param)
    {
        m_valid = 0;
    }
};

class FeatureAccess : public DriverFixture {
protected:
    void SetUp() override
    {
        DriverFixture::SetUp();
        ASSERT_EQ(S_OK, model.Acquire(heap.get(), &helper, core->uiObject(), FALSE));
        access = CFeatureAccess(&model, &helper, &param);
        core->clearCalls();
    }

    // The bytes, cbIn and flags of the one SetOptions call so far.
    harness::CoreCall onlyWrite()
    {
        std::vector<harness::CoreCall> writes = calls(CoreMethod::SetOptions);
        EXPECT_EQ(1u, writes.size());
        return writes.empty() ? harness::CoreCall{} : writes.back();
    }

    CFeatures model;
    CFeatureAccess access;
};

} // namespace

TEST_F(FeatureAccess, FindsDocumentFeaturesByTheirPositionAmongThem)
{
    WORD index = 99;
    ASSERT_EQ(S_OK, access.FindFeature("PageSize", &index));
    EXPECT_EQ(0, index);  // the three installable options come before it
    ASSERT_EQ(S_OK, access.FindFeature("JCLSleepTime", &index));
    EXPECT_STREQ("JCLSleepTime", model.GetKeyword(model.GetFeatureIndex(index, 1)));
    index = 99;
    EXPECT_EQ(E_FAIL, access.FindFeature("InstalledMemory", &index));
    EXPECT_EQ(E_FAIL, access.FindFeature("pagesize", &index));
    EXPECT_EQ(99, index);
    EXPECT_EQ(E_INVALIDARG, access.FindFeature(nullptr, &index));
    EXPECT_EQ(E_INVALIDARG, access.FindFeature("PageSize", nullptr));
    EXPECT_EQ(E_INVALIDARG, CFeatureAccess().FindFeature("PageSize", &index));
    EXPECT_EQ(E_NOTIMPL, UnusableAccess(&model, &helper, &param).FindFeature("PageSize", &index));
}

TEST_F(FeatureAccess, CountsAndNamesReachTheFeatureAskedFor)
{
    EXPECT_EQ(7, access.GetMediaTypeCount());
    EXPECT_EQ(5, access.GetInputSlotCount());
    EXPECT_EQ(7, access.GetPagesPerSheetCount());
    EXPECT_EQ(5, access.GetSleepTimeCount());
    EXPECT_STREQ(L"Two-Sided Printing", access.GetDuplexDisplayName());
    EXPECT_STREQ(L"Media Type", access.GetFeatureDisplayName("JCLMediaType"));
    EXPECT_STREQ(L"Thin Paper", access.GetOptionDisplayName("JCLMediaType", 2));
    EXPECT_EQ(&model.GetFeatureInfo(model.GetFeatureIndex(0, 1))->options, access.GetFeatureOptions("PageSize"));
    EXPECT_STREQ("15Min", access.GetSleepTimeOption(2));

    // Names of the common UI's rows come as texts too.
    const WCHAR* portrait = access.GetOptionDisplayName("%Orientation", 0);
    ASSERT_FALSE(IsDisplayNameId(portrait));
    EXPECT_FALSE(IsDisplayNameId(access.GetFeatureDisplayName("%PagePerSheet")));

    EXPECT_EQ(nullptr, access.GetOptionDisplayName("JCLMediaType", 7));
    EXPECT_EQ(nullptr, access.GetOptionDisplayName(nullptr, 0));
    EXPECT_EQ(nullptr, access.GetOptionDisplayName("%CustomPageSize", 0));
    EXPECT_EQ(nullptr, access.GetSleepTimeOption(5));
    EXPECT_EQ(nullptr, access.GetFeatureOptions(nullptr));
}

TEST_F(FeatureAccess, PrinterFeaturesAndUnusableHeadsAnswerNothing)
{
    EXPECT_EQ(nullptr, access.GetFeatureOptions("InstalledMemory"));
    EXPECT_EQ(nullptr, access.GetOptionDisplayName("InstalledMemory", 0));
    EXPECT_EQ(nullptr, access.GetFeatureDisplayName("OptionalTray1"));
    EXPECT_EQ(E_FAIL, access.SetFeatureOption("InstalledMemory", 1));

    UnusableAccess unusable(&model, &helper, &param);
    EXPECT_EQ(0, unusable.GetMediaTypeCount());
    EXPECT_EQ(nullptr, unusable.GetDuplexDisplayName());
    EXPECT_EQ(nullptr, unusable.GetSleepTimeOption(0));
    EXPECT_EQ(nullptr, unusable.GetFeatureOptions("PageSize"));
    EXPECT_EQ(E_NOTIMPL, unusable.SetFeatureOption("JCLMediaType", 1));
    EXPECT_EQ(E_NOTIMPL, unusable.SetCustomPageSize(612, 792));
    DWORD size = 77;
    EXPECT_EQ(nullptr, unusable.GetSleepTimeDefault(&size));
    EXPECT_EQ(77u, size);

    CFeatureAccess bare;
    EXPECT_FALSE(bare.IsValid());
    EXPECT_EQ(0, bare.GetSleepTimeCount());
    EXPECT_EQ(E_INVALIDARG, bare.SetFeatureOption("JCLMediaType", 1));
    EXPECT_EQ(E_INVALIDARG, bare.SetCustomPageSize(612, 792));
    EXPECT_TRUE(core->calls().empty());
}

TEST_F(FeatureAccess, WritesAnOptionAsAPairList)
{
    ASSERT_EQ(S_OK, access.SetFeatureOption("JCLMediaType", 2));
    harness::CoreCall write = onlyWrite();
    EXPECT_EQ(bytes("JCLMediaType\0Thin\0\0\0", 20), write.input);
    EXPECT_EQ(20u, write.cbIn);
    EXPECT_EQ((DWORD)SETOPTIONS_FLAG_KEEP_CONFLICT, write.flags);
    EXPECT_EQ("Thin", core->selection("JCLMediaType"));

    core->clearCalls();
    int blocks = heap.busyBlocks();
    ASSERT_EQ(S_OK, access.SetFeatureOption("JCLMediaType", 1));
    write = onlyWrite();
    EXPECT_EQ(bytes("JCLMediaType\0Thick\0\0\0", 21), write.input);
    EXPECT_EQ(21u, write.cbIn);
    EXPECT_EQ(blocks, heap.busyBlocks()) << "the pair buffer is freed";
}

TEST_F(FeatureAccess, RefusedWritesSendNothingOrBecomeFail)
{
    EXPECT_EQ(E_FAIL, access.SetFeatureOption("JCLMediaType", 7));
    EXPECT_EQ(E_FAIL, access.SetFeatureOption("%CustomPageSize", 0));
    EXPECT_EQ(E_FAIL, access.SetFeatureOption("NoSuchFeature", 0));
    EXPECT_EQ(E_INVALIDARG, access.SetFeatureOption(nullptr, 0));
    OEMUIPSPARAM noHeap = param;
    noHeap.hOEMHeap = nullptr;
    EXPECT_EQ(E_INVALIDARG, CFeatureAccess(&model, &helper, &noHeap).SetFeatureOption("JCLMediaType", 1));
    EXPECT_EQ(E_INVALIDARG, CFeatureAccess(&model, &helper, nullptr).SetFeatureOption("JCLMediaType", 1));
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));

    core->failCall(CoreMethod::SetOptions, E_ACCESSDENIED);
    EXPECT_EQ(E_FAIL, access.SetFeatureOption("JCLMediaType", 1));
    EXPECT_EQ("Plain", core->selection("JCLMediaType"));
}

TEST_F(FeatureAccess, WritesACustomPageSizeInPoints)
{
    ASSERT_EQ(S_OK, access.SetCustomPageSize(612, 792));
    harness::CoreCall write = onlyWrite();
    const char expected[] = "%CustomPageSize\0" "612 792 0 0 ShortEdge\0";
    EXPECT_EQ(bytes(expected, sizeof expected), write.input);
    EXPECT_EQ(39u, write.cbIn);
    EXPECT_EQ((DWORD)SETOPTIONS_FLAG_KEEP_CONFLICT, write.flags);
    EXPECT_EQ("612 792 0 0 ShortEdge", core->selection("%CustomPageSize"));

    // The driver's answer comes back as it is.
    core->failCall(CoreMethod::SetOptions, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, access.SetCustomPageSize(256, 341));
    EXPECT_EQ(E_INVALIDARG, access.SetCustomPageSize(-5, 341));  // the driver refuses it
    EXPECT_EQ("612 792 0 0 ShortEdge", core->selection("%CustomPageSize"));
}

TEST_F(FeatureAccess, ReadsTheSleepTimeDefaultOnTheSheetsHeap)
{
    DWORD size = 0;
    char* text = access.GetSleepTimeDefault(&size);
    ASSERT_TRUE(text);
    EXPECT_STREQ("15Min", text);
    EXPECT_EQ(6u, size);
    EXPECT_TRUE(HeapFree(heap.get(), 0, text));
    std::vector<harness::CoreCall> reads = calls(CoreMethod::GetFeatureAttribute);
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ(255u, reads[0].cbSize);
    EXPECT_EQ("DefaultOption", reads[0].attribute);

    std::string longName(300, 'M');
    core->setFeatureAttribute("JCLSleepTime", "DefaultOption", AttributeValue::ascii(longName));
    core->clearCalls();
    text = access.GetSleepTimeDefault(&size);
    ASSERT_TRUE(text);
    EXPECT_EQ(longName, text);
    EXPECT_EQ(301u, size);
    HeapFree(heap.get(), 0, text);
    reads = calls(CoreMethod::GetFeatureAttribute);
    ASSERT_EQ(2u, reads.size());
    EXPECT_EQ(301u, reads[1].cbSize);

    core->understateNeededSize(CoreMethod::GetFeatureAttribute);
    EXPECT_EQ(nullptr, access.GetSleepTimeDefault(&size));
    EXPECT_EQ(0u, size);
    core->failCall(CoreMethod::GetFeatureAttribute, E_FAIL, 2);
    EXPECT_EQ(nullptr, access.GetSleepTimeDefault(&size));
    EXPECT_EQ(0u, size);
}

// Its paper list reads the custom-paper file.
class SheetSettingsDataFile : public FeatureAccess {};

TEST_F(SheetSettingsDataFile, CarryTheirPaperList)
{
    CFeatureSettings settings(&model, &helper, &param);
    EXPECT_TRUE(settings.IsValid());
    EXPECT_EQ(&param, settings.SheetParam());
    EXPECT_EQ(&model, settings.GetFeatures());
    EXPECT_EQ(heap.get(), settings.GetHeap());
    EXPECT_EQ(7, settings.GetMediaTypeCount());
    EXPECT_EQ(10, settings.PaperList().GetStandardCount());
    EXPECT_TRUE(settings.PaperList().IsValid());
    EXPECT_EQ(S_OK, settings.SetFeatureOption("Duplex", 1));
    EXPECT_EQ("DuplexNoTumble", core->selection("Duplex"));
}
