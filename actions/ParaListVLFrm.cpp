#include "actions/ParaListVLFrm.h"

#include "actions/SymbolVLFrm.h"

#include "actions/VLALocalize.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLMarkerText.h"

#include <array>
#include <cmath>

// ---------------------------------------------------------------------------
// Number formats

TVLListFormatParse ParseListFormat(const AnsiString& Format) {
  TVLListFormatParse r;
  auto text = [&](const AnsiString& s) {
    if (!r.Tokens.empty() && r.Tokens.back().Level < 0) r.Tokens.back().Text += s;
    else r.Tokens.push_back({-1, s});
  };
  auto bad = [&](size_t pos) {
    if (r.Valid) r.ErrorPos = pos;
    r.Valid = false;
    text("%");
  };
  Integer next = 0;
  const size_t n = Format.size();
  for (size_t i = 0; i < n; ++i) {
    if (Format[i] != '%') {
      text(AnsiString(1, Format[i]));
      continue;
    }
    if (i + 1 < n && Format[i + 1] == '%') {
      text("%");
      ++i;
      continue;
    }
    size_t j = i + 1;
    Integer level = next;
    size_t k = j;
    Integer v = 0;
    while (k < n && std::isdigit(static_cast<unsigned char>(Format[k])) && v <= VLMaxListFormatLevel)
      v = v * 10 + (Format[k++] - '0');
    if (k > j) {
      if (k >= n || Format[k] != ':' || v > VLMaxListFormatLevel) {
        bad(i);
        continue;
      }
      level = v;
      j = k + 1;
    }
    if (j < n && (Format[j] == 's' || Format[j] == 'S') && level <= VLMaxListFormatLevel) {
      r.Tokens.push_back({level, AnsiString()});
      next = level + 1;
      i = j;
      continue;
    }
    bad(i);
  }
  return r;
}

String ListFormatToDisplay(const AnsiString& Format, Integer Level) {
  String s;
  for (const TVLListFormatToken& t : ParseListFormat(Format).Tokens) {
    if (t.Level < 0) s += t.Text;
    else if (t.Level <= Level) s += "<L" + std::to_string(t.Level + 1) + ">";
  }
  return s;
}

AnsiString DisplayToListFormat(const String& Text, Integer Level) {
  AnsiString r;
  const size_t n = Text.size();
  for (size_t i = 0; i < n; ++i) {
    if (Text[i] == '%') {
      r += "%%";
      continue;
    }
    if (Text.compare(i, 2, "<L") == 0) {
      size_t k = i + 2;
      Integer v = 0;
      while (k < n && std::isdigit(static_cast<unsigned char>(Text[k])) && v <= VLMaxListFormatLevel + 1)
        v = v * 10 + (Text[k++] - '0');
      if (k > i + 2 && k < n && Text[k] == '>' && v >= 1 && v <= Level + 1) {
        r += "%" + std::to_string(v - 1) + ":s";
        i = k;
        continue;
      }
    }
    r += Text[i];
  }
  return r;
}

// ---------------------------------------------------------------------------
// Bullet cells

namespace {

std::array<TBulletCharacter, 6>& Cells() {
  static std::array<TBulletCharacter, 6> cells;
  static bool filled = false;
  if (!filled) {
    filled = true;
    ResetBulletCharacters();
  }
  return cells;
}

// Halves to even, as the preview's indents are halved.
Integer Half(Integer v) { return static_cast<Integer>(std::nearbyint(v / 2.0)); }

bool OneChar(const AnsiString& s) { return s.size() == 1; }

}  // namespace

TBulletCharacter& BulletCharacters(Integer Index) { return Cells().at(static_cast<size_t>(Index)); }

void ResetBulletCharacters() {
  struct {
    const char* Font;
    TFontCharset Charset;
    char Character;
  } const initial[6] = {{"Symbol", 2, '\xB7'},    {"Courier New", 0, 'o'}, {"Wingdings", 2, '\xA7'},
                        {"Wingdings", 2, 'q'}, {"Wingdings", 2, 'v'},     {"Wingdings", 2, '\xFC'}};
  for (Integer i = 0; i < 6; ++i) {
    TBulletCharacter& c = Cells()[static_cast<size_t>(i)];
    c.Font = TFont();
    c.Font.SetName(initial[i].Font);
    c.Font.SetCharset(initial[i].Charset);
    c.Font.SetSize(12);
    c.Character = AnsiString(1, initial[i].Character);
    c.CharacterW.clear();
    c.IsUnicode = false;
  }
}

