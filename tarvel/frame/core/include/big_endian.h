// A big-endian binary field (most significant byte first) of N bytes, as the file
// routines' offset and count fields are; no call site swaps bytes by hand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace frame {

template <size_t N>
struct BigEndian {
    static_assert(N >= 1 && N <= 8);
    uint8_t bytes[N] = {};

    uint64_t get() const
    {
        uint64_t value = 0;
        for (size_t i = 0; i < N; ++i)
            value = (value << 8) | bytes[i];
        return value;
    }

    void set(uint64_t value)
    {
        for (size_t i = N; i-- > 0;) {
            bytes[i] = static_cast<uint8_t>(value & 0xFF);
            value >>= 8;
        }
    }
};

static_assert(sizeof(BigEndian<8>) == 8);
static_assert(sizeof(BigEndian<4>) == 4);

} // namespace frame
