// JOINENV's merge, called as a plain function over environment blocks the tests make.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "joinenv.h"
#include "owner.h"
#include "text_field.h"
#include "entries.h"
#include "env_block.h"
#include "test_support.h"

using pathenv::Joinenv;
using Entries = std::vector<std::string>;
using test_support::env_block;
using test_support::env_entries;

namespace {

// Allocations that still succeed before the next one fails as when memory has run
// out; negative: no limit.
std::atomic<long> g_allocationsLeft{-1};

} // namespace

// The test program's allocations, which a test can make fail. They come from malloc,
// as the library's own operator new takes them and its operator delete gives back.
void *operator new(std::size_t size)
{
    long left = g_allocationsLeft.load();
    if (left == 0)
        throw std::bad_alloc();
    if (left > 0)
        g_allocationsLeft.store(left - 1);
    if (void *p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}

namespace {

size_t block_size(const char *block) { return test_support::env_block_bytes(block).size(); }

// One JOINENV storage over a base block of the test's own, with the sort's work
// file in a directory of the test's own.
class Join : public ::testing::Test {
protected:
    test_support::TempDir tmpDir;
    test_support::ScopedVariable tmp{"TMP", tmpDir.path().c_str()};
    std::unique_ptr<Joinenv> storage = std::make_unique<Joinenv>();
    std::string base;
    bool nullBase = false;
    int baseReads = 0;

    const char *call(const std::vector<std::string> &texts, uint32_t count)
    {
        const char *pointers[9] = {};
        for (size_t i = 0; i < texts.size() && i < 9; ++i)
            pointers[i] = texts[i].c_str();
        return pathenv::join(
            *storage,
            [this] {
                ++baseReads;
                return nullBase ? nullptr : base.c_str();
            },
            count, pointers);
    }
    Entries join(const std::vector<std::string> &texts = {})
    {
        const char *block = call(texts, static_cast<uint32_t>(texts.size()));
        EXPECT_NE(block, nullptr);
        return block != nullptr ? env_entries(block) : Entries{};
    }
    // What f wrote to standard error.
    template <class F>
    std::string standard_error_of(F f)
    {
        std::string log = tmpDir.file("stderr.txt");
        owner::unique_file file(CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
        SetStdHandle(STD_ERROR_HANDLE, file.get());
        f();
        SetStdHandle(STD_ERROR_HANDLE, saved);
        file.reset();
        return test_support::read_file(log);
    }
    // The value the current list gives name, as a %NAME% reference sees it.
    std::string value_of(const std::string &name)
    {
        std::string value;
        EXPECT_TRUE(pathenv::append_value_of(*storage, name, value)) << name;
        return value;
    }
};

} // namespace

TEST_F(Join, CountZeroGivesTheBaseAscendingWithUpperCaseNames)
{
    base = env_block({"Path=C:\\DOS", "windir=C:\\WINDOWS", "b=two", "\xc9t\xe9=summer", "noequals",
                      "A=1=one", "Zz=last"});
    EXPECT_EQ(join(), (Entries{"A=1=one", "B=two", "PATH=C:\\DOS", "WINDIR=C:\\WINDOWS", "ZZ=last",
                               "\xc9T\xe9=summer"}));
    EXPECT_EQ(baseReads, 1);
}

TEST_F(Join, ABaseOfOneEntryAndTheLargestNameAreKeptAndFound)
{
    base = env_block({"only=1"});
    EXPECT_EQ(join(), (Entries{"ONLY=1"}));
    EXPECT_EQ(join({"R=<%only%>"}), (Entries{"ONLY=1", "R=<1>"}));

    auto other = std::make_unique<Joinenv>();
    storage.swap(other);
    base = env_block({"A=1", "ZZZ=top", "M=2"});
    EXPECT_EQ(join({"X=%zzz%", "ZZZ=%ZZZ%+"}), (Entries{"A=1", "M=2", "X=top+", "ZZZ=top+"}));
}

TEST_F(Join, FirstTextWinsAndSeesWhatLaterTextsSet)
{
    base = env_block({"PATH=C:\\DOS"});
    EXPECT_EQ(join({"A=1", "A=2"}), (Entries{"A=1", "PATH=C:\\DOS"}));
    EXPECT_EQ(join({"Y=%X%bar", "X=foo"}), (Entries{"PATH=C:\\DOS", "X=foo", "Y=foobar"}));
    // Within one text the later setting is merged after the earlier one.
    EXPECT_EQ(join({"A=1\nA=2"}), (Entries{"A=2", "PATH=C:\\DOS"}));
    EXPECT_EQ(join({"PATH=%PATH%;C:\\BIN", "PATH=%path%;C:\\TOOLS"}),
              (Entries{"PATH=C:\\DOS;C:\\TOOLS;C:\\BIN"}));
}

TEST_F(Join, ReferencesToNothingUnmatchedPercentAndEmptyNames)
{
    base = env_block({"=C:=C:\\WORK", "A=1"});
    EXPECT_EQ(join({"V=a%NOSUCH%b\nP=50%\nQ=%A%%\nE=x%%y\nL=%a%%A%"}),
              (Entries{"=C:=C:\\WORK", "A=1", "E=xy", "L=11", "P=50%", "Q=1%", "V=ab"}));
}

TEST_F(Join, LineFeedRunsLeadingLineFeedsSpacesAndCarriageReturns)
{
    base = env_block({"BASE=b"});
    EXPECT_EQ(join({"\nA=1\nB=2"}), (Entries{"BASE=b"}));
    EXPECT_EQ(join({std::string(999, ' ')}), (Entries{"BASE=b"}));
    // B is new and only the beginning of BASE, so it goes after it.
    EXPECT_EQ(join({"A=1\n\n\nB=2\n\nnoequals\nC=x y\r\nD=4\n"}),
              (Entries{"A=1", "BASE=b", "B=2", "C=x y\r", "D=4"}));
    std::string field = "T=trimmed";
    field.resize(999, ' ');
    EXPECT_EQ(join({field}), (Entries{"BASE=b", "T=trimmed"}));
}

TEST_F(Join, ATextIsReadToItsFirstNulOrNineHundredNinetyNineCharacters)
{
    base = env_block({"BASE=b"});
    std::string text = "A=" + std::string(990, 'x') + "\nB=1\nCC=2"; // cut after "CC"
    EXPECT_EQ(join({text}), (Entries{"A=" + std::string(990, 'x'), "BASE=b", "B=1"}));
    std::string withNul("N=1\0M=2", 7);
    EXPECT_EQ(join({withNul}), (Entries{"BASE=b", "N=1"}));
}

TEST_F(Join, EachCallStartsFromTheBase)
{
    base = env_block({"PATH=C:\\DOS", "B=2"});
    EXPECT_EQ(join({"NEW=1\nPATH=%PATH%;C:\\X\nB="}),
              (Entries{"B=", "NEW=1", "PATH=C:\\DOS;C:\\X"}));
    EXPECT_EQ(join(), (Entries{"B=2", "PATH=C:\\DOS"}));
    EXPECT_EQ(join({"OTHER=%NEW%"}), (Entries{"B=2", "OTHER=", "PATH=C:\\DOS"}));
    EXPECT_EQ(baseReads, 1);
}

TEST_F(Join, CountAboveNineCountsAsNine)
{
    base = env_block({"B=1"});
    std::vector<std::string> texts;
    for (int k = 1; k <= 9; ++k)
        texts.push_back(std::string("T") + std::to_string(k) + "=" + std::to_string(k) +
                        "\nALL=" + std::to_string(k));
    Entries got = env_entries(call(texts, 12));
    EXPECT_EQ(got, (Entries{"ALL=1", "B=1", "T1=1", "T2=2", "T3=3", "T4=4", "T5=5", "T6=6", "T7=7",
                            "T8=8", "T9=9"}));
    EXPECT_EQ(env_entries(call(texts, 2)), (Entries{"ALL=1", "B=1", "T1=1", "T2=2"}));
}

TEST_F(Join, ANameThatBeginsLongerNamesGoesAfterThem)
{
    base = env_block({"PATH=p", "PATHEXT=.EXE", "PB=b"});
    EXPECT_EQ(join({"R=%pat%\nPAT=1"}), (Entries{"PATH=p", "PATHEXT=.EXE", "PAT=1", "PB=b", "R="}));
    EXPECT_EQ(join({"R=%pat%", "PATHA=a\nPAT=1\nPATA=2"}),
              (Entries{"PATA=2", "PATH=p", "PATHA=a", "PATHEXT=.EXE", "PAT=1", "PB=b", "R=1"}));
    EXPECT_EQ(value_of("PATA"), "2");
    EXPECT_EQ(value_of("PATHEXT"), ".EXE");
}

TEST_F(Join, UnnamedBaseEntriesComeFirstUnchangedInTheirOrder)
{
    base = env_block({"A=1", "=D:=D:\\", "=C:=C:\\WORK", "=ExitCode=00000000", "!weird=w"});
    Entries expected{"=D:=D:\\", "=C:=C:\\WORK", "=ExitCode=00000000", "!WEIRD=w", "A=1"};
    EXPECT_EQ(join(), expected);
    // A setting without a name changes none of them, and %% is no reference to them.
    EXPECT_EQ(join({"=E:=E:\\\n=C:=X\nP=%%"}),
              (Entries{"=D:=D:\\", "=C:=C:\\WORK", "=ExitCode=00000000", "!WEIRD=w", "A=1", "P="}));
    EXPECT_EQ(join(), expected);
}

TEST_F(Join, NoBaseGivesOnlyTheSettings)
{
    nullBase = true;
    const char *empty = call({}, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(std::string(empty, 2), std::string(2, '\0'));
    EXPECT_EQ(join({"b=2\na=1"}), (Entries{"A=1", "B=2"}));
}

// ---- Limits ----------------------------------------------------------------

TEST_F(Join, ABlockOverTheOutputAreaGrowsAndKeepsEveryEntry)
{
    // Entries "Vnn=" + value + NUL: the whole block with its final zero is 32,646.
    Entries entries;
    size_t size = 1;
    for (int i = 10; size + 1007 <= 32646; ++i) {
        entries.push_back(std::string("V") + std::to_string(i) + "=" +
                          std::string(1000, 'a' + i % 26));
        size += entries.back().size() + 1;
    }
    std::string last = "W=" + std::string(32646 - size - 3, 'w');
    entries.push_back(last);
    base = env_block(entries);
    ASSERT_EQ(base.size(), 32646u);

    const char *atLimit = call({}, 0);
    EXPECT_EQ(atLimit, storage->output);
    EXPECT_EQ(block_size(atLimit), 32646u);
    EXPECT_EQ(env_entries(atLimit), entries);

    const char *past = call({"X=1"}, 1);
    EXPECT_NE(past, storage->output);
    EXPECT_EQ(block_size(past), 32646u + 4);
    Entries withX = entries;
    withX.push_back("X=1");
    EXPECT_EQ(env_entries(past), withX);

    // One expanded value alone larger than the output area: V10's value 40 times.
    std::string text = "H=", expected = "H=";
    for (int i = 0; i < 40; ++i) {
        text += i % 2 ? "%V10%" : "%v10%";
        expected += entries[0].substr(4);
    }
    Entries huge = env_entries(call({text + "!"}, 1));
    ASSERT_EQ(huge.size(), entries.size() + 1);
    EXPECT_EQ(huge[0], expected + "!");
    EXPECT_GT(huge[0].size(), 32646u);
    EXPECT_EQ(call({}, 0), storage->output);
}

TEST_F(Join, NamesLongerThanTheNameFieldAreKeptWhole)
{
    std::string stem(256, 'N');
    std::string long1 = stem + "ONE", long2 = stem + "TWO";
    base = env_block({stem + "base=b", "A=1"});
    std::string text1 = "R=%" + stem + "base%\n" + long1 + "=%" + long1 + "%+";
    std::string text2 = long2 + "=2\n" + long1 + "=1\n" + stem + "=exact";
    Entries got = join({text1, text2});
    // The 256-character name begins the longer ones, so it goes after them.
    EXPECT_EQ(got, (Entries{"A=1", stem + "BASE=b", long1 + "=1+", long2 + "=2", stem + "=exact",
                            "R=b"}));
    EXPECT_EQ(value_of(long2), "2");
    EXPECT_EQ(value_of(stem + "BASE"), "b");
    EXPECT_EQ(join({stem + "BASE=%" + stem + "BASE%!"}), (Entries{"A=1", stem + "BASE=b!"}));
    EXPECT_EQ(join({"M=<%" + std::string(300, 'x') + "%>"}),
              (Entries{"A=1", "M=<>", stem + "BASE=b"}));
}

TEST_F(Join, ABaseOfUpToSixtyFiveThousandFiveHundredThirtyFiveBytesIsTaken)
{
    Entries entries;
    size_t size = 1;
    for (int i = 0; size + 108 <= 65535; ++i) {
        entries.push_back(std::string("E") + std::to_string(10000 + i) + "=" +
                          std::string(100, 'v'));
        size += entries.back().size() + 1;
    }
    entries.push_back("Z=" + std::string(65535 - size - 3, 'z'));
    base = env_block(entries);
    ASSERT_EQ(base.size(), 65535u);
    Entries got = join({"Z=%Z%!"});
    ASSERT_EQ(got.size(), entries.size());
    EXPECT_EQ(got.front(), entries.front());
    EXPECT_EQ(got.back(), entries.back() + "!");
}

TEST_F(Join, ABaseLargerThanThatKeepsEveryEntryAndIsReadOnce)
{
    // Everything after the first entry begins past byte 65,535: short and long names,
    // an empty value, an empty name, and a name longer than a name length holds.
    std::string longName = "FAR" + std::string(300, 'L');
    base = env_block({"A=" + std::string(65532, 'a'), "far=1", longName + "=long",
                      "Empty=", "=E:=E:\\", std::string(65536, 'H') + "=left out", "Last=z"});
    ASSERT_GT(base.size(), 65536u + 65535u);
    Entries loaded{"=E:=E:\\",         "A=" + std::string(65532, 'a'),
                   "EMPTY=",           "FAR=1",
                   longName + "=long", "LAST=z"};
    EXPECT_EQ(join(), loaded);
    EXPECT_EQ(join({"FAR=%far%+%" + longName + "%\nNEW=%LAST%%EMPTY%",
                    longName + "=%" + longName + "%!"}),
              (Entries{"=E:=E:\\", "A=" + std::string(65532, 'a'), "EMPTY=", "FAR=1+long!",
                       longName + "=long!", "LAST=z", "NEW=z"}));
    EXPECT_EQ(join(), loaded);
    EXPECT_EQ(value_of(longName), "long");
    EXPECT_EQ(value_of("FAR"), "1");
    EXPECT_EQ(baseReads, 1);
}

TEST_F(Join, AFailingSortIsReportedAndTheBaseSortedInMemoryAlike)
{
    base = env_block({"b=2", "=D:=D:\\", "A=1", "=C:=C:\\WORK", "a=dup", "Path=C:\\DOS"});
    Entries expected{"=D:=D:\\", "=C:=C:\\WORK", "A=1", "A=dup", "B=2", "PATH=C:\\DOS"};
    EXPECT_EQ(join(), expected); // through the work file
    // No work file where TMP names a missing directory, nor where a directory takes
    // its name.
    std::string missing = tmpDir.file("missing");
    test_support::TempDir inTheWay;
    ASSERT_TRUE(CreateDirectoryA((inTheWay.path() + "\\zkorgsrt.dat").c_str(), nullptr));
    for (const std::string &directory : {missing, inTheWay.path()}) {
        storage = std::make_unique<Joinenv>();
        baseReads = 0;
        test_support::ScopedVariable badTmp("TMP", directory.c_str());
        Entries got;
        EXPECT_EQ(standard_error_of([&] { got = join(); }),
                  "qurdex: file error 30 on $TMP/zkorgsrt.dat\r\n");
        EXPECT_EQ(got, expected) << directory;
        EXPECT_EQ(
            join({"PATH=%PATH%;C:\\BIN\nA=0"}),
            (Entries{"=D:=D:\\", "=C:=C:\\WORK", "A=0", "A=dup", "B=2", "PATH=C:\\DOS;C:\\BIN"}));
        EXPECT_EQ(join(), expected);
        EXPECT_EQ(baseReads, 1);
    }
    EXPECT_FALSE(test_support::file_exists(tmpDir.file("zkorgsrt.dat")));
}

TEST_F(Join, AWantOfMemoryAnywhereGivesNoBlockAndTheNextCallTheRightOneWithoutReadingAgain)
{
    base = env_block({"Path=C:\\DOS", "=C:=C:\\", "B=2", std::string(300, 'n') + "=long"});
    std::vector<std::string> texts{"PATH=%PATH%;C:\\X\nY=%" + std::string(300, 'N') + "%", "X=1"};
    Entries expected{"=C:=C:\\",           "B=2", std::string(300, 'N') + "=long",
                     "PATH=C:\\DOS;C:\\X", "X=1", "Y=long"};
    // Memory runs out at each allocation in turn, of the first call or of a later one,
    // until the call needs no more than it was allowed. The first call allocates at
    // least for the base records, the long name, the list index and the block; a later
    // one for the long name of a setting, its value and the block.
    for (bool firstCall : {true, false}) {
        int roundsRanOut = 0;
        for (long allowed = 0;; ++allowed) {
            storage = std::make_unique<Joinenv>();
            baseReads = 0;
            if (!firstCall)
                join({"OTHER=1"});
            bool ranOut = false;
            standard_error_of([&] {
                g_allocationsLeft = allowed;
                try {
                    call(texts, 2);
                } catch (const std::bad_alloc &) {
                    ranOut = true;
                }
                g_allocationsLeft = -1;
            });
            ASSERT_EQ(join(texts), expected)
                << "first call " << firstCall << ", allocation " << allowed;
            ASSERT_EQ(join(), (Entries{"=C:=C:\\", "B=2", std::string(300, 'N') + "=long",
                                       "PATH=C:\\DOS"}));
            ASSERT_EQ(baseReads, 1) << "first call " << firstCall << ", allocation " << allowed;
            if (!ranOut)
                break;
            ++roundsRanOut;
        }
        EXPECT_GE(roundsRanOut, firstCall ? 4 : 3) << "first call " << firstCall;
    }

    // The entry gives no block for a call that finds no memory at all.
    const uint32_t one = 1;
    const char *none = "";
    const std::string longSetting = std::string(300, 'L') + "=1";
    ASSERT_NE(JOINENV(&one, "A=1", none, none, none, none, none, none, none, none), nullptr);
    g_allocationsLeft = 0;
    const char *block =
        JOINENV(&one, longSetting.c_str(), none, none, none, none, none, none, none, none);
    g_allocationsLeft = -1;
    EXPECT_EQ(block, nullptr);
}

// ---- Against a reference model ----------------------------------------------

namespace {

// Expands each %NAME% of value by lookup(upper-case NAME); a name lookup does not know
// expands to nothing, and a lone % is kept as it stands.
template <class Lookup>
std::string expand_references(const std::string &value, Lookup lookup)
{
    std::string out;
    size_t i = 0;
    for (;;) {
        size_t open = value.find('%', i);
        size_t close = open == std::string::npos ? open : value.find('%', open + 1);
        if (close == std::string::npos)
            break;
        out += value.substr(i, open - i);
        if (const std::string *found =
                lookup(frame::upper_text(value.substr(open + 1, close - open - 1))))
            out += *found;
        i = close + 1;
    }
    return out + value.substr(i);
}

// The same merge over a sorted map. Names are all three characters long, so no
// name begins another and the list order is the map's.
struct Model {
    std::map<std::string, std::string> vars;

    std::string expand(const std::string &value) const
    {
        return expand_references(value, [&](const std::string &name) -> const std::string * {
            auto found = vars.find(name);
            return found != vars.end() ? &found->second : nullptr;
        });
    }
    void merge(std::string text)
    {
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (!text.empty() && text[0] == '\n')
            return;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string setting = text.substr(start, end - start);
            size_t eq = setting.find('=');
            if (eq != std::string::npos && eq > 0)
                vars[frame::upper_text(setting.substr(0, eq))] = expand(setting.substr(eq + 1));
            start = end;
            while (start < text.size() && text[start] == '\n')
                ++start;
        }
    }
};

std::string random_name(std::mt19937 &random)
{
    static const char letters[] = "ABCabc_";
    std::string name;
    for (int i = 0; i < 3; ++i)
        name += letters[random() % 7];
    return name;
}

std::string random_value(std::mt19937 &random)
{
    std::string value;
    int parts = static_cast<int>(random() % 5);
    for (int i = 0; i < parts; ++i) {
        switch (random() % 4) {
        case 0:
            value += '%';
            value += random_name(random);
            value += '%';
            break;
        case 1: value += "%"; break;
        case 2: value += " "; break;
        default: value += std::string(1 + random() % 3, static_cast<char>('p' + random() % 5));
        }
    }
    return value;
}

} // namespace

TEST_F(Join, MatchesASortedMapOverManyGeneratedBasesAndTexts)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 60; ++round) {
        storage = std::make_unique<Joinenv>();
        Model baseModel;
        Entries entries;
        int baseCount = static_cast<int>(random() % 30);
        for (int i = 0; i < baseCount; ++i) {
            std::string name = random_name(random);
            if (baseModel.vars.count(frame::upper_text(name)))
                continue;
            std::string value = random_value(random);
            baseModel.vars[frame::upper_text(name)] = value;
            entries.push_back(name + "=" + value);
        }
        base = env_block(entries);
        for (int call_ = 0; call_ < 3; ++call_) {
            std::vector<std::string> texts;
            uint32_t count = static_cast<uint32_t>(random() % 13);
            for (uint32_t k = 0; k < std::min<uint32_t>(count, 9); ++k) {
                std::string text = random() % 8 == 0 ? "\n" : "";
                int settings = static_cast<int>(random() % 6);
                for (int i = 0; i < settings; ++i) {
                    text += random_name(random) + (random() % 10 ? "=" : "") + random_value(random);
                    text += std::string(1 + random() % 3, '\n');
                }
                texts.push_back(text + std::string(random() % 3, ' '));
            }
            Model model = baseModel;
            for (uint32_t k = std::min<uint32_t>(count, 9); k >= 1; --k)
                model.merge(texts[k - 1]);
            Entries expected;
            for (const auto &[name, value] : model.vars)
                expected.push_back(name + "=" + value);
            const char *block = call(texts, count);
            ASSERT_NE(block, nullptr);
            ASSERT_EQ(env_entries(block), expected) << "round " << round << " call " << call_;
        }
    }
}

