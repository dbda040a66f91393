// The published properties of the style sheet and its styles, for property
// streaming (form files and the style records of VLF).
#include "platform/base/PropStream.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLPictureLimits.h"
#include "richtext/model/VLStyle.h"

namespace {

const std::initializer_list<const char*> BiDiModeNames = {"vlbdUnspecified", "vlbdLeftToRight",
                                                          "vlbdRightToLeft"};
const std::initializer_list<const char*> FontStyleNames = {"fsBold", "fsItalic", "fsUnderline",
                                                           "fsStrikeOut"};

// The style sheet a list level belongs to, if any.
TVLStyle* LevelStyleSheet(const TVLListLevel& level) {
  auto levels = dynamic_cast<TVLListLevelCollection*>(level.GetCollection());
  if (!levels || !levels->GetListInfo()) return nullptr;
  auto lists = dynamic_cast<TVLListInfos*>(levels->GetListInfo()->GetCollection());
  return lists ? lists->GetStyleSheet() : nullptr;
}

TVLListInfos* LevelListInfos(const TVLListLevel& level) {
  auto levels = dynamic_cast<TVLListLevelCollection*>(level.GetCollection());
  if (!levels || !levels->GetListInfo()) return nullptr;
  return dynamic_cast<TVLListInfos*>(levels->GetListInfo()->GetCollection());
}

// A picture as a property value: its class name (a length byte and the
// bytes), then the graphic's own bytes.
void WritePictureBytes(TStream& stream, const TGraphic& graphic) {
  String name = graphic.ClassName();
  AnsiString bytes = AnsiString(1, static_cast<char>(name.size())) + name + graphic.SaveToBytes();
  stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

// Only the platform's own graphic classes are created; anything unreadable
// gives no graphic.
std::unique_ptr<TGraphic> ReadPictureBytes(TStream& stream) {
  AnsiString bytes = stream.ReadBytes(stream.Remaining());
  if (bytes.empty() || static_cast<Byte>(bytes[0]) + 1u > bytes.size()) return nullptr;
  const size_t nameLength = static_cast<Byte>(bytes[0]);
  std::unique_ptr<TGraphic> graphic = CreateGraphicOfClassName(bytes.substr(1, nameLength));
  if (!graphic) return nullptr;
  const AnsiString data = bytes.substr(1 + nameLength);
  if (!VLPictureWithinLimits(data)) return nullptr;
  try {
    graphic->LoadFromBytes(data);
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
  return graphic;
}

}  // namespace

// ---------------------------------------------------------------------------
void TCustomVLInfo::DeclareProperties(TPropertyList& list) {
  TCollectionItem::DeclareProperties(list);
  list.AddInt("BaseStyleNo", BaseStyleNo, -1);
  list.AddString("StyleName", StyleName, FDefaultStyleName);
  list.AddBool("Standard", Standard, true);
}

void TFontInfo::DeclareProperties(TPropertyList& list) {
  TCustomVLInfo::DeclareProperties(list);
  list.AddEnum("BiDiMode", BiDiMode, BiDiModeNames, vlbdUnspecified);
  list.AddBool("Jump", Jump, false);
  list.AddInt<Word>("JumpCursor", JumpCursor, crJump);
  list.AddString("FontName", FontName, "Arial");
  list.AddInt("Size", Size, 10);
  list.AddInt("Color", Color, clWindowText);
  list.AddInt("BackColor", BackColor, clNone);
  list.AddInt("HoverColor", HoverColor, clNone);
  list.AddInt("HoverBackColor", HoverBackColor, clNone);
  list.AddSet("Style", Style, FontStyleNames, TFontStyles{});
  list.AddSet("StyleEx", StyleEx, {"vlfsOverline", "vlfsAllCaps"}, TVLFontStyles{});
  list.AddInt("VShift", VShift, 0);
  list.AddInt("NextStyleNo", NextStyleNo, -1);
  list.AddInt<Byte>("Charset", Charset, 1);
  list.AddBool("Unicode", Unicode, false);
  list.AddSet("Protection", Protection,
              {"vlprStyleProtect", "vlprModifyProtect", "vlprDeleteProtect", "vlprConcateProtect",
               "vlprVLFInsertProtect", "vlprDoNotAutoSwitch", "vlprParaStartProtect",
               "vlprSticking", "vlprStickToTop", "vlprStickToBottom"},
              TVLProtectOptions{});
  list.AddSet("Options", Options, {"vlteoHTMLCode", "vlteoRTFCode"}, TVLTextOptions{});
  list.AddInt("CharScale", CharScale, 100);
  list.AddInt("CharSpacing", CharSpacing, 0);
}

void TFontInfo::DefineProperties(TFiler& filer) {
  TCustomVLInfo::DefineProperties(filer);
  // Accepted from older streams, never written.
  filer.DefineProperty(
      "SingleSymbols",
      [this](TReader& reader) {
        if (reader.ReadBoolean()) Protection += TVLProtectOptions{vlprStyleProtect, vlprDoNotAutoSwitch};
      },
      nullptr, false);
}

// ---------------------------------------------------------------------------
void TVLRect::DeclareProperties(TPropertyList& list) {
  TPersistent::DeclareProperties(list);
  list.AddInt("Top", Top, 0);
  list.AddInt("Left", Left, 0);
  list.AddInt("Right", Right, 0);
  list.AddInt("Bottom", Bottom, 0);
}

void TVLBooleanRect::DeclareProperties(TPropertyList& list) {
  TPersistent::DeclareProperties(list);
  list.AddBool("Top", Top, true);
  list.AddBool("Left", Left, true);
  list.AddBool("Right", Right, true);
  list.AddBool("Bottom", Bottom, true);
}

void TVLBorder::DeclareProperties(TPropertyList& list) {
  TPersistent::DeclareProperties(list);
  list.AddInt("Color", Color, clWindowText);
  list.AddEnum("Style", Style,
               {"vlbNone", "vlbSingle", "vlbDouble", "vlbTriple", "vlbThickInside",
                "vlbThickOutside"},
               vlbNone);
  list.AddInt("Width", Width, 1);
  list.AddInt("InternalWidth", InternalWidth, 1);
  list.AddObject("VisibleBorders", &VisibleBorders);
  list.AddObject("BorderOffsets", &BorderOffsets);
}

void TVLBackgroundRect::DeclareProperties(TPropertyList& list) {
  TPersistent::DeclareProperties(list);
  list.AddObject("BorderOffsets", &BorderOffsets);
  list.AddInt("Color", Color, clNone);
}

void TParaInfo::DeclareProperties(TPropertyList& list) {
  TCustomVLInfo::DeclareProperties(list);
  list.AddInt("FirstIndent", FirstIndent, 0);
  list.AddInt("LeftIndent", LeftIndent, 0);
  list.AddInt("RightIndent", RightIndent, 0);
  list.AddInt("SpaceBefore", SpaceBefore, 0);
  list.AddInt("SpaceAfter", SpaceAfter, 0);
  list.AddInt("LineSpacing", LineSpacing, 100);
  list.AddEnum("LineSpacingType", LineSpacingType, {"vllsPercent", "vllsSpaceBetween"},
               vllsPercent);
  list.AddEnum("Alignment", Alignment, {"vlaLeft", "vlaRight", "vlaCenter", "vlaJustify"}, vlaLeft);
  list.AddObject("Border", &Border);
  list.AddInt("NextParaNo", NextParaNo, -1);
  list.AddObject("Background", &Background);
  list.AddSet("Options", Options,
              {"vlpaoNoWrap", "vlpaoReadOnly", "vlpaoStyleProtect", "vlpaoDoNotWantReturns"},
              TVLParaOptions{});
  list.AddEnum("BiDiMode", BiDiMode, BiDiModeNames, vlbdUnspecified);
  list.AddInt("DefStyleNo", DefStyleNo, -1);
}

// ---------------------------------------------------------------------------
void TVLMarkerFont::DeclareProperties(TPropertyList& list) {
  // The platform font publishes nothing of its own; the storage rules here
  // are the marker font's.
  TPersistent::DeclareProperties(list);
  list.AddIntProp(
      "Charset", [this] { return static_cast<Int64>(GetCharset()); },
      [this](Int64 v) { SetCharset(static_cast<TFontCharset>(v)); }, 1);
  list.AddIntProp(
      "Color", [this] { return static_cast<Int64>(GetColor()); },
      [this](Int64 v) { SetColor(static_cast<TColor>(v)); }, clWindowText);
  list.AddStringProp(
          "Name", [this] { return GetName(); }, [this](const AnsiString& v) { SetName(v); },
          "Arial")
      .StoredIf([this] { return GetName() != "Arial"; });
  list.AddSetProp(
      "Style", [this] { return GetStyle().ToMask(); },
      [this](uint64_t m) { SetStyle(TFontStyles::FromMask(m)); }, FontStyleNames, 0);
  list.AddIntProp(
          "Height", [this] { return static_cast<Int64>(GetHeight()); },
          [this](Int64 v) { SetHeight(static_cast<Integer>(v)); }, 0)
      .StoredIf([this] { return GetSize() != 8; });
}

void TVLListLevel::DeclareProperties(TPropertyList& list) {
  TCollectionItem::DeclareProperties(list);
  list.AddEnum("ListType", ListType,
               {"vllstBullet", "vllstPicture", "vllstImageList", "vllstDecimal",
                "vllstLowerAlpha", "vllstUpperAlpha", "vllstLowerRoman", "vllstUpperRoman",
                "vllstImageListCounter", "vllstUnicodeBullet"},
               vllstBullet);
  list.AddInt("StartFrom", StartFrom, 1);
  list.AddInt("ImageIndex", ImageIndex, 0);
  list.AddInt("LeftIndent", LeftIndent, 0);
  list.AddInt("FirstIndent", FirstIndent, 10);
  list.AddInt("MarkerIndent", MarkerIndent, 0);
  list.AddEnum("MarkerAlignment", MarkerAlignment, {"vlmaLeft", "vlmaRight", "vlmaCenter"},
               vlmaLeft);
  list.AddSet("Options", Options, {"vlloContinuous", "vlloLevelReset", "vlloLegalStyleNumbering"},
              TVLListLevelOptions{vlloContinuous, vlloLevelReset});
  list.AddObject(
      "Font", [this]() -> TPersistent* { return FFont.get(); },
      [this]() -> TPersistent* { return GetFont(); });
  // By name only when the level is not streamed with a document (then
  // "ILTag" stands for it).
  list.AddReference(
          "ImageList",
          [this]() -> String { return ImageList ? ImageList->GetName() : String(); },
          [this](const String& name) {
            TVLStyle* sheet = LevelStyleSheet(*this);
            TComponent* root = sheet ? sheet->Owner() : nullptr;
            ImageList = root && !name.empty() ? root->FindComponent(name) : nullptr;
          })
      .StoredIf([this] { return GetAttachedData() == nullptr; });
}

void TVLListLevel::DefineProperties(TFiler& filer) {
  TCollectionItem::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "Picture",
      [this](TStream& stream) {
        if (std::unique_ptr<TGraphic> graphic = ReadPictureBytes(stream)) {
          TPicture picture;
          picture.SetGraphic(std::move(graphic));
          SetPicture(&picture);
        }
      },
      [this](TStream& stream) { WritePictureBytes(stream, *FPicture->GetGraphic()); },
      HasPicture());
  filer.DefineProperty(
      "ILTag",
      [this](TReader& reader) {
        Integer tag = reader.ReadInteger();
        // The document being read knows its image lists by tag.
        TVLListInfos* lists = LevelListInfos(*this);
        ImageList = nullptr;
        if (lists && lists->FVLData) lists->FVLData->DoVLFImageListNeeded(tag, ImageList);
      },
      [this](TWriter& writer) { writer.WriteInteger(static_cast<Integer>(ImageList->Tag)); },
      GetAttachedData() != nullptr && ImageList != nullptr);
  filer.DefineProperty(
      "FormatStringCode",
      [this](TReader& reader) { FormatString = VLFHexToString(reader.ReadString()); },
      [this](TWriter& writer) { writer.WriteString(VLFStringToHex(FormatString)); },
      FormatString != AnsiString(1, '\xB7'));
  filer.DefineProperty(
      "FormatStringWCode",
      [this](TReader& reader) { FormatStringW = VLFHexToWide(reader.ReadString()); },
      [this](TWriter& writer) { writer.WriteString(VLFWideToHex(FormatStringW)); },
      !FormatStringW.empty());
}

void TVLListInfo::DeclareProperties(TPropertyList& list) {
  TCustomVLInfo::DeclareProperties(list);
  list.AddCollection("Levels", Levels.get());
  list.AddBool("OneLevelPreview", OneLevelPreview, false);
}

void TVLListInfo::DefineProperties(TFiler& filer) {
  TCustomVLInfo::DefineProperties(filer);
  filer.DefineProperty(
      "LstID", [this](TReader& reader) { SetListID(reader.ReadInteger()); },
      [this](TWriter& writer) { writer.WriteInteger(GetListID()); }, true);
}

// ---------------------------------------------------------------------------
void TVLStyle::DeclareProperties(TPropertyList& list) {
  TComponent::DeclareProperties(list);
  list.AddInt("Color", Color, clWindow);
  list.AddInt("HoverColor", HoverColor, clNone);
  list.AddInt("SelColor", SelColor, clHighlight);
  list.AddInt("SelTextColor", SelTextColor, clHighlightText);
  list.AddInt("InactiveSelColor", InactiveSelColor, clHighlight);
  list.AddInt("InactiveSelTextColor", InactiveSelTextColor, clHighlightText);
  list.AddInt("CheckpointColor", CheckpointColor, 0x008000);
  list.AddInt("CheckpointEvColor", CheckpointEvColor, 0x00FF00);
  list.AddInt<Word>("JumpCursor", JumpCursor, crJump);
  list.AddCollection("TextStyles", TextStyles.get());
  list.AddCollection("ParaStyles", ParaStyles.get());
  list.AddCollection("ListStyles", ListStyles.get());
  list.AddBool("FullRedraw", FullRedraw, false);
  list.AddInt<int16_t>("SpacesInTab", SpacesInTab, 8);
  list.AddInt("PageBreakColor", PageBreakColor, clBtnShadow);
  list.AddInt("SoftPageBreakColor", SoftPageBreakColor, clBtnFace);
  list.AddInt("DefUnicodeStyle", DefUnicodeStyle, -1);
  list.AddIntProp(
      "DefCodePage", [this] { return static_cast<Int64>(DefCodePage); },
      [this](Int64 v) { DefCodePage = static_cast<TVLCodePage>(v); }, 0);
  list.AddBool("UseSound", UseSound, true);
  list.AddEnum("SelectionMode", SelectionMode, {"vlsmChar", "vlsmWord", "vlsmParagraph"},
               vlsmWord);
  list.AddEnum("SelectionStyle", SelectionStyle, {"vlssItems", "vlssLines"}, vlssItems);
  list.AddInt<Word>("LineSelectCursor", LineSelectCursor, crVLFlipArrow);
}

void TVLStyle::DefineProperties(TFiler& filer) {
  TComponent::DefineProperties(filer);
  // Written only when the picture is not the program's own.
  bool ownPicture = true;
  if (FInvalidPicture) {
    TPicture standard;
    LoadBadPictureResource(standard);
    ownPicture = PicturesEqual(FInvalidPicture.get(), &standard);
  }
  filer.DefineBinaryProperty(
      "InvalidPicture",
      [this](TStream& stream) {
        if (std::unique_ptr<TGraphic> graphic = ReadPictureBytes(stream)) {
          TPicture picture;
          picture.SetGraphic(std::move(graphic));
          SetInvalidPicture(&picture);
        }
      },
      [this](TStream& stream) {
        if (FInvalidPicture->GetGraphic()) WritePictureBytes(stream, *FInvalidPicture->GetGraphic());
      },
      !ownPicture && FInvalidPicture->GetGraphic() != nullptr);
}
