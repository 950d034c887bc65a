#include "io/Sha256.h"

#include <openssl/evp.h>

namespace tarnvale {

std::string Sha256Hex(const void* data, std::size_t size) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(data, size, digest, &length, EVP_sha256(), nullptr) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * length);
  for (unsigned int i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

}  // namespace tarnvale
