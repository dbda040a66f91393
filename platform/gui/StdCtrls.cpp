#include "platform/gui/StdCtrls.h"

#include "platform/base/Wipe.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtText.h"
#include "platform/gui/SecretText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QCollator>
#include <QComboBox>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcutEvent>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace {

int LocaleCompareNoCase(const String& a, const String& b) {
  static QCollator collator = [] {
    QCollator c{QLocale()};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(ToQ(a), ToQ(b));
}

void CheckListIndex(int index, int count) {
  if (index < 0 || index >= count) throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---------------------------------------------------------------------------

int TControlItems::Count() const { return ViewCount(); }

String TControlItems::Get(int Index) const {
  CheckListIndex(Index, Count());
  return ViewGet(Index);
}

TObject* TControlItems::GetObject(int Index) const {
  CheckListIndex(Index, Count());
  return FObjects[static_cast<size_t>(Index)];
}

void TControlItems::Put(int Index, const String& S) {
  CheckListIndex(Index, Count());
  ViewSet(Index, S);
}

void TControlItems::PutObject(int Index, TObject* AObject) {
  CheckListIndex(Index, Count());
  FObjects[static_cast<size_t>(Index)] = AObject;
}

void TControlItems::InsertObject(int Index, const String& S, TObject* AObject) {
  if (Index < 0 || Index > Count())
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
  ViewInsert(Index, S);
  FObjects.insert(FObjects.begin() + Index, AObject);
}

int TControlItems::AddObject(const String& S, TObject* AObject) {
  int index = Count();
  if (Sorted) {
    // After the last entry that sorts before or equal to S.
    int lo = 0, hi = Count();
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (LocaleCompareNoCase(ViewGet(mid), S) <= 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    index = lo;
  }
  InsertObject(index, S, AObject);
  return index;
}

void TControlItems::Delete(int Index) {
  CheckListIndex(Index, Count());
  ViewDelete(Index);
  FObjects.erase(FObjects.begin() + Index);
}

void TControlItems::Clear() {
  ViewClear();
  FObjects.clear();
}

// ---------------------------------------------------------------------------
// Label

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner) {
  auto* label = new QLabel();
  label->setTextFormat(Qt::PlainText);
  SetWidget(label);
  SetBounds(0, 0, 65, 13);
}

String TLabel::GetText() const { return FText; }

namespace {

// A caption with its access key underlined, as markup: "&x" marks x, "&&"
// is one "&". Used where the toolkit would show the "&" itself (a label
// without a control to focus still shows its key, as other labels do).
QString AccessKeyMarkup(const QString& text) {
  QString out;
  bool marked = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && !marked) {
        marked = true;
        out += "<u>" + QString(text[i]).toHtmlEscaped() + "</u>";
        continue;
      }
    }
    out += QString(text[i]).toHtmlEscaped();
  }
  return "<span style=\"white-space:pre-wrap\">" + out + "</span>";
}

}  // namespace

void TLabel::SetText(const String& value) {
  FText = value;
  auto* label = static_cast<QLabel*>(Widget());
  if (!label) return;
  // With a control to focus the toolkit underlines the key and handles
  // Alt+key; without one it would show the "&" as it stands.
  if (label->buddy() || value.find('&') == String::npos) {
    label->setTextFormat(Qt::PlainText);
    label->setText(ToQ(value));
  } else {
    label->setTextFormat(Qt::RichText);
    label->setText(AccessKeyMarkup(ToQ(value)));
  }
  AdjustSize();
}

void TLabel::AdjustSize() {
  auto* label = static_cast<QLabel*>(Widget());
  if (!label || !AutoSize || label->wordWrap()) return;
  QSize hint = label->sizeHint();
  SetBounds(GetLeft(), GetTop(), hint.width(), hint.height());
}

void TLabel::SetAlignment(TAlignment value) {
  FAlignment = value;
  if (auto* label = static_cast<QLabel*>(Widget())) {
    Qt::Alignment h = value == taCenter ? Qt::AlignHCenter : value == taRightJustify ? Qt::AlignRight : Qt::AlignLeft;
    label->setAlignment(h | Qt::AlignTop);
  }
}

bool TLabel::GetWordWrap() const {
  auto* label = static_cast<QLabel*>(Widget());
  return label && label->wordWrap();
}

int TLabel::WrappedTextHeight() const {
  auto* label = static_cast<QLabel*>(Widget());
  if (!label) return GetHeight();
  const int h = label->heightForWidth(GetWidth());
  return h > 0 ? h : label->sizeHint().height();
}

void TLabel::SetWordWrap(bool value) {
  if (auto* label = static_cast<QLabel*>(Widget())) label->setWordWrap(value);
}

void TLabel::SetFocusControl(TWinControl* control) {
  auto* label = static_cast<QLabel*>(Widget());
  if (!label) return;
  // A control made of several widgets hands its focus on to one of them:
  // the key focuses that one (the toolkit passes over a buddy that takes no
  // focus itself).
  QWidget* buddy = control ? WidgetOf(control) : nullptr;
  while (buddy && buddy->focusPolicy() == Qt::NoFocus && buddy->focusProxy()) buddy = buddy->focusProxy();
  label->setBuddy(buddy);
  SetText(FText);
}

// ---------------------------------------------------------------------------
// Buttons

