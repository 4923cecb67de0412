// The printer sheet's tree of installable-option features and its apply.
#include "settings/SettingsFixture.h"

#include "harness/Files.h"
#include "harness/LanguagePatch.h"
#include "harness/TestPrinter.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"
#include "settings/Features.h"
#include "sheets/FeatureTree.h"
#include "sheets/OemItems.h"

#include <string>
#include <vector>

using namespace settings_test;
using harness::AttributeValue;
using harness::CoreMethod;

namespace {

// What the conflict boxes showed; the answer the user gives.
struct Box {
    HWND owner;
    std::wstring text, caption;
    UINT type;
};
std::vector<Box> g_boxes;
int g_answer = IDNO;

int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    g_boxes.push_back({ owner, text ? text : L"", caption ? caption : L"", type });
    return g_answer;
}

// Forwards to the double; can stand for a driver that never resolves.
class TestHelper : public CUIHelper {
public:
    bool neverResolves = false;
    HRESULT SetOptions(POEMUIOBJ o, DWORD flags, PCSTR list, DWORD cbIn, PDWORD result) override
    {
        HRESULT hr = CUIHelper::SetOptions(o, flags, list, cbIn, result);
        if (neverResolves && result)
            *result = SETOPTIONS_RESULT_CONFLICT_REMAINED;
        return hr;
    }
};

// The process-wide language module replaced by a copy whose conflict caption
// and question are these (an empty text leaves a string out).
struct LanguageStrings {
    LanguageStrings(const std::wstring& caption, const std::wstring& question)
        : copy({ { IDS_TREE_CALLER, caption }, { IDS_TREE_CONFLICT, question } }, harness::temporaryFolder()),
          module(copy.load()), standIn(module)
    {
    }
    bool ok() const { return module != nullptr; }

    harness::PatchedLanguageModule copy;
    HMODULE module;
    LanguageModule standIn;
};

const HWND kOwner = reinterpret_cast<HWND>(0x1234);
// The list SetOptions gets: 2 + (13 + 4 + 2) bytes.
const std::string kTray2True("OptionalTray2\0True\0\0", 21);

// The model over the double and the printer sheet's items, made as the sheet makes them.
class FeatureTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        LoadResourceModule(GetResourceModule(), printer.handle());
        ASSERT_NE(nullptr, GetResourceModule()->module);
        core = harness::CoreDriver::fromDefaultPpd();
        ASSERT_TRUE(core);
        attach(helper, *core);
        g_boxes.clear();
        g_answer = IDNO;
        g_seams.MessageBoxW = &RecordBox;
    }
    void TearDown() override
    {
        ResetSystemSeams();
        model.Clear();
        helper.Release();
    }
    void build()
    {
        ASSERT_EQ(S_OK, model.Acquire(heap.get(), &helper, core->uiObject(), FALSE));
        count = model.GetPrinterCount();
        items = AllocOptItems(heap.get(), count);
        ASSERT_TRUE(items);
        for (WORD i = 0; i < count; ++i) {
            items[i].Level = 1;
            items[i].Flags = OPTIF_COLLAPSE;
            ASSERT_EQ(S_OK, model.InitPrinterOptItem(heap.get(), &items[i], i));
        }
    }
    OPTITEM& item(const char* keyword)
    {
        for (WORD i = 0; i < count; ++i)
            if (strcmp(GetFeatureItemData(&items[i])->featureKeyword, keyword) == 0)
                return items[i];
        ADD_FAILURE() << keyword << " is no item";
        return items[0];
    }
    // The user's choice, as the common property-sheet UI records it.
    void choose(const char* keyword, const char* option)
    {
        OPTITEM& it = item(keyword);
        it.Sel = GetFeatureItemData(&it)->options->FindOption(option, 0xFFFF);
        it.Flags |= OPTIF_CHANGEONCE;
    }
    void chooseNumber(const char* keyword, LONG n)
    {
        item(keyword).Sel = n;
        item(keyword).Flags |= OPTIF_CHANGEONCE;
    }
    HRESULT apply() { return SaveFeatureOptItems(heap.get(), &helper, core->uiObject(), kOwner, items, count); }
    std::vector<harness::CoreCall> sets() const { return core->calls(CoreMethod::SetOptions); }

    harness::TestPrinter printer;
    std::unique_ptr<harness::CoreDriver> core;
    PrivateHeap heap;
    TestHelper helper;
    CFeatures model;
    OPTITEM* items = nullptr;
    WORD count = 0;
};

