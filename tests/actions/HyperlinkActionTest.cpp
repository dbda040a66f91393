#include "actions/HypVLFrm.h"
#include "actions/VLActionsHyperlink.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/ShellOpen.h"
#include "richtext/model/VLItem.h"

#include "EditorBench.h"

#include <gtest/gtest.h>

namespace {

// A real editor with string tags, a link style and a way to build lines of
// plain text, links and pictures.
struct TLinkBench : TEditorBench {
  TLinkBench() {
    PlainSheet();
    Edit->Options.Include(vloTagsArePChars);
    LinkStyle = AddText([](TFontInfo& f) {
      f.Jump = true;
      f.Color = clBlue;
      f.Style.Include(fsUnderline);
    });
    Action = new TvlActionInsertHyperlink(Form);
    Action->SetControl(Edit);
  }
  void Text(const String& s, Integer style = 0, const String& tag = "", bool newPara = false) {
    TVLTag t;
    t.Str = tag;
    Edit->VLData()->AddTextItemTag(s, style, newPara || Edit->ItemCount() == 0 ? 0 : -1, t);
  }
  void Picture() {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(8, 8);
    auto item = TVLGraphicItemInfo::CreateEx(Edit->VLData(), std::move(bmp), vlvaBaseline);
    item->ParaNo = -1;
    Edit->AddItem("", item.release());
  }
  // Runs the action with the dialog replaced; records what it was offered.
  bool Run(const String& answerTarget, bool proceed = true, const String& answerText = "") {
    Action->OnHyperlinkForm = [&](TObject*, bool insertNew, String& text, String& target, bool& go) {
      Offered = {insertNew, text, target};
      target = answerTarget;
      if (insertNew) text = answerText;
      go = proceed;
    };
    Action->Update();
    return Action->GetEnabled() && Action->Execute();
  }
  TFontInfo& StyleOf(Integer item) { return TEditorBench::Text(Edit->GetItem(item)->StyleNo); }
  String Tag(Integer item) { return Edit->GetItem(item)->Tag.Str; }
  struct {
    bool InsertNew = false;
    String Text, Target;
  } Offered;
  Integer LinkStyle = 0;
  TvlActionInsertHyperlink* Action;
};

TEST(HyperlinkTarget, LineBreaksGoAndBlanksFollowTheFiller) {
  struct Case {
    String Filler, Source, Expected;
  } cases[] = {
      {" ", "my page", "my page"},
      {"%20", "my page", "my%20page"},
      {"%20", "a b c", "a%20b%20c"},
      {"", "my page", "mypage"},
      {"_ _", "my page", "my page"},
      {" ", "http://a\r\n.b\n", "http://a.b"},
      {"%20", "x \ry", "x%20y"},
  };
  TEditorBench b;
  TvlActionInsertHyperlink a(b.Form);
  for (const Case& c : cases) {
    a.SpaceFiller = c.Filler;
    EXPECT_EQ(a.NormalizeTarget(c.Source), c.Expected) << "filler '" << c.Filler << "' source " << c.Source;
  }
}

TEST(HyperlinkAction, EnabledOnlyWhereTargetsCanBeStored) {
  TLinkBench b;
  b.Text("plain");
  b.Edit->Format();
  b.Action->Update();
  EXPECT_TRUE(b.Action->GetEnabled());
  b.Edit->Options.Exclude(vloTagsArePChars);
  b.Action->Update();
  EXPECT_FALSE(b.Action->GetEnabled());
  b.Edit->Options.Include(vloTagsArePChars);
  ActionsEnabled = false;
  b.Action->Update();
  EXPECT_FALSE(b.Action->GetEnabled());
  ActionsEnabled = true;
}

TEST(HyperlinkAction, ABareCaretInOrBesideALinkSelectsItForEditing) {
  // Items: "see " (plain), "here" (link), " now" (plain), "tail" (link); a
  // second line "next" (plain). Where = characters from the item's start,
  // -1 for its end.
  struct Case {
    const char* Name;
    Integer Item, Where;
    bool InsertNew;
    const char* Text;
    const char* Target;
  } cases[] = {
      {"inside the link", 1, 2, false, "here", "https://a.example"},
      {"just after the link", 2, 0, false, "here", "https://a.example"},
      {"end of plain text before the link", 0, -1, false, "here", "https://a.example"},
      {"middle of plain text", 0, 2, true, "", ""},
      {"middle of plain text between links", 2, 2, true, "", ""},
      {"start of a line after a link", 4, 0, true, "", ""},
  };
  for (const Case& c : cases) {
    TLinkBench b;
    b.Text("see ");
    b.Text("here", b.LinkStyle, "https://a.example");
    b.Text(" now");
    b.Text("tail", b.LinkStyle, "https://b.example");
    b.Text("next", 0, "", true);
    b.Edit->Format();
    const Integer offs = c.Where < 0 ? b.Edit->GetItemEndOffset(c.Item) : b.Edit->GetItemStartOffset(c.Item) + c.Where;
    b.Edit->SetCaret(c.Item, offs);
    ASSERT_TRUE(b.Run("", false)) << c.Name;
    EXPECT_EQ(b.Offered.InsertNew, c.InsertNew) << c.Name;
    EXPECT_EQ(b.Offered.Text, c.Text) << c.Name;
    EXPECT_EQ(b.Offered.Target, c.Target) << c.Name;
    // Cancelled: the document is as it was.
    EXPECT_EQ(b.Tag(1), "https://a.example") << c.Name;
    EXPECT_FALSE(b.Edit->Modified) << c.Name;
  }
}

TEST(HyperlinkAction, InsertingNewLinkTextUsesTheLinkVariantAndRestoresTheStyle) {
  TLinkBench b;
  b.Text("abc");
  b.Edit->Format();
  b.Edit->SetCaret(0, b.Edit->GetItemEndOffset(0));
  b.Action->SpaceFiller = "%20";
  const Integer stylesBefore = b.Sheet->TextStyles->Count();
  ASSERT_TRUE(b.Run("https://x.example/my page", true, "link"));
  EXPECT_TRUE(b.Offered.InsertNew);
  ASSERT_EQ(b.Edit->ItemCount(), 2) << TEditorBench::Runs(b.Edit);
  EXPECT_EQ(b.Edit->GetItemTextUtf8(1), "link");
  EXPECT_EQ(b.Tag(1), "https://x.example/my%20page");
  const TFontInfo& link = b.StyleOf(1);
  EXPECT_TRUE(link.Jump);
  EXPECT_TRUE(link.Style.Contains(fsUnderline));
  EXPECT_EQ(link.Color, clBlue);
  EXPECT_EQ(link.NextStyleNo, 0);
  EXPECT_EQ(b.Sheet->TextStyles->Count(), stylesBefore + 1);
  EXPECT_EQ(b.Edit->GetCurTextStyleNo(), 0);
  // A second link of the same kind finds the style made for the first.
  ASSERT_TRUE(b.Run("https://y.example", true, "more"));
  EXPECT_EQ(b.Sheet->TextStyles->Count(), stylesBefore + 1);
}

TEST(HyperlinkAction, LinkingTextAndAPictureUndoesInOneStep) {
  TLinkBench b;
  b.Text("photo ");
  b.Picture();
  b.Text(" end");
  b.Edit->Format();
  b.Edit->SetSelectionBounds(0, 0, 2, 0);
  b.Edit->ClearUndo();
  ASSERT_TRUE(b.Run("https://p.example"));
  EXPECT_FALSE(b.Offered.InsertNew);
  EXPECT_TRUE(b.StyleOf(0).Jump);
  EXPECT_EQ(b.Tag(0), "https://p.example");
  EXPECT_EQ(b.Edit->GetItem(1)->StyleNo, vlsHotPicture);
  EXPECT_EQ(b.Tag(1), "https://p.example");
  EXPECT_EQ(b.Tag(2), "");
  b.Edit->Undo();
  EXPECT_FALSE(b.StyleOf(0).Jump);
  EXPECT_EQ(b.Tag(0), "");
  EXPECT_EQ(b.Edit->GetItem(1)->StyleNo, vlsPicture);
  EXPECT_EQ(b.Tag(1), "");
  EXPECT_EQ(b.Edit->GetUndoType(), vlutNone);
}

TEST(HyperlinkAction, AnEmptyTargetOverDifferentLinksUnlinksTheWholeSelection) {
  TLinkBench b;
  b.Text("one", b.LinkStyle, "https://1.example");
  b.Text(" and ");
  b.Text("two", b.LinkStyle, "https://2.example");
  b.Edit->Format();
  b.Edit->SelectAll();
  ASSERT_TRUE(b.Run(""));
  EXPECT_FALSE(b.Offered.InsertNew);
  EXPECT_EQ(b.Offered.Target, "");
  for (Integer i = 0; i < b.Edit->ItemCount(); ++i) {
    EXPECT_FALSE(b.StyleOf(i).Jump) << i;
    EXPECT_FALSE(b.StyleOf(i).Style.Contains(fsUnderline)) << i;
    EXPECT_EQ(b.Tag(i), "") << i;
  }
}

TEST(HyperlinkAction, RelinkingTheSameTextTwiceAddsOneStyle) {
  TLinkBench b;
  b.Text("word");
  b.Edit->Format();
  const Integer before = b.Sheet->TextStyles->Count();
  for (int pass = 0; pass < 2; ++pass) {
    b.Edit->SetSelectionBounds(0, 0, 0, 4);
    ASSERT_TRUE(b.Run("https://w.example"));
  }
  EXPECT_EQ(b.Sheet->TextStyles->Count(), before + 1);
  EXPECT_EQ(b.Tag(0), "https://w.example");
}

// The built-in dialog, driven as a user drives it.
TEST(HyperlinkDialog, OkWaitsForTextAndAVisibleTargetAndColoursComeBack) {
  TLinkBench b;
  b.Text("abc");
  b.Edit->Format();
  b.Edit->SetCaret(0, b.Edit->GetItemEndOffset(0));
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* dlg = dynamic_cast<TfrmVLHyp*>(r.Form);
    EXPECT_NE(dlg, nullptr);
    if (!dlg) return mrCancel;
    EXPECT_EQ(dlg->GetText(), "Insert Hyperlink");
    EXPECT_TRUE(dlg->txtText->GetEnabled());
    EXPECT_FALSE(dlg->btnOk->GetEnabled());
    dlg->txtText->SetText("site");
    EXPECT_FALSE(dlg->btnOk->GetEnabled());
    dlg->txtTarget->SetText(" \t ");
    EXPECT_FALSE(dlg->btnOk->GetEnabled());
    dlg->txtTarget->SetText("https://s.example");
    EXPECT_TRUE(dlg->btnOk->GetEnabled());
    dlg->btnHypProp->Click();
    dlg->btnOk->Click();
    return mrNone;
  });
  script.Do([](TInteraction& r) {
    auto* p = dynamic_cast<TfrmVLHypProp*>(r.Form);
    EXPECT_NE(p, nullptr);
    if (!p) return mrCancel;
    EXPECT_EQ(p->cmbText->GetChosenColor(), clBlue);
    p->cmbText->SetChosenColor(clRed);
    p->cbAsNormal->SetChecked(true);
    p->cbAsNormalClick(p->cbAsNormal);
    EXPECT_EQ(p->cmbHoverText->GetChosenColor(), clRed);
    EXPECT_FALSE(p->cmbHoverText->GetEnabled());
    p->cbAsNormal->SetChecked(false);
    p->cbAsNormalClick(p->cbAsNormal);
    EXPECT_TRUE(p->cmbHoverText->GetEnabled());
    EXPECT_EQ(p->cmbHoverText->GetChosenColor(), clRed);
    return mrOk;
  });
  b.Action->Update();
  ASSERT_TRUE(b.Action->Execute());
  EXPECT_EQ(script.Unexpected, 0);
  ASSERT_EQ(b.Edit->ItemCount(), 2);
  EXPECT_EQ(b.Tag(1), "https://s.example");
  EXPECT_EQ(b.StyleOf(1).Color, clRed);
  EXPECT_EQ(b.StyleOf(1).HoverColor, clRed);
  EXPECT_EQ(b.Action->Color, clRed);
}

