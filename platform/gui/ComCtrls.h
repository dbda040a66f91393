#pragma once
// Common controls: tree view, month calendar, date picker, status bar, tool
// bar, page control, up-down, progress bar.
#include "platform/base/Components.h"
#include "platform/gui/Controls.h"

#include <any>
#include <functional>
#include <memory>
#include <vector>

class TTreeView;
class TTreeNodes;
class TCustomImageList;
class TBasicAction;

// ---------------------------------------------------------------------------
// Tree view

class TTreeNode {
public:
  ~TTreeNode();
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  String GetText() const;
  void SetText(const String& value);
  // The node's own value: whatever the program stores (a kind and an id, a
  // shared record); empty when none.
  std::any Data;
  template <typename T>
  T* DataAs() {
    return std::any_cast<T>(&Data);
  }

  TTreeNode* Parent() const;
  int Count() const;
  TTreeNode* Item(int index) const;
  bool HasChildren() const { return Count() > 0; }
  TTreeNode* GetFirstChild() const;
  TTreeNode* GetLastChild() const;
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  // The next node in depth-first order (children first).
  TTreeNode* GetNext() const;
  TTreeNode* GetPrev() const;
  // 0 for a root node.
  int Level() const;
  // Position among its siblings.
  int Index() const;
  // Position in the depth-first order of the whole tree.
  int AbsoluteIndex() const;
  bool IsFirstNode() const { return !Parent() && Index() == 0; }

  bool GetExpanded() const;
  void SetExpanded(bool value);
  void Expand(bool recursive);
  void Collapse(bool recursive);
  bool GetSelected() const;
  void SetSelected(bool value);
  bool Focused() const { return GetSelected(); }
  void MakeVisible();
  bool IsVisible() const;
  TRect DisplayRect(bool textOnly) const;
  int ImageIndex = -1;
  int SelectedIndex = -1;

  // Deletes this node and its children.
  void Delete();
  void DeleteChildren();
  TTreeNodes* Owner() const { return FOwner; }
  TTreeView* TreeView() const;
  bool IsDescendantOf(const TTreeNode* node) const;

private:
  friend class TTreeNodes;
  friend class TTreeView;
  friend class TTreeItem;
  TTreeNode(TTreeNodes* owner, void* item) : FOwner(owner), FItem(item) {}
  TTreeNodes* FOwner;
  void* FItem;  // the toolkit's item, which owns this node
};

class TTreeNodes {
public:
  explicit TTreeNodes(TTreeView* owner) : FOwner(owner) {}
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;

  // A node after the last sibling of sibling (a root node when sibling is
  // null).
  TTreeNode* Add(TTreeNode* sibling, const String& text);
  TTreeNode* AddObject(TTreeNode* sibling, const String& text, std::any data);
  TTreeNode* AddFirst(TTreeNode* sibling, const String& text);
  // A last (or first) child of parent (a root node when parent is null).
  TTreeNode* AddChild(TTreeNode* parent, const String& text);
  TTreeNode* AddChildObject(TTreeNode* parent, const String& text, std::any data);
  TTreeNode* AddChildFirst(TTreeNode* parent, const String& text);
  // A node just before sibling (at the end of the roots when null).
  TTreeNode* Insert(TTreeNode* sibling, const String& text);
  TTreeNode* InsertObject(TTreeNode* sibling, const String& text, std::any data);
  void Delete(TTreeNode* node);
  void Clear();
  // Every node of the tree.
  int Count() const;
  // By absolute index (depth-first).
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstNode() const;
  void BeginUpdate();
  void EndUpdate();
  TTreeView* Owner() const { return FOwner; }

private:
  TTreeNode* InsertAt(TTreeNode* parent, int index, const String& text, std::any data);
  TTreeView* FOwner;
  int FUpdateCount = 0;
};

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;

class TTreeView : public TWinControl {
public:
  explicit TTreeView(TComponent* AOwner);
  ~TTreeView() override;

