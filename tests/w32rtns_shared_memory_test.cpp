// The shared-memory routines of W32RTNS, called in-process, and a block carried to
// another process through an inherited pipe.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "child_process.h"
#include "entries.h"
#include "owner.h"
#include "qurdex.h"
#include "shared_memory.h"
#include "test_support.h"

namespace {

HANDLE const kSentinelHandle = reinterpret_cast<HANDLE>(0xdeadbeef);
void *const kSentinelAddress = reinterpret_cast<void *>(0xdeadbeef);

const BlockHeader &header_before(const void *data)
{
    return *reinterpret_cast<const BlockHeader *>(static_cast<const uint8_t *>(data) - 8);
}

DWORD bytes_waiting(HANDLE readHandle)
{
    DWORD available = 0;
    PeekNamedPipe(readHandle, nullptr, 0, nullptr, &available, nullptr);
    return available;
}

bool handle_is_open(HANDLE h)
{
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

struct Block {
    HANDLE readHandle = kSentinelHandle;
    HANDLE writeHandle = kSentinelHandle;
    void *data = kSentinelAddress;
};

} // namespace

TEST(SharedMemory, BlockOfTwentyGoesIntoThePipeAsTwentyEightBytes)
{
    Block b;
    ASSERT_EQ(ALLOCSHAREDMEM(&b.readHandle, &b.writeHandle, &b.data, 20), 0);
    const BlockHeader &header = header_before(b.data);
    EXPECT_EQ(header.totalLength, 28u);
    EXPECT_EQ(header.writeHandle, handle_field(b.writeHandle));
    std::memcpy(b.data, "twenty bytes of data", 20);

    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(b.readHandle, &flags));
    EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT) << "a started program must inherit the read end";
    ASSERT_TRUE(GetHandleInformation(b.writeHandle, &flags));
    EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);

    HANDLE writeHandle = b.writeHandle;
    EXPECT_EQ(WRITESHAREDMEM(writeHandle, b.data), 0);
    ASSERT_EQ(bytes_waiting(b.readHandle), 28u);
    char raw[28];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(b.readHandle, raw, sizeof raw, &got, nullptr));
    uint32_t length = 0;
    HANDLE inHeader = nullptr;
    std::memcpy(&length, raw, 4);
    std::memcpy(&inHeader, raw + 4, 4);
    EXPECT_EQ(length, 28u);
    EXPECT_EQ(inHeader, writeHandle);
    EXPECT_EQ(std::string(raw + 8, 20), "twenty bytes of data");
    owner::close_field(b.readHandle);
    owner::close_field(writeHandle);
}

TEST(SharedMemory, HeaderOnlyBlockAndTwoBlocksReadBackInOrder)
{
    Block sent;
    ASSERT_EQ(ALLOCSHAREDMEM(&sent.readHandle, &sent.writeHandle, &sent.data, 0), 0);
    EXPECT_EQ(header_before(sent.data).totalLength, 8u);
    ASSERT_EQ(WRITESHAREDMEM(sent.writeHandle, sent.data), 0);
    EXPECT_EQ(bytes_waiting(sent.readHandle), 8u);

    // Two more blocks into the same pipe, each with its own header and length.
    Block second, third;
    ASSERT_EQ(ALLOCSHAREDMEM(&second.readHandle, &second.writeHandle, &second.data, 5), 0);
    ASSERT_EQ(ALLOCSHAREDMEM(&third.readHandle, &third.writeHandle, &third.data, 3), 0);
    std::memcpy(second.data, "first", 5);
    std::memcpy(third.data, "two", 3);
    WRITESHAREDMEM(sent.writeHandle, second.data);
    WRITESHAREDMEM(sent.writeHandle, third.data);

    Block got;
    ASSERT_EQ(READSHAREDMEM(sent.readHandle, &got.writeHandle, &got.data), 0);
    EXPECT_EQ(header_before(got.data).totalLength, 8u);
    EXPECT_EQ(got.writeHandle, sent.writeHandle);
    EXPECT_EQ(FINISHSHAREDMEM(nullptr, nullptr, got.data), 0);

    ASSERT_EQ(READSHAREDMEM(sent.readHandle, &got.writeHandle, &got.data), 0);
    EXPECT_EQ(header_before(got.data).totalLength, 13u);
    EXPECT_EQ(std::string(static_cast<char *>(got.data), 5), "first");
    // The header names the write end of the pipe the block was made with.
    EXPECT_EQ(got.writeHandle, second.writeHandle);
    FINISHSHAREDMEM(nullptr, nullptr, got.data);

    ASSERT_EQ(REGAINSHAREDMEM(sent.readHandle, &got.writeHandle, &got.data), 0);
    EXPECT_EQ(header_before(got.data).totalLength, 11u);
    EXPECT_EQ(std::string(static_cast<char *>(got.data), 3), "two");
    EXPECT_EQ(bytes_waiting(sent.readHandle), 0u);

    // Finishing the last one closes the pipe it came through.
    EXPECT_EQ(FINISHSHAREDMEM(sent.readHandle, sent.writeHandle, got.data), 0);
    EXPECT_FALSE(handle_is_open(sent.readHandle));
    EXPECT_FALSE(handle_is_open(sent.writeHandle));
    for (Block *b : {&second, &third}) {
        owner::close_field(b->readHandle);
        owner::close_field(b->writeHandle);
    }
}

TEST(SharedMemory, PlaceholdersReportSuccessWithAnyHandle)
{
    EXPECT_EQ(FREESHAREDMEM(kSentinelHandle), 0);
    EXPECT_EQ(RELINQUISHSHAREDMEM(kSentinelHandle), 0);
    EXPECT_EQ(WAITSHAREDMEM(nullptr), 0);
    EXPECT_EQ(CLEARSHAREDMEM(kSentinelHandle), 0);
}