namespace {

// A button's access key does what a click does: the button takes the focus
// as well as pressing (the toolkit would only press it).
class TAccessKeyFocus : public QObject {
public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous())
      if (auto* w = qobject_cast<QWidget*>(watched); w && (w->focusPolicy() & Qt::TabFocus))
        w->setFocus(Qt::ShortcutFocusReason);
    return false;
  }
};

}  // namespace

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  auto* button = new QPushButton();
  button->installEventFilter(new TAccessKeyFocus(button));
  // Return on a focused button presses it, as on the platform the design knew.
  button->setAutoDefault(true);
  QObject::connect(button, &QPushButton::clicked, button, [this] { GuardedCall([this] { Click(); }); });
  SetWidget(button);
  SetBounds(0, 0, 75, 25);
}

String TButton::GetText() const { return FText; }

void TButton::SetText(const String& value) {
  FText = value;
  if (auto* b = static_cast<QPushButton*>(Widget())) b->setText(ToQ(value));
}

void TButton::SetDefault(bool value) {
  Default = value;
  if (auto* b = static_cast<QPushButton*>(Widget())) b->setDefault(value);
}

void TButton::Click() {
  if (ModalResult != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->ModalResult = ModalResult;
  TWinControl::Click();
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {}

void TBitBtn::SetKind(TBitBtnKind value) {
  struct TKindDef {
    const char* Caption;
    TModalResult Result;
    bool Default;
    bool Cancel;
  };
  static const TKindDef defs[] = {
      {"", mrNone, false, false},          {"OK", mrOk, true, false},         {"Cancel", mrCancel, false, true},
      {"&Help", mrNone, false, false},     {"&Yes", mrYes, true, false},      {"&No", mrNo, false, true},
      {"&Close", mrNone, false, false},    {"Abort", mrAbort, false, true},   {"&Retry", mrRetry, false, false},
      {"&Ignore", mrIgnore, false, false}, {"&All", mrAll, false, false},
  };
  FKind = value;
  if (value == bkCustom) return;
  const TKindDef& s = defs[value];
  SetText(s.Caption);
  ModalResult = s.Result;
  SetDefault(s.Default);
  Cancel = s.Cancel;
}

TBitmap& TBitBtn::Glyph() {
  if (!FGlyph) FGlyph = std::make_unique<TBitmap>();
  return *FGlyph;
}

void TBitBtn::GlyphChanged() {
  auto* b = static_cast<QPushButton*>(Widget());
  if (!b || !FGlyph) return;
  QImage image = FGlyph->ToImage();
  b->setIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
}

// ---------------------------------------------------------------------------
// Edits

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomEdit::Changed() {
  if (OnChange) OnChange(this);
}

namespace {
QLineEdit* LineEditOf(const TControl* c) { return static_cast<QLineEdit*>(WidgetOf(c)); }

// UTF-8 of a password written straight into its string, which is never
// reallocated: no converted copy is left behind in freed memory.
String SecretUtf8(const QString& text) {
  String out(static_cast<size_t>(text.size()) * 3, '\0');
  size_t n = 0;
  const char16_t* u = reinterpret_cast<const char16_t*>(text.utf16());
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = u[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && u[i + 1] >= 0xDC00 && u[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
    if (c < 0x80) {
      out[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
      out[n++] = static_cast<char>(0xC0 | c >> 6);
      out[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out[n++] = static_cast<char>(0xE0 | c >> 12);
      out[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out[n++] = static_cast<char>(0xF0 | c >> 18);
      out[n++] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  // Shrinking keeps the buffer; the tail it leaves holds zeros only.
  out.resize(n);
  return out;
}
}  // namespace

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  auto* edit = new QLineEdit();
  edit->setMaxLength(32767);
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this, edit](const QString& text) {
    GuardedCall([&] {
      if (CharCase != ecNormal) {
        QString cased = CharCase == ecUpperCase ? text.toUpper() : text.toLower();
        if (cased != text) {
          int pos = edit->cursorPosition();
          edit->setText(cased);  // fires again with the cased text
          edit->setCursorPosition(pos);
          return;
        }
      }
      Changed();
    });
  });
  SetWidget(edit);
  SetBounds(0, 0, 121, 21);
}

String TEdit::GetText() const {
  QLineEdit* e = LineEditOf(this);
  if (!e) return String();
  return FPasswordChar ? SecretUtf8(e->text()) : FromQ(e->text());
}

String TakeEditText(TEdit& edit) {
  QLineEdit* e = LineEditOf(&edit);
  if (!e) return String();
  // The edit's own buffer: once the edit lets go of it (emptying it also
  // drops its undo), this is its last holder and it is wiped in place.
  QString held = e->text();
  String text = SecretUtf8(held);
  e->setText(QString());
  if (held.capacity() > 0) WipeBytes(const_cast<QChar*>(held.constData()), static_cast<size_t>(held.capacity()) * 2);
  return text;
}

void TEdit::SetText(const String& value) {
  if (QLineEdit* e = LineEditOf(this)) e->setText(ToQ(value));
}

int TEdit::GetMaxLength() const {
  QLineEdit* e = LineEditOf(this);
  return !e || e->maxLength() >= 32767 ? 0 : e->maxLength();
}

void TEdit::SetMaxLength(int value) {
  if (QLineEdit* e = LineEditOf(this)) e->setMaxLength(value <= 0 ? 32767 : value);
}

bool TEdit::GetReadOnly() const {
  QLineEdit* e = LineEditOf(this);
  return e && e->isReadOnly();
}

void TEdit::SetReadOnly(bool value) {
  if (QLineEdit* e = LineEditOf(this)) e->setReadOnly(value);
}

void TEdit::SetPasswordChar(char16_t value) {
  FPasswordChar = value;
  QLineEdit* e = LineEditOf(this);
  if (!e) return;
  e->setEchoMode(value ? QLineEdit::Password : QLineEdit::Normal);
  e->setStyleSheet(value ? QString("QLineEdit { lineedit-password-character: %1 }").arg(static_cast<int>(value))
                         : QString());
}

TRect TEdit::GetEditRect() const { return FHasEditRect ? FEditRect : GetClientRect(); }

void TEdit::SetEditRect(const TRect& rect) {
  FEditRect = rect;
  FHasEditRect = true;
  QLineEdit* e = LineEditOf(this);
  if (!e) return;
  const TRect client = GetClientRect();
  auto margin = [](Integer v) { return std::max<Integer>(v, 0); };
  e->setTextMargins(margin(rect.Left - client.Left), margin(rect.Top - client.Top), margin(client.Right - rect.Right),
                    margin(client.Bottom - rect.Bottom));
}

void TEdit::SelectAll() {
  if (QLineEdit* e = LineEditOf(this)) e->selectAll();
}

int TEdit::GetSelStart() const {
  QLineEdit* e = LineEditOf(this);
  if (!e) return 0;
  return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TEdit::SetSelStart(int value) {
  if (QLineEdit* e = LineEditOf(this)) e->setCursorPosition(value);
}

int TEdit::GetSelLength() const {
  QLineEdit* e = LineEditOf(this);
  return e && e->hasSelectedText() ? e->selectionLength() : 0;
}

void TEdit::SetSelLength(int value) {
  if (QLineEdit* e = LineEditOf(this)) e->setSelection(GetSelStart(), value);
}

String TEdit::GetSelText() const {
  QLineEdit* e = LineEditOf(this);
  return e ? FromQ(e->selectedText()) : String();
}

TLabeledEdit::TLabeledEdit(TComponent* AOwner) : TEdit(AOwner), FLabel(new TLabel(this)) {
  FLabel->SetFocusControl(this);
}

void TLabeledEdit::SetParent(TWinControl* AParent) {
  TEdit::SetParent(AParent);
  FLabel->SetParent(AParent);
  PlaceLabel();
}

void TLabeledEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FLabel) PlaceLabel();
}

void TLabeledEdit::SetVisible(bool value) {
  TEdit::SetVisible(value);
  FLabel->SetVisible(value);
}

void TLabeledEdit::SetLabelPosition(TLabelPosition value) {
  FLabelPosition = value;
  PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
  int lw = FLabel->GetWidth(), lh = FLabel->GetHeight();
  switch (FLabelPosition) {
    case lpAbove: FLabel->SetBounds(GetLeft(), GetTop() - lh - LabelSpacing, lw, lh); break;
    case lpBelow: FLabel->SetBounds(GetLeft(), GetTop() + GetHeight() + LabelSpacing, lw, lh); break;
    case lpLeft: FLabel->SetBounds(GetLeft() - lw - LabelSpacing, GetTop() + (GetHeight() - lh) / 2, lw, lh); break;
    case lpRight:
      FLabel->SetBounds(GetLeft() + GetWidth() + LabelSpacing, GetTop() + (GetHeight() - lh) / 2, lw, lh);
      break;
  }
}

// ---------------------------------------------------------------------------
// Memo

namespace {

QPlainTextEdit* MemoOf(const TControl* c) { return static_cast<QPlainTextEdit*>(WidgetOf(c)); }

// The memo's lines: an empty memo has none, and a final line break does not
// start another.
class TMemoLines : public TStrings {
public:
  explicit TMemoLines(TMemo* memo) : FMemo(memo) {}
  int Count() const override { return static_cast<int>(Lines().size()); }
  String Get(int Index) const override {
    auto lines = Lines();
    CheckListIndex(Index, static_cast<int>(lines.size()));
    return FromQ(lines[Index]);
  }
  TObject* GetObject(int) const override { return nullptr; }
  void PutObject(int, TObject*) override {}
  void Put(int Index, const String& S) override {
    auto lines = Lines();
    CheckListIndex(Index, static_cast<int>(lines.size()));
    lines[Index] = ToQ(S);
    SetLines(lines);
  }
  void InsertObject(int Index, const String& S, TObject*) override {
    auto lines = Lines();
    if (Index < 0 || Index > lines.size())
      throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
    lines.insert(Index, ToQ(S));
    SetLines(lines);
  }
  void Delete(int Index) override {
    auto lines = Lines();
    CheckListIndex(Index, static_cast<int>(lines.size()));
    lines.removeAt(Index);
    SetLines(lines);
  }
  void Clear() override { SetLines({}); }
  void SetText(const String& Value) override { FMemo->SetText(Value); }

private:
  QStringList Lines() const {
    QPlainTextEdit* e = MemoOf(FMemo);
    if (!e) return {};
    QString text = e->toPlainText();
    if (text.isEmpty()) return {};
    QStringList lines = text.split('\n');
    if (text.endsWith('\n')) lines.removeLast();
    return lines;
  }
  void SetLines(const QStringList& lines) {
    QPlainTextEdit* e = MemoOf(FMemo);
    if (e) e->setPlainText(lines.join('\n'));
  }
  TMemo* FMemo;
};

}  // namespace

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoLines>(this)) {
  auto* edit = new QPlainTextEdit();
  QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] {
    GuardedCall([this] {
      if (FChanging) return;
      EnforceMaxLength();
      Changed();
    });
  });
  SetWidget(edit);
  SetBounds(0, 0, 185, 89);
  SetScrollBars(ssNone);
}

TMemo::~TMemo() = default;

String TMemo::GetText() const {
  QPlainTextEdit* e = MemoOf(this);
  if (!e) return {};
  // Line breaks as the design stores them.
  return FromQ(e->toPlainText().replace('\n', QStringLiteral("\r\n")));
}

void TMemo::SetText(const String& value) {
  QPlainTextEdit* e = MemoOf(this);
  if (!e) return;
  QString text = ToQ(value);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
  e->setPlainText(text);
}

TStrings& TMemo::Lines() { return *FLines; }

void TMemo::SetMaxLength(int value) {
  FMaxLength = std::max(0, value);
  EnforceMaxLength();
}

// Typing or pasting past the limit keeps what fits; the characters just
// inserted before the cursor give way first. A line break counts as two
// characters, as the design's memo counts them.
void TMemo::EnforceMaxLength() {
  QPlainTextEdit* e = MemoOf(this);
  if (!e || FMaxLength <= 0) return;
  QString text = e->toPlainText();
  auto length = [](const QString& t) { return static_cast<int>(t.size() + t.count('\n')); };
  if (length(text) <= FMaxLength) return;
  int pos = e->textCursor().position();
  while (length(text) > FMaxLength && !text.isEmpty()) {
    if (pos > 0) {
      text.remove(--pos, 1);
    } else {
      text.chop(1);
    }
  }
  FChanging = true;
  e->setPlainText(text);
  QTextCursor c = e->textCursor();
  c.setPosition(std::min(pos, static_cast<int>(text.size())));
  e->setTextCursor(c);
  FChanging = false;
}

bool TMemo::GetReadOnly() const {
  QPlainTextEdit* e = MemoOf(this);
  return e && e->isReadOnly();
}

void TMemo::SetReadOnly(bool value) {
  if (QPlainTextEdit* e = MemoOf(this)) e->setReadOnly(value);
}

void TMemo::SetScrollBars(TScrollStyle value) {
  FScrollBars = value;
  QPlainTextEdit* e = MemoOf(this);
  if (!e) return;
  bool h = value == ssHorizontal || value == ssBoth;
  bool v = value == ssVertical || value == ssBoth;
  e->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  e->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetAlignment(TAlignment value) {
  FAlignment = value;
  QPlainTextEdit* e = MemoOf(this);
  if (!e) return;
  QTextOption opt = e->document()->defaultTextOption();
  opt.setAlignment(value == taCenter ? Qt::AlignHCenter : value == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
  e->document()->setDefaultTextOption(opt);
}

void TMemo::SetWordWrap(bool value) {
  FWordWrap = value;
  if (QPlainTextEdit* e = MemoOf(this))
    e->setLineWrapMode(value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SelectAll() {
  if (QPlainTextEdit* e = MemoOf(this)) e->selectAll();
}

int TMemo::GetSelStart() const {
  QPlainTextEdit* e = MemoOf(this);
  return e ? e->textCursor().selectionStart() : 0;
}

void TMemo::SetSelStart(int value) {
  QPlainTextEdit* e = MemoOf(this);
  if (!e) return;
  QTextCursor c = e->textCursor();
  c.setPosition(std::clamp(value, 0, static_cast<int>(e->document()->characterCount()) - 1));
  e->setTextCursor(c);
}

int TMemo::GetSelLength() const {
  QPlainTextEdit* e = MemoOf(this);
  return e ? e->textCursor().selectionEnd() - e->textCursor().selectionStart() : 0;
}

void TMemo::SetSelLength(int value) {
  QPlainTextEdit* e = MemoOf(this);
  if (!e) return;
  QTextCursor c = e->textCursor();
  int start = c.selectionStart();
  c.setPosition(start);
  c.setPosition(std::clamp(start + value, 0, static_cast<int>(e->document()->characterCount()) - 1),
                QTextCursor::KeepAnchor);
  e->setTextCursor(c);
}

String TMemo::GetSelText() const {
  QPlainTextEdit* e = MemoOf(this);
  return e ? FromQ(e->textCursor().selectedText().replace(QChar(0x2029), QStringLiteral("\r\n"))) : String();
}

bool TMemo::QtEvent(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    bool isReturn = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
    bool isTab = ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab;
    if ((isReturn && !WantReturns) || (isTab && !WantTabs)) {
      if (TWinControl::QtEvent(event)) return true;
      // Not for us: the form's default button or the focus chain takes it.
      if (isTab) {
        if (QWidget* w = Widget()) {
          QWidget* next = ke->key() == Qt::Key_Backtab ? w->previousInFocusChain() : w->nextInFocusChain();
          if (next) next->setFocus(Qt::TabFocusReason);
        }
        return true;
      }
      if (TCustomForm* form = GetParentForm(this)) QCoreApplication::sendEvent(WidgetOf(form), event);
      return true;
    }
  }
  return TWinControl::QtEvent(event);
}

// ---------------------------------------------------------------------------
// Check box and radio button

namespace {
// A click steps unchecked -> grayed (only when allowed) -> checked ->
// unchecked; grayed set from code goes on to checked.
class TQtCheckBox : public QCheckBox {
public:
  explicit TQtCheckBox(const bool* allowGrayed) : FAllowGrayed(allowGrayed) { setTristate(true); }

protected:
  void nextCheckState() override {
    switch (checkState()) {
      case Qt::Unchecked: setCheckState(*FAllowGrayed ? Qt::PartiallyChecked : Qt::Checked); break;
      case Qt::Checked: setCheckState(Qt::Unchecked); break;
      default: setCheckState(Qt::Checked); break;
    }
  }

private:
  const bool* FAllowGrayed;
};
}  // namespace

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  auto* box = new TQtCheckBox(&FAllowGrayed);
  QObject::connect(box, &QCheckBox::stateChanged, box, [this](int) { GuardedCall([this] { Click(); }); });
  SetWidget(box);
  SetBounds(0, 0, 97, 17);
}

String TCheckBox::GetText() const { return FText; }

void TCheckBox::SetText(const String& value) {
  FText = value;
  if (auto* b = static_cast<QCheckBox*>(Widget())) b->setText(ToQ(value));
}

TCheckBoxState TCheckBox::GetState() const {
  auto* b = static_cast<QCheckBox*>(Widget());
  if (!b) return cbUnchecked;
  switch (b->checkState()) {
    case Qt::Checked: return cbChecked;
    case Qt::PartiallyChecked: return cbGrayed;
    default: return cbUnchecked;
  }
}

void TCheckBox::SetState(TCheckBoxState value) {
  auto* b = static_cast<QCheckBox*>(Widget());
  if (!b) return;
  b->setCheckState(value == cbChecked ? Qt::Checked : value == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TCheckBox::SetAllowGrayed(bool value) { FAllowGrayed = value; }

namespace {
// A caption on the left is the button laid out right to left.
void PlaceCaption(QWidget* w, TAlignment a) {
  if (w) w->setLayoutDirection(a == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}
}  // namespace

void TCheckBox::SetAlignment(TAlignment value) {
  FAlignment = value;
  PlaceCaption(Widget(), value);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
  auto* button = new QRadioButton();
  QObject::connect(button, &QRadioButton::toggled, button, [this](bool on) {
    GuardedCall([&] {
      if (on && !FSetting) Click();
    });
  });
  SetWidget(button);
  SetBounds(0, 0, 113, 17);
}

String TRadioButton::GetText() const { return FText; }

void TRadioButton::SetText(const String& value) {
  FText = value;
  if (auto* b = static_cast<QRadioButton*>(Widget())) b->setText(ToQ(value));
}

bool TRadioButton::GetChecked() const {
  auto* b = static_cast<QRadioButton*>(Widget());
  return b && b->isChecked();
}

void TRadioButton::SetChecked(bool value) {
  auto* b = static_cast<QRadioButton*>(Widget());
  if (!b || b->isChecked() == value) return;
  if (value) {
    // Checked from code: siblings clear and OnClick runs, as a click would.
    b->setChecked(true);
    return;
  }
  // The toolkit never unchecks an exclusive button by itself.
  FSetting = true;
  b->setAutoExclusive(false);
  b->setChecked(false);
  b->setAutoExclusive(true);
  FSetting = false;
}

void TRadioButton::SetAlignment(TAlignment value) {
  FAlignment = value;
  PlaceCaption(Widget(), value);
}

// ---------------------------------------------------------------------------
// Group boxes

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetWidget(new QGroupBox());
  SetBounds(0, 0, 185, 105);
}

String TGroupBox::GetText() const { return FText; }

void TGroupBox::SetText(const String& value) {
  FText = value;
  if (auto* g = static_cast<QGroupBox*>(Widget())) g->setTitle(ToQ(value));
}

TRect TGroupBox::GetClientRect() const {
  auto* g = static_cast<QGroupBox*>(Widget());
  if (!g) return TWinControl::GetClientRect();
  QRect r = g->contentsRect();
  return Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
}

TRadioGroup::TRadioGroup(TComponent* AOwner) : TGroupBox(AOwner), FItems(std::make_unique<TStringList>()) {
  FItems->OnChange = [this](TObject*) { Rebuild(); };
}

TRadioGroup::~TRadioGroup() {
  FItems->OnChange = nullptr;
  FButtons.clear();
}

TStrings& TRadioGroup::Items() { return *FItems; }

TRadioButton* TRadioGroup::Buttons(int index) const {
  CheckListIndex(index, static_cast<int>(FButtons.size()));
  return FButtons[static_cast<size_t>(index)].get();
}

void TRadioGroup::Rebuild() {
  FUpdating = true;
  FButtons.clear();
  for (int i = 0; i < FItems->Count(); ++i) {
    auto button = std::make_unique<TRadioButton>(nullptr);
    button->SetText(FItems->Get(i));
    button->SetParent(this);
    TRadioButton* b = button.get();
    b->OnClick = [this, i](TObject*) {
      if (FUpdating) return;
      FItemIndex = i;
      Click();
    };
    FButtons.push_back(std::move(button));
  }
  if (FItemIndex >= static_cast<int>(FButtons.size())) FItemIndex = -1;
  if (FItemIndex >= 0) FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(true);
  FUpdating = false;
  Arrange();
}

void TRadioGroup::Arrange() {
  if (FButtons.empty()) return;
  TRect r = GetClientRect();
  int cols = std::max(1, FColumns);
  int rows = static_cast<int>((FButtons.size() + static_cast<size_t>(cols) - 1) / static_cast<size_t>(cols));
  int colWidth = r.Width() / cols;
  int rowHeight = std::max(1, r.Height() / std::max(1, rows));
  for (size_t i = 0; i < FButtons.size(); ++i) {
    int col = static_cast<int>(i) / rows, row = static_cast<int>(i) % rows;
    int h = std::min(rowHeight, 20);
    FButtons[i]->SetBounds(r.Left + 8 + col * colWidth, r.Top + row * rowHeight + (rowHeight - h) / 2,
                           std::max(0, colWidth - 8), h);
  }
}

void TRadioGroup::SetItemIndex(int value) {
  if (value < -1 || value >= static_cast<int>(FButtons.size())) value = -1;
  FUpdating = true;
  if (value >= 0)
    FButtons[static_cast<size_t>(value)]->SetChecked(true);
  else if (FItemIndex >= 0 && FItemIndex < static_cast<int>(FButtons.size()))
    FButtons[static_cast<size_t>(FItemIndex)]->SetChecked(false);
  FUpdating = false;
  FItemIndex = value;
}

void TRadioGroup::SetColumns(int value) {
  FColumns = std::clamp(value, 1, 16);
  Arrange();
}

bool TRadioGroup::QtEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) Arrange();
  return TGroupBox::QtEvent(event);
}

// ---------------------------------------------------------------------------
// Owner-drawn items

class TComboDelegate : public QStyledItemDelegate {
public:
  TComboDelegate(TWinControl* control, TCanvas* canvas, std::function<TDrawItemEvent&()> handler,
                 std::function<int()> height)
      : FControl(control), FCanvas(canvas), FHandler(std::move(handler)), FHeight(std::move(height)) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    TDrawItemEvent& draw = FHandler();
    if (!draw) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    TOwnerDrawState state;
    if (option.state & QStyle::State_Selected) state.Include(odSelected);
    if (option.state & QStyle::State_HasFocus) state.Include(odFocused);
    if (!(option.state & QStyle::State_Enabled)) state.Include(odDisabled);
    QRect r = option.rect;
    painter->save();
    FCanvas->SetHandle(painter);
    // The handler paints the whole cell, the background included.
    FCanvas->Brush.Color = (option.state & QStyle::State_Selected) ? clHighlight : clWindow;
    FCanvas->Font.SetColor((option.state & QStyle::State_Selected) ? clHighlightText : clWindowText);
    GuardedCall([&] { draw(FControl, index.row(), Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1), state); });
    FCanvas->SetHandle(nullptr);
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    return QSize(s.width(), FHeight());
  }

private:
  TWinControl* FControl;
  TCanvas* FCanvas;
  std::function<TDrawItemEvent&()> FHandler;
  std::function<int()> FHeight;
};

class TListDelegate : public TComboDelegate {
  using TComboDelegate::TComboDelegate;
};

// ---------------------------------------------------------------------------
// Combo box

namespace {

QComboBox* ComboOf(const TControl* c) { return static_cast<QComboBox*>(WidgetOf(c)); }

class TComboItems : public TControlItems {
public:
  explicit TComboItems(TComboBox* combo) : FCombo(combo) {}

protected:
  int ViewCount() const override { return ComboOf(FCombo) ? ComboOf(FCombo)->count() : 0; }
  String ViewGet(int i) const override { return FromQ(ComboOf(FCombo)->itemText(i)); }
  void ViewSet(int i, const String& s) override { ComboOf(FCombo)->setItemText(i, ToQ(s)); }
  void ViewInsert(int i, const String& s) override {
    QComboBox* c = ComboOf(FCombo);
    QString keep = c->isEditable() ? c->currentText() : QString();
    QSignalBlocker block(c);
    c->insertItem(i, ToQ(s));
    // Adding items never changes the text or the selection.
    if (c->isEditable()) {
      if (c->count() == 1) c->setCurrentIndex(-1);
      c->setEditText(keep);
    } else if (c->count() == 1) {
      c->setCurrentIndex(-1);
    }
  }
  void ViewDelete(int i) override {
    QSignalBlocker block(ComboOf(FCombo));
    ComboOf(FCombo)->removeItem(i);
  }
  void ViewClear() override {
    QComboBox* c = ComboOf(FCombo);
    QSignalBlocker block(c);
    QString keep = c->isEditable() ? c->currentText() : QString();
    c->clear();
    if (c->isEditable()) c->setEditText(keep);
  }

private:
  TComboBox* FCombo;
};

}  // namespace

namespace {
// A combo box whose closed face an owner-draw handler may paint: the frame
// and the button come from the style, the field from the handler.
class TOwnerFaceCombo : public QComboBox {
public:
  std::function<bool(QPainter&, const QRect&)> PaintFace;

protected:
  void paintEvent(QPaintEvent* e) override {
    if (!PaintFace || isEditable()) return QComboBox::paintEvent(e);
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    QStyleOptionComboBox frame = opt;
    frame.currentText.clear();
    frame.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, frame);
    QRect field = style()->subControlRect(QStyle::CC_ComboBox, &frame, QStyle::SC_ComboBoxEditField, this);
    // Without a handler the face shows the selected line as usual.
    if (!PaintFace(painter, field)) painter.drawControl(QStyle::CE_ComboBoxLabel, opt);
  }
};
}  // namespace

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TComboItems>(this)), FCanvas(std::make_unique<TCanvas>()) {
  auto* combo = new TOwnerFaceCombo();
  // Owner-drawn styles paint the selected item in the closed face too.
  combo->PaintFace = [this](QPainter& painter, const QRect& r) {
    if ((FStyle != csOwnerDrawFixed && FStyle != csOwnerDrawVariable) || !OnDrawItem || GetItemIndex() < 0)
      return false;
    TOwnerDrawState state;
    state.Include(odComboBoxEdit);
    if (Focused()) {
      state.Include(odFocused);
      state.Include(odSelected);
    }
    if (!GetEnabled()) state.Include(odDisabled);
    painter.save();
    FCanvas->SetHandle(&painter);
    FCanvas->Brush.Color = state.Contains(odSelected) ? clHighlight : clWindow;
    FCanvas->Font.SetColor(state.Contains(odSelected) ? clHighlightText : clWindowText);
    GuardedCall([&] {
      OnDrawItem(this, GetItemIndex(), Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1), state);
    });
    FCanvas->SetHandle(nullptr);
    painter.restore();
    return true;
  };
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMaxVisibleItems(8);
  QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo, [this](int) {
    GuardedCall([this] {
      Click();
      if (OnSelect) OnSelect(this);
      if (OnChange) OnChange(this);
    });
  });
  auto hookEdit = [this, combo] {
    if (QLineEdit* edit = combo->lineEdit())
      QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString&) {
        GuardedCall([this] {
          if (!FChanging && OnChange) OnChange(this);
        });
      });
  };
  hookEdit();
  SetWidget(combo);
  SetBounds(0, 0, 145, 21);
  combo->setItemDelegate(new TComboDelegate(
      this, FCanvas.get(), [this]() -> TDrawItemEvent& { return OnDrawItem; }, [this] { return FItemHeight; }));
}

