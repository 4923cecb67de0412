// The picture controls in a page-like dialog, driven as a user's pointer
// drives them, checked by the pixels the screen shows and by what they write.
#include <gtest/gtest.h>

#include "PictureTesting.h"
#include "harness/Keys.h"
#include "harness/TestWindow.h"
#include "plugin/SystemSeams.h"
#include "res/resource.h"
#include "settings/PrivateDevMode.h"
#include "sheets/PropSheet.h"
#include "ui/controls/PicFrameButton.h"
#include "ui/controls/PicLogoBtn.h"
#include "ui/controls/PicSwitchButton.h"

#include <string>
#include <utility>
#include <vector>

using namespace harness;
using namespace picturetest;

namespace {

enum : UINT {
    IDP_NORMAL = 9601,
    IDP_HOVER = 9602,
    IDP_PRESSED = 9603,
    IDP_SELECTED = 9604,
    IDB_TEST_ON = 9611,
    IDB_TEST_OFF = 9612,
    IDB_TEST_ON_HOVER = 9613,
    IDB_TEST_OFF_HOVER = 9614,
    IDD_HOST = 9650,
    IDC_PICTURE = 9651,
    IDC_SWITCH = 9652,
    IDC_SLIDER = 9653,
    IDC_LOGO = 9654,
    IDC_PLAIN = 9655,
    IDC_SECOND = 9656,
    IDD_CAPTIONED = 9660,
    IDC_CAPTIONED_PICTURE = 9661,
};

const COLORREF kWhite = RGB(255, 255, 255);

// The page stand-in: white, records the clicks and leave notices it gets, and
// steps its density slider on a click as the Advanced page does.
class CHostDlg : public CDialogEx {
public:
    explicit CHostDlg(UINT id = IDD_HOST) : CDialogEx(id) {}
    std::vector<UINT> clicks;
    int leaves = 0;
    CPicFrameButton* slider = nullptr;
    PRIVATE_DEVMODE* block = nullptr;

protected:
    void Clicked(UINT id) { clicks.push_back(id); }
    void OnPictureClicked() { Clicked(IDC_PICTURE); }
    void OnSwitchClicked() { Clicked(IDC_SWITCH); }
    void OnLogoClicked() { Clicked(IDC_LOGO); }
    void OnSliderClicked()
    {
        Clicked(IDC_SLIDER);
        if (slider) {
            slider->StepFrame();
            if (block)
                block->density = (WORD)slider->GetFrameValue();
        }
    }
    LRESULT OnPictureLeft(WPARAM, LPARAM)
    {
        ++leaves;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHostDlg, CDialogEx)
    ON_STN_CLICKED(IDC_PICTURE, &CHostDlg::OnPictureClicked)
    ON_STN_CLICKED(IDC_SWITCH, &CHostDlg::OnSwitchClicked)
    ON_STN_CLICKED(IDC_SLIDER, &CHostDlg::OnSliderClicked)
    ON_STN_CLICKED(IDC_LOGO, &CHostDlg::OnLogoClicked)
    ON_MESSAGE(WM_PICTURE_LEFT, &CHostDlg::OnPictureLeft)
END_MESSAGE_MAP()

class PicButtons : public picturetest::GdiPlusSuite {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(s_gdiplus->ok);
        parkPointer();
        ASSERT_TRUE(host.Create(IDD_HOST, CWnd::FromHandle(frame.hwnd())));
        host.SetBackgroundColor(kWhite);
        pumpMessages();
    }
    void TearDown() override
    {
        ResetSystemSeams();
        parkPointer();
    }

