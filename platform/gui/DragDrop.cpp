#include "platform/gui/DragDrop.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/LazyMimeDataPrivate.h"
#include "platform/gui/QtText.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QWidget>

#include <map>

namespace {

// What a drag carries for its lifetime: it asks the source's data while the
// source lives, so lazy formats stay lazy until a target reads them.
class TForwardingMimeData : public QMimeData {
public:
  explicit TForwardingMimeData(const QMimeData* source) : FSource(source) {}
  QStringList formats() const override { return FSource ? FSource->formats() : QStringList(); }
  bool hasFormat(const QString& mime) const override { return FSource && FSource->hasFormat(mime); }

protected:
  QVariant retrieveData(const QString& mime, QMetaType type) const override {
    if (!FSource) return QVariant();
    if (mime == QLatin1String("application/x-qt-image")) return FSource->imageData();
    if (type.id() == QMetaType::QString && mime.startsWith(QLatin1String("text/plain"))) return FSource->text();
    return FSource->data(mime);
  }

private:
  QPointer<const QMimeData> FSource;
};
}  // namespace

String TDragData::GetAsText() const { return FData && FData->hasText() ? FromQ(FData->text()) : String(); }

WideString TDragData::GetAsUnicodeText() const {
  return FData && FData->hasText() ? FData->text().toStdU16String() : WideString();
}

std::vector<String> TDragData::GetFileNames() const {
  std::vector<String> files;
  if (!FData) return files;
  for (const QUrl& u : FData->urls())
    if (u.isLocalFile()) files.push_back(FromQ(u.toLocalFile()));
  return files;
}

std::vector<String> TDragData::GetUrls() const {
  std::vector<String> urls;
  if (!FData) return urls;
  for (const QUrl& u : FData->urls())
    if (!u.isLocalFile() && u.isValid()) urls.push_back(FromQ(u.toString()));
  return urls;
}

namespace {
QImage DecodedImage(const QMimeData* data) {
  if (!data) return QImage();
  if (data->hasImage()) {
    QImage image = qvariant_cast<QImage>(data->imageData());
    if (!image.isNull()) return image;
  }
  for (const QString& mime : data->formats()) {
    if (!mime.startsWith(QLatin1String("image/"))) continue;
    QImage image;
    if (image.loadFromData(data->data(mime))) return image;
  }
  return QImage();
}
}  // namespace

bool TDragData::HasPicture() const {
  if (!FData) return false;
  if (FData->hasImage()) return true;
  for (const QString& mime : FData->formats())
    if (mime.startsWith(QLatin1String("image/"))) return true;
  return false;
}

bool TDragData::GetBitmap(TBitmap& bitmap) const {
  QImage image = DecodedImage(FData);
  if (image.isNull()) return false;
  bitmap.SetImage(image);
  return true;
}

bool TDragData::HasHtml() const { return FData && FData->hasHtml(); }

String TDragData::GetHtmlAsText() const {
  if (!HasHtml()) return String();
  return FromQ(QTextDocumentFragment::fromHtml(FData->html()).toPlainText());
}

std::vector<THtmlRun> TDragData::GetHtmlRuns() const {
  std::vector<THtmlRun> runs;
  if (!HasHtml()) return runs;
  QTextDocument doc;
  doc.setHtml(FData->html());
  auto add = [&](const QString& text, const QString& link) {
    if (text.isEmpty()) return;
    const String address = FromQ(link);
    if (!runs.empty() && runs.back().Link == address) runs.back().Text += FromQ(text);
    else runs.push_back({FromQ(text), address});
  };
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    if (block != doc.begin()) add(QStringLiteral("\n"), QString());
    std::vector<std::pair<QString, QString>> pieces;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      // Pictures are not text.
      pieces.emplace_back(it.fragment().text().remove(QChar(0xFFFC)),
                          format.isAnchor() ? format.anchorHref() : QString());
    }
    // Blanks of the markup around a paragraph are none of its text (a hard
    // blank there is a no-break space until here).
    for (auto it = pieces.begin(); it != pieces.end() && (it->first.isEmpty() || it->first.front() == u' ');) {
      it->first.remove(0, 1);
      if (it->first.isEmpty()) ++it;
    }
    for (auto it = pieces.rbegin(); it != pieces.rend() && (it->first.isEmpty() || it->first.back() == u' ');) {
      it->first.chop(1);
      if (it->first.isEmpty()) ++it;
    }
    // As the plain text has them: line breaks end lines, no-break spaces
    // are blanks.
    for (auto& [text, link] : pieces) add(text.replace(QChar(0x2028), u'\n').replace(QChar(0x00A0), u' '), link);
  }
  return runs;
}

