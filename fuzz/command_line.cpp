// The launch's command line: for any program and argument texts (null ones too), the
// command line is program, one space, arguments and a NUL when that fits in its 1024
// bytes; when it does not, it is refused and not a byte of it is written.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "command_line.h"
#include "fuzz_check.h"

namespace {

// A text in a heap block of its own, ended by a NUL: a read past it meets
// AddressSanitizer. Null when absent.
std::unique_ptr<char[]> text_block(std::string_view text, bool absent)
{
    if (absent)
        return nullptr;
    auto block = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(block.get(), text.data(), text.size());
    block[text.size()] = '\0';
    return block;
}

} // namespace

// Input: a flag byte (bit 0: no program text, bit 1: no argument text), the program
// text's length over 8 (two bytes), then the program text and the argument text. Each
// 0xFE n c is c repeated n * 8 times.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    std::string texts;
    for (size_t i = 3; i < size; ++i) {
        if (data[i] == 0xFE && i + 2 < size) {
            texts.append(data[i + 1] * size_t{8}, static_cast<char>(data[i + 2]));
            i += 2;
        } else {
            texts += static_cast<char>(data[i]);
        }
    }
    const size_t split = std::min<size_t>((data[1] | size_t{data[2]} << 8) * 8u, texts.size());
    auto program = text_block(std::string_view(texts).substr(0, split), data[0] & 1);
    auto arguments = text_block(std::string_view(texts).substr(split), data[0] & 2);

    // The texts as the rule reads them: up to a NUL, a null one empty.
    const std::string programText = program ? program.get() : "";
    const std::string argumentText = arguments ? arguments.get() : "";
    const std::string expected = programText + " " + argumentText;

    char commandLine[1024];
    std::memset(commandLine, 'Q', sizeof commandLine);
    const bool built = BuildCommandLine(commandLine, program.get(), arguments.get());
    fuzz::check(built == (expected.size() + 1 <= sizeof commandLine),
                "the command line is built exactly when it fits");
    if (built)
        fuzz::check(std::memcmp(commandLine, expected.c_str(), expected.size() + 1) == 0,
                    "program, one space, arguments and a NUL");
    else
        fuzz::check(std::string(commandLine, sizeof commandLine) == std::string(1024, 'Q'),
                    "a refused command line is left untouched");
    return 0;
}
