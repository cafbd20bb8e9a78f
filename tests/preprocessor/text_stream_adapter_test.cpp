// Line reading and writing over in-memory streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error.h"
#include "preprocessor/memory_stream.h"
#include "preprocessor/text_stream_adapter.h"

namespace vorn {
namespace {

std::vector<std::string> ReadAll(const std::string& bytes) {
    MemoryStream stream;
    stream.Write(bytes);
    TextStreamAdapter reader;
    reader.AssignStream(&stream);
    reader.Reset();
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line)) {
        lines.push_back(line);
        if (lines.size() > 10000) break;  // a reader that never ends must not hang the test
    }
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ReaderLineRules : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReaderLineRules, SplitsLinesByTheLineRules) {
    EXPECT_EQ(ReadAll(GetParam().bytes), GetParam().lines);
}

const std::string kLong(300, 'q');

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderLineRules,
    ::testing::Values(
        LineCase{"Empty", "", {}},
        LineCase{"LastLineWithoutEnd", "abc", {"abc"}},
        LineCase{"EndingLfAddsNoEmptyLine", "abc\n", {"abc"}},
        LineCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
        LineCase{"LoneCrDropped", "a\rb\n", {"ab"}},
        LineCase{"TwoCrsBeforeLf", "x\r\r\ny", {"x", "y"}},
        LineCase{"TrailingCrAtEnd", "a\r", {"a"}},
        LineCase{"EmptyLines", "\n\n", {"", ""}},
        LineCase{"CtrlZAtLineStartEnds", "a\n\x1A" "b\nc\n", {"a"}},
        LineCase{"CtrlZAloneIsEmptyInput", "\x1A", {}},
        LineCase{"CtrlZInsideLineIsOrdinary", "a\x1A" "b\nc", {"a\x1A" "b", "c"}},
        LineCase{"LineLongerThanBuffer", kLong + "\r\n" + kLong, {kLong, kLong}},
        LineCase{"CrLfAcrossBufferBoundary", std::string(127, 'x') + "\r\nz", {std::string(127, 'x'), "z"}},
        LineCase{"HighBytesKept", "\xE9\xFF\n", {"\xE9\xFF"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextStreamAdapter, BindingToNoStreamIsAnAssertionNamingStreamIO) {
    TextStreamAdapter adapter;
    try {
        adapter.AssignStream(nullptr);
        FAIL() << "expected vorn::Error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("StreamIO"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(adapter.IsAssigned());
}

TEST(TextStreamAdapter, ReadingStartsAtTheStreamStart) {
    MemoryStream stream;
    stream.Write("first\nsecond\n");
    stream.Seek(8);
    TextStreamAdapter reader;
    reader.AssignStream(&stream);
    reader.Reset();
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "first");
}

TEST(TextStreamAdapter, ReadLineAtEndGivesFalseAndEmptyLine) {
    MemoryStream stream;
    stream.Write("a");
    TextStreamAdapter reader;
    reader.AssignStream(&stream);
    reader.Reset();
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_TRUE(reader.Eof());
    line = "junk";
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "");
}

TEST(TextStreamAdapter, WritesLinesWithCrLf) {
    MemoryStream stream;
    TextStreamAdapter writer;
    writer.AssignStream(&stream);
    writer.Rewrite();
    writer.WriteLine("one");
    writer.WriteLine("");
    writer.Write("two");
    writer.Close();
    EXPECT_EQ(stream.Text(), "one\r\n\r\ntwo");
}

TEST(TextStreamAdapter, LineEndFlushesToTheStream) {
    MemoryStream stream;
    TextStreamAdapter writer;
    writer.AssignStream(&stream);
    writer.Rewrite();
    writer.Write("partial");
    EXPECT_EQ(stream.Size(), 0u);  // still in the buffer
    writer.WriteLine("");
    EXPECT_EQ(stream.Text(), "partial\r\n");
}

TEST(TextStreamAdapter, LongTextIsWrittenWhole) {
    const std::string text(1000, 'w');
    MemoryStream stream;
    TextStreamAdapter writer;
    writer.AssignStream(&stream);
    writer.Rewrite();
    writer.WriteLine(text);
    EXPECT_EQ(stream.Text(), text + "\r\n");
}

TEST(TextStreamAdapter, RewriteOverwritesWithoutTruncating) {
    MemoryStream stream;
    stream.Write("XXXXXXXX");
    TextStreamAdapter writer;
    writer.AssignStream(&stream);
    writer.Rewrite();
    writer.WriteLine("ab");
    writer.Close();
    EXPECT_EQ(stream.Text(), "ab\r\nXXXX");
}

TEST(TextStreamAdapter, AppendWritesAtTheEnd) {
    MemoryStream stream;
    stream.Write("old\r\n");
    stream.Rewind();
    TextStreamAdapter writer;
    writer.AssignStream(&stream);
    writer.Append();
    writer.WriteLine("new");
    writer.Close();
    EXPECT_EQ(stream.Text(), "old\r\nnew\r\n");
}

TEST(TextStreamAdapter, ReadingBeforeOpeningIsRefused) {
    MemoryStream stream;
    stream.Write("a\n");
    TextStreamAdapter reader;
    reader.AssignStream(&stream);
    std::string line;
    EXPECT_THROW(reader.ReadLine(line), Error);
    TextStreamAdapter unbound;
    EXPECT_THROW(unbound.Reset(), Error);
}

}  // namespace
}  // namespace vorn
