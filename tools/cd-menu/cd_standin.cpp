// Stands in on the sample CD for the CD's own setup, tour and document viewer: it
// shows the command line and the current directory it was started with, so a person
// trying the menu sees what each panel would start.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const char *name = self;
    for (const char *p = self; *p; ++p)
        if (*p == '\\')
            name = p + 1;

    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);

    // The brackets show blanks at either end, such as the one after the program name.
    std::string text = "On the real CD this would be the CD's own program.\n\n";
    text += "Started with the command line:\n[";
    text += GetCommandLineA();
    text += "]\n\nin the folder:\n";
    text += directory;
    MessageBoxA(nullptr, text.c_str(), name, MB_OK | MB_ICONINFORMATION);
    return 0;
}
