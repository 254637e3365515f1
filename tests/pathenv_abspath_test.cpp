// ABSPATH: resolution byte by byte, other drives, bounds of the fields and of
// the work area, and a randomised sweep over generated paths.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "abspath.h"
#include "entries.h"
#include "qurdex.h"
#include "test_support.h"

using test_support::current_directory;
using test_support::CurrentDirectoryKeeper;
using test_support::GuardedField;
using test_support::TempDir;
using test_support::upper_case;

namespace {

constexpr int kWidth = 255;

std::string field(const std::string &text) { return test_support::padded(text, kWidth); }

// ABSPATH through its entry, with input and output as two fields; the result
// without its padding, after checking that the padding is all spaces.
std::string resolve(const std::string &input)
{
    std::string in = field(input);
    std::string out(kWidth, '#');
    ABSPATH(in.data(), out.data());
    std::string result = out.substr(0, out.find(' '));
    EXPECT_EQ(out.find_first_not_of(' ', result.size()), std::string::npos) << input;
    return result;
}

} // namespace

TEST(AbsPath, AbsolutePathsResolveDotsAndDelimiters)
{
    EXPECT_EQ(resolve("C:\\A\\..\\..\\B"), "C:\\B");
    EXPECT_EQ(resolve("c:\\one\\.\\two\\"), "C:\\ONE\\TWO");
    EXPECT_EQ(resolve("C:\\A\\\\B"), "C:\\A");
    EXPECT_EQ(resolve("C:\\A B\\C"), "C:\\A\\B\\C");
    EXPECT_EQ(resolve("C:\\..."), "C:\\...");
    EXPECT_EQ(resolve("C:\\.x\\ab\\..\\y.z"), "C:\\.X\\Y.Z");
    EXPECT_EQ(resolve("z:\\"), "Z:\\");
    EXPECT_EQ(resolve("Z:\\x\\.."), "Z:\\");
}

TEST(AbsPath, NetworkFormKeepsItsTwoBackslashes)
{
    EXPECT_EQ(resolve("\\\\server\\share\\dir\\..\\x"), "\\\\SERVER\\SHARE\\X");
    EXPECT_EQ(resolve("\\\\S\\SHARE"), "\\\\S\\SHARE");
    EXPECT_EQ(resolve("\\\\S\\..\\.."), "\\\\");
}

TEST(AbsPath, RelativePathsJoinTheCurrentDirectoryOfTheirDrive)
{
    CurrentDirectoryKeeper keep;
    TempDir onC;
    ASSERT_TRUE(SetCurrentDirectoryA(onC.path().c_str()));
    std::string here = upper_case(onC.path());
    EXPECT_EQ(resolve("sub\\..\\x"), here + "\\X");
    EXPECT_EQ(resolve(".."), here.substr(0, here.rfind('\\')));
    EXPECT_EQ(resolve("\\rooted"), "C:\\ROOTED");
    EXPECT_EQ(resolve("C:/A/B"), here + "\\/A/B");
    EXPECT_EQ(resolve(""), here);

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(resolve("x"), "C:\\X");
}

TEST(AbsPath, OtherDriveIsReadInItsOwnDirectoryAndSwitchedBack)
{
    CurrentDirectoryKeeper keep;
    TempDir onC;
    TempDir onZ("Z:\\tmp");
    ASSERT_FALSE(onZ.path().empty());
    // Leave Z: in its directory, so that drive remembers it, and work on C:.
    ASSERT_EQ(CBL_CHANGE_DIR(onZ.path().c_str()), 0);
    ASSERT_EQ(PC_SET_DRIVE("C"), 0);
    ASSERT_EQ(CBL_CHANGE_DIR(onC.path().c_str()), 0);

    EXPECT_EQ(resolve("Z:sub"), upper_case(onZ.path()) + "\\SUB");
    EXPECT_EQ(current_directory(), onC.path());
    // A lower-case letter of the current drive still goes through a switch and back.
    EXPECT_EQ(resolve("c:sub"), upper_case(onC.path()) + "\\SUB");
    EXPECT_EQ(current_directory(), onC.path());
    // A drive that cannot be selected joins its letter with the current drive's directory.
    EXPECT_EQ(resolve("Q:sub"), "Q:" + upper_case(onC.path()).substr(2) + "\\SUB");
    EXPECT_EQ(current_directory(), onC.path());
}

TEST(AbsPath, SameFieldInAndOut)
{
    std::string both = field("c:\\a\\..\\b\\c");
    ABSPATH(both.data(), both.data());
    EXPECT_EQ(both, field("C:\\B\\C"));
}

