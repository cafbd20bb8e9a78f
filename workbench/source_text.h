#pragma once
// Source files as the editors see them: lines of UTF-8 text.
//
// Reading accepts LF, CR LF and lone CR line ends; a line end at the very end
// starts no further line. Writing puts CR LF after every line, so a file
// that ends with an empty line keeps it.
//
// A file that is not valid UTF-8 is read byte for byte as Latin-1 and written
// back the same way, so opening and saving a file never alters characters
// the editor did not touch.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Source files are small; anything bigger is not one, and would only choke the editor.
inline constexpr std::size_t kMaxSourceFileBytes = 32 * 1024 * 1024;

// A window's editor keeps a record and a layout for every line, and lays a
// line out whole: past these a file takes minutes and gigabytes to show, so
// it is refused before anything changes (vornc has no such limit).
inline constexpr std::size_t kMaxEditorLines = 200000;
inline constexpr std::size_t kMaxEditorLineBytes = 16384;

// Empty when an editor can hold the file's bytes, else the sentence saying why not.
std::string EditorLimitProblem(std::string_view bytes);

enum class TextEncoding { Utf8, Latin1 };

struct SourceText {
    std::vector<std::string> lines;  // UTF-8, without line ends
    TextEncoding encoding = TextEncoding::Utf8;
};

SourceText DecodeSourceText(std::string_view bytes);
// The same lines in one string, each followed by LF: a file of millions of
// short lines costs its own size, not a string per line.
std::string DecodedSourceLines(std::string_view bytes);

// Falls back to UTF-8 when a line holds characters Latin-1 cannot represent.
std::string EncodeSourceText(const std::vector<std::string>& lines, TextEncoding encoding);

// Splits at LF, CR LF and lone CR; a line end at the very end starts no further line.
std::vector<std::string> SplitLines(std::string_view text);

// The text an editor holds for `lines`, joined by `separator`. An editor
// shows a final empty line only after a line break, and a line break at the
// very end starts no line, so a last empty line gets one separator more.
std::string EditorText(const std::vector<std::string>& lines, std::string_view separator = "\n");

}  // namespace vorn
