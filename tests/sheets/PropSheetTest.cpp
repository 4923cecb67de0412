// The document and printer sheets: the sheet callbacks, the sheet context and
// the pages they add. Sheet starts read and may write the machine-wide data
// files, so every suite here ends in "DataFile".
#include <gtest/gtest.h>

#include "harness/CoreDriver.h"
#include "harness/LanguagePatch.h"
#include "harness/PluginHost.h"
#include "harness/SavedDataFile.h"
#include "harness/SheetHost.h"
#include "harness/TestPrinter.h"
#include "plugin/OemUI2.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "plugin/UIHelper.h"
#include "settings/Features.h"
#include "settings/ConstraintState.h"
#include "settings/FeatureSettings.h"
#include "settings/PrivateDevMode.h"
#include "settings/QuickSetting.h"
#include "sheets/FeatureTree.h"
#include "sheets/PropSheet.h"
#include "sheets/ResourceModule.h"
#include "ui/PageLink.h"

#include <atomic>
#include <memory>
#include <thread>
#include <utility>
#include <string>
#include <vector>

using namespace harness;

namespace {

std::wstring LanguageString(UINT id)
{
    RESOURCE_MODULE* res = GetResourceModule();
    WCHAR text[512] = {};
    if (res->module)
        LoadStringW(res->module, id, text, 512);
    return text;
}

// A plug-in object of the linked code, its core-driver double, a printer and
// a driver heap that outlives the object; the sheet callback stands in.
class Sheets : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        ASSERT_TRUE(core);
        plugin = new IOemUI2;
        ASSERT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
        heap = HeapCreate(0, 0, 0);
        memset(&publicDm, 0, sizeof publicDm);
        publicDm.dmSize = sizeof publicDm;
        publicDm.dmCollate = DMCOLLATE_TRUE;
        memset(&block, 0, sizeof block);
        block.header.dwSize = PRIVATE_DEVMODE_SIZE;
        block.header.dwSignature = OEM_SIGNATURE;
        block.header.dwVersion = OEM_VERSION;
        param.cbSize = sizeof param;
        param.poemuiobj = core->uiObject();
        param.hPrinter = printer.handle();
        param.pPrinterName = const_cast<LPWSTR>(printer.name().c_str());
        param.hOEMHeap = heap;
        param.pPublicDM = &publicDm;
        param.pOEMDM = &block;
    }
    void TearDown() override
    {
        ResetSystemSeams();
        if (plugin)
            plugin->Release();
        if (heap)
            HeapDestroy(heap);
    }

    // INIT of a sheet through the recorder; answers the plug-in's HRESULT.
    HRESULT Init(SheetKind kind, PROPSHEETUI_INFO* info)
    {
        *info = sheet.info(reinterpret_cast<LPARAM>(&param));
        return Call(kind, info, 0);
    }
    HRESULT Call(SheetKind kind, PROPSHEETUI_INFO* info, LPARAM lParam)
    {
        return kind == SheetKind::Document ? plugin->DocumentPropertySheets(info, lParam)
                                           : plugin->DevicePropertySheets(info, lParam);
    }
    HRESULT Destroy(SheetKind kind, PROPSHEETUI_INFO* info)
    {
        info->Reason = PROPSHEETUI_REASON_DESTROY;
        return Call(kind, info, 0);
    }
    PROPSHEET_CONTEXT* Context(const PROPSHEETUI_INFO& info)
    {
        return reinterpret_cast<PROPSHEET_CONTEXT*>(info.UserData);
    }

    // A sheet start reads both data files and writes a default quick-settings file.
    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    TestPrinter printer{ TestPrinter::Mode::Unique };
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    IOemUI2* plugin = nullptr;
    HANDLE heap = nullptr;
    DEVMODEW publicDm;
    PRIVATE_DEVMODE block;
    OEMUIPSPARAM param = {};
    ComSheetRecorder sheet;
};

