// The application framework: application object, windows and dialogs bound to C++
// objects, message maps, data exchange, and the small value classes the front-end uses.
// Built as mfc.dll so that the program and the extension library pelvex.dll share one
// copy of the framework's state (the application object, the window-to-object binding).
//
// Exceptions: each module links its own C++ run-time, so an exception cannot travel from
// one module into another. Message-map handlers may throw (the message then has result
// 0); the framework's virtual operations are noexcept, so overrides keep theirs inside.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <vector>

#ifdef MFC_BUILD
#define MFC_API __declspec(dllexport)
#else
#define MFC_API __declspec(dllimport)
#endif

// Marks message handlers in class declarations; expands to nothing.
#define afx_msg

// The framework's help command.
constexpr UINT ID_HELP = 0xE145;

class CCmdTarget;
class CWnd;
class CWinApp;

// ---------------------------------------------------------------- value classes

class CPoint : public POINT {
public:
    CPoint() : POINT{0, 0} {}
    CPoint(int ix, int iy) : POINT{ix, iy} {}
    CPoint(POINT point) : POINT(point) {}
    bool operator==(const CPoint &other) const { return x == other.x && y == other.y; }
};

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int left, int top, int right, int bottom) : RECT{left, top, right, bottom} {}
    CRect(const RECT &rect) : RECT(rect) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
};

// An 8-bit text that owns its characters.
class MFC_API CString {
public:
    CString() = default;
    CString(const char *text) : text_(text ? text : "") {}
    CString(const std::string &text) : text_(text) {}

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    operator const char *() const { return text_.c_str(); }
    const std::string &str() const { return text_; }

    CString &operator=(const char *text)
    {
        text_ = text ? text : "";
        return *this;
    }
    CString &operator+=(const char *text)
    {
        text_ += text ? text : "";
        return *this;
    }
    bool operator==(const char *text) const { return text_ == (text ? text : ""); }

    // Replaces the text with a printf-style formatting of the arguments, any length.
    void Format(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char *format, va_list args);

private:
    std::string text_;
};

// A growable array of untyped pointers.
class MFC_API CPtrArray {
public:
    int GetSize() const { return static_cast<int>(items_.size()); }
    int GetUpperBound() const { return GetSize() - 1; }
    void *GetAt(int index) const { return items_.at(static_cast<size_t>(index)); }
    void SetAt(int index, void *item) { items_.at(static_cast<size_t>(index)) = item; }
    void *&ElementAt(int index) { return items_.at(static_cast<size_t>(index)); }
    // Stores item at index, growing the array with null pointers as needed.
    void SetAtGrow(int index, void *item);
    int Add(void *item)
    {
        SetAtGrow(GetSize(), item);
        return GetUpperBound();
    }
    void RemoveAll() { items_.clear(); }
    void *operator[](int index) const { return GetAt(index); }

private:
    std::vector<void *> items_;
};

// The same array seen as pointers to TYPE.
template <class BASE, class TYPE>
class CTypedPtrArray : public BASE {
public:
    TYPE GetAt(int index) const { return static_cast<TYPE>(BASE::GetAt(index)); }
    void SetAt(int index, TYPE item) { BASE::SetAt(index, item); }
    void SetAtGrow(int index, TYPE item) { BASE::SetAtGrow(index, item); }
    int Add(TYPE item) { return BASE::Add(item); }
    TYPE operator[](int index) const { return GetAt(index); }
};

// ---------------------------------------------------------------- message maps

// Calls one handler with the message's parameters unpacked; result is the message's
// result.
using AFX_HANDLER = LRESULT (*)(CCmdTarget *target, WPARAM wParam, LPARAM lParam) noexcept;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message; 0 ends the map
    UINT nCode;    // for WM_COMMAND: the notification code
    UINT nID;      // for WM_COMMAND: first command identifier
    UINT nLastID;  // for WM_COMMAND: last command identifier
    AFX_HANDLER pfn;
};

// A class's map: its entries and the way to its base class's map (null for the root).
struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)() noexcept;
    const AFX_MSGMAP_ENTRY *(*pfnGetEntries)() noexcept;
};

