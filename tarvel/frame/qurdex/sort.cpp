// The record sort: records given one at a time are kept in a work file, sorted by
// an unsigned byte key when input ends, and taken back one at a time. Its file
// error report lives here too.
#include "qurdex.h"
#include "internal.h"
#include "owner.h"
#include "text_field.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

namespace {

// Records given are collected up to this many bytes before one write to the work file.
constexpr size_t kSpoolBytes = 64 * 1024;
// How long a busy work file is waited for: tries times the wait.
constexpr int kBusyTries = 1000;
constexpr DWORD kBusyWaitMs = 5;

struct Sort {
    owner::unique_file file; // the work file, opened to be deleted on close
    size_t recordLength = 0;
    size_t keyOffset = 0;
    size_t keyLength = 0;
    bool descending = false;
    bool sorted = false;
    std::vector<uint8_t> spool; // records given and not yet written
    size_t given = 0;
    std::vector<uint8_t> records; // all records, read back at the sort
    std::vector<size_t> order;    // record numbers in the order they are taken
    size_t taken = 0;
};
static_assert(!std::is_copy_constructible_v<Sort>, "a sort owns its work file");

struct Sorts {
    std::mutex lock;
    uint32_t last = 0;
    std::map<uint32_t, std::unique_ptr<Sort>> open;
};

Sorts &sorts()
{
    static Sorts all;
    return all;
}

int32_t set_status(qx_sort_block *block, const char *status)
{
    block->status[0] = status[0];
    block->status[1] = status[1];
    return static_cast<int32_t>((status[0] - '0') * 10 + (status[1] - '0'));
}

// The work file's path: "$NAME/REST" stands for REST in the directory the process
// variable NAME names. Empty when that variable is not set.
std::string work_file_path(const char *field)
{
    std::vector<std::string> names =
        qurdex::candidates(frame::field_text(field, sizeof(qx_sort_block::workFile)));
    return names.empty() ? std::string() : names.front();
}

bool write_all(HANDLE file, const uint8_t *data, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool read_all(HANDLE file, uint8_t *data, size_t size)
{
    while (size > 0) {
        DWORD got = 0;
        if (!ReadFile(file, data, static_cast<DWORD>(size), &got, nullptr) || got == 0)
            return false;
        data += got;
        size -= got;
    }
    return true;
}

bool flush_spool(Sort &sort)
{
    bool ok = write_all(sort.file.get(), sort.spool.data(), sort.spool.size());
    sort.spool.clear();
    return ok;
}

// Makes the work file for this sort alone. It is deleted on close, so it goes even
// when the process ends mid-sort. A work file of the same name that another sort
// (of this process or another) holds is waited for, a few seconds at most.
HANDLE create_work_file(const std::string &path)
{
    for (int tries = 0;; ++tries) {
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
            tries == kBusyTries)
            return file;
        Sleep(kBusyWaitMs);
    }
}

int32_t open_sort(Sorts &all, qx_sort_block *block)
{
    auto sort = std::make_unique<Sort>();
    sort->recordLength = block->recordLength;
    sort->keyOffset = block->keyOffset;
    sort->keyLength = block->keyLength;
    sort->descending = block->descending != 0;
    if (sort->recordLength == 0 || sort->keyLength == 0 ||
        sort->keyOffset + sort->keyLength > sort->recordLength)
        return set_status(block, "90");
    std::string path = work_file_path(block->workFile);
    if (path.empty())
        return set_status(block, "30");
    sort->file.reset(create_work_file(path));
    if (!sort->file)
        return set_status(block, "30");
    std::lock_guard<std::mutex> hold(all.lock);
    block->sort = ++all.last;
    all.open[block->sort] = std::move(sort);
    return set_status(block, "00");
}

int32_t release_record(Sort &sort, qx_sort_block *block, const void *record)
{
    if (sort.sorted)
        return set_status(block, "91");
    const auto *bytes = static_cast<const uint8_t *>(record);
    sort.spool.insert(sort.spool.end(), bytes, bytes + sort.recordLength);
    ++sort.given;
    if (sort.spool.size() >= kSpoolBytes && !flush_spool(sort))
        return set_status(block, "30");
    return set_status(block, "00");
}

// Reads every record back from the work file and orders them by key.
int32_t sort_records(Sort &sort, qx_sort_block *block)
{
    if (sort.sorted)
        return set_status(block, "91");
    sort.sorted = true;
    if (!flush_spool(sort))
        return set_status(block, "30");
    sort.records.resize(sort.given * sort.recordLength);
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(sort.file.get(), start, nullptr, FILE_BEGIN) ||
        !read_all(sort.file.get(), sort.records.data(), sort.records.size())) {
        sort.records.clear();
        return set_status(block, "30");
    }
    sort.order.resize(sort.given);
    for (size_t i = 0; i < sort.given; ++i)
        sort.order[i] = i;
    const uint8_t *base = sort.records.data() + sort.keyOffset;
    std::stable_sort(sort.order.begin(), sort.order.end(), [&](size_t a, size_t b) {
        return std::memcmp(base + a * sort.recordLength, base + b * sort.recordLength,
                           sort.keyLength) < 0;
    });
    if (sort.descending)
        std::reverse(sort.order.begin(), sort.order.end());
    return set_status(block, "00");
}

int32_t return_record(Sort &sort, qx_sort_block *block, void *record)
{
    if (!sort.sorted)
        return set_status(block, "91");
    if (sort.taken >= sort.order.size())
        return set_status(block, "10");
    std::memcpy(record, sort.records.data() + sort.order[sort.taken++] * sort.recordLength,
                sort.recordLength);
    return set_status(block, "00");
}

} // namespace

extern "C" {

int32_t EXTSM(uint32_t operation, qx_sort_block *block, void *record)
{
    Sorts &all = sorts();
    try {
        // Opening takes the lock only to register, as it may wait for a busy work file.
        if (operation == QX_SORT_OPEN)
            return open_sort(all, block);
        std::lock_guard<std::mutex> hold(all.lock);
        auto found = all.open.find(block->sort);
        if (found == all.open.end())
            return set_status(block, "91");
        Sort &sort = *found->second;
        switch (operation) {
        case QX_SORT_RELEASE: return release_record(sort, block, record);
        case QX_SORT_SORT: return sort_records(sort, block);
        case QX_SORT_RETURN: return return_record(sort, block, record);
        case QX_SORT_END: all.open.erase(found); return set_status(block, "00");
        default: return set_status(block, "90");
        }
    } catch (const std::bad_alloc &) {
        return set_status(block, "30");
    }
}

int32_t CBL_FILE_ERROR(const char *status, const char *fileName)
{
    std::string text = "qurdex: file error ";
    text += status[0];
    text += status[1];
    text += " on " + frame::field_text(fileName, sizeof(qx_sort_block::workFile)) + "\r\n";
    qurdex::report(text);
    return 0;
}

} // extern "C"
