#include "EditorBench.h"
#include "TableTestSupport.h"
#include "actions/SymbolVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsInsert.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/FontList.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Installed on every machine the tests run on (the package list).
const char* const Font = "DejaVu Sans";

std::unique_ptr<TfrmVLInsertSymbol> NewDialog() {
  Application->Initialize();
  return std::unique_ptr<TfrmVLInsertSymbol>(CreateVLForm<TfrmVLInsertSymbol>(Application));
}

// The cell of a code, as the user sees it.
void CellOf(Integer code, Integer& col, Integer& row) {
  col = (code - 32) % 28;
  row = (code - 32) / 28;
}

// A mouse click in the middle of a visible cell.
void ClickCell(TfrmVLInsertSymbol& d, Integer col, Integer row) {
  TRect r;
  d.dg->GetCellRect(col, row, r);
  const TPoint origin = ClientOriginOf(d.dg);
  QTest::mouseClick(WidgetOf(d.dg), Qt::LeftButton, {},
                    QPoint(origin.X + (r.Left + r.Right) / 2, origin.Y + (r.Top + r.Bottom) / 2));
  Application->ProcessMessages();
}

void Click(TControl* c, QPoint at = QPoint(6, 8)) {
  QTest::mouseClick(WidgetOf(c), Qt::LeftButton, {}, at);
  Application->ProcessMessages();
}

// Picks an entry of a drop-down list as a click on it does.
void Choose(TComboBox* combo, int index) {
  combo->SetItemIndex(index);
  combo->OnSelect(combo);
}

String ItemText(TVellumEdit* e) { return TEditorBench::Text(e); }

