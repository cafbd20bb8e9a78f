#pragma once
// Text conversions the windows share. The core keeps text as UTF-8; both
// editors (Qt's and RichEdit) count columns in UTF-16 code units, so the
// core's columns are UTF-16 units too.
#include <string>
#include <string_view>

namespace vorn {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Every byte is the code point of the same value.
std::string Latin1ToUtf8(std::string_view bytes);
// False (and `out` unspecified) when a character lies above U+00FF.
bool Utf8ToLatin1(std::string_view text, std::string& out);

// Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace vorn
