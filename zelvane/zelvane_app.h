// The front-end's application object: decides at start whether to show the menu
// window, runs it modally and stores the check box's state when it closes.
#pragma once

#include "mfc.h"

class CZelvaneApp : public CWinApp {
public:
    CZelvaneApp() = default;
    BOOL InitInstance() noexcept override;

    DECLARE_MESSAGE_MAP()
};
