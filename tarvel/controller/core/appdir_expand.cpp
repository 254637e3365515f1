// The expansion of an action table's appDir into the application directory switch's
// work path.
#include "appdir_expand.h"

#include <algorithm>
#include <cstring>

#include "text_field.h"

namespace appdir {

namespace {

constexpr uint32_t kWidth = AppDirSwitch::kPathWidth;

// Length of appDir's text from position from: a NUL ends it, as it ends the name.
uint32_t rest_length(const char *appDir, uint32_t from)
{
    uint32_t length = 0;
    while (from + length <= kWidth && at(appDir, from + length) != '\0')
        ++length;
    return length;
}

} // namespace

bool ends_name(char character)
{
    return character == ' ' || character == '\0' || character == '\\' || character == '/';
}

uint32_t name_end(const char *appDir)
{
    uint32_t end = 2;
    while (end <= kWidth && !ends_name(at(appDir, end)))
        ++end;
    return end;
}

std::string variable_name(const char *appDir)
{
    return std::string(appDir + 1, name_end(appDir) - 2);
}

void expand(AppDirSwitch &dirSwitch, const char *appDir, std::string_view value)
{
    std::memset(dirSwitch.workPath, ' ', kWidth);
    if (appDir[0] != '$') {
        std::memcpy(dirSwitch.workPath, appDir, rest_length(appDir, 1));
        return;
    }
    uint32_t nameEnd = name_end(appDir);
    dirSwitch.nameEnd = nameEnd;
    std::memcpy(dirSwitch.workPath, value.data(), std::min<size_t>(value.size(), kWidth));

    // The value's first element; the scan stops at the field's end, one past it.
    uint32_t valueEnd = 1;
    while (valueEnd <= kWidth && at(dirSwitch.workPath, valueEnd) != ' ' &&
           at(dirSwitch.workPath, valueEnd) != ';')
        ++valueEnd;
    dirSwitch.valueEnd = valueEnd;
    if (valueEnd == 1 && nameEnd <= kWidth && frame::is_path_separator(at(appDir, nameEnd)))
        ++nameEnd;
    if (valueEnd <= kWidth)
        std::memset(dirSwitch.workPath + valueEnd - 1, ' ', kWidth - valueEnd + 1);
    if (nameEnd > kWidth || valueEnd > kWidth)
        return;
    uint32_t count = rest_length(appDir, nameEnd);
    if (count > kWidth - valueEnd + 1)
        count = kWidth - valueEnd + 1;
    std::memcpy(dirSwitch.workPath + valueEnd - 1, appDir + nameEnd - 1, count);
}

} // namespace appdir
