// The source expander: defines, includes and their error lines.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/error.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

std::string ExpandText(const std::string& source) {
    MemoryStream in;
    in.Write(source);
    MemoryStream out;
    Expand(in, out);
    EXPECT_EQ(out.Position(), out.Size());
    return out.Text();
}

struct ExpandCase {
    const char* name;
    std::string source;
    std::string expanded;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ExpandCase& c, std::ostream* os) { *os << c.name; }

class ExpandDefines : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandDefines, ExpandsAsExpected) { EXPECT_EQ(ExpandText(GetParam().source), GetParam().expanded); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandDefines,
    ::testing::Values(
        ExpandCase{"EmptyInput", "", ""},
        ExpandCase{"PlainLinesGetCrLf", "a\nb", "a\r\nb\r\n"},
        ExpandCase{"CrLfInputKeepsLines", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        ExpandCase{"DefineReplacesAndVanishes", "#define MAX 10\nint a = MAX;\n", "int a = 10;\r\n"},
        ExpandCase{"DirectiveInCapitals", "#DEFINE X 1\nX\n", "1\r\n"},
        ExpandCase{"DirectiveMixedCase", "#DeFiNe X 1\nX\n", "1\r\n"},
        ExpandCase{"DefineWithoutBlankIsOrdinary", "#defineX 1\nX\n", "#defineX 1\r\nX\r\n"},
        ExpandCase{"DirectiveAnywhereInLine", "  // #define X 7\nX\n", "7\r\n"},
        ExpandCase{"NameMatchesInsideWords", "#define ON 1\nMONTH\n", "M1TH\r\n"},
        ExpandCase{"NameMatchesAnyCase", "#define max 10\nMAX Max\n", "10 Max\r\n"},
        ExpandCase{"OneReplacementPerEntry", "#define X 1\nX + X\n", "1 + X\r\n"},
        ExpandCase{"SecondDefineIsSecondEntry", "#define X 1\n#define X 2\nX + X\n", "1 + 2\r\n"},
        ExpandCase{"LaterEntriesSeeInsertedText", "#define A B\n#define B C\nA\n", "C\r\n"},
        ExpandCase{"EarlierEntriesDoNot", "#define B C\n#define A B\nA\n", "B\r\n"},
        ExpandCase{"DefineActsOnlyOnLaterLines", "X\n#define X 1\nX\n", "X\r\n1\r\n"},
        ExpandCase{"DefineLinesAreNotSubstituted", "#define X 1\n#define Y X\nY\n", "X\r\n"},
        ExpandCase{"ValueKeepsTrailingBlanks", "#define X Hello World  \n[X]\n", "[Hello World  ]\r\n"},
        ExpandCase{"EmptyValue", "#define FLAG\nFLAG;\n", ";\r\n"},
        ExpandCase{"EmptyValueWithBlank", "#define FLAG \nFLAG;\n", ";\r\n"},
        ExpandCase{"ValueInsertedAsWritten", "#define x Abc\nX\n", "Abc\r\n"},
        ExpandCase{"CtrlZEndsInput", "a\n\x1A" "b\n", "a\r\n"},
        ExpandCase{"IncludeWithoutQuote", "#include foo.vrn\nx\n", "error - expected file name in quotes:#include foo.vrn\r\nx\r\n"},
        ExpandCase{"IncludeWithoutClosingQuote", "#include \"foo.vrn\n", "error - expected closing quote:#include \"foo.vrn\r\n"},
        ExpandCase{"IncludeOfEmptyName", "#include \"\"\n", "error - file does not exist:#include \"\"\r\n"},
        ExpandCase{"IncludeOfMissingFile", "  #Include \"no/such/file.vrn\" // x\n",
                   "error - file does not exist:  #Include \"no/such/file.vrn\" // x\r\n"},
        ExpandCase{"IncludeWinsOverDefine", "#include #define X 1\nX\n",
                   "error - expected file name in quotes:#include #define X 1\r\nX\r\n"},
        ExpandCase{"DefineNotAppliedToIncludeLine", "#define Q \"\n#include Q\n",
                   "error - expected file name in quotes:#include Q\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DefineCase {
    const char* line;
    const char* name;
    const char* value;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DefineCase& c, std::ostream* os) {
    *os << '[';
    for (const char* p = c.line; *p != '\0'; ++p) *os << (*p == '\t' ? std::string("\\t") : std::string(1, *p));
    *os << ']';
}

class ParseDefineCases : public ::testing::TestWithParam<DefineCase> {};

TEST_P(ParseDefineCases, SplitsNameAndValue) {
    const DefineEntry d = ParseDefine(GetParam().line);
    EXPECT_EQ(d.name, GetParam().name);
    EXPECT_EQ(d.value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseDefineCases,
                         ::testing::Values(DefineCase{"#define MAX 10", "MAX", "10"},
                                           DefineCase{"#define FLAG", "FLAG", ""},
                                           DefineCase{"#define    A    b c  ", "A", "b c  "},
                                           DefineCase{"  #define A 1", "A", "1"},
                                           DefineCase{"#DEFINE A 1", "A", "1"},
                                           DefineCase{"#xxxxxx A 1", "A", "1"},   // the word is skipped, whatever it is
                                           DefineCase{"#define ", "", ""},
                                           DefineCase{"#def", "", ""},
                                           DefineCase{"#define A\tB", "A\tB", ""}));

TEST(Expand, BlankDefineNameFailsAtTheNextOrdinaryLine) {
    for (const char* source : {"#define   \nx\n", "#define \n\n", "#define \n#define X 1\n#include \"\"\ny\n"}) {
        try {
            ExpandText(source);
            ADD_FAILURE() << "no error for: " << source;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Search string cannot be blank");
        }
    }
}

// The bound counts every byte written, CR LF included, whichever way the text
// arrives: a define's value, an ordinary line, an include file's lines.
TEST(Expand, OutputStopsAtItsBound) {
    const IncludeFiles files = {{"four.inc", "abcd\n"}};  // "abcd\r\n": 6 bytes
    struct Row {
        const char* source;
        std::size_t exact;  // the expanded size
    };
    for (const Row& row : {Row{"#define A 12345\nA\nA\n", 14}, Row{"xyz\n", 5},
                           Row{"#include \"four.inc\"\n#include \"four.inc\"\n", 12},
                           Row{"#include \"none.inc\"\n", 49}}) {
        for (std::size_t bound : {row.exact, row.exact - 1}) {
            MemoryStream in, out;
            in.Write(row.source);
            ExpandOptions options;
            options.maxBytes = bound;
            options.includes = &files;
            try {
                Expand(in, out, nullptr, options);
                EXPECT_EQ(bound, row.exact) << row.source;
                EXPECT_EQ(out.Size(), row.exact) << row.source;
            } catch (const Error& e) {
                EXPECT_EQ(bound, row.exact - 1) << row.source;
                EXPECT_EQ(std::string(e.what()), "The expanded text would be larger than " + std::to_string(bound) +
                                                     " bytes (include files counted)");
            }
        }
    }
}

TEST(Expand, IncludesFromMemoryOnly) {
    const IncludeFiles files = {{"lib.inc", "int a;"}};
    MemoryStream in, out;
    in.Write("#include \"lib.inc\"\n#include \"/etc/hostname\"\n");
    ExpandOptions options;
    options.includes = &files;
    Expand(in, out, nullptr, options);
    EXPECT_EQ(out.Text(), "int a;\r\nerror - file does not exist:#include \"/etc/hostname\"\r\n");
}

TEST(Expand, BlankDefineNameWithoutOrdinaryLinesIsNoError) {
    EXPECT_EQ(ExpandText("#define  \n#define X 1\n#include \"\"\n"), "error - file does not exist:#include \"\"\r\n");
}

TEST(Expand, ReadsInputFromStartAndClearsOutput) {
    MemoryStream in;
    in.Write("a\nb\n");
    MemoryStream out;
    out.Write("old content that is longer");
    Expand(in, out);
    EXPECT_EQ(out.Text(), "a\r\nb\r\n");
    EXPECT_EQ(out.Position(), out.Size());
}

// Include files are resolved against the current directory: each test works
// in a fresh directory of its own.
class ExpandIncludes : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("vorn_expand_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(saved_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    static void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream f(name, std::ios::binary);
        f << bytes;
    }

    fs::path saved_;
    fs::path dir_;
};

TEST_F(ExpandIncludes, CopiesTheFileVerbatim) {
    WriteFile("inc.vrn", "int a;\r\n#define X 9\nX\n#include \"zz\"\nlast");
    EXPECT_EQ(ExpandText("#define X 1\nX\n#include \"inc.vrn\"\nX\n"),
              "1\r\nint a;\r\n#define X 9\r\nX\r\n#include \"zz\"\r\nlast\r\n1\r\n");
}

TEST_F(ExpandIncludes, TextAroundTheQuotesIsIgnored) {
    WriteFile("inc.vrn", "body\n");
    EXPECT_EQ(ExpandText("junk #INCLUDE junk \"inc.vrn\" trailing \"x\n"), "body\r\n");
}

TEST_F(ExpandIncludes, FileIncludedTwiceIsCopiedTwice) {
    WriteFile("inc.vrn", "x\n");
    EXPECT_EQ(ExpandText("#include \"inc.vrn\"\n#include \"inc.vrn\"\n"), "x\r\nx\r\n");
}

TEST_F(ExpandIncludes, SelfIncludeIsCopiedOnce) {
    WriteFile("self.vrn", "a\n#include \"self.vrn\"\nb\n");
    EXPECT_EQ(ExpandText("#include \"self.vrn\"\n"), "a\r\n#include \"self.vrn\"\r\nb\r\n");
}

TEST_F(ExpandIncludes, EmptyFileAddsNothing) {
    WriteFile("empty.vrn", "");
    EXPECT_EQ(ExpandText("a\n#include \"empty.vrn\"\nb\n"), "a\r\nb\r\n");
}

TEST_F(ExpandIncludes, IncludedFileFollowsTheLineRules) {
    WriteFile("inc.vrn", "a\rb\r\nc\n\x1A" "hidden\n");
    EXPECT_EQ(ExpandText("#include \"inc.vrn\"\nafter\n"), "ab\r\nc\r\nafter\r\n");
}

TEST_F(ExpandIncludes, SubdirectoryNameResolvesAgainstCurrentDirectory) {
    fs::create_directories("lib");
    WriteFile("lib/inc.vrn", "sub\n");
    EXPECT_EQ(ExpandText("#include \"lib/inc.vrn\"\n"), "sub\r\n");
}

TEST_F(ExpandIncludes, DirectoryIsNamedAFolder) {
    fs::create_directories("adir");
    EXPECT_EQ(ExpandText("#include \"adir\"\n"), "error - file is a folder:#include \"adir\"\r\n");
}

TEST_F(ExpandIncludes, NameWithNulByteCountsAsMissing) {
    WriteFile("inc", "secret\n");
    const std::string line = std::string("#include \"inc") + '\0' + "x\"";
    EXPECT_EQ(ExpandText(line + "\n"), "error - file does not exist:" + line + "\r\n");
}

TEST_F(ExpandIncludes, PipeIsRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo("pipe.vrn", 0600), 0);
    try {
        ExpandText("a\n#include \"pipe.vrn\"\n");
        FAIL() << "expected vorn::Error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("pipe.vrn"), std::string::npos) << e.what();
    }
}

TEST_F(ExpandIncludes, UnreadableFileRaisesErrorNamingIt) {
    WriteFile("locked.vrn", "x\n");
    fs::permissions("locked.vrn", fs::perms::none);
    if (std::ifstream("locked.vrn").is_open()) {
        fs::permissions("locked.vrn", fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that read any file";
    }
    try {
        ExpandText("#include \"locked.vrn\"\n");
        FAIL() << "expected vorn::Error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("locked.vrn"), std::string::npos) << e.what();
    }
    fs::permissions("locked.vrn", fs::perms::owner_all);
}

TEST(ExpandInclude, WritesOneErrorLine) {
    MemoryStream out;
    TextStreamAdapter writer;
    writer.AssignStream(&out);
    writer.Rewrite();
    ExpandInclude("#include nothing", writer);
    writer.Close();
    EXPECT_EQ(out.Text(), "error - expected file name in quotes:#include nothing\r\n");
}

}  // namespace
}  // namespace vorn
