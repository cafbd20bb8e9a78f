#pragma once
// file: URIs and the paths they name, as editors send them.
#include <string>

namespace vorn::protocol {

// "file:///home/a/b%20c.vrn" -> "/home/a/b c.vrn"; empty for other schemes
// or a broken escape.
std::string UriToPath(const std::string& uri);
// The other way: an absolute path with the characters URIs reserve escaped.
std::string PathToUri(const std::string& path);

}  // namespace vorn::protocol
