// Starting a program from a folder of the CD the front-end lies on.
#pragma once

#include <windows.h>

#include <string>

// The launch directory and command line of one launch.
struct LaunchPaths {
    std::string directory;
    std::string commandLine;
};

// If the last character of the non-empty path is a backslash, it is removed; only one
// character is ever removed.
void StripTrailingBackslash(char *path);

// Builds the launch of program in folder (relative to the CD base, the folder above the
// front-end's own, which lies at modulePath) with arguments. A front-end in the root of
// a drive takes that root as the CD base. Returns false when the directory or the
// command line would not fit in MAX_PATH characters; paths then still holds them.
bool BuildLaunchPaths(const char *modulePath, const char *program, const char *folder,
                      const char *arguments, LaunchPaths *paths);

// Makes the launch directory current and starts the program there with the front-end's
// own start-up information, without waiting. On failure (or a launch that does not fit)
// shows "Unable to execute <command line>" and returns FALSE.
BOOL LaunchProgram(const char *program, const char *folder, const char *arguments);
