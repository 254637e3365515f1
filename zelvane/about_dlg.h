// The About box, opened from the menu window's system menu.
#pragma once

#include "mfc.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    void DoDataExchange(CDataExchange *pDX) noexcept override;
    BOOL OnInitDialog() noexcept override;

    DECLARE_MESSAGE_MAP()
};
