// Journal reports and the password report: headings, footer and page
// layout in the preview and in a printed PDF, damaged entries, cancel, and
// the password's text gone once the preview closes.
#include "FindReportSupport.h"

#include "actions/VLActionsTable.h"

#include "app/QYJournalReport.h"
#include "app/QYPassword.h"
#include "platform/base/DateTime.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Printers.h"
#include "app/QYEntryStore.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLTable.h"
#include "support/PdfPages.h"
#include "richtext/view/VLPreview.h"
#include "richtext/view/VLPrint.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace qytest;

namespace {

class JournalReportTest : public ::testing::Test {
protected:
  JournalReportTest() {
    ProfileSettings.ConfirmPrint = false;
    Pdf.OutputFileName = (Dir.path() / "report.pdf").string();
    W.Preview->VLPrint1->PrinterOverride = &Pdf;
    A = W.Journal("Alpha");
    B = W.Journal("Beta");
    W.Store({{A, D1, TFindReportWorld::EntryVLF({"First day text."})},
             {B, D2, TFindReportWorld::EntryVLF({"Second day text."})},
             {A, D3, TFindReportWorld::EntryVLF({"Third day text."})}});
    JournalsLoaded = true;
  }
  ~JournalReportTest() override { W.Preview->VLPrint1->PrinterOverride = nullptr; }

  // The selection dialog confirmed as it stands.
  static TInteractionScript::TAction ConfirmSelection() {
    return [](TInteraction& r) {
      static_cast<TDlgRecordSelection*>(r.Form)->pbOk->Click();
      return static_cast<int>(mrOk);
    };
  }

