// The expansion of an action table's appDir into the application directory switch's
// work path: "$" variables and the bounds of both fields.
#include <gtest/gtest.h>

#include <string>

#include "appdir_expand.h"
#include "core_support.h"

using test_support::GuardedField;
using test_support::padded;

namespace {

constexpr size_t kWidth = AppDirSwitch::kPathWidth;

// The work path for appDir when the variable it names has value (empty: unset).
std::string expanded(const std::string &appDir, const std::string &value = "")
{
    AppDirSwitch s;
    std::string field = padded(appDir, kWidth);
    appdir::expand(s, field.data(), value);
    std::string work(s.workPath, kWidth);
    return work.substr(0, work.find_last_not_of(' ') + 1);
}

} // namespace

TEST(AppDirExpansion, FirstElementOfTheVariableThenTheRest)
{
    const std::string root = "C:\\base;D:\\other";
    EXPECT_EQ(expanded("$PATHSROOT\\tools", root), "C:\\base\\tools");
    EXPECT_EQ(expanded("$PATHSROOT", root), "C:\\base");
    EXPECT_EQ(expanded("C:\\plain\\dir", root), "C:\\plain\\dir");
    EXPECT_EQ(expanded("$PATHSONE/tools", "C:\\base"), "C:\\base/tools");
    EXPECT_EQ(expanded("$PATHSUNSET\\tools"), "tools");
    EXPECT_EQ(expanded("$PATHSUNSET/tools"), "tools");
    // An empty name names no variable that is set: the rest alone.
    EXPECT_EQ(expanded("$\\x"), "x");
}

TEST(AppDirExpansion, ScansStopAtTheEndsOfTheirFields)
{
    // A name that fills appDir has no end inside it; the field is never read past.
    GuardedField appDir(kWidth);
    appDir.fill("$" + std::string(kWidth - 1, 'N'), 'N');
    AppDirSwitch s;
    appdir::expand(s, appDir.data(), "");
    // The fields are packed: their values are compared, not references to them.
    EXPECT_EQ(uint32_t{s.nameEnd}, kWidth + 1);
    EXPECT_EQ(std::string(s.workPath, kWidth), std::string(kWidth, ' '));

    // A value whose first element fills the work path: that element alone.
    std::string value(300, 'v');
    std::string field = padded("$PATHSFULL\\tail", kWidth);
    appdir::expand(s, field.data(), value);
    EXPECT_EQ(uint32_t{s.valueEnd}, kWidth + 1);
    EXPECT_EQ(std::string(s.workPath, kWidth), value.substr(0, kWidth));

    // A NUL ends appDir's text as it ends the name.
    std::string nul = padded("C:\\A", kWidth);
    nul[4] = '\0';
    nul[5] = 'x';
    appdir::expand(s, nul.data(), "");
    EXPECT_EQ(std::string(s.workPath, kWidth), padded("C:\\A", kWidth));
}