// Finds the entry for message (and, for WM_COMMAND, code and id) along the chain of
// maps starting at map; null when no class in the chain handles it.
MFC_API const AFX_MSGMAP_ENTRY *AfxFindMessageEntry(const AFX_MSGMAP *map, UINT message, UINT code,
                                                    UINT id);

#define DECLARE_MESSAGE_MAP()                                     \
private:                                                          \
    static const AFX_MSGMAP_ENTRY *_GetMessageEntries() noexcept; \
                                                                  \
protected:                                                        \
    static const AFX_MSGMAP messageMap;                           \
    static const AFX_MSGMAP *_GetBaseMessageMap() noexcept;       \
    const AFX_MSGMAP *GetMessageMap() const noexcept override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                   \
    const AFX_MSGMAP *theClass::GetMessageMap() const noexcept { return &theClass::messageMap; } \
    const AFX_MSGMAP *theClass::_GetBaseMessageMap() noexcept { return &baseClass::messageMap; } \
    const AFX_MSGMAP theClass::messageMap = {&theClass::_GetBaseMessageMap,                      \
                                             &theClass::_GetMessageEntries};                     \
    const AFX_MSGMAP_ENTRY *theClass::_GetMessageEntries() noexcept                              \
    {                                                                                            \
        using ThisClass [[maybe_unused]] = theClass;                                             \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()   \
    {                       \
        0, 0, 0, 0, nullptr \
    }                       \
    }                       \
    ;                       \
    return entries;         \
    }

// The adapters between a message's parameters and a handler's signature.
namespace afx {

template <class M>
struct member_class;
template <class C, class F>
struct member_class<F C::*> {
    using type = C;
};
template <auto handler>
using class_of = typename member_class<decltype(handler)>::type;

inline CPoint point_of(LPARAM lParam)
{
    return CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
}

MFC_API CWnd *window_of(WPARAM wParam);

// Runs a handler and stops any exception it throws: the message then has result 0. The
// run-times are linked into each module, so an exception can only be caught in the
// module that threw it; these adapters are built in the handler's own module.
template <class Call>
LRESULT guarded(Call &&call) noexcept
{
    try {
        return call();
    } catch (...) {
        return 0;
    }
}

// void f()
template <auto handler>
LRESULT call_v(CCmdTarget *target, WPARAM, LPARAM) noexcept
{
    return guarded([&]() -> LRESULT {
        (static_cast<class_of<handler> *>(target)->*handler)();
        return 0;
    });
}
// void f(UINT nFlags, CPoint point)
template <auto handler>
LRESULT call_flags_point(CCmdTarget *target, WPARAM wParam, LPARAM lParam) noexcept
{
    return guarded([&]() -> LRESULT {
        (static_cast<class_of<handler> *>(target)->*handler)(static_cast<UINT>(wParam),
                                                             point_of(lParam));
        return 0;
    });
}
// BOOL f(CWnd *pWnd, UINT nHitTest, UINT message)
template <auto handler>
LRESULT call_setcursor(CCmdTarget *target, WPARAM wParam, LPARAM lParam) noexcept
{
    return guarded([&]() -> LRESULT {
        return (static_cast<class_of<handler> *>(target)->*handler)(window_of(wParam),
                                                                    LOWORD(lParam), HIWORD(lParam));
    });
}
// void f(UINT nID, LPARAM lParam)
template <auto handler>
LRESULT call_syscommand(CCmdTarget *target, WPARAM wParam, LPARAM lParam) noexcept
{
    return guarded([&]() -> LRESULT {
        (static_cast<class_of<handler> *>(target)->*handler)(static_cast<UINT>(wParam), lParam);
        return 0;
    });
}
// HCURSOR f()
template <auto handler>
LRESULT call_handle(CCmdTarget *target, WPARAM, LPARAM) noexcept
{
    return guarded([&]() -> LRESULT {
        return reinterpret_cast<LRESULT>((static_cast<class_of<handler> *>(target)->*handler)());
    });
}
// LRESULT f(WPARAM, LPARAM)
template <auto handler>
LRESULT call_message(CCmdTarget *target, WPARAM wParam, LPARAM lParam) noexcept
{
    return guarded([&]() -> LRESULT {
        return (static_cast<class_of<handler> *>(target)->*handler)(wParam, lParam);
    });
}

} // namespace afx

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (id), (id), &afx::call_v<&ThisClass::memberFxn>},
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    {WM_COMMAND, 0, (id), (idLast), &afx::call_v<&ThisClass::memberFxn>},
#define ON_MESSAGE(message, memberFxn) \
    {(message), 0, 0, 0, &afx::call_message<&ThisClass::memberFxn>},
