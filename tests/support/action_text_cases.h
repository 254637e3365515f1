// Action tables as the tests write them in the text form, and texts looked for in a
// program's output.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "action_text.h"

namespace test_support {

// The file a description gives; the test fails when the description is refused.
inline actionfile::ActionFile parsed(const std::string &text)
{
    actionfile::ActionFile file;
    std::string error;
    EXPECT_TRUE(actionfile::parse(text, file, error)) << error;
    return file;
}

// The table of a header and count entries given no field.
inline std::string entries_text(size_t count)
{
    std::string text = "[header]\n";
    for (size_t i = 0; i < count; ++i)
        text += "[entry]\n";
    return text;
}

// Where text is in output; fails the test when it is not there.
inline size_t position(const std::string &output, const std::string &text)
{
    const size_t at = output.find(text);
    EXPECT_NE(at, std::string::npos) << text << " not in:\n" << output;
    return at;
}

} // namespace test_support
