// The front-end end to end: ZELVANE.EXE run as a process from a temporary CD tree
// whose programs are recorders (zelvane-record), driven by real mouse and keyboard input through the
// X server, with its setting under a key of the test's own.
#include "cd_tree.h"
#include "child_process.h"
#include "message_box.h"
#include "owner.h"
#include "test_support.h"
#include "windows_util.h"
#include "x_input.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace test_support;

namespace {

constexpr const char *kCaption = "Velmora Product Preview CD";
// The copy of the front-end is named ZELVTEST.EXE: the program names its settings
// after its file name, so the test's setting lives apart from a real one.
constexpr const char *kAppName = "ZELVTEST";
constexpr const char *kSettingsKey = "Software\\Velmora\\ZELVTEST";
constexpr const char *kSection = "Software\\Velmora\\ZELVTEST\\Zelvane";
constexpr const char *kValue = "ShowWhenCDInserted";
constexpr int kPictureWidth = 580, kPictureHeight = 435;

// One panel: its centre in picture pixels and what a click on it must start.
struct Panel {
    POINT centre;
    const char *folder;
    const char *program;
    const char *arguments;
};
const Panel kPanels[] = {
    {{71, 208}, "TRIVE", "wordview.exe", "trive.doc"},
    {{180, 208}, "TRIVE", "tour.exe", ""},
    {{289, 208}, "TRIVE", "setup.exe", ""},
    {{397, 208},
     "WIN32SDK\\MSTOOLS\\BIN\\I386",
     "setup.exe",
     "/f /i ..\\..\\win32.inf /s \\win32sdk\\"},
    {{507, 208}, "COMPUSRV\\WINDOWS\\WINCIM", "setup.exe", ""},
};

// What a start of a recorder is compared on: its command line and current directory.
struct Start {
    std::string commandLine;
    std::string directory;
    bool operator==(const Start &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Start &start)
{
    return out << "[" << start.commandLine << "] in [" << start.directory << "]";
}

// A temporary CD: the front-end in FRONT, and in place of every launched program a
// recorder.
class MenuCd : public CdTree {
public:
    MenuCd()
    {
        make_folders("FRONT");
        std::string front = program_dir() + "\\zelvane_front\\";
        WIN32_FIND_DATAA found{};
        owner::unique_hfind search(FindFirstFileA((front + "*").c_str(), &found));
        if (search) {
            do {
                std::string name = found.cFileName;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                std::string target = name == "ZELVANE.EXE" ? std::string(kAppName) + ".EXE" : name;
                CopyFileA((front + name).c_str(), path("FRONT\\" + target).c_str(), FALSE);
            } while (FindNextFileA(search.get(), &found));
        }
        for (const Panel &panel : kPanels)
            place_recorder(std::string(panel.folder) + "\\" + panel.program);
    }

    // Puts the test build of the picture library, whose colour count the variable
    // PELVEX_TEST_COLOURS sets, in place of the real one.
    bool use_test_picture_library() const
    {
        return copy_program("pelvex_test_colours\\pelvex.dll", "FRONT\\pelvex.dll");
    }

    std::string exe() const { return path(std::string("FRONT\\") + kAppName + ".EXE"); }

    // Every start recorded so far, in order.
    std::vector<Start> starts() const
    {
        std::vector<Start> found;
        for (const RecordedStart &start : CdTree::starts())
            found.push_back({start.commandLine, start.directory});
        return found;
    }

    // What a click on panel must start.
    Start expected(const Panel &panel) const
    {
        std::string directory = path(panel.folder);
        return {directory + "\\" + panel.program + " " + panel.arguments, directory};
    }
};

// The setting under the test's key.
std::optional<DWORD> stored_setting()
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kSection, kValue, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void store_setting(DWORD value)
{
    owner::unique_hkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSection, 0, nullptr, 0, KEY_WRITE, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key.get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                   sizeof value);
}

void remove_setting() { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

std::string text_of(HWND w)
{
    char buffer[512] = {};
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

// The colour of one pixel of a bitmap resource of module.
class BitmapPixels {
public:
    BitmapPixels(HMODULE module, UINT id)
        : bitmap_(static_cast<HBITMAP>(
              LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0))),
          dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_.get(), bitmap_.get()))
    {
    }
    ~BitmapPixels() { SelectObject(dc_.get(), old_); }
    BitmapPixels(const BitmapPixels &) = delete;
    BitmapPixels &operator=(const BitmapPixels &) = delete;
    bool loaded() const { return static_cast<bool>(bitmap_); }
    COLORREF at(POINT p) const { return GetPixel(dc_.get(), p.x, p.y); }

private:
    owner::unique_hbitmap bitmap_;
    owner::unique_hdc dc_;
    HGDIOBJ old_;
};

