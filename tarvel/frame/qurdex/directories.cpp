// Library routines of the run-time: drives and their own current directories,
// directories, upper-casing, and splitting and joining file names.
#include "qurdex.h"

#include <cstring>
#include <string>

#include "text_field.h"

using frame::is_path_separator;

namespace {

std::string current_directory()
{
    char path[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, path);
    return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(path, length);
}

bool on_drive(const std::string &path) { return path.size() >= 2 && path[1] == ':'; }

int32_t status_of_last_error()
{
    DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_DRIVE)
               ? QX_PATH_NOT_FOUND
               : QX_PATH_FAILED;
}

// Keeps the current directory cwd as its drive's own in the "=X:" variable, where
// the system looks when that drive is named alone ("X:") later on.
void remember_current_directory(const std::string &cwd)
{
    if (!on_drive(cwd))
        return;
    const char name[4] = {'=', frame::upper_char(cwd[0]), ':', '\0'};
    SetEnvironmentVariableA(name, cwd.c_str());
}

int32_t change_directory(const std::string &path)
{
    if (path.empty())
        return QX_PATH_NOT_FOUND;
    if (!SetCurrentDirectoryA(path.c_str()))
        return status_of_last_error();
    remember_current_directory(current_directory());
    return 0;
}

void put_be16(qx_be16 &field, size_t value) { field.set(static_cast<uint16_t>(value)); }

// One part of a join: at most length bytes from the 1-based offset, ended by a
// space or NUL.
std::string join_part(const char *buffer, const qx_be16 &offset, const qx_be16 &length)
{
    if (offset.get() == 0)
        return std::string();
    return frame::field_text(buffer + offset.get() - 1, length.get());
}

} // namespace

extern "C" {

int32_t PC_READ_DRIVE(char *drive)
{
    std::string cwd = current_directory();
    if (!on_drive(cwd))
        return QX_PATH_FAILED;
    *drive = frame::upper_char(cwd[0]);
    return 0;
}

int32_t PC_SET_DRIVE(const char *drive)
{
    char letter = frame::upper_char(*drive);
    if (letter < 'A' || letter > 'Z')
        return QX_PATH_BAD_PARAMETER;
    const std::string cwd = current_directory();
    remember_current_directory(cwd);
    // The current drive's own directory is the current directory, which the process
    // holds open so that it cannot be removed: there is nothing to open again.
    if (on_drive(cwd) && frame::upper_char(cwd[0]) == letter)
        return 0;
    const char alone[3] = {letter, ':', '\0'};
    char path[MAX_PATH];
    DWORD length = GetFullPathNameA(alone, MAX_PATH, path, nullptr);
    if (length > 0 && length < MAX_PATH && SetCurrentDirectoryA(path))
        return 0;
    // The directory last used there may be gone: the drive's root is next.
    const char root[4] = {letter, ':', '\\', '\0'};
    return change_directory(root);
}

int32_t CBL_READ_DIR(char *directory, const uint8_t *size)
{
    std::memset(directory, ' ', *size);
    std::string cwd = current_directory();
    size_t skip = 0;
    if (on_drive(cwd))
        skip = 2;
    else if (cwd.empty())
        return QX_PATH_FAILED;
    while (skip < cwd.size() && is_path_separator(cwd[skip]))
        ++skip;
    size_t length = cwd.size() - skip;
    if (length > *size)
        return QX_PATH_FAILED;
    std::memcpy(directory, cwd.data() + skip, length);
    return 0;
}

int32_t CBL_CHANGE_DIR(const char *path)
{
    return change_directory(frame::field_text(path, QX_NAME_MAX));
}

int32_t CBL_CREATE_DIR(const char *path)
{
    std::string name = frame::field_text(path, QX_NAME_MAX);
    if (name.empty())
        return QX_PATH_NOT_FOUND;
    return CreateDirectoryA(name.c_str(), nullptr) ? 0 : status_of_last_error();
}

int32_t CBL_TOUPPER(char *text, int32_t length)
{
    for (int32_t i = 0; i < length; ++i)
        text[i] = frame::upper_char(text[i]);
    return 0;
}

int32_t CBL_SPLIT_FILENAME(qx_filename_record *record, char *name)
{
    size_t total = frame::field_text(name, record->splitBufferLength.get()).size();
    if (record->flag1 == 1)
        CBL_TOUPPER(name, static_cast<int32_t>(total));

    size_t baseStart = 0; // one past the directory's last separator
    for (size_t i = 0; i < total; ++i)
        if (is_path_separator(name[i]) || name[i] == ':')
            baseStart = i + 1;
    size_t dot = total;
    for (size_t i = total; i > baseStart + 1; --i)
        if (name[i - 1] == '.') {
            dot = i - 1;
            break;
        }
    size_t first = 0;
    while (first < total && !is_path_separator(name[first]) && name[first] != ':' &&
           name[first] != '.')
        ++first;

    put_be16(record->directoryOffset, 1);
    put_be16(record->directoryLength, baseStart);
    put_be16(record->baseOffset, baseStart + 1);
    put_be16(record->baseLength, dot - baseStart);
    put_be16(record->extensionOffset, dot < total ? dot + 2 : total + 1);
    put_be16(record->extensionLength, dot < total ? total - dot - 1 : 0);
    put_be16(record->totalLength, total);
    put_be16(record->firstComponentLength, first);
    return 0;
}

int32_t CBL_JOIN_FILENAME(qx_filename_record *record, char *result, const char *directory,
                          const char *base, const char *extension)
{
    std::string dir = join_part(directory, record->directoryOffset, record->directoryLength);
    std::string joined = dir;
    if (!dir.empty() && !is_path_separator(dir.back()))
        joined += '\\';
    joined += join_part(base, record->baseOffset, record->baseLength);
    std::string ext = join_part(extension, record->extensionOffset, record->extensionLength);
    if (!ext.empty())
        joined += '.' + ext;

    size_t width = record->joinBufferLength.get();
    std::memset(result, ' ', width);
    if (joined.size() > width) {
        put_be16(record->totalLength, 0);
        return QX_PATH_FAILED;
    }
    std::memcpy(result, joined.data(), joined.size());
    put_be16(record->totalLength, joined.size());
    return 0;
}

} // extern "C"
