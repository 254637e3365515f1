// The hot-spot picture control: point mapping and hit-testing as plain functions, and a
// real control in a window of the test's own, with the picture library drawing it.
#include <gtest/gtest.h>

#include "hotspot_wnd.h"
#include "message_recorder.h"

using test_support::MessageRecorder;

namespace {

CPoint map(CPoint point, DWORD style, int windowWidth, int windowHeight, int pictureWidth = 580,
           int pictureHeight = 435)
{
    return MapPicturePoint(point, style, true, windowWidth, windowHeight, pictureWidth,
                           pictureHeight);
}

TEST(MapPoint, CentredMovesByHalfTheDifferenceTruncatedTowardZero)
{
    EXPECT_EQ(map({24, 135}, 0x8001, 588, 374), CPoint(20, 165));
    // 580 - 591 = -11: x moves by -5, not -6.
    EXPECT_EQ(map({10, 0}, 0x8001, 591, 435), CPoint(5, 0));
    EXPECT_EQ(map({10, 0}, 0x8001, 569, 435), CPoint(15, 0));
    EXPECT_EQ(map({24, 135}, 0x8101, 588, 374), CPoint(20, 165)) << "centred wins over stretched";
}

TEST(MapPoint, StretchedFormsTheProductFirst)
{
    EXPECT_EQ(map({10, 83}, 0x8100, 290, 217), CPoint(20, 166));
    EXPECT_EQ(map({1, 1}, 0x8100, 3, 3, 2, 2), CPoint(0, 0));
    // A point left of the window (mouse captured): -1 * 2 / 3 truncates to 0, not -1.
    EXPECT_EQ(map({-1, -2}, 0x8100, 3, 3, 2, 2), CPoint(0, -1));
}

TEST(MapPoint, UnchangedWithoutMappingPictureModeOrArea)
{
    EXPECT_EQ(map({24, 135}, 0x0001, 588, 374), CPoint(24, 135));
    EXPECT_EQ(map({24, 135}, 0x8000, 588, 374), CPoint(24, 135));
    EXPECT_EQ(MapPicturePoint({24, 135}, 0x8001, false, 588, 374, 0, 0), CPoint(24, 135));
    EXPECT_EQ(map({24, 135}, 0x8100, 0, 0), CPoint(24, 135))
        << "an empty window divides by nothing";
}

TEST(FindHotSpot, WindowsRectangleRuleAndLastAddedWins)
{
    CTypedPtrArray<CPtrArray, HotSpot *> spots;
    EXPECT_EQ(FindHotSpot(spots, {20, 165}), -1);
    HotSpot first{{20, 165, 122, 251}, 0x8005}, second{{100, 200, 200, 300}, 0x8007};
    spots.Add(&first);
    EXPECT_EQ(FindHotSpot(spots, {20, 165}), 0) << "left and top edges are inside";
    EXPECT_EQ(FindHotSpot(spots, {121, 250}), 0);
    EXPECT_EQ(FindHotSpot(spots, {122, 200}), -1) << "the right edge is outside";
    EXPECT_EQ(FindHotSpot(spots, {50, 251}), -1) << "the bottom edge is outside";
    spots.Add(&second);
    EXPECT_EQ(FindHotSpot(spots, {110, 210}), 1) << "in both: the later one";
    EXPECT_EQ(FindHotSpot(spots, {50, 210}), 0);
    EXPECT_EQ(FindHotSpot(spots, {150, 290}), 1);
}

// The control with what the tests look at inside it.
class CProbeHotSpotWnd : public CHotSpotWnd {
public:
    HCURSOR handCursor() const { return m_hHandCursor; }
    const BITMAPINFOHEADER *picture() const { return m_lpPicture; }
    int width() const { return GetPictureWidth(); }
    int height() const { return GetPictureHeight(); }
};

// A shown parent that records the WM_COMMAND messages it gets, with a control in it.
class Control : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The real pointer stays away, so only the test's messages reach the control.
        SetCursorPos(0, 0);
        SetWindowPos(parent.window(), HWND_TOP, 50, 50, 700, 560, SWP_SHOWWINDOW);
        control = new CProbeHotSpotWnd;
        ASSERT_TRUE(control->CreatePictureWnd(nullptr, 0x50008000, CRect(0, 0, 600, 450),
                                              CWnd::FromHandle(parent.window()), 1000));
    }
    void TearDown() override { delete control; }

    void post_and_pump(UINT message, CPoint p)
    {
        PostMessageA(control->m_hWnd, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON,
                     MAKELPARAM(p.x, p.y));
        parent.pump_until(
            [&] {
                MSG m;
                return !PeekMessageA(&m, control->m_hWnd, 0, 0, PM_NOREMOVE);
            },
            2000);
    }

    MessageRecorder parent{WM_COMMAND, WM_COMMAND};
    CProbeHotSpotWnd *control = nullptr;
};

