// The console a launch's child gets: in a process with no console of its own, one
// hidden console shared by the console programs it starts with their output caught.
#include "child_console.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "owner.h"

namespace {

// What the launches do with the process's console.
enum class ConsoleUse {
    Unasked, // not looked at yet
    Kept,    // the process has a console, or none could be made: children get their own
    None,    // no console yet: one is made for the first console program
    Shared,  // the process is attached to the console it made for its children
};

// The shared console, and what it showed when it was made.
struct SharedConsole {
    ConsoleUse use = ConsoleUse::Unasked;
    owner::unique_file input;
    owner::unique_file output;
    DWORD inputMode = 0;
    DWORD outputMode = 0;
    UINT inputCodePage = 0;
    UINT outputCodePage = 0;
    CONSOLE_SCREEN_BUFFER_INFO screen{};
};

// Read and written only by the launch that holds the launch turn.
SharedConsole g_console;

enum class Image { Console, Gui, Unknown };

// How long the command interpreter that made the console is given to end once its
// input has ended.
constexpr DWORD kHolderEndMs = 5000;

// GetConsoleCP answers for any console the process is attached to and fails with
// ERROR_INVALID_HANDLE when there is none. Wine's stand-in for the console of a program
// started from a Unix shell without a terminal (whose console children get no console
// either) fails with another error: it counts as a console.
bool has_console()
{
    SetLastError(ERROR_SUCCESS);
    return GetConsoleCP() != 0 || GetLastError() != ERROR_INVALID_HANDLE;
}

// A text that a call writes into a buffer of MAX_PATH bytes and measures; empty when
// it does not fit.
template <typename Call>
std::string path_text(Call call)
{
    char text[MAX_PATH];
    const DWORD length = call(text, MAX_PATH);
    return length < MAX_PATH ? std::string(text, length) : std::string();
}

std::string system_folder()
{
    return path_text([](char *text, UINT size) { return GetSystemDirectoryA(text, size); });
}

// The folders CreateProcessA looks in for a program named without a folder, in its
// order: the folder of this program, the current folder, the system folder, the 16-bit
// system folder, the Windows folder, then the folders of PATH.
std::string program_search_path()
{
    const std::string module =
        path_text([](char *text, DWORD size) { return GetModuleFileNameA(nullptr, text, size); });
    const std::string windows =
        path_text([](char *text, UINT size) { return GetWindowsDirectoryA(text, size); });
    std::vector<char> variable(GetEnvironmentVariableA("PATH", nullptr, 0) + 1, '\0');
    GetEnvironmentVariableA("PATH", variable.data(), static_cast<DWORD>(variable.size()));
    std::string path = module.substr(0, module.find_last_of('\\'));
    for (const std::string &folder :
         {path_text([](char *text, DWORD size) { return GetCurrentDirectoryA(size, text); }),
          system_folder(), windows + "\\system", windows, std::string(variable.data())}) {
        path.push_back(';');
        path.append(folder);
    }
    return path;
}

// The file that name names along the search path, with ".exe" added to a name without
// an extension; empty when there is none.
std::string found_file(const std::string &searchPath, const std::string &name)
{
    if (name.empty())
        return {};
    const std::string file = path_text([&](char *text, DWORD size) {
        return SearchPathA(searchPath.c_str(), name.c_str(), ".exe", size, text, nullptr);
    });
    const DWORD attributes =
        file.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    return file;
}

// The file CreateProcessA starts for a command line without an application name: the
// name in quotes, or else the shortest run of words from the start that names a file
// (C:\Program Files\tool.exe -x is tried as C:\Program first). Empty when none is found.
std::string program_file(const char *commandLine)
{
    const std::string path = program_search_path();
    const std::string line = commandLine;
    if (!line.empty() && line.front() == '"')
        return found_file(path, line.substr(1, line.find('"', 1) - 1));
    for (size_t end = 0;; ++end) {
        if (end < line.size() && line[end] != ' ' && line[end] != '\t')
            continue;
        std::string file = found_file(path, line.substr(0, end));
        if (!file.empty() || end >= line.size())
            return file;
    }
}

bool read_at(HANDLE file, LONG offset, void *bytes, DWORD count)
{
    DWORD got = 0;
    return offset >= 0 && SetFilePointer(file, offset, nullptr, FILE_BEGIN) == DWORD(offset) &&
           ReadFile(file, bytes, count, &got, nullptr) && got == count;
}

// The start of a Windows image's headers, up to its subsystem, which 64-bit images keep
// at the same place.
struct ImageHeaders {
    DWORD signature;
    IMAGE_FILE_HEADER file;
    IMAGE_OPTIONAL_HEADER32 optional;
};
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, Subsystem) ==
              offsetof(IMAGE_OPTIONAL_HEADER64, Subsystem));
