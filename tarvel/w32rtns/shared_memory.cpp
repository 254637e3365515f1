// The nine shared-memory routines of W32RTNS.
#include "shared_memory.h"

#include <limits>

#include "entries.h"
#include "owner.h"
#include "program.h"
#include "w32rtns.h"

namespace {

BlockHeader *header_of(void *data)
{
    return reinterpret_cast<BlockHeader *>(static_cast<uint8_t *>(data) - sizeof(BlockHeader));
}

void *data_of(void *block) { return static_cast<uint8_t *>(block) + sizeof(BlockHeader); }

// Reads exactly size bytes from a blocking pipe, whatever pieces it delivers; false
// when the pipe ends or fails first. Each piece is counted in a local, since other
// threads' transfers report into the program-wide read count too.
bool read_whole(HANDLE pipe, void *buffer, uint32_t size, DWORD &readCount)
{
    auto *at = static_cast<uint8_t *>(buffer);
    while (size > 0) {
        DWORD piece = 0;
        BOOL read = ReadFile(pipe, at, size, &piece, nullptr);
        frame::shared_store(readCount, piece);
        if (!read || piece == 0)
            return false;
        at += piece;
        size -= piece;
    }
    return true;
}

// The receiving step shared by READSHAREDMEM and REGAINSHAREDMEM: the next block of the
// pipe into a new block whose data address goes to *address. Status 0 received, 1 not.
int32_t read_pipe_block(SharedMemoryState &state, HANDLE readHandle, HANDLE *writeHandle,
                        void **address)
{
    // A header that does not arrive whole, or one too short to be a header, is no
    // block: nothing is allocated and both out-fields say so.
    BlockHeader header{};
    if (!read_whole(readHandle, &header, sizeof header, state.readCount) ||
        header.totalLength < sizeof(BlockHeader)) {
        *writeHandle = nullptr;
        *address = nullptr;
        return 1;
    }
    *writeHandle = field_handle(header.writeHandle);
    owner::unique_hglobal block(GlobalAlloc(GMEM_SHARE | GMEM_FIXED, header.totalLength));
    if (!block) {
        // Without memory the header is consumed and the data stays in the pipe: reading
        // it out could wait for ever on a writer that keeps the pipe open.
        *address = nullptr;
        return 1;
    }
    *static_cast<BlockHeader *>(block.get()) = header;
    // Every data byte of the block is taken from the pipe, so the next block's header
    // is read from its own start; a pipe that ends inside the data gives no block.
    if (!read_whole(readHandle, data_of(block.get()), header.totalLength - sizeof header,
                    state.readCount)) {
        *address = nullptr;
        return 1;
    }
    // The block goes to the caller, whose FINISHSHAREDMEM frees it.
    *address = data_of(block.release());
    return 0;
}

// The first call's set-up, then success.
int32_t report_success()
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    return set_status(0);
}

} // namespace

extern "C" {

int32_t ALLOCSHAREDMEM(HANDLE *readHandle, HANDLE *writeHandle, void **address, uint32_t size)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    SharedMemoryState &state = g_w32rtns.sharedMemory;
    // The pipe is made from a copy: another thread's call may be filling the field.
    SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    frame::shared_store(state.pipeAttributes.nLength, attributes.nLength);
    frame::shared_store(state.pipeAttributes.lpSecurityDescriptor, attributes.lpSecurityDescriptor);
    frame::shared_store(state.pipeAttributes.bInheritHandle, attributes.bInheritHandle);
    if (!CreatePipe(readHandle, writeHandle, &attributes, 0)) {
        *readHandle = nullptr;
        *writeHandle = nullptr;
        *address = nullptr;
        return set_status(1);
    }
    // The pipe is made for this block only; without the block its ends are closed.
    owner::unique_handle pipeRead(*readHandle);
    owner::unique_handle pipeWrite(*writeHandle);
    void *block = nullptr;
    if (size <= std::numeric_limits<uint32_t>::max() - sizeof(BlockHeader))
        block = GlobalAlloc(GMEM_SHARE | GMEM_FIXED, size + sizeof(BlockHeader));
    if (block == nullptr) {
        *readHandle = nullptr;
        *writeHandle = nullptr;
        *address = nullptr;
        return set_status(1);
    }
    *static_cast<BlockHeader *>(block) = {size + static_cast<uint32_t>(sizeof(BlockHeader)),
                                          handle_field(pipeWrite.get())};
    // The pipe and the block go to the caller, whose FINISHSHAREDMEM closes and frees them.
    *readHandle = pipeRead.release();
    *writeHandle = pipeWrite.release();
    *address = data_of(block);
    return set_status(0);
}

int32_t WRITESHAREDMEM(HANDLE writeHandle, void *address)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    if (address == nullptr)
        return set_status(1);
    BlockHeader *header = header_of(address);
    // One write puts the whole block into the pipe; it returns once every byte is in
    // it, so a block larger than the pipe's buffer waits for the receiver.
    DWORD written = 0;
    WriteFile(writeHandle, header, header->totalLength, &written, nullptr);
    frame::shared_store(g_w32rtns.sharedMemory.readCount, written);
    return set_status(static_cast<int32_t>(reinterpret_cast<uintptr_t>(GlobalFree(header))));
}

int32_t READSHAREDMEM(HANDLE readHandle, HANDLE *writeHandle, void **address)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    return set_status(read_pipe_block(g_w32rtns.sharedMemory, readHandle, writeHandle, address));
}

int32_t REGAINSHAREDMEM(HANDLE readHandle, HANDLE *writeHandle, void **address)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    return set_status(read_pipe_block(g_w32rtns.sharedMemory, readHandle, writeHandle, address));
}

int32_t FINISHSHAREDMEM(HANDLE readHandle, HANDLE writeHandle, void *address)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    CloseHandle(readHandle);
    CloseHandle(writeHandle);
    // A receive that failed left no block: there is nothing to free.
    if (address == nullptr)
        return set_status(0);
    return set_status(
        static_cast<int32_t>(reinterpret_cast<uintptr_t>(GlobalFree(header_of(address)))));
}

// The four routines below only report success: the pipe and the block are the business
// of the routines above.
int32_t FREESHAREDMEM(HANDLE) { return report_success(); }

int32_t RELINQUISHSHAREDMEM(HANDLE) { return report_success(); }

int32_t WAITSHAREDMEM(HANDLE) { return report_success(); }

int32_t CLEARSHAREDMEM(HANDLE) { return report_success(); }

} // extern "C"
