// Calls the name given as its argument through the run-time, which ends the run when
// the name is found nowhere.
#include "qurdex.h"

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    auto entry = reinterpret_cast<int32_t (*)(void *)>(qx_resolve(argv[1]));
    return entry(nullptr);
}
