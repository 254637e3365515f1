// Storage of W32RTNS used by the shared-memory and window routines until the
// program's own storage struct holds their fields.
#pragma once

#include <cstdint>

#include "shared_memory.h"
#include "window_routines.h"

struct W32rtnsInterim {
    uint8_t initialised = 0;
    int32_t status = 0;   // result of the last W32RTNS routine call
    SharedMemoryState sharedMemory;
    WindowState windows;
};

extern W32rtnsInterim g_w32rtns;
