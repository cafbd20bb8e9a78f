// The window core's rules on plain data: line ends and encodings of source
// files, the search, the caret label, the about box's place, and the
// component table both windows build themselves from.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/workbench/window_cases.h"
#include "workbench/component_table.h"
#include "workbench/source_text.h"
#include "workbench/text_search.h"
#include "workbench/toolbar_pictures.h"
#include "workbench/version_reader.h"
#include "workbench/view.h"
#include "workbench/window_core.h"

namespace vorn::test {
namespace {

TEST(SourceText, LineEndsReadAndWrite) {
    for (const LineEndCase& c : kLineEndCases) {
        const SourceText text = DecodeSourceText(c.bytes);
        EXPECT_EQ(text.lines, c.lines) << c.name;
        EXPECT_EQ(text.encoding, TextEncoding::Utf8) << c.name;
        EXPECT_EQ(EncodeSourceText(text.lines, text.encoding), c.written) << c.name;
        // What the editor holds reads back as the same lines.
        EXPECT_EQ(SplitLines(EditorText(c.lines)), c.lines) << c.name;
    }
}

TEST(SourceText, BytesThatAreNotUtf8RoundTrip) {
    const std::string cases[] = {
        "// caf\xe9\r\nprintstr(\"\xff\xfe\");\r\n",
        "\xc0\xaf overlong\r\n",
        "\xed\xa0\x80 surrogate\r\n",
        "\xf4\x90\x80\x80 beyond U+10FFFF\r\n",
        "cut short \xe2\x82\r\n",
    };
    for (const std::string& bytes : cases) {
        const SourceText text = DecodeSourceText(bytes);
        EXPECT_EQ(text.encoding, TextEncoding::Latin1) << bytes;
        EXPECT_EQ(EncodeSourceText(text.lines, text.encoding), bytes);
    }
    EXPECT_EQ(DecodeSourceText("// caf\xe9").lines[0], "// caf\xc3\xa9");
}

TEST(SourceText, Latin1FileWithNewCharactersIsWrittenAsUtf8) {
    const std::vector<std::string> lines{"caf\xc3\xa9 \xe2\x82\xac"};
    EXPECT_EQ(EncodeSourceText(lines, TextEncoding::Latin1), lines[0] + "\r\n");
    EXPECT_EQ(EncodeSourceText({"caf\xc3\xa9"}, TextEncoding::Latin1), "caf\xe9\r\n");
}

TEST(TextSearch, Rules) {
    for (const SearchCase& c : kSearchCases) {
        const SearchResult r = Search(c.lines, c.text, c.col, c.matchCase, c.row);
        const std::string got =
            r.found ? std::to_string(r.line) + ":" + std::to_string(r.column) : NotFoundMessage(r);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(CaretLabel, CountsFromOne) {
    EXPECT_EQ(CaretLabel(0, 0), "Line 1: Char 1");
    EXPECT_EQ(CaretLabel(2, 6), "Line 3: Char 7");
}

TEST(FindDialog, OpensInTheLowerRightCorner) {
    struct Case {
        ScreenRect window;
        int width, height;
        int left, top;
    } const cases[] = {
        {{100, 50, 756, 577}, 350, 150, 100 + 756 - 350 - 8, 50 + 577 - 150 - 8},
        {{0, 0, 358, 158}, 350, 150, 0, 0},    // just fits beside the margin
        {{0, 0, 300, 100}, 350, 150, 0, 0},    // larger than the window: its corner
    };
    for (const Case& c : cases) {
        const ScreenRect r = FindDialogPlace(c.window, c.width, c.height);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.width, c.width);
    }
}

TEST(AboutBox, CentredInLogicalPixelsAndTexts) {
    const Origin o = CentredOrigin(1920, 1080, kAboutWidth, kAboutHeight);
    EXPECT_EQ(o.x, 800);
    EXPECT_EQ(o.y, 420);
    const AboutTexts texts = AboutTextsOf(ReadVersionInfo());
    EXPECT_EQ(texts.caption, "About Vorn");
    EXPECT_EQ(texts.version, "Version 0.1.0.0");
    EXPECT_EQ(texts.description, "Vorn - Compiler/Interpreter for FSUIPC");
    EXPECT_EQ(AboutTextsOf(VersionInfo{}).version, "No version information available");
}

TEST(ComponentTable, NamesAreUniqueAndOwnersExist) {
    std::set<std::string> names;
    int pages = 0;
    for (const Component& c : Components()) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        if (c.kind == ComponentKind::kMenuItem) {
            const Component* menu = FindComponent(c.owner);
            ASSERT_NE(menu, nullptr) << c.name;
            EXPECT_EQ(menu->kind, ComponentKind::kMenu) << c.name;
        }
        if (c.kind == ComponentKind::kToolButton) {
            EXPECT_GE(c.picture, 0) << c.name;
            EXPECT_LT(c.picture, kToolbarPictureCount) << c.name;
            EXPECT_NE(FindCommand(c.command, ComponentKind::kMenuItem), nullptr) << c.name << " has no menu item";
        }
        if (c.kind == ComponentKind::kPage) ++pages;
        if (c.shortcut[0] != '\0') {
            const Shortcut s = ParseShortcut(c.shortcut);
            EXPECT_TRUE(s.letter != 0 || s.function != 0) << c.name << " " << c.shortcut;
        }
    }
    EXPECT_EQ(pages, kPageCount);
    EXPECT_EQ(std::string(Components()[0].name), "File1");
}

TEST(ComponentTable, Shortcuts) {
    struct Row {
        const char* text;
        bool ctrl;
        char letter;
        int function;
    };
    const Row rows[] = {{"Ctrl+N", true, 'N', 0}, {"F3", false, 0, 3}, {"F12", false, 0, 12},
                        {"F13", false, 0, 0},     {"", false, 0, 0},   {"Ctrl+", false, 0, 0},
                        {"F0", false, 0, 0}};
    for (const Row& r : rows) {
        const Shortcut s = ParseShortcut(r.text);
        EXPECT_EQ(s.ctrl, r.ctrl) << r.text;
        EXPECT_EQ(s.letter, r.letter) << r.text;
        EXPECT_EQ(s.function, r.function) << r.text;
    }
}

TEST(ToolbarPictures, EveryPictureHasShapesOnTheGrid) {
    for (int i = 0; i < kToolbarPictureCount; ++i) {
        ASSERT_FALSE(PictureShapes(i).empty()) << i;
        for (const PictureShape& s : PictureShapes(i)) {
            ASSERT_GE(s.points.size(), 2u) << i;
            for (const PicturePoint& p : s.points) {
                EXPECT_GE(p.x, 0) << i;
                EXPECT_LE(p.x, 16) << i;
                EXPECT_GE(p.y, 0) << i;
                EXPECT_LE(p.y, 16) << i;
            }
        }
    }
    EXPECT_TRUE(PictureShapes(kToolbarPictureCount).empty());
    EXPECT_TRUE(PictureShapes(-1).empty());
}

}  // namespace
}  // namespace vorn::test
