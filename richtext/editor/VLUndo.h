#pragma once
// Undo and redo lists: a list holds groups, a group holds the records that
// reverse one user action. Replaying a group runs each record's inverse
// through the editor's recording primitives, so the inverse of the replay
// lands in the opposite list.
#include "platform/base/Types.h"
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLItem.h"

#include <memory>
#include <vector>

class TVLEditVLData;
class TVLUndoList;
class TCustomVLData;

// Undo types of groups.
inline constexpr Byte vlutNone = 0;
inline constexpr Byte vlutDelete = 1;
inline constexpr Byte vlutInsert = 2;
inline constexpr Byte vlutParaStyle = 3;
inline constexpr Byte vlutEnter = 4;
inline constexpr Byte vlutInsertPageBreak = 5;
inline constexpr Byte vlutRemovePageBreak = 6;
inline constexpr Byte vlutTyping = 7;
inline constexpr Byte vlutTag = 8;
inline constexpr Byte vlutStyle = 9;
inline constexpr Byte vlutModifyItem = 13;
inline constexpr Byte vlutLists = 14;
inline constexpr Byte vlutCustom = 15;

// Action codes of records.
inline constexpr Byte vlumReformatRange = 0;
inline constexpr Byte vlumDeleteItem = 1;
inline constexpr Byte vlumDeleteItems = 2;
inline constexpr Byte vlumDeleteSubstring = 3;
inline constexpr Byte vlumInsertItem = 4;
inline constexpr Byte vlumInsertItems = 5;
inline constexpr Byte vlumInsertSubstring = 6;
inline constexpr Byte vlumNewLine = 7;
inline constexpr Byte vlumBR = 8;
inline constexpr Byte vlumPara = 9;
inline constexpr Byte vlumPageBreak = 10;
inline constexpr Byte vlumTyping = 11;
inline constexpr Byte vlumTag = 12;
inline constexpr Byte vlumStyleNo = 13;
inline constexpr Byte vlumCheckpoint = 14;
inline constexpr Byte vlumModifyItem = 15;
inline constexpr Byte vlumChangeText = 16;

// One record: what one primitive change destroyed or altered.
class TVLUndoInfo : public TObject {
public:
  TVLUndoInfo() = default;
  ~TVLUndoInfo() override = default;
  // The document of the list that holds the record (directly, or inside a
  // record of that list): it hears of the items the record frees. None once
  // that list is gone.
  TCustomVLData* GetOwnerVLData() const;
  TVLUndoList* GetOwnerList() const;
  // The record now belongs to list. A record that keeps whole groups (a
  // cell's history) passes it on to every record in them, at any depth.
  virtual void SetOwnerList(TVLUndoList* list);

  // Undoing this shrinks the document's minimum width: a partial reformat
  // is not enough (asked before Undo).
  virtual bool FullReformatBeforeUndo(TVLEditVLData* data) { return false; }
  // The restored content needs a full reformat (asked after Undo).
  virtual bool FullReformatAfterUndo(TVLEditVLData* data) { return false; }
  virtual bool RequiresReformat() const { return true; }
  virtual bool RequiresFinalUpdate() const { return false; }
  virtual void Undo(TVLEditVLData* data) {}
  // Items touched; leaves both unchanged when the record has no range.
  virtual void GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) {}
  virtual Integer ItemsAdded() const { return 0; }
  // Characters a typing record still holds (-1: not a typing record).
  virtual Integer TypingCount() const { return -1; }

  Byte Action = 0;

private:
  // Weak: a record never keeps its list alive, nor reads it once it is gone.
  std::weak_ptr<TVLUndoList* const> FOwnerList;
};

