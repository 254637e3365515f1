// The framework layer under Wine: settings in the registry, message maps and their
// chaining, command routing to the application, data exchange with a real dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "mfc.h"
#include "owner.h"
#include "test_window.h"

namespace {

const char kTestKey[] = "OrliskFrameworkTest";

// Removes the test-only settings key before and after each test.
class Profile : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\OrliskFrameworkTest"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\OrliskFrameworkTest"); }

    static void write_raw(const char *subkey, const char *entry, DWORD type, const void *data,
                          DWORD size)
    {
        owner::unique_hkey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  key.put(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key.get(), entry, 0, type, static_cast<const BYTE *>(data), size);
    }
};

TEST_F(Profile, NamedAfterTheExecutableAndStoredUnderKeyAppSection)
{
    CWinApp app;
    EXPECT_STREQ(app.m_pszAppName, "mfc_test");
    std::string help = app.m_pszHelpFilePath;
    EXPECT_EQ(help.substr(help.size() - 13), "\\mfc_test.HLP");

    app.SetRegistryKey(kTestKey);
    EXPECT_EQ(app.GetProfileInt("Section", "Entry", 7), 7u);
    ASSERT_TRUE(app.WriteProfileInt("Section", "Entry", 5));
    EXPECT_EQ(app.GetProfileInt("Section", "Entry", 7), 5u);

    owner::unique_hkey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\OrliskFrameworkTest\\mfc_test\\Section",
                            0, KEY_QUERY_VALUE, key.put()),
              ERROR_SUCCESS);
    DWORD type = 0, value = 0xdeadbeef, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key.get(), "Entry", nullptr, &type, reinterpret_cast<BYTE *>(&value),
                               &size),
              ERROR_SUCCESS);
    key.reset();
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 5u);

    CWinApp named("OtherName");
    named.SetRegistryKey(kTestKey);
    EXPECT_EQ(named.GetProfileInt("Section", "Entry", 7), 7u) << "the name picks the subkey";
}

TEST_F(Profile, WrongTypeOrSizeReadsAsDefault)
{
    CWinApp app;
    app.SetRegistryKey(kTestKey);
    const char *subkey = "Software\\OrliskFrameworkTest\\mfc_test\\Section";
    write_raw(subkey, "Text", REG_SZ, "1", 2);
    WORD shortValue = 1;
    write_raw(subkey, "Short", REG_BINARY, &shortValue, sizeof shortValue);
    unsigned long long wide = 1;
    write_raw(subkey, "Wide", REG_QWORD, &wide, sizeof wide);
    EXPECT_EQ(app.GetProfileInt("Section", "Text", 9), 9u);
    EXPECT_EQ(app.GetProfileInt("Section", "Short", 9), 9u);
    EXPECT_EQ(app.GetProfileInt("Section", "Wide", 9), 9u);
}

TEST_F(Profile, WithoutRegistryKeyNothingIsStored)
{
    CWinApp app;
    EXPECT_FALSE(app.WriteProfileInt("Section", "Entry", 3));
    EXPECT_EQ(app.GetProfileInt("Section", "Entry", 4), 4u);
}

// ------------------------------------------------------------ argument text

TEST(ArgumentText, TheProgramNameEndsByTheWindowsRule)
{
    struct Case {
        const char *commandLine;
        const char *arguments;
    };
    const Case cases[] = {
        // A quoted name ends at its closing quote, also with the argument right after it.
        {"\"C:\\CD ROM\\ZELVANE.EXE\"/cd", "/cd"},
        {"\"C:\\ZELVANE.EXE\" \t /cd", "/cd"},
        // An unquoted name ends at the first blank; quotes inside it are part of it.
        {"C:\\ZELVANE.EXE /cd", "/cd"},
        {"C:\\ZELVANE.EXE\t/cd", "/cd"},
        {"C:\\Z\"E\"LVANE.EXE /cd", "/cd"},
        // Blanks after the argument stay part of it.
        {"ZELVANE.EXE /cd x ", "/cd x "},
        // No argument, and a quote that is never closed: the whole line is the name.
        {"ZELVANE.EXE", ""},
        {"\"ZELVANE.EXE   ", ""},
        {"\"C:\\ZELVANE.EXE /cd", ""},
        {"", ""},
    };
    for (const Case &c : cases) {
        std::string line = c.commandLine;
        char *arguments = AfxArgumentText(line.data());
        EXPECT_STREQ(arguments, c.arguments) << c.commandLine;
        // The text lies inside the command line, as the start-up code hands it over.
        EXPECT_EQ(arguments + strlen(arguments), line.data() + line.size()) << c.commandLine;
    }
}