#define ON_WM_LBUTTONDOWN() \
    {WM_LBUTTONDOWN, 0, 0, 0, &afx::call_flags_point<&ThisClass::OnLButtonDown>},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, 0, &afx::call_flags_point<&ThisClass::OnLButtonUp>},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, &afx::call_flags_point<&ThisClass::OnMouseMove>},
#define ON_WM_SETCURSOR() {WM_SETCURSOR, 0, 0, 0, &afx::call_setcursor<&ThisClass::OnSetCursor>},
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, 0, &afx::call_syscommand<&ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, &afx::call_v<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, 0, &afx::call_handle<&ThisClass::OnQueryDragIcon>},

// ---------------------------------------------------------------- command targets

// An object that receives commands through its message map.
class MFC_API CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;

    // Runs the handler this object's map has for command nID with notification nCode;
    // FALSE when the map has none.
    virtual BOOL OnCmdMsg(UINT nID, int nCode) noexcept;

protected:
    static const AFX_MSGMAP messageMap;
    static const AFX_MSGMAP *_GetBaseMessageMap() noexcept { return nullptr; }
    virtual const AFX_MSGMAP *GetMessageMap() const noexcept;

private:
    static const AFX_MSGMAP_ENTRY *_GetMessageEntries() noexcept;
};

// ---------------------------------------------------------------- application

class MFC_API CWinApp : public CCmdTarget {
public:
    // With no name, the application is named after the executable's file name
    // without its extension. There is one application object per program.
    explicit CWinApp(const char *lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() noexcept { return TRUE; }
    // The message loop, for programs that keep a main window after InitInstance.
    virtual int Run() noexcept;
    virtual int ExitInstance() noexcept { return 0; }

    // Keeps the settings in the registry, under HKEY_CURRENT_USER\Software\lpszKey.
    void SetRegistryKey(const char *lpszKey);
    // Reads a 32-bit integer setting of section; nDefault when it is absent, unreadable,
    // not a 32-bit integer, or no registry key has been set.
    UINT GetProfileInt(const char *lpszSection, const char *lpszEntry, int nDefault);
    // Writes a 32-bit integer setting; FALSE when it could not be stored.
    BOOL WriteProfileInt(const char *lpszSection, const char *lpszEntry, int nValue);

    // Asks for the three-dimensional look of dialog controls. The system's controls
    // are drawn that way already, so this only records the wish and succeeds.
    BOOL Enable3dControls();

    // The help command: opens the application's help file (APPNAME.HLP beside the
    // executable) at its contents.
    afx_msg void OnHelp();

    const char *m_pszAppName = nullptr;
    const char *m_pszExeName = nullptr;
    const char *m_pszHelpFilePath = nullptr;
    const char *m_pszRegistryKey = nullptr;
    HINSTANCE m_hInstance = nullptr;
    // The argument text: the command line after the program name and the blanks
    // that follow it.
    char *m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd *m_pMainWnd = nullptr;
    BOOL m_b3dControls = FALSE;

    DECLARE_MESSAGE_MAP()

private:
    std::string appName_, exeName_, helpPath_, registryKey_;
};

MFC_API CWinApp *AfxGetApp();
// The program's entry after the run-time start-up: runs InitInstance, then the
// message loop when it returned TRUE; returns the process exit code.
MFC_API int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, char *lpCmdLine, int nCmdShow);
// The argument text of a process command line, by the rule Windows itself uses: the
// program name ends at its closing quote when it starts with one (the argument may
// follow at once, as in "A.EXE"/cd), else at the first blank; the blanks (characters
// up to and including space) after it are skipped. A quote that is never closed makes
// the whole line the name and the argument text empty. Points into commandLine.
MFC_API char *AfxArgumentText(char *commandLine);

