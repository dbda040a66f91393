#pragma once
// A core dump holds what the process's memory holds: the passwords, the keys
// derived from them and the decrypted entries. A process that holds them
// writes none.
#include <cstddef>

// The environment variable that keeps core dumps possible, for debugging
// ("1": dumps as the system allows them).
inline constexpr const char* CoreDumpsAllowedVariable = "QUILLORY_ALLOW_CORE_DUMPS";

// Makes the process write no core dump from now on, whatever crashes it (not
// dumpable, no core size), unless the variable above is "1".
void KeepOutOfCoreDumps();

// Leaves the memory pages under [data, data + size) out of any core dump
// (also one allowed for debugging).
void LeaveOutOfCoreDumps(const void* data, std::size_t size);
