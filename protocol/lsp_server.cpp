#include "protocol/lsp_server.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "compiler/int_literal.h"
#include "compiler/keywords.h"
#include "fsuipc/offsets_catalogue.h"
#include "support/error.h"
#include "compiler/tokens.h"
#include "protocol/lsp_compile.h"
#include "protocol/uri.h"
#include "support/format.h"

namespace vorn::protocol {

namespace {

// JSON-RPC and LSP error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

// The semantic token types, in the legend's order.
enum SemanticType { kKeyword, kType, kFunction, kVariable, kParameter, kNumber, kString, kOperator, kMacro };
const char* const kSemanticTypes[] = {"keyword", "type",   "function", "variable", "parameter",
                                      "number",  "string", "operator", "macro"};

// LSP's SymbolKind and CompletionItemKind numbers.
int SymbolKindOf(OutlineKind kind) {
    switch (kind) {
        case OutlineKind::kGlobal: return 13;      // Variable
        case OutlineKind::kRoutine: return 12;     // Function
        case OutlineKind::kSequence: return 12;
        case OutlineKind::kKeyRoutine: return 24;  // Event
        case OutlineKind::kParameter: return 13;
        case OutlineKind::kLocal: return 13;
        case OutlineKind::kDefine: return 14;      // Constant
    }
    return 13;
}
int CompletionKindOf(OutlineKind kind) {
    switch (kind) {
        case OutlineKind::kRoutine:
        case OutlineKind::kSequence: return 3;     // Function
        case OutlineKind::kDefine: return 21;      // Constant
        case OutlineKind::kKeyRoutine: return 23;  // Event
        default: return 6;                         // Variable
    }
}

bool IsRoutine(OutlineKind kind) {
    return kind == OutlineKind::kRoutine || kind == OutlineKind::kSequence || kind == OutlineKind::kKeyRoutine;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string l = text.substr(start, end - start);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(std::move(l));
        if (end >= text.size()) break;
        start = end + 1;
    }
    return lines;
}

bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

Json Position(int line, int column) { return {{"line", line > 0 ? line - 1 : 0}, {"character", column}}; }
Json Range(int line, int column, int length) {
    return {{"start", Position(line, column)}, {"end", Position(line, column + length)}};
}

// The position's line (1-based) and character, checked.
bool ReadPosition(const Json& position, int& line, int& character) {
    if (!position.is_object()) return false;
    const Json& l = position.value("line", Json());
    const Json& c = position.value("character", Json());
    if (!l.is_number_integer() || !c.is_number_integer()) return false;
    const auto lv = l.get<std::int64_t>();
    const auto cv = c.get<std::int64_t>();
    if (lv < 0 || cv < 0 || lv > 100000000 || cv > 100000000) return false;
    line = static_cast<int>(lv) + 1;
    character = static_cast<int>(cv);
    return true;
}

std::string WordAt(const std::string& line, int character, int* startOut = nullptr) {
    auto at = static_cast<std::size_t>(std::min<int>(character, static_cast<int>(line.size())));
    std::size_t start = at;
    while (start > 0 && IsWordChar(line[start - 1])) --start;
    std::size_t end = at;
    while (end < line.size() && IsWordChar(line[end])) ++end;
    if (startOut) *startOut = static_cast<int>(start);
    if (start == end || (line[start] >= '0' && line[start] <= '9')) return {};
    return line.substr(start, end - start);
}

// "$2bc", "0x02BC" -> "02BC"; empty for a decimal or no number.
std::string HexDigits(const std::string& number) {
    std::string digits;
    if (number.size() > 1 && number[0] == '$') {
        digits = number.substr(1);
    } else if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) {
        digits = number.substr(2);
    } else {
        return {};
    }
    for (char& c : digits) c = static_cast<char>(c >= 'a' && c <= 'f' ? c - 32 : c);
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    return digits;
}

