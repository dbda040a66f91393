#include "app/QYAbout.h"

#include "app/QYDatabase.h"
#include "app/QYFormBuild.h"

#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include <algorithm>

TdlgAboutBox* dlgAboutBox = nullptr;

namespace {
const char* const ContactLines[4] = {"P.O. Box 1207", "Harrowgate, North Yorkshire HG1 2XQ",
                                     "www.brixane.example", "quillory@brixane.example"};

const char* const BuiltWith =
    "Built with:\r\n"
    "Qt 6 widgets and printing\r\n"
    "SQLCipher encrypted storage\r\n"
    "libjpeg-turbo\r\n"
    "Liberation and DejaVu fonts";
}  // namespace

String ProgramProductVersion() {
  if (dlgAboutBox) return dlgAboutBox->ProductVersion;
  String v;
  QueryVersionValue(ProgramVersionBlock(), "ProductVersion", v);
  return v;
}

TdlgAboutBox::TdlgAboutBox(TComponent* AOwner) : TdlgAboutBox(AOwner, ProgramVersionBlock()) {}

TdlgAboutBox::TdlgAboutBox(TComponent* AOwner, const TVersionBlock& block)
    : TForm(AOwner), FBlock(block) {
  if (!dlgAboutBox) dlgAboutBox = this;
  Build();
  OnCreate = [this](TObject* s) { FormCreate(s); };
}

TdlgAboutBox::~TdlgAboutBox() {
  if (dlgAboutBox == this) dlgAboutBox = nullptr;
}

void TdlgAboutBox::Build() {
  SetName("dlgAboutBox");
  SetCaption("About Brixane Quillory");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  // Wide enough for the title bar to show the caption whole.
  const int width = std::max(380, CaptionFitWidth(GetCaption()));
  SetWidth(width);
  SetHeight(420);

  Panel = MakeControl<TPanel>(this, this, "Panel", 8, 8, width - 16, 250);
  Panel->SetBevelOuter(bvLowered);
  Panel->SetCaption("");
  ProgramIcon = MakeControl<TImage>(this, Panel, "ProgramIcon", (width - 16) / 2 - 32, 10, 64, 64);
  const String programDir =
      DatabaseFolders.ProgramDir.empty() ? GetProgramDataFolder() : DatabaseFolders.ProgramDir;
  const String iconPath = programDir + "/icons/quillory.ico";
  if (FileExists(iconPath)) {
    try {
      ProgramIcon->Picture().LoadFromFile(iconPath);
    } catch (const Exception&) {
      // The box is complete without its icon.
    }
  }

  TLabel** labels[] = {&lCompanyName,   &lProductName, &lCopyright,   &lPostOfficeBox,
                       &lCityStateZip, &lWebSite,     &lEMailAddress};
  const char* names[] = {"lCompanyName",  "lProductName", "lCopyright",   "lPostOfficeBox",
                         "lCityStateZip", "lWebSite",     "lEMailAddress"};
  int top = 84;
  for (int i = 0; i < 7; ++i) {
    *labels[i] = MakeControl<TLabel>(this, Panel, names[i], 0, top, 10, 18);
    top += i == 2 ? 30 : 22;
  }
  lProductName->Font.SetSize(12);
  lProductName->Font.SetStyle(TFontStyles{fsBold});

  Memo1 = MakeControl<TMemo>(this, this, "Memo1", 8, 266, width - 16, 104);
  Memo1->SetReadOnly(true);
  Memo1->SetAlignment(taCenter);
  Memo1->SetText(NormalizeLineBreaks(BuiltWith));

  OKButton = MakeControl<TButton>(this, this, "OKButton", width / 2 - 40, 380, 80, 30);
  OKButton->SetCaption("OK");
  OKButton->SetDefault(true);
  // Nothing to cancel: Escape closes the box as OK does.
  OKButton->Cancel = true;
  OKButton->ModalResult = mrOk;
  OKButton->OnClick = [this](TObject* s) { OKButtonClick(s); };
}

void TdlgAboutBox::FormCreate(TObject*) {
  String* fields[] = {&CompanyName,    &FileDescription,  &FileVersion, &InternalName,
                      &LegalCopyright, &LegalTradeMarks,  &OriginalFileName, &ProductName,
                      &ProductVersion, &Comments};
  for (int i = 0; i < 10; ++i) QueryVersionValue(FBlock, VersionValueNames[i], *fields[i]);

  CenterText(CompanyName, lCompanyName);
  CenterText(ProductName + " " + ProductVersion, lProductName);
  CenterText(LegalCopyright, lCopyright);
  CenterText(ContactLines[0], lPostOfficeBox);
  CenterText(ContactLines[1], lCityStateZip);
  CenterText(ContactLines[2], lWebSite);
  CenterText(ContactLines[3], lEMailAddress);
}

void TdlgAboutBox::CenterText(const String& text, TLabel* label) {
  label->SetCaption(text);
  label->SetLeft(Panel->GetWidth() / 2 - label->GetWidth() / 2);
}

void TdlgAboutBox::OKButtonClick(TObject*) { ModalResult = mrOk; }