// ---------------------------------------------------------------------------

TfrmVLParaList::TfrmVLParaList(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLParaList");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 91600;
  SetClientWidth(600);
  SetClientHeight(520);
  vls = new TVLStyle(this);
  vls2 = new TVLStyle(this);
  vls2->TextStyles->Clear();
  TFontInfo* normal = vls2->TextStyles->Add();
  normal->StyleName = "Normal text";
  normal->FontName = "Small Fonts";
  normal->Size = 6;
  normal->Jump = true;
  TFontInfo* current = vls2->TextStyles->Add();
  current->StyleName = "CurrentText";
  current->FontName = "Small Fonts";
  current->Size = 6;
  current->Style = {fsBold};
  current->Color = clInfoText;
  current->BackColor = clInfoBk;
  vls2->ParaStyles->Clear();
  TParaInfo* para = vls2->ParaStyles->Add();
  para->StyleName = "Paragraph Style";
  para->Options = {vlpaoNoWrap};

  gbLevels = PutControl<TGroupBox>(this, this, "gbLevels", 8, 6, 132, 236);
  lstLevels = PutControl<TListBox>(this, gbLevels, "lstLevels", 10, 22, 112, 142);
  lblLevelCount = PutControl<TLabel>(this, gbLevels, "lblLevelCount", 10, 172, 112, 16);
  seLevels = PutControl<TVLSpinEdit>(this, gbLevels, "seLevels", 10, 192, 70, 24);
  seLevels->MinValue = 1;
  seLevels->MaxValue = 9;
  seLevels->SetValue(9);
  lblLevelCount->SetFocusControl(seLevels);

  gbListProperties = PutControl<TGroupBox>(this, this, "gbListProperties", 148, 6, 444, 236);
  lblNumber = PutControl<TLabel>(this, gbListProperties, "lblNumber", 10, 22, 180, 16);
  cmbNumbers = PutControl<TComboBox>(this, gbListProperties, "cmbNumbers", 10, 40, 180, 24);
  cmbNumbers->SetStyle(csDropDownList);
  for (const char* t : {"bullet", "1, 2, 3, ...", "I, II, III, ...", "i, ii, iii, ...", "A, B, C, ...",
                        "a, b, c, ...", "image"})
    cmbNumbers->Items().Add(t);
  lblNumber->SetFocusControl(cmbNumbers);
  for (Integer p = 0; p < 4; ++p) {
    nb[p] = PutControl<TPanel>(this, gbListProperties, ("nbPage" + std::to_string(p)).c_str(), 10, 70, 424, 156);
    nb[p]->SetBevelOuter(bvNone);
    nb[p]->SetVisible(p == 0);
  }
  // Bullet page.
  rgBullet = PutControl<TVLOfficeRadioGroup>(this, nb[0], "rgBullet", 0, 0, 240, 154);
  rgBullet->SetColumns(3);
  rgBullet->SetSquare(true);
  rgBullet->SetMargin(7);
  rgBullet->SetTextAreaHeight(7);
  for (int i = 0; i < 6; ++i) rgBullet->AddItem(" ");
  rgBullet->SetItemIndex(0);
  rgBullet->SetOnCustomDraw([](TVLOfficeRadioGroup*, Integer index, TCanvas* canvas, const TRect& r, bool&) {
    const TBulletCharacter& c = BulletCharacters(index);
    canvas->Font.Assign(c.Font);
    canvas->Brush.Style = bsClear;
    const WideString text =
        c.IsUnicode ? c.CharacterW : VLMarkerDisplayText(c.Character, c.Font.GetName(), 1252);
    const TSize size = canvas->TextExtentW(text);
    canvas->TextOutW(r.Left + (r.Right - r.Left - size.cx) / 2, r.Top + (r.Bottom - r.Top - size.cy) / 2, text);
  });
  rgBullet->OnClick = [this](TObject* s) { rgBulletClick(s); };
  rgBullet->OnDblClickItem = [this](TObject* s) { btnBulletClick(s); };
  btnBullet = PutControl<TButton>(this, nb[0], "btnBullet", 250, 0, 170, 28);
  btnBullet->OnClick = [this](TObject* s) { btnBulletClick(s); };
  btnFont = PutControl<TButton>(this, nb[0], "btnFont", 250, 34, 170, 28);
  btnFont->OnClick = [this](TObject* s) { btnFontClick(s); };
  // Number page.
  lblNumFormat = PutControl<TLabel>(this, nb[1], "lblNumFormat", 0, 0, 200, 16);
  txtNumbers = PutControl<TEdit>(this, nb[1], "txtNumbers", 0, 18, 200, 24);
  txtNumbers->OnChange = [this](TObject* s) { txtNumbersChange(s); };
  lblNumFormat->SetFocusControl(txtNumbers);
  btnNumberFont = PutControl<TButton>(this, nb[1], "btnNumberFont", 0, 50, 170, 28);
  btnNumberFont->OnClick = [this](TObject* s) { btnNumberFontClick(s); };
  gbNumber = PutControl<TGroupBox>(this, nb[1], "gbNumber", 210, 0, 212, 60);
  cmbLevel = PutControl<TComboBox>(this, gbNumber, "cmbLevel", 10, 24, 150, 24);
  cmbLevel->SetStyle(csDropDownList);
  cmbLevel->OnChange = [this](TObject* s) { cmbLevelClick(s); };
  btnInsert = PutControl<TButton>(this, gbNumber, "btnInsert", 166, 23, 36, 26);
  btnInsert->SetText("+");
  btnInsert->SetEnabled(false);
  btnInsert->OnClick = [this](TObject* s) { btnInsertClick(s); };
  lblStartAt = PutControl<TLabel>(this, nb[1], "lblStartAt", 0, 90, 330, 16);
  seStartAt = PutControl<TVLSpinEdit>(this, nb[1], "seStartAt", 0, 110, 80, 24);
  seStartAt->MaxValue = 1000;
  seStartAt->SetValue(1);
  seStartAt->OnChange = [this](TObject* s) { seStartAtChange(s); };
  lblStartAt->SetFocusControl(seStartAt);
  lblStartAt->SetVisible(false);
  seStartAt->SetVisible(false);
  // Image page.
  Panel1 = PutControl<TPanel>(this, nb[2], "Panel1", 0, 0, 100, 100);
  img = PutControl<TImage>(this, Panel1, "img", 2, 2, 96, 96);
  img->SetCenter(true);
  img->OnDblClick = [this](TObject* s) { btnImageClick(s); };
  btnImage = PutControl<TButton>(this, nb[2], "btnImage", 110, 0, 170, 28);
  btnImage->OnClick = [this](TObject* s) { btnImageClick(s); };

  gbListTextPos = PutControl<TGroupBox>(this, this, "gbListTextPos", 8, 248, 288, 96);
  cmbMarkerAlign = PutControl<TComboBox>(this, gbListTextPos, "cmbMarkerAlign", 10, 24, 268, 24);
  cmbMarkerAlign->SetStyle(csDropDownList);
  for (int i = 0; i < 3; ++i) cmbMarkerAlign->Items().Add("");
  cmbMarkerAlign->OnChange = [this](TObject* s) { cmbMarkerAlignClick(s); };
  lblAt = PutControl<TLabel>(this, gbListTextPos, "lblAt", 10, 62, 120, 16);
  seMarkerIndent = PutControl<TVLSpinEdit>(this, gbListTextPos, "seMarkerIndent", 140, 58, 80, 24);
  seMarkerIndent->MaxValue = 1000;
  lblAt->SetFocusControl(seMarkerIndent);

  gbTextPos = PutControl<TGroupBox>(this, this, "gbTextPos", 304, 248, 288, 96);
  lblLI = PutControl<TLabel>(this, gbTextPos, "lblLI", 10, 26, 170, 16);
  seLeftIndent = PutControl<TVLSpinEdit>(this, gbTextPos, "seLeftIndent", 190, 22, 80, 24);
  seLeftIndent->MaxValue = 1000;
  lblLI->SetFocusControl(seLeftIndent);
  lblFI = PutControl<TLabel>(this, gbTextPos, "lblFI", 10, 54, 170, 16);
  seFirstIndent = PutControl<TVLSpinEdit>(this, gbTextPos, "seFirstIndent", 190, 50, 80, 24);
  seFirstIndent->MaxValue = 1000;
  lblFI->SetFocusControl(seFirstIndent);
  lblFLI = PutControl<TLabel>(this, gbTextPos, "lblFLI", 10, 76, 260, 16);
  for (TVLSpinEdit* se : {seMarkerIndent, seLeftIndent, seFirstIndent})
    se->OnChange = [this](TObject* s) { seIndentChange(s); };

  gbPreview = PutControl<TGroupBox>(this, this, "gbPreview", 8, 350, 584, 126);
  vl = PutControl<TVellum>(this, gbPreview, "vl", 10, 20, 564, 96);
  vl->SetStyle(vls2);
  vl->TabStop = false;
  vl->SetVScrollVisible(false);
  vl->SetHScrollVisible(false);
  vl->OnJump = [this](TObject* s, Integer id) { vlJump(s, id); };

  cbOneLevelPreview = PutControl<TCheckBox>(this, this, "cbOneLevelPreview", 8, 486, 300, 24);
  btnOk = PutControl<TButton>(this, this, "btnOk", 416, 484, 84, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 508, 484, 84, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;

  lstLevels->OnClick = [this](TObject* s) { lstLevelsClick(s); };
  seLevels->OnChange = [this](TObject* s) { seLevelsChange(s); };
  cmbNumbers->OnChange = [this](TObject* s) { cmbNumbersClick(s); };
}

void TfrmVLParaList::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  SetFormCaption(LanguageText(433));
  gbLevels->SetText(LanguageTextPadded(434));
  lblLevelCount->SetText(LanguageText(435));
  gbListProperties->SetText(LanguageTextPadded(436));
  lblNumber->SetText(LanguageText(437));
  lblNumFormat->SetText(LanguageText(441));
  gbNumber->SetText(LanguageTextPadded(442));
  lblStartAt->SetText(LanguageText(443));
  btnNumberFont->SetText(LanguageText(444));
  btnFont->SetText(LanguageText(444));
  btnBullet->SetText(LanguageText(447));
  const int type = cmbNumbers->GetItemIndex();
  cmbNumbers->Items().Put(0, LanguageText(438));
  cmbNumbers->Items().Put(6, LanguageText(439));
  cmbNumbers->SetItemIndex(type);
  gbListTextPos->SetText(LanguageTextPadded(448));
  gbTextPos->SetText(LanguageTextPadded(452));
  lblLI->SetText(LanguageText(454));
  lblFI->SetText(LanguageText(455));
  lblFLI->SetText(LanguageText(456));
  cbOneLevelPreview->SetText(LanguageText(457));
  btnImage->SetText(LanguageText(445));
  gbPreview->SetText(LanguageTextPadded(458));
  lblAt->SetText(LanguageText(453));
  const int align = cmbMarkerAlign->GetItemIndex();
  for (int i = 0; i < 3; ++i) cmbMarkerAlign->Items().Put(i, LanguageText(static_cast<Word>(460 + i)));
  cmbMarkerAlign->SetItemIndex(align);
  const String hint = LanguageText(440);
  btnInsert->SetHint(hint.substr(0, hint.find('|')));
}

