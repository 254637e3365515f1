// The run-time's drive, directory, file-name, locate and library-file routines,
// against the real file system under Wine (drives C: and Z:).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "child_process.h"
#include "library_format.h"
#include "qurdex.h"
#include "test_support.h"

using test_support::current_directory;
using test_support::CurrentDirectoryKeeper;
using test_support::TempDir;
using test_support::upper_case;

namespace {

// A directory without its drive and first backslash, as CBL_READ_DIR gives it.
std::string without_drive(const std::string &path) { return path.substr(3); }

std::string read_dir(uint8_t size = 255)
{
    std::string field(size + 1, '#');
    EXPECT_EQ(CBL_READ_DIR(field.data(), &size), 0);
    EXPECT_EQ(field[size], '#');
    return field.substr(0, size);
}

std::string trimmed(const std::string &field) { return field.substr(0, field.find(' ')); }

// A located-name record with a buffer of width bytes.
struct Located {
    explicit Located(uint16_t width) : bytes(2 + width, '#')
    {
        bytes[0] = static_cast<char>(width >> 8);
        bytes[1] = static_cast<char>(width & 0xFF);
    }
    uint8_t *record() { return reinterpret_cast<uint8_t *>(bytes.data()); }
    std::string name() const { return trimmed(bytes.substr(2)); }
    std::string bytes;
};

struct LocateResult {
    int32_t status;
    uint8_t exist;
    std::string name;
};

LocateResult locate(const std::string &name)
{
    Located located(257);
    uint8_t mode = 0, pathFlag = 0, exist = 0xEE;
    int32_t status =
        CBL_LOCATE_FILE((name + " ").c_str(), &mode, located.record(), &exist, &pathFlag);
    return {status, exist, located.name()};
}

} // namespace

TEST(Drives, EachDriveKeepsItsOwnCurrentDirectory)
{
    CurrentDirectoryKeeper keep;
    TempDir onC;
    TempDir onZ("Z:\\tmp");
    ASSERT_FALSE(onZ.path().empty());
    ASSERT_EQ(CBL_CHANGE_DIR(onC.path().c_str()), 0);

    EXPECT_EQ(PC_SET_DRIVE("Z"), 0);
    ASSERT_EQ(CBL_CHANGE_DIR((onZ.path() + " trailing").c_str()), 0);
    char drive = '?';
    EXPECT_EQ(PC_READ_DRIVE(&drive), 0);
    EXPECT_EQ(drive, 'Z');
    EXPECT_EQ(trimmed(read_dir()), without_drive(onZ.path()));

    // A lower-case letter names the same drive, back in its own directory.
    EXPECT_EQ(PC_SET_DRIVE("c"), 0);
    EXPECT_EQ(upper_case(current_directory()), upper_case(onC.path()));
    EXPECT_EQ(PC_READ_DRIVE(&drive), 0);
    EXPECT_EQ(drive, 'C');
    EXPECT_EQ(PC_SET_DRIVE("Z:"), 0);
    EXPECT_EQ(upper_case(current_directory()), upper_case(onZ.path()));
}

TEST(Drives, MissingDriveOrNonLetterChangesNothing)
{
    CurrentDirectoryKeeper keep;
    TempDir dir;
    ASSERT_EQ(CBL_CHANGE_DIR(dir.path().c_str()), 0);
    EXPECT_NE(PC_SET_DRIVE("Q"), 0);
    EXPECT_EQ(PC_SET_DRIVE("1"), QX_PATH_BAD_PARAMETER);
    EXPECT_EQ(current_directory(), dir.path());
}

TEST(Drives, DirectoryGoneWhileAwayFallsBackToRoot)
{
    CurrentDirectoryKeeper keep;
    {
        TempDir onZ("Z:\\tmp");
        ASSERT_EQ(CBL_CHANGE_DIR(onZ.path().c_str()), 0);
        ASSERT_EQ(PC_SET_DRIVE("C"), 0);
    }
    EXPECT_EQ(PC_SET_DRIVE("Z"), 0);
    EXPECT_EQ(current_directory(), "Z:\\");
    EXPECT_EQ(read_dir(), std::string(255, ' '));
}

TEST(Directories, ReadDirFitsItsFieldOrLeavesSpaces)
{
    CurrentDirectoryKeeper keep;
    TempDir dir;
    ASSERT_EQ(CBL_CHANGE_DIR(dir.path().c_str()), 0);
    std::string expected = without_drive(dir.path());
    std::string exact = read_dir(static_cast<uint8_t>(expected.size()));
    EXPECT_EQ(exact, expected);

    uint8_t small = static_cast<uint8_t>(expected.size() - 1);
    std::string field(small + 1, '#');
    EXPECT_EQ(CBL_READ_DIR(field.data(), &small), QX_PATH_FAILED);
    EXPECT_EQ(field, std::string(small, ' ') + "#");
}

