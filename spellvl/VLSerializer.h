#pragma once
// A rich-text document with the documents of its table cells, at any depth,
// seen as one flat sequence of items. Every item gets a serial position in
// reading order (at a table: the table item, then the items of its cells in
// the table's cell order, then what follows the table). The walk is lazy:
// it records the runs of items it has passed as entries and cuts them back
// when it returns.
#include "platform/base/Types.h"

#include <memory>
#include <vector>

class TCustomVLData;
class TVLStoreSubVLData;

// One uninterrupted run of items of one data object.
class TVLSerEntry : public TObject {
public:
  TVLSerEntry(TCustomVLData* AVLData, int AStartPos);
  ~TVLSerEntry() override;

  int StartPos;
  TCustomVLData* VLData;
  int ParentIndex = -1;
  int ItemNo = -1;
  std::unique_ptr<TVLStoreSubVLData> Store;
  int FirstItemNo = 0;
  int CurItemNo = -1;

  int PosOf(int itemNo) const { return StartPos + itemNo - FirstItemNo; }
  int EndPos() const { return PosOf(CurItemNo); }
};

class TVLSerializer : public TObject {
public:
  explicit TVLSerializer(TCustomVLData* AVLData);
  ~TVLSerializer() override;

  bool GoNext();
  bool GoPrev();
  int GetCurrentPos() const;
  void GetCurrentItem(TCustomVLData*& AVLData, int& AItemNo) const;
  bool GoToPos(int Pos);
  bool LocateItem(TCustomVLData* AVLData, int AItemNo);
  bool SeekPosBackward(int Pos);
  bool FindPosForward(int Pos);
  bool SeekItemBackward(TCustomVLData* AVLData, int AItemNo);
  bool FindItemForward(TCustomVLData* AVLData, int AItemNo);
  void ItemToPos(TCustomVLData* AVLData, int AItemNo, int& Pos) const;
  void GetSelectionPositions(int& StartPos, int& StartOffs, int& EndPos, int& EndOffs);
  void ChooseCurrentSubData();

  // The entry of the current item: whether it lies in a table cell, and
  // the first item number of the entry (a walk back stops there).
  const TVLSerEntry& CurrentEntry() const { return *FEntries[static_cast<size_t>(CurIndex)]; }
  // Entry I; the entries of the cells that hold the current item are
  // reached through ParentIndex from the current one.
  const TVLSerEntry& EntryAt(int i) const { return *FEntries[static_cast<size_t>(i)]; }
  int Count() const { return static_cast<int>(FEntries.size()); }

  TCustomVLData* RootVLData;
  int CurIndex = 0;
  bool AtEnd = false;

private:
  TVLSerEntry& Entry(int i) { return *FEntries[static_cast<size_t>(i)]; }
  const TVLSerEntry& Entry(int i) const { return *FEntries[static_cast<size_t>(i)]; }
  TVLSerEntry& Last() { return *FEntries.back(); }
  void CutAfter(int index);
  void AppendCell(TCustomVLData* cell, int parentIndex, int itemNo,
                  std::unique_ptr<TVLStoreSubVLData> store);
  // The innermost active document of the editor (an in-place cell editor's
  // data), as long as it is an editor's data.
  TCustomVLData* InnermostEditData() const;

  std::vector<std::unique_ptr<TVLSerEntry>> FEntries;
};
