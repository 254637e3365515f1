// Runs a fuzz target once on every file of the folders (or on the files) it is given,
// as the tests do with each target's corpus: the seeds and every finding kept there.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

int run_file(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy of its own, so that a target reading past the input meets AddressSanitizer;
    // an empty input is given a real address, as the fuzzer gives one.
    std::vector<uint8_t> input(bytes.begin(), bytes.end());
    static const uint8_t kNothing = 0;
    LLVMFuzzerTestOneInput(input.empty() ? &kNothing : input.data(), input.size());
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given = argv[i];
        if (!std::filesystem::is_directory(given)) {
            inputs += run_file(given);
            continue;
        }
        for (const auto &entry : std::filesystem::directory_iterator(given))
            if (entry.is_regular_file())
                inputs += run_file(entry.path());
    }
    std::printf("%d inputs\n", inputs);
    // A corpus that is not there is a mistake of the build, not a pass.
    return inputs > 0 ? 0 : 1;
}
