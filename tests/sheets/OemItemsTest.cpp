// The plug-in's up-down item on the document and printer sheets.
#include <gtest/gtest.h>

#include "harness/PluginHost.h"
#include "harness/TestPrinter.h"
#include "settings/PrivateDevMode.h"
#include "sheets/OemItems.h"

#include <vector>

namespace {

struct TestHeap {
    HANDLE h = HeapCreate(0, 0, 0);
    ~TestHeap() { HeapDestroy(h); }
};

class OemItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&block, 0, sizeof block);
        param.cbSize = sizeof param;
        param.hOEMHeap = heap.h;
        param.hModule = GetModuleHandleW(nullptr);
        param.pOEMDM = &block;
        items.assign(2, OPTITEM());
        memset(items.data(), 0xCC, sizeof(OPTITEM) * items.size());
        param.pOEMOptItems = items.data();
        param.cOEMOptItems = 1;
    }
    LONG Callback(LONG reason)
    {
        CPSUICBPARAM cb = {};
        cb.cbSize = sizeof cb;
        cb.Reason = (WORD)reason;
        // The callback's own current item is not the one it works on.
        cb.pCurItem = &items[1];
        return param.OEMCUIPCallback(&cb, &param);
    }

    TestHeap heap;
    PRIVATE_DEVMODE block;
    OEMCUIPPARAM param = {};
    std::vector<OPTITEM> items;
};

void ExpectRange(const OPTITEM& item)
{
    ASSERT_NE(nullptr, item.pOptType);
    EXPECT_EQ(sizeof(OPTTYPE), item.pOptType->cbSize);
    EXPECT_EQ(TVOT_UDARROW, item.pOptType->Type);
    ASSERT_EQ(2, item.pOptType->Count);
    EXPECT_EQ(sizeof(OPTPARAM), item.pOptType->pOptParam[0].cbSize);
    EXPECT_EQ(0u, item.pOptType->pOptParam[1].IconID);
    EXPECT_EQ(100, item.pOptType->pOptParam[1].lParam);
}

} // namespace

TEST_F(OemItems, TheFirstCallAsksForTheCountOnly)
{
    OEMCUIPPARAM count = {};
    count.cbSize = sizeof count;
    EXPECT_EQ(S_OK, OnDocumentOemItems(&count));
    EXPECT_EQ(1u, count.cOEMOptItems);
    EXPECT_EQ(nullptr, count.OEMCUIPCallback);
    OEMCUIPPARAM printer = {};
    EXPECT_EQ(S_OK, OnPrinterOemItems(&printer));
    EXPECT_EQ(1u, printer.cOEMOptItems);
}

TEST_F(OemItems, DocumentItemMirrorsTheBlock)
{
    block.oemItemValue = 40;
    ASSERT_EQ(S_OK, OnDocumentOemItems(&param));
    const OPTITEM& item = items[0];
    EXPECT_EQ(sizeof(OPTITEM), item.cbSize);
    EXPECT_EQ(1, item.Level);
    EXPECT_EQ((DWORD)OPTIF_COLLAPSE, item.Flags);
    EXPECT_EQ(0, item.DMPubID);
    EXPECT_EQ(40, item.Sel);
    EXPECT_STREQ(L"Document OEM value", item.pName);
    ExpectRange(item);
    EXPECT_EQ(&DocumentOemItemCallback, param.OEMCUIPCallback);
}

TEST_F(OemItems, AllItemsOfTheArrayAreCleared)
{
    param.cOEMOptItems = 2;
    ASSERT_EQ(S_OK, OnDocumentOemItems(&param));
    EXPECT_EQ(sizeof(OPTITEM), items[1].cbSize);
    EXPECT_EQ(nullptr, items[1].pName);
    EXPECT_EQ(0, items[1].Sel);
}

TEST_F(OemItems, SetActiveTakesAChangedBlockValue)
{
    block.oemItemValue = 10;
    ASSERT_EQ(S_OK, OnDocumentOemItems(&param));
    EXPECT_EQ(CPSUICB_ACTION_NONE, Callback(CPSUICB_REASON_SETACTIVE));
    EXPECT_EQ((DWORD)OPTIF_COLLAPSE, items[0].Flags);
    block.oemItemValue = 40;
    EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, Callback(CPSUICB_REASON_SETACTIVE));
    EXPECT_EQ(40, items[0].Sel);
    EXPECT_TRUE(items[0].Flags & OPTIF_CHANGED);
}

TEST_F(OemItems, KillActiveAndApplyWriteTheItemIntoTheBlock)
{
    ASSERT_EQ(S_OK, OnDocumentOemItems(&param));
    items[0].Sel = 70;
    EXPECT_EQ(CPSUICB_ACTION_NONE, Callback(CPSUICB_REASON_KILLACTIVE));
    EXPECT_EQ(70u, block.oemItemValue);
    items[0].Sel = 71;
    EXPECT_EQ(CPSUICB_ACTION_NONE, Callback(CPSUICB_REASON_APPLYNOW));
    EXPECT_EQ(71u, block.oemItemValue);
    items[0].Sel = 72;
    EXPECT_EQ(CPSUICB_ACTION_NONE, Callback(CPSUICB_REASON_SEL_CHANGED));
    EXPECT_EQ(71u, block.oemItemValue);
}

