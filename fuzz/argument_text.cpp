// The front-end's argument text: for any command line, the text found is the one a
// slow model of the Windows rule gives, and it lies inside the command line.
#include <cstdint>
#include <cstring>
#include <string>

#include "argument_text.h"
#include "fuzz_check.h"

namespace {

bool is_blank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

// Where the arguments begin: after a program name that is quoted (up to and with its
// closing quote, or the whole line) or ends at the first blank, and the blanks after
// it.
size_t model_start(const std::string &line)
{
    size_t end;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        end = close == std::string::npos ? line.size() : close + 1;
    } else {
        end = 0;
        while (end < line.size() && static_cast<unsigned char>(line[end]) > ' ')
            ++end;
    }
    while (end < line.size() && is_blank(line[end]))
        ++end;
    return end;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The command line as the start-up code hands it over: its text up to a NUL.
    std::string line(fuzz::text_of(data, size));
    line.resize(std::strlen(line.c_str()));
    std::string copy = line;
    const char *arguments = mfc::argument_text(copy.data());
    fuzz::check(arguments >= copy.data() && arguments <= copy.data() + copy.size(),
                "the arguments lie inside the command line");
    fuzz::check(static_cast<size_t>(arguments - copy.data()) == model_start(line),
                "the arguments begin where the model's do");
    fuzz::check(copy == line, "the command line is left as it was");
    return 0;
}
