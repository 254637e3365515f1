// The picture window: loads a bitmap resource of the program and paints it.
#include "pelvex.h"

#include "owner.h"
#include "picture_logic.h"

#include <vector>

namespace {

const char kPictureClass[] = "PelvexPicture";

void register_picture_class()
{
    HINSTANCE program = ::GetModuleHandleA(nullptr);
    WNDCLASSA existing;
    if (::GetClassInfoA(program, kPictureClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = program;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPictureClass;
    ::RegisterClassA(&wc);
}

HPALETTE create_palette(const BITMAPINFOHEADER *header, size_t colourCount)
{
    if (colourCount == 0)
        return nullptr;
    const auto *table =
        reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const BYTE *>(header) + header->biSize);
    std::vector<BYTE> block(sizeof(LOGPALETTE) + colourCount * sizeof(PALETTEENTRY));
    auto *palette = reinterpret_cast<LOGPALETTE *>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(colourCount);
    for (size_t i = 0; i < colourCount; ++i)
        palette->palPalEntry[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return ::CreatePalette(palette);
}

} // namespace

BEGIN_MESSAGE_MAP(CPelvexPictureWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

CPelvexPictureWnd::CPelvexPictureWnd()
    : m_lpPicture(nullptr), m_hPalette(nullptr), m_lpBits(nullptr)
{
}

CPelvexPictureWnd::~CPelvexPictureWnd()
{
    DestroyWindow();
    owner::close_field<owner::unique_hpalette>(m_hPalette);
}

WNDPROC *CPelvexPictureWnd::GetSuperWndProcAddr() noexcept
{
    static WNDPROC super = ::DefWindowProcA;
    return &super;
}

BOOL CPelvexPictureWnd::CreatePictureWnd(const char *lpszText, DWORD dwStyle, const RECT &rect,
                                         CWnd *pParentWnd, UINT nID)
{
    register_picture_class();
    return CreateEx(0, kPictureClass, lpszText, dwStyle, rect, pParentWnd, nID);
}

BOOL CPelvexPictureWnd::LoadPicture(UINT nIDResource, DWORD dwFlags)
{
    const char *name = MAKEINTRESOURCEA(nIDResource);
    const char *type = reinterpret_cast<const char *>(RT_BITMAP);
    HINSTANCE module = AfxFindResourceHandle(name, type);
    HRSRC resource = ::FindResourceA(module, name, type);
    if (resource == nullptr)
        return FALSE;
    // A loaded resource stays with its module; there is nothing to free.
    const void *data = ::LockResource(::LoadResource(module, resource));
    pelvex::DibLayout layout;
    if (!pelvex::check_dib(data, ::SizeofResource(module, resource), &layout))
        return FALSE;
    const auto *header = static_cast<const BITMAPINFOHEADER *>(data);
    HPALETTE palette =
        (dwFlags & PELVEX_PALETTE) ? create_palette(header, layout.colourCount) : nullptr;
    owner::close_field<owner::unique_hpalette>(m_hPalette);
    m_hPalette = palette;
    m_lpPicture = header;
    m_lpBits = static_cast<const BYTE *>(data) + layout.bitsOffset;
    if (m_hWnd != nullptr) {
        DWORD placement = PELVEX_CENTRED | PELVEX_STRETCHED;
        DWORD style = (GetStyle() & ~placement) | (dwFlags & placement);
        ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(style));
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    return TRUE;
}

int CPelvexPictureWnd::GetDisplayColours()
{
    HDC screen = ::GetDC(nullptr);
    int bits = ::GetDeviceCaps(screen, BITSPIXEL) * ::GetDeviceCaps(screen, PLANES);
    ::ReleaseDC(nullptr, screen);
    return pelvex::colours_for_depth(bits);
}

void CPelvexPictureWnd::OnPaint()
{
    CPaintDC dc(this);
    if (m_lpPicture == nullptr)
        return;
    HPALETTE previous = nullptr;
    if (m_hPalette != nullptr && (::GetDeviceCaps(dc.m_hDC, RASTERCAPS) & RC_PALETTE)) {
        previous = ::SelectPalette(dc.m_hDC, m_hPalette, FALSE);
        ::RealizePalette(dc.m_hDC);
    }
    CRect client;
    GetClientRect(&client);
    int pictureWidth = GetPictureWidth(), pictureHeight = GetPictureHeight();
    pelvex::Placement at = pelvex::place_picture(GetStyle(), client.Width(), client.Height(),
                                                 pictureWidth, pictureHeight);
    ::StretchDIBits(dc.m_hDC, at.x, at.y, at.width, at.height, 0, 0, pictureWidth, pictureHeight,
                    m_lpBits, reinterpret_cast<const BITMAPINFO *>(m_lpPicture), DIB_RGB_COLORS,
                    SRCCOPY);
    if (previous != nullptr)
        ::SelectPalette(dc.m_hDC, previous, TRUE);
}