    // A picture control with the four flat test pictures.
    void bindPicture(CPicButton& button, UINT id = IDC_PICTURE)
    {
        ASSERT_TRUE(button.SubclassDlgItem(id, &host));
        button.m_nImageType = 0;
        button.m_nNormalID = IDP_NORMAL;
        button.m_nHoverID = IDP_HOVER;
        button.m_nPressedID = IDP_PRESSED;
        button.m_nSelectedID = IDP_SELECTED;
        UINT width = 0, height = 0;
        CPicButton::GetImageSize(IDP_NORMAL, width, height, 0);
        button.SizeToImage(width, height);
        button.Redraw();
        pumpMessages();
    }
    static CRect rectIn(HWND control, HWND parent)
    {
        CRect rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&rect), 2);
        return rect;
    }
    static std::pair<int, int> sizeOf(HWND control)
    {
        CRect rect;
        GetWindowRect(control, &rect);
        return std::make_pair(rect.Width(), rect.Height());
    }
    COLORREF shown(const CWnd& control, int x = 5, int y = 5) { return screenPixel(control.m_hWnd, x, y); }
    // The keyboard focus to the control, its frame the active window first.
    void focusOn(CWnd& control)
    {
        SetFocus(frame.hwnd());
        pumpMessages();
        control.SetFocus();
    }

    CAfxTempMapLock lock;
    TestFrame frame{ 640, 480, L"Picture controls" };
    CHostDlg host;
};

typedef PicButtons PicButtonsGui;

std::vector<UINT> Ids(std::initializer_list<UINT> ids) { return std::vector<UINT>(ids); }

} // namespace

TEST_F(PicButtonsGui, EachStateShowsItsPicture)
{
    CPicButton button;
    bindPicture(button);
    EXPECT_EQ(std::make_pair(24, 16), sizeOf(button.m_hWnd));
    const COLORREF normal = RGB(160, 40, 40), hover = RGB(40, 160, 40), pressed = RGB(40, 40, 160),
                   selected = RGB(160, 160, 40);
    EXPECT_EQ(normal, shown(button));
    EXPECT_EQ(normal, shown(button, 23, 15));

    pointerTo(button.m_hWnd, 5, 5);
    EXPECT_TRUE(button.m_bHover);
    EXPECT_EQ(hover, shown(button));
    press(button.m_hWnd, 5, 5);
    EXPECT_TRUE(button.m_bPressed);
    EXPECT_EQ(pressed, shown(button));
    EXPECT_TRUE(host.clicks.empty());
    release(button.m_hWnd, 5, 5);
    // The click reaches the page on the release, as the static's STN_CLICKED.
    EXPECT_EQ(Ids({ IDC_PICTURE }), host.clicks);
    EXPECT_FALSE(button.m_bPressed);
    EXPECT_EQ(hover, shown(button));
    pointerAway(button.m_hWnd);
    EXPECT_FALSE(button.m_bHover);
    EXPECT_EQ(normal, shown(button));
    EXPECT_EQ(1, host.leaves);

    // Selected: the selected picture under the pointer, pressed and after.
    button.m_bSelected = TRUE;
    button.Redraw();
    EXPECT_EQ(selected, shown(button));
    pointerTo(button.m_hWnd, 6, 6);
    EXPECT_EQ(selected, shown(button));
    press(button.m_hWnd, 6, 6);
    EXPECT_EQ(selected, shown(button));
    release(button.m_hWnd, 6, 6);
    EXPECT_EQ(selected, shown(button));
    pointerAway(button.m_hWnd);
    EXPECT_EQ(selected, shown(button));
    EXPECT_EQ(2, host.leaves);
    EXPECT_EQ(Ids({ IDC_PICTURE, IDC_PICTURE }), host.clicks);

    // A repaint of the page shows the state picture again.
    button.m_bSelected = FALSE;
    host.Invalidate(TRUE);
    EXPECT_EQ(normal, shown(button));
    saveScreenshot(host.m_hWnd, L"picture-button-states");
}

TEST_F(PicButtonsGui, PicturesOfIdZeroDrawNothing)
{
    CPicButton button;
    bindPicture(button);
    button.m_nHoverID = 0;
    button.m_nPressedID = 0;
    pointerTo(button.m_hWnd, 5, 5);
    EXPECT_TRUE(button.m_bHover);
    EXPECT_EQ(RGB(160, 40, 40), shown(button));   // nothing new drawn
    // No pressed picture: never pressed.
    press(button.m_hWnd, 5, 5);
    EXPECT_FALSE(button.m_bPressed);
    release(button.m_hWnd, 5, 5);
    // Leaving repaints the page's area, which shows the normal picture again.
    pointerAway(button.m_hWnd);
    EXPECT_EQ(RGB(160, 40, 40), shown(button));

    // No picture at all: the page shows through.
    button.m_nNormalID = 0;
    button.InvalidateBackground();
    EXPECT_EQ(kWhite, shown(button));
}

