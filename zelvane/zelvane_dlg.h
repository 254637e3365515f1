// The menu window: the picture of five panels, each starting a program from the CD,
// and below it the check box for the next CD start and the Exit button.
#pragma once

#include "mfc.h"

class CHotSpotWnd;

class CZelvaneDlg : public CDialog {
public:
    explicit CZelvaneDlg(CWnd *pParent = nullptr);
    ~CZelvaneDlg() override;

    BOOL m_bShowWhenCDInserted = FALSE; // the check box IDC_SHOW_NEXT_TIME
    CHotSpotWnd *m_pPicture = nullptr;  // made in OnInitDialog, deleted with the dialog
    HICON m_hIcon = nullptr;

protected:
    void DoDataExchange(CDataExchange *pDX) noexcept override;
    BOOL OnInitDialog() noexcept override;
    void OnCancel() noexcept override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnSetup();
    afx_msg void OnInformation();
    afx_msg void OnTour();
    afx_msg void OnSdkSetup();
    afx_msg void OnWincimSetup();

    DECLARE_MESSAGE_MAP()
};
