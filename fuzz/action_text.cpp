// The action file's text form: a text that is read gives a table whose description
// reads back as the same table and describes itself again word for word (text to table
// to text to table is a fixed point); a text that is refused is refused with the number
// of one of its lines.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>

#include "action_text.h"
#include "fuzz_check.h"

namespace {

// The line number a refusal begins with ("line N: "), 0 when it has none.
size_t refused_line(const std::string &error)
{
    if (error.rfind("line ", 0) != 0)
        return 0;
    size_t number = 0;
    size_t at = 5;
    for (; at < error.size() && std::isdigit(static_cast<unsigned char>(error[at])); ++at)
        number = number * 10 + static_cast<size_t>(error[at] - '0');
    return error.compare(at, 2, ": ") == 0 ? number : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text = fuzz::text_of(data, size);
    actionfile::ActionFile file;
    std::string error;
    if (!actionfile::parse(text, file, error)) {
        const size_t line = refused_line(error);
        const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        fuzz::check(line >= 1 && line <= lines, "a refused text is refused with one of its lines");
        return 0;
    }
    const std::string bytes = actionfile::to_bytes(file);
    const std::string description = actionfile::describe(file);
    actionfile::ActionFile again;
    fuzz::check(actionfile::parse(description, again, error), "a description reads back");
    fuzz::check(actionfile::to_bytes(again) == bytes, "the description holds the same table");
    fuzz::check(actionfile::describe(again) == description, "the description describes itself");
    return 0;
}
