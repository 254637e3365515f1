// The controller program's storage, kept between calls and shared by all threads.
#pragma once

#include <cstdint>

#include "action_table.h"
#include "appdir.h"

struct Controller {
    uint8_t initialised = 0;
    // Each part of the controller keeps its fields in a member of its own here.
    AppDirSwitch dirSwitch;
};

extern Controller g_controller;
