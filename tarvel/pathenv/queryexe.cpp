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
    QueryExe &storage;
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
    QueryExe &storage = run.storage;
    run.status = CBL_JOIN_FILENAME(&storage.join, storage.nameBuffer, storage.directory,
                                   storage.base, storage.extension);
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
    QueryExe &storage = run.storage;
    size_t end = 1;
    while (end < kWidth && storage.nameBuffer[end] != ' ' &&
           !is_path_separator(storage.nameBuffer[end]))
        ++end;
    std::string key = frame::upper_text(std::string(storage.nameBuffer + 1, end - 1)) + "=";

    const char *entry = run.block;
    while (*entry != '\0' && std::strncmp(entry, key.c_str(), key.size()) != 0)
        entry += std::strlen(entry) + 1;
    if (*entry == '\0')
        return false;
    const char *value = entry + key.size();
    size_t length = strnlen(value, kValueMax);
    std::memcpy(storage.value, value, length);
    storage.value[length] = '\0';

    bool found = false;
    for (size_t from = 0; !found && from <= length;) {
        size_t to = from;
        while (to < length && storage.value[to] != ';')
            ++to;
        size_t size = to - from < size_t{kWidth} ? to - from : size_t{kWidth};
        // The element is the join's directory, read in place from the value.
        storage.join.directoryOffset.set(static_cast<uint16_t>(from + 1));
        storage.join.directoryLength.set(static_cast<uint16_t>(size));
        run.status = CBL_JOIN_FILENAME(&storage.join, storage.nameBuffer, storage.value,
                                       storage.base, storage.extension);
        storage.join.directoryOffset.set(1);
        storage.join.directoryLength.set(kWidth);
        found = run.locator(storage, run.status, run.context);
        from = to + 1;
    }
    return found;
}

bool search(Lookup &run)
{
    if (run.storage.nameBuffer[0] == '$' && run.block != nullptr)
        return search_block(run);
    return run.locator(run.storage, run.status, run.context);
}

// A directory given with the name: notes a library, then brings the $NAME\SUB and
// bare library forms into the name to search.
void given_directory(Lookup &run)
{
    QueryExe &storage = run.storage;
    size_t length = frame::field_length(storage.directory, kWidth);
    // The final separator goes, unless it is the root itself ("\\PROG").
    if (length > 1 && is_path_separator(storage.directory[length - 1]))
        storage.directory[--length] = ' ';
    storage.split.flag1 = 1;
    run.status = CBL_SPLIT_FILENAME(&storage.split, storage.directory);
    storage.split.flag1 = 0;
    const std::string extension =
        part(storage.directory, storage.split.extensionOffset, storage.split.extensionLength);
    storage.library = extension == "LBR" ? 'y' : 'n';
    if (storage.library == 'y') {
        storage.libraryRecord.length = static_cast<uint8_t>(storage.split.totalLength.get());
        std::memcpy(storage.libraryRecord.name, storage.directory,
                    sizeof storage.libraryRecord.name);
    }
    storage.directoryGiven = 'y';
    std::string dir(storage.directory, length);
    std::string base = text_of(storage.base);
    if (dir[0] == '$') {
        size_t cut = 1;
        while (cut < length && !is_path_separator(dir[cut]))
            ++cut;
        if (cut == length)
            return;
        set_text(storage.base, dir.substr(cut + 1) + "\\" + base);
        set_text(storage.directory, dir.substr(0, cut + 1));
        join(run);
        return;
    }
    if (storage.library == 'y' && dir.find_last_of("\\/") == std::string::npos) {
        set_text(storage.base, dir + "\\" + base);
        set_text(storage.directory, ".");
        storage.directoryGiven = 'n';
        join(run);
    }
}

// Every name the search order gives, until one is found; its class, or 0.
int search_order(Lookup &run)
{
    QueryExe &storage = run.storage;
    if (storage.extension[0] != ' ') {
        run.status = CBL_TOUPPER(storage.extension, storage.extensionCaseLength);
        int cls = class_of(storage.extension);
        if (search(run))
            return cls;
        if (storage.directoryGiven == 'n') {
            set_text(storage.directory, cls == kRunTimeClass ? "$cobdir" : "$path");
            join(run);
            if (search(run))
                return cls;
        }
        return 0;
    }
    const int rowClass[5] = {kBatchClass, kFileClass, kRunTimeClass, kRunTimeClass, kRunTimeClass};
    for (int row = 0; row < 5; ++row) {
        set_text(storage.extension, std::string(storage.searchTable[row].extension, 3));
        join(run);
        if (search(run))
            return rowClass[row];
        if (storage.directoryGiven == 'n') {
            set_text(storage.directory,
                     frame::field_text(storage.searchTable[row].variable,
                                       sizeof storage.searchTable[row].variable));
            join(run);
            if (search(run))
                return rowClass[row];
            std::memset(storage.directory, ' ', kWidth);
        }
    }
    return 0;
}

// Hands back the found name, resolved and ended by a zero byte, by class.
void report_found(Lookup &run, char *name, uint8_t *kind, int cls)
{
    QueryExe &storage = run.storage;
    const size_t bufferWidth = sizeof storage.located.buffer;
    size_t end = frame::field_length(storage.located.buffer, bufferWidth);
    std::memset(storage.located.buffer + end, ' ', bufferWidth - end);
    run.status = ABSPATH(storage.located.buffer, storage.located.buffer);
    // ABSPATH leaves at least one space in its 255-character field.
    end = frame::field_length(storage.located.buffer, bufferWidth - 2);
    storage.located.buffer[end] = '\0';
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
    std::memcpy(name, storage.located.buffer, end + 1);
    *kind = cls == kBatchClass ? kBatch : kExecutable;
}

} // namespace

bool locate(QueryExe &storage, int32_t &status, void *)
{
    if (storage.library == 'y')
        status = qx_library_file(&storage.libraryFunction, &storage.libraryRecord.length,
                                 &storage.libraryResult);
    status = CBL_LOCATE_FILE(storage.nameBuffer, &storage.locateMode, storage.located.length.bytes,
                             &storage.exist, &storage.pathFlag);
    if (storage.library == 'y' && storage.libraryResult != QX_LIBRARY_ALREADY_OPEN)
        status = qx_release_library(storage.libraryRecord.name);
    return storage.exist != 0;
}

int32_t lookup(QueryExe &storage, char *name, uint8_t *kind, const char *block, Locator locator,
               void *context)
{
    Lookup run{storage, block, locator, context};
    if (name[0] == ' ') {
        *kind = kNotFound;
        return 0;
    }
    // A name that fills the whole field without a space is taken whole.
    set_text(storage.nameBuffer,
             std::string(name, frame::field_length(name, QueryExe::kNameWidth)));
    storage.exist = 0;
    storage.split.flag1 = 0;
    run.status = CBL_SPLIT_FILENAME(&storage.split, storage.nameBuffer);
    set_text(storage.directory, part(storage.nameBuffer, storage.split.directoryOffset,
                                     storage.split.directoryLength));
    set_text(storage.base,
             part(storage.nameBuffer, storage.split.baseOffset, storage.split.baseLength));
    set_text(storage.extension, part(storage.nameBuffer, storage.split.extensionOffset,
                                     storage.split.extensionLength));

    if (storage.directory[0] == ' ') {
        storage.directoryGiven = 'n';
        storage.library = 'n';
        set_text(storage.directory, ".");
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
// ABSPATH's turn is taken inside this one (the order of the locks: turn.h).
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
