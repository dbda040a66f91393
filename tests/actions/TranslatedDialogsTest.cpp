// Every dialog of the editing commands with each language current: each
// text fits its control, no control sticks out of its parent or lies on a
// sibling, and a right-to-left language lays the dialog out right to left.
// Offscreen the layout is checked; on a display the dialogs of a left-to-right
// and of a right-to-left language are kept side by side as one picture each
// (support/Screenshots.h).
#include "actions/ColorVLFrm.h"
#include "actions/FillColorVLFrm.h"
#include "actions/FontVLFrm.h"
#include "actions/FourSidesVLFrm.h"
#include "actions/HypVLFrm.h"
#include "actions/InsTableVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/ListGalleryVLFrm.h"
#include "actions/ListVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaListVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "actions/SymbolVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/TableBackVLFrm.h"
#include "actions/BackVLFrm.h"
#include "actions/TableBrdrVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLSpinEdit.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/ControlsPrivate.h"

#include "support/Screenshots.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QThread>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// A display draws late; a picture waits for it.
void Settle(bool forPicture) {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(forPicture && qytest::OnDisplay() ? 20 : 0);
  }
}

// The text as drawn: without mnemonic marks, or without the markup that
// underlines the mnemonic letter of a label.
QString Shown(QString text) {
  if (text.startsWith('<')) return text.remove(QRegularExpression("<[^>]*>"));
  return text.remove(QRegularExpression("&(?!&)"));
}

std::string Box(const QRect& r) {
  return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
         std::to_string(r.height());
}

// A widget by the name of the control it shows, or by its class.
std::string NameOf(TCustomForm* form, QWidget* w) {
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(form->Components(i))) {
      if (WidgetOf(c) == w) return c->GetName();
      if (auto* wc = dynamic_cast<TWinControl*>(c); wc && ClientWidgetOf(wc) == w) return c->GetName() + " client";
    }
  return w->metaObject()->className();
}

std::vector<std::string> LayoutFaults(TCustomForm* form, QWidget* window) {
  std::vector<std::string> faults;
  auto name = [&](QWidget* w) { return NameOf(form, w); };
  std::function<void(QWidget*)> walk = [&](QWidget* parent) {
    std::vector<QWidget*> shown;
    for (QObject* o : parent->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (!w || w->isWindow() || !w->isVisibleTo(window)) continue;
      shown.push_back(w);
      const QFontMetrics fm(w->font());
      if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
        if (fm.horizontalAdvance(Shown(label->text())) > label->width())
          faults.push_back("cut label: " + name(w) + " " + label->text().toStdString());
      } else if (label) {
        // A wrapping label needs the height of all its lines.
        if (label->heightForWidth(label->width()) > label->height())
          faults.push_back("cut label: " + name(w) + " " + label->text().toStdString());
      } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty()) {
        // Room for the frame, or for the box of a check or radio button.
        if (fm.horizontalAdvance(Shown(button->text())) + 8 > button->width())
          faults.push_back("cut button: " + name(w) + " " + button->text().toStdString());
      }
      if (!parent->rect().contains(w->geometry())) faults.push_back("outside its parent: " + name(w) + " " + Box(w->geometry()) + " in " + name(parent) + " " +
                         Box(parent->rect()));
      walk(w);
    }
    for (size_t i = 0; i < shown.size(); ++i)
      for (size_t j = i + 1; j < shown.size(); ++j)
        if (shown[i]->geometry().intersects(shown[j]->geometry()))
          faults.push_back("overlap: " + name(shown[i]) + " and " + name(shown[j]));
  };
  walk(window);
  return faults;
}

struct TLanguageCase {
  const char* Language;
  const char* Tag;
  // Kept on a display, or none.
  const char* Picture;
  bool RightToLeft;
};

