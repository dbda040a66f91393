#pragma once
// The Customize List dialog: edits a copy of one list style level by level
// (type, bullet and its font, picture, number format and font, start value,
// marker position, indents) with a live preview; the caller takes the result
// back on OK. It never touches a document.
#include "actions/BaseVLFrm.h"
#include "actions/VLOfficeRadioBtn.h"
#include "actions/VLSpinEdit.h"
#include "platform/gui/ExtCtrls.h"
#include "richtext/view/Vellum.h"

#include <vector>

// Number formats of list levels. A level's stored format places the counter
// of level k with "%k:s" ("%s" takes the level after the last one placed) and
// writes a percent sign as "%%". Users see and type "<L1>" for level 0 and so
// on. Document text is never handed to a formatter: this tokenizer is the
// only reader, and what it does not recognise is kept as plain text.
struct TVLListFormatToken {
  // Level < 0: Text is literal; otherwise the counter of that level.
  Integer Level = -1;
  AnsiString Text;
};
struct TVLListFormatParse {
  std::vector<TVLListFormatToken> Tokens;
  // False when a "%" starts nothing the marker renderer fills (a "%d", a
  // level past the last one, a "%" at the end); such a "%" is kept as text.
  bool Valid = true;
  size_t ErrorPos = 0;
};
inline constexpr Integer VLMaxListFormatLevel = 255;
TVLListFormatParse ParseListFormat(const AnsiString& Format);
// The format as shown for level Level: counters of Level and the levels
// above it as "<Ln>", deeper ones as nothing, text as it reads.
String ListFormatToDisplay(const AnsiString& Format, Integer Level);
// What the user typed, back as a format: "<Ln>" for n up to Level + 1 places
// that counter; every other character (a "%" too) is text.
AnsiString DisplayToListFormat(const String& Text, Integer Level);

// One bullet cell of the dialog. The six cells are shared by every opening
// for the rest of the run, as the user left them.
struct TBulletCharacter {
  AnsiString Character;
  WideString CharacterW;
  bool IsUnicode = false;
  TFont Font;
};
TBulletCharacter& BulletCharacters(Integer Index);
// Puts the six cells back as the program starts with them (tests).
void ResetBulletCharacters();

class TfrmVLParaList : public TfrmVLBase {
public:
  explicit TfrmVLParaList(TComponent* AOwner);
  void Localize() override;

  void SetListInfo(const TVLListInfo& ListInfo);
  void GetListInfo(TVLListInfo& ListInfo);
  // The list style being edited.
  TVLListInfo& Working();
  Integer CurrentLevel() const;

  void lstLevelsClick(TObject* Sender);
  void seLevelsChange(TObject* Sender);
  void cmbNumbersClick(TObject* Sender);
  void rgBulletClick(TObject* Sender);
  void btnBulletClick(TObject* Sender);
  void btnFontClick(TObject* Sender);
  void btnNumberFontClick(TObject* Sender);
  void txtNumbersChange(TObject* Sender);
  void cmbLevelClick(TObject* Sender);
  void btnInsertClick(TObject* Sender);
  void seStartAtChange(TObject* Sender);
  void cmbMarkerAlignClick(TObject* Sender);
  void seIndentChange(TObject* Sender);
  void btnImageClick(TObject* Sender);
  // A click on level Level's text in the preview.
  void vlJump(TObject* Sender, Integer Id);
  void UpdatePreview();

  TGroupBox *gbLevels, *gbListProperties, *gbNumber, *gbListTextPos, *gbTextPos, *gbPreview;
  TListBox* lstLevels;
  TLabel *lblLevelCount, *lblNumber, *lblNumFormat, *lblStartAt, *lblAt, *lblLI, *lblFI, *lblFLI;
  TVLSpinEdit *seLevels, *seStartAt, *seMarkerIndent, *seLeftIndent, *seFirstIndent;
  TComboBox *cmbNumbers, *cmbLevel, *cmbMarkerAlign;
  // The notebook: bullet, number, image and the empty page of other types.
  TPanel* nb[4];
  TVLOfficeRadioGroup* rgBullet;
  TButton *btnBullet, *btnFont, *btnNumberFont, *btnImage, *btnInsert;
  TEdit* txtNumbers;
  TPanel* Panel1;
  TImage* img;
  TVellum* vl;
  TCheckBox* cbOneLevelPreview;
  TButton *btnOk, *btnCancel;
  TVLStyle *vls, *vls2;

private:
  void ShowLevel(Integer L);
  void ShowLevelProperties(Integer L);
  void ShowPage(Integer Page);
  void FillLevelList(Integer Count);
  TVLListLevel& Level(Integer L);
  bool FUpdating = false;
  AnsiString FLastBulletChar;
  String FLastBulletFontName;
  TFontCharset FLastBulletCharset = 0;
  bool FLastBulletIsUnicode = false;
  Integer FLastBulletIndex = 5;
  AnsiString FLastNumberFormat = "%0:s.";
  String FLastNumberFontName = "Arial";
  TFontCharset FLastNumberCharset = 0;
};
