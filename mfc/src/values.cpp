// CString formatting and CPtrArray growth.
#include "mfc.h"

#include <cstdio>

void CString::Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char *format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        text_.clear();
        return;
    }
    std::string out(static_cast<size_t>(length), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    text_ = std::move(out);
}

void CPtrArray::SetAtGrow(int index, void *item)
{
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= items_.size())
        items_.resize(static_cast<size_t>(index) + 1, nullptr);
    items_[static_cast<size_t>(index)] = item;
}
