// Calls JOINENV by name in a process of its own and writes what it saw.
// joinenv_child OUTPUT COUNT [TEXTS]: TEXTS is a file of setting texts separated by
// the byte 0x01. Writes OUTPUT.base (the process environment block) and
// OUTPUT.result (the block JOINENV returned). Exit code 0, or 2 when JOINENV
// returned no block.
// joinenv_child OUTPUT threads ROUNDS: two threads call JOINENV ROUNDS times each,
// at once, with settings of their own. Writes OUTPUT.result: "at once A inside B
// allocations C missing D": A calls began while the other thread was in a call of its
// own, B allocations were made inside a call while the other thread was allocating
// inside one too, C allocations were made inside calls in all, D calls gave no block.
// Exit code 0, or 3 when two calls were inside at once or a call gave no block.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
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

// A call allocates only while it holds JOINENV's turn, so two threads allocating
// inside calls at the same time are two calls inside at once. Each allocation inside a
// call stays a moment, so that such an overlap shows whenever the calls overlap.
thread_local bool t_inCall = false;
std::atomic<int> g_inCalls{0};
std::atomic<int> g_allocatingInCalls{0};
std::atomic<int> g_insideAtOnce{0};
std::atomic<int> g_callAllocations{0};

struct Turns {
    std::atomic<int> atOnce{0};
    std::atomic<int> missing{0};
};

// Calls JOINENV rounds times with the thread's own texts.
void call_in_turns(Joinenv join, Turns &turns, const std::string &text2, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        if (++g_inCalls > 1)
            ++turns.atOnce;
        uint32_t count = 2;
        const char *none = "";
        t_inCall = true;
        const char *block = join(&count, "SEEN=%ONE%,%TWO%", text2.c_str(), none, none, none, none,
                                 none, none, none);
        t_inCall = false;
        --g_inCalls;
        if (block == nullptr)
            ++turns.missing;
    }
}

int run_threads(const std::string &output, int rounds)
{
    Joinenv join = join_by_name();
    join_two(join, "SEEN=%ONE%,%TWO%", "ONE=1"); // the base is read before the threads start
    Turns turns;
    std::thread first(call_in_turns, join, std::ref(turns), "ONE=1", rounds);
    std::thread second(call_in_turns, join, std::ref(turns), "TWO=2", rounds);
    first.join();
    second.join();
    write(output + ".result", "at once " + std::to_string(turns.atOnce.load()) + " inside " +
                                  std::to_string(g_insideAtOnce.load()) + " allocations " +
                                  std::to_string(g_callAllocations.load()) + " missing " +
                                  std::to_string(turns.missing.load()));
    return g_insideAtOnce.load() == 0 && turns.missing.load() == 0 ? 0 : 3;
}

} // namespace

void *operator new(std::size_t size)
{
    if (t_inCall) {
        ++g_callAllocations;
        if (++g_allocatingInCalls > 1)
            ++g_insideAtOnce;
        for (int i = 0; i < 2000; ++i)
            YieldProcessor();
        --g_allocatingInCalls;
    }
    if (void *block = std::malloc(size != 0 ? size : 1))
        return block;
    throw std::bad_alloc();
}

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
