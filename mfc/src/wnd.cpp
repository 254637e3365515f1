// Windows bound to objects: creation, the shared window procedure, default handling,
// temporary objects for windows the framework did not create, and painting contexts.
#include "mfc.h"
#include "window_creation.h"

#include <memory>
#include <unordered_map>

namespace {

// The window property that holds the bound object; the binding lives in the window,
// so every module that sees the window finds the same object.
const char kBindingProp[] = "OrliskFrameworkWnd";

struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

thread_local CurrentMessage t_current;
thread_local int t_dispatchDepth = 0;

// A stand-in object for a window no object is bound to; it never destroys the window.
class TemporaryWnd : public CWnd {
public:
    explicit TemporaryWnd(HWND hWnd) { m_hWnd = hWnd; }
    ~TemporaryWnd() override { m_hWnd = nullptr; }
};

thread_local std::unordered_map<HWND, std::unique_ptr<TemporaryWnd>> t_temporaries;

CWnd *bound_object(HWND hWnd) { return static_cast<CWnd *>(::GetPropA(hWnd, kBindingProp)); }

} // namespace

thread_local HHOOK WindowCreation::hook_ = nullptr;
thread_local CWnd *WindowCreation::pending_ = nullptr;

LRESULT CALLBACK WindowCreation::hook(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HCBT_CREATEWND && pending_ != nullptr) {
        CWnd *pWnd = pending_;
        pending_ = nullptr;
        // Only the first window is bound; the controls of a dialog come after it.
        owner::close_field<owner::unique_hhook>(hook_);
        pWnd->Attach(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd *afx::window_of(WPARAM wParam) { return CWnd::FromHandle(reinterpret_cast<HWND>(wParam)); }

CWnd::~CWnd() { DestroyWindow(); }

CWnd *CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd *pWnd = bound_object(hWnd))
        return pWnd;
    auto &slot = t_temporaries[hWnd];
    if (!slot)
        slot = std::make_unique<TemporaryWnd>(hWnd);
    return slot.get();
}

void CWnd::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kBindingProp, this);
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
}

void CWnd::Detach()
{
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    ::RemovePropA(m_hWnd, kBindingProp);
    m_hWnd = nullptr;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char *lpszClassName, const char *lpszWindowName,
                    DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID)
{
    WindowCreation creation(this);
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                  pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                  ::GetModuleHandleA(nullptr), nullptr);
    return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

CWnd *CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd *CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

void CWnd::CenterWindow(CWnd *pAlternateOwner)
{
    DWORD style = GetStyle();
    bool child = (style & WS_CHILD) != 0;
    HWND centreOn = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd
                    : child                    ? ::GetParent(m_hWnd)
                                               : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area{}, target{};
    if (child) {
        ::GetClientRect(::GetParent(m_hWnd), &area);
        target = area;
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        target = area;
        if (centreOn != nullptr && ::IsWindowVisible(centreOn) && !::IsIconic(centreOn))
            ::GetWindowRect(centreOn, &target);
    }
    RECT own{};
    ::GetWindowRect(m_hWnd, &own);
    int width = own.right - own.left, height = own.bottom - own.top;
    int x = (target.left + target.right) / 2 - width / 2;
    int y = (target.top + target.bottom) / 2 - height / 2;
    if (x + width > area.right)
        x = area.right - width;
    if (x < area.left)
        x = area.left;
    if (y + height > area.bottom)
        y = area.bottom - height;
    if (y < area.top)
        y = area.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.m_bFailed;
}

void CWnd::DoDataExchange(CDataExchange *) noexcept {}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    WNDPROC super = *GetSuperWndProcAddr();
    if (super == nullptr)
        return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
    return ::CallWindowProcA(super, m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) noexcept
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY *entry = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
    if (entry == nullptr)
        return FALSE;
    *pResult = entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) noexcept
{
    UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (OnCmdMsg(id, code))
        return TRUE;
    CWinApp *app = AfxGetApp();
    return app != nullptr && app->OnCmdMsg(id, code);
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CWnd *pWnd = bound_object(hWnd);
    if (pWnd == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    CurrentMessage outer = t_current;
    t_current = {message, wParam, lParam};
    ++t_dispatchDepth;
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        pWnd->Detach();
        pWnd->PostNcDestroy();
    }
    t_current = outer;
    if (--t_dispatchDepth == 0)
        t_temporaries.clear();
    return result;
}

CPaintDC::CPaintDC(CWnd *pWnd) : hWnd_(pWnd->m_hWnd) { m_hDC = ::BeginPaint(hWnd_, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(hWnd_, &m_ps); }
