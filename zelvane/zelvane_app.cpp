// The front-end's application object: the start-up decision, the modal menu window
// and the stored setting.
#include "zelvane_app.h"

#include "menu_rules.h"
#include "settings.h"
#include "zelvane_dlg.h"

BEGIN_MESSAGE_MAP(CZelvaneApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// Named after the executable, so the settings live under its file name.
CZelvaneApp theApp;

BOOL CZelvaneApp::InitInstance() noexcept
{
    zelvane::UseSettingsKey(*this);
    int show = zelvane::ReadShowWhenCDInserted(*this);
    if (EndsWithoutWindow(m_lpCmdLine, show))
        return FALSE;

    Enable3dControls();
    CZelvaneDlg dlg;
    dlg.m_bShowWhenCDInserted = show;
    dlg.DoModal();
    // Written on every close, also when unchanged; when the window could not be
    // made, the value read goes back unchanged.
    zelvane::WriteShowWhenCDInserted(*this, dlg.m_bShowWhenCDInserted);
    // No message loop follows: the program ends here.
    return FALSE;
}
