// Library routines of the run-time: finding a file, in the directories of a
// process variable and among the members of open library files.
#include "qurdex.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "internal.h"
#include "library_format.h"
#include "text_field.h"

using frame::is_path_separator;

namespace {

// A library name field is 255 bytes wide.
constexpr size_t kLibraryNameWidth = 255;

struct OpenLibraries {
    std::mutex lock;
    // By upper-case full name: the members' names, upper case, and as stored.
    std::map<std::string, std::map<std::string, std::string>> members;
};

OpenLibraries &open_libraries()
{
    static OpenLibraries libraries;
    return libraries;
}

std::string process_variable(const std::string &name)
{
    DWORD length = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (length == 0)
        return std::string();
    std::string value(length, '\0');
    length = GetEnvironmentVariableA(name.c_str(), value.data(), length);
    value.resize(length);
    return value;
}

std::string full_name(const std::string &name)
{
    char path[MAX_PATH];
    DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, path, nullptr);
    return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(path, length);
}

bool is_file(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full name of a member of an open library that path names, or empty.
std::string library_member(const std::string &path)
{
    size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos)
        return std::string();
    OpenLibraries &libraries = open_libraries();
    std::lock_guard<std::mutex> hold(libraries.lock);
    auto library = libraries.members.find(frame::upper_text(path.substr(0, cut)));
    if (library == libraries.members.end())
        return std::string();
    auto member = library->second.find(frame::upper_text(path.substr(cut + 1)));
    if (member == library->second.end())
        return std::string();
    return path.substr(0, cut + 1) + member->second;
}

// The first existing file among the candidates of name, as a full name; empty when none.
std::string first_file(const std::string &name)
{
    for (const std::string &candidate : qurdex::candidates(name)) {
        std::string path = full_name(candidate);
        if (!path.empty() && is_file(path))
            return path;
    }
    return std::string();
}

} // namespace

std::vector<std::string> qurdex::candidates(const std::string &name)
{
    if (name.empty() || name[0] != '$')
        return {name};
    size_t end = 1;
    while (end < name.size() && !is_path_separator(name[end]))
        ++end;
    std::string rest = end < name.size() ? name.substr(end + 1) : std::string();
    std::string list = process_variable(name.substr(1, end - 1));
    std::vector<std::string> names;
    size_t from = 0;
    while (from <= list.size()) {
        size_t to = list.find(';', from);
        if (to == std::string::npos)
            to = list.size();
        std::string dir = list.substr(from, to - from);
        if (dir.size() >= 2 && dir.front() == '"' && dir.back() == '"')
            dir = dir.substr(1, dir.size() - 2);
        if (!dir.empty())
            names.push_back(
                rest.empty() ? dir : dir + (is_path_separator(dir.back()) ? "" : "\\") + rest);
        from = to + 1;
    }
    return names;
}

extern "C" {

int32_t CBL_LOCATE_FILE(const char *name, const uint8_t *mode, uint8_t *located, uint8_t *exist,
                        const uint8_t *)
{
    *exist = 0;
    const size_t width = static_cast<size_t>(located[0]) << 8 | located[1];
    char *buffer = reinterpret_cast<char *>(located + 2);
    std::memset(buffer, ' ', width);
    if (*mode != 0)
        return QX_PATH_BAD_PARAMETER;
    for (const std::string &candidate : qurdex::candidates(frame::field_text(name, QX_NAME_MAX))) {
        std::string path = full_name(candidate);
        if (path.empty())
            continue;
        uint8_t kind = 1;
        if (!is_file(path)) {
            path = library_member(path);
            kind = 2;
        }
        if (path.empty())
            continue;
        if (path.size() > width)
            return QX_PATH_FAILED;
        std::memcpy(buffer, path.data(), path.size());
        *exist = kind;
        return 0;
    }
    return QX_PATH_NOT_FOUND;
}

int32_t qx_library_file(const uint8_t *function, const uint8_t *record, uint8_t *result)
{
    *result = QX_LIBRARY_NOT_OPENED;
    if (*function != QX_LIBRARY_OPEN)
        return QX_PATH_BAD_PARAMETER;
    std::string path =
        first_file(frame::field_text(reinterpret_cast<const char *>(record + 1), record[0]));
    std::vector<library_format::Member> members;
    if (path.empty() || !library_format::read_directory(path, members))
        return QX_PATH_NOT_FOUND;
    std::map<std::string, std::string> names;
    for (const library_format::Member &member : members)
        names[frame::upper_text(member.name)] = member.name;
    OpenLibraries &libraries = open_libraries();
    std::lock_guard<std::mutex> hold(libraries.lock);
    bool added = libraries.members.emplace(frame::upper_text(path), std::move(names)).second;
    *result = added ? QX_LIBRARY_OPENED : QX_LIBRARY_ALREADY_OPEN;
    return 0;
}

int32_t qx_release_library(const char *name)
{
    std::string path = first_file(frame::field_text(name, kLibraryNameWidth));
    OpenLibraries &libraries = open_libraries();
    std::lock_guard<std::mutex> hold(libraries.lock);
    return libraries.members.erase(frame::upper_text(path)) == 1 ? 0 : QX_PATH_NOT_FOUND;
}

} // extern "C"
