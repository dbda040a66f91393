#pragma once
// The RTF reader: parses Rich Text Format and reports what it reads through
// events (text runs with their positions, pictures, objects, table events,
// headers and footers); it builds no document itself. Failures are result
// codes, never exceptions:
//   0 success, 1 unbalanced "}", 2 group state not made (also: nesting too
//   deep), 3 input ended inside a group, 4 bad \'xx digit, 5 unknown kind,
//   6 bad byte mode, 7 input ended after "\", 8 file not opened, 9 an error
//   while reading (stream, number, index, table handler), 10 a picture
//   inside a picture, 11 a text, picture or object handler raised.
#include "platform/base/Components.h"
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFKeywords.h"
#include "richtext/rtf/VLRTFRecords.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class TGraphic;
class TVLRTFReader;

using TVLRTFNewTextEvent =
    std::function<void(TVLRTFReader* sender, const AnsiString& text, TVLRTFPosition position)>;
using TVLRTFNewUnicodeTextEvent =
    std::function<void(TVLRTFReader* sender, const WideString& text, TVLRTFPosition position)>;
// The handler takes the graphic over (it may leave it in place to drop it).
using TVLRTFNewPictureEvent =
    std::function<void(TVLRTFReader* sender, TVLRTFPicture* picture,
                       std::unique_ptr<TGraphic>& graphic, TVLRTFPosition position, bool& inserted)>;
using TVLRTFNewObjectEvent = std::function<void(TVLRTFReader* sender, TVLRTFObject* object,
                                                TVLRTFPosition position, bool& inserted)>;
using TVLRTFTableEvent = std::function<void(TVLRTFReader* sender, TVLRTFTableEventKind kind)>;
using TVLRTFHeaderFooterEvent =
    std::function<void(TVLRTFReader* sender, TVLRTFHeaderFooterType type, bool starting)>;
using TVLRTFImportPictureEvent = std::function<void(TVLRTFReader* sender, const String& location,
                                                    std::unique_ptr<TGraphic>& graphic)>;
using TVLRTFNotifyEvent = std::function<void(TVLRTFReader* sender)>;

// Limits that keep hostile input from exhausting memory.
struct TVLRTFLimits {
  Integer MaxDepth = 10000;             // open groups
  Int64 MaxPictureBytes = 64 << 20;     // one picture's or object's data
  size_t MaxFieldInstruction = 32768;   // bytes of one field instruction
  size_t MaxName = 1024;                // font, style, list names, marker texts
  size_t MaxLevelText = 512;            // \leveltext and \levelnumbers
  Integer MaxTableEntries = 65536;      // colours, styles, lists, overrides
  // Fonts: a table of 100,000 is real (each font found through an index);
  // text in a font past these comes in in the default font.
  Integer MaxFonts = 262144;
  Integer MaxLevels = 9;                // levels of one list or override
  Integer MaxCells = 4096;              // cells of one row definition
};

// Linked pictures (INCLUDEPICTURE, IMPORT) are loaded only as relative
// names below BasePath, as regular files of at most this size; none at all
// when BasePath is empty or LinkedPictures is off.
struct TVLRTFLinkPolicy {
  bool LinkedPictures = true;
  Int64 MaxFileSize = 32 << 20;
};

class TVLRTFReader : public TComponent {
public:
  explicit TVLRTFReader(TComponent* owner = nullptr);
  ~TVLRTFReader() override;

  Byte ReadFromFile(const String& fileName);
  Byte ReadFromStream(TStream& stream);
  void Clear();

  // The first argument of a field instruction and the 1-based position after it.
  static AnsiString ParseFieldArgument(const AnsiString& instruction, Integer& nextPos);
  WideString AnsiToUnicode(const AnsiString& s) const;
  AnsiString UnicodeToAnsi(const WideString& s) const;
  AnsiString UnicodeToAnsi(const WideString& s, bool& lossless) const;

  // Events (the Unicode one switches the reader into Unicode mode).
  TVLRTFNewTextEvent OnNewText;
  TVLRTFNewUnicodeTextEvent OnNewUnicodeText;
  TVLRTFNewPictureEvent OnNewPicture;
  TVLRTFNewObjectEvent OnNewObject;
  TVLRTFNotifyEvent OnUpdateMarker;
  TVLRTFTableEvent OnTable;
  TVLRTFNotifyEvent OnRequiredPageBreak;
  TVLRTFHeaderFooterEvent OnHeaderFooter;
  TVLRTFImportPictureEvent OnImportPicture;
  Cardinal DefCodePage = 0;
  TVLRTFHighlightConvert ConvertHighlight = rtf_hl_FixedColors;
  String BasePath;
  TVLRTFLimits Limits;
  TVLRTFLinkPolicy LinkPolicy;
  // Screen resolution used for picture sizes.
  Integer PixelsPerInch = 96;

