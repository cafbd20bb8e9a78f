#pragma once
// One compile of an open document for the language server: its includes
// from the open buffers first, then from disk; its diagnostics as the
// protocol wants them, in the file each is in.
#include <map>
#include <string>

#include "protocol/lsp_server.h"

namespace vorn::protocol {

struct CompileInput {
    std::string mainUri;
    std::string mainPath;
    std::string mainText;
    int version = 0;
    std::map<std::string, std::string> openFiles;  // path -> the buffer's text
    std::size_t maxExpandedBytes = 0;
};

CompileReport CompileDocument(const CompileInput& input);

// Where an include named in a file at path is found: beside that file, then
// in the current folder; the open buffers before the disk. Empty when
// nowhere. Fills text when found.
std::string FindInclude(const std::string& fromPath, const std::string& name,
                        const std::map<std::string, std::string>& openFiles, std::string& text,
                        std::size_t maxBytes);

// "Undefined variable x at or before x" on a line: the range of that token.
Json DiagnosticRange(const std::string& lineText, int line, const std::string& message);

}  // namespace vorn::protocol