TEST_F(PicButtonsGui, ADisabledPictureIsDrawnWithGamma04)
{
    CPicButton button;
    bindPicture(button);
    const COLORREF disabled = drawnColour(IDP_NORMAL, true);
    ASSERT_NE(CLR_INVALID, disabled);
    // Lighter than the picture itself.
    EXPECT_GT(GetRValue(disabled) + GetGValue(disabled) + GetBValue(disabled), 160 + 40 + 40);
    button.EnableWindow(FALSE);
    EXPECT_EQ(disabled, shown(button));
    EXPECT_EQ(disabled, shown(button, 23, 15));
    saveScreenshot(host.m_hWnd, L"picture-button-disabled");
    button.EnableWindow(TRUE);
    EXPECT_EQ(RGB(160, 40, 40), shown(button));

    // Every state picture draws lighter while disabled.
    button.EnableWindow(FALSE);
    button.m_bSelected = TRUE;
    button.Redraw();
    EXPECT_EQ(drawnColour(IDP_SELECTED, true), shown(button));
}

TEST_F(PicButtonsGui, FocusShowsTheHoverStateAndAFrameAroundTheControl)
{
    CPicButton button;
    bindPicture(button);
    CRect around = rectIn(button.m_hWnd, host.m_hWnd);
    around.InflateRect(2, 2);
    auto frameRow = [&] { return screenPixels(host.m_hWnd, CRect(around.left, around.top, around.right, around.top + 1)); };
    const std::vector<COLORREF> blank(around.Width(), kWhite);
    // The page gave the focus to its first tab stop, this control, before it was bound.
    SetFocus(frame.hwnd());
    EXPECT_FALSE(button.m_bHover);
    ASSERT_EQ(blank, frameRow());

    button.SetFocus();
    EXPECT_EQ(button.m_hWnd, GetFocus());
    EXPECT_TRUE(button.m_bHover);
    EXPECT_NE(blank, frameRow());
    saveScreenshot(host.m_hWnd, L"picture-button-focus");

    SetFocus(frame.hwnd());
    EXPECT_FALSE(button.m_bHover);
    EXPECT_EQ(blank, frameRow());
    EXPECT_EQ(RGB(160, 40, 40), shown(button));
}

