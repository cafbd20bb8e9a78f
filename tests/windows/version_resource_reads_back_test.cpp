// The version resource built into each program reads back with the values
// the about box shows.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "resources/version_resource.h"
#include "tests/windows/wine_path.h"

namespace vorn {
namespace {

struct Program {
    const char* name;
    std::string path;  // empty: this test program itself
};

std::vector<Program> Programs() {
    std::vector<Program> list{{"this test", ""}};
#ifdef VORN_VORNC_PATH
    list.push_back({"vornc.exe", test::WindowsPath(VORN_VORNC_PATH)});
#endif
#ifdef VORN_SIM_PATH
    list.push_back({"vorn-sim.exe", test::WindowsPath(VORN_SIM_PATH)});
#endif
#ifdef VORN_VORN_PATH
    list.push_back({"vorn.exe", test::WindowsPath(VORN_VORN_PATH)});
#endif
    return list;
}

TEST(VersionResourceReadsBack, FixedVersionsAndStringTable) {
    for (const Program& p : Programs()) {
        SCOPED_TRACE(p.name);
        auto info = ReadVersionResource(p.path);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->fileVersion, (std::array<uint16_t, 4>{0, 1, 0, 0}));
        EXPECT_EQ(info->productVersion, (std::array<uint16_t, 4>{1, 0, 0, 0}));
        EXPECT_EQ(info->fileDescription, "Vorn - Compiler/Interpreter for FSUIPC");
        EXPECT_EQ(info->productName, "Vorn");
    }
}

TEST(VersionResourceReadsBack, OtherStringEntries) {
    struct Row {
        const char* name;
        const char* value;
    };
    const Row rows[] = {
        {"InternalName", "Vorn"},   {"FileVersion", "0.1.0.0"},  {"ProductVersion", "1.0.0.0"},
        {"CompanyName", ""},        {"LegalCopyright", ""},      {"LegalTrademarks", ""},
        {"OriginalFilename", ""},   {"Comments", ""},
    };
    for (const Program& p : Programs()) {
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(p.name) + " " + r.name);
            auto value = ReadVersionString(p.path, r.name);
            ASSERT_TRUE(value.has_value());
            EXPECT_EQ(*value, r.value);
        }
    }
}

TEST(VersionResourceReadsBack, MissingEntryOrResourceIsReported) {
    EXPECT_FALSE(ReadVersionString("", "NoSuchEntry").has_value());
    // A system DLL without our string table, and a file that does not exist.
    EXPECT_FALSE(ReadVersionString("C:\\windows\\system32\\kernel32.dll", "ProductName").has_value());
    EXPECT_FALSE(ReadVersionResource("C:\\no\\such\\file.exe").has_value());
}

}  // namespace
}  // namespace vorn
