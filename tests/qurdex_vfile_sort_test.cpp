// The run-time's virtual file, record sort and file-error report, called in-process.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "owner.h"
#include "qurdex.h"
#include "test_support.h"

using test_support::ScopedVariable;
using test_support::TempDir;

TEST(VirtualFile, GrowsWhereWrittenAndReadsZeroPastTheEnd)
{
    uint16_t a = 0, b = 0;
    ASSERT_EQ(CBL_OPEN_VFILE(&a), 0);
    ASSERT_EQ(CBL_OPEN_VFILE(&b), 0);
    EXPECT_NE(a, 0);
    EXPECT_NE(a, b);

    ASSERT_EQ(CBL_WRITE_VFILE(a, 100000, 4, "tail"), 0);
    ASSERT_EQ(CBL_WRITE_VFILE(a, 2, 3, "abc"), 0);
    ASSERT_EQ(CBL_WRITE_VFILE(a, 3, 1, "X"), 0);
    char got[8];
    std::memset(got, '#', sizeof got);
    ASSERT_EQ(CBL_READ_VFILE(a, 0, 6, got), 0);
    EXPECT_EQ(std::string(got, 6), std::string("\0\0aXc\0", 6));
    ASSERT_EQ(CBL_READ_VFILE(a, 100000, 4, got), 0);
    EXPECT_EQ(std::string(got, 4), "tail");

    // Past the end: what exists, then zeros, and the status says so.
    std::memset(got, '#', sizeof got);
    EXPECT_EQ(CBL_READ_VFILE(a, 100002, 6, got), 10);
    EXPECT_EQ(std::string(got, 6), std::string("il\0\0\0\0", 6));
    std::memset(got, '#', sizeof got);
    EXPECT_EQ(CBL_READ_VFILE(b, 0, 3, got), 10);
    EXPECT_EQ(std::string(got, 3), std::string(3, '\0'));

    // The other store is untouched by writes to the first.
    ASSERT_EQ(CBL_WRITE_VFILE(b, 0, 2, "bb"), 0);
    ASSERT_EQ(CBL_READ_VFILE(a, 2, 2, got), 0);
    EXPECT_EQ(std::string(got, 2), "aX");
}

TEST(VirtualFile, RefusesUnknownHandlesAndOffsetsPastFourGigabytes)
{
    char got[2] = {'#', '#'};
    EXPECT_EQ(CBL_READ_VFILE(0, 0, 2, got), 9);
    EXPECT_EQ(CBL_WRITE_VFILE(0xFFFF, 0, 2, "xx"), 9);
    uint16_t h = 0;
    ASSERT_EQ(CBL_OPEN_VFILE(&h), 0);
    EXPECT_EQ(CBL_WRITE_VFILE(h, 0xFFFFFFFFu, 2, "xx"), 14);
    EXPECT_EQ(CBL_READ_VFILE(h, 0xFFFFFFF0u, 2, got), 10);
}

namespace {

struct Record {
    char tag[4];
    unsigned char key[3];
    char seq[5];
};
static_assert(sizeof(Record) == 12);

Record make_record(const std::string &key, int seq)
{
    Record r;
    std::memcpy(r.tag, "REC:", 4);
    std::memcpy(r.key, key.data(), 3);
    std::snprintf(r.seq, sizeof r.seq, "%04d", seq);
    return r;
}

qx_sort_block block_for(const std::string &workFile, bool descending)
{
    qx_sort_block b;
    std::memset(&b, 0, sizeof b);
    b.recordLength = sizeof(Record);
    b.keyOffset = offsetof(Record, key);
    b.keyLength = 3;
    b.descending = descending ? 1 : 0;
    std::memset(b.workFile, ' ', sizeof b.workFile);
    std::memcpy(b.workFile, workFile.data(), workFile.size());
    return b;
}

std::string status(const qx_sort_block &b) { return std::string(b.status, 2); }

// Sorts the records and gives back what was taken, checking each status on the way.
std::vector<Record> sort_all(qx_sort_block &b, const std::vector<Record> &records)
{
    std::vector<Record> taken;
    EXPECT_EQ(EXTSM(QX_SORT_OPEN, &b, nullptr), 0);
    for (Record r : records) {
        EXPECT_EQ(EXTSM(QX_SORT_RELEASE, &b, &r), 0);
        EXPECT_EQ(status(b), "00");
    }
    EXPECT_EQ(EXTSM(QX_SORT_SORT, &b, nullptr), 0);
    Record r;
    while (EXTSM(QX_SORT_RETURN, &b, &r) == 0)
        taken.push_back(r);
    EXPECT_EQ(status(b), "10");
    EXPECT_EQ(EXTSM(QX_SORT_END, &b, nullptr), 0);
    return taken;
}

std::string keys_and_seqs(const std::vector<Record> &records)
{
    std::string s;
    for (const Record &r : records)
        s += std::string(reinterpret_cast<const char *>(r.key), 3) + std::string(r.seq, 4) + " ";
    return s;
}

} // namespace

