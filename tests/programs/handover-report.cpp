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

#include "action_table.h"
#include "entries.h"
#include "handover_handle.h"
#include "shared_memory.h"

namespace {

// A field's text up to its NUL, bounded by the field.
std::string up_to_nul(const char *field, size_t width)
{
    return std::string(field, strnlen(field, width));
}

} // namespace

int main()
{
    HANDLE readHandle = nullptr;
    if (!hand_over_read_handle(readHandle)) {
        std::printf("hand-over: no read handle on the command line: %s\n", GetCommandLineA());
        return 2;
    }
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    if (READSHAREDMEM(readHandle, &writeHandle, &data) != 0) {
        std::printf("hand-over: no block in the pipe\n");
        return 3;
    }
    const auto *header = reinterpret_cast<const BlockHeader *>(static_cast<uint8_t *>(data) - 8);
    const uint32_t dataSize = header->totalLength - 8;
    if (FILE *out = std::fopen("handover.bin", "wb")) {
        std::fwrite(data, 1, dataSize, out);
        std::fclose(out);
    }
    std::printf("hand-over: started as %s\n", GetCommandLineA());
    std::printf("hand-over: %u bytes received\n", static_cast<unsigned>(dataSize));
    if (dataSize == sizeof(HandOverBlock)) {
        const auto *block = static_cast<const HandOverBlock *>(data);
        ActionEntry entry{};
        std::memcpy(&entry, block->entry, kEntryHandOverPart);
        std::printf("hand-over: program %s\n",
                    up_to_nul(entry.program, sizeof entry.program).c_str());
        std::printf("hand-over: command line %s\n",
                    up_to_nul(entry.commandLine, sizeof entry.commandLine).c_str());
    }
    std::fflush(stdout);
    FINISHSHAREDMEM(readHandle, writeHandle, data);
    return 0;
}
