#pragma once
// The common dialogs: open and save, pictures, font, colour, print and
// printer set-up, find and replace. Each Execute goes through the
// interaction hook (Dialogs.h), so tests script the user's choice.
#include "platform/base/Components.h"
#include "platform/base/Strings.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"

#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TCommonDialog : public TComponent {
public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // True when the user confirmed.
  virtual bool Execute() = 0;
  int HelpContext = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
};

class TOpenDialog : public TCommonDialog {
public:
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;
  bool Execute() override;
  String FileName;
  // Every chosen file (one unless ofAllowMultiSelect).
  TStrings& Files() { return *FFiles; }
  // "text|pattern|text|pattern".
  String Filter;
  // 1-based; the chosen filter after Execute.
  int FilterIndex = 1;
  String InitialDir;
  String DefaultExt;
  String Title;
  int Options = ofHideReadOnly | ofEnableSizing;

protected:
  TInteractionKind FKind = TInteractionKind::OpenDialog;

private:
  std::unique_ptr<TStringList> FFiles;
};

class TSaveDialog : public TOpenDialog {
public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) { FKind = TInteractionKind::SaveDialog; }
};

// Open and save dialogs for pictures: every readable picture format.
class TOpenPictureDialog : public TOpenDialog {
public:
  explicit TOpenPictureDialog(TComponent* AOwner);
};

class TSavePictureDialog : public TSaveDialog {
public:
  explicit TSavePictureDialog(TComponent* AOwner);
};

class TFontDialog : public TCommonDialog {
public:
  explicit TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  // Name, size and style come back from the dialog; colour and character
  // set stay (the toolkit's dialog has neither).
  bool Execute() override;
  TFont Font;
};

class TColorDialog : public TCommonDialog {
public:
  explicit TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  TColor Color = clBlack;
};

enum TPrintRange { prAllPages, prSelection, prPageNums };

// Chooses the printer, copies and pages of Printer().
class TPrintDialog : public TCommonDialog {
public:
  explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  int Copies = 1;
  bool Collate = false;
  int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
  TPrintRange PrintRange = prAllPages;
  int Options = 0;
};

class TPrinterSetupDialog : public TCommonDialog {
public:
  explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
};

class TControl;

// Modeless: Execute shows the window and returns; the buttons fire OnFind and
// OnReplace with FindText, ReplaceText and Options set. The search buttons
// stay disabled while the find text is empty, so no empty search ever runs.
class TFindDialog : public TCommonDialog {
public:
  explicit TFindDialog(TComponent* AOwner);
  ~TFindDialog() override;
  bool Execute() override;
  void CloseDialog();
  bool Visible() const;
  String FindText;
  int Options = frDown;
  TNotifyEvent OnFind;
  // Where the window goes (screen coordinates; -1 = the toolkit decides).
  int Left = -1, Top = -1;
  // The window of this control owns the find window (the window manager
  // keeps it above that window); null: none. Applied on each Execute.
  TControl* OwnerControl = nullptr;
  // The window's texts (the caller's language; an empty one keeps the
  // built-in English text). Applied on each Execute.
  struct TCaptions {
    String Find, Replace, FindWhat, ReplaceWith, WholeWord, MatchCase, Direction, Up, Down, FindNext, ReplaceOne,
        ReplaceAll, Cancel;
  } Captions;

  // What the buttons do (the real window calls these, and scripts may).
  void PressFindNext();
  // Only for the replace dialog.
  void PressReplace(bool all);

  // The window of the real hook (made on the first real Execute).
  struct TWindow {
    QDialog* Dialog = nullptr;
    QLineEdit* Find = nullptr;
    QLineEdit* Replace = nullptr;
    QCheckBox* WholeWord = nullptr;
    QCheckBox* MatchCase = nullptr;
    QRadioButton* Up = nullptr;
    QRadioButton* Down = nullptr;
    std::vector<QPushButton*> SearchButtons;
    QPushButton* FindNext = nullptr;
    // The texts the window shows, each with its built-in English one.
    std::vector<std::function<void(const TCaptions&)>> Texts;
  };
  std::unique_ptr<TWindow> FWindow;

protected:
  TInteractionKind FKind = TInteractionKind::FindDialog;
  virtual void DoFind();
  virtual void DoReplace();
  friend class TReplaceDialog;
};

class TReplaceDialog : public TFindDialog {
public:
  explicit TReplaceDialog(TComponent* AOwner) : TFindDialog(AOwner) { FKind = TInteractionKind::ReplaceDialog; }
  String ReplaceText;
  TNotifyEvent OnReplace;

protected:
  void DoReplace() override;
};
