// A list of secret strings overwrites each string before its memory goes,
// whichever way the string leaves the list.
#include "platform/base/Strings.h"
#include "platform/base/Wipe.h"
#include "support/SecretMemory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace qytest;

namespace {

TEST(SensitiveStrings, NoCopyOutlivesTheStringsWayOut) {
  struct TCase {
    const char* Name;
    std::function<void(std::unique_ptr<TStringList>&)> Remove;
  };
  const TCase cases[] = {
      {"replaced by a longer string", [](auto& l) { l->Put(1, String(300, 'x')); }},
      // The shorter text would leave the old one's tail behind.
      {"replaced by a shorter string", [](auto& l) { l->Put(1, "short"); }},
      {"deleted", [](auto& l) { l->Delete(1); }},
      {"deleted before others", [](auto& l) { l->Delete(0); l->Delete(0); }},
      {"cleared", [](auto& l) { l->Clear(); }},
      {"destroyed with the list", [](auto& l) { l.reset(); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TSecretText secret(48, Latin1Letters);
    auto list = std::make_unique<TStringList>();
    list->Sensitive = true;
    list->Add("before");
    {
      String s;
      secret.Into(s);
      list->Add(s);
      WipeText(s);
    }
    list->Add("after");
    EXPECT_EQ(CountInMemory(secret.In(seUtf8)), 1u);
    c.Remove(list);
    EXPECT_EQ(CountSecretCopies(secret), 0u);
    // Nor does half of it stay behind.
    const TMaskedPattern& whole = secret.In(seUtf8);
    EXPECT_EQ(CountInMemory(whole.Slice(whole.Size() / 2, whole.Size() / 2)), 0u);
  }
}

TEST(SensitiveStrings, WipeTextClearsTheSpareCapacityToo) {
  const TSecretText secret(48, Latin1Letters);
  String s;
  secret.Into(s);
  s.resize(3);  // the rest of the buffer still holds the text
  const TMaskedPattern& whole = secret.In(seUtf8);
  EXPECT_EQ(CountInMemory(whole.Slice(8, 32)), 1u);
  WipeText(s);
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(CountInMemory(whole.Slice(8, 32)), 0u);
}

}  // namespace
