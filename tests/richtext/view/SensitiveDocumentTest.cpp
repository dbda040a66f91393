// A document marked sensitive keeps no copy of its text once cleared: not
// in the measured texts of layout nor in what layout freed on the way.
#include "LayoutFixture.h"
#include "platform/base/Wipe.h"
#include "richtext/model/VLUni.h"
#include "support/SecretMemory.h"

#include <gtest/gtest.h>

using namespace qytest;

namespace {

TEST(SensitiveDocument, ClearingLeavesNoCopyOfTheText) {
  struct TCase {
    const char* Name;
    bool Sensitive;
    bool Reformat;  // laid out twice, the second time at another width
  };
  const TCase cases[] = {
      {"sensitive", true, false},
      {"sensitive, reformatted", true, true},
      // An ordinary document's measured texts stay until they are replaced.
      {"ordinary", false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TSecretText secret(40, Latin1Letters);
    TLayoutDoc d;
    d.Data.Width = 2000;
    d.Data.SetSensitive(c.Sensitive);
    d.Wide(u"Password:");
    {
      WideString text;
      secret.Into(text);
      AnsiString raw = WideStringToRawUnicode(text);
      d.Data.AddTextItemTag(raw, d.WideStyle(0), -1, TVLTag());
      WipeText(raw);
      WipeText(text);
    }
    d.Format();
    if (c.Reformat) {
      d.Data.Width = 300;
      d.Format();
    }
    EXPECT_GE(d.Data.DrawItems.Count(), 2);
    EXPECT_GE(CountInMemory(secret.In(seUtf16)), 1u);
    d.Data.Clear();
    if (c.Sensitive) {
      EXPECT_EQ(CountSecretCopies(secret), 0u);
      EXPECT_EQ(d.Data.ExtentsCache.Size(), 0u);
    } else {
      EXPECT_GE(CountInMemory(secret.In(seUtf16)), 1u);
    }
  }
}

}  // namespace
