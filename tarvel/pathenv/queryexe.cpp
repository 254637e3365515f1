// QUERYEXE: executable lookup through the extensions and directories of the
// toolset's kinds of program.
#include "queryexe.h"

#include <cstring>
#include <mutex>
#include <string>

#include "entries.h"
#include "program.h"
#include "text_field.h"

QueryExe g_queryexe;

namespace queryexe {

namespace {

constexpr int kWidth = QueryExe::kBufferWidth;
constexpr size_t kValueMax = sizeof(QueryExe::value) - 1;

// Classes of extension: batch file, other file, run-time program.
enum Class { kBatchClass = 1, kFileClass = 2, kRunTimeClass = 3 };

struct Lookup {
    QueryExe &s;
    const char *block;
    Locator locator;
    void *context;
    int32_t status = 0;
};

using frame::is_path_separator;

void set_text(char *buffer, const std::string &text) { frame::copy_padded(buffer, kWidth, text); }

std::string text_of(const char *buffer) { return frame::field_text(buffer, kWidth); }

// A part that the split found in text, by 1-based offset and length.
std::string part(const char *text, const qx_be16 &offset, const qx_be16 &length)
{
    return length.get() == 0 ? std::string() : std::string(text + offset.get() - 1, length.get());
}

void join(Lookup &run)
{
    QueryExe &s = run.s;
    run.status = CBL_JOIN_FILENAME(&s.join, s.nameBuffer, s.directory, s.base, s.extension);
}

int class_of(const char *extension)
{
    std::string ext = text_of(extension);
    if (ext == "INT" || ext == "GNT" || ext == "LBR")
        return kRunTimeClass;
    return ext == "BAT" ? kBatchClass : kFileClass;
}

// Search through a variable of the given environment block: each directory of its
// value joined with the base name and extension, in order.
bool search_block(Lookup &run)
{
    QueryExe &s = run.s;
    size_t end = 1;
    while (end < kWidth && s.nameBuffer[end] != ' ' && !is_path_separator(s.nameBuffer[end]))
        ++end;
    std::string key = frame::upper_text(std::string(s.nameBuffer + 1, end - 1)) + "=";

    const char *entry = run.block;
    while (*entry != '\0' && std::strncmp(entry, key.c_str(), key.size()) != 0)
        entry += std::strlen(entry) + 1;
    if (*entry == '\0')
        return false;
    const char *value = entry + key.size();
    size_t length = strnlen(value, kValueMax);
    std::memcpy(s.value, value, length);
    s.value[length] = '\0';

    bool found = false;
    for (size_t from = 0; !found && from <= length;) {
        size_t to = from;
        while (to < length && s.value[to] != ';')
            ++to;
        size_t size = to - from < size_t{kWidth} ? to - from : size_t{kWidth};
        // The element is the join's directory, read in place from the value.
        s.join.directoryOffset.set(static_cast<uint16_t>(from + 1));
        s.join.directoryLength.set(static_cast<uint16_t>(size));
        run.status = CBL_JOIN_FILENAME(&s.join, s.nameBuffer, s.value, s.base, s.extension);
        s.join.directoryOffset.set(1);
        s.join.directoryLength.set(kWidth);
        found = run.locator(s, run.status, run.context);
        from = to + 1;
    }
    return found;
}

bool search(Lookup &run)
{
    if (run.s.nameBuffer[0] == '$' && run.block != nullptr)
        return search_block(run);
    return run.locator(run.s, run.status, run.context);
}

// A directory given with the name: notes a library, then brings the $NAME\SUB and
// bare library forms into the name to search.
void given_directory(Lookup &run)
{
    QueryExe &s = run.s;
    size_t length = frame::field_length(s.directory, kWidth);
    // The final separator goes, unless it is the root itself ("\\PROG").
    if (length > 1 && is_path_separator(s.directory[length - 1]))
        s.directory[--length] = ' ';
    s.split.flag1 = 1;
    run.status = CBL_SPLIT_FILENAME(&s.split, s.directory);
    s.split.flag1 = 0;
    s.library = part(s.directory, s.split.extensionOffset, s.split.extensionLength) == "LBR" ? 'y' : 'n';
    if (s.library == 'y') {
        s.libraryRecord.length = static_cast<uint8_t>(s.split.totalLength.get());
        std::memcpy(s.libraryRecord.name, s.directory, sizeof s.libraryRecord.name);
    }
    s.directoryGiven = 'y';
    std::string dir(s.directory, length);
    std::string base = text_of(s.base);
    if (dir[0] == '$') {
        size_t cut = 1;
        while (cut < length && !is_path_separator(dir[cut]))
            ++cut;
        if (cut == length)
            return;
        set_text(s.base, dir.substr(cut + 1) + "\\" + base);
        set_text(s.directory, dir.substr(0, cut + 1));
        join(run);
        return;
    }
    if (s.library == 'y' && dir.find_last_of("\\/") == std::string::npos) {
        set_text(s.base, dir + "\\" + base);
        set_text(s.directory, ".");
        s.directoryGiven = 'n';
        join(run);
    }
}

// Every name the search order gives, until one is found; its class, or 0.
int search_order(Lookup &run)
{
    QueryExe &s = run.s;
    if (s.extension[0] != ' ') {
        run.status = CBL_TOUPPER(s.extension, s.extensionCaseLength);
        int cls = class_of(s.extension);
        if (search(run))
            return cls;
        if (s.directoryGiven == 'n') {
            set_text(s.directory, cls == kRunTimeClass ? "$cobdir" : "$path");
            join(run);
            if (search(run))
                return cls;
        }
        return 0;
    }
    const int rowClass[5] = {kBatchClass, kFileClass, kRunTimeClass, kRunTimeClass, kRunTimeClass};
    for (int row = 0; row < 5; ++row) {
        set_text(s.extension, std::string(s.searchTable[row].extension, 3));
        join(run);
        if (search(run))
            return rowClass[row];
        if (s.directoryGiven == 'n') {
            set_text(s.directory, frame::field_text(s.searchTable[row].variable, sizeof s.searchTable[row].variable));
            join(run);
            if (search(run))
                return rowClass[row];
            std::memset(s.directory, ' ', kWidth);
        }
    }
    return 0;
}

// Hands back the found name, resolved and ended by a zero byte, by class.
void report_found(Lookup &run, char *name, uint8_t *kind, int cls)
{
    QueryExe &s = run.s;
    const size_t bufferWidth = sizeof s.located.buffer;
    size_t end = frame::field_length(s.located.buffer, bufferWidth);
    std::memset(s.located.buffer + end, ' ', bufferWidth - end);
    run.status = ABSPATH(s.located.buffer, s.located.buffer);
    // ABSPATH leaves at least one space in its 255-character field.
    end = frame::field_length(s.located.buffer, bufferWidth - 2);
    s.located.buffer[end] = '\0';
    if (cls == kRunTimeClass) {
        *kind = kRunTimeProgram;
        return;
    }
    // The name field holds the name and its zero byte, or nothing is handed back.
    if (end + 1 > size_t{QueryExe::kNameWidth}) {
        *kind = kNotFound;
        return;
    }
    std::memset(name, ' ', QueryExe::kNameWidth);
    std::memcpy(name, s.located.buffer, end + 1);
    *kind = cls == kBatchClass ? kBatch : kExecutable;
}

} // namespace

bool locate(QueryExe &s, int32_t &status, void *)
{
    if (s.library == 'y')
        status = qx_library_file(&s.libraryFunction, &s.libraryRecord.length, &s.libraryResult);
    status = CBL_LOCATE_FILE(s.nameBuffer, &s.locateMode, s.located.length.bytes, &s.exist, &s.pathFlag);
    if (s.library == 'y' && s.libraryResult != QX_LIBRARY_ALREADY_OPEN)
        status = qx_release_library(s.libraryRecord.name);
    return s.exist != 0;
}

int32_t lookup(QueryExe &s, char *name, uint8_t *kind, const char *block, Locator locator,
               void *context)
{
    Lookup run{s, block, locator, context};
    if (name[0] == ' ') {
        *kind = kNotFound;
        return 0;
    }
    // A name that fills the whole field without a space is taken whole.
    set_text(s.nameBuffer, std::string(name, frame::field_length(name, QueryExe::kNameWidth)));
    s.exist = 0;
    s.split.flag1 = 0;
    run.status = CBL_SPLIT_FILENAME(&s.split, s.nameBuffer);
    set_text(s.directory, part(s.nameBuffer, s.split.directoryOffset, s.split.directoryLength));
    set_text(s.base, part(s.nameBuffer, s.split.baseOffset, s.split.baseLength));
    set_text(s.extension, part(s.nameBuffer, s.split.extensionOffset, s.split.extensionLength));

    if (s.directory[0] == ' ') {
        s.directoryGiven = 'n';
        s.library = 'n';
        set_text(s.directory, ".");
        join(run);
    } else {
        given_directory(run);
    }
    int cls = search_order(run);
    if (cls == 0) {
        *kind = kNotFound;
        return run.status;
    }
    report_found(run, name, kind, cls);
    return run.status;
}

} // namespace queryexe

// Calls from several threads take turns: each looks up in the program's work areas.
namespace {
std::mutex g_queryexeTurn;
} // namespace

extern "C" int32_t QUERYEXE(char *name, uint8_t *kind, const char *const *environment)
{
    int32_t returnCode = 0;
    frame::first_call(g_queryexe, returnCode);
    std::lock_guard<std::mutex> turn(g_queryexeTurn);
    const char *block = environment != nullptr ? *environment : nullptr;
    returnCode = queryexe::lookup(g_queryexe, name, kind, block, queryexe::locate, nullptr);
    return frame::finish(reinterpret_cast<void *>(&QUERYEXE), returnCode);
}