typedef Sheets SheetCallbackDataFile;
typedef Sheets DocumentSheetDataFile;
typedef Sheets PrinterSheetDataFile;

} // namespace

TEST_F(SheetCallbackDataFile, AnotherVersionIsRefusedWithResultUntouched)
{
    for (SheetKind kind : { SheetKind::Document, SheetKind::Printer }) {
        PROPSHEETUI_INFO info = sheet.info(reinterpret_cast<LPARAM>(&param));
        info.Version = 0x0101;
        info.Result = 77;
        SetLastError(0);
        EXPECT_EQ(E_FAIL, Call(kind, &info, 0));
        EXPECT_EQ(87u, GetLastError());
        EXPECT_EQ(77u, info.Result);
        EXPECT_TRUE(sheet.calls().empty());
    }
    SetLastError(0);
    EXPECT_EQ(E_FAIL, plugin->DocumentPropertySheets(nullptr, 0));
    EXPECT_EQ(87u, GetLastError());
}

TEST_F(SheetCallbackDataFile, InfoHeaderGivesTheTitle)
{
    for (SheetKind kind : { SheetKind::Document, SheetKind::Printer }) {
        PROPSHEETUI_INFO info = sheet.info(0, PROPSHEETUI_REASON_GET_INFO_HEADER);
        PROPSHEETUI_INFO_HEADER header = {};
        header.cbSize = sizeof header;
        EXPECT_EQ(S_OK, Call(kind, &info, reinterpret_cast<LPARAM>(&header)));
        EXPECT_EQ(1u, info.Result);
        EXPECT_STREQ(L"OEM PS UI Replacement Page", header.pTitle);
        // Without a header nothing changes.
        info.Result = 5;
        EXPECT_EQ(S_OK, Call(kind, &info, 0));
        EXPECT_EQ(0u, info.Result);
    }
}

TEST_F(SheetCallbackDataFile, SetResultCopiesAndOtherReasonsAnswerZero)
{
    PROPSHEETUI_INFO info = sheet.info(0, PROPSHEETUI_REASON_SET_RESULT);
    SETRESULT_INFO result = {};
    result.cbSize = sizeof result;
    result.Result = 2;
    EXPECT_EQ(S_OK, Call(SheetKind::Document, &info, reinterpret_cast<LPARAM>(&result)));
    EXPECT_EQ(2u, info.Result);
    EXPECT_EQ(S_OK, Call(SheetKind::Document, &info, 0));
    EXPECT_EQ(0u, info.Result);
    info.Reason = PROPSHEETUI_REASON_GET_ICON;
    info.Result = 9;
    EXPECT_EQ(S_OK, Call(SheetKind::Printer, &info, 0));
    EXPECT_EQ(0u, info.Result);
}

TEST_F(SheetCallbackDataFile, DestroyWithoutAContextFreesNothing)
{
    PROPSHEETUI_INFO info = sheet.info(0, PROPSHEETUI_REASON_DESTROY);
    info.Result = 3;
    EXPECT_EQ(S_OK, Call(SheetKind::Document, &info, 0));
    EXPECT_EQ(0u, info.Result);
}

TEST_F(SheetCallbackDataFile, MissingSheetParametersAnswerPointerErrors)
{
    PROPSHEETUI_INFO info = sheet.info(0);
    EXPECT_EQ(S_OK, Call(SheetKind::Document, &info, 0));
    EXPECT_EQ(0u, info.Result);
    EXPECT_EQ(0u, info.UserData);
    param.hOEMHeap = nullptr;
    EXPECT_EQ(S_OK, Init(SheetKind::Document, &info));
    EXPECT_EQ(0u, info.Result);
    param.hOEMHeap = heap;
    param.poemuiobj = nullptr;
    EXPECT_EQ(S_OK, Init(SheetKind::Printer, &info));
    EXPECT_EQ(0u, info.Result);
    EXPECT_TRUE(sheet.calls().empty());
}