TVLListInfo& TfrmVLParaList::Working() { return *vls->ListStyles->Items(0); }

TVLListLevel& TfrmVLParaList::Level(Integer L) { return *Working().Levels->Items(L); }

Integer TfrmVLParaList::CurrentLevel() const { return std::max(0, lstLevels->GetItemIndex()); }

void TfrmVLParaList::FillLevelList(Integer Count) {
  lstLevels->Items().Clear();
  for (Integer i = 1; i <= Count; ++i) lstLevels->Items().Add(std::to_string(i));
}

void TfrmVLParaList::SetListInfo(const TVLListInfo& ListInfo) {
  lstLevels->OnClick = nullptr;
  auto seChange = std::move(seLevels->OnChange);
  seLevels->OnChange = nullptr;
  struct TReattach {
    TfrmVLParaList* F;
    TNotifyEvent Se;
    ~TReattach() {
      F->lstLevels->OnClick = [f = F](TObject* s) { f->lstLevelsClick(s); };
      F->seLevels->OnChange = Se;
    }
  } reattach{this, seChange};
  vls->ListStyles->Clear();
  TVLListInfo* copy = vls->ListStyles->Add();
  copy->Assign(&ListInfo);
  if (copy->Levels->Count() == 0) copy->Levels->Add();
  const Integer count = copy->Levels->Count();
  seLevels->MaxValue = std::max<Integer>(9, count);
  seLevels->SetValue(count);
  FillLevelList(count);
  lstLevels->SetItemIndex(0);
  ShowLevel(0);
  cbOneLevelPreview->SetChecked(ListInfo.OneLevelPreview);
}

