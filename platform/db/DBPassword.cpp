#include "platform/db/DBPassword.h"

#include "platform/db/DB.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

void AppendHex(String& to, const unsigned char* p, size_t n) {
  static const char digits[] = "0123456789abcdef";
  for (size_t i = 0; i < n; ++i) {
    to += digits[p[i] >> 4];
    to += digits[p[i] & 15];
  }
}

String ToHex(const unsigned char* p, size_t n) {
  String r;
  AppendHex(r, p, n);
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

String NewCipherSalt() {
  String salt(CipherSaltBytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), static_cast<int>(salt.size())) != 1)
    throw EDatabaseError("No random bytes for a salt");
  return salt;
}

String CipherRawKey(const String& password, const String& salt, int kdfIter, bool withSalt) {
  if (kdfIter < 1) throw EDatabaseError("Invalid key derivation iterations");
  if (salt.size() != CipherSaltBytes) throw EDatabaseError("Invalid cipher salt");
  constexpr size_t keyBytes = 32;
  unsigned char key[keyBytes];
  const auto* saltBytes = reinterpret_cast<const unsigned char*>(salt.data());
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), saltBytes,
                        static_cast<int>(salt.size()), kdfIter, EVP_sha1(), keyBytes, key) != 1)
    throw EDatabaseError("Key derivation failed");
  String r;
  // Room for all of it up front: growing would leave parts of the key behind.
  r.reserve(3 + 2 * (keyBytes + CipherSaltBytes));
  r += "x'";
  AppendHex(r, key, keyBytes);
  OPENSSL_cleanse(key, keyBytes);
  if (withSalt) AppendHex(r, saltBytes, salt.size());
  r += '\'';
  return r;
}

bool IsCipherRawKey(const String& key) {
  const size_t digits = key.size() < 3 ? 0 : key.size() - 3;
  if (digits != 64 && digits != 96) return false;
  if ((key[0] != 'x' && key[0] != 'X') || key[1] != '\'' || key.back() != '\'') return false;
  for (size_t i = 2; i < key.size() - 1; ++i)
    if (HexValue(key[i]) < 0) return false;
  return true;
}