// The real pointer leaving: Windows' own leave tracking ends the hover.
TEST_F(PicButtonsGui, ThePointerLeavingEndsTheHover)
{
    CPicButton button;
    bindPicture(button);
    pointerTo(button.m_hWnd, 5, 5);
    ASSERT_TRUE(button.m_bHover);
    parkPointer();
    DWORD start = GetTickCount();
    while (button.m_bHover && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_FALSE(button.m_bHover);
    EXPECT_EQ(RGB(160, 40, 40), shown(button));
    EXPECT_EQ(1, host.leaves);
}

// The focus gives the hover look before the pointer comes: the pointer's
// arrival still asks for its leave, which ends the look.
TEST_F(PicButtonsGui, AFocusedPictureLosesItsHoverLookWhenThePointerLeaves)
{
    CPicButton button;
    bindPicture(button);
    focusOn(button);
    pointerTo(button.m_hWnd, 5, 5);
    TRACKMOUSEEVENT asked = { sizeof asked, TME_QUERY };
    ASSERT_TRUE(TrackMouseEvent(&asked));
    EXPECT_EQ(button.m_hWnd, asked.hwndTrack);
    EXPECT_TRUE(asked.dwFlags & TME_LEAVE);
    pointerAway(button.m_hWnd);
    EXPECT_FALSE(button.m_bHover);
    EXPECT_EQ(RGB(160, 40, 40), shown(button));
}

// Space as on a push button: pressed while held (its repeats press nothing
// more), clicked on its release unless the focus went first.
TEST_F(PicButtonsGui, SpaceClicksTheFocusedPicture)
{
    CPicButton button;
    bindPicture(button);
    focusOn(button);
    SendMessageW(button.m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(button.m_hWnd, WM_KEYDOWN, VK_SPACE, 1 | (KF_REPEAT << 16));
    EXPECT_EQ(RGB(40, 40, 160), shown(button));
    EXPECT_TRUE(host.clicks.empty());
    pressKey(dialogLoop(host.m_hWnd), VK_SPACE);
    EXPECT_EQ(Ids({ IDC_PICTURE }), host.clicks);
    SendMessageW(button.m_hWnd, WM_KEYDOWN, VK_SPACE, 1);
    SetFocus(frame.hwnd());
    SendMessageW(button.m_hWnd, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_FALSE(button.m_bPressed);
    EXPECT_EQ(1u, host.clicks.size());
}

// As on a push button, the click is the release over the picture: a press
// dragged off it clicks nothing, and shows pressed only while over it.
TEST_F(PicButtonsGui, APressDraggedOffThePictureClicksNothing)
{
    CPicButton button;
    bindPicture(button);
    pointerTo(button.m_hWnd, 5, 5);
    press(button.m_hWnd, 5, 5);
    pointerTo(button.m_hWnd, 60, 5);
    EXPECT_EQ(RGB(160, 40, 40), shown(button));
    release(button.m_hWnd, 60, 5);
    EXPECT_TRUE(host.clicks.empty());
}

// A second quick click arrives as a double click: it counts as a click.
TEST_F(PicButtonsGui, TwoQuickClicksOnASwitchCountTwice)
{
    CPicSwitchButton sw;
    ASSERT_TRUE(sw.SubclassDlgItem(IDC_SWITCH, &host));
    press(sw.m_hWnd, 3, 3);
    release(sw.m_hWnd, 3, 3);
    SendMessageW(sw.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    release(sw.m_hWnd, 3, 3);
    EXPECT_EQ(Ids({ IDC_SWITCH, IDC_SWITCH }), host.clicks);
}

TEST_F(PicButtonsGui, SizingKeepsThePlaceInACaptionedParent)
{
    CHostDlg popup(IDD_CAPTIONED);
    ASSERT_TRUE(popup.Create(IDD_CAPTIONED, CWnd::FromHandle(frame.hwnd())));
    popup.SetBackgroundColor(kWhite);
    pumpMessages();
    CPicButton button;
    ASSERT_TRUE(button.SubclassDlgItem(IDC_CAPTIONED_PICTURE, &popup));
    const CRect before = rectIn(button.m_hWnd, popup.m_hWnd);
    button.m_nImageType = 0;
    button.m_nNormalID = IDP_NORMAL;
    button.SizeToImage(24, 16);
    button.Redraw();
    EXPECT_EQ(CRect(before.TopLeft(), CSize(24, 16)), rectIn(button.m_hWnd, popup.m_hWnd));
    EXPECT_EQ(RGB(160, 40, 40), shown(button, 12, 8));

    // The area the page repaints is exactly the control's.
    pumpMessages();
    ValidateRect(popup.m_hWnd, nullptr);
    button.InvalidateBackground();
    CRect update;
    ASSERT_TRUE(GetUpdateRect(popup.m_hWnd, &update, FALSE));
    EXPECT_EQ(rectIn(button.m_hWnd, popup.m_hWnd), update);
    saveScreenshot(popup.m_hWnd, L"picture-button-captioned");
}

TEST_F(PicButtonsGui, ASwitchTakesTheSizeOfItsPicture)
{
    CPicSwitchButton sw;
    ASSERT_TRUE(sw.SubclassDlgItem(IDC_SWITCH, &host));
    const CPoint place = rectIn(sw.m_hWnd, host.m_hWnd).TopLeft();
    sw.m_nOnID = IDB_TEST_ON;
    sw.m_nOffID = IDB_TEST_OFF;
    sw.m_nOnHoverID = IDB_TEST_ON_HOVER;
    sw.m_nOffHoverID = IDB_TEST_OFF_HOVER;
    sw.m_nSwitchImageType = 1;
    sw.m_nSelectedID = IDP_SELECTED;

    sw.m_bOn = 1;
    sw.UpdateSwitch();
    EXPECT_EQ(CRect(place, CSize(30, 12)), rectIn(sw.m_hWnd, host.m_hWnd));
    EXPECT_EQ(1u, sw.m_nImageType);
    EXPECT_EQ(0u, sw.m_nSelectedID);
    EXPECT_EQ((UINT)IDB_TEST_ON_HOVER, sw.m_nPressedID);
    EXPECT_EQ(RGB(200, 100, 0), shown(sw, 29, 11));
    pointerTo(sw.m_hWnd, 3, 3);
    EXPECT_EQ(RGB(230, 130, 30), shown(sw));
    pointerAway(sw.m_hWnd);

    sw.m_bOn = 0;
    sw.UpdateSwitch();
    EXPECT_EQ(CRect(place, CSize(20, 16)), rectIn(sw.m_hWnd, host.m_hWnd));
    EXPECT_EQ(RGB(90, 90, 90), shown(sw, 19, 15));
    // The on picture's wider area no longer shows the switch.
    EXPECT_EQ(kWhite, screenPixel(host.m_hWnd, place.x + 25, place.y + 2));
    pointerTo(sw.m_hWnd, 3, 3);
    EXPECT_EQ(RGB(120, 120, 120), shown(sw));
    // Pressed shows the hover picture too.
    press(sw.m_hWnd, 3, 3);
    EXPECT_EQ(RGB(120, 120, 120), shown(sw));
    release(sw.m_hWnd, 3, 3);
    pointerAway(sw.m_hWnd);
    EXPECT_EQ(RGB(90, 90, 90), shown(sw));
    EXPECT_EQ(Ids({ IDC_SWITCH }), host.clicks);

    // The module's own switch pictures.
    sw.m_nOnID = IDB_SWITCH_ON;
    sw.m_nOffID = IDB_SWITCH_OFF;
    sw.m_nOnHoverID = IDB_SWITCH_ON_HOVER;
    sw.m_nOffHoverID = IDB_SWITCH_OFF_HOVER;
    sw.m_bOn = 1;
    sw.UpdateSwitch();
    EXPECT_EQ(CRect(place, CSize(50, 19)), rectIn(sw.m_hWnd, host.m_hWnd));
    saveScreenshot(host.m_hWnd, L"picture-switch");
}

namespace {

// The density slider as the Advanced page sets it up.
class PicFrames : public PicButtons {
protected:
    void SetUp() override
    {
        PicButtons::SetUp();
        ASSERT_TRUE(slider.SubclassDlgItem(IDC_SLIDER, &host));
        const _PIC_FRAME_DATA frames[] = {
            { IDR_DENSITY_LIGHT, IDR_DENSITY_LIGHT_HOVER, 0, 0, 20, 110, 0, 0, 9, 19, 0, 34 },
            { IDR_DENSITY_NORMAL, IDR_DENSITY_NORMAL_HOVER, 0, 1, 60, 110, 0, 48, 49, 59, 35, 75 },
            { IDR_DENSITY_DARK, IDR_DENSITY_DARK_HOVER, 0, 2, 0, 0, 0, 90, 91, 101, 76, 110 },
        };
        for (const _PIC_FRAME_DATA& f : frames)
            slider.m_arrFrames.Add(f);
        block.density = 0;
        pair.pPublic = &publicDm;
        pair.pPrivate = &block;
        context.devmode = &pair;
        slider.m_pContext = &context;
        host.slider = &slider;
        host.block = &block;
        ASSERT_EQ(S_OK, slider.SetFrame(0));
        pumpMessages();
    }
    // A click at x as a user makes it: move there, press, release.
    void clickAt(int x)
    {
        pointerTo(slider.m_hWnd, x, 15);
        press(slider.m_hWnd, x, 15);
        release(slider.m_hWnd, x, 15);
        pointerAway(slider.m_hWnd);
    }

    CPicFrameButton slider;
    DEVMODEW publicDm = {};
    PRIVATE_DEVMODE block = {};
    DEVMODE_PAIR pair = {};
    PROPSHEET_CONTEXT context = {};
};

typedef PicFrames PicFramesGui;

} // namespace

TEST_F(PicFramesGui, SetFrameShowsTheFrameOrRefusesAnIndexOutside)
{
    EXPECT_EQ(std::make_pair(113, 30), sizeOf(slider.m_hWnd));
    EXPECT_EQ((UINT)IDR_DENSITY_LIGHT, slider.m_nNormalID);
    EXPECT_EQ((UINT)IDR_DENSITY_LIGHT_HOVER, slider.m_nHoverID);
    EXPECT_EQ(0u, slider.m_nPressedID);
    EXPECT_EQ(S_OK, slider.SetFrame(2));
    EXPECT_EQ(2, slider.GetFrameValue());
    EXPECT_EQ((UINT)IDR_DENSITY_DARK, slider.m_nNormalID);
    EXPECT_EQ(E_INVALIDARG, slider.SetFrame(3));
    EXPECT_EQ(E_INVALIDARG, slider.SetFrame(-1));
    EXPECT_EQ(2, slider.m_nCurFrame);
    EXPECT_EQ((UINT)IDR_DENSITY_DARK, slider.m_nNormalID);
    // What the screen shows is the frame's picture.
    Canvas expected(113, 30, kWhite);
    {
        CGdiPlusBitmapResource png;
        ASSERT_TRUE(png.Load(IDR_DENSITY_DARK, L"PNG", g_hModuleInstance));
        expected.draw(*png.m_pBitmap, false);
    }
    std::vector<COLORREF> screen = screenPixels(slider.m_hWnd, CRect(0, 0, 113, 30));
    std::vector<DWORD> drawn = expected.pixels();
    ASSERT_EQ(drawn.size(), screen.size());
    int differing = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        differing += RGB((drawn[i] >> 16) & 0xff, (drawn[i] >> 8) & 0xff, drawn[i] & 0xff) != screen[i];
    EXPECT_EQ(0, differing);
    saveScreenshot(host.m_hWnd, L"picture-slider-dark");
}

TEST_F(PicFramesGui, SetFrameByValueTakesTheLowestIndex)
{
    slider.m_arrFrames[2].nValue = 1;
    EXPECT_EQ(S_OK, slider.SetFrameByValue(1));
    EXPECT_EQ(1, slider.m_nCurFrame);
    EXPECT_EQ(E_FAIL, slider.SetFrameByValue(7));
    EXPECT_EQ(1, slider.m_nCurFrame);
    slider.m_arrFrames.RemoveAll();
    EXPECT_EQ(E_FAIL, slider.SetFrameByValue(0));
    EXPECT_EQ(E_INVALIDARG, slider.SetFrame(0));
}

TEST_F(PicFramesGui, AClickInAStepZoneMovesOneFrame)
{
    clickAt(30);   // frame 0: step-forward zone 20-110
    EXPECT_EQ(1, slider.m_nCurFrame);
    EXPECT_EQ(1, block.density);
    clickAt(80);   // frame 1: step-forward zone 60-110
    EXPECT_EQ(2, slider.m_nCurFrame);
    EXPECT_EQ(2, block.density);
    clickAt(0);    // frame 2: its step-forward zone 0-0 (the last frame) does nothing
    EXPECT_EQ(CPicFrameButton::ZONE_FORWARD, slider.m_nZone);
    EXPECT_EQ(2, slider.m_nCurFrame);
    clickAt(50);   // frame 2: step-back zone 0-90
    EXPECT_EQ(1, slider.m_nCurFrame);
    clickAt(10);   // frame 1: step-back zone 0-48
    EXPECT_EQ(0, slider.m_nCurFrame);
    EXPECT_EQ(0, block.density);
    clickAt(0);    // frame 0: the step-back zone 0-0 does nothing on the first frame
    EXPECT_EQ(0, slider.m_nCurFrame);
    clickAt(14);   // the thumb: no zone, no step
    EXPECT_EQ(0, slider.m_nCurFrame);
    EXPECT_EQ(7u, host.clicks.size());
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(PicFramesGui, AClickStepsByItsOwnPlaceNotByTheLastMove)
{
    pointerTo(slider.m_hWnd, 14, 15);   // frame 0: the thumb
    press(slider.m_hWnd, 30, 15);       // no move reported at the step-forward zone
    release(slider.m_hWnd, 30, 15);
    EXPECT_EQ(1, slider.m_nCurFrame);
    EXPECT_EQ(1, block.density);
    pointerAway(slider.m_hWnd);
}

TEST_F(PicFramesGui, DraggingTheThumbWritesTheDensity)
{
    block.density = 7;
    pointerTo(slider.m_hWnd, 14, 15);
    EXPECT_EQ(CPicFrameButton::ZONE_OTHER, slider.m_nZone);
    press(slider.m_hWnd, 14, 15);
    EXPECT_TRUE(slider.m_bDragging);
    EXPECT_EQ(slider.m_hWnd, GetCapture());
    pointerTo(slider.m_hWnd, 50, 15);
    EXPECT_EQ(1, slider.m_nCurFrame);
    EXPECT_EQ(1, block.density);
    pointerTo(slider.m_hWnd, 100, 15);
    EXPECT_EQ(2, slider.m_nCurFrame);
    EXPECT_EQ(2, block.density);
    // Outside every frame range the frame stays, and its value is written again.
    block.density = 7;
    pointerTo(slider.m_hWnd, 400, 15);
    EXPECT_EQ(2, slider.m_nCurFrame);
    EXPECT_EQ(2, block.density);
    pointerTo(slider.m_hWnd, -30, 15);
    EXPECT_EQ(2, slider.m_nCurFrame);
    pointerTo(slider.m_hWnd, 20, 15);
    EXPECT_EQ(0, slider.m_nCurFrame);
    EXPECT_EQ(0, block.density);
    release(slider.m_hWnd, 20, 15);
    EXPECT_FALSE(slider.m_bDragging);
    EXPECT_EQ(nullptr, GetCapture());
    // Moves after the release only find zones.
    pointerTo(slider.m_hWnd, 100, 15);
    EXPECT_EQ(0, slider.m_nCurFrame);
    EXPECT_EQ(CPicFrameButton::ZONE_FORWARD, slider.m_nZone);
    pointerAway(slider.m_hWnd);
    // The press in the thumb clicked the page, which stepped nothing.
    EXPECT_EQ(Ids({ IDC_SLIDER }), host.clicks);
}

TEST_F(PicFramesGui, ADragEndingOnAnotherFrameClicksThePageOnceMore)
{
    pointerTo(slider.m_hWnd, 14, 15);
    press(slider.m_hWnd, 14, 15);
    pointerTo(slider.m_hWnd, 100, 15);
    release(slider.m_hWnd, 100, 15);
    EXPECT_EQ(2, block.density);
    // The press, then the end of the drag: the page takes the new value as after a click.
    EXPECT_EQ(Ids({ IDC_SLIDER, IDC_SLIDER }), host.clicks);
    EXPECT_EQ(2, slider.m_nCurFrame) << "the click of the drag's end steps nothing";
    pointerAway(slider.m_hWnd);
}

TEST_F(PicFramesGui, ADragWithoutTheDevmodePairWritesNothing)
{
    block.density = 7;
    host.block = nullptr;
    context.devmode = nullptr;
    pointerTo(slider.m_hWnd, 14, 15);
    press(slider.m_hWnd, 14, 15);
    pointerTo(slider.m_hWnd, 100, 15);
    EXPECT_EQ(2, slider.m_nCurFrame);
    release(slider.m_hWnd, 100, 15);
    EXPECT_EQ(7, block.density);

    // Nor without a context.
    slider.m_pContext = nullptr;
    pointerTo(slider.m_hWnd, 100, 15);
    press(slider.m_hWnd, 100, 15);   // frame 2: x 100 lies in no zone
    pointerTo(slider.m_hWnd, 10, 15);
    EXPECT_EQ(0, slider.m_nCurFrame);
    release(slider.m_hWnd, 10, 15);
    EXPECT_EQ(7, block.density);
}

// A key's move clicks the page without a step, whatever zone the pointer left.
TEST_F(PicFramesGui, TheKeysMoveTheSliderWithoutTheZoneThePointerLeft)
{
    clickAt(30);   // a click in the step-forward zone: frame 1
    host.clicks.clear();
    focusOn(slider);
    pressKey(dialogLoop(host.m_hWnd), VK_HOME);
    EXPECT_EQ(0, slider.m_nCurFrame);
    EXPECT_EQ(0, block.density);
    EXPECT_EQ(Ids({ IDC_SLIDER }), host.clicks);
}

namespace {

struct ShellCall {
    HWND owner;
    std::wstring verb, file;
    bool noParameters, noDirectory;
    INT show;
};
std::vector<ShellCall> g_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                    INT show)
{
    g_shellCalls.push_back({ owner, verb ? verb : L"", file ? file : L"", parameters == nullptr,
                             directory == nullptr, show });
    return reinterpret_cast<HINSTANCE>(2);   // "file not found": not looked at
}

} // namespace

TEST_F(PicButtonsGui, TheLogoOpensItsAddressThroughTheShell)
{
    g_shellCalls.clear();
    g_seams.ShellExecuteW = &RecordShellExecute;
    CPicLogoBtn logo;
    ASSERT_TRUE(logo.SubclassDlgItem(IDC_LOGO, &host));
    ASSERT_FALSE(logo.GetStyle() & SS_NOTIFY);
    const CPoint place = rectIn(logo.m_hWnd, host.m_hWnd).TopLeft();
    logo.m_strUrl = L"https://www.example.com/q2100";
    logo.InitLogo();
    logo.Redraw();
    EXPECT_TRUE(logo.GetStyle() & SS_NOTIFY);
    EXPECT_TRUE(logo.GetStyle() & SS_BITMAP);
    EXPECT_EQ(CRect(place, CSize(112, 32)), rectIn(logo.m_hWnd, host.m_hWnd));
    EXPECT_EQ(0u, logo.m_nImageType);
    EXPECT_EQ((UINT)IDR_LOGO, logo.m_nSelectedID);
    EXPECT_EQ((UINT)IDR_LOGO, logo.m_nHoverID);
    EXPECT_EQ(0u, logo.m_nPressedID);

    pointerTo(logo.m_hWnd, 40, 16);
    press(logo.m_hWnd, 40, 16);
    release(logo.m_hWnd, 40, 16);
    ASSERT_EQ(1u, g_shellCalls.size());
    EXPECT_EQ(nullptr, g_shellCalls[0].owner);
    EXPECT_EQ(L"open", g_shellCalls[0].verb);
    EXPECT_EQ(L"https://www.example.com/q2100", g_shellCalls[0].file);
    EXPECT_TRUE(g_shellCalls[0].noParameters);
    EXPECT_TRUE(g_shellCalls[0].noDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, g_shellCalls[0].show);
    // The logo handles its own click: the page hears nothing.
    EXPECT_TRUE(host.clicks.empty());
    saveScreenshot(host.m_hWnd, L"picture-logo");
    // Space on the focused logo opens it as well.
    focusOn(logo);
    pressKey(dialogLoop(host.m_hWnd), VK_SPACE);
    EXPECT_EQ(2u, g_shellCalls.size());
}

TEST_F(PicButtonsGui, TheHandIsTheLogosOwnCursor)
{
    CPicLogoBtn logo;
    ASSERT_TRUE(logo.SubclassDlgItem(IDC_LOGO, &host));
    HWND plain = GetDlgItem(host.m_hWnd, IDC_PLAIN);
    const ULONG_PTR staticCursor = GetClassLongPtrW(plain, GCLP_HCURSOR);
    logo.InitLogo();
    // The Static class, shared by every static of the process, keeps its cursor.
    EXPECT_EQ(staticCursor, GetClassLongPtrW(logo.m_hWnd, GCLP_HCURSOR));
    EXPECT_EQ(staticCursor, GetClassLongPtrW(plain, GCLP_HCURSOR));

    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND), arrow = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_TRUE(SendMessageW(logo.m_hWnd, WM_SETCURSOR, (WPARAM)logo.m_hWnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(hand, GetCursor());
    // Over another static the pointer is what its class says.
    SendMessageW(plain, WM_SETCURSOR, (WPARAM)plain, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(arrow, GetCursor());
    // A static made after the logo as well.
    HWND later = CreateWindowExW(0, L"Static", L"later", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 200, 150, 60, 14,
                                 host.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, later);
    SetCursor(hand);
    SendMessageW(later, WM_SETCURSOR, (WPARAM)later, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(arrow, GetCursor());
    DestroyWindow(later);
}
