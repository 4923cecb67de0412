// The dialog bases: creation from the language module or the plug-in's own
// templates, the framework's resource module around it, context help, the
// combo-data search and the background copy of a placeholder.
#include <gtest/gtest.h>

#include "harness/LanguagePatch.h"
#include "harness/TestPrinter.h"
#include "harness/TestWindow.h"
#include "plugin/SystemSeams.h"
#include "plugin/TessivonApp.h"
#include "sheets/Help.h"
#include "ui/PropDlg.h"

#include <htmlhelp.h>
#include <string>
#include <vector>

using namespace harness;

namespace {

enum : UINT {
    IDD_TEST_PAGE = 9500,
    IDD_NO_COMBO = 9501,
    IDD_SUB_DIALOG = 9510,
    IDC_PLACEHOLDER = 9502,
    IDC_NO_TOPIC = 9599,
    IDC_DATA_COMBO = 2201,
    IDC_PAPER = 2300,
};

// Records where the framework's resources came from while it was made.
class CTestDlg : public CPropDlg {
public:
    explicit CTestDlg(UINT templateId = IDD_TEST_PAGE) : CPropDlg(templateId) {}
    HINSTANCE resourcesAtInit = nullptr;
    int inits = 0;

protected:
    BOOL OnInitDialog() override
    {
        ++inits;
        resourcesAtInit = AfxGetResourceHandle();
        return CPropDlg::OnInitDialog();
    }
};

HINSTANCE InstanceOf(const CWnd& wnd) { return (HINSTANCE)GetWindowLongPtrW(wnd.m_hWnd, GWLP_HINSTANCE); }

class DialogBases : public ::testing::Test {
protected:
    void SetUp() override
    {
        language = LoadLibraryExW(installedLanguageModulePath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, language);
        before = AfxGetResourceHandle();
        ASSERT_EQ(g_hModuleInstance, before);
    }
    void TearDown() override
    {
        ResetSystemSeams();
        if (language)
            FreeLibrary(language);
    }
    CWnd* parent() { return CWnd::FromHandle(frame.hwnd()); }

    CAfxTempMapLock lock;
    TestFrame frame;
    HMODULE language = nullptr;
    HINSTANCE before = nullptr;
};

typedef DialogBases DialogBasesGui;

} // namespace

TEST_F(DialogBasesGui, ATemplateOfTheLanguageModuleIsTakenFromThere)
{
    CTestDlg page(1101);
    ASSERT_TRUE(page.CreateFromModule(1101, parent(), language));
    EXPECT_EQ(language, InstanceOf(page));
    EXPECT_EQ(language, page.resourcesAtInit);
    EXPECT_EQ(1, page.inits);
    EXPECT_TRUE(GetDlgItem(page.m_hWnd, 2300));
    // Created, not shown: the template is visible, its parent is the frame.
    EXPECT_EQ(frame.hwnd(), GetParent(page.m_hWnd));
    EXPECT_EQ(before, AfxGetResourceHandle());
}

TEST_F(DialogBasesGui, ATemplateMissingFromTheLanguageModuleComesFromThePlugin)
{
    CTestDlg page;
    ASSERT_TRUE(page.CreateFromModule(IDD_TEST_PAGE, parent(), language));
    EXPECT_EQ(g_hModuleInstance, InstanceOf(page));
    EXPECT_EQ(g_hModuleInstance, page.resourcesAtInit);
    EXPECT_EQ(1, page.inits);
    EXPECT_EQ(before, AfxGetResourceHandle());

    // A language module without the Basic page's template.
    PatchedLanguageModule patched({}, {}, { 1101 });
    ASSERT_TRUE(patched.ok());
    ASSERT_NE(nullptr, patched.load());
    ASSERT_EQ(nullptr, FindResourceW(patched.load(), MAKEINTRESOURCEW(1101), RT_DIALOG));
    CTestDlg basic(1101);
    ASSERT_TRUE(basic.CreateFromModule(1101, parent(), patched.load()));
    EXPECT_EQ(g_hModuleInstance, InstanceOf(basic));
    EXPECT_TRUE(GetDlgItem(basic.m_hWnd, 2300));
    EXPECT_EQ(before, AfxGetResourceHandle());
}