constexpr DWORD kHeadersUpToSubsystem =
    offsetof(ImageHeaders, optional) + offsetof(IMAGE_OPTIONAL_HEADER32, Subsystem) + sizeof(WORD);

// A Windows image of the GUI subsystem is a GUI program; any other file that starts
// runs in a console: a console image, a batch file, an MS-DOS program.
Image image_of(const std::string &file)
{
    if (file.empty())
        return Image::Unknown;
    owner::unique_file handle(CreateFileA(file.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle)
        return Image::Unknown;
    IMAGE_DOS_HEADER dos{};
    ImageHeaders headers{};
    const bool image = read_at(handle.get(), 0, &dos, sizeof dos) &&
                       dos.e_magic == IMAGE_DOS_SIGNATURE &&
                       read_at(handle.get(), dos.e_lfanew, &headers, kHeadersUpToSubsystem) &&
                       headers.signature == IMAGE_NT_SIGNATURE;
    return image && headers.optional.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI ? Image::Gui
                                                                              : Image::Console;
}

// A pipe with one end for a child to inherit; the other end stays with this process.
struct ChildPipe {
    owner::unique_handle childEnd;
    owner::unique_handle ownEnd;
};

ChildPipe child_pipe(bool childReads)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return {};
    ChildPipe pipe{owner::unique_handle(childReads ? readEnd : writeEnd),
                   owner::unique_handle(childReads ? writeEnd : readEnd)};
    SetHandleInformation(pipe.ownEnd.get(), HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

// Starts command with a new console, its window hidden as a launch's console child's
// is, its standard input from input and its output to output; it inherits those two
// handles and no other.
PROCESS_INFORMATION start_with_new_console(std::string command, HANDLE input, HANDLE output)
{
    PROCESS_INFORMATION child{};
    HANDLE inherited[] = {input, output};
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    auto *attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size))
        return child;
    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    startup.lpAttributeList = attributes;
    if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                  sizeof inherited, nullptr, nullptr))
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE,
                       CREATE_NEW_CONSOLE | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                       &startup.StartupInfo, &child);
    DeleteProcThreadAttributeList(attributes);
    return child;
}

// Attaches the process to the console of the process id. Attaching makes console
// handles the standard handles of a process that was started without handles of its
// own; the process's own are put back and those closed, so that nothing that reads the
// standard handles sees a change (the console output host writes to the standard
// output that the process was given, a file or a pipe, or none).
bool attach_keeping_standard_handles(DWORD processId)
{
    const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    HANDLE own[3], made[3];
    for (int i = 0; i < 3; ++i)
        own[i] = GetStdHandle(kinds[i]);
    if (!AttachConsole(processId))
        return false;
    for (int i = 0; i < 3; ++i) {
        made[i] = GetStdHandle(kinds[i]);
        SetStdHandle(kinds[i], own[i]);
    }
    for (int i = 0; i < 3; ++i) {
        const bool handle = made[i] != nullptr && made[i] != INVALID_HANDLE_VALUE;
        if (handle && std::count(own, own + 3, made[i]) == 0 &&
            std::count(made, made + i, made[i]) == 0)
            owner::unique_handle closing(made[i]);
    }
    return true;
}

// Attaches the process to a new hidden console. The command interpreter makes it, as
// any console program started the way a launch starts one would: once it runs it
// writes an empty line, then waits for a line on its standard input, and ends when this
// process has attached and closes that input.
bool attach_to_new_console()
{
    ChildPipe input = child_pipe(true);
    ChildPipe ready = child_pipe(false);
    if (!input.childEnd || !ready.childEnd)
        return false;
    std::string command(1, '"');
    command.append(system_folder()).append("\\cmd.exe\" /d /q /c \"echo.&set /p line=\"");
    PROCESS_INFORMATION child =
        start_with_new_console(command, input.childEnd.get(), ready.childEnd.get());
    owner::unique_handle thread(child.hThread);
    owner::unique_handle process(child.hProcess);
    input.childEnd.reset();
    ready.childEnd.reset();
    char byte = 0;
    DWORD got = 0;
    const bool running =
        process && ReadFile(ready.ownEnd.get(), &byte, 1, &got, nullptr) && got == 1;
    const bool attached = running && attach_keeping_standard_handles(child.dwProcessId);
    input.ownEnd.reset();
    if (process)
        WaitForSingleObject(process.get(), kHolderEndMs);
    return attached;
}

// Ctrl-C and Ctrl-Break that a child sends to every process of its console reach this
// process too: they end the child, not the run.
BOOL WINAPI ignore_break(DWORD event) { return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT; }