TEST(Directories, ChangeAndCreateReportMissingAndExisting)
{
    CurrentDirectoryKeeper keep;
    TempDir dir;
    ASSERT_EQ(CBL_CHANGE_DIR(dir.path().c_str()), 0);
    EXPECT_EQ(CBL_CHANGE_DIR("missing "), QX_PATH_NOT_FOUND);
    EXPECT_EQ(current_directory(), dir.path());

    EXPECT_EQ(CBL_CREATE_DIR("made  ignored"), 0);
    EXPECT_TRUE(GetFileAttributesA(dir.file("made").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(CBL_CREATE_DIR("made "), 0);
    EXPECT_NE(CBL_CREATE_DIR("no\\such\\parent "), 0);
    EXPECT_EQ(CBL_CHANGE_DIR("made\0after"), 0);
    EXPECT_EQ(current_directory(), dir.file("made"));
    EXPECT_EQ(CBL_CHANGE_DIR("\\"), 0);
    EXPECT_EQ(current_directory().substr(1), ":\\");
}

TEST(FileNames, SplitFindsDirectoryBaseAndExtension)
{
    struct Case {
        const char *name;
        const char *directory, *base, *extension;
    } cases[] = {
        {"C:\\DIR\\PROG.EXE", "C:\\DIR\\", "PROG", "EXE"},
        {"tool", "", "tool", ""},
        {"C:PROG.int", "C:", "PROG", "int"},
        {"a.b\\c", "a.b\\", "c", ""},
        {"$COBDIR/SUB", "$COBDIR/", "SUB", ""},
        {".profile", "", ".profile", ""},
        {"x.tar.gz", "", "x.tar", "gz"},
        {"dir\\", "dir\\", "", ""},
    };
    for (const Case &c : cases) {
        qx_filename_record r{};
        r.splitBufferLength.set(256);
        char name[256];
        std::memset(name, ' ', sizeof name);
        std::memcpy(name, c.name, std::strlen(c.name));
        ASSERT_EQ(CBL_SPLIT_FILENAME(&r, name), 0);
        auto part = [&](const qx_be16 &offset, const qx_be16 &length) {
            return std::string(name + offset.get() - 1, length.get());
        };
        EXPECT_EQ(part(r.directoryOffset, r.directoryLength), c.directory) << c.name;
        EXPECT_EQ(part(r.baseOffset, r.baseLength), c.base) << c.name;
        EXPECT_EQ(part(r.extensionOffset, r.extensionLength), c.extension) << c.name;
        EXPECT_EQ(r.totalLength.get(), std::strlen(c.name)) << c.name;
    }
}

TEST(FileNames, SplitUpperCasesOnRequestAndStaysInItsBuffer)
{
    qx_filename_record r{};
    r.flag1 = 1;
    r.splitBufferLength.set(13);
    char name[16];
    std::memcpy(name, "c:\\lib\\my.lbrxyz", 16);
    ASSERT_EQ(CBL_SPLIT_FILENAME(&r, name), 0);
    // No space within the 13 bytes: the name is those 13, upper-cased; the rest is untouched.
    EXPECT_EQ(std::string(name, 16), "C:\\LIB\\MY.LBRxyz");
    EXPECT_EQ(r.totalLength.get(), 13);
    EXPECT_EQ(std::string(name + r.extensionOffset.get() - 1, r.extensionLength.get()), "LBR");
}

TEST(FileNames, JoinAddsSeparatorAndDotOnlyWhereNeeded)
{
    auto join = [](const char *dir, const char *base, const char *ext, uint16_t width = 256) {
        qx_filename_record r{};
        for (qx_be16 *offset : {&r.directoryOffset, &r.baseOffset, &r.extensionOffset})
            offset->set(1);
        for (qx_be16 *length : {&r.directoryLength, &r.baseLength, &r.extensionLength})
            length->set(256);
        r.joinBufferLength.set(width);
        std::string out(width + 1, '#');
        int32_t status =
            CBL_JOIN_FILENAME(&r, out.data(), (std::string(dir) + " ").c_str(),
                              (std::string(base) + " ").c_str(), (std::string(ext) + " ").c_str());
        EXPECT_EQ(out[width], '#');
        if (status == 0) {
            EXPECT_EQ(r.totalLength.get(), trimmed(out.substr(0, width)).size());
        }
        return status == 0 ? trimmed(out.substr(0, width)) : "failed:" + out.substr(0, width);
    };
    EXPECT_EQ(join(".", "TOOL", "bat"), ".\\TOOL.bat");
    EXPECT_EQ(join("C:\\DIR\\", "PROG", ""), "C:\\DIR\\PROG");
    EXPECT_EQ(join("$COBDIR/", "SUB\\PROG", "int"), "$COBDIR/SUB\\PROG.int");
    EXPECT_EQ(join("", "NAME", "exe"), "NAME.exe");
    EXPECT_EQ(join("abc", "defg", "hij", 12), "abc\\defg.hij");
    EXPECT_EQ(join("abc", "defgh", "hij", 12), "failed:" + std::string(12, ' '));
}

TEST(Locate, FindsFilesNotDirectoriesWithTheirFullName)
{
    CurrentDirectoryKeeper keep;
    TempDir dir;
    test_support::write_file(dir.file("TOOL.EXE"), "x");
    CreateDirectoryA(dir.file("SUB.EXE").c_str(), nullptr);
    ASSERT_EQ(CBL_CHANGE_DIR(dir.path().c_str()), 0);

    LocateResult found = locate(".\\tool.exe");
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.exist, 1);
    EXPECT_EQ(upper_case(found.name), upper_case(dir.file("TOOL.EXE")));

    LocateResult folder = locate("SUB.EXE");
    EXPECT_EQ(folder.exist, 0);
    EXPECT_EQ(folder.status, QX_PATH_NOT_FOUND);
    EXPECT_EQ(folder.name, "");

    Located narrow(10);
    uint8_t mode = 0, pathFlag = 0, exist = 0xEE;
    EXPECT_EQ(CBL_LOCATE_FILE("TOOL.EXE ", &mode, narrow.record(), &exist, &pathFlag),
              QX_PATH_FAILED);
    EXPECT_EQ(exist, 0);
    EXPECT_EQ(narrow.bytes.substr(2), std::string(10, ' '));
}

TEST(Locate, DollarNameSearchesTheVariablesDirectoriesInOrder)
{
    TempDir first, second, third;
    test_support::write_file(second.file("PROG.INT"), "2");
    test_support::write_file(third.file("PROG.INT"), "3");
    test_support::write_file(third.file("ONLY.GNT"), "3");
    std::string list = first.path() + ";;\"" + second.path() + "\";" + third.path() + "\\";
    SetEnvironmentVariableA("PathsTestDirs", list.c_str());

    EXPECT_EQ(upper_case(locate("$PATHSTESTDIRS\\PROG.INT").name),
              upper_case(second.file("PROG.INT")));
    EXPECT_EQ(upper_case(locate("$pathstestdirs/only.gnt").name),
              upper_case(third.file("ONLY.GNT")));
    EXPECT_EQ(locate("$PATHSTESTDIRS\\NONE.INT").exist, 0);
    EXPECT_EQ(locate("$PATHSTESTUNSET\\PROG.INT").exist, 0);
    SetEnvironmentVariableA("PathsTestDirs", nullptr);
}

namespace {

uint8_t open_library(const std::string &name, int32_t *status = nullptr)
{
    std::string record(1 + 255, ' ');
    record[0] = static_cast<char>(name.size());
    record.replace(1, name.size(), name);
    uint8_t function = QX_LIBRARY_OPEN, result = 0xEE;
    int32_t s =
        qx_library_file(&function, reinterpret_cast<const uint8_t *>(record.data()), &result);
    if (status != nullptr)
        *status = s;
    return result;
}

int32_t release_library(const std::string &name)
{
    std::string field(255, ' ');
    field.replace(0, name.size(), name);
    return qx_release_library(field.c_str());
}

} // namespace

TEST(LibraryFiles, MembersVisibleWhileOpenThenReleased)
{
    TempDir dir;
    std::string error;
    ASSERT_TRUE(library_format::write_library(
        dir.file("MY.LBR"), {{"PROG.INT", "int code"}, {"Other.gnt", "gnt code"}}, error))
        << error;
    std::string member = dir.file("MY.LBR") + "\\prog.int";
    EXPECT_EQ(locate(member).exist, 0);

    int32_t status = -1;
    EXPECT_EQ(open_library(dir.file("MY.LBR"), &status), QX_LIBRARY_OPENED);
    EXPECT_EQ(status, 0);
    LocateResult found = locate(member);
    EXPECT_EQ(found.exist, 2);
    EXPECT_EQ(found.name, dir.file("MY.LBR") + "\\PROG.INT");
    EXPECT_EQ(locate(dir.file("MY.LBR") + "\\OTHER.GNT").name, dir.file("MY.LBR") + "\\Other.gnt");
    EXPECT_EQ(locate(dir.file("MY.LBR") + "\\NONE.INT").exist, 0);

    EXPECT_EQ(open_library(dir.file("my.lbr")), QX_LIBRARY_ALREADY_OPEN);
    EXPECT_EQ(release_library(dir.file("MY.LBR")), 0);
    EXPECT_EQ(locate(member).exist, 0);
    EXPECT_EQ(release_library(dir.file("MY.LBR")), QX_PATH_NOT_FOUND);
}

TEST(LibraryFiles, DamagedOrForeignFilesAreNotOpened)
{
    TempDir dir;
    std::string error;
    ASSERT_TRUE(
        library_format::write_library(dir.file("GOOD.LBR"), {{"A.INT", "0123456789"}}, error));
    std::string good = test_support::read_file(dir.file("GOOD.LBR"));

    std::string cut = good.substr(0, good.size() - 1); // member runs past the end
    std::string shortDirectory = good.substr(0, 30);   // directory cut short
    std::string manyMembers = good;
    manyMembers[8] = '\x7F'; // count beyond the file
    std::string unterminated = good;
    std::memset(unterminated.data() + 12, 'N', 32); // name without its NUL
    const std::pair<const char *, std::string> damaged[] = {
        {"CUT.LBR", cut},
        {"SHORT.LBR", shortDirectory},
        {"MANY.LBR", manyMembers},
        {"NAME.LBR", unterminated},
        {"TEXT.LBR", "just some text, not a library"},
        {"EMPTY.LBR", ""}};
    for (const auto &[name, bytes] : damaged) {
        test_support::write_file(dir.file(name), bytes);
        int32_t status = 0;
        EXPECT_EQ(open_library(dir.file(name), &status), QX_LIBRARY_NOT_OPENED) << name;
        EXPECT_NE(status, 0) << name;
    }
    EXPECT_EQ(open_library(dir.file("MISSING.LBR")), QX_LIBRARY_NOT_OPENED);
    uint8_t function = 7, result = 0;
    std::string record = "\x08GOOD.LBR";
    EXPECT_NE(qx_library_file(&function, reinterpret_cast<const uint8_t *>(record.data()), &result),
              0);
    EXPECT_EQ(result, QX_LIBRARY_NOT_OPENED);
}

TEST(LibraryFiles, ToolBuildsAndListsAndRefusesBadMembers)
{
    TempDir dir;
    test_support::write_file(dir.file("PROG.INT"), "abc");
    test_support::write_file(dir.file("UTIL.GNT"), "defgh");
    std::string tool = test_support::program_dir() + "\\..\\dist\\LIBFILE.EXE";
    std::string lbr = dir.file("T.LBR");

    auto built = test_support::run_child(tool + " build " + lbr + " " + dir.file("PROG.INT") + " " +
                                         dir.file("UTIL.GNT"));
    ASSERT_TRUE(built.finished);
    EXPECT_EQ(built.exitCode, 0u) << built.output;
    auto listed = test_support::run_child(tool + " list " + lbr);
    EXPECT_EQ(listed.exitCode, 0u);
    EXPECT_NE(listed.output.find("PROG.INT"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("UTIL.GNT"), std::string::npos) << listed.output;
    EXPECT_LT(listed.output.find("PROG.INT"), listed.output.find("UTIL.GNT"));
    EXPECT_EQ(open_library(lbr), QX_LIBRARY_OPENED);
    EXPECT_EQ(locate(lbr + "\\util.gnt").exist, 2);
    EXPECT_EQ(release_library(lbr), 0);

    EXPECT_EQ(test_support::run_child(tool + " build " + dir.file("D.LBR") + " " +
                                      dir.file("PROG.INT") + " " + dir.file("prog.int"))
                  .exitCode,
              2u);
    EXPECT_FALSE(test_support::file_exists(dir.file("D.LBR")));
    EXPECT_EQ(test_support::run_child(tool + " list " + dir.file("PROG.INT")).exitCode, 2u);
    EXPECT_EQ(test_support::run_child(tool + " frobnicate x").exitCode, 1u);
}

TEST(UpperCase, OnlyTheFirstCharactersAndOnlyLetters)
{
    char text[] = "abc-z{}x";
    EXPECT_EQ(CBL_TOUPPER(text, 6), 0);
    EXPECT_STREQ(text, "ABC-Z{}x");
}