TComboBox::~TComboBox() = default;

TStrings& TComboBox::Items() { return *FItems; }

int TComboBox::GetItemIndex() const {
  QComboBox* c = ComboOf(this);
  if (!c) return -1;
  // Typed text that is no entry selects nothing.
  if (c->isEditable() && c->currentIndex() >= 0 && c->itemText(c->currentIndex()) != c->currentText()) return -1;
  return c->currentIndex();
}

void TComboBox::SetItemIndex(int value) {
  QComboBox* c = ComboOf(this);
  if (!c) return;
  if (value < -1 || value >= c->count()) value = -1;
  QSignalBlocker block(c);
  c->setCurrentIndex(value);
  if (value < 0 && c->isEditable()) c->setEditText(QString());
}

String TComboBox::GetText() const {
  QComboBox* c = ComboOf(this);
  return c ? FromQ(c->currentText()) : String();
}

void TComboBox::SetText(const String& value) {
  QComboBox* c = ComboOf(this);
  if (!c) return;
  QSignalBlocker block(c);
  if (c->isEditable()) {
    c->setEditText(ToQ(value));
    int i = c->findText(ToQ(value));
    if (i >= 0) c->setCurrentIndex(i);
  } else {
    c->setCurrentIndex(c->findText(ToQ(value)));
  }
}

