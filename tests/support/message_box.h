// Finds the message box that a process shows, reads it, and presses its button,
// so no test waits for a person.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace test_support {

struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text; // the texts of its static children, joined by line feeds
};

// Waits up to timeout_ms for a dialog of class #32770 owned by process pid; with a
// caption, only for one of that caption (for programs whose own window is a dialog).
std::optional<MessageBoxSeen> wait_for_message_box(DWORD pid, DWORD timeout_ms,
                                                   const std::string &caption = "");

// Presses the box's first push button (OK on a single-button box).
void press_ok(const MessageBoxSeen &box);

} // namespace test_support