owner::unique_file open_console(const char *name)
{
    return owner::unique_file(CreateFileA(name, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
}

// Makes the shared console and keeps what it shows when new.
bool make_shared_console()
{
    if (!attach_to_new_console())
        return false;
    SetConsoleCtrlHandler(&ignore_break, TRUE);
    SharedConsole &console = g_console;
    console.input = open_console("CONIN$");
    console.output = open_console("CONOUT$");
    GetConsoleMode(console.input.get(), &console.inputMode);
    GetConsoleMode(console.output.get(), &console.outputMode);
    console.inputCodePage = GetConsoleCP();
    console.outputCodePage = GetConsoleOutputCP();
    GetConsoleScreenBufferInfo(console.output.get(), &console.screen);
    return true;
}

bool same_place(const SMALL_RECT &a, const SMALL_RECT &b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

bool same_cell(const COORD &a, const COORD &b) { return a.X == b.X && a.Y == b.Y; }

// The screen as it was when the console was new: its size and window, its colours, and,
// when a child wrote to the console, an empty screen with the cursor where it was.
void reset_screen(const SharedConsole &console)
{
    const HANDLE output = console.output.get();
    const CONSOLE_SCREEN_BUFFER_INFO &made = console.screen;
    CONSOLE_SCREEN_BUFFER_INFO now{};
    if (!GetConsoleScreenBufferInfo(output, &now))
        return;
    if (!same_cell(now.dwSize, made.dwSize) || !same_place(now.srWindow, made.srWindow)) {
        // The window must lie inside the buffer at every step: it shrinks to a cell first.
        SMALL_RECT cell{0, 0, 0, 0};
        SetConsoleWindowInfo(output, TRUE, &cell);
        SetConsoleScreenBufferSize(output, made.dwSize);
        SetConsoleWindowInfo(output, TRUE, &made.srWindow);
    }
    if (now.wAttributes != made.wAttributes)
        SetConsoleTextAttribute(output, made.wAttributes);
    if (!same_cell(now.dwCursorPosition, made.dwCursorPosition)) {
        const DWORD cells = DWORD(made.dwSize.X) * DWORD(made.dwSize.Y);
        DWORD written = 0;
        FillConsoleOutputCharacterA(output, ' ', cells, COORD{0, 0}, &written);
        FillConsoleOutputAttribute(output, made.wAttributes, cells, COORD{0, 0}, &written);
        SetConsoleCursorPosition(output, made.dwCursorPosition);
    }
}

// A new console's title is the path of the program it was made for.
void reset_title(const std::string &programFile)
{
    char now[1024];
    const DWORD length = GetConsoleTitleA(now, sizeof now);
    if (!programFile.empty() &&
        programFile != std::string(now, std::min<DWORD>(length, sizeof now)))
        SetConsoleTitleA(programFile.c_str());
}

// Before a child starts on the shared console: what an earlier child changed of it that
// the console keeps for all its processes goes back to what a new console shows, so each
// child finds it as it would find a console of its own.
void reset_shared_console(const std::string &programFile)
{
    const SharedConsole &console = g_console;
    SetConsoleMode(console.input.get(), console.inputMode);
    SetConsoleMode(console.output.get(), console.outputMode);
    SetConsoleCP(console.inputCodePage);
    SetConsoleOutputCP(console.outputCodePage);
    SetConsoleActiveScreenBuffer(console.output.get());
    reset_screen(console);
    reset_title(programFile);
}

} // namespace

DWORD PrepareChildConsole(const char *commandLine, bool redirected)
{
    SharedConsole &console = g_console;
    if (console.use == ConsoleUse::Unasked)
        console.use = has_console() ? ConsoleUse::Kept : ConsoleUse::None;
    if (console.use == ConsoleUse::Kept)
        return 0;
    const std::string file = program_file(commandLine);
    const Image image = image_of(file);
    if (console.use == ConsoleUse::None) {
        if (!redirected || image != Image::Console)
            return 0;
        console.use = make_shared_console() ? ConsoleUse::Shared : ConsoleUse::Kept;
        if (console.use == ConsoleUse::Kept)
            return 0;
    }
    // A console program started plain makes a console of its own, shown, as it does in a
    // process without one; anything else started plain starts as it always did.
    if (!redirected)
        return image == Image::Console ? CREATE_NEW_CONSOLE : 0;
    // A GUI program gets no console, as in a process without one (Wine attaches a GUI
    // program to its parent's console); its standard handles are the pipes either way.
    if (image == Image::Gui)
        return DETACHED_PROCESS;
    reset_shared_console(file);
    return 0;
}
