// The view of `vornc run`: lines go out as they arrive, the rest is kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "workbench/headless_view.h"

namespace vorn {
namespace {

std::string Contents(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

TEST(HeadlessView, SendsOutputAndTraceLinesToTheirStreams) {
    std::FILE* out = std::tmpfile();
    std::FILE* trace = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ASSERT_NE(trace, nullptr);
    HeadlessView view({"int a;"}, out, trace);
    view.AppendOutputLine("hello");
    view.AppendInterpreterLine("Process:000, PC 0000: HLT");
    view.AppendOutputLine("");
    EXPECT_EQ(Contents(out), "hello\n\n");
    EXPECT_EQ(Contents(trace), "Process:000, PC 0000: HLT\n");
    EXPECT_EQ(view.OutputLineCount(), 2);
    view.ClearOutput();
    EXPECT_EQ(view.OutputLineCount(), 0);
    std::fclose(out);
    std::fclose(trace);
}

TEST(HeadlessView, KeepsWhatTheWindowWouldShow) {
    HeadlessView view({"a", "b"}, nullptr, nullptr);
    EXPECT_EQ(view.EditorLines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(view.CompilePicture(), 11);
    view.SetCompilePicture(12);
    EXPECT_EQ(view.CompilePicture(), 12);
    view.SetCompilerText("listing");
    EXPECT_EQ(view.CompilerText(), "listing");
    view.SetPageVisible(3, true);
    EXPECT_TRUE(view.PageVisible(3));
    view.SetPageVisible(7, true);  // out of range: ignored
    EXPECT_FALSE(view.PageVisible(7));
    view.ShowError("first");
    view.ShowError("second");
    EXPECT_EQ(view.TakeErrors(), (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(view.Errors().empty());
}

}  // namespace
}  // namespace vorn
