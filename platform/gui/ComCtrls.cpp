#include "platform/gui/ComCtrls.h"

#include "platform/base/DateTime.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtText.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QSignalBlocker>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>
#include <qdrawutil.h>

namespace {

const QDate kEpoch(1899, 12, 30);

QDate QDateOf(TDateTime d) { return kEpoch.addDays(static_cast<qint64>(std::floor(d))); }
TDateTime DateOfQ(const QDate& d) { return static_cast<TDateTime>(kEpoch.daysTo(d)); }

}  // namespace

String QtDateFormat(const String& f) {
  String out;
  size_t i = 0;
  auto run = [&](char c) {
    size_t n = 0;
    while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
    return n;
  };
  while (i < f.size()) {
    char c = f[i];
    char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '"' || c == '\'') {
      size_t end = f.find(c, i + 1);
      if (end == String::npos) end = f.size();
      String lit = f.substr(i + 1, end - i - 1);
      out += "'";
      for (char ch : lit) out += ch == '\'' ? String("''") : String(1, ch);
      out += "'";
      i = end + 1;
    } else if (lc == 'm' || lc == 'd' || lc == 'y') {
      size_t n = run(lc);
      if (lc == 'y') n = n <= 2 ? 2 : 4;
      if (lc != 'y') n = std::min<size_t>(n, 4);
      out += String(n, lc == 'm' ? 'M' : lc);
      i += run(lc);
    } else if (lc == 'h' || lc == 'n' || lc == 's') {
      size_t n = std::min<size_t>(run(lc), 2);
      out += String(n, lc == 'n' ? 'm' : lc);
      i += run(lc);
    } else if (f.compare(i, 4, "AMPM") == 0 || f.compare(i, 4, "ampm") == 0) {
      out += "AP";
      i += 4;
    } else if (f.compare(i, 5, "am/pm") == 0 || f.compare(i, 5, "AM/PM") == 0) {
      out += f[i] == 'a' ? "ap" : "AP";
      i += 5;
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      out += "'";
      out += c;
      out += "'";
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Month calendar and date picker

TMonthCalendar::TMonthCalendar(TComponent* AOwner) : TWinControl(AOwner) {
  auto* cal = new QCalendarWidget();
  cal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  cal->setGridVisible(false);
  cal->setSelectedDate(QDateOf(Date()));  // today by the program's clock, not Qt's
  QObject::connect(cal, &QCalendarWidget::clicked, cal, [this](QDate) { GuardedCall([this] { Click(); }); });
  QObject::connect(cal, &QCalendarWidget::activated, cal, [this](QDate) { GuardedCall([this] { DblClick(); }); });
  QObject::connect(cal, &QCalendarWidget::selectionChanged, cal, [this] {
    GuardedCall([this] {
      if (OnChange) OnChange(this);
    });
  });
  SetWidget(cal);
  QSize s = cal->sizeHint();
  SetBounds(0, 0, s.width(), s.height());
}

TDateTime TMonthCalendar::GetDate() const {
  auto* cal = static_cast<QCalendarWidget*>(Widget());
  return cal ? DateOfQ(cal->selectedDate()) : 0;
}

void TMonthCalendar::SetDate(TDateTime value) {
  if (auto* cal = static_cast<QCalendarWidget*>(Widget())) cal->setSelectedDate(QDateOf(value));
}

TSize TMonthCalendar::NaturalSize() const {
  auto* cal = static_cast<QCalendarWidget*>(Widget());
  QSize s = cal ? cal->sizeHint() : QSize();
  return {s.width(), s.height()};
}

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner) {
  auto* edit = new QDateTimeEdit();
  edit->setCalendarPopup(true);
  edit->setDateRange(QDate(1752, 9, 14), QDate(9999, 12, 31));
  edit->setDateTime(QDateTime(QDateOf(Date()), QTime(0, 0)));
  QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit, [this](const QDateTime&) {
    GuardedCall([this] {
      ShowDates();
      if (OnChange) OnChange(this);
    });
  });
  SetWidget(edit);
  SetBounds(0, 0, 186, 21);
  ApplyFormat();
}

TDateTime TDateTimePicker::GetDate() const {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  return e ? DateOfQ(e->date()) : 0;
}