void TfrmVLParaList::GetListInfo(TVLListInfo& ListInfo) {
  ListInfo.Assign(&Working());
  ListInfo.OneLevelPreview = cbOneLevelPreview->GetChecked();
}

void TfrmVLParaList::ShowLevel(Integer L) {
  int entry = -1;
  switch (Level(L).ListType) {
    case vllstBullet:
    case vllstUnicodeBullet: entry = 0; break;
    case vllstDecimal: entry = 1; break;
    case vllstUpperRoman: entry = 2; break;
    case vllstLowerRoman: entry = 3; break;
    case vllstUpperAlpha: entry = 4; break;
    case vllstLowerAlpha: entry = 5; break;
    case vllstPicture: entry = 6; break;
    default: break;
  }
  const bool updating = FUpdating;
  FUpdating = true;
  cmbNumbers->SetItemIndex(entry);
  FUpdating = updating;
  ShowLevelProperties(L);
}

void TfrmVLParaList::ShowPage(Integer Page) {
  for (Integer p = 0; p < 4; ++p) nb[p]->SetVisible(p == Page);
}

void TfrmVLParaList::ShowLevelProperties(Integer L) {
  {
    FUpdating = true;
    struct TDone {
      bool& U;
      ~TDone() { U = false; }
    } done{FUpdating};
    TVLListLevel& lv = Level(L);
    switch (lv.ListType) {
      case vllstBullet:
      case vllstUnicodeBullet: {
        if (FLastBulletIndex < 0) FLastBulletIndex = 5;
        TBulletCharacter& cell = BulletCharacters(FLastBulletIndex);
        cell.Font.Assign(*lv.GetFont());
        if (lv.ListType == vllstUnicodeBullet) {
          if (lv.FormatStringW.size() == 1) cell.CharacterW = lv.FormatStringW;
          else lv.FormatStringW = cell.CharacterW;
          cell.IsUnicode = true;
        } else {
          if (OneChar(lv.FormatString)) cell.Character = lv.FormatString;
          else lv.FormatString = cell.Character;
          cell.IsUnicode = false;
        }
        rgBullet->SetItemIndex(FLastBulletIndex);
        rgBullet->Invalidate();
        ShowPage(0);
        gbListTextPos->SetText(LanguageTextPadded(449));
        break;
      }
      case vllstPicture:
        img->Picture().Assign(lv.PictureOrNil());
        ShowPage(2);
        gbListTextPos->SetText(LanguageTextPadded(451));
        break;
      case vllstDecimal:
      case vllstLowerAlpha:
      case vllstUpperAlpha:
      case vllstLowerRoman:
      case vllstUpperRoman: {
        txtNumbers->SetText(ListFormatToDisplay(lv.FormatString, L));
        txtNumbers->Font.Assign(*lv.GetFont());
        txtNumbers->Font.SetSize(8);
        txtNumbers->Font.SetColor(clWindowText);
        cmbLevel->Items().Clear();
        for (Integer i = 1; i <= L; ++i) cmbLevel->Items().Add(FormatLanguageText(463, {i}));
        cmbLevel->Items().Add(LanguageText(464));
        cmbLevel->SetItemIndex(-1);
        btnInsert->SetEnabled(false);
        seStartAt->SetValue(lv.StartFrom);
        seStartAt->SetVisible(lv.StartFrom != 1);
        lblStartAt->SetVisible(lv.StartFrom != 1);
        ShowPage(1);
        gbListTextPos->SetText(LanguageTextPadded(450));
        break;
      }
      default: ShowPage(3); break;
    }
    cmbMarkerAlign->SetItemIndex(static_cast<int>(lv.MarkerAlignment));
    seMarkerIndent->SetValue(lv.MarkerIndent);
    seLeftIndent->SetValue(lv.LeftIndent);
    seFirstIndent->SetValue(lv.FirstIndent);
  }
  UpdatePreview();
}

