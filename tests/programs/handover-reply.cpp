// A hand-over program that answers: receives its block (READSHAREDMEM) from the read
// handle on its command line, puts its own process id into the entry's
// reportedProcessId and "REPLIED" into its noticeTag, and sends the block back into
// the same pipe (WRITESHAREDMEM on the write end named in the block's header), for
// the controller to read once the program has ended.
//
// Exit codes: 0 replied, 2 no read handle on the command line, 3 no hand-over block.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "action_table.h"
#include "entries.h"
#include "owner.h"
#include "handover_handle.h"
#include "shared_memory.h"

int main()
{
    HANDLE readHandle = nullptr;
    if (!hand_over_read_handle(readHandle))
        return 2;
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    if (READSHAREDMEM(readHandle, &writeHandle, &data) != 0)
        return 3;
    if (static_cast<BlockHeader *>(data)[-1].totalLength != 8 + sizeof(HandOverBlock)) {
        FINISHSHAREDMEM(readHandle, writeHandle, data);
        return 3;
    }
    auto *block = static_cast<HandOverBlock *>(data);
    ActionEntry entry{};
    std::memcpy(&entry, block->entry, kEntryHandOverPart);
    entry.reportedProcessId = GetCurrentProcessId();
    std::memcpy(entry.noticeTag, "REPLIED     ", sizeof entry.noticeTag);
    std::memcpy(block->entry, &entry, kEntryHandOverPart);
    // The received block goes back as it came, header and all; the write frees it.
    WRITESHAREDMEM(writeHandle, data);
    owner::close_field(readHandle);
    owner::close_field(writeHandle);
    std::printf("hand-over: replied with process id %lu\n", GetCurrentProcessId());
    return 0;
}
