// ABSPATH: absolute path resolution over a fixed work area.
#include "abspath.h"

#include <cstring>
#include <mutex>
#include <iterator>

#include "entries.h"
#include "program.h"

AbsPath g_abspath;

namespace abspath {

namespace {

// The n-th character (from 1) of a field.
char &at(char *field, int n) { return field[n - 1]; }
char at(const char *field, int n) { return field[n - 1]; }

bool is_delimiter(char c) { return c == '\\' || c == ' '; }

// The position (from 1) in input after its drive: 3 after "X:", else 1.
int after_drive(const char *input) { return at(input, 2) == ':' ? 3 : 1; }

bool is_network(const char *input) { return at(input, 1) == '\\' && at(input, 2) == '\\'; }

// Writes the current directory after "X:\" and one backslash after it, leaving the
// write position after them.
void write_current_directory(AbsPath &s, const char *directory)
{
    at(s.work, 3) = '\\';
    std::memcpy(&at(s.work, 4), directory, kDirectoryRoom);
    int end = 4;
    while (end <= AbsPath::kLastRead && at(s.work, end) != ' ')
        ++end;
    // A directory that fills the room gets no backslash: work(255) stays unread.
    if (end > 4 && end <= AbsPath::kLastRead)
        at(s.work, end++) = '\\';
    s.rootLength = 3;
    s.writePosition = static_cast<uint8_t>(end);
}

// Writes the root prefix and, when the path is relative, the current directory of
// its drive, leaving the write position after them.
void expand_root(AbsPath &s, const char *input, const char *directory)
{
    if (is_network(input)) {
        at(s.work, 1) = '\\';
        s.readPosition = 2;
        s.writePosition = 2;
    } else {
        s.readPosition = static_cast<uint8_t>(after_drive(input));
        at(s.work, 1) = named_drive(input, s.drive);
        at(s.work, 2) = ':';
        s.writePosition = 3;
        if (at(input, s.readPosition) != '\\') {
            write_current_directory(s, directory);
            return;
        }
    }
    at(s.work, s.writePosition) = '\\';
    s.rootLength = s.writePosition;
    ++s.writePosition;
    ++s.readPosition;
}

// Pushes, pops or ignores one component of the work area.
void apply(AbsPath &s, uint8_t start, uint8_t length)
{
    const char *text = &at(s.work, start);
    if (length == 2 && text[0] == '.' && text[1] == '.') {
        if (s.componentCount > 0)
            --s.componentCount;
        return;
    }
    if (length == 1 && text[0] == '.')
        return;
    if (s.componentCount < std::size(s.components))
        s.components[s.componentCount++] = {start, length};
}

// Splits the work area after the root prefix into components, each ended by one
// backslash or space; two delimiters in a row, or the end of the read part, end it.
void parse(AbsPath &s)
{
    s.scanPosition = static_cast<uint8_t>(s.rootLength + 1);
    s.endOfParse = 0;
    while (!s.endOfParse) {
        uint8_t start = s.scanPosition;
        while (s.scanPosition <= AbsPath::kLastRead && !is_delimiter(at(s.work, s.scanPosition)))
            ++s.scanPosition;
        if (s.scanPosition == start) {
            s.endOfParse = 1;
            break;
        }
        apply(s, start, static_cast<uint8_t>(s.scanPosition - start));
        if (s.scanPosition > AbsPath::kLastRead)
            s.endOfParse = 1;
        else
            ++s.scanPosition;
    }
}

void write_output(const AbsPath &s, char *output)
{
    std::memset(output, ' ', AbsPath::kFieldWidth);
    std::memcpy(output, s.work, s.rootLength);
    int position = s.rootLength;
    for (int i = 0; i < s.componentCount; ++i) {
        if (i > 0)
            output[position++] = '\\';
        std::memcpy(output + position, s.work + s.components[i].start - 1, s.components[i].length);
        position += s.components[i].length;
    }
}

} // namespace

char named_drive(const char *input, char currentDrive)
{
    return after_drive(input) == 3 ? at(input, 1) : currentDrive;
}

bool is_relative(const char *input)
{
    return !is_network(input) && at(input, after_drive(input)) != '\\';
}

int32_t resolve(AbsPath &s, const char *input, char *output, char currentDrive,
                const char *directory)
{
    s.componentCount = 0;
    s.rootLength = 0;
    s.writePosition = 1;
    s.readPosition = 1;
    s.drive = currentDrive;
    expand_root(s, input, directory);
    // The rest of the input after the root, never into work(255).
    int count = AbsPath::kFieldWidth - s.writePosition;
    if (count > 0)
        std::memcpy(&at(s.work, s.writePosition), input + s.readPosition - 1, count);
    int32_t status = CBL_TOUPPER(s.work, AbsPath::kFieldWidth);
    parse(s);
    write_output(s, output);
    return status;
}

int32_t resolve_in_process(AbsPath &s, const char *input, char *output)
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
    return resolve(s, input, output, current, directory);
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
    returnCode = abspath::resolve_in_process(g_abspath, input, output);
    return frame::finish(reinterpret_cast<void *>(&ABSPATH), returnCode);
}
