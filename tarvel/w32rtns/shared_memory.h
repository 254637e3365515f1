// Pipe-carried data blocks of W32RTNS: a block with an 8-byte header travels through
// an inheritable anonymous pipe from its sender to its receiver.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "tarvel_host_records.h"

// BlockHeader, the 8 bytes in front of a block's data in memory and in the pipe, is the
// host header's record.
static_assert(sizeof(HANDLE) == 4, "the pipe handles travel as 4-byte fields");

// A handle as a 4-byte field of a block's header holds it, and back.
inline uint32_t handle_field(HANDLE handle)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}
inline HANDLE field_handle(uint32_t field)
{
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(field));
}

// The program-wide fields the shared-memory routines use.
struct SharedMemoryState {
    SECURITY_ATTRIBUTES pipeAttributes{}; // length 12, no descriptor, inheritable
    DWORD readCount = 0;                  // bytes moved by the last read or write
};
