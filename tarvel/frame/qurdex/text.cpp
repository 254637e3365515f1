// Text services of the run-time.
#include "qurdex.h"

extern "C" {

int32_t CBL_TOUPPER(char *text, uint32_t length)
{
    for (uint32_t i = 0; i < length; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z')
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
    }
    return 0;
}

} // extern "C"