TEST(InsertSymbolDialog, OpensOnTheCharacterItIsGiven) {
  struct Case {
    const char* what;
    bool init;
    Word code;
    const char* font;
    TFontCharset charset;
    // Expected: the font ("" = the family drawn in place of a missing one),
    // charset, cell and code line.
    const char* shownFont;
    TFontCharset shownCharset;
    Integer col, row;
    const char* line;
  };
  const Case cases[] = {
      {"new dialog", false, 0, "", 0, nullptr, 0, 11, 5, nullptr},
      {"Cyrillic", true, 0xC0, Font, RUSSIAN_CHARSET, Font, RUSSIAN_CHARSET, 20, 5, "Character code: 192"},
      {"code 0 is the space", true, 0, "dejavu sans", DEFAULT_CHARSET, Font, DEFAULT_CHARSET, 0, 0,
       "Character code: Unicode 32"},
      {"unknown font", true, 0x41, "No Such Font At All", ANSI_CHARSET, "", ANSI_CHARSET, 5, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto d = NewDialog();
    if (c.init) d->Init(c.code, c.font, c.charset);
    EXPECT_EQ(d->dg->Col(), c.col);
    EXPECT_EQ(d->dg->Row(), c.row);
    EXPECT_FALSE(d->ZoomPanel()->GetVisible());
    if (c.shownFont) {
      const String expected = *c.shownFont ? String(c.shownFont) : InstalledFontFamily(c.font);
      EXPECT_EQ(d->cmbFont->GetText(), expected);
      Word code = 0;
      String name;
      TFontCharset charset = 0;
      d->GetResult(code, name, charset);
      EXPECT_EQ(name, expected);
      EXPECT_EQ(code, c.code < 32 ? 32 : c.code);
      if (d->cmbCharset->IndexOfCharset(c.shownCharset) >= 0) {
        EXPECT_EQ(charset, c.shownCharset);
        EXPECT_EQ(d->dg->GetRowCount(), c.shownCharset == DEFAULT_CHARSET ? 2340 : 8);
      }
    }
    if (c.line) {
      EXPECT_EQ(d->Label1->GetText(), c.line);
    }
    EXPECT_TRUE(d->btnOk->GetEnabled());
  }
}

TEST(InsertSymbolDialog, UnicodeModeRefusesCellsThatAreNoCharacter) {
  auto d = NewDialog();
  d->Init(0x41, Font, DEFAULT_CHARSET);
  ASSERT_TRUE(d->UnicodeMode());
  ASSERT_EQ(d->dg->GetRowCount(), 2340);
  struct Case {
    Integer code;
    bool insertable;
  };
  const Case cases[] = {
      {0x41, true},    {0xD7FF, true},  {0xD800, false}, {0xDBFF, false}, {0xDC00, false}, {0xDFFF, false},
      {0xE000, true},  {0xFFFD, true},  {0xFFFE, false}, {0xFFFF, false}, {0x10000, false}, {0x1000F, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Integer col = 0, row = 0;
    CellOf(c.code, col, row);
    ASSERT_TRUE(d->dg->SelectCell(col, row));
    EXPECT_EQ(d->btnOk->GetEnabled(), c.insertable);
    EXPECT_EQ(d->Label1->GetText(),
              c.insertable ? "Character code: Unicode " + IntToStr(c.code) : String("(no character)"));
    EXPECT_EQ(d->ZoomPanel()->WideChar.empty(), !c.insertable);
  }
  // Back to a character set: eight rows, and the code line follows the cell
  // the grid keeps.
  d->dg->SelectCell(3, 2);
  Choose(d->cmbCharset, d->cmbCharset->IndexOfCharset(ANSI_CHARSET));
  EXPECT_FALSE(d->UnicodeMode());
  EXPECT_EQ(d->dg->GetRowCount(), 8);
  EXPECT_EQ(d->Label1->GetText(), "Character code: " + IntToStr(2 * 28 + 32 + 3));
  EXPECT_TRUE(d->btnOk->GetEnabled());
}

TEST(InsertSymbolDialog, ZoomPanelFloatsOverTheSelectedCellAndLetsClicksThrough) {
  auto d = NewDialog();
  d->Init(0x41, Font, ANSI_CHARSET);
  d->Show();
  Application->ProcessMessages();
  EXPECT_FALSE(d->ZoomPanel()->GetVisible());
  d->dg->SetFocus();
  Application->ProcessMessages();
  ASSERT_TRUE(d->ZoomPanel()->GetVisible());
  struct Case {
    Integer col, row;
  };
  for (const Case& c : {Case{0, 0}, Case{27, 7}, Case{9, 3}}) {
    SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
    ClickCell(*d, c.col, c.row);
    ASSERT_EQ(d->dg->Col(), c.col);
    ASSERT_EQ(d->dg->Row(), c.row);
    TRect cell;
    d->dg->GetCellRect(c.col, c.row, cell);
    const TPoint at = d->ScreenToClient(d->dg->ClientToScreen(TPoint(cell.Left, cell.Top)));
    TZoomPanel* zoom = d->ZoomPanel();
    EXPECT_EQ(zoom->GetLeft(), at.X - 10);
    EXPECT_EQ(zoom->GetTop(), at.Y - 10);
    EXPECT_EQ(zoom->GetHeight(), cell.Height() + 20);
    EXPECT_EQ(zoom->BaseWidth, cell.Width() + 20);
    EXPECT_EQ(zoom->Char, AnsiString(1, static_cast<char>(c.row * 28 + 32 + c.col)));
    // The panel's middle is the grid's to the mouse.
    QWidget* window = WindowWidgetOf(d.get());
    const QPoint middle = WidgetOf(zoom)->mapTo(window, QPoint(zoom->GetWidth() / 2, zoom->GetHeight() / 2));
    QWidget* hit = window->childAt(middle);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == WidgetOf(d->dg) || WidgetOf(d->dg)->isAncestorOf(hit));
  }
  d->Hide();
}

TEST(InsertSymbolDialog, GlyphsFollowTheGridsSize) {
  auto d = NewDialog();
  struct Case {
    Integer width, height, points;
  };
  // The designed grid, a wide one (height decides) and a tall one (width decides).
  for (const Case& c : {Case{687, 246, 15}, Case{640, 200, 13}, Case{320, 400, 10}, Case{900, 100, 6}}) {
    d->dg->SetBounds(8, 43, c.width, c.height);
    EXPECT_EQ(d->CellFontSize(), c.points) << c.width << "x" << c.height;
  }
}

TEST(InsertSymbolDialog, ResizingKeepsTheCodeLineAndButtonsAtTheBottom) {
  auto d = NewDialog();
  d->Show();
  Application->ProcessMessages();
  const Integer okTop = d->btnOk->GetTop(), gridHeight = d->dg->GetHeight(), gridWidth = d->dg->GetWidth();
  const Integer charsetLeft = d->cmbCharset->GetLeft(), lineTop = d->Label1->GetTop();
  d->SetClientWidth(d->ClientWidth() + 100);
  d->SetClientHeight(d->ClientHeight() + 60);
  Application->ProcessMessages();
  EXPECT_EQ(d->btnOk->GetTop(), okTop + 60);
  EXPECT_EQ(d->Label1->GetTop(), lineTop + 60);
  EXPECT_EQ(d->dg->GetHeight(), gridHeight + 60);
  EXPECT_EQ(d->dg->GetWidth(), gridWidth + 100);
  EXPECT_EQ(d->cmbCharset->GetLeft(), charsetLeft + 100);
  d->Hide();
}

TEST(InsertSymbolDialog, RestrictChoosesWhichCharacterSetsAreOffered) {
  struct Case {
    TVLInsertSymbolType type;
    bool charsetShown, unicodeListed, unicodeMode;
  };
  for (const Case& c : {Case{vlisBoth, true, true, false}, Case{vlisUnicode, false, true, true},
                        Case{vlisSingleByte, true, false, false}}) {
    SCOPED_TRACE(c.type);
    auto d = NewDialog();
    d->Init(0x41, Font, ANSI_CHARSET);
    d->Restrict(c.type != vlisSingleByte, c.type != vlisUnicode);
    EXPECT_EQ(d->cmbCharset->GetVisible(), c.charsetShown);
    EXPECT_EQ(d->lblCharset->GetVisible(), c.charsetShown);
    EXPECT_EQ(d->cmbCharset->IndexOfCharset(DEFAULT_CHARSET) >= 0, c.unicodeListed);
    EXPECT_EQ(d->UnicodeMode(), c.unicodeMode);
    EXPECT_EQ(d->dg->GetRowCount(), c.unicodeMode ? 2340 : 8);
  }
}

// ---------------------------------------------------------------------------
// The command on a real editor.

struct TSymbolBench : TEditorBench {
  TSymbolBench() {
    PlainSheet();
    Fill(Edit, "ab");
    Edit->SetSelectionBounds(0, 2, 0, 2);  // between "a" and "b"
    Action = new TvlActionInsertSymbol(Form);
    Action->SetControl(Edit);
  }
  TvlActionInsertSymbol* Action;
};

TEST(InsertSymbolCommand, TheChosenCharacterGoesInWithItsFontAsOneUndoStep) {
  struct Case {
    const char* what;
    TFontCharset charset;
    Integer code;
    bool alwaysUnicode;
    const char* inserted;  // UTF-8
    bool unicodeStyle;
  };
  const Case cases[] = {
      {"Unicode", DEFAULT_CHARSET, 0x263A, false, "\u263A", true},
      {"Cyrillic byte", RUSSIAN_CHARSET, 0xC0, false, "\u0410", false},
      // The cell showed the Cyrillic letter: that one, in a Unicode style.
      {"Cyrillic byte, always Unicode", RUSSIAN_CHARSET, 0xC0, true, "\u0410", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSymbolBench b;
    b.Action->AlwaysInsertUnicode = c.alwaysUnicode;
    const Integer styles = b.Sheet->TextStyles->Count();
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLInsertSymbol*>(r.Form);
      Application->ProcessMessages();
      Choose(d.cmbFont, d.cmbFont->Items().IndexOf(Font));
      Choose(d.cmbCharset, d.cmbCharset->IndexOfCharset(c.charset));
      Integer col = 0, row = 0;
      CellOf(c.code, col, row);
      d.dg->SelectCell(0, row);  // scrolled into view, then clicked
      ClickCell(d, col, row);
      EXPECT_EQ(d.Label1->GetText(),
                (c.charset == DEFAULT_CHARSET ? "Character code: Unicode " : "Character code: ") + IntToStr(c.code));
      Click(d.btnOk);
      return d.ModalResult;
    });
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(ItemText(b.Edit), String("a") + c.inserted + "b");
    ASSERT_EQ(b.Sheet->TextStyles->Count(), styles + 1);
    const TFontInfo& s = b.Text(styles);
    EXPECT_EQ(s.FontName, Font);
    EXPECT_EQ(s.Charset, c.charset);
    EXPECT_EQ(s.Unicode, c.unicodeStyle);
    EXPECT_TRUE(s.Protection.Contains(vlprDoNotAutoSwitch));
    EXPECT_EQ(b.Edit->GetCurTextStyleNo(), 0);
    bool inSymbolStyle = false;
    for (Integer i = 0; i < b.Edit->ItemCount(); ++i)
      if (b.Edit->GetItemTextUtf8(i) == c.inserted) inSymbolStyle = b.Edit->GetItem(i)->StyleNo == styles;
    EXPECT_TRUE(inSymbolStyle);
    EXPECT_TRUE(b.Action->HasLastSymbol);
    EXPECT_EQ(b.Action->SymbolCharCode, c.code);
    b.Edit->Undo();
    EXPECT_EQ(ItemText(b.Edit), "ab");
    EXPECT_EQ(b.Edit->GetUndoType(), vlutNone);
  }
}

