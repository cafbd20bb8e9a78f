// The code image's exact layout and the checks of its reader.
#include <gtest/gtest.h>

#include <cstring>

#include "machine/code_image.h"
#include "machine/ins_set.h"

namespace vorn {
namespace {

std::vector<std::int32_t> Words(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    std::vector<std::int32_t> out(count);
    std::memcpy(out.data(), bytes.data(), 4 * count);
    return out;
}

std::vector<std::uint8_t> FromWords(std::initializer_list<std::int32_t> words) {
    std::vector<std::uint8_t> out(4 * words.size());
    std::memcpy(out.data(), std::data(words), out.size());
    return out;
}

TEST(CodeImageLayout, KeyRoutineExampleWordForWord) {
    CodeImage img;
    img.dataEnd = kDataBase + 4;
    img.keys = {{0, 65, 2, -1}};
    img.code = {kOpPushC, 5, kOpWAIT, kOpHLT};
    const std::vector<std::uint8_t> bytes = WriteCodeImage(img);
    ASSERT_EQ(bytes.size(), 4u * 14);
    EXPECT_EQ(Words(bytes, 13),
              (std::vector<std::int32_t>{0x1000004, 1, 0, 65, 2, -1, 0, 4, 3, 5, 32, 1, 1}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()), std::vector<std::uint8_t>(4, 0));
}

TEST(CodeImageLayout, DataWordsAndPadding) {
    struct Row {
        std::size_t n;
        std::int32_t words;
        std::size_t padding;
    };
    for (const Row& row : {Row{0, 1, 4}, Row{1, 1, 3}, Row{4, 2, 4}, Row{5, 2, 3}, Row{8, 3, 4}}) {
        CodeImage img;
        img.data.assign(row.n, 0xAB);
        img.dataEnd = kDataBase + static_cast<std::int32_t>(row.n) + 4;
        const std::vector<std::uint8_t> bytes = WriteCodeImage(img);
        // dataEnd, P, J, C, D then the data bytes.
        ASSERT_EQ(bytes.size(), 20 + 4u * row.words) << row.n;
        EXPECT_EQ(Words(bytes, 5)[0], kDataBase + static_cast<std::int32_t>(row.n) + 4);
        EXPECT_EQ(Words(bytes, 5)[2], 0) << "no labels";
        EXPECT_EQ(Words(bytes, 5)[4], row.words) << row.n;
        for (std::size_t i = 0; i < row.n; ++i) EXPECT_EQ(bytes[20 + i], 0xAB);
        for (std::size_t i = 0; i < row.padding; ++i) EXPECT_EQ(bytes[20 + row.n + i], 0) << row.n;
    }
}

TEST(CodeImageLayout, ReadsBackWhatWasWritten) {
    CodeImage img;
    img.data = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    img.dataEnd = kDataBase + 13;
    img.keys = {{2, 71, 2, kDataBase}, {0, 65, 0, -1}};
    img.labels = {0, 2, 5};
    img.code = {kOpPushC, 1, kOpHLT, kOpHLT, kOpHLT};
    CodeImage back;
    std::string error;
    ASSERT_TRUE(ReadCodeImage(WriteCodeImage(img), back, error)) << error;
    EXPECT_EQ(back.dataEnd, img.dataEnd);
    ASSERT_EQ(back.keys.size(), 2u);
    EXPECT_EQ(back.keys[0].entryPoint, 2);
    EXPECT_EQ(back.keys[0].keyCode, 71);
    EXPECT_EQ(back.keys[0].modifier, 2);
    EXPECT_EQ(back.keys[0].paramAddress, kDataBase);
    EXPECT_EQ(back.keys[1].paramAddress, -1);
    EXPECT_EQ(back.labels, img.labels);
    EXPECT_EQ(back.code, img.code);
    EXPECT_EQ(back.data, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

TEST(CodeImageLayout, MalformedImagesAreRefusedWithAReason) {
    const std::int32_t E = kDataBase + 4;
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    };
    std::vector<std::uint8_t> extra = FromWords({E, 0, 0, 0, 1, 0});
    extra.push_back(7);
    const Row rows[] = {
        {"empty", {}, "the image is empty"},
        {"three bytes", {1, 2, 3}, "the image ends inside its header"},
        {"data end below the segment", FromWords({kDataBase, 0, 0, 0, 1, 0}), "data segment end 16777216 is outside"},
        {"data end in the frame region", FromWords({kFrameBase + 1, 0, 0, 0, 1, 0}), "is outside"},
        {"key count above 101", FromWords({E, 102}), "key count 102 is outside 0..101"},
        {"negative key count", FromWords({E, -1}), "key count -1 is outside"},
        {"short key table", FromWords({E, 1, 0, 65, 2}), "ends inside the key table"},
        {"label count past the end", FromWords({E, 0, 1000, 0}), "ends inside the label table"},
        {"negative label count", FromWords({E, 0, -5}), "label count -5 is negative"},
        {"code count past the end", FromWords({E, 0, 0, 0x7FFFFFFF, 1}), "ends inside the code"},
        {"no data word count", FromWords({E, 0, 0, 0}), "ends before the data word count"},
        {"data words beyond the segment", FromWords({E, 0, 0, 0, 2, 0, 0}), "does not fit the data segment"},
        {"missing data bytes", FromWords({E, 0, 0, 0, 1}), "0 data bytes follow where the data word count says 4"},
        {"trailing bytes", extra, "5 data bytes follow"},
        {"label outside the code", FromWords({E, 0, 1, 2, 1, kOpHLT, 1, 0}), "label 0 targets 2, outside the code"},
        {"negative label", FromWords({E, 0, 1, -1, 1, kOpHLT, 1, 0}), "label 0 targets -1"},
        {"entry point outside the code", FromWords({E, 1, 1, 65, 0, -1, 0, 1, kOpHLT, 1, 0}),
         "key routine 0 starts at 1, outside the code"},
        {"parameter outside the segment", FromWords({E, 1, 0, 65, 0, kDataBase + 1, 0, 1, kOpHLT, 1, 0}),
         "key routine 0 has its parameter at 1000001"},
        {"parameter in FSUIPC", FromWords({E, 1, 0, 65, 0, 0x570, 0, 1, kOpHLT, 1, 0}), "has its parameter at 570"},
    };
    for (const Row& row : rows) {
        CodeImage img;
        std::string error;
        EXPECT_FALSE(ReadCodeImage(row.bytes, img, error)) << row.what;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.what << ": " << error;
    }
}

TEST(CodeImageLayout, LabelMayMarkTheEndOfTheCode) {
    CodeImage img;
    std::string error;
    EXPECT_TRUE(ReadCodeImage(FromWords({kDataBase + 4, 0, 1, 1, 1, kOpHLT, 1, 0}), img, error)) << error;
}

}  // namespace
}  // namespace vorn
