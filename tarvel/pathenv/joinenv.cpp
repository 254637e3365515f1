// JOINENV: the entry, and the run-time's virtual file and sort that its list is kept
// with.
#include "joinenv.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>

#include "entries.h"
#include "program.h"
#include "qurdex.h"

namespace pathenv {

namespace {

const char kWorkFileName[] = "zkorgsrt.dat";
const char kWorkFileInTmp[] = "$TMP/zkorgsrt.dat";

// The virtual file, opened once, and the sort through its work file, named after TMP
// at each sort.
class RunTimeServices final : public JoinenvRunTime {
public:
    RunTimeServices() { CBL_OPEN_VFILE(&vfile_); }

    void read(uint32_t at, uint32_t count, void *bytes) const override
    {
        CBL_READ_VFILE(vfile_, at, count, bytes);
    }

    bool write(uint32_t at, uint32_t count, const void *bytes) override
    {
        return CBL_WRITE_VFILE(vfile_, at, count, bytes) == 0;
    }

    // Sorts the records through the sort's work file and hands them on as it returns
    // them; false when the sort failed (reported on standard error).
    bool sort(const std::vector<EnvRecord> &records,
              const std::function<void(const EnvRecord &)> &take) override
    {
        sort_file_name();
        qx_sort_block sort{};
        sort.recordLength = sizeof(EnvRecord);
        sort.keyOffset = 0;
        sort.keyLength = kNameWidth;
        sort.descending = 1;
        std::memcpy(sort.workFile, sortFile_, sizeof sort.workFile);
        EXTSM(QX_SORT_OPEN, &sort, nullptr);
        if (sort_failed(sort))
            return false;
        bool ok = false;
        try {
            ok = give_base(sort, records);
            if (ok) {
                EXTSM(QX_SORT_SORT, &sort, nullptr);
                ok = !sort_failed(sort) && take_base(sort, records.size(), take);
            }
        } catch (...) {
            EXTSM(QX_SORT_END, &sort, nullptr); // the work file goes whatever happened
            throw;
        }
        EXTSM(QX_SORT_END, &sort, nullptr);
        return !sort_failed(sort) && ok;
    }

private:
    void sort_file_name()
    {
        char tmp[QX_NAME_MAX];
        std::memset(tmp, ' ', sizeof tmp);
        qx_get_env("TMP", tmp, sizeof tmp);
        bool set = std::any_of(tmp, tmp + sizeof tmp, [](char c) { return c != ' '; });
        const char *name = set ? kWorkFileInTmp : kWorkFileName;
        std::memset(sortFile_, ' ', sizeof sortFile_);
        std::memcpy(sortFile_, name, std::strlen(name));
    }

    // True when the sort's status is one the file-error report is for; reports it.
    bool sort_failed(const qx_sort_block &sort) const
    {
        if (sort.status[0] <= '2')
            return false;
        CBL_FILE_ERROR(sort.status, sortFile_);
        return true;
    }

    // Gives the records to the sort, one each.
    bool give_base(qx_sort_block &sort, const std::vector<EnvRecord> &records) const
    {
        for (EnvRecord record : records) {
            EXTSM(QX_SORT_RELEASE, &sort, &record);
            if (sort_failed(sort))
                return false;
        }
        return true;
    }

    // Takes the sorted records (descending) and hands on each. At most one taking more
    // than was given, so a sort that keeps failing still ends.
    bool take_base(qx_sort_block &sort, size_t given,
                   const std::function<void(const EnvRecord &)> &take) const
    {
        for (size_t tries = 0; tries <= given; ++tries) {
            EnvRecord record;
            EXTSM(QX_SORT_RETURN, &sort, &record);
            if (sort.status[0] == '1')
                break;
            if (sort_failed(sort))
                return false;
            if (sort.status[0] > '1')
                continue;
            take(record);
        }
        return true;
    }

    uint16_t vfile_ = 0;      // virtual-file handle
    char sortFile_[255] = {}; // sort work file name, padded with spaces
};

} // namespace

const char *join(Joinenv &storage, const std::function<const char *()> &read_base, uint32_t count,
                 const char *const texts[9])
{
    if (!storage.runTime)
        storage.runTime = std::make_unique<RunTimeServices>();
    return join_texts(storage, read_base, count, texts);
}

} // namespace pathenv

namespace {

pathenv::Joinenv g_joinenv;
// Threads of the process share the one storage, so their calls take turns.
std::mutex g_joinenvTurns;

} // namespace

extern "C" const char *JOINENV(const uint32_t *count, const char *text1, const char *text2,
                               const char *text3, const char *text4, const char *text5,
                               const char *text6, const char *text7, const char *text8,
                               const char *text9)
{
    int32_t returnCode = 0;
    frame::first_call(g_joinenv, returnCode);
    const char *const texts[9] = {text1, text2, text3, text4, text5, text6, text7, text8, text9};
    try {
        std::lock_guard<std::mutex> turn(g_joinenvTurns);
        return pathenv::join(g_joinenv, QUENNETGETENV, count != nullptr ? *count : 0, texts);
    } catch (const std::exception &) {
        // Only a want of memory ends up here (for the list, the block, a string's size
        // bound or the lock's own set-up): no block, and the next call starts afresh.
        return nullptr;
    }
}