// ------------------------------------------------------------ message maps

const char *test_window_class() { return test_support::plain_window_class("FrameworkTestWnd"); }

class CBaseTestWnd : public CWnd {
public:
    std::vector<std::string> calls;

protected:
    LRESULT OnCreateMsg(WPARAM, LPARAM)
    {
        calls.push_back("create");
        return Default();
    }
    LRESULT OnFirst(WPARAM, LPARAM)
    {
        calls.push_back("base first");
        return 1;
    }
    LRESULT OnBaseOnly(WPARAM w, LPARAM l)
    {
        calls.push_back("base only");
        return static_cast<LRESULT>(w + l);
    }
    void OnBaseCommand() { calls.push_back("base command"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTestWnd, CWnd)
ON_MESSAGE(WM_CREATE, OnCreateMsg)
ON_MESSAGE(WM_USER + 1, OnFirst)
ON_MESSAGE(WM_USER + 2, OnBaseOnly)
ON_COMMAND(100, OnBaseCommand)
END_MESSAGE_MAP()

class CDerivedTestWnd : public CBaseTestWnd {
protected:
    LRESULT OnDerivedFirst(WPARAM, LPARAM)
    {
        calls.push_back("derived first");
        return 2;
    }
    LRESULT OnSetTextMsg(WPARAM, LPARAM)
    {
        LRESULT result = Default();
        calls.push_back("settext");
        return result;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    void OnRange() { calls.push_back("range"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTestWnd, CBaseTestWnd)
ON_MESSAGE(WM_USER + 1, OnDerivedFirst)
ON_MESSAGE(WM_SETTEXT, OnSetTextMsg)
ON_MESSAGE(WM_USER + 9, OnThrow)
ON_COMMAND_RANGE(200, 210, OnRange)
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
    int helpCalls = 0;

protected:
    void OnTestHelp() { ++helpCalls; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_HELP, OnTestHelp)
END_MESSAGE_MAP()

TEST(MessageMap, DerivedEntriesWinAndUnmatchedOnesChainToTheBase)
{
    CDerivedTestWnd wnd;
    ASSERT_TRUE(
        wnd.CreateEx(0, test_window_class(), "t", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
    ASSERT_NE(wnd.m_hWnd, nullptr);
    ASSERT_FALSE(wnd.calls.empty());
    EXPECT_EQ(wnd.calls.front(), "create") << "the object is bound before WM_CREATE";
    wnd.calls.clear();

    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 2);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 2, 3, 4), 7);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 3), 0) << "unmapped: default window procedure";
    wnd.SendMessage(WM_COMMAND, 100, 0);
    wnd.SendMessage(WM_COMMAND, 205, 0);
    wnd.SendMessage(WM_COMMAND, 211, 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0);
    std::vector<std::string> expected{"derived first", "base only", "base command", "range"};
    EXPECT_EQ(wnd.calls, expected);

    wnd.calls.clear();
    SetWindowTextA(wnd.m_hWnd, "changed");
    char text[32] = "";
    GetWindowTextA(wnd.m_hWnd, text, sizeof text);
    EXPECT_STREQ(text, "changed") << "Default() ran the window's own handling";
    EXPECT_EQ(wnd.calls, std::vector<std::string>{"settext"});
}

TEST(MessageMap, ExceptionStopsAtTheWindowProcedure)
{
    CDerivedTestWnd wnd;
    ASSERT_TRUE(
        wnd.CreateEx(0, test_window_class(), "t", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_EQ(wnd.SendMessage(WM_USER + 9), 0);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 2) << "the window still works";
}

TEST(MessageMap, UnhandledCommandsReachTheApplication)
{
    CTestApp app;
    CDerivedTestWnd wnd;
    ASSERT_TRUE(
        wnd.CreateEx(0, test_window_class(), "t", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
    wnd.SendMessage(WM_COMMAND, ID_HELP, 0);
    EXPECT_EQ(app.helpCalls, 1);
    wnd.SendMessage(WM_COMMAND, 100, 0);
    EXPECT_EQ(app.helpCalls, 1);
}

TEST(Windows, FromHandleGivesTheBoundObjectOrATemporaryOne)
{
    CDerivedTestWnd wnd;
    ASSERT_TRUE(
        wnd.CreateEx(0, test_window_class(), "t", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
    HWND hWnd = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    CWnd *desktop = CWnd::FromHandle(GetDesktopWindow());
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(desktop->m_hWnd, GetDesktopWindow());
    EXPECT_EQ(CWnd::FromHandle(GetDesktopWindow()), desktop);

    wnd.DestroyWindow();
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(Windows, ChildSeesItsParentObject)
{
    CDerivedTestWnd parent, child;
    ASSERT_TRUE(parent.CreateEx(0, test_window_class(), "p", WS_OVERLAPPED, CRect(0, 0, 200, 200),
                                nullptr, 0));
    ASSERT_TRUE(
        child.CreateEx(0, test_window_class(), "c", WS_CHILD, CRect(0, 0, 20, 20), &parent, 7));
    EXPECT_EQ(child.GetParent(), &parent);
    EXPECT_EQ(parent.GetDlgItem(7), &child);
}

// ------------------------------------------------------------ values

TEST(Values, FormatHandlesAnyLength)
{
    CString s;
    s.Format("Unable to execute %s", "C:\\CD\\TRIVE\\tour.exe ");
    EXPECT_STREQ(s, "Unable to execute C:\\CD\\TRIVE\\tour.exe ");
    std::string longText(5000, 'x');
    s.Format("[%s]%d", longText.c_str(), -12);
    EXPECT_EQ(s.GetLength(), 5005);
    EXPECT_EQ(s.str().substr(5000), "x]-12");
}

TEST(Values, SetAtGrowFillsTheGapWithNulls)
{
    int a = 1, b = 2;
    CTypedPtrArray<CPtrArray, int *> array;
    array.SetAtGrow(0, &a);
    array.SetAtGrow(3, &b);
    ASSERT_EQ(array.GetSize(), 4);
    EXPECT_EQ(array[0], &a);
    EXPECT_EQ(array[1], nullptr);
    EXPECT_EQ(array[2], nullptr);
    EXPECT_EQ(array[3], &b);
    array.SetAtGrow(1, &b);
    EXPECT_EQ(array.GetSize(), 4);
    EXPECT_EQ(array[1], &b);
}

// ------------------------------------------------------------ dialogs

constexpr UINT kTestDialog = 200;
constexpr int kCheckBox = 1002;
constexpr UINT kActMessage = WM_APP + 1;

// The test dialog: exchanges its check box with m_bValue and, once open, does what
// the test asked (click the box or not, then end with OK, Cancel or the Exit button).
class CTestDlg : public CDialog {
public:
    enum class Close { ok, cancel, exitButton };
    CTestDlg(bool click, Close close, int checkId = kCheckBox)
        : CDialog(kTestDialog), click_(click), close_(close), checkId_(checkId)
    {
    }
    int m_bValue = 0;
    LRESULT initialCheck = -1;
    RECT placed{};

protected:
    void DoDataExchange(CDataExchange *pDX) noexcept override
    {
        DDX_Check(pDX, checkId_, m_bValue);
    }
    BOOL OnInitDialog() noexcept override
    {
        CDialog::OnInitDialog();
        initialCheck = SendDlgItemMessageA(m_hWnd, kCheckBox, BM_GETCHECK, 0, 0);
        CenterWindow();
        GetWindowRect(m_hWnd, &placed);
        PostMessage(kActMessage);
        return TRUE;
    }
    LRESULT OnAct(WPARAM, LPARAM)
    {
        if (click_)
            SendDlgItemMessageA(m_hWnd, kCheckBox, BM_CLICK, 0, 0);
        if (close_ == Close::ok)
            PostMessage(WM_COMMAND, IDOK);
        else if (close_ == Close::cancel)
            PostMessage(WM_KEYDOWN, VK_ESCAPE);
        else
            SendDlgItemMessageA(m_hWnd, IDCANCEL, BM_CLICK, 0, 0);
        // A stuck dialog ends the test instead of hanging it.
        SetTimer(m_hWnd, 1, 1500, nullptr);
        return 0;
    }
    LRESULT OnTimeout(WPARAM, LPARAM)
    {
        EndDialog(-2);
        return 0;
    }

private:
    bool click_;
    Close close_;
    int checkId_;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
ON_MESSAGE(kActMessage, OnAct)
ON_MESSAGE(WM_TIMER, OnTimeout)
END_MESSAGE_MAP()

TEST(Dialog, OkReadsTheCheckBoxBack)
{
    CTestDlg dlg(true, CTestDlg::Close::ok);
    dlg.m_bValue = 0;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.initialCheck, BST_UNCHECKED);
    EXPECT_EQ(dlg.m_bValue, 1);
    EXPECT_EQ(dlg.m_hWnd, nullptr) << "the object lets go of its window when it closes";

    CTestDlg again(true, CTestDlg::Close::ok);
    again.m_bValue = 1;
    EXPECT_EQ(again.DoModal(), IDOK);
    EXPECT_EQ(again.initialCheck, BST_CHECKED);
    EXPECT_EQ(again.m_bValue, 0);
}

TEST(Dialog, AnyOtherNonZeroValueTicksTheBox)
{
    CTestDlg dlg(false, CTestDlg::Close::ok);
    dlg.m_bValue = 5;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.initialCheck, BST_CHECKED);
    EXPECT_EQ(dlg.m_bValue, 1) << "the box's state replaces the value";
}

TEST(Dialog, CancelAndTheExitButtonLeaveTheDataAlone)
{
    CTestDlg esc(true, CTestDlg::Close::cancel);
    EXPECT_EQ(esc.DoModal(), IDCANCEL);
    EXPECT_EQ(esc.m_bValue, 0);
    CTestDlg exitButton(true, CTestDlg::Close::exitButton);
    EXPECT_EQ(exitButton.DoModal(), IDCANCEL);
    EXPECT_EQ(exitButton.m_bValue, 0);
}

TEST(Dialog, CentredOnTheWorkArea)
{
    CTestDlg dlg(false, CTestDlg::Close::cancel);
    ASSERT_EQ(dlg.DoModal(), IDCANCEL);
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    int dx = (dlg.placed.left + dlg.placed.right) - (area.left + area.right);
    int dy = (dlg.placed.top + dlg.placed.bottom) - (area.top + area.bottom);
    EXPECT_LE(std::abs(dx), 1);
    EXPECT_LE(std::abs(dy), 1);
}

TEST(Dialog, MissingControlFailsTheExchangeAndOkKeepsTheDialogOpen)
{
    // OK cannot read the missing control, so the dialog stays until the timer ends it.
    CTestDlg dlg(false, CTestDlg::Close::ok, 4242);
    dlg.m_bValue = 1;
    EXPECT_EQ(dlg.DoModal(), -2);
    EXPECT_EQ(dlg.m_bValue, 1);
}

TEST(Dialog, MissingTemplateGivesMinusOne)
{
    CDialog dlg(999);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEA(kTestDialog),
                                    reinterpret_cast<const char *>(RT_DIALOG)),
              GetModuleHandleA(nullptr));
}

} // namespace
