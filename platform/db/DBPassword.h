#pragma once
// Salted, slow hashes of passwords, for the places that record that a
// password was set without keeping the password.
#include "platform/base/Types.h"

// 16 random bytes as 32 lower-case hexadecimal digits.
String NewPasswordSalt();
// PBKDF2-HMAC-SHA256 of the password's UTF-8 bytes with the salt's bytes,
// as 64 hexadecimal digits. Raises EDatabaseError when the salt is not hex.
String PasswordHash(const String& password, const String& saltHex);
