#pragma once
// SHA-256 digests, through OpenSSL's implementation (which uses the
// processor's SHA instructions where it has them).
#include <cstddef>
#include <string>

namespace tarnvale {

/// The SHA-256 digest of @p size bytes at @p data as 64 lower-case hex
/// digits, or an empty text when the digest could not be made.
std::string Sha256Hex(const void* data, std::size_t size);

}  // namespace tarnvale
