// Splitting a child's output into lines at CR LF pairs, over the 4096-byte output
// buffer with 1-based positions. A CR or LF on its own stays inside its line.
#include <cstring>

#include "w32rtns.h"

namespace {

bool crlf_at(const RedirectionState &r, uint32_t position)
{
    return r.outputBuffer[position - 1] == '\r' && r.outputBuffer[position] == '\n';
}

// The line from line start to scan position - 1.
void send_line(RedirectionState &r, const LineSink &send)
{
    uint32_t length = r.scanPosition - r.lineStart;
    bool endsPiece = r.pieceSent && r.lineStart == 1 && length == 0;
    r.pieceSent = false;
    if (!endsPiece)
        send(&r.outputBuffer[r.lineStart - 1], length);
}

// A full buffer without CR LF goes out as a piece of its line, so that nothing is
// lost and the next read has room. A final CR stays behind: it may be the first half
// of the CR LF that ends the line.
void send_piece(RedirectionState &r, const LineSink &send)
{
    const uint32_t size = RedirectionState::bufferSize;
    bool keepCr = r.outputBuffer[size - 1] == '\r';
    send(r.outputBuffer, keepCr ? size - 1 : size);
    r.pieceSent = true;
    r.outputBuffer[0] = '\r';
    r.fillPosition = keepCr ? 2 : 1;
}

} // namespace

void StartOutput(RedirectionState &r)
{
    r.fillPosition = 1;
    r.pieceSent = false;
}

uint32_t FreeSpace(const RedirectionState &r)
{
    return RedirectionState::bufferSize + 1 - r.fillPosition;
}

void KeepPartialLine(RedirectionState &r)
{
    uint32_t length = r.endPosition - r.lineStart + 1;
    if (r.lineStart != 1 && length != 0) {
        std::memcpy(r.shiftBuffer, &r.outputBuffer[r.lineStart - 1], length);
        std::memcpy(r.outputBuffer, r.shiftBuffer, length);
    }
    r.fillPosition = length + 1;
}

void SplitReadBytes(RedirectionState &r, uint32_t bytesRead, const LineSink &send)
{
    if (bytesRead == 0)
        return;
    r.endPosition = r.fillPosition + bytesRead - 1;
    r.scanPosition = 1;
    for (;;) {
        r.lineStart = r.scanPosition;
        r.lastScanPosition = r.endPosition - 1;
        while (r.scanPosition < r.lastScanPosition && !crlf_at(r, r.scanPosition))
            ++r.scanPosition;
        if (r.scanPosition > r.lastScanPosition || !crlf_at(r, r.scanPosition))
            break;
        send_line(r, send);
        r.scanPosition += 2;
    }
    KeepPartialLine(r);
    if (r.fillPosition > RedirectionState::bufferSize)
        send_piece(r, send);
}

void FinishOutput(RedirectionState &r, const LineSink &send)
{
    if (r.fillPosition == 1)
        return;
    r.lineStart = 1;
    r.scanPosition = r.fillPosition;
    send_line(r, send);
}
