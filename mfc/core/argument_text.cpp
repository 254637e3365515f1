// The Windows rule that splits the program name from the arguments.
#include "argument_text.h"

namespace mfc {

char *argument_text(char *commandLine)
{
    char *at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"')
            ++at;
        if (*at == '"')
            ++at;
    } else {
        while (static_cast<unsigned char>(*at) > ' ')
            ++at;
    }
    while (*at != '\0' && static_cast<unsigned char>(*at) <= ' ')
        ++at;
    return at;
}

} // namespace mfc