TEST(HyperlinkDialog, ASelectionOverLinesShowsThePlaceholderInADisabledBox) {
  TLinkBench b;
  b.Text("first");
  b.Text("second", 0, "", true);
  b.Edit->Format();
  b.Edit->SelectAll();
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* dlg = dynamic_cast<TfrmVLHyp*>(r.Form);
    EXPECT_NE(dlg, nullptr);
    if (!dlg) return mrCancel;
    EXPECT_FALSE(dlg->txtText->GetEnabled());
    EXPECT_EQ(dlg->txtText->GetText(), "<<selection>>");
    EXPECT_TRUE(dlg->btnOk->GetEnabled());
    return mrCancel;
  });
  b.Action->Update();
  ASSERT_TRUE(b.Action->Execute());
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_FALSE(b.Edit->Modified);
}

TEST(HyperlinkAction, TheTextOfAListParagraphIsOfferedWithoutItsMarker) {
  TLinkBench b;
  b.Sheet->ListStyles->Clear();
  TVLListLevel* level = b.Sheet->ListStyles->Add()->Levels->Add();
  level->ListType = vllstDecimal;
  level->FormatString = "%0:s.";
  b.Text("intro");
  b.Text("site name", 0, "", true);
  b.Edit->Format();
  b.Edit->SetCaret(1, b.Edit->GetItemStartOffset(1));
  b.Edit->ApplyListStyle(0, -1, 1, false);
  // The paragraph's text item, after its marker.
  Integer item = -1;
  for (Integer i = 0; i < b.Edit->ItemCount(); ++i)
    if (b.Edit->GetItemTextUtf8(i) == "site name") item = i;
  ASSERT_GE(item, 1);
  ASSERT_EQ(b.Edit->GetItem(item - 1)->StyleNo, vlsListMarker);
  b.Edit->SetSelectionBounds(item, b.Edit->GetItemStartOffset(item), item, b.Edit->GetItemEndOffset(item));
  ASSERT_TRUE(b.Run("https://example.org"));
  EXPECT_EQ(b.Offered.Text, "site name");
}

