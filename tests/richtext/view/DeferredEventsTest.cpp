// Events posted to a viewer's window: fired after the poster's handler
// returns, freed in every case, and dropped with their receiver.
#include "ViewerFixture.h"

#include "platform/gui/Forms.h"
#include "richtext/view/VLMessages.h"

using namespace qytest;

namespace {

int GAlive = 0;

// A jump record that counts how many of its kind are alive.
class TCountedJump : public TVLJumpMessageData {
public:
  TCountedJump() { ++GAlive; }
  ~TCountedJump() override { --GAlive; }
};

std::unique_ptr<TVLMessageData> Jump(Byte kind, Integer id) {
  auto r = std::make_unique<TCountedJump>();
  r->Event = kind;
  r->Id = id;
  return r;
}

}  // namespace

TEST(DeferredEvents, FiredAfterTheHandlerAndFreed) {
  TViewer v;
  std::vector<Integer> jumps;
  v.View->OnJump = [&](TObject*, Integer id) { jumps.push_back(id); };
  ASSERT_TRUE(VLPostEvent(v.View->VLData(), Jump(1, 42)));
  EXPECT_TRUE(jumps.empty()) << "not fired while posting";
  EXPECT_EQ(GAlive, 1);
  Application->ProcessMessages();
  EXPECT_EQ(jumps, std::vector<Integer>{42});
  EXPECT_EQ(GAlive, 0);
  // A kind the viewer does not know is freed without an event.
  ASSERT_TRUE(VLPostEvent(v.View->VLData(), Jump(9, 7)));
  Application->ProcessMessages();
  EXPECT_EQ(jumps.size(), 1u);
  EXPECT_EQ(GAlive, 0);
}

TEST(DeferredEvents, RecordDiesWithItsReceiver) {
  {
    TViewer v;
    ASSERT_TRUE(VLPostEvent(v.View->VLData(), Jump(1, 1)));
    ASSERT_TRUE(VLPostEvent(v.View->VLData(), Jump(0, 2)));
    EXPECT_EQ(GAlive, 2);
  }
  EXPECT_EQ(GAlive, 0);
  Application->ProcessMessages();
  EXPECT_EQ(GAlive, 0);
}

TEST(DeferredEvents, KindsReachTheirEvents) {
  TViewer v;
  v.Add("word");
  v.Format();
  std::vector<String> seen;
  v.View->OnVLDblClick = [&](TCustomVellum*, const String& w, Integer s) { seen.push_back("dbl " + w); };
  v.View->OnVLMouseDown = [&](TCustomVellum*, TMouseButton, TShiftState, Integer, Integer x, Integer) {
    seen.push_back("down " + std::to_string(x));
  };
  v.View->OnVLMouseUp = [&](TCustomVellum*, TMouseButton, TShiftState, Integer, Integer x, Integer) {
    seen.push_back("up " + std::to_string(x));
  };
  v.View->OnClick = [&](TObject*) { seen.push_back("click"); };
  auto dbl = std::make_unique<TVLDblClickMessageData>();
  dbl->Event = 0;
  dbl->ClickedWord = "word";
  VLPostEvent(v.View->VLData(), std::move(dbl));
  for (Byte kind : {3, 2}) {
    auto m = std::make_unique<TVLMouseUpDownMessageData>();
    m->Event = kind;
    m->X = kind * 10;
    VLPostEvent(v.View->VLData(), std::move(m));
  }
  auto click = std::make_unique<TVLClickMessageData>();
  click->Event = 4;
  VLPostEvent(v.View->VLData(), std::move(click));
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<String>{"dbl word", "down 30", "up 20", "click"}));
}

TEST(DeferredEvents, DragRecordForgetsAnObjectThatWent) {
  TViewer v;
  TObject* received = reinterpret_cast<TObject*>(1);
  v.View->OnDragDrop = [&](TObject*, TObject* obj, Integer, Integer) { received = obj; };
  auto target = std::make_unique<TComponent>(nullptr);
  auto r = std::make_unique<TVLDNDMessageData>();
  r->Event = 8;
  r->SetObj(target.get());
  VLPostEvent(v.View->VLData(), std::move(r));
  target.reset();
  Application->ProcessMessages();
  EXPECT_EQ(received, nullptr);
}