void TfrmVLParaList::lstLevelsClick(TObject*) {
  const Integer L = CurrentLevel();
  FLastBulletChar.clear();
  FLastBulletFontName.clear();
  FLastBulletIndex = 5;
  FLastNumberFormat = "%" + std::to_string(L) + ":s.";
  FLastNumberFontName = "Arial";
  FLastNumberCharset = 0;
  ShowLevel(L);
}

void TfrmVLParaList::seLevelsChange(TObject*) {
  lstLevels->OnClick = nullptr;
  struct TReattach {
    TfrmVLParaList* F;
    ~TReattach() {
      F->lstLevels->OnClick = [f = F](TObject* s) { f->lstLevelsClick(s); };
    }
  } reattach{this};
  if (seLevels->GetIndeterminate()) return;
  Integer selected = lstLevels->GetItemIndex();
  const Integer n = std::clamp<Integer>(seLevels->AsInteger(), 1, std::max<Integer>(1, static_cast<Integer>(seLevels->MaxValue)));
  FillLevelList(n);
  // Levels are only ever added: a lower count hides the deeper ones.
  while (Working().Levels->Count() < n) Working().Levels->Add();
  if (selected < 0) selected = 0;
  if (selected >= n) selected = n - 1;
  lstLevels->SetItemIndex(selected);
  ShowLevel(selected);
}