bool TDragData::HasMimeType(const String& mimeType) const { return FData && FData->hasFormat(ToQ(mimeType)); }

AnsiString TDragData::GetMimeData(const String& mimeType) const {
  if (!HasMimeType(mimeType)) return AnsiString();
  const QByteArray bytes = FData->data(ToQ(mimeType));
  return AnsiString(bytes.constData(), static_cast<size_t>(bytes.size()));
}

TDragData ClipboardDragData() { return TDragData(Clipboard().Contents()); }

int ChooseDropEffect(TShiftState Shift, int Allowed, bool FromSameControl) {
  if (!Shift.Contains(ssCtrl) && (Allowed & DROPEFFECT_MOVE) && FromSameControl) return DROPEFFECT_MOVE;
  if (Allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
  // Taking a copy of what a source only lets go of by moving: the source
  // must keep its data.
  return DROPEFFECT_LINK;
}

namespace {

// The drag our own controls run: a drop that carries its data comes from
// that control, also where the toolkit cannot name the source.
struct TActiveDrag {
  QPointer<QWidget> Source;
  const QMimeData* Data = nullptr;
  const QMimeData* Carried = nullptr;
} gActiveDrag;

QWidget* SourceOf(const QDropEvent* de) {
  if (auto* w = qobject_cast<QWidget*>(de->source())) return w;
  const QMimeData* m = de->mimeData();
  if (m && (m == gActiveDrag.Data || m == gActiveDrag.Carried)) return gActiveDrag.Source;
  return nullptr;
}

int EffectsOf(Qt::DropActions actions) {
  int e = 0;
  if (actions & Qt::CopyAction) e |= DROPEFFECT_COPY;
  if (actions & Qt::MoveAction) e |= DROPEFFECT_MOVE;
  if (actions & Qt::LinkAction) e |= DROPEFFECT_LINK;
  return e;
}

Qt::DropAction ActionOf(int effect) {
  if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
  if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
  if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

Qt::DropActions ActionsOf(int effects) {
  Qt::DropActions a;
  if (effects & DROPEFFECT_COPY) a |= Qt::CopyAction;
  if (effects & DROPEFFECT_MOVE) a |= Qt::MoveAction;
  if (effects & DROPEFFECT_LINK) a |= Qt::LinkAction;
  return a;
}

class TDropFilter : public QObject {
public:
  TDropFilter(TControl* control, TDropTarget* target, QWidget* widget) : QObject(widget), FControl(control), FTarget(target) {
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
  }

  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop: {
        auto* de = static_cast<QDropEvent*>(e);
        QWidget* src = SourceOf(de);
        TControl* source = src ? TControl::FromWidget(src) : nullptr;
        TDragData data(de->mimeData(), source && source == FControl, source);
        TShiftState shift = ShiftFromQt(de->modifiers(), de->buttons());
        const TPoint o = ClientOriginOf(FControl);
        const QPoint p = de->position().toPoint() - QPoint(o.X, o.Y);
        int allowed = EffectsOf(de->possibleActions());
        int effect = DROPEFFECT_NONE;
        // As a handler of the control: a drop that closes it (a cell editor
        // the drop leaves) retires it till the drop is over.
        RunControlHandler(FControl, [&] {
          if (e->type() == QEvent::DragEnter)
            effect = FTarget->DragEnter(data, shift, {p.x(), p.y()}, allowed);
          else if (e->type() == QEvent::DragMove)
            effect = FTarget->DragOver(data, shift, {p.x(), p.y()}, allowed);
          else
            effect = FTarget->Drop(data, shift, {p.x(), p.y()}, allowed);
        });
        if (effect == DROPEFFECT_NONE) {
          de->ignore();
        } else if (effect & allowed) {
          de->setDropAction(ActionOf(effect & allowed));
          de->accept();
        } else {
          // An effect the source does not offer (a link to a source that
          // only moves): the toolkit cannot name it. The drag goes on with
          // the source's own action so that the drop arrives; the drop is
          // taken with no action, so the source keeps its data.
          if (e->type() == QEvent::Drop) de->setDropAction(Qt::IgnoreAction);
          de->accept();
        }
        return true;
      }
      case QEvent::DragLeave:
        RunControlHandler(FControl, [&] { FTarget->DragLeave(); });
        return true;
      default: return false;
    }
  }

private:
  TControl* FControl;
  TDropTarget* FTarget;
};

const char* const kDropFilterName = "qy_drop_filter";

int RunDrag(TInteraction& r) {
  if (!r.Drag || !r.DragSource) return DROPEFFECT_NONE;
  // The drag owns what it carries: a stand-in that asks ours on demand.
  auto* drag = new QDrag(r.DragSource);
  auto* carried = new TForwardingMimeData(r.Drag);
  drag->setMimeData(carried);
  gActiveDrag.Carried = carried;
  Qt::DropAction result = drag->exec(ActionsOf(r.Buttons), Qt::CopyAction);
  switch (result) {
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
  }
}

struct TRegisterDragRunner {
  TRegisterDragRunner() { RegisterInteractionRunner(TInteractionKind::DragDrop, &RunDrag); }
} gRegisterDragRunner;

}  // namespace

