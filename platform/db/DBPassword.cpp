#include "platform/db/DBPassword.h"

#include "platform/db/DB.h"

// The SHA-1 block function is deprecated as an interface, not as a hash; the
// derivation below needs it (see Pbkdf2HmacSha1).
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <argon2.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>

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

constexpr size_t ShaBlock = SHA_CBLOCK, ShaDigest = SHA_DIGEST_LENGTH;

// Block n (from 1) of PBKDF2-HMAC-SHA1 from the keyed inner and outer states.
void Pbkdf2Block(const SHA_CTX& inner, const SHA_CTX& outer, const String& salt, int iterations,
                 unsigned n, unsigned char* out) {
  unsigned char u[ShaBlock] = {};
  SHA_CTX c;
  TCleanse wipe(u, c);
  const unsigned char index[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                                  static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
  c = inner;
  SHA1_Update(&c, salt.data(), salt.size());
  SHA1_Update(&c, index, sizeof index);
  SHA1_Final(u, &c);
  c = outer;
  SHA1_Update(&c, u, ShaDigest);
  SHA1_Final(u, &c);
  std::memcpy(out, u, ShaDigest);
  // From here on u is a whole padded block: 20 bytes of message after the 64
  // of the pad.
  u[ShaDigest] = 0x80;
  u[ShaBlock - 2] = static_cast<unsigned char>(((ShaBlock + ShaDigest) * 8) >> 8);
  u[ShaBlock - 1] = static_cast<unsigned char>((ShaBlock + ShaDigest) * 8);
  for (int i = 1; i < iterations; ++i) {
    c = inner;
    SHA1_Transform(&c, u);
    StoreState(c, u);
    c = outer;
    SHA1_Transform(&c, u);
    StoreState(c, u);
    for (size_t j = 0; j < ShaDigest; ++j) out[j] ^= u[j];
  }
}

// PBKDF2-HMAC-SHA1 as the engine derives file keys; opening a journal waits
// for it. Each iteration hashes one 20-byte block, so it runs straight on
// the block function from the keyed states (the general routine spends two
// thirds of its time copying, allocating and wiping contexts), and the
// output's blocks, which do not depend on each other, are computed at once
// on threads of their own. A guesser's cost stays the same.
void Pbkdf2HmacSha1(const String& password, const String& salt, int iterations, unsigned char* out,
                    size_t outBytes) {
  unsigned char key[ShaBlock] = {}, pad[ShaBlock];
  SHA_CTX inner, outer;
  TCleanse wipe(key, pad, inner, outer);
  if (password.size() > ShaBlock)
    SHA1(reinterpret_cast<const unsigned char*>(password.data()), password.size(), key);
  else
    std::memcpy(key, password.data(), password.size());
  for (size_t i = 0; i < ShaBlock; ++i) pad[i] = key[i] ^ 0x36;
  SHA1_Init(&inner);
  SHA1_Update(&inner, pad, ShaBlock);
  for (size_t i = 0; i < ShaBlock; ++i) pad[i] = key[i] ^ 0x5c;
  SHA1_Init(&outer);
  SHA1_Update(&outer, pad, ShaBlock);

  const size_t blocks = (outBytes + ShaDigest - 1) / ShaDigest;
  std::vector<unsigned char> t(blocks * ShaDigest);
  std::vector<std::thread> helpers;
  for (size_t b = 1; b < blocks; ++b) {
    auto run = [&, b] { Pbkdf2Block(inner, outer, salt, iterations, static_cast<unsigned>(b + 1), &t[b * ShaDigest]); };
    try {
      helpers.emplace_back(run);
    } catch (const std::system_error&) {
      run();  // no thread to spare: in turn
    }
  }
  Pbkdf2Block(inner, outer, salt, iterations, 1, t.data());
  for (std::thread& h : helpers) h.join();
  std::memcpy(out, t.data(), outBytes);
  OPENSSL_cleanse(t.data(), t.size());
}

}  // namespace

String NewPasswordSalt() {
  unsigned char salt[16];
  if (RAND_bytes(salt, sizeof salt) != 1) throw EDatabaseError("No random bytes for a salt");
  return ToHex(salt, sizeof salt);
}

namespace {

String SaltBytes(const String& saltHex) {
  if (saltHex.empty() || saltHex.size() % 2 != 0) throw EDatabaseError("Invalid password salt");
  String salt;
  for (size_t i = 0; i < saltHex.size(); i += 2) {
    int hi = HexValue(saltHex[i]), lo = HexValue(saltHex[i + 1]);
    if (hi < 0 || lo < 0) throw EDatabaseError("Invalid password salt");
    salt += static_cast<char>(hi * 16 + lo);
  }
  return salt;
}

std::mutex& NoticeLock() {
  static std::mutex lock;
  return lock;
}

TKeyDerivationNotice& Notice() {
  static TKeyDerivationNotice notice;
  return notice;
}

// Tells the notice around one derivation, once per thread however deep.
class TDerivation {
public:
  TDerivation() {
    if (Depth()++ > 0) return;
    {
      std::lock_guard<std::mutex> g(NoticeLock());
      FNotice = Notice();
    }
    if (FNotice) FNotice(true);
  }
  ~TDerivation() {
    if (--Depth() > 0 || !FNotice) return;
    try {
      FNotice(false);
    } catch (...) {
    }
  }
  TDerivation(const TDerivation&) = delete;
  TDerivation& operator=(const TDerivation&) = delete;

private:
  static int& Depth() {
    thread_local int depth = 0;
    return depth;
  }
  TKeyDerivationNotice FNotice;
};

}  // namespace