TEST_F(DialogBasesGui, NoTemplateAnywhereMakesNoWindow)
{
    CTestDlg missing(9999);
    EXPECT_FALSE(missing.CreateFromModule(9999, parent(), language));
    EXPECT_EQ(nullptr, missing.m_hWnd);
    EXPECT_EQ(0, missing.inits);
    EXPECT_EQ(before, AfxGetResourceHandle());
    // A later ShowWindow does nothing.
    EXPECT_FALSE(missing.ShowWindow(SW_SHOW));

    // A null language module: the plug-in's own template, or nothing.
    CTestDlg own;
    EXPECT_TRUE(own.CreateFromModule(IDD_TEST_PAGE, parent(), nullptr));
    EXPECT_EQ(g_hModuleInstance, InstanceOf(own));
    EXPECT_EQ(before, AfxGetResourceHandle());
    CTestDlg none(9999);
    EXPECT_FALSE(none.CreateFromModule(9999, parent(), nullptr));
    EXPECT_EQ(before, AfxGetResourceHandle());

    // One attempt in one module.
    CTestDlg single;
    EXPECT_FALSE(single.CreateInModule(nullptr, IDD_TEST_PAGE, parent()));
    EXPECT_FALSE(single.CreateInModule(language, IDD_TEST_PAGE, parent()));
    EXPECT_EQ(nullptr, single.m_hWnd);
    EXPECT_EQ(before, AfxGetResourceHandle());
}

namespace {

struct HelpCall {
    std::wstring file;
    UINT command;
    DWORD_PTR data;
};
std::vector<HelpCall> g_helpCalls;

HWND WINAPI RecordHelp(HWND, LPCWSTR file, UINT command, DWORD_PTR data)
{
    g_helpCalls.push_back({ file ? file : L"", command, data });
    return nullptr;
}

// The frame as an object, to see what reaches the dialog's parent.
class CHelpParent : public CWnd {
public:
    int helps = 0;
    int lastControl = 0;

protected:
    BOOL OnHelpInfo(HELPINFO* info)
    {
        ++helps;
        lastControl = info->iCtrlId;
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHelpParent, CWnd)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

void SendHelp(HWND control)
{
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(control);
    info.hItemHandle = control;
    SendMessageW(control, WM_HELP, 0, (LPARAM)&info);
}

} // namespace

TEST_F(DialogBasesGui, HelpOnAControlShowsItsTopicThenGoesOnAsUsual)
{
    g_helpCalls.clear();
    g_seams.HtmlHelpW = &RecordHelp;
    CHelpParent host;
    ASSERT_TRUE(host.SubclassWindow(frame.hwnd()));
    CTestDlg page;
    ASSERT_TRUE(page.CreateFromModule(IDD_TEST_PAGE, &host, language));

    SendHelp(GetDlgItem(page.m_hWnd, IDC_PAPER));
    ASSERT_EQ(1u, g_helpCalls.size());
    EXPECT_EQ((UINT)HH_HELP_CONTEXT, g_helpCalls[0].command);
    EXPECT_EQ(GetHelpContext(IDC_PAPER), g_helpCalls[0].data);
    EXPECT_EQ(2020u, g_helpCalls[0].data);
    EXPECT_NE(std::wstring::npos, g_helpCalls[0].file.find(L"bq2100PS"));
    // The framework's default handling passes it on to the parent.
    EXPECT_EQ(1, host.helps);
    EXPECT_EQ((int)IDC_PAPER, host.lastControl);

    // A control without a topic of its own: the default topic.
    SendHelp(GetDlgItem(page.m_hWnd, IDC_NO_TOPIC));
    ASSERT_EQ(2u, g_helpCalls.size());
    EXPECT_EQ(500u, g_helpCalls[1].data);
    page.DestroyWindow();
    host.UnsubclassWindow();
}

TEST_F(DialogBasesGui, FindComboItemByDataAnswersTheFirstMatch)
{
    CTestDlg page;
    ASSERT_TRUE(page.CreateFromModule(IDD_TEST_PAGE, parent(), nullptr));
    HWND combo = GetDlgItem(page.m_hWnd, IDC_DATA_COMBO);
    EXPECT_EQ(-1, FindComboItemByData(&page, 0));   // no items
    const LONG_PTR data[] = { 0, 5, 5, -2 };
    for (LONG_PTR d : data) {
        int i = (int)SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)L"item");
        SendMessageW(combo, CB_SETITEMDATA, i, d);
    }
    EXPECT_EQ(1, FindComboItemByData(&page, 5));
    EXPECT_EQ(0, FindComboItemByData(&page, 0));
    EXPECT_EQ(3, FindComboItemByData(&page, -2));   // sign-extended to the item data's width
    EXPECT_EQ(-1, FindComboItemByData(&page, 7));

    CTestDlg noCombo(IDD_NO_COMBO);
    ASSERT_TRUE(noCombo.CreateFromModule(IDD_NO_COMBO, parent(), nullptr));
    EXPECT_EQ(-1, FindComboItemByData(&noCombo, 0));
    EXPECT_EQ(-1, FindComboItemByData(nullptr, 0));
}