  TTreeNodes& Items() { return *FItems; }
  TTreeNode* GetSelected() const;
  void SetSelected(TTreeNode* node);
  TTreeNode* GetTopItem() const;
  TTreeNode* GetNodeAt(int x, int y) const;
  void FullExpand();
  void FullCollapse();
  bool ReadOnly = true;
  void SetShowLines(bool value);
  void SetShowRoot(bool value);
  void SetHideSelection(bool value);
  void SetImages(TCustomImageList* images);

  TTVChangedEvent OnChange;
  TTVChangingEvent OnChanging;
  TTVExpandingEvent OnExpanding;
  TTVExpandedEvent OnExpanded;
  TTVExpandingEvent OnCollapsing;
  TTVExpandedEvent OnCollapsed;
  // Called for each node before it is deleted.
  TTVExpandedEvent OnDeletion;

private:
  friend class TTreeNodes;
  friend class TTreeNode;
  friend class TTreeItem;
  std::unique_ptr<TTreeNodes> FItems;
  TCustomImageList* FImages = nullptr;
  bool FChanging = false;
  void* FLastSelected = nullptr;
};

// ---------------------------------------------------------------------------
// Dates

class TMonthCalendar : public TWinControl {
public:
  explicit TMonthCalendar(TComponent* AOwner);
  TDateTime GetDate() const;
  void SetDate(TDateTime value);
  // The size the calendar needs to show a month.
  TSize NaturalSize() const;
  TNotifyEvent OnChange;
};

enum TDTDateFormat { dfShort, dfLong };
enum TDateTimeKind { dtkDate, dtkTime };

class TDateTimePicker : public TWinControl {
public:
  explicit TDateTimePicker(TComponent* AOwner);
  TDateTime GetDate() const;
  // Fires OnChange when the date changes, also when set from code.
  void SetDate(TDateTime value);
  TDateTime GetDateTime() const;
  void SetDateTime(TDateTime value);
  TDTDateFormat GetDateFormat() const { return FDateFormat; }
  void SetDateFormat(TDTDateFormat value);
  TDateTimeKind GetKind() const { return FKind; }
  void SetKind(TDateTimeKind value);
  // An empty box, for something that has no date; without OnChange. The
  // next SetDate, or a date the user picks, shows a date again.
  void SetBlank();
  bool Blank() const { return FBlank; }
  TNotifyEvent OnChange;

private:
  void ApplyFormat();
  void ShowDates();
  bool FBlank = false;
  TDTDateFormat FDateFormat = dfShort;
  TDateTimeKind FKind = dtkDate;
};

// The toolkit's date format for one of the design's ("dddd, mmmm d, yyyy"
// -> "dddd, MMMM d, yyyy").
String QtDateFormat(const String& designFormat);

// ---------------------------------------------------------------------------
// Status bar

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
enum TStatusPanelStyle { psText, psOwnerDraw };

class TStatusBar;

class TStatusPanel : public TCollectionItem {
public:
  explicit TStatusPanel(TCollection* Collection);
  String GetText() const { return FText; }
  void SetText(const String& value);
  int GetWidth() const { return FWidth; }
  void SetWidth(int value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TStatusPanelBevel GetBevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel value);
  TStatusPanelStyle Style = psText;

private:
  String FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
};

class TStatusPanels : public TCollection {
public:
  explicit TStatusPanels(TStatusBar* owner);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* operator[](int index) const { return ItemAs<TStatusPanel>(index); }
  void Update(TCollectionItem* Item) override;

private:
  TStatusBar* FBar;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;
  TStatusPanels& Panels() { return *FPanels; }
  // One panel across the bar showing SimpleText.
  bool GetSimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool value);
  String GetSimpleText() const { return FSimpleText; }
  void SetSimpleText(const String& value);
  bool SizeGrip = true;
  TRect PanelRect(int index) const;
  // The panel width that shows text whole in the bar's font, margins and
  // bevel included.
  int PanelWidthFor(const String& text) const;
  TDrawPanelEvent OnDrawPanel;

protected:
  void Paint() override;

private:
  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  String FSimpleText;
};

// ---------------------------------------------------------------------------
// Tool bar

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolBar;