void TDateTimePicker::SetDate(TDateTime value) {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  if (!e) return;
  if (FBlank) {
    // From the blank's stand-in date, even the same date is a change.
    ShowDates();
    QSignalBlocker quiet(e);
    e->setDate(e->maximumDate());
  }
  e->setDate(QDateOf(value));
}

void TDateTimePicker::SetBlank() {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  if (!e || FBlank) return;
  QSignalBlocker quiet(e);
  FBlank = true;
  // The special text shows in place of the lowest date: a blank.
  e->setSpecialValueText(QStringLiteral(" "));
  e->setDate(e->minimumDate());
}

void TDateTimePicker::ShowDates() {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  if (!FBlank || !e) return;
  FBlank = false;
  e->setSpecialValueText(QString());
}

TDateTime TDateTimePicker::GetDateTime() const {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  if (!e) return 0;
  QTime t = e->time();
  return DateOfQ(e->date()) + EncodeTime(static_cast<Word>(t.hour()), static_cast<Word>(t.minute()),
                                         static_cast<Word>(t.second()), 0);
}

void TDateTimePicker::SetDateTime(TDateTime value) {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  if (!e) return;
  Word h, m, s, ms;
  DecodeTime(value, h, m, s, ms);
  e->setDateTime(QDateTime(QDateOf(value), QTime(h, m, s)));
}

void TDateTimePicker::SetDateFormat(TDTDateFormat value) {
  FDateFormat = value;
  ApplyFormat();
}

void TDateTimePicker::SetKind(TDateTimeKind value) {
  FKind = value;
  ApplyFormat();
}

void TDateTimePicker::ApplyFormat() {
  auto* e = static_cast<QDateTimeEdit*>(Widget());
  if (!e) return;
  const String& f = FKind == dtkTime              ? FormatSettings.LongTimeFormat
                    : FDateFormat == dfLong ? FormatSettings.LongDateFormat
                                            : FormatSettings.ShortDateFormat;
  e->setDisplayFormat(ToQ(QtDateFormat(f)));
  e->setCalendarPopup(FKind == dtkDate);
}

// ---------------------------------------------------------------------------
// Status bar

TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(Collection) {}

void TStatusPanel::SetText(const String& value) {
  if (value == FText) return;
  FText = value;
  Changed(false);
}
void TStatusPanel::SetWidth(int value) {
  FWidth = std::max(0, value);
  Changed(true);
}
void TStatusPanel::SetAlignment(TAlignment value) {
  FAlignment = value;
  Changed(false);
}
void TStatusPanel::SetBevel(TStatusPanelBevel value) {
  FBevel = value;
  Changed(false);
}

TStatusPanels::TStatusPanels(TStatusBar* owner) : TCollection(TCollection::Factory<TStatusPanel>(), nullptr), FBar(owner) {}

void TStatusPanels::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (FBar) FBar->Invalidate();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this)) {
  TabStop = false;
  Widget()->setFocusPolicy(Qt::NoFocus);
  FColor = clBtnFace;
  // Tall enough for the font: panels show their text whole.
  SetBounds(0, 0, 200, std::max(19, Widget()->fontMetrics().height() + 6));
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool value) {
  FSimplePanel = value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const String& value) {
  FSimpleText = value;
  if (FSimplePanel) Invalidate();
}

TRect TStatusBar::PanelRect(int index) const {
  int x = 0;
  int h = ClientHeight();
  for (int i = 0; i < FPanels->Count(); ++i) {
    int w = (*FPanels)[i]->GetWidth();
    // The last panel reaches the right edge.
    if (i == FPanels->Count() - 1) w = std::max(w, ClientWidth() - x);
    if (i == index) return Rect(x, 2, x + w - 2, h);
    x += w;
  }
  return {};
}

int TStatusBar::PanelWidthFor(const String& text) const {
  const QWidget* w = Widget();
  const int advance = w ? w->fontMetrics().horizontalAdvance(ToQ(text)) : 0;
  // The gap to the next panel, the bevel's lines, the text margins and a
  // little air on each side.
  return advance + 2 + 2 * 1 + 2 * 2 + 2 * 2;
}

