#include "zelvane_app.h"

#include "menu_rules.h"
#include "zelvane_dlg.h"

BEGIN_MESSAGE_MAP(CZelvaneApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// Named after the executable, so the settings live under its file name.
CZelvaneApp theApp;

BOOL CZelvaneApp::InitInstance()
{
    SetRegistryKey(kSettingsKey);
    int show = static_cast<int>(GetProfileInt(kSettingsSection, kShowWhenCDInserted, 1));
    if (EndsWithoutWindow(m_lpCmdLine, show))
        return FALSE;

    Enable3dControls();
    CZelvaneDlg dlg;
    dlg.m_bShowWhenCDInserted = show;
    dlg.DoModal();
    // Written on every close, also when unchanged; when the window could not be
    // made, the value read goes back unchanged.
    WriteProfileInt(kSettingsSection, kShowWhenCDInserted, dlg.m_bShowWhenCDInserted);
    // No message loop follows: the program ends here.
    return FALSE;
}
