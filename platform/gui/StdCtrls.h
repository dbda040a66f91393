#pragma once
// Standard controls: labels, buttons, edits, memos, check boxes, radio
// buttons and groups, group boxes, combo boxes and list boxes.
#include "platform/base/Strings.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"

#include <functional>
#include <memory>

class TCustomForm;

// Item lists of combo and list boxes keep their objects beside the toolkit's
// entries; Sorted lists insert in order, without case and by the locale.
class TControlItems : public TStrings {
public:
  int Count() const override;
  String Get(int Index) const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const String& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void InsertObject(int Index, const String& S, TObject* AObject) override;
  int AddObject(const String& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  bool Sorted = false;

protected:
  virtual int ViewCount() const = 0;
  virtual String ViewGet(int Index) const = 0;
  virtual void ViewSet(int Index, const String& S) = 0;
  virtual void ViewInsert(int Index, const String& S) = 0;
  virtual void ViewDelete(int Index) = 0;
  virtual void ViewClear() = 0;
  std::vector<TObject*> FObjects;
};

// ---------------------------------------------------------------------------

class TLabel : public TControl {
public:
  explicit TLabel(TComponent* AOwner);
  String GetText() const override;
  void SetText(const String& value) override;
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool GetWordWrap() const;
  void SetWordWrap(bool value);
  // The height the text takes wrapped at the label's width, in its font.
  int WrappedTextHeight() const;
  // Sizes itself to its text (the default, as labels do).
  bool AutoSize = true;
  // The control an "&" access key focuses.
  void SetFocusControl(TWinControl* control);
  bool Transparent = true;

private:
  void AdjustSize();
  TAlignment FAlignment = taLeftJustify;
};

class TButton : public TWinControl {
public:
  explicit TButton(TComponent* AOwner);
  String GetText() const override;
  void SetText(const String& value) override;
  // Enter anywhere on the form presses the default button, Escape the cancel
  // button.
  bool Default = false;
  bool Cancel = false;
  void SetDefault(bool value);
  // A non-zero result closes a modal form with it.
  TModalResult ModalResult = mrNone;
  void Click() override;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TButton {
public:
  explicit TBitBtn(TComponent* AOwner);
  TBitBtnKind GetKind() const { return FKind; }
  // Sets caption, modal result and default/cancel as the kind implies.
  void SetKind(TBitBtnKind value);
  TBitmap& Glyph();
  void GlyphChanged();

private:
  TBitBtnKind FKind = bkCustom;
  std::unique_ptr<TBitmap> FGlyph;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
public:
  explicit TCustomEdit(TComponent* AOwner);
  virtual int GetMaxLength() const = 0;
  virtual void SetMaxLength(int value) = 0;
  virtual bool GetReadOnly() const = 0;
  virtual void SetReadOnly(bool value) = 0;
  virtual void SelectAll() = 0;
  virtual int GetSelStart() const = 0;
  virtual void SetSelStart(int value) = 0;
  virtual int GetSelLength() const = 0;
  virtual void SetSelLength(int value) = 0;
  virtual String GetSelText() const = 0;
  virtual void Clear() = 0;
  TNotifyEvent OnChange;

protected:
  void Changed();
  bool FChanging = false;
};

class TEdit : public TCustomEdit {
public:
  explicit TEdit(TComponent* AOwner);
  String GetText() const override;
  // Also fires OnChange, as typing does.
  void SetText(const String& value) override;
  int GetMaxLength() const override;
  // 0 = no limit.
  void SetMaxLength(int value) override;
  bool GetReadOnly() const override;
  void SetReadOnly(bool value) override;
  char16_t GetPasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char16_t value);
  void SelectAll() override;
  int GetSelStart() const override;
  void SetSelStart(int value) override;
  int GetSelLength() const override;
  void SetSelLength(int value) override;
  String GetSelText() const override;
  void Clear() override { SetText(""); }
  // The rectangle the text is shown in, in client coordinates; the rest of
  // the client area is left to child controls (such as arrow buttons).
  TRect GetEditRect() const;
  void SetEditRect(const TRect& rect);
  TEditCharCase CharCase = ecNormal;
  bool AutoSelect = true;

private:
  char16_t FPasswordChar = 0;
  TRect FEditRect;
  bool FHasEditRect = false;
};

enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

// An edit with its own label kept beside it.
class TLabeledEdit : public TEdit {
public:
  explicit TLabeledEdit(TComponent* AOwner);
  TLabel* EditLabel() const { return FLabel; }
  void SetParent(TWinControl* AParent) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetVisible(bool value) override;
  TLabelPosition GetLabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(TLabelPosition value);
  int LabelSpacing = 3;

private:
  void PlaceLabel();
  TLabel* FLabel;
  TLabelPosition FLabelPosition = lpAbove;
};

class TMemo : public TCustomEdit {
public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  String GetText() const override;
  void SetText(const String& value) override;
  // The lines, changed in place.
  TStrings& Lines();
  int GetMaxLength() const override { return FMaxLength; }
  void SetMaxLength(int value) override;
  bool GetReadOnly() const override;
  void SetReadOnly(bool value) override;
  TScrollStyle GetScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  bool GetWordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool WantReturns = true;
  bool WantTabs = false;
  void SelectAll() override;
  int GetSelStart() const override;
  void SetSelStart(int value) override;
  int GetSelLength() const override;
  void SetSelLength(int value) override;
  String GetSelText() const override;
  void Clear() override { SetText(""); }
  bool QtEvent(QEvent* event) override;

private:
  void EnforceMaxLength();
  int FMaxLength = 0;
  TScrollStyle FScrollBars = ssNone;
  TAlignment FAlignment = taLeftJustify;
  bool FWordWrap = true;
  std::unique_ptr<TStrings> FLines;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
public:
  explicit TCheckBox(TComponent* AOwner);
  String GetText() const override;
  void SetText(const String& value) override;
  bool GetChecked() const { return GetState() == cbChecked; }
  void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
  TCheckBoxState GetState() const;
  // Setting cbGrayed from code always works; a click from grayed gives
  // checked, and only AllowGrayed lets clicks reach grayed again.
  void SetState(TCheckBoxState value);
  bool GetAllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value);
  // The caption's side of the box: taRightJustify (the usual) or
  // taLeftJustify.
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

private:
  TAlignment FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  bool FSetting = false;
};

