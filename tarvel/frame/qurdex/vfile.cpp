// The virtual file: growable byte stores in memory, addressed by offset, each reached
// through a 2-byte handle that stays valid for the life of the process.
#include "qurdex.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

// File status numbers of the virtual-file routines.
enum : int32_t { VFILE_BAD_HANDLE = 9, VFILE_PAST_END = 10, VFILE_NO_MEMORY = 14 };

// The cheapest lock to take here (under Wine a critical section costs a third of a
// slim reader/writer lock): the routines run for every record a program reads or
// writes.
class FastLock {
public:
    FastLock() { InitializeCriticalSection(&section_); }
    ~FastLock() { DeleteCriticalSection(&section_); }
    FastLock(const FastLock &) = delete;
    FastLock &operator=(const FastLock &) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

struct VirtualFiles {
    FastLock lock;
    std::vector<std::vector<uint8_t>> stores; // handle n is stores[n - 1]
};

VirtualFiles &virtual_files()
{
    static VirtualFiles files;
    return files;
}

std::vector<uint8_t> *store_of(VirtualFiles &files, uint16_t handle)
{
    if (handle == 0 || handle > files.stores.size())
        return nullptr;
    return &files.stores[handle - 1u];
}

} // namespace

extern "C" {

int32_t CBL_OPEN_VFILE(uint16_t *handle)
{
    VirtualFiles &files = virtual_files();
    std::lock_guard<FastLock> hold(files.lock);
    if (files.stores.size() >= 0xFFFF)
        return VFILE_BAD_HANDLE;
    files.stores.emplace_back();
    *handle = static_cast<uint16_t>(files.stores.size());
    return 0;
}

int32_t CBL_READ_VFILE(uint16_t handle, uint32_t offset, uint32_t count, void *buffer)
{
    VirtualFiles &files = virtual_files();
    std::lock_guard<FastLock> hold(files.lock);
    std::vector<uint8_t> *store = store_of(files, handle);
    if (store == nullptr)
        return VFILE_BAD_HANDLE;
    auto *to = static_cast<uint8_t *>(buffer);
    size_t size = store->size();
    size_t have = offset >= size ? 0 : size - offset;
    if (have > count)
        have = count;
    if (have > 0)
        std::memcpy(to, store->data() + offset, have);
    if (have == count)
        return 0;
    std::memset(to + have, 0, count - have);
    return VFILE_PAST_END;
}

int32_t CBL_WRITE_VFILE(uint16_t handle, uint32_t offset, uint32_t count, const void *buffer)
{
    VirtualFiles &files = virtual_files();
    std::lock_guard<FastLock> hold(files.lock);
    std::vector<uint8_t> *store = store_of(files, handle);
    if (store == nullptr)
        return VFILE_BAD_HANDLE;
    uint64_t end = static_cast<uint64_t>(offset) + count;
    if (end > 0xFFFFFFFFull)
        return VFILE_NO_MEMORY;
    try {
        if (end > store->size())
            store->resize(static_cast<size_t>(end));
    } catch (const std::bad_alloc &) {
        return VFILE_NO_MEMORY;
    }
    if (count > 0)
        std::memcpy(store->data() + offset, buffer, count);
    return 0;
}

} // extern "C"