COLORREF screen_colour(POINT p)
{
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool wait_until_gone(HWND window)
{
    for (int i = 0; i < 100 && IsWindow(window); ++i)
        Sleep(50);
    return !IsWindow(window);
}

// How the program name is written on a front-end's command line.
enum class Name { Plain, QuotedAndJoined };

// A running front-end.
class Menu {
public:
    // The command line is the program's path, then a blank and the arguments; or the
    // path in quotes with the arguments right after the closing quote.
    Menu(const MenuCd &cd, const std::string &arguments, Name name = Name::Plain)
    {
        std::string line = cd.exe();
        if (name == Name::QuotedAndJoined)
            line = "\"" + line + "\"" + arguments;
        else if (!arguments.empty())
            line += " " + arguments;
        process_ = start_child(line, cd.path("FRONT"));
    }
    Menu(const Menu &) = delete;
    Menu &operator=(const Menu &) = delete;

    DWORD pid() const { return process_.id(); }
    bool started() const { return static_cast<bool>(process_); }

    // The menu window, once it is visible and its picture control exists.
    HWND wait_for_window(DWORD timeout_ms = 20000)
    {
        for (DWORD waited = 0; waited < timeout_ms && !window_; waited += 50) {
            for_each_window([&](HWND w) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid() && IsWindowVisible(w) && text_of(w) == kCaption &&
                    GetDlgItem(w, 1000) != nullptr) {
                    window_ = w;
                    return false;
                }
                return true;
            });
            if (!window_)
                Sleep(50);
        }
        return window_;
    }

    bool wait_for_exit(DWORD timeout_ms = 10000) const { return process_.wait(timeout_ms); }

    HWND item(int id) const { return GetDlgItem(window_, id); }
    HWND picture() const { return item(1000); }

    // The screen point of a picture pixel: the picture is shown centred in its control.
    POINT screen_point(POINT pixel) const
    {
        RECT client{};
        GetClientRect(picture(), &client);
        POINT p{pixel.x - (kPictureWidth - client.right) / 2,
                pixel.y - (kPictureHeight - client.bottom) / 2};
        ClientToScreen(picture(), &p);
        return p;
    }

    // A real click at a picture pixel, once no other window covers it.
    void click_picture(POINT pixel) const { click_on(picture(), screen_point(pixel)); }

    // A real click at the centre of a control of the menu window (or a given point).
    void click_item(int id, std::optional<POINT> at = std::nullopt) const
    {
        HWND control = item(id);
        RECT r{};
        GetClientRect(control, &r);
        POINT p = at.value_or(POINT{r.right / 2, r.bottom / 2});
        ClientToScreen(control, &p);
        click_on(control, p);
    }

    bool check_box_ticked() const
    {
        return SendMessageA(item(1002), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    HWND focus() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info);
        return info.hwndFocus;
    }

private:
    static void click_on(HWND target, POINT screen)
    {
        // Windows of other tests may come and go on the shared display, and a window
        // under a modal box takes no input until the box has gone.
        HWND top = GetAncestor(target, GA_ROOT);
        for (int tries = 0;
             tries < 100 && (WindowFromPoint(screen) != target || !IsWindowEnabled(top)); ++tries)
            Sleep(50);
        ASSERT_EQ(WindowFromPoint(screen), target) << "another window covers the point";
        ASSERT_TRUE(click_at(screen));
    }

    ChildProcess process_;
    HWND window_ = nullptr;
};

class ZelvaneApp : public ::testing::Test {
protected:
    void SetUp() override { remove_setting(); }
    void TearDown() override { remove_setting(); }

    // Starts the menu, waits for its window and fails the test when none comes.
    std::unique_ptr<Menu> open(const std::string &arguments)
    {
        auto menu = std::make_unique<Menu>(cd, arguments);
        EXPECT_TRUE(menu->started());
        EXPECT_NE(menu->wait_for_window(), nullptr) << "no menu window for '" << arguments << "'";
        return menu;
    }

    MenuCd cd;
};