TEST_F(DocumentSheetDataFile, AddsTheBasicAndAdvancedPages)
{
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &info));
    EXPECT_EQ(1u, info.Result);
    PROPSHEET_CONTEXT* context = Context(info);
    ASSERT_NE(nullptr, context);
    auto pages = sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW);
    ASSERT_EQ(2u, pages.size());
    EXPECT_EQ(LanguageString(4000), pages[0].title);
    EXPECT_EQ(LanguageString(4001), pages[1].title);
    EXPECT_FALSE(pages[0].title.empty());
    EXPECT_EQ(1100u, pages[0].templateId);
    EXPECT_EQ(1102u, pages[1].templateId);
    for (const auto& p : pages) {
        EXPECT_EQ(104u, p.pageSize);
        EXPECT_EQ((DWORD)(PSP_USETITLE | PSP_HASHELP), p.pageFlags & ~(DWORD)PSP_USEFUSIONCONTEXT);
        EXPECT_EQ(reinterpret_cast<LPARAM>(context), p.pageParam);
        EXPECT_EQ(g_hModuleInstance, p.pageInstance);
        // The manifest of the module gives the pages an activation context.
        EXPECT_TRUE(p.pageFlags & PSP_USEFUSIONCONTEXT);
    }
    EXPECT_EQ(printer.handle(), context->hPrinter);
    EXPECT_EQ(heap, context->heap);
    ASSERT_NE(nullptr, context->devmode);
    EXPECT_EQ(&publicDm, context->devmode->pPublic);
    EXPECT_NE(nullptr, context->quickSettings);
    ASSERT_NE(nullptr, context->pageLink);
    EXPECT_NE(nullptr, context->pageLink->constraints);
    EXPECT_EQ(context->devmode, context->pageLink->devmode);
    EXPECT_EQ(context->resources, context->pageLink->resources);
    EXPECT_EQ(nullptr, context->deviceDialog);

    EXPECT_EQ(S_OK, Destroy(SheetKind::Document, &info));
    EXPECT_EQ(1u, info.Result);
    EXPECT_EQ(0u, info.UserData);
    EXPECT_EQ(S_OK, Destroy(SheetKind::Document, &info));
    EXPECT_EQ(0u, info.Result);
}

TEST_F(DocumentSheetDataFile, CopiesTheDriversSelectionsIntoTheBlock)
{
    core->setSelection("PageSize", "A4");
    core->setSelection("JCLMediaType", "Thin");
    core->setSelection("JCLInputSlot", "Manual");
    core->setSelection("Duplex", "DuplexTumble");
    core->setSelection("%PagePerSheet", "4");
    core->setSelection("JCLTonerMode", "On");
    core->setSelection("JCLGraphFine", "On");
    core->setSelection("JCLDensity", "Dark");
    core->setSelection("JCLPrintQuality", "1200dpi");
    core->setSelection("JCLFeedEdge", "LongEdge");
    core->setSelection("%Orientation", "Landscape");
    block.paperId = 5;
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &info));
    EXPECT_EQ(1, block.paperId);
    EXPECT_EQ(1, block.collate);
    EXPECT_EQ(2, block.mediaType);
    EXPECT_EQ(2, block.inputSlot);
    EXPECT_EQ(2, block.duplex);
    EXPECT_EQ(2, block.pagesPerSheet);
    EXPECT_EQ(1, block.tonerSaving);
    EXPECT_EQ(1, block.fineGraphics);
    EXPECT_EQ(2, block.density);
    EXPECT_EQ(1, block.printQuality);
    EXPECT_EQ(1, block.feedEdge);
    EXPECT_EQ(1, block.orientation);
    Destroy(SheetKind::Document, &info);
}

TEST_F(DocumentSheetDataFile, AStoredCustomPaperIsKept)
{
    core->setSelection("PageSize", "A4");
    block.paperId = 260;
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &info));
    EXPECT_EQ(260, block.paperId);
    Destroy(SheetKind::Document, &info);
}

