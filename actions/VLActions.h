#pragma once
// The editing actions' framework: the two base classes every command derives
// from, how a command finds the editor it works on (climbing out of table
// cell editors), the library-wide settings and notifications, and the small
// operations several command families share.
#include "actions/VLActionEditor.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Graphics.h"

#include <functional>

class TColorDialog;
class TCustomVLInfo;
class TCustomVLItemInfo;

QY_DECLARE_EXCEPTION(EInvalidCast, Exception);

// ---------------------------------------------------------------------------
// Library settings (process-wide; the host may change them at run time).
extern bool ActionsEnabled;
extern String DialogFontName;
extern bool UseXPThemesInDialogs;
extern bool DeleteUnusedStylesOnNewOpen;
extern bool LocalizedVLFNames;
extern TPenStyle TableGridPenStyle;
extern Integer DefaultDocumentMargin;
extern TColor DefaultDocumentColor;
extern bool ColorNameInHint;
extern String VLFFormatName;
extern String VLFDefaultExt;
extern String DefaultDocumentFileName;
extern String VLFFilterText;
// Weak references: cleared when the component is destroyed.
TWinControl* GetDefaultActionControl();
void SetDefaultActionControl(TWinControl* control);
TColorDialog* GetSharedColorDialog();
void SetSharedColorDialog(TColorDialog* dialog);

// Notifications a host may assign.
class TVLAEvents {
public:
  std::function<void(TObject* Sender, TCustomVLInfo* Style)> OnStyleAdded;
  std::function<void(TObject* Sender, TVLActionEditor* Editor)> OnMarginsChanged;
};
extern TVLAEvents* ActionEvents;
void FireStyleAdded(TObject* Sender, TCustomVLInfo* Style);
void FireMarginsChanged(TObject* Sender, TVLActionEditor* Editor);

// ---------------------------------------------------------------------------
class TvlCustomAction : public TAction {
public:
  explicit TvlCustomAction(TComponent* AOwner);
  // Caption := text MessageID, Hint := text MessageID + 1 (nothing for 0).
  virtual void Localize();
  Word MessageID = 0;
  // Never enabled by the standard update while set.
  bool Disabled = false;
};

class TvlAction : public TvlCustomAction {
public:
  explicit TvlAction(TComponent* AOwner);
  ~TvlAction() override;

  // The editor the action is bound to (nullptr: the focused one).
  TWinControl* GetControl() const { return FControl; }
  void SetControl(TWinControl* value);
  // The editor to work on: Control, else DefaultActionControl, else Target,
  // climbed out of cell editors to the editor of the outermost document.
  // EInvalidCast when the candidate is not an editor.
  virtual TVLActionEditor* GetControl(TObject* Target);
  // The editor that holds the caret and the selection: GetControl's, or
  // the cell editor open deepest in it. Every command that reads the caret,
  // the selection or item numbers takes them from this one.
  TVLActionEditor* GetCaretEditor(TObject* Target);

  bool HandlesTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
  // A command greyed in a read-only document (ChangesDocument) that is
  // asked for there all the same, by its key or before its state was
  // updated, says why it does nothing.
  bool Execute() override;
  // Greyed in a read-only document when it ChangesDocument, whatever its
  // own test finds.
  bool Update() override;
  bool ChangesDocument = false;
  // What it would change is there already (a format, an undo), rather
  // than put in: what it says then.
  bool ChangesInPlace = false;

  // The two hooks of WalkItems: the work on one item, and whether to go on.
  virtual void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param);
  virtual bool CanContinue(void* Param);
  // ProcessItem over FirstItemNo..LastItemNo of VLData; when the document
  // has a selection of table cells, over every item of each wholly selected
  // cell instead.
  void WalkItems(TCustomVLData* VLData, TVLActionEditor* Data, Integer FirstItemNo, Integer LastItemNo,
                 void* Param);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TObject* FindTarget() override;
  // The standard enabling rule.
  bool StandardEnabled() const { return ActionsEnabled && !Disabled; }
  // Enabled when the standard rule allows and Test holds for the target's
  // editor (nullptr when there is none); a target that is no editor disables.
  void UpdateEnabledFor(TObject* Target, const std::function<bool(TVLActionEditor*)>& Test);

private:
  TObject* Candidate(TObject* Target) const;
  // The editor the command would work on as Execute finds it: the first
  // control out from the focus that is an editor (nullptr: none).
  TVLActionEditor* TargetEditor();
  TWinControl* FControl = nullptr;
};

// ---------------------------------------------------------------------------
// Shared operations.

// "Transparent", "Auto", a palette colour's name or "RGB(r,g,b)" (UTF-8).
String ColorToDisplayString(TColor Color);
// The first component of Owner that is a T, in the owner's order.
template <typename T>
T* FindComponentOfClass(TComponent* Owner) {
  if (!Owner) return nullptr;
  for (int i = 0; i < Owner->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<T*>(Owner->Components(i))) return c;
  return nullptr;
}
// True, the user told that the document is read-only, when E is; its
// commands then change nothing.
bool RefusedAsReadOnly(TVLActionEditor* E, bool inPlace = false);
// The word RefusedAsReadOnly gives: nothing can be put in (inPlace: nothing
// changed).
void TellReadOnly(bool inPlace = false);
// The key of a command of List greyed in a read-only document reaches no
// command at all: the command is asked for, and says why. True when Key was
// such a command's.
bool TellReadOnlyKey(TActionList* List, TShortCut Key);
// The integer prompt: true and the answer in Value on OK.
bool AskInteger(const String& Caption, const String& Prompt, Integer& Value);
// Sets the handler on the editor and every nested in-place editor.
void SetStyleConversionHandler(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler);
void SetParaStyleConversionHandler(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler);
// The items the selection covers, without items it only touches at an end.
void GetSelectedItemRange(TVLActionEditor* Editor, Integer& FirstItemNo, Integer& LastItemNo);
// The one item the selection covers, nullptr when it covers several.
TCustomVLItemInfo* GetSingleSelectedItem(TVLActionEditor* Editor);
// Schedules a repaint of every document view inside Control (itself
// included); of every form's, for the second.
void InvalidateVellums(TWinControl* Control);
void InvalidateAllVellums();
// Entries of owner-drawn border-width lists.
void DrawBorderLineSample(TCanvas& Canvas, const TRect& Rect, Integer Width, TColor Color, bool Selected);
void DrawBorderBoxSample(TCanvas& Canvas, const TRect& Rect, Integer Width, TColor TopLeftColor,
                         TColor BottomRightColor, bool Selected);