  // The text of the PDF, pages separated by form feeds.
  String PdfText() {
    const std::string out = (Dir.path() / "report.txt").string();
    const std::string cmd = "pdftotext -layout '" + Pdf.OutputFileName + "' '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return "pdftotext failed";
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static size_t Pos(const String& text, const String& what) { return text.find(what); }
  static int Pages(const String& text) {
    int n = 0;
    for (char c : text) n += c == '\f';
    return n;
  }

  TempDir Dir;
  TPrinter Pdf;
  TFindReportWorld W;
  Integer A = 0, B = 0;
  const double D1 = EncodeDate(2009, 6, 1), D2 = EncodeDate(2009, 6, 2), D3 = EncodeDate(2009, 6, 3);
};

TEST_F(JournalReportTest, PrintedSelectionHasHeadingsAndFooterInOrder) {
  struct TCase {
    TReportLayout Layout;
    int Pages;
  };
  for (const TCase& c : {TCase{rlPagePerDay, 3}, TCase{rlPageFilled, 1}}) {
    SCOPED_TRACE(c.Layout == rlPagePerDay ? "page per day" : "pages filled");
    std::remove(Pdf.OutputFileName.c_str());
    TInteractionScript script;
    script.Do(ConfirmSelection());
    BuildJournalReport(roPrint, rsSelection, c.Layout);
    EXPECT_EQ(script.Unexpected, 0);
    const String text = PdfText();
    EXPECT_EQ(Pages(text), c.Pages) << text;
    const String h1 = "ALPHA", d1 = FormatDateTime(FormatSettings.LongDateFormat, D1);
    const String d2 = FormatDateTime(FormatSettings.LongDateFormat, D2), d3 = FormatDateTime(FormatSettings.LongDateFormat, D3);
    // Headings and texts in date order.
    const std::vector<String> order = {d1, "First day text.", "BETA", d2, "Second day text.", d3, "Third day text."};
    size_t at = 0;
    for (const String& s : order) {
      const size_t p = text.find(s, at);
      ASSERT_NE(p, String::npos) << "missing or out of order: " << s << "\n" << text;
      at = p;
    }
    EXPECT_NE(Pos(text, h1), String::npos);
    EXPECT_NE(Pos(text, "printed: "), String::npos);
    EXPECT_NE(Pos(text, JournalOwnerText()), String::npos);
    if (c.Layout == rlPagePerDay) {
      // Every page ends with the footer; each entry has a page of its own.
      size_t page = 0;
      for (int i = 0; i < 3; ++i) {
        const size_t end = text.find('\f', page);
        const String one = text.substr(page, end - page);
        EXPECT_NE(one.find("printed: "), String::npos) << one;
        EXPECT_NE(one.find(std::vector<String>{"First", "Second", "Third"}[static_cast<size_t>(i)]), String::npos);
        page = end + 1;
      }
    }
    // Nothing stays behind in the preview window.
    EXPECT_EQ(W.Preview->vlBody->ItemCount(), 0);
    EXPECT_EQ(W.Preview->VLPrint1->GetPagesCount(), 0);
  }
}

TEST_F(JournalReportTest, PreviewShowsPagesHeadingsAndTheDamagedEntryLine) {
  String damaged = TFindReportWorld::EntryVLF({"never shown"});
  damaged.resize(damaged.size() / 3);
  const double d4 = EncodeDate(2009, 6, 4);
  W.Store({{B, d4, damaged}});
  const Integer t = W.Journal("Ideas", 1);
  W.Store({{t, TopicEntryDate, TFindReportWorld::EntryVLF({"Topic text."})}});

  struct TSeen {
    int Pages = 0;
    std::vector<String> Headings;
    String Status;
    bool Body = false;
  } seen;
  TInteractionScript script;
  script.Do(ConfirmSelection());
  script.Do([&](TInteraction& r) {
    auto* p = static_cast<TFormPrintPreview*>(r.Form);
    seen.Pages = p->VLPrint1->GetPagesCount();
    for (Integer i = 0; i < p->vlBody->ItemCount(); ++i)
      if (auto* table = dynamic_cast<TVLTableItemInfo*>(p->vlBody->GetItem(i))) {
        const String left = WideToUtf8(RawUnicodeToWideString(table->GetCell(0, 0)->GetItemTextA(0)));
        const String right = WideToUtf8(RawUnicodeToWideString(table->GetCell(0, 1)->GetItemTextA(0)));
        seen.Headings.push_back(left + "|" + right);
      }
    seen.Body = p->vlBody->ItemCount() > 0;
    p->ActionGotoLastPage->Execute();
    p->Repaint();
    QCoreApplication::processEvents();
    seen.Status = p->PageStatus();
    return static_cast<int>(mrOk);
  });
  BuildJournalReport(roPreview, rsSelection, rlPagePerDay);
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(seen.Pages, 5);
  const String fmt = FormatSettings.LongDateFormat;
  EXPECT_EQ(seen.Headings,
            (std::vector<String>{"ALPHA|" + FormatDateTime(fmt, D1), "BETA|" + FormatDateTime(fmt, D2),
                                 "ALPHA|" + FormatDateTime(fmt, D3), "BETA|" + FormatDateTime(fmt, d4),
                                 "IDEAS|* Topic Journal"}));
  EXPECT_EQ(ReportEntriesPlaced, 4);
  EXPECT_EQ(ReportEntriesSkipped, 1);
  const std::vector<String> log = W.LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "entry of " + DateToStr(d4) + " could not be read"), log.end());
}

TEST_F(JournalReportTest, CancelAndRefusalsShowNothing) {
  struct TCase {
    const char* Name;
    std::function<void(TInteractionScript&)> Script;
    TReportOutput Output;
  };
  const std::vector<TCase> cases = {
      {"cancel while loading",
       [this](TInteractionScript& s) {
         s.Do([this](TInteraction& r) {
           // Cancel arrives with the first row's messages.
           QMetaObject::invokeMethod(
               QCoreApplication::instance(), [this] { W.Progress->pbCancel->Click(); }, Qt::QueuedConnection);
           static_cast<TDlgRecordSelection*>(r.Form)->pbOk->Click();
           return static_cast<int>(mrOk);
         });
         s.Answer(IDYES);
       },
       roPreview},
      {"the journal locked while loading",
       [](TInteractionScript& s) {
         s.Do([](TInteraction& r) {
           QMetaObject::invokeMethod(
               QCoreApplication::instance(), [] { JournalsLoaded = false; }, Qt::QueuedConnection);
           static_cast<TDlgRecordSelection*>(r.Form)->pbOk->Click();
           return static_cast<int>(mrOk);
         });
       },
       roPrint},
      {"the program exiting while loading",
       [this](TInteractionScript& s) {
         s.Do([this](TInteraction& r) {
           QMetaObject::invokeMethod(
               QCoreApplication::instance(), [this] { W.Main->Closing = true; }, Qt::QueuedConnection);
           static_cast<TDlgRecordSelection*>(r.Form)->pbOk->Click();
           return static_cast<int>(mrOk);
         });
       },
       roPreview},
      {"printing not confirmed",
       [](TInteractionScript& s) {
         ProfileSettings.ConfirmPrint = true;
         s.Do(ConfirmSelection());
         s.Answer(IDNO);
       },
       roPrint},
      {"selection cancelled", [](TInteractionScript& s) { s.Answer(mrCancel); }, roPreview},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::remove(Pdf.OutputFileName.c_str());
    TInteractionScript script;
    c.Script(script);
    BuildJournalReport(c.Output, rsSelection, rlPagePerDay);
    ProfileSettings.ConfirmPrint = false;
    JournalsLoaded = true;
    W.Main->Closing = false;
    EXPECT_EQ(script.Unexpected, 0);
    for (const TInteraction& r : script.Shown) EXPECT_NE(r.Form, W.Preview.get());
    EXPECT_FALSE(std::filesystem::exists(Pdf.OutputFileName));
    EXPECT_FALSE(W.Progress->GetVisible());
    EXPECT_EQ(W.Preview->vlBody->ItemCount(), 0);
  }
}

