// The window core over the in-process simulator and a host that records what
// a window would show: growing pages kept to their last lines, and the Watch
// page shown while connected and read only while on top.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/workbench/recording_view.h"
#include "workbench/window_core.h"

namespace vorn::test {
namespace {

class RecordingHost : public WindowHost {
public:
    bool ChooseOpenPath(std::string&) override { return false; }
    bool ChooseSavePath(const std::string&, std::string&) override { return false; }
    SaveAnswer AskSave(const std::string&, const std::string&) override { return SaveAnswer::kCancel; }
    void ShowMessage(const std::string&, const std::string& text) override { messages.push_back(text); }
    void ShowError(const std::string&, const std::string& text) override { errors.push_back(text); }
    void SetCaption(const std::string&) override {}
    void ShowFindDialog() override {}
    std::string FindText() const override { return {}; }
    bool FindMatchCase() const override { return false; }
    void ShowAbout() override {}
    bool OpenDocument(const std::string&) override { return false; }
    void ShowOffsets() override { ++offsetsShown; }
    bool EditLinkSettings(LinkDialogValues&, const LinkDialogValues&) override { return false; }
    void SetChecked(Command, bool) override {}
    void SetEnabled(Command, bool) override {}
    void SetItemCaption(Command, const std::string&) override {}
    void SetButtonHint(Command, const std::string&) override {}
    void SetButtonPicture(Command, int) override {}
    void SetRecentFiles(const std::vector<std::string>&) override {}
    void SetPageText(PageIndex page, const std::string& text) override {
        texts[page] = text;
        if (page == kPageWatch) ++watchUpdates;
    }
    void AppendPageLine(PageIndex page, const std::string& line) override { pages[page].push_back(line); }
    void DropOldestPageLine(PageIndex page, const std::string& note, bool noteIsNew) override {
        std::vector<std::string>& lines = pages[page];
        if (!noteIsNew) lines.erase(lines.begin() + 1);
        lines.front() = note;
    }
    void ClearPage(PageIndex page) override { pages[page].clear(); }
    void ShowPageTab(PageIndex page, bool shown) override { tabs[page] = shown; }
    void ShowPage(PageIndex page) override { top = page; }
    std::vector<std::string> EditorLines() const override { return editor; }
    void SetEditorLines(const std::vector<std::string>& lines) override { editor = lines; }
    int CaretLine() const override { return 0; }
    int CaretColumn() const override { return 0; }
    void SelectText(int, int, int) override {}
    void SetCaretLabel(const std::string&) override {}
    void FocusEditor() override {}
    void EditPage(PageIndex page, Command command) override { edits.emplace_back(page, command); }
    void SetSourceMarks(const std::vector<SourceMark>& shown, bool gutter) override { marks = shown, gutterShown = gutter; }
    bool AskText(const std::string&, const std::string&, std::string&) override { return false; }
    void RevealLine(int) override {}
    void SetLinkStatus(const std::string&) override {}
    void SetStatusText(const std::string& text) override { statuses.push_back(text); }
    void StartTimer() override {}
    void CloseWindow() override {}
    void ProcessEvents() override {}
    void RequestClose() override { ++closeRequests; }

    std::map<int, std::vector<std::string>> pages;
    std::map<int, std::string> texts;
    std::map<int, bool> tabs;
    std::vector<std::pair<PageIndex, Command>> edits;
    std::vector<SourceMark> marks;
    bool gutterShown = false;
    std::vector<std::string> editor;
    int top = kPageSource;
    int offsetsShown = 0;
    std::vector<std::string> messages, errors, statuses;
    int closeRequests = 0;
    int watchUpdates = 0;
};

// Files that hold `content`, read as the platforms do: never beyond limit + 1 bytes.
class MemoryFiles : public FileAccess {
public:
    ReadResult Read(const std::string&, std::size_t limit) override {
        return {true, false, content.substr(0, limit + 1), {}};
    }
    bool WriteAtomically(const std::string&, const std::string&, std::string&) override { return false; }
    std::string AbsolutePath(const std::string& path) override { return path; }
    std::string NativePath(const std::string& path) override { return path; }
    void EnterFolderOf(const std::string&) override {}
    std::string content;
};

class WindowCoreTest : public ::testing::Test {
protected:
    WindowCoreTest()
        : inner_(sim, "FS98MAIN", clock_),
          faults(inner_),
          link(faults, clock_),
          machine(link, debug),
          core(host, files, link, machine, debug) {
        core.Start("Vorn");
    }

