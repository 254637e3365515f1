// Line splitting: for any output cut into any reads, the pieces sent, joined, are the
// output less the CR LF pairs that end its lines; no piece is longer than the buffer's
// 4096 bytes; a CR LF split across reads or pieces ends one line, never two (no more
// empty pieces than the output has empty lines); and where no line is longer than the
// buffer the pieces are exactly the lines (but for a line of 4096 bytes whose last is a
// CR: that CR waits for the next read, as it may begin the line's CR LF, and arrives as
// a piece of its own).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "output_lines.h"

namespace {

using Lines = std::vector<std::string>;

// The output cut directly at every CR LF.
Lines cut_at_pairs(std::string_view output)
{
    Lines lines;
    size_t start = 0;
    for (size_t at; (at = output.find("\r\n", start)) != std::string_view::npos; start = at + 2)
        lines.emplace_back(output.substr(start, at - start));
    if (start < output.size())
        lines.emplace_back(output.substr(start));
    return lines;
}

std::string joined(const Lines &lines)
{
    std::string all;
    for (const std::string &line : lines)
        all += line;
    return all;
}

size_t empty_count(const Lines &lines)
{
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), std::string()));
}

// Reads after which each read takes all the room there is: the cuts that matter lie
// in the first ones, and a long output read a byte at a time would cost the fuzzer a
// buffer's copy per byte.
constexpr size_t kChosenReads = 16;

// Splits output as the launch does, each read taking at most the next read size (the
// room there is after the chosen reads) and the buffer's free space.
Lines split(std::string_view output, const std::vector<uint32_t> &readSizes)
{
    auto buffer = std::make_unique<LineBuffer>();
    Lines pieces;
    LineSink sink = [&pieces](const char *line, uint32_t length) {
        pieces.emplace_back(line, length);
    };
    StartOutput(*buffer);
    for (size_t done = 0, read = 0; done < output.size(); ++read) {
        uint32_t wanted =
            read < kChosenReads ? readSizes[read % readSizes.size()] : LineBuffer::bufferSize;
        uint32_t n = std::min<uint32_t>(
            {wanted, FreeSpace(*buffer), static_cast<uint32_t>(output.size() - done)});
        fuzz::check(n > 0, "a read always has room");
        std::memcpy(&buffer->outputBuffer[buffer->fillPosition - 1], output.data() + done, n);
        SplitReadBytes(*buffer, n, sink);
        done += n;
    }
    FinishOutput(*buffer, sink);
    return pieces;
}

} // namespace

// Input: a count of read sizes, the sizes (two bytes each, 1 to 65536), then the output.
// The output's bytes are stretched: each byte 0xFE n c is c repeated n * 32 times.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t sizeCount = std::min<size_t>(1 + data[0] % 8, (size - 1) / 2);
    std::vector<uint32_t> readSizes;
    for (size_t i = 0; i < sizeCount; ++i)
        readSizes.push_back(1u + (data[1 + 2 * i] | uint32_t{data[2 + 2 * i]} << 8));
    if (readSizes.empty())
        readSizes.push_back(4096);
    std::string output;
    for (size_t i = 1 + 2 * sizeCount; i < size; ++i) {
        if (data[i] == 0xFE && i + 2 < size) {
            output.append(data[i + 1] * size_t{32}, static_cast<char>(data[i + 2]));
            i += 2;
        } else {
            output += static_cast<char>(data[i]);
        }
    }

    const Lines pieces = split(output, readSizes);
    const Lines lines = cut_at_pairs(output);
    fuzz::check(joined(pieces) == joined(lines), "the pieces joined are the output less CR LF");
    fuzz::check(std::all_of(pieces.begin(), pieces.end(),
                            [](const std::string &piece) { return piece.size() <= 4096; }),
                "no piece is longer than 4096 bytes");
    fuzz::check(empty_count(pieces) <= empty_count(lines), "a CR LF never ends two lines");
    if (std::all_of(lines.begin(), lines.end(), [](const std::string &line) {
            return line.size() < 4096 || (line.size() == 4096 && line.back() != '\r');
        }))
        fuzz::check(pieces == lines, "lines of up to 4096 bytes arrive whole");
    return 0;
}
