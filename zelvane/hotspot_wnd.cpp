// The hot-spot picture control.
#include "hotspot_wnd.h"

BEGIN_MESSAGE_MAP(CHotSpotWnd, CPelvexPictureWnd)
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CPoint MapPicturePoint(CPoint point, DWORD style, bool pictureLoaded, int windowWidth,
                       int windowHeight, int pictureWidth, int pictureHeight)
{
    zelvane::Point mapped =
        zelvane::map_picture_point({point.x, point.y}, style, pictureLoaded, windowWidth,
                                   windowHeight, pictureWidth, pictureHeight);
    return CPoint(mapped.x, mapped.y);
}

int FindHotSpot(const CTypedPtrArray<CPtrArray, HotSpot *> &spots, CPoint point)
{
    auto rectAt = [&spots](int i) {
        const RECT &rect = spots.GetAt(i)->rect;
        return zelvane::Rect{rect.left, rect.top, rect.right, rect.bottom};
    };
    return zelvane::find_last_containing(spots.GetSize(), rectAt, {point.x, point.y});
}

CHotSpotWnd::CHotSpotWnd() : m_hHandCursor(nullptr) {}

CHotSpotWnd::~CHotSpotWnd()
{
    for (int i = m_hotSpots.GetSize() - 1; i >= 0; --i)
        delete m_hotSpots.GetAt(i);
    m_hotSpots.RemoveAll();
}

void CHotSpotWnd::AddHotSpot(const RECT &rect, UINT nCmdID)
{
    auto *spot = new HotSpot{rect, nCmdID};
    m_hotSpots.SetAtGrow(m_hotSpots.GetSize(), spot);
}

void CHotSpotWnd::MapPoint(CPoint &point)
{
    DWORD style = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
    CRect client;
    GetClientRect(&client);
    point = MapPicturePoint(point, style, m_lpPicture != nullptr, client.Width(), client.Height(),
                            GetPictureWidth(), GetPictureHeight());
}

int CHotSpotWnd::HitTest(CPoint point)
{
    CPoint mapped = point;
    MapPoint(mapped);
    return FindHotSpot(m_hotSpots, mapped);
}

void CHotSpotWnd::OnLButtonDown(UINT, CPoint point)
{
    Default();
    int index = HitTest(point);
    if (index < 0)
        return;
    CWnd *parent = CWnd::FromHandle(::GetParent(m_hWnd));
    if (parent != nullptr)
        parent->SendMessage(WM_COMMAND, m_hotSpots.GetAt(index)->nCmdID, 0);
}

void CHotSpotWnd::OnMouseMove(UINT, CPoint point)
{
    Default();
    if (HitTest(point) < 0) {
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
        return;
    }
    if (m_hHandCursor == nullptr) {
        const char *name = MAKEINTRESOURCEA(kHandCursor);
        HINSTANCE module =
            AfxFindResourceHandle(name, reinterpret_cast<const char *>(RT_GROUP_CURSOR));
        m_hHandCursor = ::LoadCursorA(module, name);
    }
    ::SetCursor(m_hHandCursor);
}

BOOL CHotSpotWnd::OnSetCursor(CWnd *, UINT, UINT) { return TRUE; }
