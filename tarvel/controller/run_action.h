// One step of the controller's loop: running entry actionIndex of a table.
#pragma once

#include <cstdint>

#include "controller.h"

// Runs entry controller.run.actionIndex (1-based) of table with runMode (null when the
// caller passed none), leaving the result of its last call in returnCode.
void run_action(Controller &controller, ActionTable &table, int32_t *runMode, int32_t &returnCode);