std::wstring text(const WCHAR* p) { return IsDisplayNameId(p) ? L"<id>" : p; }

} // namespace

TEST_F(FeatureTree, ItemsShowTheInstallableOptionsInTheirOrder)
{
    build();
    ASSERT_EQ(6, count);
    const char* expected[] = { "OptionalTray1", "OptionalTray2", "InstalledMemory", "%PSMemory", "%JobTimeout",
                               "%WaitTimeout" };
    for (WORD i = 0; i < count; ++i) {
        const FEATURE_ITEM_DATA* data = GetFeatureItemData(&items[i]);
        ASSERT_TRUE(data);
        EXPECT_STREQ(expected[i], data->featureKeyword);
        EXPECT_EQ(0, memcmp("RTEF", reinterpret_cast<const char*>(data) + 4, 4));
        EXPECT_EQ(24u, HeapSize(heap.get(), 0, data));
        EXPECT_EQ(OPTIF_COLLAPSE, items[i].Flags);
    }

    const OPTITEM& memory = item("InstalledMemory");
    EXPECT_EQ(L"Printer Memory", text(memory.pName));
    ASSERT_TRUE(memory.pOptType);
    EXPECT_NE((SIZE_T)-1, HeapSize(heap.get(), 0, memory.pOptType));
    EXPECT_EQ(TVOT_COMBOBOX, memory.pOptType->Type);
    ASSERT_EQ(3, memory.pOptType->Count);
    EXPECT_EQ(L"256 MB", text(memory.pOptType->pOptParam[2].pData));
    EXPECT_EQ(0, memory.Sel);
    EXPECT_EQ(1, item("OptionalTray1").Sel);  // "False"

    const OPTITEM& ps = item("%PSMemory");
    EXPECT_EQ(L"Available PostScript Memory", text(ps.pName));
    ASSERT_TRUE(ps.pOptType);
    EXPECT_EQ(TVOT_UDARROW, ps.pOptType->Type);
    ASSERT_EQ(2, ps.pOptType->Count);
    EXPECT_EQ(nullptr, ps.pOptType->pOptParam[0].pData);
    EXPECT_EQ(249u, ps.pOptType->pOptParam[1].IconID);
    EXPECT_EQ(32767, ps.pOptType->pOptParam[1].lParam);
    EXPECT_EQ(4096, ps.Sel);
}

TEST_F(FeatureTree, AFeatureWithoutOptionsHasNoOptionTypeAndIsNeverSent)
{
    core->setFeatureAttribute("%CustomPageSize", "OpenGroupType", AttributeValue::ascii("InstallableOptions"));
    build();
    OPTITEM& custom = item("%CustomPageSize");
    EXPECT_EQ(nullptr, custom.pOptType);
    custom.Flags |= OPTIF_CHANGEONCE;
    EXPECT_EQ(nullptr, GetItemOptionKeyword(heap.get(), &custom));
    EXPECT_EQ(S_OK, apply());
    EXPECT_TRUE(sets().empty());
}

TEST_F(FeatureTree, RefusesItemsBeyondThePrinterFeatures)
{
    OPTITEM one = {};
    EXPECT_EQ(E_INVALIDARG, model.InitPrinterOptItem(heap.get(), &one, 0));  // empty model
    build();
    EXPECT_EQ(E_INVALIDARG, model.InitPrinterOptItem(heap.get(), &one, count));
    EXPECT_EQ(E_INVALIDARG, model.InitPrinterOptItem(heap.get(), nullptr, 0));
    EXPECT_EQ(0u, one.UserData);
}