void TComboBox::SetStyle(TComboBoxStyle value) {
  FStyle = value;
  QComboBox* c = ComboOf(this);
  if (!c) return;
  String text = GetText();
  bool editable = value == csDropDown || value == csSimple;
  c->setEditable(editable);
  if (editable) {
    c->setInsertPolicy(QComboBox::NoInsert);
    if (QLineEdit* edit = c->lineEdit())
      QObject::connect(edit, &QLineEdit::textEdited, edit, [this](const QString&) {
        GuardedCall([this] {
          if (!FChanging && OnChange) OnChange(this);
        });
      });
    SetText(text);
  }
}

bool TComboBox::GetSorted() const { return FItems->Sorted; }

void TComboBox::SetSorted(bool value) {
  if (value == FItems->Sorted) return;
  FItems->Sorted = value;
  if (!value) return;
  std::vector<std::pair<String, TObject*>> entries;
  for (int i = 0; i < FItems->Count(); ++i) entries.emplace_back(FItems->Get(i), FItems->GetObject(i));
  String text = GetText();
  FItems->Clear();
  for (auto& [s, o] : entries) FItems->AddObject(s, o);
  if (FStyle == csDropDown) SetText(text);
}

int TComboBox::GetDropDownCount() const { return ComboOf(this) ? ComboOf(this)->maxVisibleItems() : 8; }
void TComboBox::SetDropDownCount(int value) {
  if (QComboBox* c = ComboOf(this)) c->setMaxVisibleItems(std::max(1, value));
}

