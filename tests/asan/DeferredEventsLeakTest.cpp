// Under the sanitizers: event records posted to a viewer are freed whether
// they are dispatched or their receiver is destroyed first (the leak check
// at exit judges the second case).
#include "platform/gui/Forms.h"
#include "richtext/view/VLMessages.h"
#include "richtext/view/Vellum.h"

#include <gtest/gtest.h>

namespace {

int GAlive = 0;

class TCountedDblClick : public TVLDblClickMessageData {
public:
  TCountedDblClick() { ++GAlive; }
  ~TCountedDblClick() override { --GAlive; }
};

std::unique_ptr<TVLMessageData> Record(Byte kind) {
  auto r = std::make_unique<TCountedDblClick>();
  r->Event = kind;
  r->ClickedWord = "a word long enough to live on the heap, not in the string itself";
  return r;
}

TEST(DeferredEventsLeak, RecordsFreedWithTheirReceiver) {
  TVLStyle style(nullptr);
  {
    TVellum view(nullptr);
    view.SetStyle(&style);
    for (Byte kind : {0, 1, 4, 9}) ASSERT_TRUE(VLPostEvent(view.VLData(), Record(kind)));
    EXPECT_EQ(GAlive, 4);
  }
  EXPECT_EQ(GAlive, 0);
  Application->ProcessMessages();
  {
    TVellum view(nullptr);
    view.SetStyle(&style);
    ASSERT_TRUE(VLPostEvent(view.VLData(), Record(0)));
    Application->ProcessMessages();
    EXPECT_EQ(GAlive, 0);
  }
}

}  // namespace