  // Tables and state, readable by handlers during a read and after it.
  std::vector<std::unique_ptr<TVLRTFStyleSheetEntry>> StyleSheet;
  std::vector<TVLRTFFont> FontList;
  std::vector<TColor> ColorList;
  std::vector<std::unique_ptr<TVLRTFList97>> ListTable;
  std::vector<std::unique_ptr<TVLRTFListOverride97>> ListOverrideTable;
  TVLRTFReaderState RTFState;
  Cardinal CodePage() const { return FCodePage; }
  // Counts the list tables read so far: list indexes refer to the last one.
  Integer ListTableReads() const { return FListTableReads; }

  // Font by index (nullptr when out of range).
  const TVLRTFFont* GetFont(Integer index) const;
  // The code page of a font's text: its charset's own (Windows-1252 for
  // ANSI), the document's for the default, symbol and unknown charsets.
  Cardinal FontCodePage(const TVLRTFFont& font) const;

private:
  // The first font-list entry of each number, for the entries indexed so
  // far: a table of many thousand fonts is not searched at every \f.
  mutable std::unordered_map<Integer, Integer> FFontIndexByNumber;
  mutable size_t FFontsIndexed = 0;
  // The font being read was past the limit: its name is not the last kept one's.
  bool FFontDropped = false;
  void ClearFontList();
  // input
  bool AtEnd() const;
  int NextChar();
  Byte Parse();
  Byte ReadControlWord();
  Byte DispatchKeyword(const TVLRTFsymbol* symbol, Integer value, bool hasParam);
  Byte DoSpecial(Integer id);
  // groups
  Byte PushGroup();
  Byte PopGroup();
  // text
  // escaped: the character came as \'hh (a ";" so written is part of a name).
  Byte PutChar(Byte c, bool escaped = false);
  Byte PutUnicodeChar(char16_t u);
  Byte AddTextChar(Byte c, bool allowClose, bool synchronise);
  Byte FlushText(TVLRTFPosition breakKind);
  Byte FlushPending(bool synchronise, bool allowClose);
  void SyncTableLevel(bool allowClose);
  void DoTableEvent(TVLRTFTableEventKind kind);
  void DoUpdateMarker();
  // properties
  Byte ChangeProperty(Integer id, Integer value);
  Byte ChangeDestinationProperty(Integer id, Integer value);
  Byte ResetProperties(Integer id);
  TVLRTFBorderSide& CurrentBorderSide();
  Integer FontByNumber(Integer number) const;
  // The first entry of the number, or none.
  Integer FontByNumber(Integer number, Integer none) const;
  bool FontDeclared(Integer number) const;
  bool ColorByIndex(Integer index, TColor& color) const;
  // destinations
  Byte ChangeDestination(Integer code, Integer value);
  Byte EndDestination(TVLRTFDestination destination);
  Byte PutDestChar(Byte c, bool escaped = false);
  Byte PutDestUnicode(char16_t u);
  Byte PutHexOrBinary(TMemoryStream& data, Int64 limit, bool& corrupt, Byte c);
  Byte EndPicture();
  void IncludePictureField();
  Byte SymbolField();
  std::unique_ptr<TGraphic> LoadLinkedPicture(const String& name);

  TStream* FStream = nullptr;
  Int64 FStreamSize = 0;
  std::vector<char> FBuffer;
  size_t FBufPos = 0, FBufLen = 0;
  int FLastChar = 0;
  bool FPushedBack = false;

  std::vector<std::unique_ptr<TVLRTFReaderState>> FStack;
  Integer FDepth = 0;
  // One more than the group depth of the list and override tables being
  // read (0: none is).
  Integer FListTableDepth = 0, FOverrideTableDepth = 0;
  Integer FListTableReads = 0;
  AnsiString FText;
  WideString FTextW;
  TVLRTFPosition FPosition = rtf_ts_NewPara;
  Cardinal FCodePage = 0;
  Integer FUnicodeSkip = 1;
  Integer FSkipCount = 0;
  Integer FLastParam = 0;
  Int64 FBinCount = 0;
  bool FStar = false;
  Integer FTableLevel = 0;
  std::unique_ptr<TVLRTFPicture> FPicture;
  std::unique_ptr<TVLRTFObject> FObject;
  std::unique_ptr<TVLRTFMarkerProperties> FNumbering;
  bool FShapePictureInserted = false;
  bool FObjectInserted = false;
  Byte FHexByte = 0;
  bool FHexHigh = false;
  Integer FSectionLevel = 0;
  bool FForceFlush = false;
  Integer FHexValue = 0;
  Integer FHexDigits = 0;
};