TEST_F(ZelvaneApp, CdStartWithStoredZeroEndsAtOnce)
{
    for (const char *arguments : {"/cd", "/CD", "/Cd"}) {
        store_setting(0);
        Menu menu(cd, arguments);
        ASSERT_TRUE(menu.started());
        EXPECT_TRUE(menu.wait_for_exit()) << arguments;
        EXPECT_EQ(menu.wait_for_window(0), nullptr) << arguments;
        EXPECT_EQ(stored_setting(), 0u) << arguments;
    }
}

TEST_F(ZelvaneApp, CdStartAfterAQuotedNameWithoutABlank)
{
    // "...\ZELVTEST.EXE"/cd: the name ends at its closing quote, so the argument is
    // "/cd" although no blank comes before it.
    store_setting(0);
    Menu menu(cd, "/cd", Name::QuotedAndJoined);
    ASSERT_TRUE(menu.started());
    EXPECT_TRUE(menu.wait_for_exit());
    EXPECT_EQ(menu.wait_for_window(0), nullptr);
}

TEST_F(ZelvaneApp, OtherStartsShowTheWindowWithTheStoredChoice)
{
    struct Case {
        const char *arguments;
        std::optional<DWORD> stored;
        bool ticked;
    };
    const Case cases[] = {
        {"/cd", std::nullopt, true}, {"/cd", 5, true}, {"/CD", 1, true}, {"/cd ", 0, false},
        {"/cd x", 0, false},         {"", 0, false},   {"/c", 0, false},
    };
    for (const Case &c : cases) {
        remove_setting();
        if (c.stored)
            store_setting(*c.stored);
        auto menu = open(c.arguments);
        ASSERT_NE(menu->wait_for_window(), nullptr);
        EXPECT_EQ(menu->check_box_ticked(), c.ticked) << "'" << c.arguments << "'";
        menu->click_item(IDCANCEL);
        EXPECT_TRUE(menu->wait_for_exit()) << "'" << c.arguments << "'";
        // The check box state (0 or 1) replaces whatever was stored, also an unchanged one.
        EXPECT_EQ(stored_setting(), c.ticked ? 1u : 0u) << "'" << c.arguments << "'";
    }
}