TEST_F(Control, PressOnASpotSendsOneCommandReleaseAndMissesNone)
{
    ASSERT_TRUE(control->LoadPicture(129, 0x1001));
    EXPECT_EQ(control->GetStyle() & 0xFFFF, 0x8001u) << "the placement flag became the mode bit";
    control->AddHotSpot(CRect(20, 165, 122, 251), 0x8005);
    control->AddHotSpot(CRect(130, 165, 230, 251), 0x8007);
    // 600 x 450 window, 580 x 435 picture: client = picture + (10, 7).
    EXPECT_EQ(control->HitTest({30, 172}), 0);
    EXPECT_EQ(control->HitTest({29, 171}), -1);

    post_and_pump(WM_LBUTTONDOWN, {150, 200});
    post_and_pump(WM_LBUTTONUP, {150, 200});
    ASSERT_EQ(parent.messages.size(), 1u);
    EXPECT_EQ(parent.messages[0].wParam, 0x8007u);
    EXPECT_EQ(parent.messages[0].lParam, 0);

    post_and_pump(WM_LBUTTONDOWN, {135, 200}); // picture x 125: between the panels
    post_and_pump(WM_LBUTTONDOWN, {150, 100}); // above the panels
    EXPECT_EQ(parent.messages.size(), 1u);
}

TEST_F(Control, WithoutAPictureSpotsAreInClientPixels)
{
    control->AddHotSpot(CRect(20, 165, 122, 251), 0x8005);
    EXPECT_EQ(control->picture(), nullptr);
    EXPECT_EQ(control->HitTest({20, 165}), 0);
    EXPECT_EQ(control->HitTest({30, 172}), 0);
    EXPECT_EQ(control->HitTest({19, 165}), -1);
}

TEST_F(Control, HandOverSpotsArrowElsewhereLoadedOnce)
{
    ASSERT_TRUE(control->LoadPicture(129, 0x1001));
    control->AddHotSpot(CRect(20, 165, 122, 251), 0x8005);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(143));
    ASSERT_NE(hand, nullptr);

    post_and_pump(WM_MOUSEMOVE, {5, 5});
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(control->handCursor(), nullptr) << "not loaded before it is needed";
    post_and_pump(WM_MOUSEMOVE, {40, 200});
    EXPECT_EQ(GetCursor(), hand);
    EXPECT_EQ(control->handCursor(), hand);

    // WM_SETCURSOR is answered TRUE and changes nothing.
    EXPECT_EQ(control->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(control->m_hWnd),
                                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), hand);
    post_and_pump(WM_MOUSEMOVE, {5, 5});
    EXPECT_EQ(GetCursor(), arrow);
    post_and_pump(WM_MOUSEMOVE, {41, 201});
    EXPECT_EQ(control->handCursor(), hand);
}

