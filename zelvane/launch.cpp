// Launching from the CD: the paths come from where the front-end itself lies.
#include "launch.h"

#include "mfc.h"
#include "owner.h"

#include <cstdlib>
#include <cstring>
#include <vector>

static_assert(sizeof(STARTUPINFOA) == 68, "the start-up block handed on is 68 bytes");

void StripTrailingBackslash(char *path)
{
    size_t length = std::strlen(path);
    if (length > 0 && path[length - 1] == '\\')
        path[length - 1] = '\0';
}

// A drive root's text (E:\), which keeps its backslash: without it the path would name
// the drive's current directory instead.
static bool is_drive_root(const char *path)
{
    return std::strlen(path) == 3 && path[1] == ':' && path[2] == '\\';
}

bool BuildLaunchPaths(const char *modulePath, const char *program, const char *folder,
                      const char *arguments, LaunchPaths *paths)
{
    // Every part gets a buffer as long as the whole path, so no split can overrun.
    char drive[MAX_PATH], dir[MAX_PATH], name[MAX_PATH], ext[MAX_PATH];
    char ownFolder[MAX_PATH], base[MAX_PATH + 1];
    if (std::strlen(modulePath) >= MAX_PATH) {
        *paths = {modulePath, modulePath};
        return false;
    }
    _splitpath(modulePath, drive, dir, name, ext);
    _makepath(ownFolder, drive, dir, nullptr, nullptr);
    StripTrailingBackslash(ownFolder);
    // The last folder name now counts as a file name, so drive and folder are the parent.
    _splitpath(ownFolder, drive, dir, name, nullptr);
    _makepath(base, drive, dir, nullptr, nullptr);
    size_t baseLength = std::strlen(base);
    if (baseLength == 0 || base[baseLength - 1] != '\\')
        std::strcat(base, "\\");

    if (*folder != '\0') {
        paths->directory = std::string(base) + folder;
    } else {
        if (!is_drive_root(base))
            StripTrailingBackslash(base);
        paths->directory = base;
    }
    paths->commandLine = paths->directory;
    if (paths->commandLine.empty() || paths->commandLine.back() != '\\')
        paths->commandLine += '\\';
    paths->commandLine += program;
    paths->commandLine += ' ';
    paths->commandLine += arguments;
    return paths->directory.size() < MAX_PATH && paths->commandLine.size() < MAX_PATH;
}

BOOL LaunchProgram(const char *program, const char *folder, const char *arguments)
{
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    char modulePath[MAX_PATH] = "";
    DWORD length = ::GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    LaunchPaths paths;
    bool fits = length > 0 && length < MAX_PATH &&
                BuildLaunchPaths(modulePath, program, folder, arguments, &paths);
    if (!paths.directory.empty() && paths.directory.size() < MAX_PATH)
        ::SetCurrentDirectoryA(paths.directory.c_str());

    if (fits) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ::GetStartupInfoA(&startup);
        std::vector<char> commandLine(paths.commandLine.begin(), paths.commandLine.end());
        commandLine.push_back('\0');
        if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                             NORMAL_PRIORITY_CLASS, nullptr, paths.directory.c_str(), &startup,
                             &process)) {
            // The child runs on its own: the front-end keeps no hold on it.
            owner::unique_handle childProcess(process.hProcess);
            owner::unique_handle childThread(process.hThread);
            return TRUE;
        }
    }
    CString message;
    message.Format("Unable to execute %s", paths.commandLine.c_str());
    AfxMessageBox(message, MB_OK, 0);
    return FALSE;
}