// What the question a Cancel asks came up over.
struct TCancelQuestion {
  String Caption;
  std::string Over = "no window";  // the window it belongs to
  bool StaysOnTop = false;
  bool StackedAbove = false;  // above the progress window, as a window manager stacks them
  bool Previewed = false;
};

// The toolkit's own message boxes, as the user sees them; forms shown
// modally are answered by forms.
class TRealBoxes : public TInteractionHook {
public:
  explicit TRealBoxes(std::function<int(TInteraction&)> forms)
      : FForms(std::move(forms)), FPrevious(SetInteractionHook(this)) {}
  ~TRealBoxes() override { SetInteractionHook(FPrevious); }
  int Run(TInteraction& r) override {
    if (r.Kind == TInteractionKind::ShowModal) return FForms(r);
    SetInteractionHook(FPrevious);
    const int result = InteractionHook().Run(r);
    SetInteractionHook(this);
    return result;
  }

private:
  std::function<int(TInteraction&)> FForms;
  TInteractionHook* FPrevious;
};

// A preview of the stored entries, cancelled while it loads by a click on
// the progress window's Cancel, the question answered Yes by its key.
TCancelQuestion CancelWhileLoading(TFindReportWorld& W) {
  TCancelQuestion seen;
  QWidget* progress = WidgetOf(W.Progress.get())->window();
  auto nameOf = [&](QWindow* w) -> std::string {
    if (!w) return "no window";
    if (w == progress->windowHandle()) return "the progress window";
    if (w == W.Window()->windowHandle()) return "the main window";
    return "another window";
  };
  TRealBoxes hook([&](TInteraction& r) {
    if (auto* selection = dynamic_cast<TDlgRecordSelection*>(r.Form)) {
      selection->pbOk->Click();
      return static_cast<int>(mrOk);
    }
    seen.Previewed = seen.Previewed || r.Form == W.Preview.get();
    return static_cast<int>(mrOk);
  });
  // The box, once up: looked at, then answered where the keyboard is.
  auto answer = [&] {
    QPointer<QWidget> box = QApplication::activeModalWidget();
    if (!qobject_cast<QMessageBox*>(box)) return;
    seen.Caption = box->windowTitle().toStdString();
    seen.Over = nameOf(box->windowHandle() ? box->windowHandle()->transientParent() : nullptr);
    seen.StaysOnTop = (box->windowFlags() & Qt::WindowStaysOnTopHint) != 0;
    if (TFindReportWorld::WindowManagerRunning())
      seen.StackedAbove = QTest::qWaitFor([&] { return TFindReportWorld::StackedAbove(box, progress); }, 60000);
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target && target->window() == box ? target : box.data(), Qt::Key_Y);
    // A key the box did not take leaves it to the test to close.
    QTimer::singleShot(5000, box, [box] {
      if (box && box->isVisible()) static_cast<QMessageBox*>(box.data())->done(QMessageBox::No);
    });
  };
  // The click, once the progress window is up; the box comes up inside it.
  bool clicked = false;
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    if (clicked || !progress->isVisible()) return;
    clicked = true;
    QTimer::singleShot(0, answer);
    QTest::mouseClick(WidgetOf(W.Progress->pbCancel), Qt::LeftButton);
  });
  clicker.start(0);
  BuildJournalReport(roPreview, rsSelection, rlPagePerDay);
  clicker.stop();
  return seen;
}