// The catalogue's entry for an "at" global, by its offset and its size.
const CatalogueEntry* CatalogueOf(const OutlineSymbol& s) {
    if (s.detail.empty()) return nullptr;
    std::int32_t offset = 0;
    try {
        offset = IntLiteralValue(s.detail);
    } catch (const Error&) {
        return nullptr;
    }
    if (offset < 0) return nullptr;
    const std::string base = s.type.substr(0, s.type.find_first_of("[*"));
    const int size = base == "int" ? 4 : base == "shortint" ? 2 : base == "float" ? 8 : 1;
    const CatalogueEntry* entry = FindBinding(static_cast<std::uint32_t>(offset), size);
    return entry ? entry : FindOffset(static_cast<std::uint32_t>(offset));
}

std::string CatalogueText(const CatalogueEntry& e) {
    std::string text = std::string(e.name) + ": " + std::string(e.description);
    if (!e.unit.empty()) text += " (" + std::string(e.unit) + ")";
    return text;
}

const KeywordInfo* FindKeyword(const std::string& word) {
    for (const KeywordInfo& k : Keywords()) {
        if (SameNameNoCase(word, k.text)) return &k;
    }
    return nullptr;
}

std::string DeclarationText(const Outline& outline, int index) {
    const OutlineSymbol& s = outline.symbols[static_cast<std::size_t>(index)];
    switch (s.kind) {
        case OutlineKind::kDefine: return "#define " + s.name + " " + s.detail;
        case OutlineKind::kRoutine:
        case OutlineKind::kSequence: return outline.Signature(index);
        case OutlineKind::kKeyRoutine: return s.name;
        default: break;
    }
    // "char line[96]" reads better than "char[96] line".
    const std::size_t bracket = s.type.find('[');
    std::string text = bracket == std::string::npos ? s.type + " " + s.name
                                                    : s.type.substr(0, bracket) + " " + s.name + s.type.substr(bracket);
    if (!s.detail.empty()) text += " at " + s.detail;
    return text;
}

}  // namespace

LspServer::LspServer(Send send, Options options) : send_(std::move(send)), options_(options) {}

LspServer::~LspServer() {
    if (running_.valid()) running_.wait();
}

