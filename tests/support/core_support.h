// Helpers of the tests that build for the host too: fixed-width fields and files read
// whole.
#pragma once

#include <cstddef>
#include <string>

namespace test_support {

// A field of width bytes that ends right before an inaccessible page, so that a
// routine reading or writing one byte past it faults.
class GuardedField {
public:
    explicit GuardedField(size_t width);
    ~GuardedField();
    GuardedField(const GuardedField &) = delete;
    GuardedField &operator=(const GuardedField &) = delete;
    char *data() { return field_; }
    std::string text() const { return std::string(field_, width_); }
    // The field holds text, cut to it, padded with pad.
    void fill(const std::string &text, char pad = ' ');

private:
    size_t width_;
    size_t span_ = 0; // the bytes reserved, the inaccessible page included
    char *base_ = nullptr;
    char *field_ = nullptr;
};

// text followed by blanks up to width, as a fixed-width text field holds it.
std::string padded(const std::string &text, size_t width);

std::string read_file(const std::string &path);

} // namespace test_support