// One group: everything one user action changed.
class TVLUndoInfos : public TObject {
public:
  Integer Count() const { return static_cast<Integer>(FRecords.size()); }
  TVLUndoInfo* Get(Integer i) const { return FRecords[static_cast<size_t>(i)].get(); }
  void Add(std::unique_ptr<TVLUndoInfo> record) { FRecords.push_back(std::move(record)); }
  // Every record of the group, and those they keep, now belongs to list.
  void SetOwnerList(TVLUndoList* list);
  // No record, or a first record that is an emptied typing record.
  bool IsEmpty() const;
  void Undo(TVLEditVLData* data);
  void Redo(TVLEditVLData* data);
  void PerformUndo(TVLEditVLData* data, bool reformat);
  // The records from index on, taken out of this group (for rolling back
  // the part of an action that failed).
  std::unique_ptr<TVLUndoInfos> TakeFrom(Integer index);

  // The inner document (a table's cell) of the item CellItemNo whose
  // editor held the caret when the action began, and the caret there: the
  // action undone or redone, the caret goes back into it. The first note
  // of a group holds; the opposite group gets it too.
  void NoteCaretCell(Integer itemNo, const TVLStoreSubVLData& cell, Integer caretItemNo, Integer caretOffs);
  void CopyCaretCellTo(TVLUndoInfos& other) const;
  // A cell nested in the noted one (then in that, and so on) the caret
  // goes down to; the caret noted is in the innermost.
  void NoteInnerCell(Integer itemNo, const TVLStoreSubVLData& cell);

  String Caption;
  Byte UndoType = vlutNone;
  Integer CaretItemNo = 0;
  Integer CaretOffs = 0;
  Integer CellItemNo = -1;
  std::unique_ptr<TVLStoreSubVLData> CaretCell;
  Integer CellCaretItemNo = 0;
  Integer CellCaretOffs = 0;
  std::vector<std::pair<Integer, std::unique_ptr<TVLStoreSubVLData>>> InnerCells;

private:
  std::vector<std::unique_ptr<TVLUndoInfo>> FRecords;
};

class TVLUndoList : public TObject {
public:
  explicit TVLUndoList(TCustomVLData* owner) : FOwner(owner) {}
  TVLUndoList(const TVLUndoList&) = delete;
  TVLUndoList& operator=(const TVLUndoList&) = delete;
  TCustomVLData* GetOwner() const { return FOwner; }
  // What the records of the list hold on to (weakly) to find it.
  std::weak_ptr<TVLUndoList* const> Anchor() const { return FAnchor; }

  Integer Count() const { return static_cast<Integer>(FGroups.size()); }
  TVLUndoInfos* Get(Integer i) const { return FGroups[static_cast<size_t>(i)].get(); }
  TVLUndoInfos* LastGroup() const { return FGroups.empty() ? nullptr : FGroups.back().get(); }
  void Clear() { FGroups.clear(); }

  // Opens (or reuses, in group mode) the group that following records go
  // into; false when recording is off.
  bool BeginGroup(Byte undoType, const String& caption, Integer caretItemNo, Integer caretOffs);
  void AddInfo(std::unique_ptr<TVLUndoInfo> record);
  void AddGroup(std::unique_ptr<TVLUndoInfos> group);
  void AddTyping(Integer itemNo, Integer offs, bool unicode);
  void AddRedoTyping(const AnsiString& text, Integer itemNo, Integer offs);
  Byte GetLastGroupType() const;
  void RemoveEmptyLastGroup();
  void Undo(TVLEditVLData* data);
  void Redo(TVLEditVLData* data);
  void PopLastGroup();
  void PopGroup(TVLUndoInfos* group);
  // Every group, taken out of the list (a cell editor's history leaving it).
  std::vector<std::unique_ptr<TVLUndoInfos>> TakeGroups() {
    std::vector<std::unique_ptr<TVLUndoInfos>> groups;
    groups.swap(FGroups);
    return groups;
  }
  // Drops the oldest groups beyond Limit (a lowered limit takes effect at once).
  void TrimToLimit();

  Integer Limit = -1;
  Integer GroupModeCounter = 0;

private:
  TCustomVLData* FOwner;
  // Before the groups: their records still find the list while it frees them.
  const std::shared_ptr<TVLUndoList* const> FAnchor = std::make_shared<TVLUndoList* const>(this);
  std::vector<std::unique_ptr<TVLUndoInfos>> FGroups;
};