TEST(HyperlinkOpen, OnlyWebAndMailLinksReachTheDesktop) {
  struct Case {
    String Target;
    bool Opens;
    const char* Reason = "";  // why it is refused, in the message
  } cases[] = {
      {"https://example.org/a", true},
      {"mailto:someone@example.org", true},
      {"javascript:alert(1)", false, "only web, mail and file links are opened"},
      {"file:///etc/passwd", false, "only web and mail links open from here"},
      {"/bin/sh", false, "it is a program, which a link never starts"},
      {"", false},
  };
  std::vector<String> opened;
  const TUrlOpener previous = SetUrlOpener([&](const String& url) {
    opened.push_back(url);
    return true;
  });
  for (const Case& c : cases) {
    opened.clear();
    TInteractionScript script;
    if (!c.Opens && !c.Target.empty()) script.Answer(IDOK);
    EXPECT_EQ(TvlActionInsertHyperlink::OpenLink(c.Target), c.Opens) << c.Target;
    EXPECT_EQ(opened.size(), c.Opens ? 1u : 0u) << c.Target;
    if (!c.Opens && !c.Target.empty()) {
      ASSERT_EQ(script.Shown.size(), 1u) << c.Target;
      EXPECT_EQ(script.Shown[0].Text, "Cannot navigate to \"" + c.Target + "\": " + c.Reason + ".");
    }
  }
  SetUrlOpener(previous);
}

}  // namespace
