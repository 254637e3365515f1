// Calls JOINENV by name in a process of its own and writes what it saw.
// joinenv_child OUTPUT COUNT [TEXTS]: TEXTS is a file of setting texts separated by
// the byte 0x01. Writes OUTPUT.base (the process environment block) and
// OUTPUT.result (the block JOINENV returned). Exit code 0, or 2 when JOINENV
// returned no block.
// joinenv_child OUTPUT threads ROUNDS: two threads call JOINENV ROUNDS times each,
// at once, with settings of their own. Writes OUTPUT.result: "checked N wrong M",
// the blocks a thread could check (no other call began between the start of its
// call and the end of its copy) and those that were not its own or were missing.
// Exit code 0, or 3 when a block was wrong.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "entries.h"
#include "env_block.h"
#include "program.h"

namespace {

void write(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

using Joinenv = decltype(&JOINENV);

Joinenv join_by_name()
{
    frame::register_entries();
    return reinterpret_cast<Joinenv>(qx_resolve("JOINENV"));
}

// The block of one call with two texts, copied, or empty when there was none.
std::string join_two(Joinenv join, const std::string &text1, const std::string &text2)
{
    uint32_t count = 2;
    const char *none = "";
    const char *block =
        join(&count, text1.c_str(), text2.c_str(), none, none, none, none, none, none, none);
    return block != nullptr ? test_support::env_block_bytes(block) : std::string();
}

struct Turns {
    std::atomic<int> busy{0};       // threads between the start of a call and their copy's end
    std::atomic<uint32_t> begun{0}; // calls begun
    std::atomic<int> checked{0};
    std::atomic<int> wrong{0};
};

// Calls JOINENV rounds times with the thread's own texts. A block copied while no
// other call began is checked against the thread's own; the others may have been
// overwritten, as the block lasts only until the next call of any thread.
void call_in_turns(Joinenv join, Turns &turns, const std::string &own, const std::string &text2,
                   int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        ++turns.busy;
        uint32_t begun = ++turns.begun;
        bool alone = turns.busy.load() == 1;
        std::string block = join_two(join, "SEEN=%ONE%,%TWO%", text2);
        bool stillAlone = turns.begun.load() == begun;
        --turns.busy;
        if (block.empty()) {
            ++turns.wrong;
        } else if (alone && stillAlone) {
            ++turns.checked;
            if (block != own)
                ++turns.wrong;
        }
        // Now and then the other thread gets calls of its own alone.
        if (i % 8 == 7)
            Sleep(1);
    }
}

int run_threads(const std::string &output, int rounds)
{
    Joinenv join = join_by_name();
    std::string one = join_two(join, "SEEN=%ONE%,%TWO%", "ONE=1");
    std::string two = join_two(join, "SEEN=%ONE%,%TWO%", "TWO=2");
    Turns turns;
    std::thread first(call_in_turns, join, std::ref(turns), one, "ONE=1", rounds);
    std::thread second(call_in_turns, join, std::ref(turns), two, "TWO=2", rounds);
    first.join();
    second.join();
    write(output + ".result", "checked " + std::to_string(turns.checked.load()) + " wrong " +
                                  std::to_string(turns.wrong.load()));
    return turns.wrong.load() == 0 ? 0 : 3;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 1;
    std::string output = argv[1];
    if (std::strcmp(argv[2], "threads") == 0)
        return run_threads(output, std::atoi(argc > 3 ? argv[3] : "0"));
    uint32_t count = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::vector<std::string> texts;
    if (argc > 3) {
        std::ifstream in(argv[3], std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        std::string text;
        while (std::getline(all, text, '\x01'))
            texts.push_back(text);
    }
    texts.resize(9);

    Joinenv join = join_by_name();
    const char *result = join(&count, texts[0].c_str(), texts[1].c_str(), texts[2].c_str(),
                              texts[3].c_str(), texts[4].c_str(), texts[5].c_str(),
                              texts[6].c_str(), texts[7].c_str(), texts[8].c_str());
    const char *base = GetEnvironmentStrings();
    write(output + ".base", test_support::env_block_bytes(base));
    FreeEnvironmentStringsA(const_cast<char *>(base));
    if (result == nullptr)
        return 2;
    write(output + ".result", test_support::env_block_bytes(result));
    return 0;
}
