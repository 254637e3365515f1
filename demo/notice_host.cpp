// A sample host for the demo: runs each entry of an action file in its own process
// with TR010Action, as a host program does, with its own window as the entry's notice
// window, and prints the completion notice each action sent: the exit code and tag.
//   notice_host ACTIONFILE
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "action_text.h"
#include "entries.h"
#include "action_steps.h"
#include "hand_over.h"
#include "owner.h"
#include "shared_memory.h"

namespace {

// Waits for message 0x2001 and returns the pipe read handle it carries, or null.
HANDLE wait_for_notice(HWND window)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < 5000) {
        if (PeekMessageA(&msg, window, 0x2001, 0x2001, PM_REMOVE))
            return reinterpret_cast<HANDLE>(msg.lParam);
        Sleep(10);
    }
    return nullptr;
}

void print_notice(HANDLE readHandle)
{
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    if (READSHAREDMEM(readHandle, &writeHandle, &data) != 0) {
        std::printf("notice host: no notice in the pipe\n");
        return;
    }
    const auto *notice = static_cast<const CompletionNotice *>(data);
    std::printf("notice host: notice \"%.12s\": exit code %u\n", notice->noticeTag,
                static_cast<unsigned>(notice->exitCode.get()));
    FINISHSHAREDMEM(readHandle, writeHandle, data);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: notice_host ACTIONFILE\n");
        return 2;
    }
    // Unbuffered, so these lines fall in order with the console host's.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::ifstream in(argv[1], std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    actionfile::ActionFile file;
    std::string error;
    if (!actionfile::from_bytes(bytes, file, error)) {
        std::fprintf(stderr, "notice host: %s\n", error.c_str());
        return 1;
    }
    owner::unique_hwnd window(CreateWindowA("STATIC", "notice host", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                            nullptr, GetModuleHandleA(nullptr), nullptr));
    for (size_t i = 0; i < file.entries.size(); ++i) {
        actionfile::ActionFile one{file.header, {file.entries[i]}, {}};
        one.entries[0].window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window.get()));
        std::string table = actionfile::to_bytes(one);
        std::printf("notice host: action %u\n", static_cast<unsigned>(i + 1));
        int32_t result = TR010Action(reinterpret_cast<ActionTable *>(table.data()), nullptr);
        if (action::wants_notice(one.entries[0])) {
            if (HANDLE notice = wait_for_notice(window.get()))
                print_notice(notice);
        }
        std::printf("notice host: TR010Action returned %d\n", static_cast<int>(result));
    }
    return 0;
}