TEST_F(JournalReportTest, TheCancelQuestionComesUpInFrontOfTheProgressWindow) {
  ASSERT_TRUE(W.ShowActive());
  const TCancelQuestion seen = CancelWhileLoading(W);
  EXPECT_EQ(seen.Caption, "Confirm Cancel");
  EXPECT_EQ(seen.Over, "the progress window");
  EXPECT_TRUE(seen.StaysOnTop) << "a box under a window that stays on top is hidden by it";
  // Answered Yes: nothing is shown.
  EXPECT_FALSE(seen.Previewed);
  EXPECT_FALSE(W.Progress->GetVisible());
}

// The same under a window manager, which stacks the question above the
// progress window.
TEST(Framed, TheCancelQuestionIsStackedAboveTheProgressWindow) {
  if (!TFindReportWorld::WindowManagerRunning())
    GTEST_SKIP() << "no window manager stacks the windows here (run through the _framed test, which starts "
                    "Xvfb with openbox)";
  TFindReportWorld W;
  const Integer a = W.Journal("Alpha");
  W.Store({{a, EncodeDate(2009, 6, 1), TFindReportWorld::EntryVLF({"One."})},
           {a, EncodeDate(2009, 6, 2), TFindReportWorld::EntryVLF({"Two."})},
           {a, EncodeDate(2009, 6, 3), TFindReportWorld::EntryVLF({"Three."})}});
  JournalsLoaded = true;
  W.Main->SetBounds(40, 40, 900, 650);
  ASSERT_TRUE(W.ShowActive());
  const TCancelQuestion seen = CancelWhileLoading(W);
  EXPECT_EQ(seen.Caption, "Confirm Cancel");
  EXPECT_TRUE(seen.StackedAbove) << "the question is under the progress window";
  EXPECT_FALSE(seen.Previewed);
}

TEST_F(JournalReportTest, PasswordReportShowsThePasswordAndLeavesNoCopy) {
  std::unique_ptr<TChangePasswordDlg> dialog(new TChangePasswordDlg(nullptr));
  // A new journal has no password, whatever an earlier test left.
  WipeString(JournalPassword);
  std::vector<String> lines;
  String footer;
  auto capture = [&](TInteraction& r) {
    auto* p = dynamic_cast<TFormPrintPreview*>(r.Form);
    if (!p) {
      ADD_FAILURE() << "expected the preview, got " << r.Caption;
      return static_cast<int>(mrCancel);
    }
    lines.clear();
    TCustomVLData& body = *p->vlBody->VLData();
    for (Integer i = 0; i < body.GetItemCount(); ++i)
      lines.push_back(WideToUtf8(RawUnicodeToWideString(body.GetItemTextA(i))));
    EXPECT_GE(p->VLPrint1->GetPagesCount(), 1);
    return static_cast<int>(mrOk);
  };
  TInteractionScript script;
  // The change: existing (none) and the new password twice, then its message.
  script.Do([](TInteraction& r) {
    auto* d = static_cast<TChangePasswordDlg*>(r.Form);
    d->eExistingPassword->SetText("");
    d->eNewPassword->SetText("Tr0ub4dor&3");
    d->eRepeatNewPassword->SetText("Tr0ub4dor&3");
    return static_cast<int>(mrOk);
  });
  script.Answer(IDOK);
  script.Do(capture);
  ASSERT_TRUE(ChangePassword());
  EXPECT_EQ(script.Unexpected, 0);
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1].rfind("* Quillory provides this feature", 0), 0u);
  EXPECT_EQ(lines[13], JournalOwnerText());
  EXPECT_EQ(lines[14], "Password: Tr0ub4dor&3");
  // The window holds no copy once closed: documents and pages empty.
  for (TVellumEdit* e : {W.Preview->vlBody, W.Preview->vlHeader, W.Preview->vlFooter}) EXPECT_EQ(e->ItemCount(), 0);
  EXPECT_EQ(W.Preview->VLPrint1->GetPagesCount(), 0);

  // The command gives the same page again.
  JournalsLoaded = true;
  std::vector<String> first = lines;
  script.Do(capture);
  BuildPasswordReport();
  EXPECT_EQ(lines, first);
  // Without a password there is no report, only a word why.
  WipeString(JournalPassword);
  TInteractionScript none;
  none.Answer(IDOK);
  BuildPasswordReport();
  ASSERT_EQ(none.Shown.size(), 1u);
  EXPECT_EQ(none.Shown[0].Kind, TInteractionKind::MessageBox);
  EXPECT_NE(none.Shown[0].Text.find("no password"), String::npos);
}


