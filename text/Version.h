#pragma once
// The program's version as About, tarnvale-cli --version and the .deb give it.

namespace tarnvale {

/// The project's version ("0.1.0"), followed in a build from a git clone by
/// the commit it was built from as git describe names it ("0.1.0+g3d9967a").
const char* VersionText();

}  // namespace tarnvale
