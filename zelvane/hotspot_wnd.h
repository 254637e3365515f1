// The menu picture with clickable rectangles: a hand cursor over each hot spot, and a
// press of the left button on one sends its command to the parent window.
#pragma once

#include "pelvex.h"

// One clickable rectangle in picture pixels (right and bottom lie outside it).
struct HotSpot {
    RECT rect;
    UINT nCmdID;
};

// Window style bits the control reads (the low 16 bits belong to the control class).
constexpr DWORD HSW_MAPPING = 0x8000;   // mouse points are mapped to picture pixels
constexpr DWORD HSW_CENTRED = 0x0001;   // the picture is centred in the window
constexpr DWORD HSW_STRETCHED = 0x0100; // the picture is stretched to the window

// Converts a client point of a window of the given client size into pixels of a picture
// of the given size as the style says; unchanged without the mapping bit or without a
// picture. Integer arithmetic, quotients truncated toward zero.
CPoint MapPicturePoint(CPoint point, DWORD style, bool pictureLoaded, int windowWidth,
                       int windowHeight, int pictureWidth, int pictureHeight);

// The index of the hot spot that contains a picture point, the last added winning
// where spots overlap; -1 when none does.
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
