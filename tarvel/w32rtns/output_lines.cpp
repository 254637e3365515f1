// Splitting a child's output into lines at CR LF pairs, over the 4096-byte output
// buffer with 1-based positions. A CR or LF on its own stays inside its line.
#include <cstring>

#include "w32rtns.h"

namespace {

bool crlf_at(const RedirectionState &redirection, uint32_t position)
{
    return redirection.outputBuffer[position - 1] == '\r' &&
           redirection.outputBuffer[position] == '\n';
}

// The line from line start to scan position - 1.
void send_line(RedirectionState &redirection, const LineSink &send)
{
    uint32_t length = redirection.scanPosition - redirection.lineStart;
    bool endsPiece = redirection.pieceSent && redirection.lineStart == 1 && length == 0;
    redirection.pieceSent = false;
    if (!endsPiece)
        send(&redirection.outputBuffer[redirection.lineStart - 1], length);
}

// A full buffer without CR LF goes out as a piece of its line, so that nothing is
// lost and the next read has room. A final CR stays behind: it may be the first half
// of the CR LF that ends the line.
void send_piece(RedirectionState &redirection, const LineSink &send)
{
    const uint32_t size = RedirectionState::bufferSize;
    bool keepCr = redirection.outputBuffer[size - 1] == '\r';
    send(redirection.outputBuffer, keepCr ? size - 1 : size);
    redirection.pieceSent = true;
    redirection.outputBuffer[0] = '\r';
    redirection.fillPosition = keepCr ? 2 : 1;
}

} // namespace

void StartOutput(RedirectionState &redirection)
{
    redirection.fillPosition = 1;
    redirection.pieceSent = false;
}

uint32_t FreeSpace(const RedirectionState &redirection)
{
    return RedirectionState::bufferSize + 1 - redirection.fillPosition;
}

void KeepPartialLine(RedirectionState &redirection)
{
    uint32_t length = redirection.endPosition - redirection.lineStart + 1;
    if (redirection.lineStart != 1 && length != 0) {
        std::memcpy(redirection.shiftBuffer, &redirection.outputBuffer[redirection.lineStart - 1],
                    length);
        std::memcpy(redirection.outputBuffer, redirection.shiftBuffer, length);
    }
    redirection.fillPosition = length + 1;
}

void SplitReadBytes(RedirectionState &redirection, uint32_t bytesRead, const LineSink &send)
{
    if (bytesRead == 0)
        return;
    redirection.endPosition = redirection.fillPosition + bytesRead - 1;
    redirection.scanPosition = 1;
    for (;;) {
        redirection.lineStart = redirection.scanPosition;
        redirection.lastScanPosition = redirection.endPosition - 1;
        while (redirection.scanPosition < redirection.lastScanPosition &&
               !crlf_at(redirection, redirection.scanPosition))
            ++redirection.scanPosition;
        if (redirection.scanPosition > redirection.lastScanPosition ||
            !crlf_at(redirection, redirection.scanPosition))
            break;
        send_line(redirection, send);
        redirection.scanPosition += 2;
    }
    KeepPartialLine(redirection);
    if (redirection.fillPosition > RedirectionState::bufferSize)
        send_piece(redirection, send);
}

void FinishOutput(RedirectionState &redirection, const LineSink &send)
{
    if (redirection.fillPosition == 1)
        return;
    redirection.lineStart = 1;
    redirection.scanPosition = redirection.fillPosition;
    send_line(redirection, send);
}
