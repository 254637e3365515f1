// ABSPATH's resolution: any input field, against any current drive and directory and
// whatever an earlier call left in the work area, gives a result that leaves the
// field's last byte a space (at most 254 characters), in upper case; it reads no more
// than 254 characters of the input, and the result resolves again to itself.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "abspath_resolve.h"
#include "fuzz_check.h"

namespace {

constexpr size_t kWidth = AbsPath::kFieldWidth;
constexpr size_t kRead = AbsPath::kLastRead;

// A field of exactly width bytes on the heap, so that a byte read or written past it
// meets AddressSanitizer.
std::unique_ptr<char[]> field(std::string_view text, size_t width)
{
    auto bytes = std::make_unique<char[]>(width);
    std::memset(bytes.get(), ' ', width);
    std::memcpy(bytes.get(), text.data(), std::min(text.size(), width));
    return bytes;
}

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

} // namespace

// Input: the current drive (0, unknown, or A to Z), the byte an earlier call left all
// over the work area, the directory's length, the directory, then the path.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const char drive = data[0] % 27 == 0 ? '\0' : static_cast<char>('A' + data[0] % 27 - 1);
    AbsPath storage;
    std::memset(storage.work, data[1], sizeof storage.work);
    const size_t directoryLength = std::min<size_t>(data[2], size - 3);
    const std::string_view rest = fuzz::text_of(data + 3, size - 3);
    auto directory = field(rest.substr(0, directoryLength), abspath::kDirectoryRoom);
    auto input = field(rest.substr(directoryLength), kRead);

    auto output = std::make_unique<char[]>(kWidth);
    abspath::resolve(storage, input.get(), output.get(), drive, directory.get());
    const std::string result(output.get(), kWidth);
    fuzz::check(result.back() == ' ', "the result leaves the field's last byte a space");
    fuzz::check(std::none_of(result.begin(), result.end(), is_lower), "the result is upper case");

    auto again = field(result, kRead);
    auto second = std::make_unique<char[]>(kWidth);
    abspath::resolve(storage, again.get(), second.get(), drive, directory.get());
    fuzz::check(std::string(second.get(), kWidth) == result, "the result resolves to itself");
    return 0;
}
