// The picture library: a child window that shows a bitmap resource of the program,
// at its origin, centred or stretched, and the display's colour count. pelvex.dll
// exports these by ordinal only; programs import them through its import library.
#pragma once

#include "mfc.h"

#ifdef PELVEX_BUILD
#define PELVEX_API
#else
#define PELVEX_API __declspec(dllimport)
#endif

// Display flags of LoadPicture. The two placement flags become the window's style bits
// of the same value, which decide how the picture is drawn.
constexpr DWORD PELVEX_CENTRED = 0x0001;   // drawn centred in the window
constexpr DWORD PELVEX_STRETCHED = 0x0100; // drawn stretched to the window
constexpr DWORD PELVEX_PALETTE = 0x1000;   // the picture's palette is realised on palette displays

class PELVEX_API CPelvexPictureWnd : public CWnd {
public:
    // An object with no window and no picture.
    CPelvexPictureWnd();
    // Releases the picture's palette and destroys the window.
    ~CPelvexPictureWnd() override;

    // Creates the picture window as a child of pParentWnd at rect.
    BOOL CreatePictureWnd(const char *lpszText, DWORD dwStyle, const RECT &rect, CWnd *pParentWnd,
                          UINT nID);
    // Loads bitmap nIDResource from the program's resources (8-bit RLE8, 4-bit RLE4,
    // or uncompressed) and shows it as dwFlags say; FALSE, with the previous picture
    // kept, when the resource is missing or not a well-formed bitmap.
    BOOL LoadPicture(UINT nIDResource, DWORD dwFlags);
    // The number of colours the display can show: 2 to the bits per pixel, at most
    // 2 to the 24th.
    static int GetDisplayColours();

protected:
    // The default handling of picture windows: the system's default window procedure.
    WNDPROC *GetSuperWndProcAddr() noexcept override;

    // The loaded picture's information header inside the program's resources; null
    // until a picture is loaded.
    const BITMAPINFOHEADER *m_lpPicture;
    int GetPictureWidth() const { return m_lpPicture != nullptr ? m_lpPicture->biWidth : 0; }
    int GetPictureHeight() const
    {
        if (m_lpPicture == nullptr)
            return 0;
        return m_lpPicture->biHeight < 0 ? -m_lpPicture->biHeight : m_lpPicture->biHeight;
    }

    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    HPALETTE m_hPalette;
    // The loaded picture's pixel bits, after its header and colour table.
    const BYTE *m_lpBits;
};