void TStatusBar::Paint() {
  QPainter* p = Canvas()->Handle();
  QWidget* w = Widget();
  if (!p || !w) return;
  p->fillRect(w->rect(), QColorOf(FColor == clDefault ? clBtnFace : FColor));
  p->setFont(w->font());
  p->setPen(w->palette().color(QPalette::WindowText));
  auto text = [&](const QRect& r, const String& s, TAlignment a) {
    int flags = Qt::AlignVCenter | (a == taCenter ? Qt::AlignHCenter : a == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
    p->drawText(r.adjusted(2, 0, -2, 0), flags, ToQ(s));
  };
  if (FSimplePanel) {
    text(w->rect().adjusted(0, 2, 0, 0), FSimpleText, taLeftJustify);
    return;
  }
  for (int i = 0; i < FPanels->Count(); ++i) {
    TStatusPanel* panel = (*FPanels)[i];
    TRect tr = PanelRect(i);
    QRect r(tr.Left, tr.Top, tr.Width(), tr.Height());
    if (panel->GetBevel() != pbNone) qDrawShadePanel(p, r, w->palette(), panel->GetBevel() == pbLowered, 1);
    if (panel->Style == psOwnerDraw && OnDrawPanel) {
      Canvas()->Brush.Color = clBtnFace;
      OnDrawPanel(this, panel, tr);
    } else {
      text(r, panel->GetText(), panel->GetAlignment());
    }
  }
  if (OnPaint) OnPaint(this);
}

// ---------------------------------------------------------------------------
// Tool bar

namespace {
QToolButton* ToolButtonOf(const TControl* c) { return static_cast<QToolButton*>(WidgetOf(c)); }
QToolBar* ToolBarOf(const TControl* c) { return c ? static_cast<QToolBar*>(WidgetOf(c)) : nullptr; }

// The toolkit shows a widget in a tool bar through the action it got for it.
std::map<const TControl*, QAction*>& BarActions() {
  static std::map<const TControl*, QAction*> actions;
  return actions;
}
}  // namespace

TToolButton::TToolButton(TComponent* AOwner) : TControl(AOwner) {
  auto* b = new QToolButton();
  b->setAutoRaise(true);
  b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  QObject::connect(b, &QToolButton::clicked, b, [this](bool) { GuardedCall([this] { Click(); }); });
  SetWidget(b);
  FClickOnMouseUp = false;
  SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() {
  SetAction(nullptr);
  BarActions().erase(this);
}

void TToolButton::SetText(const String& value) {
  FText = value;
  if (QToolButton* b = ToolButtonOf(this)) b->setText(ToQ(StripHotkey(value)));
  UpdateImage();
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  FStyle = value;
  QToolButton* b = ToolButtonOf(this);
  if (!b) return;
  bool separator = value == tbsSeparator || value == tbsDivider;
  b->setCheckable(value == tbsCheck);
  b->setEnabled(!separator && FEnabled);
  if (separator) {
    b->setText(QString());
    b->setFixedWidth(8);
  }
  if (value == tbsDropDown) b->setPopupMode(QToolButton::MenuButtonPopup);
}

void TToolButton::SetImageIndex(int value) {
  FImageIndex = value;
  UpdateImage();
}

void TToolButton::UpdateImage() {
  QToolButton* b = ToolButtonOf(this);
  if (!b) return;
  auto* bar = dynamic_cast<TToolBar*>(GetParent());
  TCustomImageList* images = bar ? bar->GetImages() : nullptr;
  bool hasImage = images && FImageIndex >= 0 && FImageIndex < images->Count();
  b->setIcon(hasImage ? QIcon(QPixmap::fromImage(images->Image(FImageIndex))) : QIcon());
  if (!hasImage)
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
  else
    b->setToolButtonStyle(bar && bar->GetShowCaptions() ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

bool TToolButton::GetDown() const {
  QToolButton* b = ToolButtonOf(this);
  return b && (b->isChecked() || b->isDown());
}

void TToolButton::SetDown(bool value) {
  QToolButton* b = ToolButtonOf(this);
  if (!b) return;
  if (!b->isCheckable()) b->setCheckable(true);
  b->setChecked(value);
}

void TToolButton::SetEnabled(bool value) {
  FEnabled = value;
  if (QToolButton* b = ToolButtonOf(this)) b->setEnabled(value && FStyle != tbsSeparator && FStyle != tbsDivider);
}

void TToolButton::SetAction(TBasicAction* action) {
  if (action == FAction) return;
  TBasicAction::LinkClient(this, FAction, action, [this] { ActionChanged(); });
}

void TToolButton::ActionChanged() {
  auto* a = dynamic_cast<TCustomAction*>(FAction);
  if (!a) return;
  SetText(a->GetCaption());
  SetHint(a->GetHint());
  SetEnabled(a->GetEnabled());
  SetVisible(a->GetVisible());
  if (a->ImageIndex >= 0) SetImageIndex(a->ImageIndex);
  // A button shown down comes up again when its action is unchecked.
  if (FStyle == tbsCheck || a->GetChecked() || GetDown() || a->AutoCheck || a->GroupIndex > 0)
    SetDown(a->GetChecked());
}

void TToolButton::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAction) FAction = nullptr;
}

void TToolButton::Click() {
  if (FAction) {
    FAction->ActionComponent = this;
    FAction->Execute();
    FAction->ActionComponent = nullptr;
    ActionChanged();  // the toolkit may have flipped the check state
    return;
  }
  if (Grouped && FStyle == tbsCheck && GetDown())
    if (auto* bar = dynamic_cast<TToolBar*>(GetParent()))
      for (int i = 0; i < bar->ButtonCount(); ++i) {
        TToolButton* other = bar->Buttons(i);
        if (other != this && other->Grouped && other->FStyle == tbsCheck) other->SetDown(false);
      }
  TControl::Click();
}

namespace {

// Off its own kind of main window the toolkit's tool bar lists what does
// not fit in a menu of its overflow button, but it leaves out every widget
// (our buttons are widgets) and so disables the button. This keeps the
// button enabled and has it show the bar's own menu of the hidden buttons.
class TOverflowButtonFilter : public QObject {
public:
  TOverflowButtonFilter(TToolBar* bar, QObject* parent) : QObject(parent), FBar(bar) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* more = static_cast<QToolButton*>(watched);
    switch (event->type()) {
      case QEvent::EnabledChange:
        // Disabled by the layout itself, not with the whole bar.
        if (more->testAttribute(Qt::WA_ForceDisabled) && more->parentWidget() &&
            more->parentWidget()->isEnabled())
          more->setEnabled(true);
        return false;
      case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        GuardedCall([this] { FBar->ShowOverflowMenu(); });
        return true;
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
      default: return false;
    }
  }

private:
  TToolBar* FBar;
};

}  // namespace

TToolBar::TToolBar(TComponent* AOwner) : TWinControl(AOwner) {
  auto* bar = new QToolBar();
  bar->setMovable(false);
  bar->setFloatable(false);
  SetWidget(bar);
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
  if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button"))
    more->installEventFilter(new TOverflowButtonFilter(this, more));
}

std::vector<TToolButton*> TToolBar::HiddenButtons() const {
  std::vector<TToolButton*> hidden;
  for (int i = 0; i < ControlCount(); ++i) {
    auto* b = dynamic_cast<TToolButton*>(Controls(i));
    if (!b || b->GetStyle() == tbsSeparator || b->GetStyle() == tbsDivider || !b->GetVisible()) continue;
    // The bar's layout hides what does not fit; a button hidden on purpose
    // is not visible above.
    if (QWidget* w = WidgetOf(b); w && w->isHidden()) hidden.push_back(b);
  }
  return hidden;
}

void TToolBar::ShowOverflowMenu() {
  QToolBar* bar = ToolBarOf(this);
  if (!bar) return;
  auto* menu = bar->findChild<QMenu*>("qy_toolbar_overflow", Qt::FindDirectChildrenOnly);
  if (!menu) {
    menu = new QMenu(bar);
    menu->setObjectName("qy_toolbar_overflow");
  }
  menu->clear();
  for (TToolButton* b : HiddenButtons()) {
    QAction* item = menu->addAction(ToQ(b->GetText()));
    item->setEnabled(b->GetEnabled());
    QObject::connect(item, &QAction::triggered, menu, [b] { GuardedCall([b] { b->Click(); }); });
  }
  if (menu->isEmpty()) return;
  QWidget* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button");
  menu->popup(more ? more->mapToGlobal(QPoint(0, more->height())) : bar->mapToGlobal(QPoint(0, bar->height())));
}

void TToolBar::ChildInserted(TControl* Control) {
  QToolBar* bar = ToolBarOf(this);
  if (!bar || !WidgetOf(Control)) return;
  // A box placed in the bar keeps the width it was given.
  if (!dynamic_cast<TToolButton*>(Control) && Control->GetWidth() > 0)
    WidgetOf(Control)->setMinimumWidth(Control->GetWidth());
  QAction* a = bar->addWidget(WidgetOf(Control));
  a->setVisible(Control->GetVisible());
  BarActions()[Control] = a;
  if (auto* b = dynamic_cast<TToolButton*>(Control)) b->UpdateImage();
}

void TToolBar::ChildRemoved(TControl* Control) {
  auto it = BarActions().find(Control);
  if (it == BarActions().end()) return;
  if (QToolBar* bar = ToolBarOf(this)) bar->removeAction(it->second);
  BarActions().erase(it);
}

void TToolBar::ChildVisibleChanged(TControl* Control) {
  auto it = BarActions().find(Control);
  if (it != BarActions().end()) it->second->setVisible(Control->GetVisible());
}

void TToolBar::SetImages(TCustomImageList* images) {
  FImages = images;
  if (auto* bar = ToolBarOf(this); bar && images) bar->setIconSize(QSize(images->GetWidth(), images->GetHeight()));
  for (int i = 0; i < ButtonCount(); ++i) Buttons(i)->UpdateImage();
}

void TToolBar::SetShowCaptions(bool value) {
  FShowCaptions = value;
  for (int i = 0; i < ButtonCount(); ++i) Buttons(i)->UpdateImage();
}

int TToolBar::ButtonCount() const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i) n += dynamic_cast<TToolButton*>(Controls(i)) != nullptr;
  return n;
}