class TranslatedDialogs : public ::testing::TestWithParam<TLanguageCase> {
protected:
  void SetUp() override {
    Application->Initialize();
    SwitchLanguage(GetParam().Language);
  }
  void TearDown() override {
    // Forms name the palette's colours in their language; later tests read them in English.
    SwitchLanguage("English (US)");
    LocalizePaletteNames();
    TClipboard& clip = Clipboard();
    clip.Open();
    clip.Clear();
    clip.Close();
  }
};

TEST_P(TranslatedDialogs, ScreenshotEveryDialogShowsWholeTextsInItsDirection) {
  const TLanguageCase& c = GetParam();
  // Rich text and plain text on the clipboard: the paste list names both.
  TClipboard& clip = Clipboard();
  clip.Open();
  clip.Clear();
  clip.SetAsText("text");
  clip.SetData(RegisterClipboardFormat("Rich Text Format"), "{\\rtf1 text}");
  clip.Close();

  std::vector<std::unique_ptr<TCustomForm>> forms;
  auto* rows = CreateVLForm<TfrmInteger>(nullptr);
  rows->SetFormCaption(LanguageText(545));
  rows->SetControlText(rows->_lbl, LanguageText(546));
  forms.emplace_back(rows);
  auto* paste = CreateVLForm<TfrmVLList>(nullptr);
  paste->FillPasteFormats(LanguageText(212));
  EXPECT_GE(paste->lst->Items().Count(), 3);
  forms.emplace_back(paste);
  auto* font = CreateVLForm<TfrmVLFont>(nullptr);
  font->SampleText = "Aa";
  forms.emplace_back(font);
  forms.emplace_back(CreateVLForm<TfrmVLPara>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLParaBrdr>(nullptr));
  auto* fill = CreateVLForm<TfrmVLFillColor>(nullptr);
  fill->AddElement(vlafcaText);
  fill->AddElement(vlafcaParagraph);
  forms.emplace_back(fill);
  forms.emplace_back(CreateVLForm<TfrmVLFourSides>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLSpacing>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLInsertSymbol>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmInsTable>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLSplit>(nullptr));
  auto* unmerge = CreateVLForm<TfrmVLSplit>(nullptr);
  unmerge->rbUnmerge->SetChecked(true);
  forms.emplace_back(unmerge);
  auto* borders = CreateVLForm<TfrmVLTableBrdr>(nullptr);
  borders->SetBorder(vltbRaisedColor, clYellow, clNavy, 2);
  forms.emplace_back(borders);
  forms.emplace_back(CreateVLForm<TfrmVLTableBack>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLBack>(nullptr));
  // The table, rows and cells pages, as a table's properties show them.
  auto* properties = CreateVLForm<TfrmVLItemProp>(nullptr);
  for (TTabSheet* t : {properties->tsImage, properties->tsImgLayout, properties->tsBreak}) properties->HideTabSheet(t);
  forms.emplace_back(properties);
  forms.emplace_back(CreateVLForm<TfrmVLListGallery>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLHyp>(nullptr));
  forms.emplace_back(CreateVLForm<TfrmVLHypProp>(nullptr));
  // The number page, with its start value and a level or two to insert.
  auto* customize = CreateVLForm<TfrmVLParaList>(nullptr);
  {
    TVLStyle sheet(nullptr);
    VLFillListTemplates(sheet, 1);
    TVLListInfo* list = sheet.ListStyles->Items(0);
    list->Levels->Items(2)->StartFrom = 3;
    customize->SetListInfo(*list);
    customize->lstLevels->SetItemIndex(2);
    customize->lstLevelsClick(nullptr);
  }
  forms.emplace_back(customize);

  std::vector<QImage> pictures;
  auto check = [&](TfrmVLBase* form) {
    QWidget* window = WindowWidgetOf(form);
    ASSERT_NE(window, nullptr);
    SCOPED_TRACE(window->windowTitle().toStdString());
    EXPECT_EQ(form->BiDiMode == bdRightToLeft, c.RightToLeft);
    EXPECT_EQ(LayoutFaults(form, window), std::vector<std::string>{});
    // A spin edit's arrows sit where its reading order ends, clear of the
    // number (the edit keeps that side for them).
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto* spin = dynamic_cast<TVLSpinEdit*>(form->Components(i))) {
        EXPECT_EQ(spin->UpDown()->GetLeft() == 0, c.RightToLeft) << spin->GetName();
      }
    pictures.push_back(window->grab().toImage());
  };
  for (auto& form : forms) {
    form->Show();
    Settle(c.Picture != nullptr);
    check(static_cast<TfrmVLBase*>(form.get()));
    // Every page, as the user turns to it (a page may take a shared group
    // along).
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto* pages = dynamic_cast<TPageControl*>(form->Components(i)))
        for (int p = 1; p < pages->PageCount(); ++p) {
          pages->SelectNextPage(true);
          Settle(c.Picture != nullptr);
          SCOPED_TRACE("page " + std::to_string(p));
          check(static_cast<TfrmVLBase*>(form.get()));
        }
    form->Hide();
  }
  // The pop-up frees itself when it closes; it stays open while looked at.
  auto* colours = CreateVLForm<TfrmColor>(nullptr);
  colours->Init(clWindowText, nullptr, 0x0000FF);
  colours->PopupAtRect(TRect(100, 100, 180, 122));
  Settle(c.Picture != nullptr);
  check(colours);
  delete colours;

  if (!c.Picture) return;
  QY_SCREENSHOT_NEEDS_DISPLAY();
  // Three dialogs to a row.
  const size_t perRow = 3;
  int width = 0, height = 0, rowWidth = 0, rowHeight = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    rowWidth += pictures[i].width() + 16;
    rowHeight = std::max(rowHeight, pictures[i].height());
    if (i % perRow == perRow - 1 || i + 1 == pictures.size()) {
      width = std::max(width, rowWidth);
      height += rowHeight + 16;
      rowWidth = rowHeight = 0;
    }
  }
  QImage sheet(width + 16, height + 16, QImage::Format_RGB32);
  sheet.fill(QColor(0x80, 0x80, 0x80));
  QPainter painter(&sheet);
  int x = 16, y = 16;
  rowHeight = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    painter.drawImage(x, y, pictures[i]);
    x += pictures[i].width() + 16;
    rowHeight = std::max(rowHeight, pictures[i].height());
    if (i % perRow == perRow - 1) {
      x = 16;
      y += rowHeight + 16;
      rowHeight = 0;
    }
  }
  painter.end();
  EXPECT_EQ(qytest::KeepScreenshot(sheet, c.Picture, {600, 400, {0xFF0000}}), "");
}