TEST_F(ZelvaneApp, EveryWayOfClosingStoresTheCheckBox)
{
    // Exit button with the box cleared by a click on it.
    store_setting(1);
    {
        auto menu = open("");
        menu->click_item(1002, POINT{6, 5});
        EXPECT_FALSE(menu->check_box_ticked());
        menu->click_item(IDCANCEL);
        EXPECT_TRUE(menu->wait_for_exit());
    }
    EXPECT_EQ(stored_setting(), 0u);

    // The Esc key with the box ticked again; the next CD start then shows the window.
    {
        auto menu = open("");
        EXPECT_FALSE(menu->check_box_ticked());
        menu->click_item(1002, POINT{6, 5});
        EXPECT_TRUE(menu->check_box_ticked());
        ASSERT_TRUE(press_key(menu->wait_for_window(), "Escape"));
        EXPECT_TRUE(menu->wait_for_exit());
    }
    EXPECT_EQ(stored_setting(), 1u);

    // The close box (the system's close command), with nothing changed: the value is
    // still written, as its removal while the window was open shows.
    {
        auto menu = open("/cd");
        remove_setting();
        PostMessageA(menu->wait_for_window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(menu->wait_for_exit());
    }
    EXPECT_EQ(stored_setting(), 1u);

    // Enter with the focus on the check box (no push button) is OK, which reads the
    // box as well: cleared by the space bar, then stored.
    {
        auto menu = open("");
        HWND window = menu->wait_for_window();
        ASSERT_TRUE(press_key(window, "Tab"));
        ASSERT_TRUE(press_key(window, "space"));
        ASSERT_TRUE(press_key(window, "Return"));
        EXPECT_TRUE(menu->wait_for_exit());
    }
    EXPECT_EQ(stored_setting(), 0u);
}

TEST_F(ZelvaneApp, ClickOnEachPanelStartsItsProgramFromTheCd)
{
    auto menu = open("");
    std::vector<Start> expected;
    for (const Panel &panel : kPanels) {
        menu->click_picture(panel.centre);
        expected.push_back(cd.expected(panel));
        ASSERT_TRUE(cd.wait_for_starts(expected.size())) << panel.folder << "\\" << panel.program;
        EXPECT_EQ(cd.starts(), expected);
    }
    // The window stays open and usable after the launches.
    EXPECT_TRUE(IsWindowVisible(menu->wait_for_window()));
    EXPECT_FALSE(menu->wait_for_exit(0));
}

TEST_F(ZelvaneApp, ClicksBesideThePanelsStartNothing)
{
    auto menu = open("");
    // The gap between the first two panels, above the band, on its bottom edge, left
    // of the first panel and on the right edge of the last.
    for (POINT pixel : {POINT{125, 200}, POINT{129, 200}, POINT{300, 164}, POINT{300, 251},
                        POINT{19, 200}, POINT{553, 200}})
        menu->click_picture(pixel);
    // A click on the tour panel follows; once it is recorded, the clicks before it have
    // been handled.
    menu->click_picture(kPanels[1].centre);
    ASSERT_TRUE(cd.wait_for_starts(1));
    Sleep(500);
    EXPECT_EQ(cd.starts(), std::vector<Start>{cd.expected(kPanels[1])});
}

TEST_F(ZelvaneApp, MissingProgramIsReportedAndTheMenuStaysOpen)
{
    const Panel &wincim = kPanels[4];
    ASSERT_TRUE(DeleteFileA(cd.path(std::string(wincim.folder) + "\\setup.exe").c_str()));
    auto menu = open("");
    menu->click_picture(wincim.centre);
    auto box = wait_for_message_box(menu->pid(), 10000, kAppName);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Unable to execute " + cd.path(wincim.folder) + "\\setup.exe ");
    press_ok(*box);
    wait_until_gone(box->window);

    menu->click_picture(kPanels[1].centre);
    ASSERT_TRUE(cd.wait_for_starts(1));
    EXPECT_EQ(cd.starts(), std::vector<Start>{cd.expected(kPanels[1])});
}

TEST_F(ZelvaneApp, WindowLayoutAndKeyboard)
{
    auto menu = open("");
    HWND window = menu->wait_for_window();

    // The picture control fills the client area but the 32-pixel strip at its foot.
    RECT client{}, picture{};
    GetClientRect(window, &client);
    GetWindowRect(menu->picture(), &picture);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&picture), 2);
    EXPECT_EQ(picture.left, 0);
    EXPECT_EQ(picture.top, 0);
    EXPECT_EQ(picture.right, client.right);
    EXPECT_EQ(picture.bottom, client.bottom - 32);
    // In the dialog font the window is laid out for (Wine's own MS Sans Serif), its 392
    // dialog units are about 588 pixels: the 580-pixel picture with a narrow margin on
    // either side, not the 686 of a wider stand-in font.
    EXPECT_NEAR(client.right, 588, 8);
    LONG style = GetWindowLongA(menu->picture(), GWL_STYLE);
    EXPECT_EQ(style & 0xFFFF0000, WS_CHILD | WS_VISIBLE);
    EXPECT_TRUE(style & 0x8000);

    // The Exit button and the check box lie in the strip.
    for (int id : {IDCANCEL, 1002}) {
        RECT r{};
        GetWindowRect(menu->item(id), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&r), 2);
        EXPECT_GE(r.top, picture.bottom) << id;
        EXPECT_LE(r.bottom, client.bottom) << id;
    }

    // Centred on the screen's work area.
    RECT frame{}, work{};
    GetWindowRect(window, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);

    // The focus starts on Exit, and Tab moves between Exit and the check box alone.
    auto focus_after_tab = [&](HWND next) {
        EXPECT_TRUE(press_key(window, "Tab"));
        for (int tries = 0; tries < 100 && menu->focus() != next; ++tries)
            Sleep(20);
        return menu->focus();
    };
    EXPECT_EQ(menu->focus(), menu->item(IDCANCEL));
    EXPECT_EQ(focus_after_tab(menu->item(1002)), menu->item(1002));
    EXPECT_EQ(focus_after_tab(menu->item(IDCANCEL)), menu->item(IDCANCEL));
}

