#pragma once
// Salted, slow hashes of passwords, for the places that record that a
// password was set without keeping the password, and the wiping of
// passwords from memory.
#include "platform/base/Types.h"
#include "platform/db/DBTables.h"

#include <functional>
#include <initializer_list>
#include <vector>

// Iterations of the PBKDF2-HMAC-SHA256 records that earlier builds wrote
// (OWASP's figure for that algorithm). Records are now Argon2id's
// (PasswordHashArgon2id): PBKDF2 is far cheaper to guess against.
constexpr int PasswordHashIterations = 600000;

// 16 random bytes as 32 lower-case hexadecimal digits.
String NewPasswordSalt();
// PBKDF2-HMAC-SHA256 of the password's UTF-8 bytes with the salt's bytes,
// as 64 hexadecimal digits. Raises EDatabaseError when the salt is not hex
// or the iterations are not positive.
String PasswordHash(const String& password, const String& saltHex,
                    int iterations = PasswordHashIterations);
// Argon2id of the password's UTF-8 bytes with the salt's bytes and the
// settings' memory, passes and lanes, as 64 hexadecimal digits: a record of
// a password that costs a guesser as much as the journal's own key. Raises
// EDatabaseError for a salt that is not hex or settings without Argon2id.
String PasswordHashArgon2id(const String& password, const String& saltHex, const TCipherSettings& settings);
// Told when a key derivation or password hash (slow on purpose: a second or
// more) begins (true) and ends (false), on the thread that runs it, so that
// the program can show the user it is busy. A derivation inside another is
// not told again. Empty: nobody is told.
using TKeyDerivationNotice = std::function<void(bool begins)>;
void SetKeyDerivationNotice(TKeyDerivationNotice notice);
TKeyDerivationNotice KeyDerivationNotice();

// Compares two hashes in time that does not depend on where they differ.
bool SameHash(const String& a, const String& b);

// Overwrites the string's bytes with zeros and empties it.
void WipeString(String& s);

// Wipes the strings it was given when it goes out of scope, also when an
// exception passes, so that no copy of a key or password outlives its use.
class TWipeOnExit {
public:
  explicit TWipeOnExit(std::initializer_list<String*> strings) : FStrings(strings) {}
  explicit TWipeOnExit(std::vector<String>& list) : FList(&list) {}
  ~TWipeOnExit() {
    for (String* s : FStrings) WipeString(*s);
    if (FList)
      for (String& s : *FList) WipeString(s);
  }
  TWipeOnExit(const TWipeOnExit&) = delete;
  TWipeOnExit& operator=(const TWipeOnExit&) = delete;

private:
  std::vector<String*> FStrings;
  std::vector<String>* FList = nullptr;
};

// Raw keys of encrypted files. The engine derives a file's key from its
// password with PBKDF2-HMAC-SHA1 (kdf_iter rounds, 32 bytes) over the file's
// salt, its first CipherSaltBytes bytes; files made with Argon2id settings
// take that derivation's 32 bytes over the same salt instead. Handed the derived key as the text
// "x'<64 hex digits>'" it skips that work; with the salt's 32 hex digits
// appended it makes a new file with that salt.
constexpr size_t CipherSaltBytes = 16;
// CipherSaltBytes random bytes.
String NewCipherSalt();
// The raw-key text of the password for a file with that salt (and the salt
// appended when withSalt). Raises EDatabaseError for a salt of another size
// or iterations that are not positive.
String CipherRawKey(const String& password, const String& salt, int kdfIter, bool withSalt = false);
// The same by the file's settings (Argon2id or PBKDF2). Raises EDatabaseError
// also when Argon2id cannot run (memory).
String CipherRawKey(const String& password, const String& salt, const TCipherSettings& settings,
                    bool withSalt = false);
// True for a key the engine itself takes as raw (such a password is handed
// over as it is, never derived from).
bool IsCipherRawKey(const String& key);
