#pragma once
// The list markers of a document, in document order, with each marker's
// counter and displayed text worked out from the markers before it.
#include "richtext/model/VLItem.h"
#include "richtext/model/VLMarkerText.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TStream;
class TCanvas;
class TCustomVLData;

class TVLMarkerList : public TObject {
public:
  TVLMarkerList() = default;
  ~TVLMarkerList() override;
  TVLMarkerList(const TVLMarkerList&) = delete;
  TVLMarkerList& operator=(const TVLMarkerList&) = delete;

  Integer Count() const { return static_cast<Integer>(FEntries.size()); }
  TVLMarkerItemInfo* Get(Integer index) const { return FEntries.at(static_cast<size_t>(index)).Marker; }
  Integer IndexOf(const TCustomVLItemInfo* marker) const;
  void Insert(Integer index, TVLMarkerItemInfo* marker);
  // Several markers at once, in their order, before the entry at index.
  void InsertBlock(Integer index, const std::vector<TVLMarkerItemInfo*>& markers);
  void Delete(Integer index);
  // Takes every marker of the set out of the list in one pass; returns the
  // index the first of them had (-1 for none), from which the markers left
  // are to be recounted.
  Integer DeleteMany(const std::unordered_set<const TCustomVLItemInfo*>& markers);
  void Clear();

  // The computed number and text of the entry (1 and empty until counted).
  Integer GetCounter(Integer index) const { return FEntries.at(static_cast<size_t>(index)).Counter; }
  void SetCounter(Integer index, Integer value) { FEntries.at(static_cast<size_t>(index)).Counter = value; }
  const AnsiString& GetDisplayString(Integer index) const {
    return FEntries.at(static_cast<size_t>(index)).DisplayString;
  }
  // The same looked up by marker (1 and empty for a marker not in the list).
  Integer CounterOf(const TCustomVLItemInfo* marker) const;
  AnsiString DisplayStringOf(const TCustomVLItemInfo* marker) const;

  // Recounts the markers of the list of the marker at index, from it on.
  void RecalcCounters(Integer index, TVLStyle* style);
  // Recounts the markers of list listNo from the first at or after from.
  void RecalcList(Integer listNo, Integer from, TVLStyle* style);
  // Recounts every marker from index on, whatever its list, in one pass
  // that carries the markers seen so far per list and level: for loading,
  // where a recount per marker would read back over the whole list.
  void RecalcFrom(Integer index, TVLStyle* style);

  // The binary form: [size,] reserved 0, count, then per marker ListNo,
  // Level, Reset (1 byte), StartFrom, Counter.
  void SaveToStream(TStream& stream, Integer count, bool withSize) const;
  AnsiString SaveToBinaryString(Integer count) const;
  // False for data that ends early or announces more than it holds.
  bool LoadFromBinaryString(const AnsiString& data, bool withSize);

  // Consulted when a marker's parent is not found in this list.
  TVLMarkerList* OuterList = nullptr;

private:
  struct TEntry {
    TVLMarkerItemInfo* Marker = nullptr;
    Integer Counter = 1;
    AnsiString DisplayString;
  };
  struct TSweep;
  void CountMarker(Integer index, TVLStyle* style);
  void MakeDisplayString(Integer index, TVLStyle* style, TSweep* sweep);
  void Reindex(size_t from);
  std::vector<TEntry> FEntries;
  // Where each marker stands: found in constant time while loading.
  std::unordered_map<const TCustomVLItemInfo*, Integer> FPositions;
  // Markers made by loading the binary form belong to the list.
  std::vector<std::unique_ptr<TVLMarkerItemInfo>> FOwned;
};

// The level settings of a list style: a level past the last gives the last;
// nullptr for a negative list number, a list number past the sheet's or a
// list without levels.
TVLListLevel* VLGetListLevel(TVLStyle* style, Integer listNo, Integer level);

// The marker as plain text: its number or bullet and a space ("* " for
// pictures); Symbol-font bullets become readable characters. With unicode
// the result is raw UTF-16LE.
AnsiString VLMarkerAsText(const TVLMarkerItemInfo& marker, TCustomVLData& data, bool unicode);

// A marker's measured box: Width and Height of what it shows, Descent below
// the baseline, Offset of the drawing from the item's left edge, MinWidth
// for the line, ExtraShift reported to a right-to-left layout.
struct TVLMarkerMetrics {
  Integer Width = 0, Height = 0, Descent = 0, Offset = 0, MinWidth = 0, ExtraShift = 0;
};
// The text a marker of a text list shows (its bullet, or its number in its
// list of data's markers); empty for a marker without a text.
WideString VLMarkerShownText(const TVLMarkerItemInfo& marker, TCustomVLData& data);
// Measures for the screen, or for the device of sad when given.
TVLMarkerMetrics VLMeasureMarker(const TVLMarkerItemInfo& marker, TCustomVLData& data, TCanvas& canvas,
                                 const TVLScreenAndDevice* sad, bool rightToLeft);
// Draws what the marker shows with its top-left at x, y; on the device of
// sad when given (printing), as it was measured for it.
void VLPaintMarker(const TVLMarkerItemInfo& marker, TCustomVLData& data, Integer x, Integer y,
                   TCanvas& canvas, const TVLScreenAndDevice* sad = nullptr);