TEST_F(DocumentSheetDataFile, WithoutAPrivateDevModeThereIsNoPair)
{
    param.pOEMDM = nullptr;
    block.paperId = 5;
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &info));
    PROPSHEET_CONTEXT* context = Context(info);
    ASSERT_NE(nullptr, context);
    EXPECT_EQ(nullptr, context->devmode);
    EXPECT_NE(nullptr, context->quickSettings);
    ASSERT_NE(nullptr, context->pageLink);
    EXPECT_EQ(nullptr, context->pageLink->devmode);
    EXPECT_EQ(5, block.paperId);
    Destroy(SheetKind::Document, &info);
}

TEST_F(DocumentSheetDataFile, ARefusedPageEndsTheSheetStart)
{
    sheet.answer(CPSFUNC_ADD_PROPSHEETPAGEW, 0, 1);
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &info));
    EXPECT_EQ(0u, info.Result);
    EXPECT_EQ(1u, sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW).size());
    // The context stays for DESTROY to free.
    EXPECT_NE(0u, info.UserData);
    EXPECT_EQ(S_OK, Destroy(SheetKind::Document, &info));
    EXPECT_EQ(1u, info.Result);
}

TEST_F(DocumentSheetDataFile, ALanguageModuleWithoutTheAdvancedTitleStillAddsTheAdvancedPage)
{
    PatchedLanguageModule patched({ { 4001u, std::wstring() } });
    ASSERT_TRUE(patched.ok());
    ASSERT_EQ(0u, harness::nameLanguageModule(printer.handle(), patched.fileName()));
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &info));
    EXPECT_EQ(1u, info.Result);
    auto pages = sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW);
    ASSERT_EQ(2u, pages.size());
    EXPECT_FALSE(pages[0].title.empty());
    EXPECT_TRUE(pages[1].title.empty());
    Destroy(SheetKind::Document, &info);
    FreeResourceModule(GetResourceModule());
}

TEST_F(DocumentSheetDataFile, TwoSheetsInARowReuseTheModel)
{
    PROPSHEETUI_INFO first;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &first));
    Destroy(SheetKind::Document, &first);
    int features = core->callCount(CoreMethod::EnumFeatures);
    int options = core->callCount(CoreMethod::EnumOptions);
    int selections = core->callCount(CoreMethod::GetOptions);
    EXPECT_EQ(1, features);
    core->setSelection("JCLMediaType", "Labels");
    PROPSHEETUI_INFO second;
    ASSERT_EQ(S_OK, Init(SheetKind::Document, &second));
    EXPECT_EQ(features, core->callCount(CoreMethod::EnumFeatures));
    EXPECT_EQ(options, core->callCount(CoreMethod::EnumOptions));
    EXPECT_GT(core->callCount(CoreMethod::GetOptions), selections);
    EXPECT_EQ(4, block.mediaType);
    Destroy(SheetKind::Document, &second);
}

TEST_F(PrinterSheetDataFile, WithoutHideStandardUIOnlyTheDevicePage)
{
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    EXPECT_EQ(1u, info.Result);
    EXPECT_TRUE(sheet.calls(CPSFUNC_ADD_PCOMPROPSHEETUIW).empty());
    auto pages = sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ(LanguageString(604), pages[0].title);
    EXPECT_EQ(1113u, pages[0].templateId);
    PROPSHEET_CONTEXT* context = Context(info);
    ASSERT_NE(nullptr, context);
    EXPECT_NE(nullptr, context->deviceDialog);
    EXPECT_EQ(nullptr, context->quickSettings);
    EXPECT_EQ(nullptr, context->pageLink);
    EXPECT_EQ(nullptr, context->devmode);
    Destroy(SheetKind::Printer, &info);
}

