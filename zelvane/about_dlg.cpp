// The About box.
#include "about_dlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd *pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

void CAboutDlg::DoDataExchange(CDataExchange *pDX) noexcept { CDialog::DoDataExchange(pDX); }

BOOL CAboutDlg::OnInitDialog() noexcept
{
    CDialog::OnInitDialog();
    CenterWindow();
    return TRUE;
}
