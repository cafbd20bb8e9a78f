#pragma once
// Where the user's guide (guide.html) is: beside the programs in the
// Windows installer and zip, in share/doc/vorn of the Debian package, or in
// the build tree when run from there. "" when none of them holds it.
#include <string>

namespace vorn {

std::string UserGuidePath();

}  // namespace vorn