COLORREF pixel_at(HWND w, int x, int y)
{
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(w);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

// The colour the test pictures use for entry i of their colour table.
COLORREF table_colour(int i) { return RGB((i * 53) % 256, (i * 91) % 256, (i * 37) % 256); }

TEST_F(Control, PictureIsDrawnCentredOrStretched)
{
    ASSERT_TRUE(control->LoadPicture(129, 0x1001));
    EXPECT_EQ(control->width(), 580);
    EXPECT_EQ(control->height(), 435);
    // Top row of the picture: colour 1 up to x 200, colour 5 up to x 400, then 255.
    EXPECT_EQ(pixel_at(control->m_hWnd, 10 + 5, 7 + 2), table_colour(1));
    EXPECT_EQ(pixel_at(control->m_hWnd, 10 + 250, 7 + 2), table_colour(5));
    EXPECT_EQ(pixel_at(control->m_hWnd, 10 + 500, 7 + 2), table_colour(255));
    EXPECT_EQ(pixel_at(control->m_hWnd, 3, 3), GetSysColor(COLOR_BTNFACE)) << "outside the picture";

    ASSERT_TRUE(control->LoadPicture(130, 0x0100));
    EXPECT_EQ(control->GetStyle() & 0xFFFF, 0x8100u);
    // Stretched to 600 x 450: picture x 250 lies at window x 258; 4-bit colours.
    EXPECT_EQ(pixel_at(control->m_hWnd, 258, 2), table_colour(5));
    EXPECT_EQ(pixel_at(control->m_hWnd, 595, 2), table_colour(15));
}

TEST_F(Control, BrokenOrMissingPictureIsRefusedAndTheOldOneKept)
{
    ASSERT_TRUE(control->LoadPicture(130, 0x0001));
    const BITMAPINFOHEADER *loaded = control->picture();
    EXPECT_FALSE(control->LoadPicture(131, 0x0100)) << "an RLE bitmap without its encoded size";
    EXPECT_FALSE(control->LoadPicture(999, 0x0100));
    EXPECT_EQ(control->picture(), loaded);
    EXPECT_EQ(control->GetStyle() & 0xFFFF, 0x8001u);
}

TEST_F(Control, DestructorTakesTheWindowWithIt)
{
    HWND hWnd = control->m_hWnd;
    control->AddHotSpot(CRect(0, 0, 1, 1), 1);
    delete control;
    control = nullptr;
    EXPECT_FALSE(IsWindow(hWnd));
}

// The control inside a modal dialog, created while the dialog opens: a press on a spot
// reaches the dialog's command map before the press handler returns.
class CPictureDlg : public CDialog {
public:
    CPictureDlg() : CDialog(200) {}
    ~CPictureDlg() override { delete m_pPicture; }
    UINT command = 0;

protected:
    BOOL OnInitDialog() noexcept override
    {
        CDialog::OnInitDialog();
        m_pPicture = new CHotSpotWnd;
        m_pPicture->CreatePictureWnd(nullptr, 0x50008000, CRect(0, 0, 200, 80), this, 1000);
        m_pPicture->LoadPicture(129, 0x1001);
        m_pPicture->AddHotSpot(CRect(239, 165, 340, 251), 0x8004);
        // Picture pixel (250, 200) in a 200 x 80 window centred on a 580 x 435 picture.
        ::PostMessageA(m_pPicture->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON,
                       MAKELPARAM(250 - 190, 200 - 177));
        SetTimer(m_hWnd, 1, 3000, nullptr);
        return TRUE;
    }
    void OnSetup()
    {
        command = 0x8004;
        EndDialog(IDOK);
    }
    LRESULT OnTimeout(WPARAM, LPARAM)
    {
        EndDialog(-2);
        return 0;
    }

private:
    CHotSpotWnd *m_pPicture = nullptr;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPictureDlg, CDialog)
ON_COMMAND(0x8004, OnSetup)
ON_MESSAGE(WM_TIMER, OnTimeout)
END_MESSAGE_MAP()

TEST(ControlInDialog, PressBecomesTheDialogsCommand)
{
    CPictureDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.command, 0x8004u);
}

TEST(DisplayColours, CountFollowsTheDisplayDepth)
{
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    int colours = CPelvexPictureWnd::GetDisplayColours();
    if (bits >= 24)
        EXPECT_EQ(colours, 1 << 24);
    else
        EXPECT_EQ(colours, 1 << bits);
    EXPECT_GT(colours, 20);
}

} // namespace
