// The application object: its name, the settings in the registry, the program's entry,
// the resource search and the framework's message box.
#include "mfc.h"
#include "argument_text.h"
#include "owner.h"

#include <cstdlib>

namespace {

CWinApp *g_app = nullptr;

HINSTANCE framework_module()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<const char *>(&framework_module), &module);
    return module;
}

} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char *lpszAppName)
{
    g_app = this;
    m_hInstance = ::GetModuleHandleA(nullptr);
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char drive[_MAX_DRIVE], dir[_MAX_DIR], name[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(path, drive, dir, name, ext);
    exeName_ = name;
    appName_ = lpszAppName != nullptr ? lpszAppName : name;
    helpPath_ = std::string(drive) + dir + name + ".HLP";
    m_pszExeName = exeName_.c_str();
    m_pszAppName = appName_.c_str();
    m_pszHelpFilePath = helpPath_.c_str();
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

CWinApp *AfxGetApp() { return g_app; }

int CWinApp::Run() noexcept
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

void CWinApp::SetRegistryKey(const char *lpszKey)
{
    registryKey_ = lpszKey != nullptr ? lpszKey : "";
    m_pszRegistryKey = registryKey_.empty() ? nullptr : registryKey_.c_str();
}

UINT CWinApp::GetProfileInt(const char *lpszSection, const char *lpszEntry, int nDefault)
{
    if (m_pszRegistryKey == nullptr)
        return static_cast<UINT>(nDefault);
    std::string subkey = "Software\\" + registryKey_ + "\\" + appName_ + "\\" + lpszSection;
    owner::unique_hkey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return static_cast<UINT>(nDefault);
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = ::RegQueryValueExA(key.get(), lpszEntry, nullptr, &type,
                                 reinterpret_cast<BYTE *>(&value), &size);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return static_cast<UINT>(nDefault);
    return value;
}

BOOL CWinApp::WriteProfileInt(const char *lpszSection, const char *lpszEntry, int nValue)
{
    if (m_pszRegistryKey == nullptr)
        return FALSE;
    std::string subkey = "Software\\" + registryKey_ + "\\" + appName_ + "\\" + lpszSection;
    owner::unique_hkey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return FALSE;
    DWORD value = static_cast<DWORD>(nValue);
    return ::RegSetValueExA(key.get(), lpszEntry, 0, REG_DWORD,
                            reinterpret_cast<const BYTE *>(&value), sizeof value) == ERROR_SUCCESS;
}

BOOL CWinApp::Enable3dControls()
{
    m_b3dControls = TRUE;
    return TRUE;
}

void CWinApp::OnHelp() { ::WinHelpA(::GetActiveWindow(), m_pszHelpFilePath, HELP_CONTENTS, 0); }

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, char *lpCmdLine, int nCmdShow)
{
    CWinApp *app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

char *AfxArgumentText(char *commandLine) { return mfc::argument_text(commandLine); }

HINSTANCE AfxFindResourceHandle(const char *lpszName, const char *lpszType)
{
    HINSTANCE program = g_app != nullptr ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
    if (::FindResourceA(program, lpszName, lpszType) != nullptr)
        return program;
    HINSTANCE framework = framework_module();
    if (::FindResourceA(framework, lpszName, lpszType) != nullptr)
        return framework;
    return program;
}

int AfxMessageBox(const char *lpszText, UINT nType, UINT)
{
    CWinApp *app = AfxGetApp();
    const char *caption = app != nullptr ? app->m_pszAppName : nullptr;
    return ::MessageBoxA(::GetActiveWindow(), lpszText, caption, nType);
}
