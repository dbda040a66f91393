#pragma once
// Drag and drop between controls and programs. A drag source offers data in
// clipboard formats (Clipbrd.h) with the effects it allows and learns the
// effect the drop chose; a drop target answers enter/over with the effect it
// would take and receives the drop.
#include "platform/base/Types.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Controls.h"

#include <functional>
#include <memory>
#include <vector>

class QMimeData;

constexpr int DROPEFFECT_NONE = 0;
constexpr int DROPEFFECT_COPY = 1;
constexpr int DROPEFFECT_MOVE = 2;
constexpr int DROPEFFECT_LINK = 4;

// A piece of the text of HTML: its text ("\n" between paragraphs) and the
// address of the link it lies in (empty outside links).
struct THtmlRun {
  String Text;
  String Link;
};

// The data of a drag as a target reads it.
class TDragData {
public:
  explicit TDragData(const QMimeData* data, bool fromSameControl = false, TControl* source = nullptr)
      : FromSameControl(fromSameControl), Source(source), FData(data) {}
  bool HasFormat(Word format) const { return clipformat::Has(FData, format); }
  AnsiString GetData(Word format) const { return clipformat::Get(FData, format); }
  String GetAsText() const;
  WideString GetAsUnicodeText() const;
  // Local files only.
  std::vector<String> GetFileNames() const;
  // Addresses that are not local files.
  std::vector<String> GetUrls() const;
  // The picture of the data: the toolkit's image, else the first image/*
  // format it can decode. False when there is none.
  bool GetBitmap(TBitmap& bitmap) const;
  bool HasPicture() const;
  // HTML with its markup taken out (empty without HTML).
  String GetHtmlAsText() const;
  // The same text in runs, a link's apart with its address.
  std::vector<THtmlRun> GetHtmlRuns() const;
  bool HasHtml() const;
  // The bytes of a MIME type as it is named (formats of other programs
  // that have no clipboard format of ours, such as "HTML Format").
  bool HasMimeType(const String& mimeType) const;
  AnsiString GetMimeData(const String& mimeType) const;
  const QMimeData* MimeData() const { return FData; }
  // The drag started from the control it is over (a move within it).
  bool FromSameControl;
  // The control of this program the drag started from (null for another
  // program's drag).
  TControl* Source;

private:
  const QMimeData* FData;
};

// What a control does with drags over it. Effects are DROPEFFECT_ bits;
// answer the one effect that would happen (NONE refuses). An effect the
// source does not allow (a link to a source that only moves) reaches the
// source as a drop accepted without an action: it keeps its data.
class TDropTarget {
public:
  virtual ~TDropTarget() = default;
  virtual int DragEnter(const TDragData& Data, TShiftState Shift, TPoint Pt, int Allowed) = 0;
  virtual int DragOver(const TDragData& Data, TShiftState Shift, TPoint Pt, int Allowed) = 0;
  virtual void DragLeave() = 0;
  virtual int Drop(const TDragData& Data, TShiftState Shift, TPoint Pt, int Allowed) = 0;
};

// The clipboard's content read like a drop (valid until the clipboard changes).
TDragData ClipboardDragData();

// Makes control accept drops through target (nullptr stops it). The target
// must outlive the registration.
void RegisterDropTarget(TControl* control, TDropTarget* target);

// The usual effect rule: a move when Ctrl is up, moving is allowed and the
// data comes from the same control; else a copy when allowed; else a link
// (also when the source allows none: the data is taken as a copy and the
// source must not delete it).
int ChooseDropEffect(TShiftState Shift, int Allowed, bool FromSameControl);

// A drag leaving a control. Fill the data, then Execute runs the drag (a
// modal loop, through the interaction hook) and answers the effect.
class TDragSource {
public:
  TDragSource();
  ~TDragSource();
  void SetData(Word format, const AnsiString& bytes);
  // Offers format without its bytes: render makes them when a drop target
  // first reads them, at most once per drag.
  void SetLazyData(Word format, std::function<AnsiString()> render);
  // Renders a lazy format now (before a drop onto the source itself changes
  // what it would render).
  void PreRenderFormat(Word format);
  void SetAsText(const String& text);
  void SetBitmap(const TBitmap& bitmap);
  void SetPicture(const TGraphic& graphic);
  void SetFileNames(const std::vector<String>& files);
  QMimeData* MimeData() const { return FData.get(); }
  // DROPEFFECT_NONE when the drag was cancelled.
  int Execute(TControl* source, int allowedEffects);

private:
  std::unique_ptr<QMimeData> FData;
};
