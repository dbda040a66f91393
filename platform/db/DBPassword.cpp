#include "platform/db/DBPassword.h"

#include "platform/db/DB.h"

// The SHA-1 block function is deprecated as an interface, not as a hash; the
// derivation below needs it (see Pbkdf2HmacSha1).
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstring>
#include <tuple>

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

// Wipes the objects it is given when it goes out of scope.
template <class... T>
struct TCleanse {
  explicit TCleanse(T&... objects) : Objects(objects...) {}
  ~TCleanse() {
    std::apply([](auto&... o) { (OPENSSL_cleanse(&o, sizeof o), ...); }, Objects);
  }
  std::tuple<T&...> Objects;
};

void StoreState(const SHA_CTX& c, unsigned char* to) {
  for (unsigned h : {c.h0, c.h1, c.h2, c.h3, c.h4}) {
    *to++ = static_cast<unsigned char>(h >> 24);
    *to++ = static_cast<unsigned char>(h >> 16);
    *to++ = static_cast<unsigned char>(h >> 8);
    *to++ = static_cast<unsigned char>(h);
  }
}

// PBKDF2-HMAC-SHA1 as the engine derives file keys. Each iteration hashes one
// 20-byte block, so it runs straight on the block function from the keyed
// inner and outer states: the general routine spends two thirds of its time
// copying, allocating and wiping contexts, and the derivation is what opening
// a journal waits for. Its cost to a guesser is the same either way.
void Pbkdf2HmacSha1(const String& password, const String& salt, int iterations, unsigned char* out,
                    size_t outBytes) {
  constexpr size_t block = SHA_CBLOCK, digest = SHA_DIGEST_LENGTH;
  unsigned char key[block] = {}, pad[block], u[block] = {}, t[digest];
  SHA_CTX inner, outer, c;
  TCleanse wipe(key, pad, u, t, inner, outer, c);
  if (password.size() > block)
    SHA1(reinterpret_cast<const unsigned char*>(password.data()), password.size(), key);
  else
    std::memcpy(key, password.data(), password.size());
  for (size_t i = 0; i < block; ++i) pad[i] = key[i] ^ 0x36;
  SHA1_Init(&inner);
  SHA1_Update(&inner, pad, block);
  for (size_t i = 0; i < block; ++i) pad[i] = key[i] ^ 0x5c;
  SHA1_Init(&outer);
  SHA1_Update(&outer, pad, block);
  for (unsigned n = 1; outBytes > 0; ++n) {
    const unsigned char index[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                                    static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    c = inner;
    SHA1_Update(&c, salt.data(), salt.size());
    SHA1_Update(&c, index, sizeof index);
    SHA1_Final(u, &c);
    c = outer;
    SHA1_Update(&c, u, digest);
    SHA1_Final(u, &c);
    std::memcpy(t, u, digest);
    // From here on u is a whole padded block: 20 bytes of message after the
    // 64 of the pad.
    std::memset(u + digest, 0, block - digest);
    u[digest] = 0x80;
    u[block - 2] = static_cast<unsigned char>(((block + digest) * 8) >> 8);
    u[block - 1] = static_cast<unsigned char>((block + digest) * 8);
    for (int i = 1; i < iterations; ++i) {
      c = inner;
      SHA1_Transform(&c, u);
      StoreState(c, u);
      c = outer;
      SHA1_Transform(&c, u);
      StoreState(c, u);
      for (size_t j = 0; j < digest; ++j) t[j] ^= u[j];
    }
    const size_t n2 = std::min(outBytes, digest);
    std::memcpy(out, t, n2);
    out += n2;
    outBytes -= n2;
  }
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
  Pbkdf2HmacSha1(password, salt, kdfIter, key, keyBytes);
  const auto* saltBytes = reinterpret_cast<const unsigned char*>(salt.data());
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