// An entry holding one item of every kind, in order: text, a link, a
// centred, double-bordered paragraph with 16 pixels (12 points) before it,
// a picture, a table, a list, a rule and a page break.
String EntryOfEveryKind() {
  VLRegisterTableItem();
  TEntryDocument doc;
  TVLStyle& s = doc.Style;
  s.TextStyles->Items(0)->Unicode = true;
  TFontInfo* link = s.TextStyles->Add();
  link->Assign(s.TextStyles->Items(0));
  link->Jump = true;
  TParaInfo* centred = s.ParaStyles->Add();
  centred->Alignment = vlaCenter;
  centred->SpaceBefore = 16;
  centred->Border.Style = vlbDouble;
  centred->Border.Width = 1;
  centred->Border.InternalWidth = 3;
  centred->Border.Color = clBlack;
  centred->Border.BorderOffsets.Top = centred->Border.BorderOffsets.Bottom = 4;
  TVLListInfo* list = s.ListStyles->Add();
  TVLListLevel* level = list->Levels->Add();
  level->ListType = vllstDecimal;
  level->FormatString = "%0:s.";
  TVLDocumentData& d = doc.Data;
  auto text = [&d](const String& t, Integer style, Integer para, const String& target = String()) {
    TVLTag tag;
    tag.Str = target;
    d.AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(t)), style, para, tag);
    return d.GetItemCount() - 1;
  };
  text("Opening words", 0, 0);
  text("Before the", 0, 0);
  text("LinkedWords", 1, -1, "https://example.org/");
  text("after the link", 0, -1);
  text("Centred words", 0, s.ParaStyles->Count() - 1);
  auto* picture = new TVLGraphicItemInfo(&d);
  picture->StyleNo = vlsPicture;
  picture->ParaNo = 0;
  picture->ImageWidth = 60;
  picture->ImageHeight = 40;
  auto image = std::make_unique<TBitmap>(60, 40);
  image->Canvas()->Brush.Color = 0x0000FF;
  image->Canvas()->FillRect(TRect(0, 0, 60, 40));
  image->Canvas()->ReleaseHandle();
  picture->Image = std::move(image);
  d.AddItem("", picture);
  text("Pictured", 0, -1);
  auto table = TVLTableItemInfo::CreateEx(2, 2, &d);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) {
      TVLTableCellData* cell = table->GetCell(r, c);
      cell->Clear();
      cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide("Cell" + std::to_string(r * 2 + c + 1))), 0, 0,
                                  TVLTag());
    }
  table->ParaNo = 0;
  d.AddItem("", table.release());
  d.SetListMarker(d.GetItemCount(), 0, 0, 1, 0, false);
  text("Listed words", 0, -1);
  auto* rule = new TVLBreakItemInfo(&d);
  rule->StyleNo = vlsBreak;
  rule->ParaNo = 0;
  rule->LineWidth = 2;
  d.AddItem("", rule);
  d.SetPageBreakBefore(text("After the break", 0, 0), true);
  TMemoryStream out;
  doc.SaveVLF(out);
  return String(out.Memory(), static_cast<size_t>(out.GetSize()));
}

// Rows of img between y0 and y1 that are dark across most of the span
// x0..x1, grouped: the number of separate horizontal lines drawn there.
int HorizontalLines(const QImage& img, int x0, int x1, int y0, int y1) {
  int lines = 0;
  bool inLine = false;
  for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y) {
    int dark = 0;
    for (int x = x0; x < x1; ++x) dark += qGray(img.pixel(x, y)) < 128;
    const bool line = dark > (x1 - x0) * 8 / 10;
    if (line && !inLine) ++lines;
    inLine = line;
  }
  return lines;
}

enum class TTableKind { Merged, Nested, Filled };

