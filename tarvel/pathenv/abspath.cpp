// ABSPATH: the entry, and the current drive and directory it resolves against.
#include "abspath.h"

#include <mutex>

#include "entries.h"
#include "program.h"

AbsPath g_abspath;

namespace abspath {

void resolve_in_process(AbsPath &storage, const char *input, char *output)
{
    char current = 0;
    PC_READ_DRIVE(&current);
    char directory[kDirectoryRoom];
    if (is_relative(input)) {
        // Another drive's current directory is read on that drive, then the drive
        // that was current is selected again.
        const char letter = named_drive(input, current);
        uint8_t room = kDirectoryRoom;
        if (letter != current)
            PC_SET_DRIVE(&letter);
        CBL_READ_DIR(directory, &room);
        if (letter != current)
            PC_SET_DRIVE(&current);
    }
    resolve(storage, input, output, current, directory);
}

} // namespace abspath

// Calls from several threads take turns: each resolves in the program's work area.
namespace {
std::mutex g_abspathTurn;
} // namespace

extern "C" int32_t ABSPATH(const char *input, char *output)
{
    int32_t returnCode = 0;
    frame::first_call(g_abspath, returnCode);
    std::lock_guard<std::mutex> turn(g_abspathTurn);
    abspath::resolve_in_process(g_abspath, input, output);
    // The upper-casing, the resolution's last step, cannot fail.
    returnCode = 0;
    return frame::finish(reinterpret_cast<void *>(&ABSPATH), returnCode);
}
