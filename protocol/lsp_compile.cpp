#include "preprocessor/include_search.h"
#include "protocol/lsp_compile.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "compiler/compile_source.h"
#include "compiler/program_map.h"
#include "preprocessor/expand.h"
#include "preprocessor/memory_stream.h"
#include "protocol/uri.h"
#include "support/error.h"
#include "support/listing_diagnostic.h"

namespace vorn::protocol {

namespace {

namespace fs = std::filesystem;

bool ReadDiskFile(const std::string& path, std::string& text, std::size_t maxBytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec) || ec) return false;  // pipes and devices could block
    const auto size = fs::file_size(path, ec);
    if (ec || size > maxBytes) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return true;
}

std::string LineOf(const std::string& text, int line) {
    std::size_t start = 0;
    for (int n = 1; n < line; ++n) {
        start = text.find('\n', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(start, end - start);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    return l;
}

Json Diagnostic(const std::string& fileText, int line, const std::string& message) {
    const bool warning = message.rfind("Warning", 0) == 0 || message.rfind("warning", 0) == 0;
    return {{"range", DiagnosticRange(LineOf(fileText, line), line, message)},
            {"severity", warning ? 2 : 1},
            {"source", "vornc"},
            {"message", message}};
}

}  // namespace

std::string FindInclude(const std::string& fromPath, const std::string& name,
                        const std::map<std::string, std::string>& openFiles, std::string& text,
                        std::size_t maxBytes) {
    if (name.empty() || name.find('\0') != std::string::npos) return {};
    std::vector<fs::path> candidates;
    const fs::path named(name);
    if (named.is_absolute()) {
        candidates.push_back(named);
    } else {
        // As every command looks: the current folder, the including file's
        // folder, then Vorn's library folder.
        std::error_code ec;
        const fs::path here = fs::current_path(ec);
        if (!ec) candidates.push_back(here / named);
        for (const std::string& folder : IncludeFolders(fromPath)) candidates.push_back(fs::path(folder) / named);
    }
    for (const fs::path& c : candidates) {
        const std::string path = c.lexically_normal().string();
        if (const auto it = openFiles.find(path); it != openFiles.end()) {
            text = it->second;
            return path;
        }
        if (ReadDiskFile(path, text, maxBytes)) return path;
    }
    return {};
}

Json DiagnosticRange(const std::string& lineText, int line, const std::string& message) {
    const int row = line > 0 ? line - 1 : 0;
    const std::string token(DiagnosticToken(message));
    std::size_t from = 0;
    std::size_t to = lineText.size();
    if (!token.empty()) {
        if (const std::size_t at = lineText.find(token); at != std::string::npos) {
            from = at;
            to = at + token.size();
        }
    }
    return {{"start", {{"line", row}, {"character", from}}}, {"end", {{"line", row}, {"character", to}}}};
}

CompileReport CompileDocument(const CompileInput& input) {
    CompileReport report;
    report.mainUri = input.mainUri;
    report.version = input.version;
    report.diagnostics[input.mainUri] = Json::array();

    // The includes, found the way the editor's user would find them.
    IncludeFiles includes;
    std::map<std::string, std::string> includePaths;  // name as written -> path
    std::size_t start = 0;
    const std::string& text = input.mainText;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        std::string name;
        if (ClassifyExpandLine(line) != ExpandLineKind::kInclude || !IncludeLineName(line, name)) continue;
        if (includes.count(name)) continue;
        std::string content;
        const std::string path = FindInclude(input.mainPath, name, input.openFiles, content, input.maxExpandedBytes);
        if (path.empty()) continue;  // the expander says it does not exist
        includes[name] = std::move(content);
        includePaths[name] = path;
    }

    MemoryStream source, expanded, listing, image;
    source.Write(text);
    ProgramMap map;
    map.lines.SetNames(input.mainPath);
    ExpandOptions options;
    options.maxBytes = input.maxExpandedBytes;
    options.includes = &includes;
    auto add = [&](const SourcePlace& place, const std::string& message) {
        std::string uri = input.mainUri;
        const std::string* fileText = &text;
        if (!place.mainFile) {
            const auto it = includePaths.find(place.file);
            if (it != includePaths.end()) {
                uri = PathToUri(it->second);
                fileText = &includes[place.file];
            }
        }
        auto& list = report.diagnostics[uri];
        if (!list.is_array()) list = Json::array();
        list.push_back(Diagnostic(*fileText, place.line, message));
    };
    try {
        Expand(source, expanded, &map.lines, options);
        for (const LineMap::ErrorLine& e : map.lines.Errors()) add(map.lines.Place(e.expandedLine), e.text);
        CompileSource(expanded, listing, image, false, &map);
    } catch (const Error& error) {
        SourcePlace first;
        first.line = 1;
        first.mainFile = true;
        add(error.ExpandedLine() > 0 ? map.lines.Place(error.ExpandedLine()) : first, error.what());
        return report;
    }
    const std::string listed = listing.Text();
    std::size_t at = 0;
    while (at < listed.size()) {
        std::size_t end = listed.find('\n', at);
        if (end == std::string::npos) end = listed.size();
        ListingDiagnostic d;
        if (ParseListingDiagnostic(std::string_view(listed.data() + at, end - at), d)) {
            add(map.lines.Place(d.expandedLine), std::string(d.message));
        }
        at = end + 1;
    }
    for (const GlobalSymbol& g : map.globals) {
        std::string lower = g.name;
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        report.globalAddresses[lower] = g.address;
    }
    return report;
}

}  // namespace vorn::protocol