// An entry of a line, a one-row table of three cells made as a new table is
// (its first two cells merged, tables nested two deep in its last cell, or
// light colours filling the table and a cell), and with closing a line
// after the table.
String EntryWithTable(TTableKind kind, const String& name, bool closing) {
  VLRegisterTableItem();
  TEntryDocument doc;
  doc.Style.TextStyles->Items(0)->Unicode = true;
  auto text = [](TCustomVLData& into, const String& t) {
    into.AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(t)), 0, 0, TVLTag());
  };
  const TvlActionInsertTable insert(nullptr);
  auto table = [&](Integer cols, TCustomVLData* into, const String& prefix) {
    auto t = TVLTableItemInfo::CreateEx(1, cols, into);
    insert.AssignToTable(*t);
    for (Integer c = 0; c < cols; ++c) {
      t->GetCell(0, c)->Clear();
      text(*t->GetCell(0, c), prefix + std::to_string(c + 1));
    }
    t->ParaNo = 0;
    return t;
  };
  text(doc.Data, name + " opens");
  auto outer = table(3, &doc.Data, name);
  switch (kind) {
    case TTableKind::Merged: outer->MergeCells(0, 0, 2, 1); break;
    case TTableKind::Nested: {
      // Two tables one after the other in the cell, each holding one, and
      // words under them, as a converted document may bring them.
      TVLTableCellData* cell = outer->GetCell(0, 2);
      for (const char* prefix : {"mid", "next"}) {
        auto middle = table(2, cell, prefix);
        TVLTableCellData* holder = middle->GetCell(0, 1);
        holder->AddItem("", table(1, holder, "deep").release());
        cell->AddItem("", middle.release());
      }
      text(*cell, "under");
      break;
    }
    case TTableKind::Filled:
      outer->Color = static_cast<TColor>(0xE0F0F0);
      outer->GetCell(0, 1)->Color = static_cast<TColor>(0xC0F0C0);
      break;
  }
  doc.Data.AddItem("", outer.release());
  if (closing) text(doc.Data, name + " closes");
  TMemoryStream out;
  doc.SaveVLF(out);
  return String(out.Memory(), static_cast<size_t>(out.GetSize()));
}

// Text printed after a table, in its own entry and in the entries after it,
// is ink in the shape of its letters, not bars filled under them; so are
// the tables' own words and the headings.
TEST_F(JournalReportTest, TextAfterTablesPrintsAsLettersNotBars) {
  const double d4 = EncodeDate(2009, 6, 4);
  std::vector<TFindReportWorld::TRow> rows;
  const std::pair<TTableKind, const char*> kinds[] = {
      {TTableKind::Merged, "Merged"}, {TTableKind::Nested, "Nested"}, {TTableKind::Filled, "Filled"}};
  double day = d4;
  for (const auto& [kind, name] : kinds) {
    rows.push_back({A, day++, EntryWithTable(kind, name, kind != TTableKind::Merged)});
    rows.push_back({B, day++, TFindReportWorld::EntryVLF({String("Plain after ") + name, "Second plain line"})});
  }
  W.Store(rows);
  for (TReportLayout layout : {rlPageFilled, rlPagePerDay}) {
    SCOPED_TRACE(layout == rlPageFilled ? "pages filled" : "page per day");
    std::remove(Pdf.OutputFileName.c_str());
    TInteractionScript script;
    script.Do(ConfirmSelection());
    BuildJournalReport(roPrint, rsSelection, layout);
    EXPECT_EQ(script.Unexpected, 0);
    const std::string text = qytest::PdfText(Pdf.OutputFileName);
    for (const char* s : {"Merged3", "Plain after Merged", "Nested closes", "deep1", "under", "Filled closes",
                          "Plain after Filled", "Second plain line"})
      EXPECT_NE(text.find(s), std::string::npos) << s << "\n" << text;
    EXPECT_EQ(qytest::WordsPrintedAsBars(Pdf.OutputFileName), std::vector<std::string>());
  }
}