void TfrmVLParaList::cmbNumbersClick(TObject*) {
  if (FUpdating) return;
  const Integer L = CurrentLevel();
  TVLListLevel& lv = Level(L);
  const int entry = cmbNumbers->GetItemIndex();
  const bool bullet = lv.ListType == vllstBullet || lv.ListType == vllstUnicodeBullet;
  if (lv.HasNumbering()) {
    FLastNumberFormat = lv.FormatString;
    FLastNumberFontName = lv.GetFont()->GetName();
    FLastNumberCharset = lv.GetFont()->GetCharset();
  }
  if (bullet) {
    FLastBulletChar = OneChar(lv.FormatString) ? lv.FormatString : AnsiString();
    FLastBulletFontName = lv.GetFont()->GetName();
    FLastBulletCharset = lv.GetFont()->GetCharset();
    FLastBulletIndex = rgBullet->GetItemIndex();
    FLastBulletIsUnicode = lv.ListType == vllstUnicodeBullet;
  }
  if (!lv.HasNumbering() && entry >= 1 && entry <= 5) {
    if (!FLastNumberFormat.empty()) lv.FormatString = FLastNumberFormat;
    if (!FLastNumberFontName.empty()) {
      lv.GetFont()->SetName(FLastNumberFontName);
      lv.GetFont()->SetCharset(FLastNumberCharset);
    }
  }
  static const TVLListType types[] = {vllstBullet,     vllstDecimal,    vllstUpperRoman, vllstLowerRoman,
                                      vllstUpperAlpha, vllstLowerAlpha, vllstPicture};
  if (entry == 0) {
    if (bullet) return;
    if (lv.HasNumbering() || !OneChar(lv.FormatString)) {
      lv.FormatString = FLastBulletChar.empty() ? AnsiString(1, '\xB7') : FLastBulletChar;
      if (!FLastBulletFontName.empty()) {
        lv.GetFont()->SetName(FLastBulletFontName);
        lv.GetFont()->SetCharset(FLastBulletCharset);
      }
    }
    if (lv.FormatStringW.size() != 1) lv.FormatStringW.assign(1, char16_t(0x00B7));
    lv.ListType = FLastBulletIsUnicode ? vllstUnicodeBullet : vllstBullet;
  } else if (entry >= 1 && entry <= 6) {
    lv.ListType = types[entry];
  }
  ShowLevelProperties(L);
}