void SetKeyDerivationNotice(TKeyDerivationNotice notice) {
  std::lock_guard<std::mutex> g(NoticeLock());
  Notice() = std::move(notice);
}

TKeyDerivationNotice KeyDerivationNotice() {
  std::lock_guard<std::mutex> g(NoticeLock());
  return Notice();
}

String PasswordHashArgon2id(const String& password, const String& saltHex, const TCipherSettings& settings) {
  if (!settings.UsesArgon2() || settings.Argon2Passes < 1 || settings.Argon2Lanes < 1 ||
      settings.Argon2MemoryKiB < 8 * settings.Argon2Lanes)
    throw EDatabaseError("Invalid password hash settings");
  const String salt = SaltBytes(saltHex);
  // Argon2 takes no salt shorter than 8 bytes.
  if (salt.size() < 8) throw EDatabaseError("Invalid password salt");
  unsigned char out[32];
  const TDerivation told;
  const int rc = argon2id_hash_raw(static_cast<uint32_t>(settings.Argon2Passes),
                                   static_cast<uint32_t>(settings.Argon2MemoryKiB),
                                   static_cast<uint32_t>(settings.Argon2Lanes), password.data(), password.size(),
                                   salt.data(), salt.size(), out, sizeof out);
  if (rc != ARGON2_OK) throw EDatabaseError(String("Password hashing failed: ") + argon2_error_message(rc));
  return ToHex(out, sizeof out);
}

String PasswordHash(const String& password, const String& saltHex, int iterations) {
  if (iterations < 1) throw EDatabaseError("Invalid password hash iterations");
  const String salt = SaltBytes(saltHex);
  unsigned char out[32];
  const TDerivation told;
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

namespace {

constexpr size_t kCipherKeyBytes = 32;

String RawKeyText(unsigned char* key, const String& salt, bool withSalt) {
  const auto* saltBytes = reinterpret_cast<const unsigned char*>(salt.data());
  String r;
  // Room for all of it up front: growing would leave parts of the key behind.
  r.reserve(3 + 2 * (kCipherKeyBytes + CipherSaltBytes));
  r += "x'";
  AppendHex(r, key, kCipherKeyBytes);
  OPENSSL_cleanse(key, kCipherKeyBytes);
  if (withSalt) AppendHex(r, saltBytes, salt.size());
  r += '\'';
  return r;
}

}  // namespace

String CipherRawKey(const String& password, const String& salt, int kdfIter, bool withSalt) {
  if (kdfIter < 1) throw EDatabaseError("Invalid key derivation iterations");
  if (salt.size() != CipherSaltBytes) throw EDatabaseError("Invalid cipher salt");
  unsigned char key[kCipherKeyBytes];
  {
    const TDerivation told;
    Pbkdf2HmacSha1(password, salt, kdfIter, key, kCipherKeyBytes);
  }
  return RawKeyText(key, salt, withSalt);
}

String CipherRawKey(const String& password, const String& salt, const TCipherSettings& settings, bool withSalt) {
  if (!settings.UsesArgon2()) return CipherRawKey(password, salt, settings.KdfIter, withSalt);
  if (salt.size() != CipherSaltBytes) throw EDatabaseError("Invalid cipher salt");
  if (settings.Argon2Passes < 1 || settings.Argon2Lanes < 1 || settings.Argon2MemoryKiB < 8 * settings.Argon2Lanes)
    throw EDatabaseError("Invalid key derivation settings");
  unsigned char key[kCipherKeyBytes];
  int rc = ARGON2_OK;
  {
    const TDerivation told;
    rc = argon2id_hash_raw(static_cast<uint32_t>(settings.Argon2Passes),
                           static_cast<uint32_t>(settings.Argon2MemoryKiB),
                           static_cast<uint32_t>(settings.Argon2Lanes), password.data(), password.size(),
                           salt.data(), salt.size(), key, kCipherKeyBytes);
  }
  if (rc != ARGON2_OK) {
    OPENSSL_cleanse(key, kCipherKeyBytes);
    throw EDatabaseError(String("Key derivation failed: ") + argon2_error_message(rc));
  }
  return RawKeyText(key, salt, withSalt);
}

bool IsCipherRawKey(const String& key) {
  const size_t digits = key.size() < 3 ? 0 : key.size() - 3;
  if (digits != 64 && digits != 96) return false;
  if ((key[0] != 'x' && key[0] != 'X') || key[1] != '\'' || key.back() != '\'') return false;
  for (size_t i = 2; i < key.size() - 1; ++i)
    if (HexValue(key[i]) < 0) return false;
  return true;
}
