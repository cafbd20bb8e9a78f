// How a compile ends: conversion failures abort with nothing written,
// errors suppress the image, bad sizes are refused, and every shipped example
// compiles cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "compiler/compile_source.h"
#include "support/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/include_search.h"
#include "tests/compiler/backend_test_util.h"

namespace vorn::testing {
namespace {

TEST(CompileFailures, UnconvertibleLiteralAbortsWithNothingWritten) {
    const std::string programs[] = {
        "int x; key(Control, 'a') { x = 2147483648; }",
        "int x at $100000000;",
        "int t[99999999999];",
        "key(4294967296, 'a') { }",
        "int x; key(Control, 'a') { x = 1; } int y at 0x123456789;",
        "float f; key(Control, 'a') { f = 1" + std::string(400, '0') + ".5; }",
    };
    for (const std::string& program : programs) {
        SCOPED_TRACE(program.substr(0, 60));
        MemoryStream source, listing, image;
        source.Write(program);
        listing.Write("stale");
        image.Write("stale");
        EXPECT_THROW(CompileSource(source, listing, image, true), Error);
        EXPECT_EQ(listing.Size(), 0u);
        EXPECT_EQ(image.Size(), 0u);
    }
}

// The message names a huge literal by its first 40 characters only.
TEST(CompileFailures, UnconvertibleLiteralIsNamedByItsStart) {
    const struct {
        std::string literal;
        std::string shown;
    } cases[] = {{std::string(40, '9'), std::string(40, '9')},
                 {std::string(41, '9'), std::string(40, '9') + "..."},
                 {std::string(10 << 20, '9'), std::string(40, '9') + "..."}};
    for (const auto& c : cases) {
        MemoryStream source, listing, image;
        source.Write("int x; key(Control, 'a') { x = " + c.literal + "; }");
        try {
            CompileSource(source, listing, image, false);
            ADD_FAILURE() << "no failure";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + c.shown + "' is not a valid integer value");
        }
    }
}

TEST(CompileFailures, LargestLiteralsStillConvert) {
    const Compiled c = Compile("int x; key(Control, 'a') { x = 2147483647 + $FFFFFFFF; }");
    ASSERT_TRUE(c.ok) << c.listingText;
    EXPECT_EQ(Split(c).code, (std::vector<std::int32_t>{3, 2147483647, 3, -1, 13, 6, 0x1000000, 4, 1}));
}

TEST(CompileFailures, ErrorsSuppressTheImageButKeepTheListing) {
    const Compiled c = Compile("int x; key(Control, 'a') { x = 1; } int x;");
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.imageBytes.empty());
    EXPECT_EQ(c.lines.front(), "Add vbl int x local location 1000000");
    EXPECT_TRUE(HasDiagnostic(c, "Identifier x redeclared"));
}

TEST(CompileFailures, EmptyProgramHasNoImage) {
    const Compiled c = Compile("");
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.imageBytes.empty());
    EXPECT_EQ(c.lines, (std::vector<std::string>{": 0: syntax error at or before "}));
}

struct SizeCase {
    const char* program;
    const char* message;
};

TEST(CompileFailures, ArraySizesAreChecked) {
    const SizeCase cases[] = {
        {"int t[0];", "Array t needs a size of at least 1"},
        {"int t[0] at $100;", "Array t needs a size of at least 1"},
        {"byte t[$80000000];", "Array t needs a size of at least 1"},
        {"int t[$FFFFFFF];", "Array t does not fit in the data segment"},
        {"byte a[16777212]; int t[2];", "Array t does not fit in the data segment"},
        {"float t[2147483647] at $100;", "Array t is too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const Compiled r = Compile(c.program, false);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(HasDiagnostic(r, c.message)) << r.listingText;
    }
    // The last byte of the segment can still be used.
    const Compiled fits = Compile("byte a[16777211]; byte b[1];", false);
    EXPECT_TRUE(fits.ok) << fits.listingText;
    const Compiled full = Compile("byte a[16777212]; int b;", false);
    EXPECT_FALSE(full.ok);
    EXPECT_TRUE(HasDiagnostic(full, "Data segment full")) << full.listingText;
}

TEST(CompileFailures, RefusedArrayNeverShrinksTheDataSegment) {
    const Compiled c = Compile("int a; byte t[$80000000]; int b;");
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.lines.back(), "Add vbl int b local location 1000004");
}

TEST(CompileExamples, EveryExampleCompilesWithoutErrors) {
    const std::filesystem::path dir = std::filesystem::path(VORN_SOURCE_DIR) / "examples";
    std::vector<std::filesystem::path> files;
    if (std::filesystem::exists(dir))
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().extension() == ".vrn") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no examples in " << dir;
    // Includes are resolved against the current directory.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        MemoryStream source, expanded, listing, image;
        source.Write(text);
        ExpandOptions options;
        options.includeFolders = IncludeFolders(file.string());  // fsuipc.vrn from the library
        Expand(source, expanded, nullptr, options);
        const bool ok = CompileSource(expanded, listing, image, false);
        EXPECT_TRUE(ok) << listing.Text();
        EXPECT_GT(image.Size(), 0u);
    }
    std::filesystem::current_path(previous);
}

}  // namespace
}  // namespace vorn::testing
