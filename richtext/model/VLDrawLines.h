#pragma once
// Draw lines: one record per piece of an item on a laid-out line, and the
// list that holds them. The list can mark a stretch as pending replacement
// so that a reformat refills freed slots in place and shifts the rest of the
// list only once, by the difference.
#include "platform/base/Strings.h"
#include "platform/base/Types.h"

#include <memory>
#include <vector>

class TCanvas;
class TCustomVLData;

class TVLDrawLineInfo : public TObject {
public:
  TVLDrawLineInfo() = default;
  // Sets the fields through the virtual SetData and SetSize.
  static std::unique_ptr<TVLDrawLineInfo> CreateEx(Integer left, Integer top, Integer width,
                                                   Integer height, Integer itemNo,
                                                   bool startsNewLine);
  virtual void SetData(Integer left, Integer top, Integer itemNo, bool startsNewLine);
  virtual void SetSize(Integer width, Integer height);
  // Page splitting of printed items; plain pieces never split.
  virtual bool InitSplit() { return false; }
  virtual bool CanSplitFirst(Integer y) { return false; }
  virtual bool SplitAt(Integer y) { return false; }
  // The page parts made by the split calls, and their heights.
  virtual Integer PartCount() const { return 0; }
  virtual Integer PartHeight(Integer index) const { return 0; }
  // On paper, once the document printed (printData) placed the item on a
  // line of lineWidth device pixels: an item that lays itself out for the
  // paper does it here, on canvas, and sets its Width and Height; others
  // keep the size scaled from the screen.
  virtual void LayOutForPrinting(TCustomVLData* printData, TCanvas* canvas, Integer lineWidth) {}

  // Pixels that justification added to the piece (spread over its leading
  // space when painted).
  Integer JustifyExtra = 0;
  Integer Left = 0;
  Integer Top = 0;
  Integer Width = 0;
  Integer Height = 0;
  Integer ItemNo = 0;
  // First character of the piece inside a text item, from 1.
  Integer TextOffset = 1;
  // Characters of the piece (0 for non-text items).
  Integer Length = 0;
  // Line spacing added below every piece of the line.
  Integer ExtraSpaceBelow = 0;
  bool StartsNewLine = false;
  // What a text piece shows (its characters, style, paragraph and marks)
  // as the layout left it; 0 when unknown. A piece with the same digest in
  // the same place paints the same pixels.
  Cardinal Digest = 0;
};

// One page part of an item printed over several pages.
class TVLMultiDrawItemPart : public TObject {
public:
  virtual Integer GetPartStart() const { return -1; }
  Integer Height = 0;
};

// The printing record of an item split over pages, with its page parts.
template <class TPart>
class TVLSplitPrintInfo : public TVLDrawLineInfo {
public:
  Integer PartCount() const override { return static_cast<Integer>(PartsList.size()); }
  Integer PartHeight(Integer index) const override {
    return index >= 0 && index < PartCount() ? PartsList[static_cast<size_t>(index)]->Height : 0;
  }
  std::vector<std::unique_ptr<TPart>> PartsList;
};

class TVLDrawLines {
public:
  TVLDrawLines() = default;
  TVLDrawLines(const TVLDrawLines&) = delete;
  TVLDrawLines& operator=(const TVLDrawLines&) = delete;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TVLDrawLineInfo* Get(Integer index) const { return FItems[static_cast<size_t>(index)].get(); }
  TVLDrawLineInfo* operator[](Integer index) const { return Get(index); }
  TVLDrawLineInfo* Last() const { return FItems.back().get(); }
  // Appends (or refills the next pending slot when one is left at the end).
  void Add(std::unique_ptr<TVLDrawLineInfo> item) { Insert(Count(), std::move(item)); }
  // Fills the next slot of the pending range, or inserts.
  void Insert(Integer index, std::unique_ptr<TVLDrawLineInfo> item);
  // Frees the line; its slot joins the pending range when one exists.
  void Delete(Integer index);
  // Frees first..last and keeps their slots as the pending range.
  void MarkForDelete(Integer first, Integer last);
  // Removes the slots of the pending range that were not refilled.
  void DeleteMarked();
  // Removes first..last; the lines are returned to the caller.
  std::vector<std::unique_ptr<TVLDrawLineInfo>> RemoveRange(Integer first, Integer last);
  void Clear();
  Integer PendingFirst() const { return FPendingFirst; }
  Integer PendingCount() const { return FPendingCount; }

  // The text of line index, cut from its item's text (items: item texts
  // paired with item objects; raw UTF-16 when the item says so).
  AnsiString GetText(Integer index, const TStrings& items) const;
  // From its start-th character for count characters (clipped to the piece).
  AnsiString GetSubText(Integer index, const TStrings& items, Integer start, Integer count) const;

private:
  std::vector<std::unique_ptr<TVLDrawLineInfo>> FItems;
  Integer FPendingFirst = -1;
  Integer FPendingCount = 0;
  // Where the pending range started (how much a long refill has laid out).
  Integer FSessionStart = 0;
};
