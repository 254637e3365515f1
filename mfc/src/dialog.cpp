// Modal dialogs from the program's dialog templates, and the check box exchange.
#include "mfc.h"
#include "window_creation.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

int CDialog::DoModal() noexcept
{
    const char *name = MAKEINTRESOURCEA(m_nIDTemplate);
    HINSTANCE module = AfxFindResourceHandle(name, reinterpret_cast<const char *>(RT_DIALOG));
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    WindowCreation creation(this);
    return static_cast<int>(::DialogBoxParamA(module, name, owner, &CDialog::AfxDlgProc,
                                              reinterpret_cast<LPARAM>(this)));
}

// The dialog procedure below the bound window procedure: it only starts the dialog,
// everything else reaches the object through the message map first.
INT_PTR CALLBACK CDialog::AfxDlgProc(HWND, UINT message, WPARAM, LPARAM lParam) noexcept
{
    if (message != WM_INITDIALOG)
        return FALSE;
    return reinterpret_cast<CDialog *>(lParam)->OnInitDialog();
}

BOOL CDialog::OnInitDialog() noexcept
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() noexcept
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() noexcept { EndDialog(IDCANCEL); }

void DDX_Check(CDataExchange *pDX, int nIDC, int &value)
{
    HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (control == nullptr) {
        pDX->m_bFailed = TRUE;
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
        return;
    }
    WPARAM state = value == 0 ? BST_UNCHECKED : value == 2 ? BST_INDETERMINATE : BST_CHECKED;
    ::SendMessageA(control, BM_SETCHECK, state, 0);
}