void TComboBox::SetItemHeight(int value) {
  FItemHeight = std::max(1, value);
  if (QComboBox* c = ComboOf(this)) c->update();
}

int TComboBox::GetMaxLength() const {
  QComboBox* c = ComboOf(this);
  return c && c->lineEdit() && c->lineEdit()->maxLength() < 32767 ? c->lineEdit()->maxLength() : 0;
}

void TComboBox::SetMaxLength(int value) {
  QComboBox* c = ComboOf(this);
  if (c && c->lineEdit()) c->lineEdit()->setMaxLength(value <= 0 ? 32767 : value);
}

bool TComboBox::GetDroppedDown() const {
  QComboBox* c = ComboOf(this);
  return c && c->view() && c->view()->isVisible();
}

void TComboBox::SetDroppedDown(bool value) {
  QComboBox* c = ComboOf(this);
  if (!c) return;
  if (value) {
    if (OnDropDown) OnDropDown(this);
    c->showPopup();
  } else {
    c->hidePopup();
    if (OnCloseUp) OnCloseUp(this);
  }
}

void TComboBox::SelectAll() {
  QComboBox* c = ComboOf(this);
  if (c && c->lineEdit()) c->lineEdit()->selectAll();
}

void TComboBox::Clear() {
  FItems->Clear();
  SetText("");
}

