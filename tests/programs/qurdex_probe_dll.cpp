// QXPROBE.dll: a module outside the executable whose export the run-time finds by name,
// and which itself reaches a registered entry by name through the run-time's header.
#include "qurdex.h"

extern "C" __declspec(dllexport) int32_t QXPROBE(int32_t *value)
{
    auto host = reinterpret_cast<int32_t (*)(int32_t *)>(qx_lookup("QXPROBEHOST"));
    if (host == nullptr)
        return -1;
    return host(value) + 1;
}
