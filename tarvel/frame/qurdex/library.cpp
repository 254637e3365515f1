// Library routines of the run-time: program locks, system information, files, memory.
#include "qurdex.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex &locks_guard()
{
    static std::mutex guard;
    return guard;
}

// One lock per program, made on first use and kept for the life of the process.
// Recursive: the program lock is a routine of the run-time that any code in the process
// may call, and a thread that takes it again while it holds it must not wait for itself.
std::recursive_mutex &program_lock(const void *program)
{
    static std::map<const void *, std::recursive_mutex> locks;
    std::lock_guard<std::mutex> hold(locks_guard());
    return locks[program];
}

// A file name field ends at its first space or NUL, within QX_NAME_MAX bytes.
std::string field_name(const char *name)
{
    size_t length = 0;
    while (length < QX_NAME_MAX && name[length] != ' ' && name[length] != '\0')
        ++length;
    return std::string(name, length);
}

uint64_t get_be(const uint8_t *bytes, int width)
{
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

void set_be(uint8_t *bytes, int width, uint64_t value)
{
    for (int i = width - 1; i >= 0; --i) {
        bytes[i] = static_cast<uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

HANDLE as_handle(uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)); }

int32_t status_from_last_error()
{
    DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? QX_FILE_NOT_FOUND
                                                                            : QX_FILE_ERROR;
}

} // namespace

extern "C" {

int32_t CBL_THREAD_PROG_LOCK(const void *program)
{
    program_lock(program).lock();
    return 0;
}

int32_t CBL_THREAD_PROG_UNLOCK(const void *program)
{
    program_lock(program).unlock();
    return 0;
}

int32_t CBL_GET_OS_INFO(uint8_t *block)
{
    uint32_t size = static_cast<uint32_t>(get_be(block, 2));
    if (size < 3)
        return QX_FILE_BAD_PARAMETER;
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    block[2] = info.dwPlatformId == VER_PLATFORM_WIN32_NT ? QX_OS_NT : QX_OS_9X;
    return 0;
}

int32_t CBL_OPEN_FILE(const char *name, const uint8_t *access, const uint8_t *, const uint8_t *,
                      uint32_t *handle)
{
    DWORD mode = 0;
    if (*access & 1)
        mode |= GENERIC_READ;
    if (*access & 2)
        mode |= GENERIC_WRITE;
    if (mode == 0)
        return QX_FILE_BAD_PARAMETER;
    HANDLE file = CreateFileA(field_name(name).c_str(), mode, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return status_from_last_error();
    *handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(file));
    return 0;
}

int32_t CBL_READ_FILE(const uint32_t *handle, uint8_t *offset, const uint8_t *count,
                      const uint8_t *flags, void *buffer)
{
    HANDLE file = as_handle(*handle);
    if (*flags == 128) {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file, &size))
            return QX_FILE_ERROR;
        set_be(offset, 8, static_cast<uint64_t>(size.QuadPart));
        return 0;
    }
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(get_be(offset, 8));
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        return QX_FILE_ERROR;
    uint32_t wanted = static_cast<uint32_t>(get_be(count, 4));
    auto *to = static_cast<uint8_t *>(buffer);
    while (wanted > 0) {
        DWORD got = 0;
        if (!ReadFile(file, to, wanted, &got, nullptr))
            return QX_FILE_ERROR;
        if (got == 0)
            return QX_FILE_END;
        to += got;
        wanted -= got;
    }
    return 0;
}

int32_t CBL_CLOSE_FILE(const uint32_t *handle)
{
    return CloseHandle(as_handle(*handle)) ? 0 : QX_FILE_ERROR;
}

int32_t CBL_DELETE_FILE(const char *name)
{
    return DeleteFileA(field_name(name).c_str()) ? 0 : status_from_last_error();
}

int32_t CBL_ALLOC_MEM(void **address, uint32_t size, uint32_t)
{
    void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size == 0 ? 1 : size);
    if (block == nullptr)
        return QX_FILE_NO_MEMORY;
    *address = block;
    return 0;
}

} // extern "C"