TEST(RecordSort, UnsignedKeysInEitherDirectionWithEqualKeysInGivenOrReverseOrder)
{
    TempDir dir;
    ScopedVariable tmp("TMP", dir.path().c_str());
    std::vector<Record> given = {make_record("bbb", 1),    make_record("\xe9zz", 2),
                                 make_record("aaa", 3),    make_record("bbb", 4),
                                 make_record("a\x01z", 5), make_record("bbb", 6)};
    qx_sort_block up = block_for("$TMP/zkorgsrt.dat", false);
    EXPECT_EQ(keys_and_seqs(sort_all(up, given)),
              "a\x01z0005 aaa0003 bbb0001 bbb0004 bbb0006 \xe9zz0002 ");
    qx_sort_block down = block_for("$TMP/zkorgsrt.dat", true);
    EXPECT_EQ(keys_and_seqs(sort_all(down, given)),
              "\xe9zz0002 bbb0006 bbb0004 bbb0001 aaa0003 a\x01z0005 ");
    // Only the key orders: the tag and sequence bytes travel with their records.
    for (const Record &r : sort_all(down, given))
        EXPECT_EQ(std::string(r.tag, 4), "REC:");
}

TEST(RecordSort, ManyRecordsThroughTheWorkFileMatchAStableSort)
{
    TempDir dir;
    ScopedVariable tmp("TMP", dir.path().c_str());
    std::mt19937 random(6);
    std::vector<Record> given;
    for (int i = 0; i < 9000; ++i) {
        std::string key(3, ' ');
        for (char &c : key)
            c = static_cast<char>(random() % 4 == 0 ? 0x80 + random() % 4 : 'a' + random() % 4);
        given.push_back(make_record(key, i % 10000));
    }
    std::vector<Record> expected = given;
    std::stable_sort(expected.begin(), expected.end(), [](const Record &a, const Record &b) {
        return std::memcmp(a.key, b.key, 3) < 0;
    });
    qx_sort_block b = block_for("$TMP/zkorgsrt.dat", false);
    EXPECT_EQ(keys_and_seqs(sort_all(b, given)), keys_and_seqs(expected));
}

TEST(RecordSort, StatusesOutOfSequenceAtTheEndAndForBadDescriptions)
{
    TempDir dir;
    ScopedVariable tmp("TMP", dir.path().c_str());
    qx_sort_block b = block_for("$TMP/zkorgsrt.dat", true);
    Record r = make_record("abc", 1);

    b.sort = 0;
    EXPECT_EQ(EXTSM(QX_SORT_RELEASE, &b, &r), 91);
    EXPECT_EQ(status(b), "91");

    ASSERT_EQ(EXTSM(QX_SORT_OPEN, &b, nullptr), 0);
    EXPECT_EQ(EXTSM(QX_SORT_RETURN, &b, &r), 91);
    EXPECT_EQ(EXTSM(99, &b, &r), 90);
    EXPECT_EQ(EXTSM(QX_SORT_RELEASE, &b, &r), 0);
    EXPECT_EQ(EXTSM(QX_SORT_SORT, &b, nullptr), 0);
    EXPECT_EQ(EXTSM(QX_SORT_RELEASE, &b, &r), 91);
    EXPECT_EQ(EXTSM(QX_SORT_SORT, &b, nullptr), 91);
    EXPECT_EQ(EXTSM(QX_SORT_RETURN, &b, &r), 0);
    EXPECT_EQ(EXTSM(QX_SORT_RETURN, &b, &r), 10);
    EXPECT_EQ(EXTSM(QX_SORT_RETURN, &b, &r), 10);
    EXPECT_EQ(EXTSM(QX_SORT_END, &b, nullptr), 0);
    EXPECT_EQ(EXTSM(QX_SORT_RETURN, &b, &r), 91);
    EXPECT_EQ(EXTSM(QX_SORT_END, &b, nullptr), 91);

    qx_sort_block bad = block_for("$TMP/zkorgsrt.dat", false);
    bad.keyOffset = 10; // key of 3 bytes would end past the 12-byte record
    EXPECT_EQ(EXTSM(QX_SORT_OPEN, &bad, nullptr), 90);
    bad = block_for("$TMP/zkorgsrt.dat", false);
    bad.recordLength = 0;
    EXPECT_EQ(EXTSM(QX_SORT_OPEN, &bad, nullptr), 90);
    EXPECT_FALSE(test_support::file_exists(dir.file("zkorgsrt.dat")));
}

