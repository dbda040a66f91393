#include "platform/base/SysUtils.h"

#include <cstdlib>

void Abort() { throw EAbort("Operation aborted"); }

Integer MulDiv(Integer a, Integer b, Integer c) {
  if (c == 0) return -1;
  const int64_t num = static_cast<int64_t>(a) * b;
  const int64_t den = c;
  const int64_t q = num / den;
  const int64_t r = num % den;
  // Round half away from zero, as the platform's MulDiv does.
  if (2 * std::llabs(r) >= std::llabs(den)) {
    return static_cast<Integer>((num < 0) != (den < 0) ? q - 1 : q + 1);
  }
  return static_cast<Integer>(q);
}