// The module that holds resource lpszName of type lpszType: the program first, then
// the framework; the program when neither holds it.
MFC_API HINSTANCE AfxFindResourceHandle(const char *lpszName, const char *lpszType);

// Shows a message box with the application's name as caption; returns the button.
MFC_API int AfxMessageBox(const char *lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// ---------------------------------------------------------------- windows

class CDataExchange;

class MFC_API CWnd : public CCmdTarget {
public:
    CWnd() = default;
    // Destroys the window when the object still owns one.
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object bound to hWnd, or a temporary one that lives until the outermost
    // message dispatch of this thread returns (or the thread ends); null for null.
    static CWnd *FromHandle(HWND hWnd);

    BOOL CreateEx(DWORD dwExStyle, const char *lpszClassName, const char *lpszWindowName,
                  DWORD dwStyle, const RECT &rect, CWnd *pParentWnd, UINT nID);
    BOOL DestroyWindow();

    CWnd *GetParent() const;
    CWnd *GetDlgItem(int nID) const;
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    // Centres the window over pAlternateOwner, else its parent or owner, else the
    // screen's work area, kept inside the work area.
    void CenterWindow(CWnd *pAlternateOwner = nullptr);

    // Moves data between the window's controls and the object (bSaveAndValidate TRUE:
    // controls to object); FALSE when a control named by the exchange is missing.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // The default handling of the message being handled now.
    LRESULT Default();

    // Dispatches one message through the message map; unhandled ones get the
    // default handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // The window procedure every framework window runs.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

protected:
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) noexcept;
    // Routes a command to this window's map, then to the application's.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam) noexcept;
    // The window procedure that default handling calls.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // The address of the procedure that default handling reaches: by default the one
    // the window had before the object was bound to it.
    virtual WNDPROC *GetSuperWndProcAddr() noexcept { return &oldProc_; }
    virtual void DoDataExchange(CDataExchange *pDX) noexcept;
    // Called after the window is gone; the object no longer has a window.
    virtual void PostNcDestroy() noexcept {}

    DECLARE_MESSAGE_MAP()

private:
    friend class WindowCreation;
    // Binds the object to hWnd and routes hWnd's messages through AfxWndProc.
    void Attach(HWND hWnd);
    // Undoes Attach once the window is gone.
    void Detach();
    // The window procedure hWnd had before Attach.
    WNDPROC oldProc_ = nullptr;
};

// The state of one data exchange.
class MFC_API CDataExchange {
public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
    {
    }
    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
    BOOL m_bFailed = FALSE;
};

// Exchanges a check box's state with value: 0 clear, 1 ticked, 2 indeterminate. On the
// way to the control any other non-zero value ticks the box.
MFC_API void DDX_Check(CDataExchange *pDX, int nIDC, int &value);

class MFC_API CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr);

    // Runs the dialog from the program's template; returns the value EndDialog gave,
    // or -1 when the dialog could not be created.
    virtual int DoModal() noexcept;
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

    // Puts the data into the controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog() noexcept;
    // Reads the controls back, then ends the dialog with IDOK.
    virtual void OnOK() noexcept;
    // Ends the dialog with IDCANCEL.
    virtual void OnCancel() noexcept;

protected:
    UINT m_nIDTemplate;
    CWnd *m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
};

// ---------------------------------------------------------------- drawing

class MFC_API CDC {
public:
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
};

// The device context of one WM_PAINT: BeginPaint on construction, EndPaint on
// destruction.
class MFC_API CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd *pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC &) = delete;
    CPaintDC &operator=(const CPaintDC &) = delete;
    PAINTSTRUCT m_ps{};

private:
    HWND hWnd_;
};