void TfrmVLParaList::rgBulletClick(TObject*) {
  if (FUpdating) return;
  const Integer index = rgBullet->GetItemIndex();
  if (index < 0) return;
  TVLListLevel& lv = Level(CurrentLevel());
  const TBulletCharacter& cell = BulletCharacters(index);
  lv.SetFont(&cell.Font);
  if (cell.IsUnicode) {
    lv.FormatStringW = cell.CharacterW;
    lv.ListType = vllstUnicodeBullet;
  } else {
    lv.FormatString = cell.Character;
    lv.ListType = vllstBullet;
  }
  UpdatePreview();
}

void TfrmVLParaList::btnBulletClick(TObject*) {
  const Integer index = std::max(0, rgBullet->GetItemIndex());
  TBulletCharacter& cell = BulletCharacters(index);
  std::unique_ptr<TfrmVLInsertSymbol> dlg(CreateVLForm<TfrmVLInsertSymbol>(Application));
  dlg->btnOk->SetText(LanguageText(195));
  dlg->SetText(LanguageText(465));
  dlg->HelpContext = 90501;
  if (cell.IsUnicode) {
    dlg->Init(cell.CharacterW.empty() ? 0 : static_cast<Word>(cell.CharacterW[0]), cell.Font.GetName(), DEFAULT_CHARSET);
  } else {
    const TFontCharset charset = cell.Font.GetCharset() == DEFAULT_CHARSET ? ANSI_CHARSET : cell.Font.GetCharset();
    dlg->Init(cell.Character.empty() ? 0 : static_cast<Byte>(cell.Character[0]), cell.Font.GetName(), charset);
  }
  if (dlg->ShowModal() != mrOk) return;
  Word code = 0;
  String fontName;
  TFontCharset charset = 0;
  dlg->GetResult(code, fontName, charset);
  cell.Font.SetName(fontName);
  cell.Font.SetCharset(charset);
  cell.IsUnicode = charset == DEFAULT_CHARSET;
  TVLListLevel& lv = Level(CurrentLevel());
  lv.SetFont(&cell.Font);
  if (cell.IsUnicode) {
    cell.CharacterW = WideString(1, static_cast<char16_t>(code));
    lv.FormatStringW = cell.CharacterW;
    lv.ListType = vllstUnicodeBullet;
  } else {
    cell.Character = AnsiString(1, static_cast<char>(code & 0xFF));
    lv.FormatString = cell.Character;
    lv.ListType = vllstBullet;
  }
  rgBullet->Invalidate();
  UpdatePreview();
}

void TfrmVLParaList::btnFontClick(TObject*) {
  const Integer index = std::max(0, rgBullet->GetItemIndex());
  TBulletCharacter& cell = BulletCharacters(index);
  TFontDialog fd(this);
  fd.Font.Assign(cell.Font);
  if (!fd.Execute()) return;
  cell.Font.Assign(fd.Font);
  Level(CurrentLevel()).SetFont(&fd.Font);
  rgBullet->Invalidate();
  UpdatePreview();
}

void TfrmVLParaList::btnNumberFontClick(TObject*) {
  TVLListLevel& lv = Level(CurrentLevel());
  TFontDialog fd(this);
  fd.Font.Assign(*lv.GetFont());
  if (!fd.Execute()) return;
  lv.SetFont(&fd.Font);
  txtNumbers->Font.Assign(fd.Font);
  txtNumbers->Font.SetSize(8);
  txtNumbers->Font.SetColor(clWindowText);
  UpdatePreview();
}

void TfrmVLParaList::txtNumbersChange(TObject*) {
  if (FUpdating) return;
  const Integer L = CurrentLevel();
  Level(L).FormatString = DisplayToListFormat(txtNumbers->GetText(), L);
  UpdatePreview();
}