TEST_F(ZelvaneApp, PictureFollowsTheDisplaysColourCount)
{
    // Points on the ground beside and below the panels, where the 256-colour picture
    // has its gradients and the 16-colour one flat colours, and the panels' centres.
    std::vector<POINT> points = {{5, 260}, {5, 300}, {5, 350}, {5, 390}, {575, 390}};
    for (const Panel &panel : kPanels)
        points.push_back(panel.centre);

    owner::unique_hmodule exe(LoadLibraryExA(cd.exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_NE(exe.get(), nullptr);
    {
        BitmapPixels picture256(exe.get(), 129), picture16(exe.get(), 130);
        ASSERT_TRUE(picture256.loaded());
        ASSERT_TRUE(picture16.loaded());
        ASSERT_TRUE(cd.use_test_picture_library());
        for (auto [colours, picture] :
             {std::pair{"20", &picture16}, std::pair{"21", &picture256}}) {
            ScopedVariable count("PELVEX_TEST_COLOURS", colours);
            auto menu = open("");
            ASSERT_NE(menu->wait_for_window(), nullptr);
            size_t matching = 0;
            for (int tries = 0; tries < 60 && matching < points.size(); ++tries) {
                Sleep(50);
                matching = 0;
                for (POINT p : points)
                    matching += screen_colour(menu->screen_point(p)) == picture->at(p);
            }
            EXPECT_EQ(matching, points.size()) << colours << " colours";
            menu->click_item(IDCANCEL);
            EXPECT_TRUE(menu->wait_for_exit());
        }
        // The two pictures differ at the ground points, so the match tells them apart.
        for (size_t i = 0; i < 5; ++i)
            EXPECT_NE(picture256.at(points[i]), picture16.at(points[i])) << i;
    }
}

TEST_F(ZelvaneApp, AboutBoxOnItsSystemCommandOnly)
{
    auto menu = open("");
    HWND window = menu->wait_for_window();
    // The system keeps the low four bits: 0x0013 is the About command as 0x0010 is.
    for (WPARAM command : {0x0010, 0x0013}) {
        PostMessageA(window, WM_SYSCOMMAND, command, 0);
        auto box = wait_for_message_box(menu->pid(), 10000, "About zelvane");
        ASSERT_TRUE(box.has_value()) << command;
        EXPECT_NE(box->text.find("zelvane Version 1.0"), std::string::npos);
        // Centred over the menu window.
        RECT about{}, owner{};
        GetWindowRect(box->window, &about);
        GetWindowRect(window, &owner);
        EXPECT_NEAR((about.left + about.right) / 2, (owner.left + owner.right) / 2, 1);
        EXPECT_NEAR((about.top + about.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
        // Modal to the menu window: owned by it, which is disabled until the box goes.
        EXPECT_EQ(GetWindow(box->window, GW_OWNER), window);
        EXPECT_FALSE(IsWindowEnabled(window));
        press_ok(*box);
        EXPECT_TRUE(wait_until_gone(box->window));
        EXPECT_TRUE(IsWindowEnabled(window));
    }
    PostMessageA(window, WM_SYSCOMMAND, 0x0020, 0);
    EXPECT_FALSE(wait_for_message_box(menu->pid(), 1500, "About zelvane").has_value());
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(ZelvaneApp, MenuTakesNoInputWhileTheAboutBoxIsUp)
{
    auto menu = open("");
    HWND window = menu->wait_for_window();
    PostMessageA(window, WM_SYSCOMMAND, 0x0010, 0);
    auto box = wait_for_message_box(menu->pid(), 10000, "About zelvane");
    ASSERT_TRUE(box.has_value());

    // Real clicks on the Exit button and on a panel beside the box, then on the box's
    // OK button: the menu's thread takes the three in that order, so the box closes
    // only after the menu has had the first two. Had it taken them, it would have
    // closed or started the first panel's program.
    RECT exit{};
    GetWindowRect(menu->item(IDCANCEL), &exit);
    ASSERT_TRUE(click_at({(exit.left + exit.right) / 2, (exit.top + exit.bottom) / 2}));
    ASSERT_TRUE(click_at(menu->screen_point(kPanels[0].centre)));
    RECT ok{};
    GetWindowRect(GetDlgItem(box->window, IDOK), &ok);
    ASSERT_TRUE(click_at({(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2}));
    EXPECT_TRUE(wait_until_gone(box->window));

    // The menu answers again: a click on another panel starts that panel's program,
    // and nothing else has started.
    menu->click_picture(kPanels[1].centre);
    ASSERT_TRUE(cd.wait_for_starts(1));
    EXPECT_EQ(cd.starts(), std::vector<Start>{cd.expected(kPanels[1])});
    EXPECT_FALSE(menu->wait_for_exit(0));
    EXPECT_TRUE(IsWindowVisible(window));
}

} // namespace