namespace {

// The merge as a plain walk of a list from its head, names that begin other names
// included: the ordering the indexes of the real list must reproduce.
struct WalkModel {
    std::vector<std::pair<std::string, std::string>> list;

    static int compare(const std::string &listed, const std::string &name)
    {
        std::string padded = listed;
        padded.resize(std::max(listed.size(), name.size()), ' ');
        return std::memcmp(padded.data(), name.data(), name.size());
    }
    // The entry the walk stops at for name, and whether it is that name.
    std::pair<size_t, bool> walk(const std::string &name) const
    {
        for (size_t i = 0; i < list.size(); ++i) {
            int c = compare(list[i].first, name);
            if (c == 0 && list[i].first.size() == name.size())
                return {i, true};
            if (c > 0)
                return {i, false};
        }
        return {list.size(), false};
    }
    std::string expand(const std::string &value) const
    {
        return expand_references(value, [&](const std::string &name) -> const std::string * {
            auto [at, found] = walk(name);
            return found && !name.empty() ? &list[at].second : nullptr;
        });
    }
    void merge_text(const std::string &text)
    {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            std::string setting = text.substr(start, end - start);
            size_t eq = setting.find('=');
            set(frame::upper_text(setting.substr(0, eq)), setting.substr(eq + 1));
            start = end + 1;
        }
    }
    void set(const std::string &name, const std::string &value)
    {
        std::string expanded = expand(value);
        auto [at, found] = walk(name);
        if (found)
            list[at].second = expanded;
        else
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), {name, expanded});
    }
};

} // namespace