TEST_F(FeatureTree, AChangedUpDownItemIsSentAsItsNumber)
{
    build();
    EXPECT_EQ(S_OK, apply());
    EXPECT_TRUE(sets().empty());

    chooseNumber("%JobTimeout", 30);
    EXPECT_EQ(S_OK, apply());
    auto calls = sets();
    ASSERT_EQ(1u, calls.size());
    // 2 + the keyword, its NUL, the number, its NUL.
    EXPECT_EQ(std::string("%JobTimeout\0" "30\0\0\0", 17), calls[0].input);
    EXPECT_EQ(17u, calls[0].cbIn);
    EXPECT_EQ((DWORD)SETOPTIONS_FLAG_KEEP_CONFLICT, calls[0].flags);
    EXPECT_EQ("30", core->selection("%JobTimeout"));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(FeatureTree, ChangedItemsGoInItemOrderAndForeignItemsNever)
{
    build();
    choose("InstalledMemory", "256MB");
    choose("OptionalTray1", "True");
    // Items of someone else, changed as well.
    FEATURE_ITEM_DATA wrongTag = *GetFeatureItemData(&item("OptionalTray2"));
    wrongTag.tag = 0x52544546;
    FEATURE_ITEM_DATA wrongSize = wrongTag;
    wrongSize.tag = FEATURE_ITEM_TAG;
    wrongSize.size = 32;
    std::vector<OPTITEM> all(items, items + count);
    for (ULONG_PTR data : { (ULONG_PTR)&wrongTag, (ULONG_PTR)&wrongSize, (ULONG_PTR)5 }) {
        OPTITEM foreign = item("OptionalTray2");
        foreign.Flags |= OPTIF_CHANGEONCE;
        foreign.Sel = 0;
        foreign.UserData = data;
        all.push_back(foreign);
    }
    EXPECT_EQ(S_OK, SaveFeatureOptItems(heap.get(), &helper, core->uiObject(), kOwner, all.data(), (WORD)all.size()));
    auto calls = sets();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(std::string("OptionalTray1\0True\0InstalledMemory\0" "256MB\0\0\0", 43), calls[0].input);
    EXPECT_EQ(2u + (13 + 4 + 2) + (15 + 5 + 2), calls[0].cbIn);
    EXPECT_EQ("False", core->selection("OptionalTray2"));
}

TEST_F(FeatureTree, AFailedSendIsReturnedWithoutAQuestion)
{
    build();
    choose("OptionalTray2", "True");
    core->failCall(CoreMethod::SetOptions, E_ACCESSDENIED);
    EXPECT_EQ(E_ACCESSDENIED, apply());
    EXPECT_EQ(E_INVALIDARG, SaveFeatureOptItems(nullptr, &helper, core->uiObject(), kOwner, items, count));
    EXPECT_EQ(E_INVALIDARG, SaveFeatureOptItems(heap.get(), nullptr, core->uiObject(), kOwner, items, count));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(FeatureTree, ARemainingConflictIsAskedWithBothSidesInOrder)
{
    build();
    choose("OptionalTray2", "True");  // tray 2 needs tray 1, which is not installed
    EXPECT_EQ(E_FAIL, apply());
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(kOwner, g_boxes[0].owner);
    EXPECT_EQ(L"Brixom Q2100 Series PS", g_boxes[0].caption);
    EXPECT_EQ((UINT)(MB_YESNO | MB_ICONWARNING), g_boxes[0].type);
    EXPECT_EQ(0u, g_boxes[0].text.find(L"The setting Optional Tray 1: Not Installed conflicts with "
                                       L"Optional Tray 2: Installed."))
        << g_boxes[0].text.c_str();

    LanguageStrings strings(L"Conflict", L"[%4][%3][%2][%1] 100%% sure");
    ASSERT_TRUE(strings.ok());
    EXPECT_EQ(E_FAIL, apply());
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(L"[Installed][Optional Tray 2][Not Installed][Optional Tray 1] 100% sure", g_boxes[1].text);
    EXPECT_EQ(L"Conflict", g_boxes[1].caption);
}

TEST_F(FeatureTree, NoRefusesAndLeavesTheFirstOptionsSet)
{
    build();
    choose("OptionalTray2", "True");
    int before = heap.busyBlocks();
    EXPECT_EQ(E_FAIL, apply());
    EXPECT_EQ(before, heap.busyBlocks());
    ASSERT_EQ(1u, sets().size());
    EXPECT_EQ(kTray2True, sets()[0].input);
    EXPECT_EQ("True", core->selection("OptionalTray2"));
    EXPECT_EQ("False", core->selection("OptionalTray1"));
    EXPECT_EQ(1, item("OptionalTray1").Sel);
}

TEST_F(FeatureTree, YesLetsTheDriverResolveAndReadsEveryItemBack)
{
    build();
    choose("OptionalTray2", "True");
    core->setSelection("%WaitTimeout", "120");  // changed behind the sheet's back
    g_answer = IDYES;
    int before = heap.busyBlocks();
    EXPECT_EQ(S_OK, apply());
    EXPECT_EQ(before, heap.busyBlocks());
    auto calls = sets();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((DWORD)SETOPTIONS_FLAG_RESOLVE_CONFLICT, calls[1].flags);
    EXPECT_EQ(kTray2True, calls[1].input);
    EXPECT_EQ("True", core->selection("OptionalTray1"));
    // The item the user did not touch shows the driver's resolution.
    EXPECT_EQ(0, item("OptionalTray1").Sel);
    EXPECT_EQ(0u, GetFeatureItemData(&item("OptionalTray1"))->options->GetCurrent());
    EXPECT_EQ(120, item("%WaitTimeout").Sel);

    // A driver that keeps the conflict, or fails, refuses the apply.
    choose("OptionalTray1", "False");
    helper.neverResolves = true;
    EXPECT_EQ(E_FAIL, apply());
    helper.neverResolves = false;
    choose("OptionalTray1", "False");
    choose("OptionalTray2", "True");
    core->failCall(CoreMethod::SetOptions, E_ACCESSDENIED, 2);
    EXPECT_EQ(E_ACCESSDENIED, apply());
}

TEST_F(FeatureTree, NamesThatAreStringIdsReachTheQuestionAsTexts)
{
    core->removeDisplayName("OptionalTray1", "False");
    core->removeDisplayName("OptionalTray2", "True");
    build();
    if (!GetModuleHandleW(L"compstui.dll")) {  // then the names stay ids for the common UI
        EXPECT_TRUE(IsDisplayNameId(item("OptionalTray2").pOptType->pOptParam[0].pData));
    }
    choose("OptionalTray2", "True");
    item("OptionalTray2").pName = stringId(64738);
    EXPECT_EQ(E_FAIL, apply());
    ASSERT_EQ(1u, g_boxes.size());
    std::wstring no = compstuiString(64726), yes = compstuiString(64727);
    std::wstring expected = L"The setting Optional Tray 1: " + (no.empty() ? L"False" : no) +
                            L" conflicts with OptionalTray2: " + (yes.empty() ? L"True" : yes) + L".";
    EXPECT_EQ(0u, g_boxes[0].text.find(expected)) << g_boxes[0].text.c_str();
}

TEST_F(FeatureTree, AConflictNoChangedItemExplainsIsToldAndRefused)
{
    build();
    core->setSelection("OptionalTray2", "True");  // a conflict the user did not make
    choose("InstalledMemory", "128MB");
    EXPECT_EQ(E_UNEXPECTED, apply());
    chooseNumber("%JobTimeout", 5);  // the driver tells nothing of its own features
    item("InstalledMemory").Flags &= ~OPTIF_CHANGEONCE;
    EXPECT_EQ(E_INVALIDARG, apply());
    ASSERT_EQ(2u, g_boxes.size());
    for (const Box& box : g_boxes) {
        EXPECT_EQ(L"Brixom Q2100 Series PS", box.caption);
        EXPECT_EQ((UINT)(MB_OK | MB_ICONWARNING), box.type);
        EXPECT_FALSE(box.text.empty());
    }
}

TEST_F(FeatureTree, UnusableStringsAndFailedQueriesGiveTheirErrorWithoutABox)
{
    build();
    choose("OptionalTray2", "True");
    core->failCall(CoreMethod::WhyConstrained, E_FAIL);
    EXPECT_EQ(E_FAIL, apply());
    // More inserts than four, a width from the arguments, an open format, and
    // every form of a conversion that writes through its argument.
    const WCHAR* refused[] = { L"%1 %2 %3 %4 %5", L"%10", L"%1!*s! %2", L"%1!s",
                               L"%1!n!",          L"%2!hn!", L"%3!lln!", L"%1!I64n!",
                               L"%4!5n!",         L"%1!s%n!", L"%1!-08.3ln! %2" };
    for (const WCHAR* question : refused) {
        LanguageStrings strings(L"Conflict", question);
        ASSERT_TRUE(strings.ok());
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER), apply()) << question;
    }
    {
        LanguageStrings strings(L"Conflict", L"");
        ASSERT_TRUE(strings.ok());
        HRESULT hr = apply();
        EXPECT_TRUE(FAILED(hr) && hr != E_FAIL) << std::hex << hr;
    }
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(FeatureTree, FindsTheConflictingItemAndFreesWhatItFound)
{
    build();
    choose("OptionalTray1", "False");
    choose("OptionalTray2", "True");
    int before = heap.busyBlocks();
    CONFLICT_INFO info = {};
    ASSERT_EQ(S_OK, FindConflictingItem(heap.get(), &helper, core->uiObject(), items, count, &info));
    EXPECT_STREQ("OptionalTray2", info.featureKeyword);
    EXPECT_EQ(std::wstring(L"Optional Tray 2"), info.itemName);
    EXPECT_STREQ("True", info.optionKeyword);
    EXPECT_EQ(std::wstring(L"Installed"), info.optionText);
    EXPECT_EQ(std::string("OptionalTray1\0False\0", 20), std::string(info.whyConstrained, 20));
    EXPECT_EQ(1024u, info.whyConstrainedSize);
    // Both changed items were asked, in order, into the one buffer.
    auto why = core->calls(CoreMethod::WhyConstrained);
    ASSERT_EQ(2u, why.size());
    EXPECT_EQ("OptionalTray1", why[0].feature);
    FreeConflictInfo(heap.get(), &info);
    EXPECT_EQ(nullptr, info.whyConstrained);
    EXPECT_EQ(before, heap.busyBlocks());
}

TEST_F(FeatureTree, ItemOptionsAsKeywordsAndTexts)
{
    build();
    OPTITEM& memory = item("InstalledMemory");
    memory.Sel = 1;
    char* keyword = GetItemOptionKeyword(heap.get(), &memory);
    WCHAR* name = GetItemOptionText(heap.get(), &memory);
    EXPECT_STREQ("128MB", keyword);
    EXPECT_EQ(std::wstring(L"128 MB"), name ? name : L"");
    HeapFree(heap.get(), 0, keyword);
    HeapFree(heap.get(), 0, name);
    memory.Sel = 3;
    EXPECT_EQ(nullptr, GetItemOptionKeyword(heap.get(), &memory));
    EXPECT_EQ(nullptr, GetItemOptionText(heap.get(), &memory));
    EXPECT_EQ(nullptr, GetItemOptionKeyword(nullptr, &item("%JobTimeout")));

    item("%JobTimeout").Sel = 32767;
    name = GetItemOptionText(heap.get(), &item("%JobTimeout"));
    EXPECT_EQ(std::wstring(L"32767"), name ? name : L"");
    HeapFree(heap.get(), 0, name);
}

// A driver whose reasons need more than the first buffer, or none at all.
class ReasonHelper : public CUIHelper {
public:
    std::vector<DWORD> sizes;
    HRESULT WhyConstrained(POEMUIOBJ, DWORD, PCSTR, PCSTR, PSTR list, DWORD cb, PDWORD needed) override
    {
        sizes.push_back(cb);
        *needed = 2000;
        if (sizes.size() == 1)
            return E_OUTOFMEMORY;
        if (sizes.size() == 2)
            memcpy(list, "A\0B\0", 5);
        return sizes.size() <= 3 ? S_OK : E_FAIL;  // the third writes nothing
    }
};

TEST(FeatureTreeReasons, GrowOnceKeepTheBufferAndDropItOnFailure)
{
    PrivateHeap heap;
    ReasonHelper core;
    char* buffer = nullptr;
    DWORD size = 0;
    ASSERT_EQ(S_OK, QueryWhyConstrained(heap.get(), &core, nullptr, "F", "O", &buffer, &size));
    EXPECT_EQ((std::vector<DWORD>{ 1024, 2000 }), core.sizes);
    EXPECT_EQ(2000u, size);
    EXPECT_STREQ("B", buffer + 2);
    ASSERT_EQ(S_OK, QueryWhyConstrained(heap.get(), &core, nullptr, "F", "O", &buffer, &size));
    EXPECT_EQ(0, buffer[0]);  // no reasons left from the last call
    EXPECT_EQ(E_FAIL, QueryWhyConstrained(heap.get(), &core, nullptr, "F", "O", &buffer, &size));
    EXPECT_EQ(nullptr, buffer);
    EXPECT_EQ(0u, size);
    EXPECT_EQ(0, heap.busyBlocks());
}
