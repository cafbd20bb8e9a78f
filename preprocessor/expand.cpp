#include "preprocessor/expand.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "support/error.h"

namespace vorn {

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first occurrence of word in text, ignoring ASCII letter
// case, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view word) {
    if (word.empty()) return 0;
    const auto it = std::search(text.begin(), text.end(), word.begin(), word.end(),
                                [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

bool ContainsNoCase(std::string_view text, std::string_view word) {
    return FindNoCase(text, word) != std::string_view::npos;
}

enum class FileKind { kMissing, kRegular, kFolder, kOther };

FileKind Classify(const std::string& name) {
    // A name with a NUL byte would be cut short by the system and could name
    // some other file.
    if (name.empty() || name.find('\0') != std::string::npos) return FileKind::kMissing;
    std::error_code ec;
    const auto status = std::filesystem::status(name, ec);
    if (ec || !std::filesystem::exists(status)) return FileKind::kMissing;
    if (std::filesystem::is_directory(status)) return FileKind::kFolder;
    // Pipes and devices are refused: reading one could block or never end.
    return std::filesystem::is_regular_file(status) ? FileKind::kRegular : FileKind::kOther;
}

[[noreturn]] void TooLarge(std::size_t maxBytes) {
    const std::size_t mb = std::size_t{1} << 20;
    throw Error("The expanded text would be larger than " +
                (maxBytes % mb == 0 ? std::to_string(maxBytes / mb) + " MB" : std::to_string(maxBytes) + " bytes") +
                " (include files counted)");
}

// Throws when `adding` more bytes would take the output past the bound.
void CheckRoom(const MemoryStream& output, std::size_t adding, std::size_t maxBytes) {
    if (adding > maxBytes || output.Size() > maxBytes - adding) TooLarge(maxBytes);
}

// Reads at most `room` bytes: a longer file could never fit the output.
void ReadWholeFile(const std::string& name, MemoryStream& into, std::size_t room, std::size_t maxBytes) {
    std::ifstream file(name, std::ios::binary);
    if (!file.is_open()) {
        throw Error("Cannot read include file \"" + name + "\": " + std::strerror(errno));
    }
    char chunk[64 * 1024];
    while (file) {
        file.read(chunk, sizeof chunk);
        const std::streamsize got = file.gcount();
        if (got <= 0) continue;
        if (into.Size() + static_cast<std::size_t>(got) > room) TooLarge(maxBytes);
        into.Write(chunk, static_cast<std::size_t>(got));
    }
    if (file.bad()) throw Error("Cannot read include file \"" + name + "\": read failed");
}

}  // namespace

DefineEntry ParseDefine(std::string_view line) {
    // The "#" and the six characters after it are skipped, whatever they are.
    const std::size_t hash = line.find('#');
    std::size_t i = (hash == std::string_view::npos ? 0 : hash + 1) + 6;
    DefineEntry entry;
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t nameStart = std::min(i, line.size());
    while (i < line.size() && line[i] != ' ') ++i;
    entry.name.assign(line.substr(nameStart, i - nameStart));
    while (i < line.size() && line[i] == ' ') ++i;
    if (i < line.size()) entry.value.assign(line.substr(i));
    return entry;
}

namespace {

// Where the expanded lines go, with the bound on their total.
struct Output {
    TextStreamAdapter& writer;
    const MemoryStream& stream;
    const ExpandOptions& options;

    void WriteLine(const std::string& text) {
        CheckRoom(stream, text.size() + 2, options.maxBytes);
        writer.WriteLine(text);
    }
};

// An error line takes the place of the include line, so it maps to it.
void WriteIncludeError(const std::string& text, Output& writer, LineMap* map, int includeLine) {
    writer.WriteLine(text);
    if (map) {
        map->Add(0, includeLine);
        map->MarkError(text);
    }
}

struct Found {
    FileKind kind;
    std::string path;
};

// The current directory first, then each folder; a name found nowhere (or an
// absolute one that does not exist) is missing.
Found Search(const std::string& name, const std::vector<std::string>& folders) {
    const FileKind here = Classify(name);
    if (here != FileKind::kMissing || name.empty() || name.find('\0') != std::string::npos ||
        !std::filesystem::path(name).is_relative()) {
        return {here, name};
    }
    for (const std::string& folder : folders) {
        const std::string path = (std::filesystem::path(folder) / name).lexically_normal().generic_string();
        const FileKind kind = Classify(path);
        if (kind != FileKind::kMissing) return {kind, path};
    }
    return {FileKind::kMissing, name};
}

// The expanded text keeps the plain error line; the diagnostic also names
// where the file was looked for.
void WriteMissing(const std::string& line, const std::vector<std::string>& folders, Output& writer, LineMap* map,
                  int includeLine) {
    const std::string text = "error - file does not exist:" + line;
    writer.WriteLine(text);
    if (!map) return;
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    std::string searched = current.generic_string();
    for (const std::string& folder : folders) {
        if (std::filesystem::equivalent(folder, current, ec)) continue;  // looked in once
        searched += ", " + std::filesystem::path(folder).generic_string();
    }
    map->Add(0, includeLine);
    map->MarkError(text + " (looked in " + searched + ")");
}

void IncludeInto(const std::string& line, Output& writer, LineMap* map, int includeLine) {
    std::string name;
    if (!IncludeLineName(line, name)) {
        const char* problem = line.find('"') == std::string::npos ? "error - expected file name in quotes:"
                                                                    : "error - expected closing quote:";
        WriteIncludeError(problem + line, writer, map, includeLine);
        return;
    }
    const ExpandOptions& options = writer.options;
    MemoryStream content;
    std::string shown = name;  // where it was found, as the user would name it
    if (options.includes != nullptr) {
        const auto it = options.includes->find(name);
        if (name.empty() || it == options.includes->end()) {
            WriteIncludeError("error - file does not exist:" + line, writer, map, includeLine);
            return;
        }
        CheckRoom(writer.stream, it->second.size(), options.maxBytes);
        content.Write(it->second);
    } else {
        const Found found = Search(name, options.includeFolders);
        switch (found.kind) {
            case FileKind::kMissing:
                WriteMissing(line, options.includeFolders, writer, map, includeLine);
                return;
            case FileKind::kFolder:
                WriteIncludeError("error - file is a folder:" + line, writer, map, includeLine);
                return;
            case FileKind::kOther:
                throw Error("Cannot read include file \"" + found.path + "\": not a regular file");
            case FileKind::kRegular:
                break;
        }
        shown = found.path;
        ReadWholeFile(found.path, content, options.maxBytes - std::min(options.maxBytes, writer.stream.Size()),
                      options.maxBytes);
    }
    TextStreamAdapter reader;
    reader.AssignStream(&content);
    reader.Reset();
    std::string included;
    const int file = map ? map->FileIndex(shown) : 0;
    for (int n = 1; reader.ReadLine(included); ++n) {
        writer.WriteLine(included);
        if (map) map->Add(file, n);
    }
    reader.Close();
}

}  // namespace

ExpandLineKind ClassifyExpandLine(std::string_view line) {
    if (ContainsNoCase(line, "#include")) return ExpandLineKind::kInclude;
    if (ContainsNoCase(line, "#define ")) return ExpandLineKind::kDefine;
    return ExpandLineKind::kText;
}

bool IncludeLineName(std::string_view line, std::string& name) {
    const std::size_t open = line.find('"');
    if (open == std::string_view::npos) return false;
    const std::size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) return false;
    name.assign(line.substr(open + 1, close - open - 1));
    return true;
}

void ExpandInclude(const std::string& line, TextStreamAdapter& writer) {
    // Without the output stream to measure, the bound applies to the file alone.
    static const MemoryStream kNothingYet;
    static const ExpandOptions kDefaults;
    Output out{writer, kNothingYet, kDefaults};
    IncludeInto(line, out, nullptr, 0);
}

void Expand(MemoryStream& input, MemoryStream& output, LineMap* map, const ExpandOptions& options) {
    if (map) map->Begin();
    std::vector<DefineEntry> defines;
    input.Rewind();
    output.Clear();
    // Written lines end in CR LF: up to twice an input of LF-ended empty
    // lines. Room reserved but never written is never touched, so it costs
    // nothing, while growing by copies would hold two buffers at once.
    output.Reserve(std::min(options.maxBytes, input.Size() * 2 + 64));
    TextStreamAdapter reader;
    TextStreamAdapter writer;
    reader.AssignStream(&input);
    writer.AssignStream(&output);
    reader.Reset();
    writer.Rewrite();

    std::string line;
    while (reader.ReadLine(line)) {
        const int lineNumber = map ? map->NextMainLine() : 0;
        const ExpandLineKind kind = ClassifyExpandLine(line);
        if (kind == ExpandLineKind::kInclude) {
            Output out{writer, output, options};
            IncludeInto(line, out, map, lineNumber);
        } else if (kind == ExpandLineKind::kDefine) {
            defines.push_back(ParseDefine(line));
        } else {
            // Each entry replaces at most its first occurrence, in the order
            // the defines were met, on the line as earlier entries left it.
            for (const DefineEntry& d : defines) {
                if (d.name.empty()) throw Error("Search string cannot be blank");
                const std::size_t at = FindNoCase(line, d.name);
                if (at == std::string::npos) continue;
                CheckRoom(output, line.size() - d.name.size() + d.value.size() + 2, options.maxBytes);
                line.replace(at, d.name.size(), d.value);
            }
            CheckRoom(output, line.size() + 2, options.maxBytes);
            writer.WriteLine(line);
            if (map) map->Add(0, lineNumber);
        }
    }
    writer.Close();
    reader.Close();
}

}  // namespace vorn