TEST(InsertSymbolCommand, FirstRunOpensOnTheCaretsFontInUnicode) {
  // Arial is drawn by an installed stand-in: the dialog opens on that one.
  for (const char* caretFont : {"DejaVu Serif", "Liberation Mono", "Arial"}) {
    SCOPED_TRACE(caretFont);
    TSymbolBench b;
    b.Text(0).FontName = caretFont;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLInsertSymbol*>(r.Form);
      Word code = 0;
      String name;
      TFontCharset charset = 0;
      d.GetResult(code, name, charset);
      EXPECT_EQ(name, InstalledFontFamily(caretFont));
      EXPECT_EQ(charset, DEFAULT_CHARSET);
      EXPECT_TRUE(d.UnicodeMode());
      EXPECT_EQ(d.cmbFont->Items().Get(d.cmbFont->GetItemIndex()), InstalledFontFamily(caretFont));
      return mrCancel;
    });
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
  }
  // A font the dialog is given that lacks the character set: Unicode.
  auto d = NewDialog();
  d->Init(0x41, Font, SYMBOL_CHARSET);
  EXPECT_TRUE(d->UnicodeMode());
}

TEST(InsertSymbolCommand, SecondRunOpensOnTheLastChoiceAndAddsNoStyle) {
  TSymbolBench b;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLInsertSymbol*>(r.Form);
    d.Init(0x2022, Font, DEFAULT_CHARSET);
    Click(d.btnOk);
    return d.ModalResult;
  });
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLInsertSymbol*>(r.Form);
    Word code = 0;
    String name;
    TFontCharset charset = 0;
    d.GetResult(code, name, charset);
    EXPECT_EQ(code, 0x2022);
    EXPECT_EQ(name, Font);
    EXPECT_EQ(charset, DEFAULT_CHARSET);
    Click(d.btnOk);
    return d.ModalResult;
  });
  // Cancelled: nothing goes in.
  script.Do([](TInteraction&) { return mrCancel; });
  ASSERT_TRUE(b.Action->Execute());
  const Integer styles = b.Sheet->TextStyles->Count();
  ASSERT_TRUE(b.Action->Execute());
  EXPECT_EQ(b.Sheet->TextStyles->Count(), styles);
  ASSERT_TRUE(b.Action->Execute());
  EXPECT_EQ(ItemText(b.Edit), "a\u2022\u2022b");
  EXPECT_EQ(script.Unexpected, 0);
}

// In a table: the cell being edited takes the symbol; a block of selected
// cells leaves the command disabled.
TEST(InsertSymbolCommand, GoesIntoTheEditedCellAndWaitsWhileCellsAreSelected) {
  tabletest::TTableWindow w;
  TvlActionInsertSymbol action(w.Form.get());
  action.SetControl(w.Edit);
  w.Click(0, 0);
  w.Click(0, 1, Qt::ShiftModifier);
  EXPECT_FALSE(w.Enabled(action));
  w.Click(1, 1);
  ASSERT_TRUE(w.Enabled(action));
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLInsertSymbol*>(r.Form);
    d.Init(0x2022, Font, DEFAULT_CHARSET);
    Click(d.btnOk);
    return d.ModalResult;
  });
  ASSERT_TRUE(w.Run(action));
  const std::string cell = tabletest::DocText(w.T()->GetCell(1, 1)->GetVLData());
  EXPECT_NE(cell.find("\u2022"), std::string::npos) << cell;
  EXPECT_EQ(tabletest::DocText(w.T()->GetCell(0, 0)->GetVLData()), "00");
}

}  // namespace