class TToolButton : public TControl {
public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;
  String GetText() const override { return FText; }
  void SetText(const String& value) override;
  TToolButtonStyle GetStyle() const { return FStyle; }
  void SetStyle(TToolButtonStyle value);
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  bool GetDown() const;
  void SetDown(bool value);
  bool Grouped = false;
  TBasicAction* GetAction() const { return FAction; }
  void SetAction(TBasicAction* action);
  void SetEnabled(bool value) override;
  void Click() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Refreshes the icon from the bar's image list.
  void UpdateImage();

private:
  void ActionChanged();
  TToolButtonStyle FStyle = tbsButton;
  int FImageIndex = -1;
  TBasicAction* FAction = nullptr;
};

class TToolBar : public TWinControl {
public:
  explicit TToolBar(TComponent* AOwner);
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* images);
  bool GetShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool value);
  bool Flat = true;
  int ButtonCount() const;
  TToolButton* Buttons(int index) const;
  // The buttons the bar has no room for, in order: its overflow button
  // shows them as a menu that runs them.
  std::vector<TToolButton*> HiddenButtons() const;
  // The overflow menu, as if its button were clicked.
  void ShowOverflowMenu();

protected:
  void ChildInserted(TControl* Control) override;
  void ChildRemoved(TControl* Control) override;
  void ChildVisibleChanged(TControl* Control) override;

private:
  TCustomImageList* FImages = nullptr;
  bool FShowCaptions = false;
};

// ---------------------------------------------------------------------------
// Page control

class TPageControl;

class TTabSheet : public TWinControl {
public:
  explicit TTabSheet(TComponent* AOwner);
  String GetText() const override { return FText; }
  void SetText(const String& value) override;
  TPageControl* GetPageControl() const;
  void SetPageControl(TPageControl* control);
  bool GetTabVisible() const { return FTabVisible; }
  void SetTabVisible(bool value);
  int PageIndex() const;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

private:
  bool FTabVisible = true;
};

class TPageControl : public TWinControl {
public:
  explicit TPageControl(TComponent* AOwner);
  int PageCount() const;
  TTabSheet* Pages(int index) const;
  TTabSheet* GetActivePage() const;
  void SetActivePage(TTabSheet* page);
  int GetActivePageIndex() const;
  void SetActivePageIndex(int value);
  void SelectNextPage(bool goForward);
  // The width the tabs need to show every caption whole.
  int TabsWidth() const;
  TNotifyEvent OnChange;
  std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;

protected:
  QWidget* ClientWidget() const override;
  void ChildInserted(TControl* Control) override;
  void ChildRemoved(TControl* Control) override;

private:
  friend class TTabSheet;
  std::vector<TTabSheet*> FPages;
  int FLastIndex = -1;
  bool FSwitching = false;
};

// ---------------------------------------------------------------------------

enum TUDBtnType { btNext, btPrev };
enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };

class TUpDown : public TWinControl {
public:
  explicit TUpDown(TComponent* AOwner);
  int GetMin() const { return FMin; }
  void SetMin(int value);
  int GetMax() const { return FMax; }
  void SetMax(int value);
  int GetPosition() const { return FPosition; }
  // Clamped to Min..Max; the associated edit shows it.
  void SetPosition(int value);
  int Increment = 1;
  bool Wrap = false;
  bool Thousands = true;
  TUDAlignButton AlignButton = udRight;
  TWinControl* GetAssociate() const { return FAssociate; }
  // Sits at the edit's right edge, and shows the position in it.
  void SetAssociate(TWinControl* control);
  // What one press of a button does (tests and the buttons).
  void Press(TUDBtnType button);
  std::function<void(TObject* Sender, TUDBtnType Button)> OnClick;
  std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void UpdateAssociate();
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  TWinControl* FAssociate = nullptr;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
public:
  explicit TProgressBar(TComponent* AOwner);
  int GetMin() const;
  void SetMin(int value);
  int GetMax() const;
  void SetMax(int value);
  int GetPosition() const;
  void SetPosition(int value);
  TProgressBarOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation value);
  int Step = 10;
  void StepIt();
  void StepBy(int delta);
  bool Smooth = false;

private:
  TProgressBarOrientation FOrientation = pbHorizontal;
};
