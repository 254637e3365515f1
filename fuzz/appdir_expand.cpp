// The application directory's expansion: for any appDir field and any variable value,
// only the work path and the two end positions are written, nothing is read past
// appDir's 260 bytes, and the work path is what a plain model of the rule gives.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "appdir_expand.h"
#include "fuzz_check.h"

namespace {

constexpr size_t kWidth = AppDirSwitch::kPathWidth;

bool ends_name(char c) { return c == ' ' || c == '\0' || c == '\\' || c == '/'; }

// text up to its first NUL.
std::string up_to_nul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}

struct Expansion {
    std::string workPath;
    size_t nameEnd = 0; // from 1, as the switch keeps it; 0 when appDir names no variable
    size_t valueEnd = 0;
};

// The rule in whole strings: appDir's text up to a NUL; or, for "$NAME", the first
// element of value (up to a space or ";", at most 260 bytes) followed by the rest of
// appDir after the name, one separator after it dropped when the element is empty;
// nothing more when the name or the element fills its field.
Expansion model(std::string_view appDir, std::string_view value)
{
    Expansion e;
    if (appDir[0] != '$') {
        e.workPath = up_to_nul(appDir);
    } else {
        size_t nameEnd = 1;
        while (nameEnd < kWidth && !ends_name(appDir[nameEnd]))
            ++nameEnd;
        std::string_view element = value.substr(0, kWidth);
        element = element.substr(0, std::min(element.find(' '), element.find(';')));
        e.nameEnd = nameEnd + 1;
        e.valueEnd = element.size() + 1;
        e.workPath = element;
        size_t rest = nameEnd;
        if (element.empty() && rest < kWidth && (appDir[rest] == '\\' || appDir[rest] == '/'))
            ++rest;
        if (nameEnd < kWidth && element.size() < kWidth)
            e.workPath += up_to_nul(appDir.substr(rest));
    }
    e.workPath.resize(kWidth, ' ');
    return e;
}

} // namespace

// Input: the length of appDir's text, the text, then the variable's value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string_view rest = fuzz::text_of(data + 1, size - 1);
    const size_t appDirLength = std::min<size_t>(data[0] * 2u, rest.size());
    // appDir in a heap block of its own 260 bytes: a read past it meets AddressSanitizer.
    auto appDir = std::make_unique<char[]>(kWidth);
    std::memset(appDir.get(), ' ', kWidth);
    std::memcpy(appDir.get(), rest.data(), std::min(appDirLength, kWidth));
    const std::string value(rest.substr(appDirLength));

    AppDirSwitch dirSwitch;
    std::memset(static_cast<void *>(&dirSwitch), 0x5A, sizeof dirSwitch);
    AppDirSwitch before = dirSwitch;
    appdir::expand(dirSwitch, appDir.get(), value);

    const Expansion expected = model({appDir.get(), kWidth}, value);
    fuzz::check(std::string(dirSwitch.workPath, kWidth) == expected.workPath,
                "the work path is the model's");
    if (appDir[0] == '$') {
        fuzz::check(dirSwitch.nameEnd == expected.nameEnd, "the name ends where the model's does");
        fuzz::check(dirSwitch.valueEnd == expected.valueEnd,
                    "the element ends where the model's does");
        before.nameEnd = dirSwitch.nameEnd;
        before.valueEnd = dirSwitch.valueEnd;
    }
    std::memcpy(before.workPath, dirSwitch.workPath, kWidth);
    fuzz::check(std::memcmp(&before, &dirSwitch, sizeof dirSwitch) == 0,
                "nothing but the work path and the end positions is written");
    return 0;
}
