#pragma once
// Undo record classes: each stores what one recording primitive destroyed
// or altered; its Undo calls the opposite primitive, which records the
// record that redoes the change.
#include "richtext/editor/VLUndo.h"
#include "richtext/model/VLItem.h"

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class TVLUndoItemNoInfo : public TVLUndoInfo {
public:
  void GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) override;
  Integer ItemNo = -1;
  Integer LastAffectedItemNo = -1;
};

class TVLUndoReformateRange : public TVLUndoItemNoInfo {
public:
  bool RequiresFinalUpdate() const override { return FinalUpdate; }
  void Undo(TVLEditVLData* data) override;
  bool FinalUpdate = false;
};

// A record that remembers its paragraph's minimum width before its change.
class TVLUndoWidthInfo : public TVLUndoItemNoInfo {
public:
  bool FullReformatAfterUndo(TVLEditVLData* data) override;
  Integer W = 0;
};

class TVLUndoChangeTextInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  AnsiString Text;
};

class TVLUndoDeleteSubstringInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  AnsiString Text;
  Integer Offset = 1;
};

class TVLUndoInsertSubstringInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Offset = 1;
  Integer Length = 0;
};

// Typed characters: undone one at a time, each into the redo list.
class TVLUndoTypingInfo : public TVLUndoInsertSubstringInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer TypingCount() const override { return Length; }
  bool Unicode = false;
};

// Un-typed characters, last typed first: redone one at a time.
class TVLRedoTypingInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer TypingCount() const override { return CharCount(); }
  Integer CharCount() const {
    return Unicode ? static_cast<Integer>(Text.size() / 2) : static_cast<Integer>(Text.size());
  }
  AnsiString Text;
  Integer Offset = 1;
  bool Unicode = false;
};

// Holds an item object (owned until Undo gives it back).
class TVLUndoItemInfo : public TVLUndoItemNoInfo {
public:
  ~TVLUndoItemInfo() override;
  AnsiString Text;
  TCustomVLItemInfo* Item = nullptr;
};

class TVLUndoDeleteItemInfo : public TVLUndoItemInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer ItemsAdded() const override { return 1; }
  bool FullReformatAfterUndo(TVLEditVLData* data) override;
  bool FullReformat = false;
};

class TVLUndoModifyItemInfo : public TVLUndoItemInfo {
public:
  void Undo(TVLEditVLData* data) override;
  bool FullReformatBeforeUndo(TVLEditVLData* data) override;
};

class TVLUndoDeleteItemsInfo : public TVLUndoInfo {
public:
  ~TVLUndoDeleteItemsInfo() override;
  void Undo(TVLEditVLData* data) override;
  void GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) override;
  Integer ItemsAdded() const override { return static_cast<Integer>(List.size()); }
  bool FullReformatAfterUndo(TVLEditVLData* data) override;
  std::vector<std::pair<AnsiString, TCustomVLItemInfo*>> List;
  Integer StartItemNo = 0;
  Integer EndItemNo = -1;
  bool FullReformat = false;
};

class TVLUndoInsertItemInfo : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer ItemsAdded() const override { return -1; }
  bool FullReformatBeforeUndo(TVLEditVLData* data) override;
  bool FullReformatAfterUndo(TVLEditVLData* data) override { return FullReformat; }
  bool FullReformat = false;
};

class TVLUndoInsertItemsInfo : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  void GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) override;
  Integer ItemsAdded() const override { return -Count; }
  bool FullReformatBeforeUndo(TVLEditVLData* data) override;
  bool FullReformatAfterUndo(TVLEditVLData* data) override { return FullReformat; }
  Integer Count = 0;
  bool FullReformat = false;
};

class TVLUndoParaListInfo : public TVLUndoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  void GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) override;
  bool FullReformatAfterUndo(TVLEditVLData* data) override { return FullReformat; }
  std::vector<Integer> List;
  Integer StartItemNo = 0;
  bool FullReformat = false;
};

class TVLUndoStyleNoInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer StyleNo = 0;
};

// The line bits of an item (same-as-previous, page break, line break) as
// they were; the three primitives that change them share it.
class TVLUndoFlagsInfo : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  bool FullReformatAfterUndo(TVLEditVLData* data) override { return FullReformat; }
  Byte Flags = 0;
  bool FullReformat = false;
};
class TVLUndoNewLineInfo : public TVLUndoFlagsInfo {};
class TVLUndoBRInfo : public TVLUndoFlagsInfo {};
class TVLUndoPageBreakInfo : public TVLUndoFlagsInfo {};

class TVLUndoTagInfo : public TVLUndoItemNoInfo {
public:
  bool RequiresReformat() const override { return false; }
  void Undo(TVLEditVLData* data) override;
  TVLTag Tag;
};

class TVLUndoExtraIntProperty : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  TVLExtraItemProperty Property = vleipUnknown;
  Integer Value = 0;
};

class TVLUndoModifyItemIntProperty : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  String PropertyName;
  Integer Value = 0;
};

class TVLUndoResizeInfo : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  Integer Width = 0, Height = 0;
};

class TVLUndoAddCPInfo : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
};

class TVLUndoDeleteCPInfo : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  std::unique_ptr<TVLCPInfo> Checkpoint;
};

// Brackets records (table row and column changes) whose own widths do not
// decide the reformat; the replay moves the remembered value across.
class TVLUndoModifyItemTerminator : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  bool Flag = false;
  bool SavedFullReformat = false;
};

class TVLUndoReplaceItemInfo : public TVLUndoItemInfo {
public:
  bool RequiresReformat() const override { return false; }
  void Undo(TVLEditVLData* data) override;
};

class TVLUndoModifyItemIntProperties : public TVLUndoWidthInfo {
public:
  void Undo(TVLEditVLData* data) override;
  std::vector<std::pair<String, Integer>> Properties;
};

// A document nested in items of this one (a table cell, at any depth) as
// it was before a change made outside its editor: the way down to it (per
// step an item number and the item's name for the inner document) and its
// items as VLF. Undone, it puts them back and keeps what it replaced for
// the redo.
class TVLUndoNestedContent : public TVLUndoItemNoInfo {
public:
  void Undo(TVLEditVLData* data) override;
  bool FullReformatAfterUndo(TVLEditVLData* data) override { return true; }
  struct TStep {
    Integer ItemNo = -1;
    std::unique_ptr<TVLStoreSubVLData> Location;
  };
  std::vector<TStep> Path;
  AnsiString Content;
};

// A whole undo list of a nested editor, undone group by group.
class TVLCompositeUndo : public TVLUndoItemNoInfo {
public:
  bool RequiresReformat() const override { return false; }
  void Undo(TVLEditVLData* data) override;
  std::unique_ptr<TVLUndoList> UndoList;
};

// ---------------------------------------------------------------------------
// Ordinal properties of item classes by name, for the records that set
// properties by name.
struct TVLIntProperty {
  std::function<bool(const TCustomVLItemInfo&, Integer&)> Get;
  std::function<bool(TCustomVLItemInfo&, Integer)> Set;
};
class TVLPropertyRegistry {
public:
  static TVLPropertyRegistry& Instance();
  void Register(const String& name, TVLIntProperty property);
  // False when no class answers the name for this item.
  bool Get(const TCustomVLItemInfo& item, const String& name, Integer& value) const;
  bool Set(TCustomVLItemInfo& item, const String& name, Integer value) const;

private:
  TVLPropertyRegistry();
  std::multimap<String, TVLIntProperty> FProps;
};
