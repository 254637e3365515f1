// The menu picture with clickable rectangles: a hand cursor over each hot spot, and a
// press of the left button on one sends its command to the parent window.
#pragma once

#include "hot_spots.h"
#include "pelvex.h"

// One clickable rectangle in picture pixels (right and bottom lie outside it).
struct HotSpot {
    RECT rect;
    UINT nCmdID;
};

// A rectangle of the core as the system's RECT.
constexpr RECT ToRect(const zelvane::Rect &rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// zelvane::map_picture_point over the framework's points.
CPoint MapPicturePoint(CPoint point, DWORD style, bool pictureLoaded, int windowWidth,
                       int windowHeight, int pictureWidth, int pictureHeight);

// The index of the hot spot that contains a picture point by the Windows rule, the
// last added winning where spots overlap; -1 when none does.
int FindHotSpot(const CTypedPtrArray<CPtrArray, HotSpot *> &spots, CPoint point);

class CHotSpotWnd : public CPelvexPictureWnd {
public:
    // The resource number of the group cursor shown over hot spots.
    static constexpr UINT kHandCursor = 143;

    CHotSpotWnd();
    // Deletes the hot spots from the last to the first, then the base goes.
    ~CHotSpotWnd() override;

    void AddHotSpot(const RECT &rect, UINT nCmdID);
    // The index of the hot spot under a client point, or -1.
    int HitTest(CPoint point);
    // Converts a client point into picture pixels in place.
    void MapPoint(CPoint &point);

protected:
    CTypedPtrArray<CPtrArray, HotSpot *> m_hotSpots;
    HCURSOR m_hHandCursor;

    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    // Keeps the system from putting the class cursor back; the cursor changes only on
    // mouse moves.
    afx_msg BOOL OnSetCursor(CWnd *pWnd, UINT nHitTest, UINT message);

    DECLARE_MESSAGE_MAP()
};
