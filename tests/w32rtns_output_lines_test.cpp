// Line splitting of a child's output and the building of the launch command line,
// called directly as plain functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "command_line.h"
#include "output_lines.h"

namespace {

// Feeds output to the splitter as the pipe reads do: each piece is one write of the
// child, and a read takes no more than the buffer's free space.
std::vector<std::string> split(const std::vector<std::string> &pieces)
{
    auto r = std::make_unique<LineBuffer>();
    std::vector<std::string> lines;
    LineSink sink = [&](const char *line, uint32_t length) { lines.emplace_back(line, length); };
    StartOutput(*r);
    for (const std::string &piece : pieces) {
        size_t done = 0;
        while (done < piece.size()) {
            uint32_t n =
                std::min<uint32_t>(FreeSpace(*r), static_cast<uint32_t>(piece.size() - done));
            EXPECT_GT(n, 0u) << "a read with no room";
            if (n == 0)
                return lines;
            std::memcpy(&r->outputBuffer[r->fillPosition - 1], piece.data() + done, n);
            SplitReadBytes(*r, n, sink);
            done += n;
        }
    }
    FinishOutput(*r, sink);
    return lines;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(LineSplitting, CrLfEndsLinesAndLoneCrOrLfStayInside)
{
    EXPECT_EQ(split({"a\r\nb\r\n"}), (Lines{"a", "b"}));
    EXPECT_EQ(split({"abc"}), (Lines{"abc"}));
    EXPECT_EQ(split({"\r\n\r\n"}), (Lines{"", ""}));
    EXPECT_EQ(split({"x\ny\rz\r\n\r"}), (Lines{"x\ny\rz", "\r"}));
    EXPECT_EQ(split({}), Lines{});
    EXPECT_EQ(split({"\n\r"}), (Lines{"\n\r"}));
}

TEST(LineSplitting, PairsAndLinesSplitAcrossReads)
{
    EXPECT_EQ(split({"first\r", "\nsecond"}), (Lines{"first", "second"}));
    EXPECT_EQ(split({"a", "b", "\r", "\n", "\r", "\nc"}), (Lines{"ab", "", "c"}));
    EXPECT_EQ(split({"one\r\ntw", "o\r\nthr", "ee"}), (Lines{"one", "two", "three"}));
}

TEST(LineSplitting, LinesUpToTheBufferSizeStayWhole)
{
    std::string full(4096, 'f');
    std::string almost(4095, 'a');
    EXPECT_EQ(split({full + "\r\nnext\r\n"}), (Lines{full, "next"}));
    EXPECT_EQ(split({full}), (Lines{full}));
    // The CR of the pair is the buffer's last byte, its LF comes with the next read.
    EXPECT_EQ(split({almost + "\r\nnext"}), (Lines{almost, "next"}));
    EXPECT_EQ(split({"x\r\n" + full + "\r\n"}), (Lines{"x", full}));
}

TEST(LineSplitting, LongerLinesGoOutInBufferSizedPiecesWithNothingLost)
{
    std::string line(10000, 'z');
    EXPECT_EQ(split({line + "\r\nend\r\n"}),
              (Lines{line.substr(0, 4096), line.substr(4096, 4096), line.substr(8192), "end"}));
    std::string twice(8192, 't');
    EXPECT_EQ(split({twice + "\r\n"}), (Lines{twice.substr(0, 4096), twice.substr(4096)}));
    // A lone CR at a piece's end that is not followed by LF is kept in the line.
    std::string crInside = std::string(4095, 'c') + "\rX";
    EXPECT_EQ(split({crInside}), (Lines{std::string(4095, 'c'), "\rX"}));
}

namespace {

// Output of random bytes from a, b, CR and LF, with now and then a run of up to
// longest letters.
std::string random_output(std::mt19937 &random, size_t longest)
{
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n'};
    std::string output;
    size_t length = random() % 20000;
    while (output.size() < length) {
        if (random() % 50 == 0)
            output.append(random() % longest, 'L');
        output += alphabet[random() % sizeof alphabet];
    }
    return output;
}

// The output cut directly at every CR LF.
Lines cut_at_pairs(const std::string &output)
{
    Lines lines;
    size_t start = 0;
    for (size_t at; (at = output.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(output.substr(start, at - start));
    if (start < output.size())
        lines.push_back(output.substr(start));
    return lines;
}

// The output as random writes, of a few bytes or of several buffers.
std::vector<std::string> random_writes(std::mt19937 &random, const std::string &output)
{
    std::vector<std::string> pieces;
    for (size_t at = 0; at < output.size();) {
        size_t n = 1 + random() % (random() % 2 ? 9000 : 7);
        pieces.push_back(output.substr(at, n));
        at += n;
    }
    return pieces;
}

std::string joined(const Lines &lines)
{
    std::string all;
    for (const std::string &line : lines)
        all += line;
    return all;
}

} // namespace

// With lines of up to 4096 bytes, any cut of the output into writes gives the lines
// that a direct cut at every CR LF gives.
TEST(LineSplitting, AnyCutOfTheOutputGivesTheSameLines)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        std::string output;
        do
            output = random_output(random, 3000);
        while (!std::ranges::all_of(cut_at_pairs(output),
                                    [](const std::string &l) { return l.size() <= 4096; }));
        ASSERT_TRUE(split(random_writes(random, output)) == cut_at_pairs(output))
            << "round " << round;
    }
}

// With longer lines too, no message exceeds 4096 bytes and every byte of every line
// arrives, in order.
TEST(LineSplitting, AnyCutOfLongLinesLosesNothing)
{
    std::mt19937 random(8122026);
    for (int round = 0; round < 200; ++round) {
        std::string output = random_output(random, 15000);
        Lines got = split(random_writes(random, output));
        ASSERT_TRUE(std::ranges::all_of(got, [](const std::string &l) { return l.size() <= 4096; }))
            << "round " << round;
        ASSERT_TRUE(joined(got) == joined(cut_at_pairs(output))) << "round " << round;
    }
}

TEST(CommandLine, ProgramSpaceArgumentsAndNul)
{
    char commandLine[1024];
    std::memset(commandLine, 'Q', sizeof commandLine);
    ASSERT_TRUE(BuildCommandLine(commandLine, "tool.exe", ""));
    EXPECT_STREQ(commandLine, "tool.exe ");
    ASSERT_TRUE(BuildCommandLine(commandLine, "C:\\A B\\x.exe", "  -v \"q\" "));
    EXPECT_STREQ(commandLine, "C:\\A B\\x.exe   -v \"q\" ");
}

TEST(CommandLine, TooLongIsRefusedAndLeavesTheFieldAlone)
{
    char commandLine[1024];
    std::memset(commandLine, 'Q', sizeof commandLine);
    std::string program(600, 'p');
    std::string fits(1022 - 600, 'a');
    ASSERT_TRUE(BuildCommandLine(commandLine, program.c_str(), fits.c_str()));
    EXPECT_EQ(std::strlen(commandLine), 1023u);

    std::memset(commandLine, 'Q', sizeof commandLine);
    std::string over(fits.size() + 1, 'a');
    EXPECT_FALSE(BuildCommandLine(commandLine, program.c_str(), over.c_str()));
    EXPECT_FALSE(BuildCommandLine(commandLine, std::string(5000, 'p').c_str(), ""));
    EXPECT_EQ(std::string(commandLine, sizeof commandLine), std::string(1024, 'Q'));
}
