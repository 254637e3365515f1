// Splitting a child's output into lines at CR LF pairs, over the 4096-byte output
// buffer with 1-based positions. A CR or LF on its own stays inside its line.
#include "output_lines.h"

#include <cstring>

namespace {

bool crlf_at(const LineBuffer &lines, uint32_t position)
{
    return lines.outputBuffer[position - 1] == '\r' && lines.outputBuffer[position] == '\n';
}

// The line from line start to scan position - 1.
void send_line(LineBuffer &lines, const LineSink &send)
{
    uint32_t length = lines.scanPosition - lines.lineStart;
    bool endsPiece = lines.pieceSent && lines.lineStart == 1 && length == 0;
    lines.pieceSent = false;
    if (!endsPiece)
        send(&lines.outputBuffer[lines.lineStart - 1], length);
}

// A full buffer without CR LF goes out as a piece of its line, so that nothing is
// lost and the next read has room. A final CR stays behind: it may be the first half
// of the CR LF that ends the line.
void send_piece(LineBuffer &lines, const LineSink &send)
{
    const uint32_t size = LineBuffer::bufferSize;
    bool keepCr = lines.outputBuffer[size - 1] == '\r';
    send(lines.outputBuffer, keepCr ? size - 1 : size);
    lines.pieceSent = true;
    lines.outputBuffer[0] = '\r';
    lines.fillPosition = keepCr ? 2 : 1;
}

} // namespace

void StartOutput(LineBuffer &lines)
{
    lines.fillPosition = 1;
    lines.pieceSent = false;
}

uint32_t FreeSpace(const LineBuffer &lines)
{
    return LineBuffer::bufferSize + 1 - lines.fillPosition;
}

void KeepPartialLine(LineBuffer &lines)
{
    uint32_t length = lines.endPosition - lines.lineStart + 1;
    if (lines.lineStart != 1 && length != 0) {
        std::memcpy(lines.shiftBuffer, &lines.outputBuffer[lines.lineStart - 1], length);
        std::memcpy(lines.outputBuffer, lines.shiftBuffer, length);
    }
    lines.fillPosition = length + 1;
}

void SplitReadBytes(LineBuffer &lines, uint32_t bytesRead, const LineSink &send)
{
    if (bytesRead == 0)
        return;
    lines.endPosition = lines.fillPosition + bytesRead - 1;
    lines.scanPosition = 1;
    for (;;) {
        lines.lineStart = lines.scanPosition;
        lines.lastScanPosition = lines.endPosition - 1;
        while (lines.scanPosition < lines.lastScanPosition && !crlf_at(lines, lines.scanPosition))
            ++lines.scanPosition;
        if (lines.scanPosition > lines.lastScanPosition || !crlf_at(lines, lines.scanPosition))
            break;
        send_line(lines, send);
        lines.scanPosition += 2;
    }
    KeepPartialLine(lines);
    if (lines.fillPosition > LineBuffer::bufferSize)
        send_piece(lines, send);
}

void FinishOutput(LineBuffer &lines, const LineSink &send)
{
    if (lines.fillPosition == 1)
        return;
    lines.lineStart = 1;
    lines.scanPosition = lines.fillPosition;
    send_line(lines, send);
}