TEST_F(JournalReportTest, AnEntryOfEveryKindPrintsWholeWithItsParagraphFormatting) {
  const double d4 = EncodeDate(2009, 6, 4);
  W.Store({{B, d4, EntryOfEveryKind()}});
  TInteractionScript script;
  script.Do(ConfirmSelection());
  BuildJournalReport(roPrint, rsSelection, rlPageFilled);
  EXPECT_EQ(script.Unexpected, 0);
  EXPECT_EQ(ReportEntriesSkipped, 0);
  // Laid out as printed: a table's cells row by row.
  const std::string text = qytest::PdfText(Pdf.OutputFileName, true);
  EXPECT_EQ(text.find("could not be read"), std::string::npos) << text;
  size_t at = text.find("Third day text.");
  ASSERT_NE(at, std::string::npos) << text;
  for (const char* s : {"Opening words", "Before the", "LinkedWords", "after the link", "Centred words", "Pictured",
                        "Cell1", "Cell2", "Cell3", "Cell4", "Listed words", "After the break"}) {
    const size_t p = text.find(s, at);
    ASSERT_NE(p, std::string::npos) << "missing or out of order: " << s << "\n" << text;
    at = p;
  }
  // The list keeps its number; the page break its page.
  EXPECT_NE(text.find("1.", text.find("Cell4")), std::string::npos);
  const qytest::TPdfLayout pdf = qytest::PdfLayout(Pdf.OutputFileName);
  const qytest::TPdfWord* centred = pdf.Find("Centred");
  const qytest::TPdfWord* opening = pdf.Find("Opening");
  const qytest::TPdfWord* before = pdf.Find("Before");
  const qytest::TPdfWord* after = pdf.Find("After");
  ASSERT_TRUE(centred && opening && before && after);
  EXPECT_GT(after->Page, centred->Page);
  // Centred between equal margins.
  ASSERT_EQ(W.Preview->VLPrint1->Data().LeftMarginMM, W.Preview->VLPrint1->Data().RightMarginMM);
  const double pageWidth = pdf.PageSizes.at(static_cast<size_t>(centred->Page - 1)).first;
  const qytest::TPdfWord* second = pdf.Next(centred);
  ASSERT_TRUE(second && second->Text == "words");
  EXPECT_NEAR((centred->XMin + second->XMax) / 2, pageWidth / 2, 6.0);
  // 12 points before it, besides the line's own height and the border.
  const double pitch = before->YMin - opening->YMin;
  EXPECT_GT(centred->YMin - before->YMin, pitch + 11);
  // The double border: two lines above the paragraph and two below it,
  // across the width between the margins.
  const int dpi = 144;
  const QImage page = qytest::PdfPageImage(Pdf.OutputFileName, centred->Page, dpi);
  ASSERT_FALSE(page.isNull());
  auto px = [dpi](double points) { return static_cast<int>(points * dpi / 72); };
  const int x0 = px(opening->XMin + 10), x1 = px(pageWidth - opening->XMin - 10);
  EXPECT_EQ(HorizontalLines(page, x0, x1, px(centred->YMin - 14), px(centred->YMin)), 2);
  EXPECT_EQ(HorizontalLines(page, x0, x1, px(centred->YMax), px(centred->YMax + 14)), 2);
  // The picture's red.
  int red = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QRgb c = page.pixel(x, y);
      red += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
    }
  EXPECT_GT(red, px(40) * px(30));
}


TEST_F(JournalReportTest, AnRTFEntryPrintsItsLinkAndCentredParagraph) {
  const double d4 = EncodeDate(2009, 6, 4);
  const String rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Plain start\\par "
      "See {\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}{\\fldrslt LinkedRTF}} here\\par "
      "\\qc Centred RTF words\\par\\ql Last line\\par}";
  W.Store({{B, d4, rtf, "RTF"}});
  TInteractionScript script;
  script.Do(ConfirmSelection());
  BuildJournalReport(roPrint, rsSelection, rlPageFilled);
  EXPECT_EQ(ReportEntriesSkipped, 0);
  const std::string text = qytest::PdfText(Pdf.OutputFileName);
  size_t at = text.find("Third day text.");
  for (const char* s : {"Plain start", "LinkedRTF", "here", "Centred RTF words", "Last line"}) {
    const size_t p = text.find(s, at);
    ASSERT_NE(p, std::string::npos) << "missing or out of order: " << s << "\n" << text;
    at = p;
  }
  const qytest::TPdfLayout pdf = qytest::PdfLayout(Pdf.OutputFileName);
  const qytest::TPdfWord* centred = pdf.Find("Centred");
  ASSERT_NE(centred, nullptr);
  const qytest::TPdfWord* last = pdf.Next(pdf.Next(centred));
  ASSERT_TRUE(last && last->Text == "words");
  EXPECT_NEAR((centred->XMin + last->XMax) / 2, pdf.PageSizes.at(0).first / 2, 6.0);
}

}  // namespace
