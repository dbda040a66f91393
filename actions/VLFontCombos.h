#pragma once
// The lists of what the installed fonts offer: font names, the point sizes
// of one font and the character sets (by script name) of one font. Giving
// the size and script boxes a font name refills them, keeping the user's
// choice where the new list has it, and clicks them once afterwards.
#include "platform/base/CodePages.h"
#include "platform/gui/SimpleCombo.h"
#include "platform/gui/StdCtrls.h"

class TVLFontComboBox : public TSimpleComboBox {
public:
  explicit TVLFontComboBox(TComponent* AOwner);
  // Reads the installed fonts again.
  void Refill();
};

class TVLFontSizeComboBox : public TSimpleComboBox {
public:
  // Typing takes digits only: anything else is taken out again with a beep.
  explicit TVLFontSizeComboBox(TComponent* AOwner);
  const String& GetFontName() const { return FFontName; }
  void SetFontName(const String& value);

private:
  void Refill();
  String FFontName;
};

// The installed font names as a drop-down list (where a dialog has no room
// for the open list).
class TVLFontDropDownComboBox : public TComboBox {
public:
  explicit TVLFontDropDownComboBox(TComponent* AOwner);
  // Selects the entry equal to Name without regard to case; the first entry
  // when none is. False when the name is not listed.
  bool SelectFont(const String& Name);
};

// Inserts a size into an ascending list of sizes unless it is there.
void InsertFontSize(TStrings& Items, Integer Size);

class TVLFontCharsetComboBox : public TComboBox {
public:
  explicit TVLFontCharsetComboBox(TComponent* AOwner);
  const String& GetFontName() const { return FFontName; }
  void SetFontName(const String& value);
  bool GetAddDefaultCharset() const { return FAddDefaultCharset; }
  void SetAddDefaultCharset(bool value);
  String DefaultCharsetCaption = "(Default)";
  TFontCharset Charsets(int Index);
  int IndexOfCharset(TFontCharset Charset);
  // Fills the list from (charset, script name) pairs: sorted by name without
  // case, each character set once, the default entry last.
  void Fill(const std::vector<std::pair<TFontCharset, String>>& Scripts);

private:
  void Refill();
  String FFontName;
  bool FAddDefaultCharset = false;
};
