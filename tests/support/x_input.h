// Real mouse and keyboard input through the X server (xdotool, XTEST), for tests that
// must act as a user does; synthetic window messages skip the system's input path.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// Runs "xdotool ARGUMENTS" and waits up to timeout_ms for it to finish; false when it
// did not. Wine starts Unix programs but hands back no process handle to wait on, so
// the command leaves a marker file behind when done.
bool xdotool(const std::string &arguments, DWORD timeout_ms = 10000);

// Moves the pointer to a screen point (Wine's screen is the X root) and clicks.
bool click_at(POINT screen);

// Presses and releases one key (an X key name such as Escape) in window, with the pointer
// just inside its client area.
bool press_key(HWND window, const std::string &key);

} // namespace test_support
