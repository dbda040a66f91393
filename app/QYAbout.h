#pragma once
// The about box: the program's name, version, maker and notice from the
// program's version block, with the maker's contact lines.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include "app/QYVersionInfo.h"

class TdlgAboutBox : public TForm {
public:
  explicit TdlgAboutBox(TComponent* AOwner);
  // Reads another block (a program without one leaves the values empty).
  TdlgAboutBox(TComponent* AOwner, const TVersionBlock& block);
  ~TdlgAboutBox() override;

  TPanel* Panel = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* lCompanyName = nullptr;
  TLabel* lProductName = nullptr;
  TLabel* lCopyright = nullptr;
  TLabel* lPostOfficeBox = nullptr;
  TLabel* lCityStateZip = nullptr;
  TLabel* lWebSite = nullptr;
  TLabel* lEMailAddress = nullptr;
  TMemo* Memo1 = nullptr;
  TButton* OKButton = nullptr;

  // The version values, read when the box is created.
  String CompanyName;
  String FileDescription;
  String FileVersion;
  String InternalName;
  String LegalCopyright;
  String LegalTradeMarks;
  String OriginalFileName;
  String ProductName;
  String ProductVersion;
  String Comments;

  void FormCreate(TObject* Sender);
  void OKButtonClick(TObject* Sender);
  // Puts text in the label, centred over the panel.
  void CenterText(const String& text, TLabel* label);

private:
  void Build();
  TVersionBlock FBlock;
};

// The instance made at start-up; it keeps the version values for the cover.
extern TdlgAboutBox* dlgAboutBox;

// The program's version text as the cover shows it.
String ProgramProductVersion();