TEST_F(Join, NamesThatBeginOtherNamesMatchAWalkFromTheHead)
{
    std::mt19937 random(4);
    auto name_of = [&] {
        std::string name(1 + random() % 4, 'A');
        for (char &c : name)
            c = "ABa"[random() % 3];
        return name;
    };
    for (int round = 0; round < 80; ++round) {
        storage = std::make_unique<Joinenv>();
        std::vector<std::pair<std::string, std::string>> baseList;
        Entries entries;
        for (int i = static_cast<int>(random() % 12); i > 0; --i) {
            std::string name = name_of();
            std::string value = std::to_string(round) + "." + std::to_string(i);
            entries.push_back(name + "=" + value);
            baseList.push_back({frame::upper_text(name), value});
        }
        std::stable_sort(baseList.begin(), baseList.end(), [](const auto &a, const auto &b) {
            std::string x = a.first, y = b.first;
            x.resize(256, ' ');
            y.resize(256, ' ');
            return x < y;
        });
        base = env_block(entries);
        for (int call_ = 0; call_ < 2; ++call_) {
            std::string text;
            for (int i = static_cast<int>(random() % 40); i > 0; --i) {
                text += name_of();
                text += '=';
                text += std::to_string(i);
                if (random() % 2) {
                    text += '%';
                    text += name_of();
                    text += '%';
                }
                text += '\n';
            }
            WalkModel model{baseList};
            model.merge_text(text);
            Entries expected;
            for (const auto &[name, value] : model.list)
                expected.push_back(name + "=" + value);
            ASSERT_EQ(join({text}), expected) << "round " << round << " call " << call_;
        }
    }
}
