#include "text/Version.h"

namespace tarnvale {

const char* VersionText() { return TARNVALE_VERSION_TEXT; }

}  // namespace tarnvale
