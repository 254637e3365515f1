// The controller program TARVEL.
#include "entries.h"
#include "program.h"

namespace {

struct Controller {
    uint8_t initialised = 0;
};

Controller g_tarvel;

} // namespace

extern "C" int32_t TARVEL(int32_t *)
{
    int32_t returnCode = 0;
    frame::first_call(g_tarvel, returnCode);
    return frame::finish(reinterpret_cast<void *>(&TARVEL), returnCode);
}
