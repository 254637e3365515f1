#include "message_box.h"

#include "windows_util.h"

namespace test_support {

namespace {

std::string window_text(HWND w)
{
    char buffer[1024] = {};
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

std::string class_name(HWND w)
{
    char buffer[64] = {};
    GetClassNameA(w, buffer, sizeof buffer);
    return buffer;
}

std::optional<MessageBoxSeen> find_message_box(DWORD pid, const std::string &caption)
{
    std::optional<MessageBoxSeen> seen;
    for_each_window([&](HWND w) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid || class_name(w) != "#32770" || !IsWindowVisible(w))
            return true;
        if (!caption.empty() && window_text(w) != caption)
            return true;
        MessageBoxSeen box;
        box.window = w;
        box.caption = window_text(w);
        for_each_child(w, [&](HWND child) {
            if (class_name(child) == "Static") {
                std::string t = window_text(child);
                if (!t.empty())
                    box.text += box.text.empty() ? t : "\n" + t;
            }
            return true;
        });
        seen = box;
        return false;
    });
    return seen;
}

} // namespace

std::optional<MessageBoxSeen> wait_for_message_box(DWORD pid, DWORD timeout_ms,
                                                   const std::string &caption)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (auto box = find_message_box(pid, caption))
            return box;
        if (GetTickCount() - start >= timeout_ms)
            return std::nullopt;
        Sleep(50);
    }
}

void press_ok(const MessageBoxSeen &box)
{
    HWND button = nullptr;
    for_each_child(box.window, [&](HWND child) {
        if (class_name(child) == "Button") {
            button = child;
            return false;
        }
        return true;
    });
    if (button != nullptr)
        PostMessageA(button, BM_CLICK, 0, 0);
    else
        PostMessageA(box.window, WM_COMMAND, IDOK, 0);
}

} // namespace test_support