void RegisterDropTarget(TControl* control, TDropTarget* target) {
  QWidget* w = control ? WidgetOf(control) : nullptr;
  if (!w) return;
  for (QObject* child : w->children())
    if (child->objectName() == kDropFilterName) delete child;
  if (!target) {
    w->setAcceptDrops(false);
    return;
  }
  auto* filter = new TDropFilter(control, target, w);
  filter->setObjectName(kDropFilterName);
}

TDragSource::TDragSource() : FData(std::make_unique<TLazyMimeData>()) {}
TDragSource::~TDragSource() = default;

void TDragSource::SetData(Word format, const AnsiString& bytes) {
  static_cast<TLazyMimeData*>(FData.get())->Forget(format);
  clipformat::Set(FData.get(), format, bytes);
}

void TDragSource::SetLazyData(Word format, std::function<AnsiString()> render) {
  static_cast<TLazyMimeData*>(FData.get())->SetLazy(format, std::move(render));
}

void TDragSource::PreRenderFormat(Word format) { static_cast<TLazyMimeData*>(FData.get())->Render(format); }
void TDragSource::SetAsText(const String& text) {
  static_cast<TLazyMimeData*>(FData.get())->Forget(CF_TEXT);
  FData->setText(ToQ(text));
}
void TDragSource::SetBitmap(const TBitmap& bitmap) { FData->setImageData(bitmap.ToImage()); }
void TDragSource::SetPicture(const TGraphic& graphic) { FData->setImageData(graphic.ToImage()); }

void TDragSource::SetFileNames(const std::vector<String>& files) {
  QList<QUrl> urls;
  for (const String& f : files) urls << QUrl::fromLocalFile(ToQ(f));
  FData->setUrls(urls);
}

int TDragSource::Execute(TControl* source, int allowedEffects) {
  TInteraction r;
  r.Kind = TInteractionKind::DragDrop;
  r.Buttons = allowedEffects;
  r.DragSource = source ? WidgetOf(source) : nullptr;
  r.Drag = FData.get();
  gActiveDrag = TActiveDrag{r.DragSource, FData.get(), nullptr};
  struct TEnd {
    ~TEnd() { gActiveDrag = TActiveDrag(); }
  } end;
  return RunInteraction(r) & allowedEffects;
}
