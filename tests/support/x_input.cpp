#include "x_input.h"

#include "child_process.h"
#include "owner.h"

#include <atomic>
#include <vector>

namespace test_support {

bool xdotool(const std::string &arguments, DWORD timeout_ms)
{
    static std::atomic<unsigned> serial{0};
    std::string marker = "/tmp/xdotool-done-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(serial++);
    std::string command = "/bin/sh -c \"/usr/bin/xdotool " + arguments + "; touch " + marker + "\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    // The marker file, not the process, says when xdotool is done.
    owner::unique_handle thread(pi.hThread);
    owner::unique_handle process(pi.hProcess);

    std::string windows_marker = wine_path(marker);
    for (DWORD waited = 0; waited < timeout_ms; waited += 20) {
        if (DeleteFileA(windows_marker.c_str()))
            return true;
        Sleep(20);
    }
    return false;
}

bool click_at(POINT screen)
{
    // No --sync: xdotool would wait for ever when the pointer is there already. The
    // server queues the move before the press, so the press lands at the point.
    return xdotool("mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y) +
                   " click 1");
}

bool press_key(HWND window, const std::string &key)
{
    SetForegroundWindow(window);
    // On a display with no window manager the X server gives key presses to the window
    // under the pointer, and a top-level window's X window is its client area alone:
    // the pointer goes just inside that area's corner first.
    POINT inside{2, 2};
    ClientToScreen(GetAncestor(window, GA_ROOT), &inside);
    return xdotool("mousemove " + std::to_string(inside.x) + " " + std::to_string(inside.y) +
                   " key " + key);
}

} // namespace test_support