TEST_F(PrinterSheetDataFile, HideStandardUIAddsTheFeatureTreeFirst)
{
    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    EXPECT_EQ(1u, info.Result);
    const auto& calls = sheet.calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ((UINT)CPSFUNC_ADD_PCOMPROPSHEETUIW, calls[0].function);
    EXPECT_EQ((UINT)CPSFUNC_ADD_PROPSHEETPAGEW, calls[1].function);
    const COMPROPSHEETUI& tree = calls[0].tree;
    EXPECT_EQ(128u, tree.cbSize);
    EXPECT_EQ((WORD)CPSUIF_UPDATE_PERMISSION, tree.Flags);
    EXPECT_EQ(g_hModuleInstance, tree.hInstCaller);
    EXPECT_EQ(LanguageString(3), std::wstring(tree.pCallerName));
    EXPECT_STREQ(L"Brixom Q2100 Series PS", tree.pOptItemName);
    EXPECT_EQ(64062u, tree.IconID);
    EXPECT_EQ(0x0100, tree.CallerVersion);
    EXPECT_EQ(0x0100, tree.OptItemVersion);
    EXPECT_EQ(&PropSheetApplyCallback, tree.pfnCallBack);
    ASSERT_EQ(1, tree.cDlgPage);
    EXPECT_EQ(40, tree.pDlgPage->cbSize);
    EXPECT_EQ(DP_STD_TREEVIEWPAGE, tree.pDlgPage->DlgTemplateID);
    EXPECT_EQ(LanguageString(4), std::wstring(tree.pDlgPage->pTabName));
    // One item per printer feature: the PPD's installable options and the
    // driver's own %PSMemory, %JobTimeout and %WaitTimeout.
    ASSERT_EQ(6, tree.cOptItem);
    for (int i = 0; i < tree.cOptItem; ++i) {
        EXPECT_EQ(1, tree.pOptItem[i].Level);
        EXPECT_NE(nullptr, GetFeatureItemData(&tree.pOptItem[i]));
    }
    auto* data = reinterpret_cast<FEATURE_TREE_DATA*>(tree.UserData);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(1u, data->mayChange);
    EXPECT_EQ(reinterpret_cast<HANDLE>(0x100), data->pageHandle);
    Destroy(SheetKind::Printer, &info);
}

TEST_F(PrinterSheetDataFile, ARefusedTreePageFailsTheSheet)
{
    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    sheet.answer(CPSFUNC_ADD_PCOMPROPSHEETUIW, 0, 1);
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    EXPECT_EQ(0u, info.Result);
    EXPECT_TRUE(sheet.calls(CPSFUNC_ADD_PROPSHEETPAGEW).empty());
    Destroy(SheetKind::Printer, &info);
}

namespace {

// Runs the tree page's callback as the common UI does on Apply.
LONG ApplyTree(const COMPROPSHEETUI& tree)
{
    CPSUICBPARAM cb = {};
    cb.cbSize = sizeof cb;
    cb.Reason = CPSUICB_REASON_APPLYNOW;
    cb.pOptItem = tree.pOptItem;
    cb.cOptItem = tree.cOptItem;
    cb.UserData = tree.UserData;
    return tree.pfnCallBack(&cb);
}

int g_boxAnswer = IDNO;
int g_boxes = 0;
int WINAPI AnswerBox(HWND, LPCWSTR, LPCWSTR, UINT)
{
    ++g_boxes;
    return g_boxAnswer;
}

} // namespace

TEST_F(PrinterSheetDataFile, ApplySavesChangedItemsAndSetsTheResult)
{
    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    COMPROPSHEETUI tree = sheet.calls(CPSFUNC_ADD_PCOMPROPSHEETUIW).at(0).tree;
    // OptionalTray1 -> True (option 0).
    tree.pOptItem[0].Sel = 0;
    tree.pOptItem[0].Flags |= OPTIF_CHANGEONCE;
    core->clearCalls();
    EXPECT_EQ(CPSUICB_ACTION_NONE, ApplyTree(tree));
    EXPECT_EQ("True", core->selection("OptionalTray1"));
    auto results = sheet.calls(CPSFUNC_SET_RESULT);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(0x100, results[0].lParam1);
    EXPECT_EQ(CPSUI_OK, results[0].lParam2);
    Destroy(SheetKind::Printer, &info);
}