TEST(RecordSort, WorkFileInTheDirectoryTmpNamesOrTheCurrentOneAndRemovedAtTheEnd)
{
    TempDir dir;
    TempDir current;
    std::string withSlash = dir.path() + "\\";
    ScopedVariable tmp("TMP", withSlash.c_str());
    Record r = make_record("abc", 1);

    qx_sort_block b = block_for("$TMP/zkorgsrt.dat", true);
    ASSERT_EQ(EXTSM(QX_SORT_OPEN, &b, nullptr), 0);
    EXPECT_EQ(EXTSM(QX_SORT_RELEASE, &b, &r), 0);
    EXPECT_TRUE(test_support::file_exists(dir.file("zkorgsrt.dat")));
    EXPECT_EQ(EXTSM(QX_SORT_SORT, &b, nullptr), 0);
    EXPECT_EQ(EXTSM(QX_SORT_END, &b, nullptr), 0);
    EXPECT_FALSE(test_support::file_exists(dir.file("zkorgsrt.dat")));

    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(current.path().c_str()));
    qx_sort_block here = block_for("zkorgsrt.dat", true);
    ASSERT_EQ(EXTSM(QX_SORT_OPEN, &here, nullptr), 0);
    EXPECT_TRUE(test_support::file_exists(current.file("zkorgsrt.dat")));
    EXPECT_FALSE(test_support::file_exists(dir.file("zkorgsrt.dat")));
    EXPECT_EQ(EXTSM(QX_SORT_END, &here, nullptr), 0);
    EXPECT_FALSE(test_support::file_exists(current.file("zkorgsrt.dat")));
    SetCurrentDirectoryA(saved);
}

TEST(RecordSort, AWorkFileThatCannotBeMadeFailsWithThirty)
{
    TempDir dir;
    std::string missing = dir.file("no such directory");
    ScopedVariable tmp("TMP", missing.c_str());
    qx_sort_block b = block_for("$TMP/zkorgsrt.dat", true);
    b.sort = 0xdeadbeef;
    EXPECT_EQ(EXTSM(QX_SORT_OPEN, &b, nullptr), 30);
    EXPECT_EQ(status(b), "30");
    EXPECT_EQ(b.sort, 0xdeadbeefu);

    qx_sort_block unset = block_for("$QX_NO_SUCH_VARIABLE/zkorgsrt.dat", true);
    EXPECT_EQ(EXTSM(QX_SORT_OPEN, &unset, nullptr), 30);
}

TEST(RecordSort, ABusyWorkFileIsWaitedForUntilItsSortEnds)
{
    TempDir dir;
    ScopedVariable tmp("TMP", dir.path().c_str());
    qx_sort_block first = block_for("$TMP/zkorgsrt.dat", false);
    ASSERT_EQ(EXTSM(QX_SORT_OPEN, &first, nullptr), 0);
    std::atomic<bool> ended{false};
    std::thread ender([&] {
        Sleep(200);
        ended = true;
        EXTSM(QX_SORT_END, &first, nullptr);
    });
    qx_sort_block second = block_for("$TMP/zkorgsrt.dat", false);
    EXPECT_EQ(EXTSM(QX_SORT_OPEN, &second, nullptr), 0);
    EXPECT_TRUE(ended);
    EXPECT_EQ(EXTSM(QX_SORT_END, &second, nullptr), 0);
    ender.join();
}

TEST(FileError, ReportsStatusAndNameOnStandardErrorAndReturns)
{
    TempDir dir;
    std::string log = dir.file("stderr.txt");
    owner::unique_file file(CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
    HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, file.get());
    char name[255];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, "$TMP/zkorgsrt.dat", 17);
    int32_t result = CBL_FILE_ERROR("30", name);
    SetStdHandle(STD_ERROR_HANDLE, saved);
    file.reset();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test_support::read_file(log), "qurdex: file error 30 on $TMP/zkorgsrt.dat\r\n");
}