class TRadioButton : public TWinControl {
public:
  explicit TRadioButton(TComponent* AOwner);
  String GetText() const override;
  void SetText(const String& value) override;
  bool GetChecked() const;
  // Checking one unchecks its siblings of the same parent.
  void SetChecked(bool value);
  // The caption's side of the button, as for check boxes.
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

private:
  TAlignment FAlignment = taRightJustify;
  bool FSetting = false;
};

class TGroupBox : public TWinControl {
public:
  explicit TGroupBox(TComponent* AOwner);
  String GetText() const override;
  void SetText(const String& value) override;
  TRect GetClientRect() const override;
};

class TRadioGroup : public TGroupBox {
public:
  explicit TRadioGroup(TComponent* AOwner);
  ~TRadioGroup() override;
  // Changing the items rebuilds the buttons.
  TStrings& Items();
  int GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);
  int GetColumns() const { return FColumns; }
  void SetColumns(int value);
  TRadioButton* Buttons(int index) const;
  bool QtEvent(QEvent* event) override;

private:
  void Rebuild();
  void Arrange();
  std::unique_ptr<TStringList> FItems;
  std::vector<std::unique_ptr<TRadioButton>> FButtons;
  int FItemIndex = -1;
  int FColumns = 1;
  bool FUpdating = false;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

class TComboBox : public TWinControl {
public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  TStrings& Items();
  int GetItemIndex() const;
  void SetItemIndex(int value);
  String GetText() const override;
  void SetText(const String& value) override;
  TComboBoxStyle GetStyle() const { return FStyle; }
  void SetStyle(TComboBoxStyle value);
  bool GetSorted() const;
  // Sorting is without case and by the locale.
  void SetSorted(bool value);
  int GetDropDownCount() const;
  void SetDropDownCount(int value);
  int GetItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  int GetMaxLength() const;
  void SetMaxLength(int value);
  bool GetDroppedDown() const;
  void SetDroppedDown(bool value);
  void SelectAll();
  void Clear();
  // Draws the items of an owner-draw combo on Canvas.
  TCanvas* Canvas() const { return FCanvas.get(); }
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;

private:
  friend class TComboDelegate;
  TComboBoxStyle FStyle = csDropDown;
  int FItemHeight = 16;
  std::unique_ptr<TControlItems> FItems;
  std::unique_ptr<TCanvas> FCanvas;
  bool FChanging = false;
};

class TListBox : public TWinControl {
public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  TStrings& Items();
  int GetItemIndex() const;
  void SetItemIndex(int value);
  bool GetMultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool value);
  bool GetSelected(int index) const;
  void SetSelected(int index, bool value);
  int SelCount() const;
  bool GetSorted() const;
  void SetSorted(bool value);
  int GetTopIndex() const;
  void SetTopIndex(int value);
  TComboBoxStyle Style = csDropDownList;  // csOwnerDrawFixed draws through OnDrawItem
  void SetOwnerDraw(bool value);
  int GetItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  void Clear();
  void ClearSelection();
  int ItemAtPos(TPoint pos, bool existing) const;
  TRect ItemRect(int index) const;
  TCanvas* Canvas() const { return FCanvas.get(); }
  TDrawItemEvent OnDrawItem;

private:
  friend class TListDelegate;
  bool FMultiSelect = false;
  int FItemHeight = 16;
  std::unique_ptr<TControlItems> FItems;
  std::unique_ptr<TCanvas> FCanvas;
};