TEST_F(PrinterSheetDataFile, ARefusedConflictKeepsTheSheetOpen)
{
    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    g_boxAnswer = IDNO;
    g_boxes = 0;
    g_seams.MessageBoxW = &AnswerBox;
    LoadResourceModule(GetResourceModule(), printer.handle());
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    COMPROPSHEETUI tree = sheet.calls(CPSFUNC_ADD_PCOMPROPSHEETUIW).at(0).tree;
    // OptionalTray2 -> True while tray 1 is not fitted.
    tree.pOptItem[1].Sel = 0;
    tree.pOptItem[1].Flags |= OPTIF_CHANGEONCE;
    EXPECT_EQ(CPSUICB_ACTION_NO_APPLY_EXIT, ApplyTree(tree));
    EXPECT_EQ(1, g_boxes);
    EXPECT_TRUE(sheet.calls(CPSFUNC_SET_RESULT).empty());
    Destroy(SheetKind::Printer, &info);
}

TEST_F(PrinterSheetDataFile, AResolvedConflictRedrawsTheItems)
{
    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    g_boxAnswer = IDYES;
    g_seams.MessageBoxW = &AnswerBox;
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    COMPROPSHEETUI tree = sheet.calls(CPSFUNC_ADD_PCOMPROPSHEETUIW).at(0).tree;
    tree.pOptItem[1].Sel = 0;
    tree.pOptItem[1].Flags |= OPTIF_CHANGEONCE;
    EXPECT_EQ(CPSUICB_ACTION_OPTIF_CHANGED, ApplyTree(tree));
    EXPECT_EQ(1u, sheet.calls(CPSFUNC_SET_RESULT).size());
    Destroy(SheetKind::Printer, &info);
}

TEST_F(PrinterSheetDataFile, WithoutPermissionTheTreeIsReadOnly)
{
    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    param.dwFlags = DPS_NOPERMISSION;
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    COMPROPSHEETUI tree = sheet.calls(CPSFUNC_ADD_PCOMPROPSHEETUIW).at(0).tree;
    EXPECT_EQ(0, tree.Flags);
    tree.pOptItem[0].Sel = 0;
    tree.pOptItem[0].Flags |= OPTIF_CHANGEONCE;
    core->clearCalls();
    EXPECT_EQ(CPSUICB_ACTION_NONE, ApplyTree(tree));
    EXPECT_EQ(0, core->callCount(CoreMethod::SetOptions));
    EXPECT_TRUE(sheet.calls(CPSFUNC_SET_RESULT).empty());
    Destroy(SheetKind::Printer, &info);
}

TEST_F(PrinterSheetDataFile, APrinterWithoutInstallableOptionsGetsAnEmptyTree)
{
    auto model = PpdModel::parse("*PPD-Adobe: \"4.3\"\n*LanguageLevel: \"3\"\n"
                                 "*OpenUI *PageSize/Paper Size: PickOne\n*DefaultPageSize: A4\n"
                                 "*PageSize A4/A4(210,297,15): \"\"\n*PageSize Letter/Letter(8.5,11,143): \"\"\n"
                                 "*CloseUI: *PageSize\n");
    CoreDriver plain(model, CoreDriver::Kind::CoreUI2, false);
    IOemUI2* other = new IOemUI2;
    ASSERT_EQ(S_OK, other->PublishDriverInterface(plain.unknown()));
    other->HideStandardUI(OEMCUIP_PRNPROP);
    param.poemuiobj = plain.uiObject();
    PROPSHEETUI_INFO info = sheet.info(reinterpret_cast<LPARAM>(&param));
    ASSERT_EQ(S_OK, other->DevicePropertySheets(&info, 0));
    EXPECT_EQ(1u, info.Result);
    const auto& calls = sheet.calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(0, calls[0].tree.cOptItem);
    EXPECT_EQ((UINT)CPSFUNC_ADD_PROPSHEETPAGEW, calls[1].function);
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    other->DevicePropertySheets(&info, 0);
    other->Release();
}

