// The run-time layer's routines, called in-process.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qurdex.h"
#include "child_process.h"
#include "test_support.h"

using test_support::TempDir;

TEST(NumberText, LowOrderDigitsWithLeadingZeros)
{
    char field[10];
    qx_number_to_text(123, field, 8);
    EXPECT_EQ(std::string(field, 8), "00000123");
    qx_number_to_text(123456789, field, 8);
    EXPECT_EQ(std::string(field, 8), "23456789");
    qx_number_to_text(132, field, 10);
    EXPECT_EQ(std::string(field, 10), "0000000132");
    qx_number_to_text(4294967295u, field, 10);
    EXPECT_EQ(std::string(field, 10), "4294967295");
    EXPECT_EQ(qx_text_to_number("4294967295", 10), 4294967295u);
    EXPECT_EQ(qx_text_to_number("00000123", 8), 123u);
}

TEST(Files, SizeThenReadThenDelete)
{
    TempDir dir;
    std::string name = dir.file("data.bin");
    test_support::write_file(name, std::string("0123456789abcdef"));

    uint32_t handle = 0xdeadbeef;
    uint8_t access = 1, deny = 0, device = 0;
    ASSERT_EQ(CBL_OPEN_FILE((name + " ").c_str(), &access, &deny, &device, &handle), 0);
    uint8_t offset[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    uint8_t count[4] = {};
    uint8_t flags = 128;
    ASSERT_EQ(CBL_READ_FILE(&handle, offset, count, &flags, nullptr), 0);
    const uint8_t sixteen[8] = {0, 0, 0, 0, 0, 0, 0, 16};
    EXPECT_EQ(std::memcmp(offset, sixteen, 8), 0);

    uint8_t at[8] = {0, 0, 0, 0, 0, 0, 0, 4};
    uint8_t six[4] = {0, 0, 0, 6};
    flags = 0;
    char buffer[8] = {};
    ASSERT_EQ(CBL_READ_FILE(&handle, at, six, &flags, buffer), 0);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(CBL_CLOSE_FILE(&handle), 0);

    EXPECT_EQ(CBL_DELETE_FILE(name.c_str()), 0);
    EXPECT_FALSE(test_support::file_exists(name));
    EXPECT_NE(CBL_DELETE_FILE(name.c_str()), 0);
}

TEST(Files, MissingFileIsNotOpened)
{
    TempDir dir;
    uint32_t handle = 0xdeadbeef;
    uint8_t access = 1, deny = 0, device = 0;
    EXPECT_NE(CBL_OPEN_FILE(dir.file("none").c_str(), &access, &deny, &device, &handle), 0);
    EXPECT_EQ(handle, 0xdeadbeefu);
}

TEST(OsInfo, NtFamilyTypeAndSizeRespected)
{
    uint8_t block[14];
    std::memset(block, 0xEE, sizeof block);
    block[0] = 0x00;
    block[1] = 0x0D;
    EXPECT_EQ(CBL_GET_OS_INFO(block), 0);
    EXPECT_EQ(block[2], QX_OS_NT);
    EXPECT_EQ(block[13], 0xEE);
}

TEST(CallByName, RegisteredEntryFirstThenNothing)
{
    static int called = 0;
    struct Local {
        static int32_t entry(int32_t *v)
        {
            called = *v;
            return 7;
        }
    };
    qx_register_entry("QXTESTENTRY", reinterpret_cast<void *>(&Local::entry));
    auto fn = reinterpret_cast<int32_t (*)(int32_t *)>(qx_lookup("QXTESTENTRY"));
    ASSERT_NE(fn, nullptr);
    int32_t v = 42;
    EXPECT_EQ(fn(&v), 7);
    EXPECT_EQ(called, 42);
    EXPECT_EQ(qx_lookup("NO_SUCH_ENTRY_ANYWHERE"), nullptr);
}

TEST(CallByName, DllNamedAfterTheEntryWhenNothingIsRegistered)
{
    struct Host {
        static int32_t twice(int32_t *v) { return *v * 2; }
    };
    qx_register_entry("QXPROBEHOST", reinterpret_cast<void *>(&Host::twice));
    auto probe = reinterpret_cast<int32_t (*)(int32_t *)>(qx_lookup("QXPROBE"));
    ASSERT_NE(probe, nullptr);
    int32_t v = 20;
    EXPECT_EQ(probe(&v), 41);

    // A registered entry comes before the DLL of the same name.
    qx_register_entry("QXPROBE", reinterpret_cast<void *>(&Host::twice));
    EXPECT_EQ(qx_lookup("QXPROBE"), reinterpret_cast<void *>(&Host::twice));
}

TEST(CallByName, NameFoundNowhereEndsTheRunWithError173OnStandardError)
{
    const std::string program = test_support::program_dir() + "\\qurdex_call_missing.exe";
    test_support::ChildRun run = test_support::run_child(program + " QXNOWHERE", "", 20000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 173u);
    EXPECT_NE(run.output.find("run-time error 173: called program not found: QXNOWHERE"),
              std::string::npos)
        << run.output;
}

TEST(RunEnd, EndsTheProcessWithItsCodeWhileAnotherThreadWorks)
{
    const std::string program = test_support::program_dir() + "\\qurdex_run_end.exe";
    for (int i = 0; i < 10; ++i) {
        test_support::ChildRun run = test_support::run_child(program, "", 20000);
        ASSERT_TRUE(run.finished) << "run " << i << " did not end: " << run.output;
        EXPECT_EQ(run.exitCode, 7u) << run.output;
        EXPECT_EQ(run.output.find("static destructors ran"), std::string::npos) << run.output;
    }
}

TEST(Environment, VariableIntoASpacePaddedFieldCutToItsWidth)
{
    char field[8];
    std::memset(field, ' ', sizeof field);
    SetEnvironmentVariableA("QXTESTVAR", nullptr);
    qx_get_env("QXTESTVAR", field, sizeof field);
    EXPECT_EQ(std::string(field, 8), "        ");

    // Set after the process started: the run-time sees the environment as it is now.
    SetEnvironmentVariableA("QXTESTVAR", "abc");
    qx_get_env("QXTESTVAR", field, sizeof field);
    EXPECT_EQ(std::string(field, 8), "abc     ");

    char narrow[5] = {' ', ' ', ' ', ' ', '#'};
    SetEnvironmentVariableA("QXTESTVAR", "C:\\TOOLS\\BIN");
    qx_get_env("QXTESTVAR", narrow, 4);
    EXPECT_EQ(std::string(narrow, 5), "C:\\T#");
    SetEnvironmentVariableA("QXTESTVAR", nullptr);
}
