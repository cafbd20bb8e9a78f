// printf-style formatting into strings: the whole text, whatever its length
// against the helper's small buffer, appended after what is already there.
#include <gtest/gtest.h>

#include <string>

#include "support/format.h"

namespace vorn {
namespace {

TEST(Format, KeepsTheWholeTextAtEveryLength) {
    for (std::size_t length : {0u, 1u, 126u, 127u, 128u, 129u, 5000u}) {
        const std::string text(length, 'x');
        EXPECT_EQ(Format("%s", text.c_str()), text) << length;
        EXPECT_EQ(Format("<%s|%d>", text.c_str(), -7), "<" + text + "|-7>") << length;
        std::string line = "Process:";
        AppendFormat(line, " %s", text.c_str());
        EXPECT_EQ(line, "Process: " + text) << length;
    }
}

}  // namespace
}  // namespace vorn
