#include "machine/debug_mode.h"

namespace vorn {

bool DebugMode = false;

}  // namespace vorn
