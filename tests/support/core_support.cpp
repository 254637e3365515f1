#include "core_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstring>
#include <fstream>
#include <sstream>

namespace test_support {

namespace {

size_t page_size()
{
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

// size readable and writable bytes, then one page that is neither.
char *reserve_with_guard(size_t size, size_t page)
{
#ifdef _WIN32
    auto *base = static_cast<char *>(
        VirtualAlloc(nullptr, size + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base + size, page, PAGE_NOACCESS, &old);
    return base;
#else
    auto *base = static_cast<char *>(
        mmap(nullptr, size + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(base + size, page, PROT_NONE);
    return base;
#endif
}

void release(char *base, size_t span)
{
#ifdef _WIN32
    (void)span;
    VirtualFree(base, 0, MEM_RELEASE);
#else
    munmap(base, span);
#endif
}

} // namespace

GuardedField::GuardedField(size_t width) : width_(width)
{
    size_t page = page_size();
    size_t size = (width + page - 1) / page * page;
    span_ = size + page;
    base_ = reserve_with_guard(size, page);
    field_ = base_ + size - width;
}

GuardedField::~GuardedField() { release(base_, span_); }

void GuardedField::fill(const std::string &text, char pad)
{
    std::memset(field_, pad, width_);
    std::memcpy(field_, text.data(), text.size() < width_ ? text.size() : width_);
}

std::string padded(const std::string &text, size_t width)
{
    return text + std::string(width - text.size(), ' ');
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace test_support