namespace {

int BusyBlocks(HANDLE heap)
{
    int n = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            ++n;
    HeapUnlock(heap);
    return n;
}

} // namespace

TEST_F(SheetCallbackDataFile, AFailedAllocationAtTheStartFailsItAndFreesWhatWasMade)
{
    // Document sheet: settings, context, its language module, the DEVMODE
    // pair, the quick-settings store, the page link and its constraint
    // state. Printer sheet: settings, context, language module, device-dialog holder.
    CUIHelper helper;
    void* unknown = nullptr;
    ASSERT_EQ(S_OK, core->QueryInterface(IID_IPrintCoreUI2, &unknown));
    helper.Attach(static_cast<IUnknown*>(unknown), IID_IPrintCoreUI2);
    CFeatures features;
    auto init = [&](SheetKind kind, PROPSHEETUI_INFO* info) {
        *info = sheet.info(reinterpret_cast<LPARAM>(&param));
        if (kind == SheetKind::Document)
            return DocPropSheet().Init(info, &helper, &features);
        return DevPropSheet(TRUE).Init(info, &helper, &features);
    };
    for (auto [kind, allocations] : { std::pair{ SheetKind::Document, 7 }, std::pair{ SheetKind::Printer, 4 } }) {
        SCOPED_TRACE(kind == SheetKind::Document ? "document sheet" : "printer sheet");
        // The model, filled on the driver's heap by the first start, stays.
        PROPSHEETUI_INFO first;
        ASSERT_EQ(S_OK, init(kind, &first));
        DestroySheetContext(Context(first));
        int failures = 0;
        for (int nth = 1; nth <= 20; ++nth) {
            SCOPED_TRACE(nth);
            const int blocks = BusyBlocks(heap);
            const LONG parts = SheetPartsAlive();
            FailSheetAllocation(nth);
            PROPSHEETUI_INFO info;
            HRESULT hr = init(kind, &info);
            if (SheetAllocationArmed()) {
                // Past the last allocation: the start goes through.
                FailSheetAllocation(0);
                EXPECT_EQ(S_OK, hr);
                DestroySheetContext(Context(info));
                EXPECT_EQ(parts, SheetPartsAlive());
                break;
            }
            ++failures;
            EXPECT_EQ(E_POINTER, hr) << "a start that could not make all its parts";
            EXPECT_EQ(0u, info.UserData);
            if (Context(info))
                DestroySheetContext(Context(info));
            EXPECT_EQ(blocks, BusyBlocks(heap)) << "blocks left on the driver's heap";
            EXPECT_EQ(parts, SheetPartsAlive()) << "parts left";
        }
        EXPECT_EQ(allocations, failures);
    }
    // The printer sheet's tree stays on the driver's heap, as the sheet keeps it.
    features.Clear();
    helper.Release();
}

