// JOINENV's cost over bases of 100, 1,000 and 4,000 variables with nine texts of 50
// settings each: the first call (base read and sorted), a later call (reset to the
// base), and a naive join that reads and sorts the base again on every call.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "joinenv.h"

namespace {

std::string base_block(int variables)
{
    std::string block;
    for (int i = 0; i < variables; ++i) {
        // Names spread over the alphabet so settings land all along the list.
        char name[16];
        std::snprintf(name, sizeof name, "%c%04d", 'A' + (i * 7) % 26, i);
        block += std::string(name) + "=val" + (name + 1); // 4,000 of them fit 65,535 bytes
        block += '\0';
    }
    return block + '\0';
}

// Nine texts of 50 settings: new names, names every base has, references to both.
std::vector<std::string> setting_texts()
{
    std::vector<std::string> texts;
    for (int k = 0; k < 9; ++k) {
        std::string text;
        for (int i = 0; i < 50; ++i) {
            int n = k * 50 + i;
            char setting[40];
            if (i % 3 == 0)
                std::snprintf(setting, sizeof setting, "%c%04d=%%%c%04d%%;x\n", 'A' + (n * 7) % 26,
                              n % 100, 'A' + ((n + 1) * 7) % 26, (n + 1) % 100);
            else
                std::snprintf(setting, sizeof setting, "N%c%03d=%d\n", 'A' + n % 26, n, n);
            text += setting;
        }
        texts.push_back(text);
    }
    return texts;
}

double now_us()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Figures {
    double first, later, naive;
};

Figures measure(int variables, const std::vector<std::string> &texts)
{
    std::string base = base_block(variables);
    const char *pointers[9];
    for (int k = 0; k < 9; ++k)
        pointers[k] = texts[k].c_str();
    auto read_base = [&] { return base.c_str(); };
    std::vector<double> first, later, naive;
    for (int run = 0; run < 15; ++run) {
        auto fresh = std::make_unique<pathenv::Joinenv>();
        double t0 = now_us();
        if (pathenv::join(*fresh, read_base, 9, pointers) == nullptr) {
            std::printf("JOINENV gave no block for %d variables\n", variables);
            std::exit(1);
        }
        first.push_back(now_us() - t0);
    }
    auto storage = std::make_unique<pathenv::Joinenv>();
    pathenv::join(*storage, read_base, 9, pointers);
    for (int run = 0; run < 31; ++run) {
        double t0 = now_us();
        pathenv::join(*storage, read_base, 9, pointers);
        later.push_back(now_us() - t0);
    }
    for (int run = 0; run < 15; ++run) {
        storage->baseLoaded = 0; // the naive join: read and sort the base every time
        double t0 = now_us();
        pathenv::join(*storage, read_base, 9, pointers);
        naive.push_back(now_us() - t0);
    }
    return {median(first), median(later), median(naive)};
}

} // namespace

int main()
{
    std::vector<std::string> texts = setting_texts();
    std::printf("JOINENV, nine texts of 50 settings; medians in microseconds\n");
    std::printf("%10s %12s %12s %12s %14s\n", "variables", "first call", "later call", "naive call",
                "naive / later");
    Figures at1000{};
    Figures at4000{};
    for (int variables : {100, 1000, 4000}) {
        Figures f = measure(variables, texts);
        std::printf("%10d %12.0f %12.0f %12.0f %14.1f\n", variables, f.first, f.later, f.naive,
                    f.naive / f.later);
        if (variables == 1000)
            at1000 = f;
        if (variables == 4000)
            at4000 = f;
    }
    std::printf("later call, 4,000 against 1,000 variables: %.2f times the time (linear: 4)\n",
                at4000.later / at1000.later);
    return 0;
}
