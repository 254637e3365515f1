// ABSPATH's resolution over a fixed work area.
#include "abspath_resolve.h"

#include <cstring>
#include <iterator>

#include "text_field.h"

namespace abspath {

namespace {

// The character at a position (from 1) of a field.
char &at(char *field, int position) { return field[position - 1]; }
char at(const char *field, int position) { return field[position - 1]; }

bool is_delimiter(char character) { return character == '\\' || character == ' '; }

// The position (from 1) in input after its drive: 3 after "X:", else 1.
int after_drive(const char *input) { return at(input, 2) == ':' ? 3 : 1; }

bool is_network(const char *input) { return at(input, 1) == '\\' && at(input, 2) == '\\'; }

// Writes the current directory after "X:\" and one backslash after it, leaving the
// write position after them.
void write_current_directory(AbsPath &storage, const char *directory)
{
    at(storage.work, 3) = '\\';
    std::memcpy(&at(storage.work, 4), directory, kDirectoryRoom);
    int end = 4;
    while (end <= AbsPath::kLastRead && at(storage.work, end) != ' ')
        ++end;
    // A directory that fills the room gets no backslash: work(255) stays unread.
    if (end > 4 && end <= AbsPath::kLastRead)
        at(storage.work, end++) = '\\';
    storage.rootLength = 3;
    storage.writePosition = static_cast<uint8_t>(end);
}

// Writes the root prefix and, when the path is relative, the current directory of
// its drive, leaving the write position after them.
void expand_root(AbsPath &storage, const char *input, const char *directory)
{
    if (is_network(input)) {
        at(storage.work, 1) = '\\';
        storage.readPosition = 2;
        storage.writePosition = 2;
    } else {
        storage.readPosition = static_cast<uint8_t>(after_drive(input));
        at(storage.work, 1) = named_drive(input, storage.drive);
        at(storage.work, 2) = ':';
        storage.writePosition = 3;
        if (at(input, storage.readPosition) != '\\') {
            write_current_directory(storage, directory);
            return;
        }
    }
    at(storage.work, storage.writePosition) = '\\';
    storage.rootLength = storage.writePosition;
    ++storage.writePosition;
    ++storage.readPosition;
}

// Pushes, pops or ignores one component of the work area.
void apply(AbsPath &storage, uint8_t start, uint8_t length)
{
    const char *text = &at(storage.work, start);
    if (length == 2 && text[0] == '.' && text[1] == '.') {
        if (storage.componentCount > 0)
            --storage.componentCount;
        return;
    }
    if (length == 1 && text[0] == '.')
        return;
    if (storage.componentCount < std::size(storage.components))
        storage.components[storage.componentCount++] = {start, length};
}

// Splits the work area after the root prefix into components, each ended by one
// backslash or space; two delimiters in a row, or the end of the read part, end it.
void parse(AbsPath &storage)
{
    storage.scanPosition = static_cast<uint8_t>(storage.rootLength + 1);
    storage.endOfParse = 0;
    while (!storage.endOfParse) {
        uint8_t start = storage.scanPosition;
        while (storage.scanPosition <= AbsPath::kLastRead &&
               !is_delimiter(at(storage.work, storage.scanPosition)))
            ++storage.scanPosition;
        if (storage.scanPosition == start) {
            storage.endOfParse = 1;
            break;
        }
        apply(storage, start, static_cast<uint8_t>(storage.scanPosition - start));
        if (storage.scanPosition > AbsPath::kLastRead)
            storage.endOfParse = 1;
        else
            ++storage.scanPosition;
    }
}

void write_output(const AbsPath &storage, char *output)
{
    std::memset(output, ' ', AbsPath::kFieldWidth);
    std::memcpy(output, storage.work, storage.rootLength);
    int position = storage.rootLength;
    for (int i = 0; i < storage.componentCount; ++i) {
        if (i > 0)
            output[position++] = '\\';
        std::memcpy(output + position, storage.work + storage.components[i].start - 1,
                    storage.components[i].length);
        position += storage.components[i].length;
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

void resolve(AbsPath &storage, const char *input, char *output, char currentDrive,
             const char *directory)
{
    storage.componentCount = 0;
    storage.rootLength = 0;
    storage.writePosition = 1;
    storage.readPosition = 1;
    storage.drive = currentDrive;
    expand_root(storage, input, directory);
    // The rest of the input after the root, never into work(255).
    int count = AbsPath::kFieldWidth - storage.writePosition;
    if (count > 0)
        std::memcpy(&at(storage.work, storage.writePosition), input + storage.readPosition - 1,
                    count);
    for (char &character : storage.work)
        character = frame::upper_char(character);
    parse(storage);
    write_output(storage, output);
}

} // namespace abspath
