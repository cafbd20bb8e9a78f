// vornc.exe lsp and vornc.exe dap as an editor on Windows starts them: frames
// over pipes byte for byte (no text-mode "\r\r\n"), and file URIs with a
// drive letter ("file:///c%3A/...") both ways, through an include.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/windows/child_program.h"
#include "tests/windows/wine_path.h"

namespace vorn {
namespace {

using Json = nlohmann::json;

const std::string kVornc = test::WindowsPath(VORN_VORNC_PATH);

std::string Frame(const Json& message) {
    const std::string body = message.dump();
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The messages of `raw`, which must be whole frames of exactly the form above.
bool ParseFrames(const std::string& raw, std::vector<Json>& messages, std::string& problem) {
    constexpr std::string_view kHeader = "Content-Length: ";
    for (std::size_t at = 0; at < raw.size();) {
        const std::size_t end = raw.find("\r\n\r\n", at);
        if (raw.compare(at, kHeader.size(), kHeader) != 0 || end == std::string::npos) {
            problem = "no header at byte " + std::to_string(at) + ": " + raw.substr(at, 40);
            return false;
        }
        const std::string digits = raw.substr(at + kHeader.size(), end - at - kHeader.size());
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
            problem = "bad length \"" + digits + "\"";
            return false;
        }
        const std::size_t length = std::stoul(digits);
        if (end + 4 + length > raw.size()) {
            problem = "a frame cut short";
            return false;
        }
        messages.push_back(Json::parse(raw.substr(end + 4, length), nullptr, false));
        at = end + 4 + length;
    }
    return true;
}

void WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

// "C:\users\x.vrn" as an editor names it: "file:///c%3A/users/x.vrn".
std::string EditorUri(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return "file:///" + std::string(1, static_cast<char>(std::tolower(path[0]))) + "%3A" + path.substr(2);
}

TEST(VorncEditorServers, LanguageServerNamesWindowsFilesAsEditorsDo) {
    char dir[MAX_PATH];
    const std::string folder(dir, GetTempPathA(MAX_PATH, dir));
    const std::string main = folder + "vorn_lsp_main.vrn", included = folder + "vorn_lsp_inc.vrn";
    WriteFile(included, "int x;\r\nint 5;\r\n");  // the error is in the include, on its line 2
    WriteFile(main, "#include \"vorn_lsp_inc.vrn\"\r\nint y;\r\n");

    test::ChildProgram lsp;
    std::string error;
    ASSERT_TRUE(lsp.Start(kVornc, {"lsp"}, error)) << error;
    const Json open = {{"textDocument",
                        {{"uri", EditorUri(main)}, {"languageId", "vorn"}, {"version", 1},
                         {"text", "#include \"vorn_lsp_inc.vrn\"\r\nint y;\r\n"}}}};
    ASSERT_TRUE(lsp.Write(Frame({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"},
                                 {"params", {{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", Json::object()}}}}) +
                          Frame({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", Json::object()}}) +
                          Frame({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"}, {"params", open}})));
    EXPECT_TRUE(lsp.WaitForOutput(EditorUri(included), 20000)) << lsp.Output();
    ASSERT_TRUE(lsp.Write(Frame({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}}) +
                          Frame({{"jsonrpc", "2.0"}, {"method", "exit"}})));
    EXPECT_EQ(lsp.Finish(20000), 0);

    std::vector<Json> messages;
    ASSERT_TRUE(ParseFrames(lsp.RawOutput(), messages, error)) << error;
    bool reported = false;
    for (const Json& m : messages) {
        if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
        const Json& p = m["params"];
        if (p["uri"] != EditorUri(included)) continue;
        for (const Json& d : p["diagnostics"])
            reported |= d["message"].get<std::string>().find("syntax error") != std::string::npos &&
                        d["range"]["start"]["line"] == 1;
    }
    EXPECT_TRUE(reported) << lsp.RawOutput();
    DeleteFileA(main.c_str());
    DeleteFileA(included.c_str());
}

TEST(VorncEditorServers, DebugAdapterAnswersInWholeFrames) {
    test::ChildProgram dap;
    std::string error;
    ASSERT_TRUE(dap.Start(kVornc, {"dap"}, error)) << error;
    ASSERT_TRUE(dap.Write(Frame({{"seq", 1}, {"type", "request"}, {"command", "initialize"},
                                 {"arguments", {{"adapterID", "vorn"}}}})));
    EXPECT_TRUE(dap.WaitForOutput("\"command\":\"initialize\"", 20000)) << dap.Output();
    ASSERT_TRUE(dap.Write(Frame({{"seq", 2}, {"type", "request"}, {"command", "disconnect"}})));
    EXPECT_EQ(dap.Finish(20000), 0);
    std::vector<Json> messages;
    ASSERT_TRUE(ParseFrames(dap.RawOutput(), messages, error)) << error;
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0]["command"], "initialize");
    EXPECT_EQ(messages[0]["success"], true);
}

}  // namespace
}  // namespace vorn