TToolButton* TToolBar::Buttons(int index) const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TToolButton*>(Controls(i)))
      if (n++ == index) return b;
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

// ---------------------------------------------------------------------------
// Page control

namespace {
QTabWidget* TabsOf(const TControl* c) { return c ? static_cast<QTabWidget*>(WidgetOf(c)) : nullptr; }
}  // namespace

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetWidget(new QWidget());
  TabStop = false;
}

void TTabSheet::SetText(const String& value) {
  FText = value;
  TPageControl* pc = GetPageControl();
  if (QTabWidget* tabs = TabsOf(pc)) {
    int i = tabs->indexOf(Widget());
    if (i >= 0) tabs->setTabText(i, ToQ(value));
  }
}

TPageControl* TTabSheet::GetPageControl() const { return dynamic_cast<TPageControl*>(GetParent()); }

void TTabSheet::SetPageControl(TPageControl* control) { SetParent(control); }

void TTabSheet::SetTabVisible(bool value) {
  FTabVisible = value;
  if (QTabWidget* tabs = TabsOf(GetPageControl())) {
    int i = tabs->indexOf(Widget());
    if (i >= 0) tabs->setTabVisible(i, value);
  }
}

int TTabSheet::PageIndex() const {
  TPageControl* pc = GetPageControl();
  if (!pc) return -1;
  auto it = std::find(pc->FPages.begin(), pc->FPages.end(), this);
  return it == pc->FPages.end() ? -1 : static_cast<int>(it - pc->FPages.begin());
}

