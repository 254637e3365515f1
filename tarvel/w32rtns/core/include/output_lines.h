// Line splitting of a child's output: the bytes the pipe reads give, cut into lines at
// CR LF pairs over a 4096-byte buffer with 1-based positions.
#pragma once

#include <cstdint>
#include <functional>

// The line buffer and its indexes.
struct LineBuffer {
    static constexpr uint32_t bufferSize = 4096;

    char outputBuffer[bufferSize] = {};
    char shiftBuffer[bufferSize] = {};
    // Position where the next read stores its first byte.
    uint32_t fillPosition = 0;
    // Count of the last read, then the last filled position.
    uint32_t endPosition = 0;
    uint32_t lineStart = 0;
    uint32_t scanPosition = 0;
    uint32_t lastScanPosition = 0;
    // Set when a full buffer without CR LF went out as a piece of a longer line; the
    // CR LF that ends that line then sends no empty line of its own.
    bool pieceSent = false;
};

// Where the line splitting delivers each line: its bytes and length, without CR LF.
using LineSink = std::function<void(const char *line, uint32_t length)>;

// Line splitting over the output buffer. Before the first read: StartOutput. After
// each read of FreeSpace() bytes or fewer into the buffer at the fill position:
// SplitReadBytes. At end of output: FinishOutput, which sends what is left.
void StartOutput(LineBuffer &lines);
uint32_t FreeSpace(const LineBuffer &lines);
void SplitReadBytes(LineBuffer &lines, uint32_t bytesRead, const LineSink &send);
void FinishOutput(LineBuffer &lines, const LineSink &send);
// Moves the unfinished line (line start to end position) to the front of the buffer.
void KeepPartialLine(LineBuffer &lines);