// ---------------------------------------------------------------------------
// List box

namespace {

QListWidget* ListOf(const TControl* c) { return static_cast<QListWidget*>(WidgetOf(c)); }

class TListItems : public TControlItems {
public:
  explicit TListItems(TListBox* list) : FList(list) {}

protected:
  int ViewCount() const override { return ListOf(FList) ? ListOf(FList)->count() : 0; }
  String ViewGet(int i) const override { return FromQ(ListOf(FList)->item(i)->text()); }
  void ViewSet(int i, const String& s) override { ListOf(FList)->item(i)->setText(ToQ(s)); }
  void ViewInsert(int i, const String& s) override {
    QSignalBlocker block(ListOf(FList));
    ListOf(FList)->insertItem(i, ToQ(s));
  }
  void ViewDelete(int i) override {
    QSignalBlocker block(ListOf(FList));
    delete ListOf(FList)->takeItem(i);
  }
  void ViewClear() override {
    QSignalBlocker block(ListOf(FList));
    ListOf(FList)->clear();
  }

private:
  TListBox* FList;
};

}  // namespace

TListBox::TListBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TListItems>(this)), FCanvas(std::make_unique<TCanvas>()) {
  auto* list = new QListWidget();
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  QObject::connect(list, &QListWidget::currentRowChanged, list, [this](int) { GuardedCall([this] { Click(); }); });
  QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                   [this](QListWidgetItem*) { GuardedCall([this] { DblClick(); }); });
  SetWidget(list);
  SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() = default;

