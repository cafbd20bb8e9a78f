#include "workbench/source_text.h"

#include <algorithm>

#include "workbench/text_codec.h"

namespace vorn {

namespace {

// The one line splitter: `line` gets every line without its end.
template <typename Line>
void ForEachLine(std::string_view text, Line line) {
    std::size_t start = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        line(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) line(text.substr(start));
}

}  // namespace

std::string EditorLimitProblem(std::string_view bytes) {
    std::size_t lines = 0, longest = 0;
    ForEachLine(bytes, [&](std::string_view line) {
        ++lines;
        longest = std::max(longest, line.size());
    });
    if (lines > kMaxEditorLines) return "The file has more than " + std::to_string(kMaxEditorLines) + " lines.";
    if (longest > kMaxEditorLineBytes)
        return "The file has a line longer than " + std::to_string(kMaxEditorLineBytes) + " characters.";
    return {};
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string DecodedSourceLines(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + 1);
    ForEachLine(bytes, [&](std::string_view line) {
        text += line;
        text += '\n';
    });
    return IsValidUtf8(bytes) ? text : Latin1ToUtf8(text);
}

std::string EditorText(const std::vector<std::string>& lines, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += separator;
        text += lines[i];
    }
    if (!lines.empty() && lines.back().empty()) text += separator;
    return text;
}

SourceText DecodeSourceText(std::string_view bytes) {
    SourceText result;
    if (IsValidUtf8(bytes)) {
        result.lines = SplitLines(bytes);
        return result;
    }
    result.encoding = TextEncoding::Latin1;
    result.lines = SplitLines(bytes);
    for (std::string& line : result.lines) line = Latin1ToUtf8(line);
    return result;
}

std::string EncodeSourceText(const std::vector<std::string>& lines, TextEncoding encoding) {
    std::string bytes;
    std::string latin1;
    if (encoding == TextEncoding::Latin1) {
        for (const std::string& line : lines) {
            if (!Utf8ToLatin1(line, latin1)) {
                encoding = TextEncoding::Utf8;
                break;
            }
        }
    }
    for (const std::string& line : lines) {
        if (encoding == TextEncoding::Latin1) {
            Utf8ToLatin1(line, latin1);
            bytes += latin1;
        } else {
            bytes += line;
        }
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace vorn
