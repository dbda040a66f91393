#include "actions/ListGalleryVLFrm.h"

#include "actions/ParaListVLFrm.h"
#include "actions/VLALocalize.h"
#include "richtext/model/VLData.h"
#include "richtext/view/VLReport.h"

#include <QImage>
#include <algorithm>
#include <charconv>
#include <functional>
#include <QPainter>
#include <cmath>

namespace {

constexpr Integer ImageWidth = 67, ImageHeight = 93;

// ---------------------------------------------------------------------------
// The factory presets

void StandardLevel(TVLListLevel* L, Integer n) {
  L->FirstIndent = 0;
  L->LeftIndent = 24 + 48 * n;
  L->MarkerIndent = 48 * n;
  L->Options = {vlloContinuous, vlloLevelReset};
  L->StartFrom = 1;
}

TVLListInfo* NewPreset(TVLStyle& Sheet, Integer Number, bool OneLevelPreview) {
  TVLListInfo* list = Sheet.ListStyles->Add();
  list->StyleName = std::to_string(Number);
  list->OneLevelPreview = OneLevelPreview;
  return list;
}

// A bullet: 'S' Symbol, 'W' Wingdings, 'C' Courier New, 'c' Courier.
struct TBullet {
  char Font;
  unsigned char Code;
};

void SetBullet(TVLListLevel* L, TBullet b) {
  TVLMarkerFont* f = L->GetFont();
  switch (b.Font) {
    case 'S': f->SetName("Symbol"); break;
    case 'W': f->SetName("Wingdings"); break;
    case 'C': f->SetName("Courier New"); break;
    default: f->SetName("Courier"); break;
  }
  f->SetCharset(b.Font == 'S' || b.Font == 'W' ? 2 : 0);
  f->SetHeight(-16);
  L->ListType = vllstBullet;
  L->FormatString = AnsiString(1, static_cast<char>(b.Code));
}

// A small picture bullet: a shaded ball in Colour on white.
void PictureLevel(TVLListLevel* L, Integer Size, TPixelFormat Format, QColor Colour) {
  QImage image(Size, Size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(Colour.darker(140));
  p.drawEllipse(QRectF(1, 1, Size - 2, Size - 2));
  p.setBrush(Colour);
  p.drawEllipse(QRectF(1.5, 1.5, Size - 4.5, Size - 4.5));
  p.setBrush(Colour.lighter(160));
  p.drawEllipse(QRectF(Size * 0.3, Size * 0.25, Size * 0.25, Size * 0.25));
  p.end();
  TBitmap bitmap;
  bitmap.SetImage(image);
  bitmap.SetPixelFormat(Format);
  TPicture picture;
  picture.SetGraphic(&bitmap);
  L->SetPicture(&picture);
  L->ListType = vllstPicture;
  L->FormatString = "-";
}

void FillBulleted(TVLStyle& Sheet) {
  const TBullet W76{'W', 0x76}, WD8{'W', 0xD8}, WA7{'W', 0xA7}, SB7{'S', 0xB7}, SA8{'S', 0xA8}, C6F{'C', 0x6F},
      W71{'W', 0x71}, WFC{'W', 0xFC};
  const TBullet three[9] = {W71, WA7, SB7, C6F, WA7, SB7, C6F, WA7, SB7};
  const TBullet table[5][9] = {
      {W76, WD8, WA7, SB7, SA8, WD8, WA7, SB7, SA8},
      {SB7, C6F, WA7, SB7, C6F, WA7, SB7, C6F, WA7},
      {W71, WA7, SB7, C6F, WA7, SB7, C6F, WA7, SB7},
      {WFC, three[1], three[2], three[3], three[4], three[5], three[6], three[7], three[8]},
      {WD8, three[1], three[2], three[3], three[4], three[5], {'c', 0x6F}, three[7], three[8]},
  };
  for (Integer p = 0; p < 5; ++p) {
    TVLListInfo* list = NewPreset(Sheet, p + 1, true);
    for (Integer n = 0; n < 9; ++n) {
      TVLListLevel* L = list->Levels->Add();
      StandardLevel(L, n);
      SetBullet(L, table[p][n]);
    }
    if (p == 4) list->Levels->Items(1)->Options = {vlloContinuous, vlloLevelReset, vlloLegalStyleNumbering};
  }
  TVLListInfo* six = NewPreset(Sheet, 6, true);
  for (Integer n = 0; n < 3; ++n) {
    TVLListLevel* L = six->Levels->Add();
    StandardLevel(L, n);
    PictureLevel(L, 11, pf8bit, n == 0 ? QColor(0x1F, 0x5F, 0xBF) : n == 1 ? QColor(0x2F, 0x8F, 0x3F) : QColor(0xBF, 0x5F, 0x1F));
  }
  TVLListInfo* seven = NewPreset(Sheet, 7, true);
  const Integer left[8] = {24, 72, 72, 120, 120, 168, 168, 216};
  const Integer marker[8] = {0, 48, 48, 96, 96, 144, 144, 192};
  for (Integer n = 0; n < 8; ++n) {
    TVLListLevel* L = seven->Levels->Add();
    StandardLevel(L, n);
    L->LeftIndent = left[n];
    L->MarkerIndent = marker[n];
    PictureLevel(L, 16, pf4bit, n % 2 ? QColor(0x00, 0x80, 0x80) : QColor(0x80, 0x00, 0x80));
  }
}

AnsiString Ref(Integer n) { return "%" + std::to_string(n) + ":s"; }

void FillNumbered(TVLStyle& Sheet) {
  struct TLevel {
    TVLListType Type;
    const char* Before;
    const char* After;
  };
  auto preset = [&](Integer number, bool oneLevel, bool shifted, const std::function<TLevel(Integer)>& level) {
    TVLListInfo* list = NewPreset(Sheet, number, oneLevel);
    for (Integer n = 0; n < 9; ++n) {
      TVLListLevel* L = list->Levels->Add();
      StandardLevel(L, n);
      if (shifted) {
        L->FirstIndent = 24;
        L->LeftIndent = 48 * n;
        L->MarkerIndent = 48 * n;
      }
      L->GetFont()->SetHeight(-13);
      const TLevel t = level(n);
      L->ListType = t.Type;
      L->FormatString = t.Before + Ref(n) + t.After;
    }
    return list;
  };
  TVLListInfo* first = preset(1, false, false, [](Integer) { return TLevel{vllstDecimal, "", "."}; });
  // Each level shows the counters of all the levels above it.
  for (Integer n = 0; n < 9; ++n) {
    AnsiString f;
    for (Integer k = 0; k <= n; ++k) f += Ref(k) + ".";
    first->Levels->Items(n)->FormatString = f;
  }
  preset(2, true, false, [](Integer) { return TLevel{vllstDecimal, "", "."}; });
  preset(3, true, true, [](Integer) { return TLevel{vllstDecimal, "", "."}; });
  preset(4, false, false, [](Integer n) {
    const TVLListType types[3] = {vllstDecimal, vllstLowerAlpha, vllstLowerRoman};
    return n < 3 ? TLevel{types[n % 3], "", ")"} : n < 6 ? TLevel{types[n % 3], "(", ")"} : TLevel{types[n % 3], "", "."};
  });
  preset(5, false, true, [](Integer n) {
    const TLevel levels[9] = {{vllstUpperRoman, "", "."}, {vllstUpperAlpha, "", "."}, {vllstDecimal, "", "."},
                              {vllstLowerAlpha, "", ")"}, {vllstDecimal, "(", ")"},   {vllstLowerAlpha, "(", ")"},
                              {vllstLowerRoman, "(", ")"}, {vllstLowerAlpha, "(", ")"}, {vllstLowerRoman, "(", ")"}};
    return levels[n];
  });
  TVLListInfo* six = preset(6, true, false, [](Integer) { return TLevel{vllstLowerAlpha, "", ")"}; });
  six->Levels->Items(1)->Options = {vlloContinuous, vlloLevelReset, vlloLegalStyleNumbering};
  preset(7, true, false, [](Integer) { return TLevel{vllstDecimal, "", ")"}; });
}

std::unique_ptr<TVLStyle>& Store(Integer Page) {
  static std::unique_ptr<TVLStyle> stores[2];
  return stores[Page == 0 ? 0 : 1];
}

// The slot a document list's name points at: "1" to "7"; any other name,
// a number outside the taken included, counts as the last one.
Integer SlotOfName(const String& Name) {
  Integer value = 0;
  const char* end = Name.data() + Name.size();
  auto [ptr, ec] = std::from_chars(Name.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 1 || value > VLListPresetCount) return VLListPresetCount - 1;
  return value - 1;
}

Integer Half(Integer v) { return static_cast<Integer>(std::nearbyint(v / 2.0)); }

}  // namespace

void VLFillListTemplates(TVLStyle& Sheet, Integer Page) {
  Sheet.TextStyles->Clear();
  TFontInfo* text = Sheet.TextStyles->Add();
  text->StyleName = "Normal text";
  text->FontName = "Arial";
  text->Size = 6;
  text->Style = {fsBold};
  text->Color = clBtnShadow;
  text->BackColor = clBtnFace;
  text->CharSpacing = -1;
  Sheet.ParaStyles->Clear();
  TParaInfo* para = Sheet.ParaStyles->Add();
  para->StyleName = "Paragraph Style";
  para->LineSpacing = 2;
  para->LineSpacingType = vllsSpaceBetween;
  para->Options = {vlpaoNoWrap};
  Sheet.ListStyles->Clear();
  if (Page == 0) FillBulleted(Sheet);
  else FillNumbered(Sheet);
}

TVLStyle& VLListPresetStore(Integer Page) {
  std::unique_ptr<TVLStyle>& store = Store(Page);
  if (!store) {
    TVLStyle factory(nullptr);
    VLFillListTemplates(factory, Page);
    store = std::make_unique<TVLStyle>(nullptr);
    store->TextStyles->Clear();
    store->ParaStyles->Clear();
    store->ListStyles->Assign(factory.ListStyles.get());
  }
  return *store;
}

void VLResetListPresetStore() {
  Store(0).reset();
  Store(1).reset();
}

// ---------------------------------------------------------------------------

TfrmVLListGallery::TfrmVLListGallery(TComponent* AOwner)
    : TfrmVLBase(AOwner), helper(std::make_unique<TVLReportHelper>()) {
  SetName("frmVLListGallery");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 91100;
  SetClientWidth(520);
  SetClientHeight(460);
  btnOk = PutControl<TButton>(this, this, "btnOk", 336, 424, 84, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 428, 424, 84, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  pc = PutControl<TPageControl>(this, this, "pc", 8, 8, 504, 408);
  ts1 = new TTabSheet(this);
  ts1->SetName("ts1");
  ts1->SetPageControl(pc);
  ts2 = new TTabSheet(this);
  ts2->SetName("ts2");
  ts2->SetPageControl(pc);
  il = new TImageList(this);
  il->SetWidth(ImageWidth);
  il->SetHeight(ImageHeight);
  il2 = new TImageList(this);
  il2->SetWidth(ImageWidth);
  il2->SetHeight(ImageHeight);
  auto group = [this](TTabSheet* page, const char* name, TImageList* images) {
    auto* rg = PutControl<TVLOfficeRadioGroup>(this, page, name, 6, 6, 484, 280);
    rg->SetColumns(4);
    rg->SetImages(images);
    rg->SetTextAreaHeight(10);
    for (Integer i = 0; i < 8; ++i) rg->AddItem(" ", i);
    rg->SetItemIndex(0);
    rg->OnDblClickItem = [this](TObject*) { ModalResult = mrOk; };
    return rg;
  };
  rg1 = group(ts1, "rg1", il);
  rg1->OnClick = [this](TObject* s) { rg1Click(s); };
  btnEdit1 = PutControl<TButton>(this, ts1, "btnEdit1", 6, 296, 180, 28);
  btnEdit1->SetEnabled(false);
  btnEdit1->OnClick = [this](TObject* s) { btnEdit1Click(s); };
  rg2 = group(ts2, "rg2", il2);
  rg2->OnClick = [this](TObject* s) { rg2Click(s); };
  cmbNumbering = PutControl<TComboBox>(this, ts2, "cmbNumbering", 6, 296, 300, 24);
  cmbNumbering->SetStyle(csDropDownList);
  cmbNumbering->OnChange = [this](TObject* s) { cmbNumberingClick(s); };
  seStartFrom = PutControl<TVLSpinEdit>(this, ts2, "seStartFrom", 314, 296, 80, 24);
  seStartFrom->MaxValue = 1000;
  seStartFrom->SetValue(1);
  seStartFrom->SetEnabled(false);
  btnEdit2 = PutControl<TButton>(this, ts2, "btnEdit2", 6, 332, 180, 28);
  btnEdit2->SetEnabled(false);
  btnEdit2->OnClick = [this](TObject* s) { btnEdit2Click(s); };
  btnReset = PutControl<TButton>(this, this, "btnReset", 8, 424, 140, 28);
  btnReset->OnClick = [this](TObject* s) { btnResetClick(s); };
  pc->SetActivePage(ts1);

  VLStyle1 = new TVLStyle(this);
  VLStyle2 = new TVLStyle(this);
  vlstmp = new TVLStyle(this);
  vlsTemplate1 = new TVLStyle(this);
  vlsTemplate2 = new TVLStyle(this);
  VLFillListTemplates(*vlsTemplate1, 0);
  VLFillListTemplates(*vlsTemplate2, 1);
  for (Integer page = 0; page < 2; ++page) {
    SlotListNo[page].assign(VLListPresetCount, -1);
    // This opening's presets: copies of the ones kept for the run.
    Presets(page).TextStyles->Assign(Templates(page).TextStyles.get());
    Presets(page).ParaStyles->Assign(Templates(page).ParaStyles.get());
    Presets(page).ListStyles->Assign(VLListPresetStore(page).ListStyles.get());
  }
  SlotStartFrom.assign(VLListPresetCount, -1);
  vlstmp->TextStyles->Assign(VLStyle1->TextStyles.get());
  vlstmp->ParaStyles->Assign(VLStyle1->ParaStyles.get());
  TVellum* view = helper->Vellum();
  view->SetStyle(VLStyle1);
  view->LeftMargin = view->TopMargin = view->RightMargin = view->BottomMargin = 0;
}

TfrmVLListGallery::~TfrmVLListGallery() {
  // The report view must not outlive the sheets it points at.
  helper.reset();
}

void TfrmVLListGallery::DoCreate() {
  TfrmVLBase::DoCreate();
  // "None" first, then the presets of each page.
  for (Integer page = 0; page < 2; ++page) {
    TBitmap none(ImageWidth, ImageHeight);
    TCanvas* c = none.Canvas();
    c->Brush.Color = clWindow;
    c->FillRect(TRect(0, 0, ImageWidth, ImageHeight));
    c->Font.SetName("Arial");
    c->Font.SetSize(12);
    c->Brush.Style = bsClear;
    TRect r(0, 0, ImageWidth, ImageHeight);
    DrawText(*c, LanguageText(429), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    Images(page)->AddMasked(&none, clWindow);
    for (Integer i = 0; i < Presets(page).ListStyles->Count(); ++i) {
      TBitmap b(ImageWidth, ImageHeight);
      DrawListPreview(b, i, Presets(page));
      Images(page)->AddMasked(&b, clWhite);
    }
  }
}

void TfrmVLListGallery::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(422));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  ts1->SetText(LanguageTextPadded(423));
  ts2->SetText(LanguageTextPadded(424));
  rg1->SetText(LanguageTextPadded(425));
  rg2->SetText(LanguageTextPadded(426));
  btnEdit1->SetText(LanguageText(427));
  btnEdit2->SetText(LanguageText(427));
  btnReset->SetText(LanguageText(428));
}

void TfrmVLListGallery::DrawListPreview(TBitmap& Bitmap, Integer Index, TVLStyle& Styles) {
  const Integer w = Bitmap.GetWidth(), h = Bitmap.GetHeight();
  TCanvas* canvas = Bitmap.Canvas();
  canvas->Brush.Color = clWindow;
  canvas->Brush.Style = bsSolid;
  canvas->FillRect(TRect(0, 0, w, h));
  if (Index < 0 || Index >= Styles.ListStyles->Count()) return;
  const TVLListInfo& source = *Styles.ListStyles->Items(Index);
  const Integer levels = source.Levels->Count();
  if (levels == 0) return;
  vlstmp->ListStyles->Clear();
  TVLListInfo* list = vlstmp->ListStyles->Add();
  list->Assign(&source);
  for (Integer i = 0; i < levels; ++i) {
    TVLListLevel* L = list->Levels->Items(i);
    L->LeftIndent = Half(L->LeftIndent);
    L->MarkerIndent = Half(L->MarkerIndent);
    L->FirstIndent = Half(L->FirstIndent);
  }
  TVellum* view = helper->Vellum();
  view->Clear();
  view->SetStyle(vlstmp);
  TVellumVLData* d = view->VLData();
  TBitmap scratch(w, h);
  // Each line of dashes just fills its level's text width: the helper lays
  // out as paper does, where a run too wide wraps instead of being cut, and
  // the picture would become a column of short lines scaled down to nothing.
  vlstmp->TextStyles->Items(0)->Apply(scratch.Canvas(), view->GetBiDiMode());
  const Integer dash = std::max<Integer>(1, scratch.Canvas()->TextWidth("-"));
  const Integer text = w - view->LeftMargin - view->RightMargin;
  Integer level = 0;
  for (int i = 0; i < 3; ++i) {
    const TVLListLevel* L = list->Levels->Items(level);
    const Integer indent = std::max<Integer>({L->LeftIndent, L->LeftIndent + L->FirstIndent, 0});
    const AnsiString line(static_cast<size_t>(std::max<Integer>(1, (text - indent) / dash - 1)), '-');
    d->SetListMarker(-1, 0, level, 1, 0, false);
    d->AddTextItem(line, 0, -1);
    d->SetAddParagraphMode(false);
    d->AddTextItem(line, 0, 0);
    d->SetAddParagraphMode(true);
    if (!list->OneLevelPreview && ++level == levels) level = 0;
  }
  helper->Init(scratch.Canvas(), w);
  if (!helper->FormatNextPage(1000)) return;
  // Taller content is scaled down evenly into the picture.
  const Integer height = std::max<Integer>(helper->PageContentHeight(1), h);
  const Integer width = static_cast<Integer>(static_cast<int64_t>(w) * height / h);
  TBitmap page(width, height);
  page.Canvas()->Brush.Color = clWhite;
  page.Canvas()->FillRect(TRect(0, 0, width, height));
  helper->DrawPage(1, page.Canvas(), 0, 0);
  const QImage scaled = page.Image().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QImage& target = Bitmap.Image();
  QPainter p(&target);
  p.drawImage(0, 0, scaled);
}

void TfrmVLListGallery::RedrawSlot(Integer Page, Integer Slot, TColor Transparent) {
  TBitmap b(ImageWidth, ImageHeight);
  DrawListPreview(b, Slot, Presets(Page));
  TImageList* images = Images(Page);
  // Replace keeps the index; the transparent colour is applied as on adding.
  TImageList scratch(nullptr);
  scratch.SetWidth(ImageWidth);
  scratch.SetHeight(ImageHeight);
  scratch.AddMasked(&b, Transparent);
  if (Slot + 1 < images->Count()) {
    images->Delete(Slot + 1);
    images->AddImage(scratch.Image(0));
    images->Move(images->Count() - 1, Slot + 1);
  }
  Group(Page)->UpdateButtons();
}

void TfrmVLListGallery::InitFromEditor(TVLActionEditor* Editor) {
  OpenPage = 0;
  OpenSlot = -1;
  TVLActionEditor* E = Editor ? Editor->GetInnermostEditor() : nullptr;
  TCustomVLData* d = E ? E->GetVLData() : nullptr;
  TVLStyle* doc = E ? E->GetStyle() : nullptr;
  if (d && doc && d->GetItemCount() > 0) {
    const Integer count = d->GetItemCount();
    Integer startNo = 0, startOffs = 0, endNo = 0, endOffs = 0;
    E->GetSelectionBounds(startNo, startOffs, endNo, endOffs);
    startNo = std::clamp<Integer>(startNo, 0, count - 1);
    endNo = std::clamp<Integer>(endNo, startNo, count - 1);
    Integer listNo = -1, level = 0, startFrom = 1;
    bool reset = false;
    if (d->GetListMarkerInfo(endNo, listNo, level, startFrom, reset) >= 0)
      MatchDocumentList(*doc, endNo, startNo, listNo, startFrom, reset, OpenPage, OpenSlot);
    while (startNo > 0 && !d->IsParaStart(startNo)) --startNo;
    Integer p = startNo;
    if (p > 0)
      for (--p; p > 0 && !d->IsParaStart(p);) --p;
    while (endNo < count - 1 && !d->IsParaStart(endNo)) ++endNo;
    for (Integer i = p; i <= endNo; ++i) {
      if (!d->IsParaStart(i)) continue;
      Integer page = 0, slot = -1;
      if (d->GetListMarkerInfo(i, listNo, level, startFrom, reset) == i)
        MatchDocumentList(*doc, i, startNo, listNo, startFrom, reset, page, slot);
    }
  }
  pc->SetActivePage(OpenPage == 0 ? ts1 : ts2);
  Group(OpenPage)->SetItemIndex(OpenSlot + 1);
  rg1Click(nullptr);
  rg2Click(nullptr);
}

void TfrmVLListGallery::MatchDocumentList(TVLStyle& Doc, Integer ItemNo, Integer StartNo, Integer ListNo,
                                          Integer StartFrom, bool UseStartFrom, Integer& Page, Integer& Slot) {
  if (ListNo < 0 || ListNo >= Doc.ListStyles->Count()) return;
  // The paragraph before the selection never passes on its restart value.
  if (!UseStartFrom || ItemNo < StartNo) StartFrom = -1;
  const TVLListInfo& list = *Doc.ListStyles->Items(ListNo);
  Page = list.HasNumbering() ? 1 : 0;
  std::vector<Integer>& taken = SlotListNo[Page];
  if (std::find(taken.begin(), taken.end(), ListNo) != taken.end()) return;
  Slot = SlotOfName(list.StyleName);
  if (taken[static_cast<size_t>(Slot)] == -1) {
    AssignDocumentList(Doc, Page, Slot, ListNo, StartFrom);
    return;
  }
  for (Integer s = VLListPresetCount - 1; s >= 0; --s)
    if (taken[static_cast<size_t>(s)] == -1) {
      Slot = s;
      AssignDocumentList(Doc, Page, Slot, ListNo, StartFrom);
      return;
    }
}

void TfrmVLListGallery::AssignDocumentList(TVLStyle& Doc, Integer Page, Integer Slot, Integer ListNo,
                                           Integer StartFrom) {
  SlotListNo[Page][static_cast<size_t>(Slot)] = ListNo;
  if (Page == 1) SlotStartFrom[static_cast<size_t>(Slot)] = StartFrom;
  Presets(Page).ListStyles->Items(Slot)->Assign(Doc.ListStyles->Items(ListNo));
  RedrawSlot(Page, Slot, clWhite);
}

void TfrmVLListGallery::GetListStyle(TVLListInfo*& ListStyle, Integer& ListNo, Integer& StartFrom,
                                     bool& UseStartFrom) {
  const Integer page = pc->GetActivePage() == ts2 ? 1 : 0;
  const Integer k = Group(page)->GetItemIndex();
  if (k < 1) {
    ListStyle = nullptr;
    return;
  }
  ListStyle = Presets(page).ListStyles->Items(k - 1);
  ListNo = SlotListNo[page][static_cast<size_t>(k - 1)];
  if (page == 0) return;
  const int index = cmbNumbering->GetItemIndex();
  // Without a choice the list is a new one from 1.
  const int code = index >= 0 && index < static_cast<int>(FChoiceCodes.size()) ? FChoiceCodes[static_cast<size_t>(index)] : 0;
  const Integer value = seStartFrom->GetIndeterminate() ? 1 : seStartFrom->AsInteger();
  switch (code) {
    case 1:
      UseStartFrom = false;
      StartFrom = 1;
      break;
    case 2:
      UseStartFrom = true;
      StartFrom = value;
      break;
    case 3:
      StartFrom = value;
      UseStartFrom = value != 1;
      ListNo = -1;
      break;
    default:
      StartFrom = 1;
      UseStartFrom = false;
      ListNo = -1;
      break;
  }
}

bool TfrmVLListGallery::Differs(Integer Page, Integer Slot) {
  return !Presets(Page).ListStyles->Items(Slot)->IsEqual(*Templates(Page).ListStyles->Items(Slot), false, true);
}

void TfrmVLListGallery::rg1Click(TObject*) {
  const Integer k = rg1->GetItemIndex();
  btnEdit1->SetEnabled(k > 0);
  if (pc->GetActivePage() == ts1) btnReset->SetEnabled(k > 0 && Differs(0, k - 1));
}

void TfrmVLListGallery::AddChoice(Word Id, int Code) {
  cmbNumbering->Items().Add(LanguageText(Id));
  FChoiceCodes.push_back(Code);
}

void TfrmVLListGallery::rg2Click(TObject*) {
  const Integer k = rg2->GetItemIndex();
  if (pc->GetActivePage() == ts2) btnReset->SetEnabled(k > 0 && Differs(1, k - 1));
  if (k < 0) return;
  cmbNumbering->Items().Clear();
  FChoiceCodes.clear();
  if (k == 0) {
    cmbNumbering->SetEnabled(false);
    seStartFrom->SetEnabled(false);
    seStartFrom->SetIndeterminate(true);
    btnEdit2->SetEnabled(false);
    return;
  }
  const bool documentList = SlotListNo[1][static_cast<size_t>(k - 1)] >= 0;
  if (documentList) {
    AddChoice(430, 1);
    AddChoice(431, 2);
  }
  AddChoice(432, 3);
  cmbNumbering->SetEnabled(true);
  if (documentList) {
    const Integer start = SlotStartFrom[static_cast<size_t>(k - 1)];
    if (start < 0) {
      cmbNumbering->SetItemIndex(0);
      seStartFrom->SetIndeterminate(true);
      seStartFrom->SetEnabled(false);
    } else {
      cmbNumbering->SetItemIndex(1);
      seStartFrom->SetValue(start);
      seStartFrom->SetEnabled(true);
    }
  } else {
    cmbNumbering->SetItemIndex(0);
    seStartFrom->SetValue(1);
    seStartFrom->SetEnabled(true);
  }
  btnEdit2->SetEnabled(true);
}

void TfrmVLListGallery::cmbNumberingClick(TObject*) {
  const int index = cmbNumbering->GetItemIndex();
  const int code = index >= 0 && index < static_cast<int>(FChoiceCodes.size()) ? FChoiceCodes[static_cast<size_t>(index)] : 0;
  if (code == 0 || code == 1) {
    seStartFrom->SetIndeterminate(true);
    seStartFrom->SetEnabled(false);
    return;
  }
  seStartFrom->SetEnabled(true);
  const Integer k = rg2->GetItemIndex();
  const Integer stored = k > 0 ? SlotStartFrom[static_cast<size_t>(k - 1)] : -1;
  seStartFrom->SetValue(code == 2 && stored >= 0 ? stored : 1);
}

void TfrmVLListGallery::btnEdit1Click(TObject*) { CustomizePreset(0, rg1->GetItemIndex()); }

void TfrmVLListGallery::btnEdit2Click(TObject*) { CustomizePreset(1, rg2->GetItemIndex()); }

void TfrmVLListGallery::CustomizePreset(Integer Page, Integer ItemIndex) {
  if (ItemIndex < 1 || ItemIndex > VLListPresetCount) return;
  std::unique_ptr<TfrmVLParaList> dialog(CreateVLForm<TfrmVLParaList>(Application));
  dialog->SetListInfo(*Presets(Page).ListStyles->Items(ItemIndex - 1));
  if (dialog->ShowModal() != mrOk) return;
  vlstmp->ListStyles->Clear();
  TVLListInfo* edited = vlstmp->ListStyles->Add();
  dialog->GetListInfo(*edited);
  const Integer target = edited->HasNumbering() ? 1 : 0;
  pc->SetActivePage(target == 0 ? ts1 : ts2);
  SlotListNo[target][static_cast<size_t>(ItemIndex - 1)] = -1;
  VLListPresetStore(target).ListStyles->Items(ItemIndex - 1)->Assign(edited);
  Presets(target).ListStyles->Items(ItemIndex - 1)->Assign(edited);
  Group(target)->SetItemIndex(ItemIndex);
  // The slot is a preset now: its numbering choices are those of a new list.
  if (target == 0) rg1Click(nullptr);
  else rg2Click(nullptr);
  ModalResult = mrOk;
}

void TfrmVLListGallery::btnResetClick(TObject*) {
  const Integer page = pc->GetActivePage() == ts2 ? 1 : 0;
  const Integer k = Group(page)->GetItemIndex();
  if (k < 1) return;
  const TVLListInfo* factory = Templates(page).ListStyles->Items(k - 1);
  Presets(page).ListStyles->Items(k - 1)->Assign(factory);
  VLListPresetStore(page).ListStyles->Items(k - 1)->Assign(factory);
  RedrawSlot(page, k - 1, clWindow);
  SlotListNo[page][static_cast<size_t>(k - 1)] = -1;
  if (page == 0) rg1Click(nullptr);
  else rg2Click(nullptr);
}