int TPageControl::TabsWidth() const {
  // Each visible tab as wide as the style makes it for its whole caption
  // (the bar's own hints follow the elided captions it shows).
  QTabWidget* tabs = TabsOf(this);
  if (!tabs) return 0;
  QTabBar* bar = tabs->tabBar();
  const QFontMetrics metrics(bar->font());
  const int space = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
  int width = 0;
  for (int i = 0; i < bar->count(); ++i) {
    if (!bar->isTabVisible(i)) continue;
    QStyleOptionTab option;
    option.initFrom(bar);
    option.shape = bar->shape();
    option.text = bar->tabText(i);
    const QSize contents(metrics.horizontalAdvance(QString(option.text).remove('&')) + space,
                         metrics.height() + bar->style()->pixelMetric(QStyle::PM_TabBarTabVSpace, nullptr, bar));
    width += bar->style()->sizeFromContents(QStyle::CT_TabBarTab, &option, contents, bar).width();
  }
  return width;
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  auto* tabs = new QTabWidget();
  QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this, tabs](int index) {
    GuardedCall([&] {
      TTabSheet* old = FLastIndex >= 0 && FLastIndex < PageCount() ? FPages[static_cast<size_t>(FLastIndex)] : nullptr;
      TTabSheet* now = GetActivePage();
      if (!FSwitching && OnChanging && old) {
        bool allow = true;
        OnChanging(this, allow);
        if (!allow) {
          FSwitching = true;
          tabs->setCurrentWidget(WidgetOf(old));
          FSwitching = false;
          return;
        }
      }
      FLastIndex = now ? now->PageIndex() : -1;
      (void)index;
      if (old && old != now && old->OnHide) old->OnHide(old);
      if (now && now != old && now->OnShow) now->OnShow(now);
      if (!FSwitching && OnChange) OnChange(this);
    });
  });
  SetWidget(tabs);
  SetBounds(0, 0, 289, 193);
}