namespace {

COLORREF Pattern(int x, int y) { return RGB(37 * x % 256, 53 * y % 256, (x * y) % 256); }
constexpr int kPatternW = 7, kPatternH = 5;

HBITMAP PatternBitmap()
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kPatternW;
    info.bmiHeader.biHeight = -kPatternH;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int y = 0; y < kPatternH; ++y)
        for (int x = 0; x < kPatternW; ++x) {
            COLORREF c = Pattern(x, y);
            pixels[y * kPatternW + x] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    return bitmap;
}

// A page with a patterned background and a sub-dialog over its placeholder
// that takes its background at the page's first paint, as the pages do.
class CHostPage : public CPropDlg {
public:
    CHostPage() : CPropDlg(IDD_TEST_PAGE) {}
    CDialogEx sub{ IDD_SUB_DIALOG };
    bool captured = false;

protected:
    BOOL OnInitDialog() override
    {
        CPropDlg::OnInitDialog();
        SetBackgroundImage(PatternBitmap(), BACKGR_TILE, TRUE, FALSE);
        sub.Create(IDD_SUB_DIALOG, this);
        CRect place;
        GetDlgItem(IDC_PLACEHOLDER)->GetWindowRect(place);
        ScreenToClient(place);
        sub.MoveWindow(place);
        sub.ShowWindow(SW_SHOW);
        return TRUE;
    }
    void OnPaint()
    {
        CPaintDC dc(this);
        if (!captured) {
            CaptureControlBitmap(this, &sub, IDC_PLACEHOLDER);
            captured = true;
        }
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHostPage, CPropDlg)
    ON_WM_PAINT()
END_MESSAGE_MAP()

} // namespace

TEST_F(DialogBasesGui, ASubDialogShowsExactlyThePixelsUnderItsPlaceholder)
{
    CHostPage page;
    ASSERT_TRUE(page.CreateFromModule(IDD_TEST_PAGE, parent(), nullptr));
    pumpMessages();
    ASSERT_TRUE(page.captured);

    CRect place;
    GetWindowRect(GetDlgItem(page.m_hWnd, IDC_PLACEHOLDER), place);
    page.ScreenToClient(place);
    CRect sub;
    page.sub.GetClientRect(sub);
    ASSERT_EQ(place.Width(), sub.Width());
    ASSERT_EQ(place.Height(), sub.Height());
    std::vector<COLORREF> shown = screenPixels(page.sub.m_hWnd, sub);
    ASSERT_EQ((size_t)(sub.Width() * sub.Height()), shown.size());
    int wrong = 0;
    for (int y = 0; y < sub.Height(); ++y)
        for (int x = 0; x < sub.Width(); ++x)
            if (shown[y * sub.Width() + x] != Pattern((place.left + x) % kPatternW, (place.top + y) % kPatternH))
                ++wrong;
    EXPECT_EQ(0, wrong) << "of " << shown.size() << " pixels";
    saveScreenshot(frame.hwnd(), L"dialog-bases-capture");
}