void TfrmVLParaList::cmbLevelClick(TObject*) { btnInsert->SetEnabled(cmbLevel->GetItemIndex() >= 0); }

void TfrmVLParaList::btnInsertClick(TObject*) {
  const int i = cmbLevel->GetItemIndex();
  if (i < 0) return;
  const String text = "<L" + std::to_string(i + 1) + ">";
  const int at = txtNumbers->GetSelStart();
  SetEditSelText(txtNumbers, text);
  txtNumbers->SetFocus();
  txtNumbers->SetSelStart(at);
  txtNumbers->SetSelLength(static_cast<int>(text.size()));
}

void TfrmVLParaList::seStartAtChange(TObject*) {
  if (FUpdating || seStartAt->GetIndeterminate()) return;
  Level(CurrentLevel()).StartFrom = seStartAt->AsInteger();
  UpdatePreview();
}

void TfrmVLParaList::cmbMarkerAlignClick(TObject*) {
  if (FUpdating) return;
  const int i = cmbMarkerAlign->GetItemIndex();
  if (i < 0) return;
  Level(CurrentLevel()).MarkerAlignment = static_cast<TVLMarkerAlignment>(i);
  UpdatePreview();
}

void TfrmVLParaList::seIndentChange(TObject* Sender) {
  if (FUpdating) return;
  auto* se = dynamic_cast<TVLSpinEdit*>(Sender);
  if (!se || se->GetIndeterminate()) return;
  TVLListLevel& lv = Level(CurrentLevel());
  if (se == seMarkerIndent) lv.MarkerIndent = se->AsInteger();
  else if (se == seLeftIndent) lv.LeftIndent = se->AsInteger();
  else if (se == seFirstIndent) lv.FirstIndent = se->AsInteger();
  UpdatePreview();
}

void TfrmVLParaList::btnImageClick(TObject*) {
  TOpenPictureDialog dialog(this);
  dialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  if (!dialog.Execute()) return;
  std::unique_ptr<TGraphic> g = LoadChosenPicture(dialog.FileName, MB_ICONERROR);
  if (!g) return;
  img->Picture().SetGraphic(g.get());
  TPicture picture;
  picture.SetGraphic(g.get());
  Level(CurrentLevel()).SetPicture(&picture);
  UpdatePreview();
}

void TfrmVLParaList::vlJump(TObject*, Integer Id) {
  const Integer item = vl->GetJumpPointItemNo(Id);
  if (item < 0 || item >= vl->ItemCount()) return;
  const Integer level = vl->VLData()->GetItemTag(item).Int;
  if (level < 0 || level >= lstLevels->Items().Count()) return;
  lstLevels->SetItemIndex(level);
  lstLevelsClick(lstLevels);
}

void TfrmVLParaList::UpdatePreview() {
  if (FUpdating || vls->ListStyles->Count() == 0) return;
  vl->Clear();
  vls2->ListStyles->Assign(vls->ListStyles.get());
  for (Integer i = 0; i < vls2->TextStyles->Count(); ++i)
    vls2->TextStyles->Items(i)->Charset = GetLanguageCharset();
  TVLListInfo* list = vls2->ListStyles->Items(0);
  for (Integer i = 0; i < list->Levels->Count(); ++i) {
    TVLListLevel* lv = list->Levels->Items(i);
    lv->LeftIndent = Half(lv->LeftIndent);
    lv->FirstIndent = Half(lv->FirstIndent);
    lv->MarkerIndent = Half(lv->MarkerIndent);
  }
  const Integer n = std::min<Integer>(seLevels->GetIndeterminate() ? 1 : seLevels->AsInteger(), list->Levels->Count());
  const AnsiString text = GetLanguageString(459);
  TVellumVLData* d = vl->VLData();
  for (Integer i = 0; i < n; ++i) {
    d->SetListMarker(-1, 0, i, 1, 0, false);
    const Integer style = i == lstLevels->GetItemIndex() ? 1 : 0;
    d->AddTextItemTag(text, style, -1, TVLTag{i, {}});
    d->SetAddParagraphMode(false);
    d->AddTextItemTag(text, style, 0, TVLTag{i, {}});
    d->SetAddParagraphMode(true);
  }
  vl->Format();
}
