// The front-end's menu window: the picture with its hot spots, the check box and the
// launches they start.
#include "zelvane_dlg.h"

#include "about_dlg.h"
#include "hotspot_wnd.h"
#include "launch.h"
#include "menu_rules.h"
#include "res/resource.h"

#include <new>

namespace {

// The strip below the picture that holds the check box and the Exit button.
constexpr int kButtonStripHeight = 32;
// A visible child whose mouse points are mapped to picture pixels; no tab stop, so
// the panels answer to the mouse alone.
constexpr DWORD kPictureStyle = WS_CHILD | WS_VISIBLE | HSW_MAPPING;
static_assert(kPictureStyle == 0x50008000);
// The control shows the program's hand cursor.
static_assert(CHotSpotWnd::kHandCursor == IDC_HOTSPOT_CURSOR);

// Starts the program of the launch table's row for the command.
void Launch(UINT nCmdID)
{
    for (const LaunchEntry &entry : kLaunchTable) {
        if (entry.nCmdID == nCmdID) {
            LaunchProgram(entry.program, entry.folder, entry.arguments);
            return;
        }
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CZelvaneDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_COMMAND(ID_SETUP, OnSetup)
ON_COMMAND(ID_INFORMATION, OnInformation)
ON_COMMAND(ID_TOUR, OnTour)
ON_COMMAND(ID_SDK_SETUP, OnSdkSetup)
ON_COMMAND(ID_WINCIM_SETUP, OnWincimSetup)
END_MESSAGE_MAP()

CZelvaneDlg::CZelvaneDlg(CWnd *pParent) : CDialog(IDD_ZELVANE_DIALOG, pParent)
{
    const char *icon = MAKEINTRESOURCEA(IDR_MAINFRAME);
    m_hIcon = ::LoadIconA(AfxFindResourceHandle(icon, RT_GROUP_ICON), icon);
}

CZelvaneDlg::~CZelvaneDlg() { delete m_pPicture; }

void CZelvaneDlg::DoDataExchange(CDataExchange *pDX) noexcept
{
    CDialog::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_SHOW_NEXT_TIME, m_bShowWhenCDInserted);
}

BOOL CZelvaneDlg::OnInitDialog() noexcept
{
    CDialog::OnInitDialog();

    CRect rect;
    GetClientRect(&rect);
    rect.bottom -= kButtonStripHeight;

    // Without memory for the control the window still opens, without its picture.
    m_pPicture = new (std::nothrow) CHotSpotWnd;
    if (m_pPicture == nullptr) {
        CenterWindow();
        return TRUE;
    }
    m_pPicture->CreatePictureWnd(nullptr, kPictureStyle, rect, this, IDC_PICTURE);
    PictureChoice picture = ChoosePicture(CPelvexPictureWnd::GetDisplayColours());
    m_pPicture->LoadPicture(picture.nIDResource, picture.dwFlags);
    for (const LaunchEntry &entry : kLaunchTable)
        m_pPicture->AddHotSpot(entry.hotSpot, entry.nCmdID);

    CenterWindow();
    return TRUE;
}

void CZelvaneDlg::OnCancel() noexcept
{
    // Exit, Esc and the close box all end here; the check box is read first.
    UpdateData(TRUE);
    CDialog::OnCancel();
}

void CZelvaneDlg::OnSysCommand(UINT nID, LPARAM)
{
    // The system keeps the low four bits of a system command for itself.
    if ((nID & ~0x000Fu) == IDM_ABOUTBOX) {
        // Owned by the menu window, which takes no input until the box is closed.
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    Default();
}

void CZelvaneDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    int x = (rect.Width() - cxIcon + 1) / 2;
    int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CZelvaneDlg::OnQueryDragIcon() { return m_hIcon; }

void CZelvaneDlg::OnInformation() { Launch(ID_INFORMATION); }
void CZelvaneDlg::OnTour() { Launch(ID_TOUR); }
void CZelvaneDlg::OnSetup() { Launch(ID_SETUP); }
void CZelvaneDlg::OnSdkSetup() { Launch(ID_SDK_SETUP); }
void CZelvaneDlg::OnWincimSetup() { Launch(ID_WINCIM_SETUP); }
