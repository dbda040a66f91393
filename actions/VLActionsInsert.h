#pragma once
// Commands that put new content at the caret: a file, a picture from a
// file, a horizontal line, a symbol, and page breaks in and out; and the
// properties of a picture or line.
#include "actions/VLActions.h"
#include "actions/VLActionsFile.h"

#include <memory>

class TGraphic;

// Commands that insert at the caret: enabled unless the document is
// read-only or has a selection of table cells.
class TvlActionInsertAtCaret : public TvlAction {
public:
  explicit TvlActionInsertAtCaret(TComponent* AOwner) : TvlAction(AOwner) { ChangesDocument = true; }
  void UpdateTarget(TObject* Target) override;
};

class TvlActionInsertPicture : public TvlActionInsertAtCaret {
public:
  explicit TvlActionInsertPicture(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;

  // Empty: every picture format the program reads.
  String Filter;
  TVLVAlign VAlign = vlvaBaseline;
  String DefaultExt = "bmp";
  bool StoreFileName = false;
  String DialogTitle;
  String InitialDir;
  int FilterIndex = 1;
};

// A picture file decoded by its contents, whatever its name says: JPEG stays
// JPEG, anything else the toolkit reads becomes a bitmap. nullptr for a file
// that does not decode, is truncated, or claims a size out of proportion to
// its data. A path that is no regular file is not read at all; Refusal
// then says what it is ("it is a named pipe, not a file").
std::unique_ptr<TGraphic> LoadPictureFile(const String& FileName, String* Refusal = nullptr);
// The picture the user chose, or nullptr after a message with the icon
// (MB_ICON...): one that names the file and what it is when it is no
// regular file, the general one when it does not decode.
std::unique_ptr<TGraphic> LoadChosenPicture(const String& FileName, int Icon);

class TvlActionInsertHLine : public TvlActionInsertAtCaret {
public:
  explicit TvlActionInsertHLine(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
  TColor Color = clWindowText;
  Integer Width = 1;
};

class TvlActionInsertPageBreak : public TvlAction {
public:
  explicit TvlActionInsertPageBreak(TComponent* AOwner);
  // Not inside a table cell.
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

class TvlActionRemovePageBreak : public TvlAction {
public:
  explicit TvlActionRemovePageBreak(TComponent* AOwner);
  // Enabled where the caret's line starts a new page.
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
};

// The Properties dialog of the picture or line at the caret.
class TvlActionItemProperties : public TvlAction {
public:
  explicit TvlActionItemProperties(TComponent* AOwner);
  // Enabled for a picture or a line at the caret, unless the selection
  // covers more than that item.
  void UpdateTarget(TObject* Target) override;
  void ExecuteTarget(TObject* Target) override;
  String GraphicFilter;
};

// The contents of a VLF, RTF or text file at the caret.
class TvlActionInsertFile : public TvlActionInsertAtCaret {
public:
  explicit TvlActionInsertFile(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;

  TvlFileImportFilterSet Filter{ffiVLF, ffiRTF, ffiTextANSI, ffiTextUnicode, ffiTextAuto, ffiOfficeConverters};
  bool AutoUpdateFileName = true;
  String DialogTitle;
  String InitialDir;
  int FilterIndex = 1;
  String FileName;
};

enum TVLInsertSymbolType { vlisBoth, vlisUnicode, vlisSingleByte };

// One character chosen in the Insert Symbol dialog, in its font, at the
// caret; the dialog opens again on the last character inserted.
class TvlActionInsertSymbol : public TvlActionInsertAtCaret {
public:
  explicit TvlActionInsertSymbol(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
  // The text style of the chosen character: the current one in the symbol's
  // font and character set, kept from automatic language switching. An
  // equal style of the sheet, else a new one.
  Integer SymbolStyleNo(TVLActionEditor* Editor);

  TVLInsertSymbolType SymbolType = vlisBoth;
  bool AlwaysInsertUnicode = false;

  // The last confirmed choice.
  String SymbolFontName = "Symbol";
  TFontCharset SymbolCharset = 0;
  Word SymbolCharCode = 0;
  bool HasLastSymbol = false;
};
