// Pipe-carried data blocks of W32RTNS: a block with an 8-byte header travels through
// an inheritable anonymous pipe from its sender to its receiver.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

// The 8 bytes in front of a block's data, in memory and in the pipe.
struct BlockHeader {
    uint32_t totalLength; // data size + 8
    HANDLE writeHandle;   // the pipe's write end, as the sender's process knows it
};

#pragma pack(pop)

static_assert(sizeof(HANDLE) == 4, "the pipe handles travel as 4-byte fields");
static_assert(sizeof(BlockHeader) == 8);
static_assert(offsetof(BlockHeader, totalLength) == 0);
static_assert(offsetof(BlockHeader, writeHandle) == 4);

// The program-wide fields the shared-memory routines use.
struct SharedMemoryState {
    SECURITY_ATTRIBUTES pipeAttributes{}; // length 12, no descriptor, inheritable
    DWORD readCount = 0;                  // bytes moved by the last read or write
};