// A control is as wide as its longest text in any of the languages.
INSTANTIATE_TEST_SUITE_P(Languages, TranslatedDialogs,
                         ::testing::Values(TLanguageCase{"English (US)", "en", nullptr, false},
                                           TLanguageCase{"Russian", "ru", "dialogs-ru.png", false},
                                           TLanguageCase{"Svenska", "sv", nullptr, false},
                                           TLanguageCase{"Norsk (Bokm\xE5l)", "nb", nullptr, false},
                                           TLanguageCase{"German", "de", nullptr, false},
                                           TLanguageCase{"Italian", "it", nullptr, false},
                                           TLanguageCase{"Francais", "fr", nullptr, false},
                                           TLanguageCase{"Portuguese (Brazilian)", "pt", nullptr, false},
                                           TLanguageCase{"Czech", "cs", nullptr, false},
                                           TLanguageCase{"Dutch (NL)", "nl", nullptr, false},
                                           TLanguageCase{"Slovak", "sk", nullptr, false},
                                           TLanguageCase{"Persian", "fa", "dialogs-fa.png", true},
                                           TLanguageCase{"Lithuanian", "lt", nullptr, false},
                                           TLanguageCase{"Spanish", "es", nullptr, false},
                                           TLanguageCase{"Ukrainian", "uk", nullptr, false}),
                         [](const auto& info) { return std::string(info.param.Tag); });

}  // namespace
