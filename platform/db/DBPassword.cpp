#include "platform/db/DBPassword.h"

#include "platform/db/DB.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

String ToHex(const unsigned char* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  String r;
  for (size_t i = 0; i < n; ++i) {
    r += digits[p[i] >> 4];
    r += digits[p[i] & 15];
  }
  return r;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

String NewPasswordSalt() {
  unsigned char salt[16];
  if (RAND_bytes(salt, sizeof salt) != 1) throw EDatabaseError("No random bytes for a salt");
  return ToHex(salt, sizeof salt);
}

String PasswordHash(const String& password, const String& saltHex, int iterations) {
  if (iterations < 1) throw EDatabaseError("Invalid password hash iterations");
  if (saltHex.empty() || saltHex.size() % 2 != 0) throw EDatabaseError("Invalid password salt");
  String salt;
  for (size_t i = 0; i < saltHex.size(); i += 2) {
    int hi = HexValue(saltHex[i]), lo = HexValue(saltHex[i + 1]);
    if (hi < 0 || lo < 0) throw EDatabaseError("Invalid password salt");
    salt += static_cast<char>(hi * 16 + lo);
  }
  unsigned char out[32];
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                        reinterpret_cast<const unsigned char*>(salt.data()),
                        static_cast<int>(salt.size()), iterations, EVP_sha256(), sizeof out,
                        out) != 1)
    throw EDatabaseError("Password hashing failed");
  return ToHex(out, sizeof out);
}

bool SameHash(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  return CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

void WipeString(String& s) {
  if (!s.empty()) OPENSSL_cleanse(s.data(), s.size());
  s.clear();
}