void LspServer::Reply(const Json& id, Json result) {
    send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void LspServer::ReplyError(const Json& id, int code, const std::string& message) {
    send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void LspServer::Handle(const Frame& frame) {
    if (frame.kind == Frame::kBad) {
        ReplyError(nullptr, kParseError, frame.error);
        return;
    }
    if (frame.kind != Frame::kMessage) return;
    const Json& message = frame.json;
    const Json id = message.value("id", Json());
    const bool hasId = message.contains("id");
    if (hasId && !id.is_number_integer() && !id.is_string()) {
        ReplyError(nullptr, kInvalidRequest, "a request's id must be a number or a string");
        return;
    }
    const Json& method = message.value("method", Json());
    if (!method.is_string()) {
        if (hasId && (message.contains("result") || message.contains("error"))) return;  // an answer to us
        ReplyError(hasId ? id : Json(), kInvalidRequest, "a message without a method");
        return;
    }
    const Json params = message.value("params", Json::object());
    try {
        if (hasId) {
            Request(id, method.get<std::string>(), params);
        } else {
            Notification(method.get<std::string>(), params);
        }
    } catch (const Json::exception& e) {
        // A field of the wrong type deep in the params.
        if (hasId) ReplyError(id, kInvalidParams, std::string("invalid params: ") + e.what());
    }
}

void LspServer::Request(const Json& id, const std::string& method, const Json& params) {
    if (method == "initialize") {
        initialized_ = true;
        Json legend = Json::array();
        for (const char* t : kSemanticTypes) legend.push_back(t);
        Reply(id, {{"capabilities",
                    {{"textDocumentSync", {{"openClose", true}, {"change", 1}, {"save", {{"includeText", true}}}}},
                     {"hoverProvider", true},
                     {"definitionProvider", true},
                     {"referencesProvider", true},
                     {"documentSymbolProvider", true},
                     {"workspaceSymbolProvider", true},
                     {"completionProvider", {{"triggerCharacters", {"$"}}}},
                     {"signatureHelpProvider", {{"triggerCharacters", {"(", ","}}}},
                     {"semanticTokensProvider",
                      {{"legend", {{"tokenTypes", legend}, {"tokenModifiers", Json::array()}}}, {"full", true}}}}},
                   {"serverInfo", {{"name", "vornc lsp"}}}});
        return;
    }
    if (!initialized_) {
        ReplyError(id, kServerNotInitialized, "the server is not initialized");
        return;
    }
    if (shutdown_) {
        ReplyError(id, kInvalidRequest, "the server is shutting down");
        return;
    }
    if (method == "shutdown") {
        shutdown_ = true;
        Reply(id, nullptr);
    } else if (method == "textDocument/hover") {
        Reply(id, Hover(params));
    } else if (method == "textDocument/definition") {
        Reply(id, Definition(params));
    } else if (method == "textDocument/references") {
        Reply(id, References(params));
    } else if (method == "textDocument/documentSymbol") {
        Reply(id, DocumentSymbols(params));
    } else if (method == "workspace/symbol") {
        Reply(id, WorkspaceSymbols(params));
    } else if (method == "textDocument/completion") {
        Reply(id, Completion(params));
    } else if (method == "textDocument/signatureHelp") {
        Reply(id, SignatureHelp(params));
    } else if (method == "textDocument/semanticTokens/full") {
        Reply(id, SemanticTokens(params));
    } else {
        ReplyError(id, kMethodNotFound, "unknown method " + method);
    }
}

void LspServer::Notification(const std::string& method, const Json& params) {
    if (method == "exit") {
        exited_ = true;
        return;
    }
    if (!initialized_ || shutdown_) return;
    const Json& document = params.value("textDocument", Json::object());
    if (!document.is_object()) return;
    const std::string uri = document.value("uri", std::string());
    if (method == "textDocument/didOpen") {
        const std::string path = UriToPath(uri);
        if (path.empty()) return;  // only files are compiled
        Document& d = docs_[uri];
        d.path = std::filesystem::path(path).lexically_normal().string();
        d.text = document.value("text", std::string());
        d.version = document.value("version", 0);
        Changed(uri);
    } else if (method == "textDocument/didChange") {
        const auto it = docs_.find(uri);
        if (it == docs_.end()) return;
        const Json& changes = params.value("contentChanges", Json::array());
        if (!changes.is_array() || changes.empty()) return;
        // Full sync: the last change holds the whole text.
        const Json& last = changes.back();
        if (!last.is_object() || !last.value("text", Json()).is_string()) return;
        it->second.text = last["text"].get<std::string>();
        it->second.version = document.value("version", it->second.version + 1);
        Changed(uri);
    } else if (method == "textDocument/didSave") {
        const auto it = docs_.find(uri);
        if (it == docs_.end()) return;
        if (params.value("text", Json()).is_string()) it->second.text = params["text"].get<std::string>();
        Changed(uri);
    } else if (method == "textDocument/didClose") {
        if (docs_.erase(uri) == 0) return;
        std::map<std::string, Json> gone = std::move(published_[uri]);
        published_.erase(uri);
        for (const auto& [target, diagnostics] : gone) PublishMerged(target);
        // The files that include it now read it from disk.
        for (auto& [other, d] : docs_) d.due = Clock::now() + options_.debounce;
    }
}

void LspServer::Changed(const std::string& uri) {
    const auto due = Clock::now() + options_.debounce;
    const std::string path = docs_[uri].path;
    // The open files that include this one compile again too.
    for (auto& [other, d] : docs_) {
        if (other == uri) {
            d.due = due;
        } else if (const auto file = File(other); file && Includes(*file, path)) {
            d.due = due;
        }
    }
}

std::optional<Clock::time_point> LspServer::NextWake() const {
    if (running_.valid()) return Clock::now() + std::chrono::milliseconds(10);
    std::optional<Clock::time_point> next;
    for (const auto& [uri, d] : docs_) {
        if (d.due && (!next || *d.due < *next)) next = d.due;
    }
    return next;
}

void LspServer::StartCompile(const std::string& uri, Clock::time_point) {
    Document& d = docs_[uri];
    d.due.reset();
    CompileInput input;
    input.mainUri = uri;
    input.mainPath = d.path;
    input.mainText = d.text;
    input.version = d.version;
    input.maxExpandedBytes = options_.maxExpandedBytes;
    for (const auto& [u, other] : docs_) input.openFiles[other.path] = other.text;
    if (!options_.compileInWorker) {
        Publish(CompileDocument(input));
        return;
    }
    runningUri_ = uri;
    running_ = std::async(std::launch::async, [input = std::move(input)] { return CompileDocument(input); });
}

void LspServer::RunDue(Clock::time_point now) {
    if (running_.valid()) {
        if (running_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        Publish(running_.get());
    }
    for (auto& [uri, d] : docs_) {
        if (d.due && *d.due <= now) {
            StartCompile(uri, now);
            if (running_.valid()) return;  // one at a time
        }
    }
}

void LspServer::Flush() {
    for (;;) {
        if (running_.valid()) running_.wait();
        RunDue(Clock::time_point::max());
        if (!running_.valid() && !NextWake()) return;
    }
}

void LspServer::Publish(CompileReport report) {
    const auto it = docs_.find(report.mainUri);
    // A document closed or changed since is compiled again (or not at all):
    // this result is stale and dropped, which is how a slow compile is cancelled.
    if (it == docs_.end() || it->second.version != report.version || it->second.due) return;
    for (auto& [name, address] : report.globalAddresses) globalAddresses_[name] = address;
    std::map<std::string, Json>& mine = published_[report.mainUri];
    std::vector<std::string> targets;
    for (const auto& [target, list] : mine) targets.push_back(target);
    mine.clear();
    for (auto& [target, list] : report.diagnostics) {
        mine[target] = std::move(list);
        targets.push_back(target);
    }
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    for (const std::string& t : targets) PublishMerged(t);
}

void LspServer::PublishMerged(const std::string& uri) {
    Json all = Json::array();
    for (const auto& [main, byTarget] : published_) {
        const auto it = byTarget.find(uri);
        if (it == byTarget.end()) continue;
        for (const Json& d : it->second) {
            if (std::find(all.begin(), all.end(), d) == all.end()) all.push_back(d);
        }
    }
    send_({{"jsonrpc", "2.0"},
           {"method", "textDocument/publishDiagnostics"},
           {"params", {{"uri", uri}, {"diagnostics", all}}}});
}

std::shared_ptr<const LspServer::SourceFile> LspServer::File(const std::string& uri) {
    auto file = std::make_shared<SourceFile>();
    file->uri = uri;
    if (const auto it = docs_.find(uri); it != docs_.end()) {
        file->path = it->second.path;
        file->text = it->second.text;
    } else {
        file->path = UriToPath(uri);
        if (file->path.empty()) return nullptr;
        std::map<std::string, std::string> none;
        if (FindInclude("/", file->path, none, file->text, options_.maxExpandedBytes).empty()) return nullptr;
    }
    file->lines = SplitLines(file->text);
    file->outline = BuildOutline(file->text);
    return file;
}

bool LspServer::Includes(const SourceFile& file, const std::string& path) const {
    std::map<std::string, std::string> probe{{path, {}}};
    for (const OutlineInclude& inc : file.outline.includes) {
        std::string text;
        if (FindInclude(file.path, inc.name, probe, text, 0) == path) return true;
    }
    return false;
}

std::vector<std::shared_ptr<const LspServer::SourceFile>> LspServer::Scope(const std::string& uri) {
    std::vector<std::shared_ptr<const SourceFile>> scope;
    std::map<std::string, std::string> open;
    for (const auto& [u, d] : docs_) open[d.path] = d.text;
    auto present = [&](const std::string& path) {
        return std::any_of(scope.begin(), scope.end(), [&](const auto& s) { return s->path == path; });
    };
    auto addWithIncludes = [&](std::shared_ptr<const SourceFile> f) {
        if (!present(f->path)) scope.push_back(f);
        for (const OutlineInclude& inc : f->outline.includes) {
            std::string text;
            const std::string path = FindInclude(f->path, inc.name, open, text, options_.maxExpandedBytes);
            if (path.empty() || present(path)) continue;
            auto included = std::make_shared<SourceFile>();
            included->path = path;
            included->uri = PathToUri(path);
            for (const auto& [u, d] : docs_) {
                if (d.path == path) included->uri = u;  // the editor's spelling of it
            }
            included->text = std::move(text);
            included->lines = SplitLines(included->text);
            included->outline = BuildOutline(included->text);
            scope.push_back(std::move(included));
        }
    };
    auto self = File(uri);
    if (!self) return scope;
    addWithIncludes(self);
    // An include's names are used by the open files that include it.
    for (const auto& [other, d] : docs_) {
        if (other == uri) continue;
        auto file = File(other);
        if (file && Includes(*file, self->path)) addWithIncludes(file);
    }
    return scope;
}

LspServer::Found LspServer::Declaration(const std::string& uri, const Json& position, std::string* wordOut) {
    Found found;
    int line = 0;
    int character = 0;
    if (!ReadPosition(position, line, character)) return found;
    const auto scope = Scope(uri);
    if (scope.empty() || line > static_cast<int>(scope[0]->lines.size())) return found;
    const std::string word = WordAt(scope[0]->lines[static_cast<std::size_t>(line - 1)], character);
    if (wordOut) *wordOut = word;
    if (word.empty()) return found;
    // The file's own names at that line first (a routine's locals), then the
    // globals of the files it is compiled with.
    for (std::size_t i = 0; i < scope.size(); ++i) {
        const int s = scope[i]->outline.Resolve(word, i == 0 ? line : 0);
        if (s >= 0) {
            found.file = scope[i];
            found.symbol = s;
            return found;
        }
    }
    return found;
}

Json LspServer::Hover(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    std::string word;
    const Found f = Declaration(uri, params.value("position", Json()), &word);
    std::string code;
    std::string about;
    if (f.symbol >= 0) {
        const Outline& o = f.file->outline;
        const OutlineSymbol& s = o.symbols[static_cast<std::size_t>(f.symbol)];
        code = DeclarationText(o, f.symbol);
        switch (s.kind) {
            case OutlineKind::kGlobal: {
                about = "global";
                const auto it = globalAddresses_.find(Lower(s.name));
                if (!s.detail.empty()) {
                    about += ", FSUIPC offset " + s.detail;
                    if (const CatalogueEntry* e = CatalogueOf(s)) about += "\n\n" + CatalogueText(*e);
                } else if (it != globalAddresses_.end()) {
                    about += Format(", data $%X", static_cast<unsigned>(it->second));
                }
                break;
            }
            case OutlineKind::kParameter:
                about = "parameter of " + o.symbols[static_cast<std::size_t>(s.parent)].name;
                break;
            case OutlineKind::kLocal: about = "local of " + o.symbols[static_cast<std::size_t>(s.parent)].name; break;
            case OutlineKind::kRoutine: about = "routine"; break;
            case OutlineKind::kSequence: about = "sequence, started with startseq"; break;
            case OutlineKind::kKeyRoutine: about = "key routine"; break;
            case OutlineKind::kDefine: about = "define"; break;
        }
        if (f.file->uri != uri) about += " (" + std::filesystem::path(f.file->path).filename().string() + ")";
    } else if (const KeywordInfo* k = FindKeyword(word)) {
        code = k->kind == KeywordClass::kBuiltin ? k->signature : k->text;
        about = k->kind == KeywordClass::kBuiltin ? "built-in" : k->kind == KeywordClass::kType ? "type" : "keyword";
    } else {
        return nullptr;
    }
    return {{"contents", {{"kind", "markdown"}, {"value", "```vorn\n" + code + "\n```\n" + about}}}};
}

Json LspServer::Definition(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const Found f = Declaration(uri, params.value("position", Json()));
    if (f.symbol < 0) return nullptr;
    const OutlineSymbol& s = f.file->outline.symbols[static_cast<std::size_t>(f.symbol)];
    return {{"uri", f.file->uri}, {"range", Range(s.line, s.column, s.length)}};
}

Json LspServer::References(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const Found f = Declaration(uri, params.value("position", Json()));
    if (f.symbol < 0) return Json::array();
    const OutlineSymbol& target = f.file->outline.symbols[static_cast<std::size_t>(f.symbol)];
    const bool withDeclaration = params.value("context", Json::object()).value("includeDeclaration", true);
    Json out = Json::array();
    const auto scope = Scope(uri);
    for (const auto& file : scope) {
        const bool same = file->path == f.file->path;
        if (target.parent >= 0 && !same) continue;  // a local is seen in its routine only
        const Outline& o = file->outline;
        for (const OutlineToken& t : o.tokens) {
            if (t.token != kTokIdent || t.line > static_cast<int>(file->lines.size())) continue;
            const std::string& l = file->lines[static_cast<std::size_t>(t.line - 1)];
            if (static_cast<std::size_t>(t.column + t.length) > l.size()) continue;
            if (!SameNameNoCase(l.substr(static_cast<std::size_t>(t.column), static_cast<std::size_t>(t.length)),
                                target.name))
                continue;
            const int here = o.Resolve(target.name, t.line);
            const bool isTarget = same ? here == f.symbol : here < 0 || o.symbols[static_cast<std::size_t>(here)].parent < 0;
            if (!isTarget) continue;
            const bool declaration = same && t.line == target.line && t.column == target.column;
            if (declaration && !withDeclaration) continue;
            out.push_back({{"uri", file->uri}, {"range", Range(t.line, t.column, t.length)}});
        }
        if (same && target.kind == OutlineKind::kDefine && withDeclaration) {
            out.push_back({{"uri", file->uri}, {"range", Range(target.line, target.column, target.length)}});
        }
    }
    return out;
}

Json LspServer::DocumentSymbols(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto file = File(uri);
    if (!file) return Json::array();
    const Outline& o = file->outline;
    Json out = Json::array();
    std::vector<int> slot(o.symbols.size(), -1);
    for (std::size_t i = 0; i < o.symbols.size(); ++i) {
        const OutlineSymbol& s = o.symbols[i];
        const int end = IsRoutine(s.kind) && s.endLine >= s.line ? s.endLine : s.line;
        Json symbol = {{"name", s.name},
                       {"detail", s.kind == OutlineKind::kDefine ? s.detail : DeclarationText(o, static_cast<int>(i))},
                       {"kind", SymbolKindOf(s.kind)},
                       {"range", {{"start", Position(s.line, 0)}, {"end", Position(end, 0)}}},
                       {"selectionRange", Range(s.line, s.column, s.length)}};
        if (IsRoutine(s.kind)) symbol["children"] = Json::array();
        if (s.parent >= 0 && slot[static_cast<std::size_t>(s.parent)] >= 0) {
            out[static_cast<std::size_t>(slot[static_cast<std::size_t>(s.parent)])]["children"].push_back(symbol);
        } else {
            slot[i] = static_cast<int>(out.size());
            out.push_back(std::move(symbol));
        }
    }
    return out;
}

Json LspServer::WorkspaceSymbols(const Json& params) {
    const std::string query = Lower(params.value("query", std::string()));
    Json out = Json::array();
    for (const auto& [uri, d] : docs_) {
        const auto file = File(uri);
        if (!file) continue;
        for (const OutlineSymbol& s : file->outline.symbols) {
            if (s.parent >= 0) continue;
            if (!query.empty() && Lower(s.name).find(query) == std::string::npos) continue;
            out.push_back({{"name", s.name},
                           {"kind", SymbolKindOf(s.kind)},
                           {"location", {{"uri", uri}, {"range", Range(s.line, s.column, s.length)}}}});
        }
    }
    return out;
}

Json LspServer::Completion(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    int line = 0;
    int character = 0;
    if (!ReadPosition(params.value("position", Json()), line, character)) return Json::array();
    const auto scope = Scope(uri);
    if (scope.empty() || line > static_cast<int>(scope[0]->lines.size())) return Json::array();
    const std::string& text = scope[0]->lines[static_cast<std::size_t>(line - 1)];
    const std::string before = text.substr(0, std::min<std::size_t>(static_cast<std::size_t>(character), text.size()));
    Json items = Json::array();
    // After "at $": the offsets the program's files already bind.
    std::size_t dollar = before.rfind('$');
    if (dollar != std::string::npos) {
        std::size_t k = dollar;
        while (k > 0 && before[k - 1] == ' ') --k;
        const bool afterAt = k >= 2 && SameNameNoCase(before.substr(k - 2, 2), "at");
        if (afterAt) {
            for (const CatalogueEntry& e : OffsetCatalogue()) {
                const std::string hex = Format("%04X", static_cast<unsigned>(e.offset));
                items.push_back({{"label", hex},
                                 {"kind", 21},
                                 {"detail", std::string(e.name)},
                                 {"documentation", CatalogueText(e)},
                                 {"filterText", hex + " " + std::string(e.name)}});
            }
            for (const auto& file : scope) {
                const Outline& o = file->outline;
                for (std::size_t n = 0; n < o.symbols.size(); ++n) {
                    const OutlineSymbol& s = o.symbols[n];
                    const std::string hex = HexDigits(s.detail);
                    if (s.kind != OutlineKind::kGlobal || hex.empty()) continue;
                    items.push_back({{"label", hex},
                                     {"kind", 21},
                                     {"detail", DeclarationText(o, static_cast<int>(n))}});
                }
            }
            return items;
        }
    }
    // A declaration being typed ("int Ind"): the catalogue's names, bound.
    {
        // The line so far is "TYPE partialName".
        std::size_t k = before.find_first_not_of(" \t");
        std::size_t typeEnd = k;
        while (typeEnd < before.size() && IsWordChar(before[typeEnd])) ++typeEnd;
        const KeywordInfo* type = k == std::string::npos ? nullptr : FindKeyword(before.substr(k, typeEnd - k));
        const std::size_t name = type ? before.find_first_not_of(" \t", typeEnd) : std::string::npos;
        bool declaring = type && type->kind == KeywordClass::kType && name != std::string::npos && name > typeEnd;
        for (std::size_t c = name; declaring && c < before.size(); ++c) declaring = IsWordChar(before[c]);
        if (declaring) {
            for (const CatalogueEntry& e : OffsetCatalogue()) {
                items.push_back({{"label", std::string(e.name)},
                                 {"kind", 6},
                                 {"detail", Format("at $%04X", static_cast<unsigned>(e.offset))},
                                 {"documentation", CatalogueText(e)},
                                 {"insertText", std::string(e.name) + Format(" at $%04X;", static_cast<unsigned>(e.offset))}});
            }
            return items;
        }
    }
    for (const KeywordInfo& k : Keywords()) {
        Json item = {{"label", k.text}, {"kind", k.kind == KeywordClass::kBuiltin ? 3 : 14}};
        if (k.kind == KeywordClass::kBuiltin) item["detail"] = k.signature;
        items.push_back(std::move(item));
    }
    for (std::size_t i = 0; i < scope.size(); ++i) {
        const Outline& o = scope[i]->outline;
        const int routine = i == 0 ? o.RoutineAt(line) : -1;
        for (std::size_t n = 0; n < o.symbols.size(); ++n) {
            const OutlineSymbol& s = o.symbols[n];
            if (s.kind == OutlineKind::kKeyRoutine) continue;  // never called by name
            if (s.parent >= 0 && s.parent != routine) continue;
            items.push_back({{"label", s.name},
                             {"kind", CompletionKindOf(s.kind)},
                             {"detail", DeclarationText(o, static_cast<int>(n))}});
        }
    }
    return items;
}

Json LspServer::SignatureHelp(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    int line = 0;
    int character = 0;
    if (!ReadPosition(params.value("position", Json()), line, character)) return nullptr;
    const auto scope = Scope(uri);
    if (scope.empty() || line > static_cast<int>(scope[0]->lines.size())) return nullptr;
    const std::string& text = scope[0]->lines[static_cast<std::size_t>(line - 1)];
    int depth = 0;
    int commas = 0;
    std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(character), text.size());
    while (k > 0) {
        const char c = text[--k];
        if (c == ')') ++depth;
        if (c == ',' && depth == 0) ++commas;
        if (c == '(') {
            if (depth == 0) break;
            --depth;
        }
        if (k == 0) return nullptr;
    }
    if (k >= text.size() || text[k] != '(') return nullptr;
    const std::string name = WordAt(text, static_cast<int>(k));
    if (name.empty()) return nullptr;
    std::string label;
    if (const KeywordInfo* kw = FindKeyword(name); kw && kw->kind == KeywordClass::kBuiltin) {
        label = kw->signature;
    } else {
        for (const auto& file : scope) {
            const int s = file->outline.Resolve(name, 0);
            if (s >= 0 && IsRoutine(file->outline.symbols[static_cast<std::size_t>(s)].kind)) {
                label = file->outline.Signature(s);
                break;
            }
        }
    }
    if (label.empty()) return nullptr;
    // The parameters are the label's parts between "(" and ")".
    Json parameters = Json::array();
    const std::size_t open = label.find('(');
    const std::size_t close = label.rfind(')');
    for (std::size_t at = open + 1; open != std::string::npos && at < close;) {
        std::size_t end = label.find(',', at);
        if (end == std::string::npos || end > close) end = close;
        parameters.push_back({{"label", {at, end}}});
        at = end + 1;
        while (at < close && label[at] == ' ') ++at;
    }
    return {{"signatures", {{{"label", label}, {"parameters", parameters}}}},
            {"activeSignature", 0},
            {"activeParameter", parameters.empty() ? 0 : std::min<int>(commas, static_cast<int>(parameters.size()) - 1)}};
}

Json LspServer::SemanticTokens(const Json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const auto file = File(uri);
    if (!file) return {{"data", Json::array()}};
    const Outline& o = file->outline;
    std::vector<OutlineToken> tokens = o.tokens;
    std::stable_sort(tokens.begin(), tokens.end(), [](const OutlineToken& a, const OutlineToken& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    Json data = Json::array();
    int lastLine = 1;
    int lastColumn = 0;
    for (const OutlineToken& t : tokens) {
        int type = kOperator;
        if (t.token == kOutlinePreprocessor) {
            type = kMacro;
        } else if (t.token >= kTokByte && t.token <= kTokStartseq) {
            type = kKeyword;
            for (const KeywordInfo& k : Keywords()) {
                if (k.token == t.token) {
                    type = k.kind == KeywordClass::kType ? kType : k.kind == KeywordClass::kBuiltin ? kFunction : kKeyword;
                }
            }
        } else if (t.token == kTokNumber || t.token == kTokFloatLit) {
            type = kNumber;
        } else if (t.token == kTokStrLit || t.token == kTokCharLit) {
            type = kString;
        } else if (t.token == kTokIdent) {
            type = kVariable;
            if (t.line <= static_cast<int>(file->lines.size())) {
                const std::string& l = file->lines[static_cast<std::size_t>(t.line - 1)];
                const std::string word = l.substr(std::min<std::size_t>(static_cast<std::size_t>(t.column), l.size()),
                                                  static_cast<std::size_t>(t.length));
                const int s = o.Resolve(word, t.line);
                if (s >= 0) {
                    const OutlineKind kind = o.symbols[static_cast<std::size_t>(s)].kind;
                    if (IsRoutine(kind)) type = kFunction;
                    if (kind == OutlineKind::kParameter) type = kParameter;
                    if (kind == OutlineKind::kDefine) type = kMacro;
                }
            }
        }
        if (t.length <= 0) continue;
        const int deltaLine = t.line - lastLine;
        if (deltaLine < 0 || (deltaLine == 0 && t.column < lastColumn)) continue;  // never overlapping
        data.push_back(deltaLine);
        data.push_back(deltaLine == 0 ? t.column - lastColumn : t.column);
        data.push_back(t.length);
        data.push_back(type);
        data.push_back(0);
        lastLine = t.line;
        lastColumn = t.column;
    }
    return {{"data", data}};
}

}  // namespace vorn::protocol
