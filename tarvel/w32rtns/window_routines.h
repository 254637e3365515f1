// The window routines of W32RTNS: bring a process's window forward, find a window of
// a process by class and title, post the block-waiting message.
#pragma once

#include <cstdint>

#include "tarvel_host.h"

// Fields of W32RTNS the window searches use.
struct WindowState {
    uint32_t foundWindow = 0; // its address is the enumeration's application value
    char title[40] = {};      // stays zero-filled: SWITCHPROGRAM matches by process only
};

// The message that tells a window a block waits in a pipe; its lParam is the read handle.
constexpr unsigned kBlockWaitingMessage = TARVEL_NOTICE_MESSAGE;