TEST_F(OemItems, DocumentItemWithoutABlockIsRefusedUntouched)
{
    param.pOEMDM = nullptr;
    EXPECT_EQ(E_INVALIDARG, OnDocumentOemItems(&param));
    EXPECT_EQ(nullptr, param.OEMCUIPCallback);
    EXPECT_EQ(0xCCCC, items[0].cbSize);
}

TEST_F(OemItems, AnArrayOfNoItemsIsRefusedUntouched)
{
    param.cOEMOptItems = 0;
    EXPECT_EQ(E_INVALIDARG, OnDocumentOemItems(&param));
    EXPECT_EQ(E_INVALIDARG, OnPrinterOemItems(&param));
    EXPECT_EQ(0xCCCC, items[0].cbSize);
}

TEST_F(OemItems, AMissingNameFailsWithItsError)
{
    param.hModule = nullptr;
    EXPECT_TRUE(FAILED(OnDocumentOemItems(&param)));
    EXPECT_EQ(nullptr, items[0].pOptType);
}

namespace {

class PrinterOemItem : public OemItems {
protected:
    void SetUp() override
    {
        OemItems::SetUp();
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        param.hPrinter = printer.handle();
        param.pOEMDM = nullptr;
    }
    void Store(DWORD value)
    {
        ASSERT_EQ(0u, SetPrinterDataW(printer.handle(), const_cast<LPWSTR>(L"OEMUI_VALUE"), REG_DWORD,
                                      reinterpret_cast<BYTE*>(&value), sizeof value));
    }
    DWORD Stored()
    {
        DWORD type = 0, value = 0xFFFF, needed = 0;
        GetPrinterDataW(printer.handle(), const_cast<LPWSTR>(L"OEMUI_VALUE"), &type, reinterpret_cast<BYTE*>(&value),
                        sizeof value, &needed);
        return value;
    }
    harness::TestPrinter printer{ harness::TestPrinter::Mode::Unique };
};

} // namespace

TEST_F(PrinterOemItem, AbsentValueShowsZero)
{
    ASSERT_EQ(S_OK, OnPrinterOemItems(&param));
    EXPECT_EQ(0, items[0].Sel);
    EXPECT_STREQ(L"Printer OEM value", items[0].pName);
    ExpectRange(items[0]);
    EXPECT_EQ(&PrinterOemItemCallback, param.OEMCUIPCallback);
}

TEST_F(PrinterOemItem, HundredShowsAndAboveShowsZero)
{
    Store(100);
    ASSERT_EQ(S_OK, OnPrinterOemItems(&param));
    EXPECT_EQ(100, items[0].Sel);
    Store(101);
    ASSERT_EQ(S_OK, OnPrinterOemItems(&param));
    EXPECT_EQ(0, items[0].Sel);
}

TEST_F(PrinterOemItem, ApplyStoresTheValue)
{
    ASSERT_EQ(S_OK, OnPrinterOemItems(&param));
    items[0].Sel = 55;
    EXPECT_EQ(CPSUICB_ACTION_NONE, Callback(CPSUICB_REASON_KILLACTIVE));
    EXPECT_EQ(0xFFFFu, Stored());
    EXPECT_EQ(CPSUICB_ACTION_NONE, Callback(CPSUICB_REASON_APPLYNOW));
    EXPECT_EQ(55u, Stored());
}

TEST(OptItemAllocators, ZeroCountsGiveValidEmptyStructures)
{
    TestHeap heap;
    POPTITEM items = AllocOptItems(heap.h, 0);
    EXPECT_NE(nullptr, items);
    POPTTYPE type = AllocOptType(heap.h, 0);
    ASSERT_NE(nullptr, type);
    EXPECT_EQ(0, type->Count);
    EXPECT_EQ(sizeof(OPTTYPE), type->cbSize);
    EXPECT_NE(nullptr, type->pOptParam);
}

TEST(OptItemAllocators, EveryRecordCarriesItsSize)
{
    TestHeap heap;
    POPTITEM items = AllocOptItems(heap.h, 3);
    ASSERT_NE(nullptr, items);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sizeof(OPTITEM), items[i].cbSize);
        EXPECT_EQ(nullptr, items[i].pName);
    }
    EXPECT_EQ(3u * sizeof(OPTITEM), HeapSize(heap.h, 0, items));
    POPTTYPE type = AllocOptType(heap.h, 4);
    ASSERT_NE(nullptr, type);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sizeof(OPTPARAM), type->pOptParam[i].cbSize);
}

TEST(OptItemAllocators, AnImpossibleSizeGivesNull)
{
    TestHeap heap;
    EXPECT_EQ(nullptr, AllocOptItems(heap.h, 0xFFFFFFFFu));
    EXPECT_EQ(nullptr, AllocOptItems(nullptr, 1));
}

TEST(OemItemsModule, CommonUIPropReachesTheDocumentItem)
{
    harness::PluginModule module;
    harness::ComPtr<IPrintOemUI2> plugin = module.createPlugin();
    ASSERT_TRUE(plugin);
    OEMCUIPPARAM param = {};
    param.cbSize = sizeof param;
    EXPECT_EQ(S_OK, plugin->CommonUIProp(OEMCUIP_DOCPROP, &param));
    EXPECT_EQ(1u, param.cOEMOptItems);
}
