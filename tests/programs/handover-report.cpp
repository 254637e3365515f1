// A hand-over program: takes the pipe read handle from its command line (10 decimal
// digits), receives its block with READSHAREDMEM, writes the block's data to
// handover.bin in its current directory, prints what the action asked for, and gives
// the block back with FINISHSHAREDMEM.
//
// Exit codes: 0 received, 2 no read handle on the command line, 3 no block received.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "entries.h"
#include "hand_over.h"
#include "qurdex.h"

namespace {

// The ten digits that follow the program name on the command line.
bool read_handle_from(const char *commandLine, HANDLE &handle)
{
    const char *digits = std::strrchr(commandLine, ' ');
    digits = digits != nullptr ? digits + 1 : commandLine;
    if (std::strlen(digits) != 10 || std::strspn(digits, "0123456789") != 10)
        return false;
    handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(qx_text_to_number(digits, 10)));
    return true;
}

// A field's text up to its NUL, bounded by the field.
std::string field_text(const char *field, size_t width)
{
    return std::string(field, strnlen(field, width));
}

} // namespace

int main()
{
    HANDLE readHandle = nullptr;
    std::string commandLine = GetCommandLineA();
    while (!commandLine.empty() && commandLine.back() == ' ')
        commandLine.pop_back();
    if (!read_handle_from(commandLine.c_str(), readHandle)) {
        std::printf("hand-over: no read handle on the command line: %s\n", commandLine.c_str());
        return 2;
    }
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    if (READSHAREDMEM(readHandle, &writeHandle, &data) != 0) {
        std::printf("hand-over: no block in pipe %p\n", readHandle);
        return 3;
    }
    const auto *header = reinterpret_cast<const uint8_t *>(data) - 8;
    uint32_t dataSize = 0;
    std::memcpy(&dataSize, header, 4);
    dataSize -= 8;
    if (FILE *out = std::fopen("handover.bin", "wb")) {
        std::fwrite(data, 1, dataSize, out);
        std::fclose(out);
    }
    std::printf("hand-over: %u bytes from pipe %p\n", static_cast<unsigned>(dataSize), readHandle);
    if (dataSize == sizeof(HandOverBlock)) {
        const auto *block = static_cast<const HandOverBlock *>(data);
        ActionEntry entry{};
        std::memcpy(&entry, block->entry, kEntryHandOverPart);
        std::printf("hand-over: program %s\n", field_text(entry.program, sizeof entry.program).c_str());
        std::printf("hand-over: command line %s\n",
                    field_text(entry.commandLine, sizeof entry.commandLine).c_str());
    }
    std::fflush(stdout);
    FINISHSHAREDMEM(readHandle, writeHandle, data);
    return 0;
}