TStrings& TListBox::Items() { return *FItems; }

int TListBox::GetItemIndex() const {
  QListWidget* l = ListOf(this);
  return l ? l->currentRow() : -1;
}

void TListBox::SetItemIndex(int value) {
  QListWidget* l = ListOf(this);
  if (!l) return;
  if (value < -1 || value >= l->count()) value = -1;
  QSignalBlocker block(l);
  if (FMultiSelect) {
    l->setCurrentRow(value, QItemSelectionModel::NoUpdate);
  } else {
    l->setCurrentRow(value);
    if (value < 0) l->clearSelection();
  }
}

void TListBox::SetMultiSelect(bool value) {
  FMultiSelect = value;
  if (QListWidget* l = ListOf(this))
    l->setSelectionMode(value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::GetSelected(int index) const {
  CheckListIndex(index, FItems->Count());
  return ListOf(this)->item(index)->isSelected();
}

void TListBox::SetSelected(int index, bool value) {
  CheckListIndex(index, FItems->Count());
  QListWidget* l = ListOf(this);
  QSignalBlocker block(l);
  if (!FMultiSelect && value) l->setCurrentRow(index);
  l->item(index)->setSelected(value);
}

int TListBox::SelCount() const {
  QListWidget* l = ListOf(this);
  if (!l) return 0;
  return FMultiSelect ? static_cast<int>(l->selectedItems().size()) : -1;
}

bool TListBox::GetSorted() const { return FItems->Sorted; }

void TListBox::SetSorted(bool value) {
  if (value == FItems->Sorted) return;
  FItems->Sorted = value;
  if (!value) return;
  std::vector<std::pair<String, TObject*>> entries;
  for (int i = 0; i < FItems->Count(); ++i) entries.emplace_back(FItems->Get(i), FItems->GetObject(i));
  FItems->Clear();
  for (auto& [s, o] : entries) FItems->AddObject(s, o);
}

int TListBox::GetTopIndex() const {
  QListWidget* l = ListOf(this);
  if (!l) return 0;
  QListWidgetItem* item = l->itemAt(0, 0);
  return item ? l->row(item) : 0;
}

void TListBox::SetTopIndex(int value) {
  QListWidget* l = ListOf(this);
  if (l && value >= 0 && value < l->count()) l->scrollToItem(l->item(value), QAbstractItemView::PositionAtTop);
}

void TListBox::SetOwnerDraw(bool value) {
  QListWidget* l = ListOf(this);
  if (!l) return;
  Style = value ? csOwnerDrawFixed : csDropDownList;
  if (value) {
    l->setItemDelegate(new TListDelegate(
        this, FCanvas.get(), [this]() -> TDrawItemEvent& { return OnDrawItem; }, [this] { return FItemHeight; }));
    l->setUniformItemSizes(true);
  } else {
    l->setItemDelegate(new QStyledItemDelegate(l));
  }
}

void TListBox::SetItemHeight(int value) {
  FItemHeight = std::max(1, value);
  if (QListWidget* l = ListOf(this)) l->doItemsLayout();
}

void TListBox::Clear() { FItems->Clear(); }

void TListBox::ClearSelection() {
  if (QListWidget* l = ListOf(this)) l->clearSelection();
}

int TListBox::ItemAtPos(TPoint pos, bool existing) const {
  QListWidget* l = ListOf(this);
  if (!l) return -1;
  QPoint vp = l->viewport()->mapFrom(l, QPoint(pos.X, pos.Y));
  if (QListWidgetItem* item = l->itemAt(vp)) return l->row(item);
  return existing ? -1 : l->count();
}

TRect TListBox::ItemRect(int index) const {
  QListWidget* l = ListOf(this);
  if (!l || index < 0 || index >= l->count()) return {};
  QRect r = l->visualItemRect(l->item(index));
  r.translate(l->viewport()->mapTo(l, QPoint(0, 0)));
  return Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
}
