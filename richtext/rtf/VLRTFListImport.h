#pragma once
// List import of an RTF run: list markers at the start of list paragraphs
// and list styles found or appended for old-style paragraph numbering and
// for the list table. Lists are imported only when paragraph styles may be
// appended.
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLStyle.h"
#include "richtext/rtf/VLRTFRecords.h"

#include <memory>

class TVLRTFReaderProperties;
class TCustomVLData;

// The marker format of a list-table level: list type, format string, the
// alternative form and a Unicode bullet.
struct TVLRTFLevelFormat {
  TVLListType ListType = vllstDecimal;
  AnsiString FormatString;
  AnsiString Alternative;
  WideString BulletW;
};
// fontName: the level's font name (8-bit).
TVLRTFLevelFormat RTFLevelFormat(const TVLRTFListLevel97& level, const AnsiString& fontName);
TVLListType RTFNumberTypeToListType(Integer type);

class TVLRTFListImport {
public:
  explicit TVLRTFListImport(TVLRTFReaderProperties& props) : P(props) {}

  // Inserts the marker of a paragraph that starts now; true when it did.
  bool BeforeNewParagraph(Integer paraNo);
  // The reader's marker update: completes the last marker added.
  void UpdateMarker();
  void MarkerAdded(Integer index);
  void ForgetMarker() { FLastMarker = -1; }
  // The list style of an old-style numbered paragraph (-1 when none).
  Integer FindOrAddPNList(const TVLRTFMarkerProperties& marker);

private:
  void ImportListTable();
  bool ListMatches(const TVLListInfo& list, const struct TVLRTFList97& source);
  void FillLevelCache();

  TVLRTFReaderProperties& P;
  TVLIntegerList FLevelCache;
  std::unique_ptr<TVLIntegerList> FListMap;
  Integer FFirstImportedList = 0;
  Integer FMappedTable = 0;  // the reader's list-table read the map is of
  Integer FLastMarker = -1;
  TCustomVLData* FLastMarkerData = nullptr;
  bool FOldStyle = true;
};