QWidget* TPageControl::ClientWidget() const { return Widget(); }

void TPageControl::ChildInserted(TControl* Control) {
  auto* sheet = dynamic_cast<TTabSheet*>(Control);
  QTabWidget* tabs = TabsOf(this);
  if (!sheet || !tabs) return;
  FPages.push_back(sheet);
  FSwitching = true;
  int i = tabs->addTab(WidgetOf(sheet), ToQ(sheet->GetText()));
  tabs->setTabVisible(i, sheet->GetTabVisible());
  FSwitching = false;
  if (FLastIndex < 0) FLastIndex = GetActivePageIndex();
}

void TPageControl::ChildRemoved(TControl* Control) {
  auto* sheet = dynamic_cast<TTabSheet*>(Control);
  if (!sheet) return;
  FPages.erase(std::remove(FPages.begin(), FPages.end(), sheet), FPages.end());
  if (QTabWidget* tabs = TabsOf(this); tabs && WidgetOf(sheet)) {
    FSwitching = true;
    tabs->removeTab(tabs->indexOf(WidgetOf(sheet)));
    FSwitching = false;
  }
  FLastIndex = GetActivePageIndex();
}

int TPageControl::PageCount() const { return static_cast<int>(FPages.size()); }

TTabSheet* TPageControl::Pages(int index) const {
  if (index < 0 || index >= PageCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FPages[static_cast<size_t>(index)];
}

TTabSheet* TPageControl::GetActivePage() const {
  QTabWidget* tabs = TabsOf(this);
  if (!tabs) return nullptr;
  for (TTabSheet* s : FPages)
    if (WidgetOf(s) == tabs->currentWidget()) return s;
  return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  QTabWidget* tabs = TabsOf(this);
  if (!tabs || !page || page->GetPageControl() != this) return;
  FSwitching = true;
  tabs->setCurrentWidget(WidgetOf(page));
  FSwitching = false;
}

int TPageControl::GetActivePageIndex() const {
  TTabSheet* s = GetActivePage();
  return s ? s->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int value) {
  if (value >= 0 && value < PageCount()) SetActivePage(FPages[static_cast<size_t>(value)]);
}

void TPageControl::SelectNextPage(bool goForward) {
  int n = PageCount();
  if (n == 0) return;
  int i = GetActivePageIndex();
  for (int step = 0; step < n; ++step) {
    i = (i + (goForward ? 1 : n - 1)) % n;
    if (FPages[static_cast<size_t>(i)]->GetTabVisible()) {
      SetActivePageIndex(i);
      if (OnChange) OnChange(this);
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// Up-down

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
  auto* box = new QWidget();
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (TUDBtnType type : {btNext, btPrev}) {
    auto* b = new QToolButton(box);
    b->setArrowType(type == btNext ? Qt::UpArrow : Qt::DownArrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    QObject::connect(b, &QToolButton::clicked, b, [this, type] { GuardedCall([&] { Press(type); }); });
    layout->addWidget(b);
  }
  TabStop = false;
  SetWidget(box);
  SetBounds(0, 0, 15, 21);
}

void TUpDown::SetMin(int value) {
  FMin = value;
  SetPosition(FPosition);
}

void TUpDown::SetMax(int value) {
  FMax = value;
  SetPosition(FPosition);
}

void TUpDown::SetPosition(int value) {
  FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
  UpdateAssociate();
}

void TUpDown::Press(TUDBtnType button) {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return;
  // The user may have typed into the edit since; a press steps from that.
  if (FAssociate) {
    String typed;
    for (char ch : FAssociate->GetText())
      if (ch != FormatSettings.ThousandSeparator) typed += ch;
    Integer value;
    if (TryStrToInt(Trim(typed), value)) FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
  }
  int lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
  int step = button == btNext ? Increment : -Increment;
  if (FMin > FMax) step = -step;
  long next = static_cast<long>(FPosition) + step;
  if (next > hi) next = Wrap ? lo : hi;
  if (next < lo) next = Wrap ? hi : lo;
  SetPosition(static_cast<int>(next));
  if (OnClick) OnClick(this, button);
}

void TUpDown::SetAssociate(TWinControl* control) {
  if (FAssociate) FAssociate->RemoveFreeNotification(this);
  FAssociate = control;
  if (!control) return;
  control->FreeNotification(this);
  if (control->GetParent() && control->GetParent() != GetParent()) SetParent(control->GetParent());
  int w = GetWidth();
  // The buttons take the edit's right edge, as the design lays them out.
  if (AlignButton == udRight) {
    control->SetWidth(std::max(0, control->GetWidth() - w));
    SetBounds(control->GetLeft() + control->GetWidth(), control->GetTop(), w, control->GetHeight());
  } else {
    SetBounds(control->GetLeft(), control->GetTop(), w, control->GetHeight());
    control->SetBounds(control->GetLeft() + w, control->GetTop(), std::max(0, control->GetWidth() - w),
                       control->GetHeight());
  }
  UpdateAssociate();
}

void TUpDown::UpdateAssociate() {
  if (!FAssociate) return;
  String text = std::to_string(FPosition);
  if (Thousands) {
    bool neg = FPosition < 0;
    String digits = neg ? text.substr(1) : text;
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
      digits.insert(static_cast<size_t>(i), 1, FormatSettings.ThousandSeparator);
    text = (neg ? "-" : "") + digits;
  }
  FAssociate->SetText(text);
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAssociate) FAssociate = nullptr;
}

// ---------------------------------------------------------------------------
// Progress bar

namespace {
QProgressBar* BarOf(const TControl* c) { return static_cast<QProgressBar*>(WidgetOf(c)); }
}  // namespace

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  auto* bar = new QProgressBar();
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  TabStop = false;
  SetWidget(bar);
  SetBounds(0, 0, 150, 17);
}

int TProgressBar::GetMin() const { return BarOf(this) ? BarOf(this)->minimum() : 0; }
void TProgressBar::SetMin(int value) {
  if (QProgressBar* b = BarOf(this)) b->setMinimum(value);
}
int TProgressBar::GetMax() const { return BarOf(this) ? BarOf(this)->maximum() : 0; }
void TProgressBar::SetMax(int value) {
  if (QProgressBar* b = BarOf(this)) b->setMaximum(value);
}
int TProgressBar::GetPosition() const { return BarOf(this) ? BarOf(this)->value() : 0; }
void TProgressBar::SetPosition(int value) {
  if (QProgressBar* b = BarOf(this)) b->setValue(std::clamp(value, b->minimum(), b->maximum()));
}

void TProgressBar::SetOrientation(TProgressBarOrientation value) {
  FOrientation = value;
  if (QProgressBar* b = BarOf(this)) b->setOrientation(value == pbVertical ? Qt::Vertical : Qt::Horizontal);
}

void TProgressBar::StepIt() {
  // Past the maximum it starts again from the minimum.
  int next = GetPosition() + Step;
  SetPosition(next > GetMax() ? GetMin() + (next - GetMax()) : next);
}

void TProgressBar::StepBy(int delta) { SetPosition(GetPosition() + delta); }
