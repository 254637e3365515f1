// The byte-exact steps of running one action: command lines, hand-over program name,
// launch choice.
#include "action_steps.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "text_field.h"

namespace action {

namespace {

void fill_command_line(std::string_view start, const char *rest, size_t restWidth, CommandLine &out)
{
    std::memcpy(out, start.data(), start.size());
    std::memcpy(out + start.size(), rest, std::min(restWidth, kCommandLineWidth - start.size()));
    out[kCommandLineWidth] = '\0';
}

} // namespace

bool is_9x_family(uint8_t osType)
{
    return std::ranges::find(kOsTypes9x, osType) != std::end(kOsTypes9x);
}

void interpreter_command_line(const ActionEntry &entry, uint8_t osType, CommandLine &out)
{
    fill_command_line(is_9x_family(osType) ? "command.com /c " : "cmd.exe /c ", entry.commandLine,
                      sizeof entry.commandLine, out);
}

void direct_command_line(const ActionEntry &entry, CommandLine &out)
{
    fill_command_line({}, entry.commandLine, sizeof entry.commandLine, out);
}

void hand_over_command_line(const char (&digits)[11], CommandLine &out)
{
    std::memset(out, ' ', kCommandLineWidth);
    std::memcpy(out, digits, sizeof digits);
    out[kCommandLineWidth] = '\0';
}

void write_hand_over_program(uint32_t processId, uint8_t osType, char (&program)[260])
{
    const bool nine = is_9x_family(osType);
    std::string_view name = processId != 0 ? (nine ? "kalvoga.exe" : "kalvope.exe")
                                           : (nine ? "tramesga.exe" : "tramespe.exe");
    frame::copy_padded(program, sizeof program, name);
}

Launch choose_launch(const int32_t *runMode, uint32_t processId)
{
    if (runMode == nullptr || *runMode == kRunModeWait)
        return Launch::WaitExe;
    return processId == 0 ? Launch::SingleExe : Launch::QuennetStartExe;
}

void bounded_program(const char (&program)[260], char (&out)[261])
{
    std::memcpy(out, program, sizeof program);
    out[sizeof program] = '\0';
}

bool wants_notice(const ActionEntry &entry)
{
    return entry.kind != kKindHandOver && entry.window != 0 &&
           std::memcmp(entry.noticeTag, "0           ", sizeof entry.noticeTag) != 0;
}

} // namespace action
