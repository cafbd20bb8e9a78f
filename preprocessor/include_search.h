#pragma once
// Where "#include" names are looked for, the same in every command and both
// windows: the current directory, then the folder of the file that holds the
// include, then Vorn's library folder.
#include <filesystem>
#include <string>
#include <vector>

namespace vorn {

// The folder of the running program's file; empty when the system does not say.
// Installed files (the library, the user's guide) are found from it.
std::filesystem::path ExecutableFolder();

// Vorn's library of include files (fsuipc.vrn): share/vorn/include beside the
// installed programs' bin folder, include beside them in the zip, or the build
// tree's library folder when run from there. "" when none exists.
std::string LibraryIncludeFolder();

// The folders searched after the current directory for includes of the file
// named sourceFile ("" for a text with no file yet): its folder, then the
// library folder; empty folders and repeats left out.
std::vector<std::string> IncludeFolders(const std::string& sourceFile);

}  // namespace vorn
