// The About box, opened from the menu window's system menu. Its owner is disabled while
// it is up, as with any modal box.
#pragma once

#include "mfc.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd *pParent);

protected:
    void DoDataExchange(CDataExchange *pDX) noexcept override;
    BOOL OnInitDialog() noexcept override;

    DECLARE_MESSAGE_MAP()
};
