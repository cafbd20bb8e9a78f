#pragma once
// The language server behind `vornc lsp`: documents the editor holds open,
// compiled as the user types, and the questions an editor asks about them.
// It sends through a callback and keeps no thread of its own except the
// compile worker, so the fuzz target drives it the way the command does.
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/outline.h"
#include "protocol/framing.h"

namespace vorn::protocol {

using Clock = std::chrono::steady_clock;

// What one compile found, for every file it touched.
struct CompileReport {
    std::string mainUri;
    int version = 0;
    std::map<std::string, Json> diagnostics;  // uri -> array of Diagnostic
    std::map<std::string, std::int32_t> globalAddresses;  // lower-case name -> address
};

class LspServer {
public:
    using Send = std::function<void(const Json&)>;
    struct Options {
        std::chrono::milliseconds debounce{200};
        bool compileInWorker = true;       // false: compiles run in RunDue itself
        std::size_t maxExpandedBytes = std::size_t{16} << 20;
    };
    LspServer(Send send, Options options);
    ~LspServer();

    void Handle(const Frame& frame);
    // Starts compiles whose wait is over and publishes finished ones.
    void RunDue(Clock::time_point now);
    // When RunDue next has something to do; nullopt when nothing waits.
    std::optional<Clock::time_point> NextWake() const;
    // Waits for a running compile and publishes everything still pending.
    void Flush();

    bool Exited() const { return exited_; }
    int ExitCode() const { return shutdown_ ? 0 : 1; }

private:
    struct Document {
        std::string path;
        std::string text;
        int version = 0;
        std::optional<Clock::time_point> due;  // a compile is wanted at this time
    };
    struct SourceFile {
        std::string path;
        std::string uri;
        std::string text;
        std::vector<std::string> lines;
        Outline outline;
    };

    void Request(const Json& id, const std::string& method, const Json& params);
    void Notification(const std::string& method, const Json& params);
    void Reply(const Json& id, Json result);
    void ReplyError(const Json& id, int code, const std::string& message);

    void Changed(const std::string& uri);
    void StartCompile(const std::string& uri, Clock::time_point now);
    void Publish(CompileReport report);
    void PublishMerged(const std::string& uri);

    // The file behind a URI: the open buffer, else the file on disk.
    std::shared_ptr<const SourceFile> File(const std::string& uri);
    bool Includes(const SourceFile& file, const std::string& path) const;
    // The file itself first, then its includes, then the open files that include it.
    std::vector<std::shared_ptr<const SourceFile>> Scope(const std::string& uri);
    // The word at a position and the declaration it means.
    struct Found {
        std::shared_ptr<const SourceFile> file;
        int symbol = -1;
    };
    Found Declaration(const std::string& uri, const Json& position, std::string* word = nullptr);

    Json Hover(const Json& params);
    Json Definition(const Json& params);
    Json References(const Json& params);
    Json DocumentSymbols(const Json& params);
    Json WorkspaceSymbols(const Json& params);
    Json Completion(const Json& params);
    Json SignatureHelp(const Json& params);
    Json SemanticTokens(const Json& params);

    Send send_;
    Options options_;
    bool initialized_ = false;
    bool shutdown_ = false;
    bool exited_ = false;
    std::map<std::string, Document> docs_;
    // Diagnostics per compiled main file, per file they are in.
    std::map<std::string, std::map<std::string, Json>> published_;
    std::map<std::string, std::int32_t> globalAddresses_;
    std::future<CompileReport> running_;
    std::string runningUri_;
};

}  // namespace vorn::protocol