    void Connect(const std::vector<std::string>& program) {
        host.editor = program;
        core.Run(Command::kCompile);
        ASSERT_TRUE(core.Controller().Compiled()) << host.texts[kPageCompiler];
        core.Run(Command::kConnect);
        ASSERT_TRUE(core.Controller().Connected());
    }

    SimServer sim;
    bool debug = false;
    RecordingClock clock_;
    InProcessTransport inner_;
    FaultTransport faults;
    IpcLink link;
    Machine machine;
    RecordingHost host;
    MemoryFiles files;
    WindowCore core;
};

TEST_F(WindowCoreTest, GrowingPagesKeepTheirLastLines) {
    struct Case {
        int appended;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {3, {"1", "2", "3"}},
        {4, {"(1 earlier line dropped)", "2", "3", "4"}},
        {6, {"(3 earlier lines dropped)", "4", "5", "6"}},
    };
    for (const Case& c : cases) {
        core.SetPageLineLimit(3);
        core.ClearPage(kPageProgramOutput);
        for (int i = 1; i <= c.appended; ++i) core.Controller().ProgramOutputLine(std::to_string(i));
        EXPECT_EQ(host.pages[kPageProgramOutput], c.shown) << c.appended;
    }
    // Connect clears the page and its count; the line naming the server is the first again.
    Connect({"int x;"});
    ASSERT_EQ(host.pages[kPageProgramOutput].size(), 1u);
    EXPECT_EQ(host.pages[kPageProgramOutput][0].rfind("Connected to FSUIPC ", 0), 0u) << host.pages[kPageProgramOutput][0];
    core.Controller().ProgramOutputLine("a");
    EXPECT_EQ(host.pages[kPageProgramOutput].size(), 2u);
    EXPECT_EQ(host.pages[kPageProgramOutput].back(), "a");
}

TEST_F(WindowCoreTest, BreakpointsStayWithTheirTextThroughNewAndGoWithAnOpenedFile) {
    host.editor = {"int x;"};
    core.Run(Command::kToggleBreakpoint);  // the caret is on the first line
    ASSERT_TRUE(host.gutterShown);
    core.Run(Command::kFileNew);  // the text stays, detached from its file
    EXPECT_TRUE(host.gutterShown);
    files.content = "int y;\n";
    ASSERT_TRUE(core.OpenFile("other.vrn"));
    EXPECT_FALSE(host.gutterShown);
    EXPECT_TRUE(host.marks.empty());
}

TEST_F(WindowCoreTest, TheUsualLimitIsAHundredThousandLines) {
    for (int i = 0; i < 100001; ++i) core.AppendPageLine(kPageInterpreter, "x");
    ASSERT_EQ(host.pages[kPageInterpreter].size(), 100001u);
    EXPECT_EQ(host.pages[kPageInterpreter].front(), "(1 earlier line dropped)");
}

TEST_F(WindowCoreTest, OpenTakesFilesUpTo32Mebibytes) {
    // Lines of 200 bytes: within the editor's limits of lines and line length.
    files.content.clear();
    while (files.content.size() < kMaxSourceFileBytes) files.content += std::string(199, 'a') + '\n';
    files.content.resize(kMaxSourceFileBytes);
    EXPECT_TRUE(core.OpenFile("just.vrn"));
    EXPECT_EQ(core.FileName(), "just.vrn");
    files.content += 'a';
    EXPECT_FALSE(core.OpenFile("over.vrn"));
    EXPECT_EQ(core.FileName(), "just.vrn");
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "Cannot open file \"over.vrn\". The file is larger than 32 MB.");
}

// Beyond the editor's limits a file is refused whole, before anything changes.
TEST_F(WindowCoreTest, OpenRefusesMoreLinesOrLongerLinesThanTheEditorHolds) {
    const struct {
        std::string content;
        const char* problem;  // nullptr: opened
    } cases[] = {
        {std::string(kMaxEditorLines, '\n'), nullptr},
        {std::string(kMaxEditorLines + 1, '\n'), "The file has more than 200000 lines."},
        {std::string(kMaxEditorLines, '\n') + "x", "The file has more than 200000 lines."},
        {std::string(kMaxEditorLineBytes, 'x') + "\r\n", nullptr},
        {"a\r" + std::string(kMaxEditorLineBytes + 1, 'x'), "The file has a line longer than 16384 characters."},
    };
    files.content = "int kept;\n";
    ASSERT_TRUE(core.OpenFile("kept.vrn"));
    for (const auto& c : cases) {
        host.errors.clear();
        files.content = c.content;
        EXPECT_EQ(core.OpenFile("next.vrn"), c.problem == nullptr);
        if (c.problem == nullptr) {
            EXPECT_TRUE(host.errors.empty());
            files.content = "int kept;\n";
            ASSERT_TRUE(core.OpenFile("kept.vrn"));
            continue;
        }
        EXPECT_EQ(core.FileName(), "kept.vrn");
        ASSERT_EQ(host.errors.size(), 1u);
        EXPECT_EQ(host.errors[0], std::string("Cannot open file \"next.vrn\". ") + c.problem);
    }
}

TEST_F(WindowCoreTest, WatchIsShownWhileConnectedAndReadWhileOnTop) {
    const std::int32_t alt = 1234;
    sim.Poke(0x0570, &alt, 4);
    EXPECT_FALSE(core.PageShown(kPageWatch));
    Connect({"int count;", "int alt at $0570;"});
    EXPECT_TRUE(host.tabs[kPageWatch]);

    // Not on top: one exchange per tick (the heartbeat), nothing read.
    auto blocks = sim.BlocksProcessed();
    core.Tick();
    EXPECT_EQ(sim.BlocksProcessed() - blocks, 1u);
    EXPECT_EQ(host.watchUpdates, 0);

    // On top: the FSUIPC-bound globals in one more exchange per tick.
    core.PageSelected(kPageWatch);
    EXPECT_EQ(host.watchUpdates, 1);
    blocks = sim.BlocksProcessed();
    core.Tick();
    EXPECT_EQ(sim.BlocksProcessed() - blocks, 2u);
    const std::string& watch = host.texts[kPageWatch];
    EXPECT_EQ(watch.rfind("Name", 0), 0u);
    EXPECT_NE(watch.find("1234"), std::string::npos) << watch;
    // Unchanged values are not painted again; a changed one is.
    EXPECT_EQ(host.watchUpdates, 1);
    const std::int32_t climbed = 1240;
    sim.Poke(0x0570, &climbed, 4);
    core.Tick();
    EXPECT_EQ(host.watchUpdates, 2);
    EXPECT_NE(host.texts[kPageWatch].find("1240"), std::string::npos) << host.texts[kPageWatch];

    // A lost link hides the page again, and the page on top goes back to "Source".
    faults.FailSends(1000, 0);
    core.Tick();
    EXPECT_FALSE(core.Controller().Connected());
    EXPECT_FALSE(host.tabs[kPageWatch]);
    EXPECT_EQ(core.CurrentPage(), kPageSource);
    EXPECT_EQ(host.top, kPageSource);
}

}  // namespace
}  // namespace vorn::test
