// The controller program TARVEL.
#include "controller.h"
#include "entries.h"
#include "program.h"

Controller g_controller;

extern "C" int32_t TARVEL(int32_t *)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    return frame::finish(reinterpret_cast<void *>(&TARVEL), returnCode);
}