TEST(AbsPath, PathFillingTheFieldEndsAtTheWorkAreaWithoutLastByte)
{
    // 254 characters and no delimiter after the root: the last component ends at
    // position 254, whatever an earlier call left in position 255.
    std::string longName = "C:\\" + std::string(251, 'n');
    std::string expected = "C:\\" + std::string(251, 'N');
    for (char left : {'\0', 'Q', '\\', ' '}) {
        AbsPath storage;
        storage.work[kWidth - 1] = left;
        GuardedField in(254);
        in.fill(longName);
        GuardedField out(kWidth);
        abspath::resolve_in_process(storage, in.data(), out.data());
        EXPECT_EQ(out.text(), expected + " ") << int(left);
    }
}

namespace {

// Makes and enters a directory under base whose full name has length characters.
bool enter_directory_of_length(const std::string &base, size_t length)
{
    std::string path = base;
    while (path.size() + 1 < length) {
        size_t room = length - path.size() - 1;
        path.append(1, '\\').append(room > 100 ? 50 : room, 'd');
        if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return path.size() == length && SetCurrentDirectoryA(path.c_str());
}

} // namespace

TEST(AbsPath, CurrentDirectoryAtTheEdgeOfTheWorkArea)
{
    CurrentDirectoryKeeper keep;
    TempDir base;
    AbsPath storage;
    std::string in = field("rel\\name");
    std::string out(kWidth, '#');

    // 251 characters after "C:\\" fill the room: no backslash, nothing of the input.
    ASSERT_TRUE(enter_directory_of_length(base.path(), 254));
    std::memset(storage.work, 'G', sizeof storage.work);
    abspath::resolve_in_process(storage, in.data(), out.data());
    EXPECT_EQ(out, upper_case(current_directory()) + " ");

    // Longer than the room: the directory read fails and leaves only spaces, so the
    // path joins the root and nothing stale from the work area.
    SetCurrentDirectoryA("C:\\");
    ASSERT_TRUE(enter_directory_of_length(base.path(), 256));
    std::memset(storage.work, 'G', sizeof storage.work);
    abspath::resolve_in_process(storage, in.data(), out.data());
    EXPECT_EQ(out, field("C:\\REL\\NAME"));
}

TEST(AbsPath, GeneratedPathsKeepTheirPromises)
{
    CurrentDirectoryKeeper keep;
    TempDir onC;
    ASSERT_TRUE(SetCurrentDirectoryA(onC.path().c_str()));
    std::mt19937 random(20261208);
    const std::string pieces[] = {".",
                                  "..",
                                  "...",
                                  "a",
                                  "Bc",
                                  "dir",
                                  "x.y",
                                  ".z",
                                  "\\",
                                  "\\\\",
                                  " ",
                                  "/",
                                  "LongComponentName",
                                  "\\\\srv\\share",
                                  "c:",
                                  "Z:",
                                  "q:"};
    GuardedField in(254); // the 254 characters that may be read
    GuardedField out(kWidth);
    AbsPath storage;
    for (int round = 0; round < 3000; ++round) {
        std::string path;
        int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i)
            path += pieces[random() % std::size(pieces)];
        if (random() % 4 == 0)
            path += std::string(random() % 260, 'w');
        storage.work[kWidth - 1] = static_cast<char>(random());
        in.fill(path);
        abspath::resolve_in_process(storage, in.data(), out.data());

        std::string result = out.text();
        size_t end = result.find(' ');
        ASSERT_NE(end, std::string::npos) << path;
        EXPECT_EQ(result.find_first_not_of(' ', end), std::string::npos) << path;
        result.resize(end);
        EXPECT_EQ(result, upper_case(result)) << path;
        bool network = result.rfind("\\\\", 0) == 0;
        // The root the input names is the root of the result.
        if (path.rfind("\\\\", 0) == 0) {
            EXPECT_TRUE(network) << path;
        } else if (path.size() >= 2 && path[1] == ':') {
            EXPECT_EQ(result[0], upper_case(path.substr(0, 1))[0]) << path;
        }
        size_t root = network ? 2 : 3;
        ASSERT_GE(result.size(), root) << path;
        if (!network) {
            EXPECT_EQ(result.substr(1, 2), ":\\") << path;
        }
        if (result.size() > root) {
            EXPECT_NE(result.back(), '\\') << path;
            std::string rest = result.substr(root) + "\\";
            EXPECT_EQ(rest.find("\\\\"), std::string::npos) << path;
            EXPECT_EQ(("\\" + rest).find("\\.\\"), std::string::npos) << path;
            EXPECT_EQ(("\\" + rest).find("\\..\\"), std::string::npos) << path;
        }
    }
}