TEST_F(PrinterSheetDataFile, ALanguageSwappedByAnotherThreadNeverFailsASheetStart)
{
    // A second printer with a language module of its own, which a capability
    // query on another thread keeps loading into the process-wide record.
    PatchedLanguageModule otherLanguage({ { 3, L"Other caller" }, { 4, L"Other tab" } });
    ASSERT_TRUE(otherLanguage.ok());
    TestPrinter second(TestPrinter::Mode::Unique);
    ASSERT_TRUE(second.ok()) << second.failureText();
    ASSERT_EQ((DWORD)ERROR_SUCCESS, nameLanguageModule(second.handle(), otherLanguage.fileName()));

    plugin->HideStandardUI(OEMCUIP_PRNPROP);
    PROPSHEETUI_INFO info;
    ASSERT_EQ(S_OK, Init(SheetKind::Printer, &info));
    const std::wstring tab = LanguageString(4);
    ASSERT_FALSE(tab.empty());
    Destroy(SheetKind::Printer, &info);

    // What a capability query for the second printer does first, once
    // during each sheet start, at whatever moment that thread gets to it.
    std::atomic<bool> done{ false };
    std::atomic<int> swaps{ 0 };
    HANDLE go = CreateSemaphoreW(nullptr, 0, 1 << 20, nullptr);
    std::thread query([&] {
        while (WaitForSingleObject(go, INFINITE) == WAIT_OBJECT_0 && !done) {
            CProcessLanguage language(second.handle());
            if (language.Module())
                ++swaps;
        }
    });
    int failed = 0, otherStrings = 0, starts = 0;
    for (; starts < 120; ++starts) {
        ReleaseSemaphore(go, 1, nullptr);
        size_t before = sheet.calls().size();
        HRESULT hr = Init(SheetKind::Printer, &info);
        if (hr != S_OK || info.Result != 1 || sheet.calls().size() != before + 2)
            ++failed;
        else if (tab != sheet.calls()[before].tree.pDlgPage->pTabName)
            ++otherStrings;
        Destroy(SheetKind::Printer, &info);
    }
    done = true;
    ReleaseSemaphore(go, 1, nullptr);
    query.join();
    CloseHandle(go);
    EXPECT_GT(swaps.load(), 0);
    EXPECT_EQ(0, failed) << "of " << starts << " sheet starts";
    EXPECT_EQ(0, otherStrings) << "sheet starts that took another printer's strings";
}

// --- through the DLL and the system's common property-sheet UI --------------

namespace {

class SheetsGui : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.ok()) << printer.failureText();
        plugin = module.createPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_EQ(S_OK, plugin->PublishDriverInterface(core->unknown()));
    }
    // Shows the sheet through the common UI; the plug-in object is released
    // while the host still holds it.
    SheetRun show(SheetKind kind)
    {
        SheetHost host(plugin.get(), printer.handle(), printer.name(), core.get());
        SheetRun run = host.show(kind);
        plugin.reset();
        return run;
    }
    // A string of the language module that the printer's sheets load.
    std::wstring languageString(UINT id) const
    {
        RESOURCE_MODULE res = {};
        LoadResourceModule(&res, printer.handle());
        WCHAR text[64] = {};
        LoadStringW(res.module, id, text, 64);
        FreeResourceModule(&res);
        return text;
    }

    SavedDataFile quickSettings{ "bq2100PS_qs.xml" };
    SavedDataFile customPapers{ "bq2100PS_cp.cfg" };
    TestPrinter printer{ TestPrinter::Mode::Unique };   // the device page writes printer data
    std::unique_ptr<CoreDriver> core = CoreDriver::fromDefaultPpd();
    PluginModule module;
    ComPtr<IPrintOemUI2> plugin;
};

typedef SheetsGui SheetsDataFileGui;

} // namespace

TEST_F(SheetsDataFileGui, ThePrintingPreferencesShowTwoPages)
{
    SheetRun run = show(SheetKind::Document);
    ASSERT_TRUE(run.shown);
    EXPECT_EQ(S_OK, run.initHr);
    EXPECT_NE(std::wstring::npos, run.caption.find(L"OEM PS UI Replacement Page"));
    ASSERT_EQ(2u, run.tabs.size());
    EXPECT_EQ(languageString(4000), run.tabs[0]);
    EXPECT_EQ(languageString(4001), run.tabs[1]);
}

TEST_F(SheetsDataFileGui, ThePrinterPropertiesShowTheDevicePage)
{
    SheetRun run = show(SheetKind::Printer);
    ASSERT_TRUE(run.shown);
    ASSERT_EQ(1u, run.tabs.size());
    EXPECT_EQ(languageString(604), run.tabs[0]);
}