TEST(SharedMemory, FailedAllocationLeavesNoPipeOpen)
{
    uintptr_t before = test_support::next_handle_value();
    Block b;
    EXPECT_EQ(ALLOCSHAREDMEM(&b.readHandle, &b.writeHandle, &b.data, 0xFFFFFFF0u), 1);
    EXPECT_EQ(b.readHandle, nullptr);
    EXPECT_EQ(b.writeHandle, nullptr);
    EXPECT_EQ(b.data, nullptr);
    EXPECT_EQ(test_support::next_handle_value(), before);
}

TEST(SharedMemory, PipeThatEndsInsideABlockGivesNoBlock)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    owner::unique_handle readOwner(readEnd), writeOwner(writeEnd);
    // A header that promises 100 bytes of data, then 50 of them and the end of the pipe.
    BlockHeader header{108, handle_field(writeEnd)};
    std::string bytes(reinterpret_cast<const char *>(&header), sizeof header);
    bytes += std::string(50, 'x');
    DWORD written = 0;
    WriteFile(writeEnd, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    writeOwner.reset();

    Block got;
    EXPECT_EQ(READSHAREDMEM(readEnd, &got.writeHandle, &got.data), 1);
    EXPECT_EQ(got.data, nullptr);
    // The next read finds the pipe at its end: no header, no block, no stale fields.
    got = Block{};
    EXPECT_EQ(REGAINSHAREDMEM(readEnd, &got.writeHandle, &got.data), 1);
    EXPECT_EQ(got.writeHandle, nullptr);
    EXPECT_EQ(got.data, nullptr);
}

TEST(SharedMemory, HeaderWhoseSizeNoMemoryHoldsGivesNoBlockAtOnce)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    owner::unique_handle readOwner(readEnd), writeOwner(writeEnd);
    BlockHeader header{0xFFFFFFF0u, handle_field(writeEnd)};
    DWORD written = 0;
    WriteFile(writeEnd, &header, sizeof header, &written, nullptr);
    WriteFile(writeEnd, "some data", 9, &written, nullptr);
    // The write end stays open, as a hand-over program holds it: a read that tried to
    // take the announced data out would wait for ever.
    Block got;
    auto read = std::async(std::launch::async,
                           [&] { return READSHAREDMEM(readEnd, &got.writeHandle, &got.data); });
    const bool returned = read.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    writeOwner.reset(); // lets a read that hung come back
    ASSERT_TRUE(returned);
    EXPECT_EQ(read.get(), 1);
    EXPECT_EQ(got.data, nullptr);
    EXPECT_EQ(got.writeHandle, writeEnd) << "the header was read";
    // The header was consumed, the data stays in the pipe.
    EXPECT_EQ(bytes_waiting(readEnd), 9u);
}

TEST(SharedMemory, BlockArrivingInPiecesIsReadWholeAndTheNextOneAfterIt)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
    BlockHeader first{8 + 6000, handle_field(writeEnd)};
    BlockHeader second{8 + 4, handle_field(writeEnd)};
    std::string bytes(reinterpret_cast<const char *>(&first), sizeof first);
    bytes += std::string(6000, 'a');
    bytes.append(reinterpret_cast<const char *>(&second), sizeof second);
    bytes += "next";
    // A sender that writes in small pieces with pauses, so reads return partial data.
    std::thread writer([&] {
        for (size_t at = 0; at < bytes.size(); at += 1000) {
            DWORD written = 0;
            WriteFile(writeEnd, bytes.data() + at,
                      static_cast<DWORD>(std::min<size_t>(1000, bytes.size() - at)), &written,
                      nullptr);
            Sleep(30);
        }
    });
    Block got;
    ASSERT_EQ(READSHAREDMEM(readEnd, &got.writeHandle, &got.data), 0);
    EXPECT_EQ(std::string(static_cast<char *>(got.data), 6000), std::string(6000, 'a'));
    FINISHSHAREDMEM(nullptr, nullptr, got.data);
    ASSERT_EQ(READSHAREDMEM(readEnd, &got.writeHandle, &got.data), 0);
    EXPECT_EQ(header_before(got.data).totalLength, 12u);
    EXPECT_EQ(std::string(static_cast<char *>(got.data), 4), "next");
    writer.join();
    FINISHSHAREDMEM(readEnd, writeEnd, got.data);
}

TEST(SharedMemory, BlockLargerThanThePipeBufferReachesAnotherProcessWhole)
{
    test_support::TempDir dir;
    const uint32_t size = 300000;
    Block b;
    ASSERT_EQ(ALLOCSHAREDMEM(&b.readHandle, &b.writeHandle, &b.data, size), 0);
    std::string pattern(size, '\0');
    for (uint32_t i = 0; i < size; ++i)
        pattern[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    std::memcpy(b.data, pattern.data(), size);

    char digits[11] = {};
    qx_number_to_text(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b.readHandle)), digits, 10);
    // The writer waits until the receiver has taken the block out of the pipe.
    std::thread writer([&] { WRITESHAREDMEM(b.writeHandle, b.data); });
    test_support::ChildRun run = test_support::run_child(
        test_support::program_dir() + "\\handover-report.exe " + digits, dir.path());
    writer.join();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(test_support::read_file(dir.file("handover.bin")), pattern);
    EXPECT_EQ(bytes_waiting(b.readHandle), 0u);
    owner::close_field(b.readHandle);
    owner::close_field(b.writeHandle);
}
