// Tables in VLF. A table is one item record: the header, the item text
// line, the extra property lines, a line "1" and the table streamed as a
// component (hexadecimal, or length-prefixed under binary VLF). The stream
// holds a wrapper whose published "T" is the table, its cells in "C" (row by
// row: column span, row span and the cell wrapper, whose "C" is the cell
// with its content as a VLF document in "Data") and the rows' vertical
// alignment in "RowVAlign".
//
// Documents saved before carry the grid in the header and one line per grid
// position; those records are still read, and written again in the form
// above.
#include "richtext/table/VLTable.h"

#include "platform/base/PropStream.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLItemVLF.h"
#include "richtext/table/VLTablePrint.h"

#include <algorithm>

namespace {

// Only the lone empty text item a new cell starts with.
bool HoldsNothing(TCustomVLData& cell) {
  return cell.GetItemCount() == 0 ||
         (cell.GetItemCount() == 1 && cell.GetItem(0)->StyleNo >= 0 && cell.GetItemTextA(0).empty());
}

// A cell worth no "Data": exactly one empty text item of style 0, paragraph 0.
bool IsPristine(TCustomVLData& cell) {
  if (cell.GetItemCount() != 1) return false;
  const TCustomVLItemInfo* item = cell.GetItem(0);
  return item->StyleNo == 0 && item->ParaNo == 0 && cell.GetItemTextA(0).empty();
}

const std::initializer_list<const char*> OptionNames = {
    "vltoEditing", "vltoRowSizing", "vltoColSizing", "vltoRowSelect", "vltoColSelect",
    "vltoRTFSaveCellPixelBestWidth", "vltoRTFAllowAutofit", "vltoHideGridLines", "vltoOverlappingCorners",
    "vltoCellBelowBorders"};
const std::initializer_list<const char*> PrintOptionNames = {"vltoHalftoneBorders", "vltoRowsSplit",
                                                             "vltoWhiteBackground"};
const std::initializer_list<const char*> BorderStyleNames = {"vltbRaised", "vltbLowered", "vltbColor",
                                                             "vltbRaisedColor", "vltbLoweredColor"};
const std::initializer_list<const char*> VAlignNames = {"vlcTop", "vlcMiddle", "vlcBottom", "vlcVDefault"};
const std::initializer_list<const char*> BackStyleNames = {"vlbsColor", "vlbsStretched", "vlbsTiled",
                                                           "vlbsCentered"};

// A background picture (the table's or a cell's): its class name (one
// length byte first), then its bytes. One that cannot be read is left out;
// the owner keeps its colour.
std::unique_ptr<TGraphic> ReadPicture(TStream& s) {
  const Int64 size = s.GetSize() - s.GetPosition();
  if (size < 1) return nullptr;
  AnsiString all(static_cast<size_t>(size), '\0');
  s.Read(all.data(), static_cast<Integer>(size));
  const size_t n = static_cast<unsigned char>(all[0]);
  if (1 + n >= all.size()) return nullptr;
  std::unique_ptr<TGraphic> picture = CreateGraphicOfClassName(all.substr(1, n));
  if (!picture) return nullptr;
  picture->LoadFromBytes(all.data() + 1 + n, all.size() - 1 - n);
  if (picture->GetEmpty()) return nullptr;
  return picture;
}

void WritePicture(TStream& s, TGraphic& image) {
  const AnsiString name = image.ClassName();
  const AnsiString bytes = image.SaveToBytes();
  const char n = static_cast<char>(std::min<size_t>(name.size(), 255));
  s.Write(&n, 1);
  s.Write(name.data(), static_cast<unsigned char>(n));
  s.Write(bytes.data(), static_cast<Integer>(bytes.size()));
}

void DefinePicture(TFiler& f, TGraphic* image, std::function<void(std::unique_ptr<TGraphic>)> keep) {
  f.DefineBinaryProperty(
      "BackgroundImg",
      [keep = std::move(keep)](TStream& s) {
        if (auto picture = ReadPicture(s)) keep(std::move(picture));
      },
      [image](TStream& s) { WritePicture(s, *image); }, image && !image->GetEmpty());
}

// The table's published properties.
class TTableProps : public TPersistent {
public:
  explicit TTableProps(TVLTableItemInfo& t) : T(t) {}
  void DeclareProperties(TPropertyList& l) override {
    l.AddSet("Options", T.Options, OptionNames,
             TVLTableOptions{vltoEditing, vltoRowSizing, vltoColSizing, vltoRowSelect, vltoColSelect});
    l.AddSet("PrintOptions", T.PrintOptions, PrintOptionNames,
             TVLTablePrintOptions{vltoHalftoneBorders, vltoRowsSplit});
    l.AddInt("BestWidth", T.BestWidth, 0);
    l.AddInt("Color", T.Color, clWindow);
    l.AddEnum("BackgroundStyle", T.BackgroundStyle, BackStyleNames, vlbsColor);
    l.AddInt("HeadingRowCount", T.HeadingRowCount, 0);
    l.AddString("TextRowSeparator", T.TextRowSeparator, "\r\n");
    l.AddString("TextColSeparator", T.TextColSeparator, "\r\n");
    l.AddInt("BorderWidth", T.BorderWidth, 0);
    l.AddInt("BorderColor", T.BorderColor, clWindowText);
    l.AddInt("BorderLightColor", T.BorderLightColor, clBtnHighlight);
    l.AddEnum("BorderStyle", T.BorderStyle, BorderStyleNames, vltbRaised);
    l.AddInt("BorderVSpacing", T.BorderVSpacing, 2);
    l.AddInt("BorderHSpacing", T.BorderHSpacing, 2);
    l.AddInt("CellBorderWidth", T.CellBorderWidth, 0);
    l.AddInt("CellBorderColor", T.CellBorderColor, clWindowText);
    l.AddInt("CellBorderLightColor", T.CellBorderLightColor, clBtnHighlight);
    l.AddInt("CellPadding", T.CellPadding, 1);
    l.AddEnum("CellBorderStyle", T.CellBorderStyle, BorderStyleNames, vltbLowered);
    l.AddInt("VRuleWidth", T.VRuleWidth, 0);
    l.AddInt("VRuleColor", T.VRuleColor, clWindowText);
    l.AddInt("HRuleWidth", T.HRuleWidth, 0);
    l.AddInt("HRuleColor", T.HRuleColor, clWindowText);
    l.AddInt("CellVSpacing", T.CellVSpacing, 2);
    l.AddInt("CellHSpacing", T.CellHSpacing, 2);
    l.AddBool("VOutermostRule", T.VOutermostRule, false);
    l.AddBool("HOutermostRule", T.HOutermostRule, false);
  }
  void DefineProperties(TFiler& f) override {
    TVLTableItemInfo* t = &T;
    DefinePicture(f, T.GetBackgroundImage(), [t](std::unique_ptr<TGraphic> p) {
      t->StoreBackgroundImage(nullptr, -1, -1, -1, std::move(p));
    });
  }
  TVLTableItemInfo& T;
};

// A cell's published and defined properties.
class TCellProps : public TPersistent {
public:
  void DeclareProperties(TPropertyList& l) override {
    l.AddInt("Color", C->Color, clNone);
    l.AddInt("BorderColor", C->BorderColor, clNone);
    l.AddInt("BorderLightColor", C->BorderLightColor, clNone);
    l.AddInt("BestWidth", C->BestWidth, 0);
    l.AddInt("BestHeight", C->BestHeight, 0);
    l.AddObject("VisibleBorders", &C->VisibleBorders);
    l.AddEnum("VAlign", C->VAlign, VAlignNames, vlcVDefault);
    TVLTableCellData* cell = C;
    l.AddEnumProp(
        "BackgroundStyle", [cell] { return Int64(cell->GetBackgroundStyle()); },
        [cell](Int64 v) { cell->SetBackgroundStyle(static_cast<TVLItemBackgroundStyle>(std::clamp<Int64>(v, 0, 3))); },
        BackStyleNames, 0);
    l.AddStringProp(
        "BackgroundImageFileName", [cell] { return cell->BackgroundImageFileName; },
        [cell](const AnsiString& v) { cell->BackgroundImageFileName = v; }, AnsiString());
  }
  void DefineProperties(TFiler& f) override {
    TVLTableCellData* cell = C;
    DefinePicture(f, cell->GetBackgroundImage(),
                  [cell](std::unique_ptr<TGraphic> p) { cell->SetBackgroundImage(std::move(p)); });
    f.DefineBinaryProperty(
        "Data",
        [cell](TStream& s) {
          // The content's length is the property's: a shorter one would
          // leave the rest of the cell's text unread.
          if (!cell->LoadDataProperty(s) || s.Remaining() != 0) throw EReadError("Invalid cell data");
        },
        [cell](TStream& s) { cell->SaveDataProperty(s); }, !IsPristine(*cell));
  }
  TVLTableCellData* C = nullptr;
};

// The cell wrapper: one per save or load, pointed at each cell in turn.
class TD : public TComponent {
public:
  TD() : TComponent(nullptr) {}
  void DeclareProperties(TPropertyList& l) override {
    TComponent::DeclareProperties(l);
    l.AddObject("C", &Cell);
  }
  TCellProps Cell;
};

}  // namespace

// The table's wrapper.
class TVLTableSW : public TComponent {
public:
  explicit TVLTableSW(TVLTableItemInfo& t) : TComponent(nullptr), Table(t), Props(t) {}

  void DeclareProperties(TPropertyList& l) override {
    TComponent::DeclareProperties(l);
    l.AddObject("T", &Props);
  }

  void DefineProperties(TFiler& f) override {
    TComponent::DefineProperties(f);
    f.DefineProperty(
        "C", [this](TReader& r) { ReadCells(r); }, [this](TWriter& w) { WriteCells(w); }, true);
    f.DefineProperty(
        "RowVAlign", [this](TReader& r) { ReadRowVAlign(r); }, [this](TWriter& w) { WriteRowVAlign(w); },
        HasRowVAlign());
  }

  void WriteCells(TWriter& w) {
    Table.BeginUpdate();
    struct TEnd {
      TVLTableItemInfo& T;
      ~TEnd() { T.EndUpdate(); }
    } end{Table};
    const std::vector<Integer> saved = Table.SavedRows();
    const Integer rows = static_cast<Integer>(saved.size());
    w.WriteInteger(rows);
    if (rows == 0) return;
    const Integer cols = Table.ColCount();
    w.WriteInteger(cols);
    w.WriteListBegin();
    // The heading rows and the range are blocks of their own: a span is cut
    // at the end of its block, and a position covered from outside its block
    // is written as an empty cell, so that the grid read back is whole.
    TVLTableCellData filler(&Table);
    filler.ResetContent();
    // The row whose cell covers each position, in one pass over the spans:
    // searching back from every covered position is quadratic in a large
    // merged cell.
    const Integer allRows = Table.RowCount();
    std::vector<Integer> coverRow(static_cast<size_t>(allRows) * static_cast<size_t>(cols), -1);
    for (Integer r = 0; r < allRows; ++r) {
      const TVLTableRow* row = Table.Rows.GetRow(r);
      for (Integer c = 0; c < std::min(cols, row->Count()); ++c) {
        const TVLTableCellData* cell = row->GetCell(c);
        if (!cell) continue;
        const Integer rEnd = std::min(allRows, r + std::max<Integer>(1, cell->RowSpan));
        const Integer cEnd = std::min(cols, c + std::max<Integer>(1, cell->ColSpan));
        for (Integer rr = r; rr < rEnd; ++rr)
          for (Integer cc = c; cc < cEnd; ++cc)
            coverRow[static_cast<size_t>(rr) * static_cast<size_t>(cols) + static_cast<size_t>(cc)] = r;
      }
    }
    // Each saved row's block of consecutive rows, found once.
    std::vector<Integer> blockStarts(static_cast<size_t>(rows)), blockEnds(static_cast<size_t>(rows));
    for (Integer k = 0; k < rows; ++k)
      blockStarts[static_cast<size_t>(k)] =
          k > 0 && saved[static_cast<size_t>(k)] == saved[static_cast<size_t>(k) - 1] + 1
              ? blockStarts[static_cast<size_t>(k) - 1]
              : k;
    for (Integer k = rows - 1; k >= 0; --k)
      blockEnds[static_cast<size_t>(k)] =
          k + 1 < rows && saved[static_cast<size_t>(k) + 1] == saved[static_cast<size_t>(k)] + 1
              ? blockEnds[static_cast<size_t>(k) + 1]
              : k + 1;
    for (Integer k = 0; k < rows; ++k) {
      const Integer blockEnd = blockEnds[static_cast<size_t>(k)];
      const Integer blockStart = blockStarts[static_cast<size_t>(k)];
      const Integer r = saved[static_cast<size_t>(k)];
      for (Integer c = 0; c < cols; ++c) {
        TVLTableCellData* cell = Table.GetCell(r, c);
        if (!cell) {
          const Integer mr = coverRow[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)];
          if (mr >= saved[static_cast<size_t>(blockStart)]) continue;  // covered within the block
          w.WriteInteger(1);
          w.WriteInteger(1);
          Cell.Cell.C = &filler;
          w.WriteComponent(Cell);
          continue;
        }
        w.WriteInteger(cell->ColSpan);
        w.WriteInteger(std::min(cell->RowSpan, blockEnd - k));
        Cell.Cell.C = cell;
        w.WriteComponent(Cell);
      }
    }
    w.WriteListEnd();
  }

  void ReadCells(TReader& r) {
    CellsStarted = true;
    ListMismatch = false;
    Table.FTextRead = 0;
    const Integer rows = r.ReadInteger();
    if (rows < 0) throw EReadError("Invalid table size");
    if (rows > VLTableMaxCells) {
      TooLarge = true;
      throw EReadError("Table too large");
    }
    if (rows == 0) {
      Table.Rows.Reset(0, 0);
      Table.FCols = 0;
      return;
    }
    const Integer cols = r.ReadInteger();
    if (cols < 0) throw EReadError("Invalid table size");
    if (static_cast<Int64>(rows) * std::max(cols, 1) > VLTableMaxCells) {
      TooLarge = true;
      throw EReadError("Table too large");
    }
    // Cells are made as their records come: a grid that the records do not
    // fill costs nothing until it is repaired (and is refused when that
    // would be more than the data can stand for).
    Table.Rows.Reset(rows, 0);
    for (auto& row : Table.Rows.Rows) row->Cells.resize(static_cast<size_t>(cols));
    Table.FCols = cols;
    std::vector<char> covered(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
    auto at = [cols](Integer row, Integer col) { return static_cast<size_t>(row) * static_cast<size_t>(cols) + static_cast<size_t>(col); };
    r.ReadListBegin();
    for (Integer row = 0; row < rows; ++row)
      for (Integer col = 0; col < cols; ++col) {
        if (covered[at(row, col)]) continue;  // covered by a merge made above
        if (r.EndOfList()) {
          // A grid larger than its list: every cell was read, if the
          // stream ends as it should after the list (a damaged byte that
          // reads as the list's end leaves the cells after it unread).
          r.ReadListEnd();
          ListMismatch = true;
          return;
        }
        const Integer colSpan = r.ReadInteger(), rowSpan = r.ReadInteger();
        auto& slot = Table.Rows.GetRow(row)->Cells[static_cast<size_t>(col)];
        slot = std::make_unique<TVLTableCellData>(&Table);
        covered[at(row, col)] = 1;
        // Spans that leave the grid or cut a merged cell stay 1 x 1.
        if (colSpan > 1 || rowSpan > 1) {
          bool fits = colSpan >= 1 && rowSpan >= 1 && colSpan <= cols - col && rowSpan <= rows - row;
          for (Integer rr = row; fits && rr < row + rowSpan; ++rr)
            for (Integer cc = col; fits && cc < col + colSpan; ++cc)
              fits = (rr == row && cc == col) || !covered[at(rr, cc)];
          if (fits) {
            for (Integer rr = row; rr < row + rowSpan; ++rr)
              for (Integer cc = col; cc < col + colSpan; ++cc) covered[at(rr, cc)] = 1;
            slot->ColSpan = colSpan;
            slot->RowSpan = rowSpan;
          } else {
            Repaired = true;
          }
        }
        Cell.Cell.C = slot.get();
        r.ReadComponent(Cell);
        Table.FTextRead += VLShownTextSize(*slot);
      }
    if (!r.EndOfList()) {
      KeepCellsPastTheGrid(r);
      ListMismatch = true;
    }
    r.ReadListEnd();
    if (!ListMismatch) CellsRead = true;
  }

  // Cells listed past the grid's positions: their content joins the last
  // cell, as in the older record.
  void KeepCellsPastTheGrid(TReader& r) {
    while (!r.EndOfList()) {
      r.ReadInteger();
      r.ReadInteger();
      TVLTableCellData extra(&Table);
      Cell.Cell.C = &extra;
      r.ReadComponent(Cell);
      Table.FTextRead += VLShownTextSize(extra);
      if (VLTableCellHoldsNothing(extra)) continue;
      Integer mr, mc;
      TVLTableCellData* keeper = Table.Rows.GetMainCell(Table.RowCount() - 1, Table.ColCount() - 1, mr, mc);
      if (!keeper) continue;
      if (VLTableCellHoldsNothing(*keeper)) keeper->Clear();
      keeper->MoveItemsFrom(&extra);
    }
  }

  // The cells' list found where a damaged name or value before it stopped
  // the read: the list starts before the first cell record, with the grid's
  // two numbers and the list's mark; the first place from which a whole
  // list reads is taken.
  bool SalvageCells(const AnsiString& bytes) {
    static const char cellRecord[] = "QPS1\x02TD";
    const size_t firstCell = bytes.find(cellRecord, 1);
    if (firstCell == AnsiString::npos) return false;
    auto isInteger = [](char c) { return c == vaInt8 || c == vaInt16 || c == vaInt32; };
    for (size_t k = 0; k + 3 < firstCell; ++k) {
      if (!isInteger(bytes[k])) continue;
      try {
        TStringStream s(bytes.substr(k));
        TReader r(s);
        Repaired = TooLarge = ListMismatch = false;
        ReadCells(r);
        if (CellsRead) return true;
      } catch (const Exception&) {
      }
    }
    Table.Rows.Reset(0, 0);
    Table.FCols = 0;
    TooLarge = false;
    return false;
  }

  bool HasRowVAlign() const {
    for (Integer r : Table.SavedRows())
      if (Table.Rows.GetRow(r)->VAlign != vlcTop) return true;
    return false;
  }

  void WriteRowVAlign(TWriter& w) {
    w.WriteListBegin();
    for (Integer r : Table.SavedRows()) w.WriteInteger(Table.Rows.GetRow(r)->VAlign);
    w.WriteListEnd();
  }

  void ReadRowVAlign(TReader& r) {
    r.ReadListBegin();
    for (Integer i = 0; !r.EndOfList(); ++i) {
      const Integer v = r.ReadInteger();
      if (v < vlcTop || v > vlcVDefault) throw EReadError("Invalid property value of RowVAlign");
      if (i < Table.RowCount()) Table.Rows.GetRow(i)->VAlign = static_cast<TVLCellVAlign>(v);
    }
    r.ReadListEnd();
  }

  TVLTableItemInfo& Table;
  TTableProps Props;
  TD Cell;
  bool Repaired = false;
  bool TooLarge = false;
  bool CellsStarted = false, CellsRead = false;
  // The list and the grid disagree: the grid is repaired once the rest of
  // the stream is read.
  bool ListMismatch = false;
};

AnsiString TVLTableItemInfo::SaveToBytes() {
  TVLTableSW sw(*this);
  TMemoryStream s;
  WriteComponentToStream(s, sw);
  return s.Bytes();
}

void TVLTableItemInfo::LoadFromBytes(const AnsiString& bytes) {
  TVLTableSW sw(*this);
  TStringStream s(bytes);
  try {
    ReadComponentFromStream(s, sw);
    if (s.Remaining() != 0) throw EReadError("Invalid stream format");
    if (sw.ListMismatch) {
      sw.CellsRead = true;
      throw EReadError("Wrong end of cells list");
    }
  } catch (...) {
    FRefused = FRefused || sw.TooLarge;
    // Damage before the cells leaves the grid to be found; damage inside
    // them loses the text of the cells after it.
    if (!sw.CellsRead && !(!FRefused && !sw.CellsStarted && sw.SalvageCells(bytes))) FTextLost = true;
    FGridRepaired = FGridRepaired || sw.Repaired;
    throw;
  }
  FGridRepaired = FGridRepaired || sw.Repaired;
}

// ---------------------------------------------------------------------------
// The record

AnsiString TVLTableItemInfo::GetVLFParams(TCustomVLData*) const { return AnsiString(); }

Integer TVLTableItemInfo::GetVLFExtraPropertyCount() const {
  return TVLFullLineItemInfo::GetVLFExtraPropertyCount() + (FileName.empty() ? 0 : 1);
}

void TVLTableItemInfo::SaveVLFExtraProperties(TStream& stream) const {
  TVLFullLineItemInfo::SaveVLFExtraProperties(stream);
  if (!FileName.empty()) VLFWriteExtraStrProperty(stream, vlesipFileName, FileName);
}

bool TVLTableItemInfo::SetExtraStrProperty(TVLExtraItemStrProperty prop, const String& value) {
  if (prop != vlesipFileName) return TVLFullLineItemInfo::SetExtraStrProperty(prop, value);
  FileName = value;
  return true;
}

bool TVLTableItemInfo::GetExtraStrProperty(TVLExtraItemStrProperty prop, String& value) const {
  if (prop != vlesipFileName) return TVLFullLineItemInfo::GetExtraStrProperty(prop, value);
  value = FileName;
  return true;
}

std::vector<Integer> TVLTableItemInfo::SavedRows() const {
  std::vector<Integer> rows;
  const Integer total = RowCount();
  for (Integer r = 0; r < std::min(SaveHeadingRows, total); ++r) rows.push_back(r);
  const Integer first = std::clamp<Integer>(SaveFirstRow, 0, total);
  const Integer last = SaveRowCount < 0 ? total : std::min(total, first + SaveRowCount);
  for (Integer r = first; r < last; ++r) rows.push_back(r);
  return rows;
}

void TVLTableItemInfo::SaveVLFPart(TStream& stream, TCustomVLData* vlData, Integer paraNo, const AnsiString& name,
                                   const TVLTablePrintPart& part) {
  SaveFirstRow = part.FirstRow;
  SaveRowCount = part.RowCount;
  // Heading rows already inside the range (a first part, or headings that
  // do not repeat) are not written twice.
  SaveHeadingRows = std::clamp<Integer>(std::min(HeadingRowCount, RowCount()), 0, std::max<Integer>(part.FirstRow, 0));
  SaveVLF(stream, vlData, -1, paraNo, name, true, false);
}

void TVLTableItemInfo::SaveVLF(TStream& stream, TCustomVLData* vlData, Integer, Integer paraNo,
                               const AnsiString& name, bool part, bool) {
  if (!part) {
    SaveHeadingRows = 0;
    SaveFirstRow = 0;
    SaveRowCount = -1;
  }
  const bool binary = VLFOptionsOf(vlData).Contains(vlfoSaveBinary);
  // Streamed first: a failure leaves no half record behind.
  const AnsiString bytes = SaveToBytes();
  VLFWriteItemHeader(stream, vlData, *this, GetVLFExtraPropertyCount() + 3, paraNo, binary ? 2 : 0);
  VLFWriteLine(stream, VLFEncodeOneLine(name));
  SaveVLFExtraProperties(stream);
  VLFWriteLine(stream, "1");
  VLFWriteItemData(stream, binary, bytes);
}

bool TVLTableItemInfo::ReadVLFParams(const char*& p) {
  while (*p == ' ') ++p;
  FLegacyRecord = *p != '\0';
  if (!FLegacyRecord) return true;
  Integer v[19];
  for (Integer& x : v)
    if (!VLFReadNumber(p, x)) return false;
  if (v[0] < 0 || v[1] < 0) return false;
  // The grid is made when the record's line count is known.
  FLegacyRows = v[0];
  FCols = v[1];
  Options = TVLTableOptions::FromMask(static_cast<uint32_t>(v[2]));
  BestWidth = v[3];
  Color = v[4];
  HeadingRowCount = v[5];
  BorderWidth = v[6];
  BorderColor = v[7];
  BorderLightColor = v[8];
  BorderStyle = static_cast<TVLTableBorderStyle>(std::clamp(v[9], 0, 4));
  BorderVSpacing = v[10];
  BorderHSpacing = v[11];
  CellBorderWidth = v[12];
  CellBorderColor = v[13];
  CellBorderLightColor = v[14];
  CellPadding = v[15];
  CellBorderStyle = static_cast<TVLTableBorderStyle>(std::clamp(v[16], 0, 4));
  CellVSpacing = v[17];
  CellHSpacing = v[18];
  return true;
}

void TVLTableItemInfo::CheckTextKept() {
  if (VLShownTextSize(*this) < FTextRead) FTextLost = true;
}

void TVLTableItemInfo::ReportRepair(TCustomVLData* vlData) {
  VLFAddWarning(vlData, FTextLost ? vlfwTableTextLost : vlfwTableGridRepaired);
  FTextLost = false;
}

bool TVLTableItemInfo::RefuseGrid(TCustomVLData* vlData, TVLFWarning why) {
  FRefused = true;
  Rows.Reset(0, 0);
  FCols = 0;
  VLFAddWarning(vlData, why);
  return true;
}

Integer VLTableDepthIn(TCustomVLData* data) {
  Integer depth = 1;
  // An open cell editor holds the cell's items in its own data: count the cell.
  auto cellOf = [](TCustomVLData* d) { return d ? dynamic_cast<TVLTableCellData*>(d->GetSourceVLData()) : nullptr; };
  for (auto* cell = cellOf(data); cell; cell = cellOf(data)) {
    ++depth;
    data = cell->GetParentData();
  }
  return depth;
}

bool TVLTableItemInfo::ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                                   AnsiString& name, TObject*& cpInfo) {
  if (lineNo < 0) return false;
  FVLData = vlData;
  if (FRefused) return true;  // the rest of the record is passed over
  // Deeper than a table may lie: left out, whatever the stream readers
  // below would still stand.
  if (lineNo == 0 && VLTableDepthIn(vlData) > VLTableMaxNesting) return RefuseGrid(vlData, vlfwTableTooDeep);
  if (FLegacyRecord) {
    if (lineNo == 0) {
      // A grid without positions has no place for its cell lines.
      if (FLegacyRows < 1 || FCols < 1) return false;
      // Each grid position has its line: a grid larger than the lines
      // (or than any table) is not believed.
      const Int64 positions = static_cast<Int64>(FLegacyRows) * FCols;
      if (positions > VLTableMaxCells) return RefuseGrid(vlData);
      if (positions > lineCount) return RefuseGrid(vlData, vlfwTableDamaged);
      // Cells are made as their lines come: a record cut short has cost
      // what it held, not what its header claimed.
      Rows.Reset(FLegacyRows, 0);
      for (auto& row : Rows.Rows) row->Cells.resize(static_cast<size_t>(FCols));
      FTextLost = false;
      FTextRead = 0;
    }
    if (ColCount() <= 0) return false;
    // The grid is checked once its last line is in; a grid that the lines
    // contradict is repaired and reported rather than refused, so that no
    // cell text is lost.
    const bool ok = ReadCellLine(s, lineNo);
    if (ok && lineNo == lineCount - 1) {
      const bool repaired = NormalizeGrid() || FGridRepaired;
      CheckTextKept();
      if (repaired || FTextLost) ReportRepair(vlData);
      FGridRepaired = false;
    }
    return ok;
  }
  if (lineCount < 3) return false;
  if (lineNo == 0) {
    name = VLFDecodeOneLine(s);
    return true;
  }
  if (lineNo < lineCount - 2) return TVLFullLineItemInfo::ReadVLFLine(s, vlData, lineNo, lineCount, name, cpInfo);
  if (lineNo == lineCount - 2) return true;  // "1": the table follows
  AnsiString bytes;
  if (!VLFReadItemData(s, FReadType, bytes)) return false;
  FGridRepaired = false;
  FTextLost = false;
  FTextRead = 0;
  try {
    LoadFromBytes(bytes);
  } catch (const Exception&) {
    if (FRefused) return RefuseGrid(vlData);
    // What was read stays, the rest of the grid is filled with empty cells,
    // and the document says that it was repaired; unless the cells to be
    // made are far more than the data has bytes for (each position that no
    // merge covers takes a record of at least 13 bytes): then the grid is a
    // claim, not a table.
    Int64 filled = 0;
    for (const auto& row : Rows.Rows)
      for (const auto& cell : row->Cells)
        if (cell) filled += static_cast<Int64>(cell->ColSpan) * cell->RowSpan;
    const Int64 missing = static_cast<Int64>(RowCount()) * ColCount() - filled;
    if (missing > 1024 + static_cast<Int64>(bytes.size()) / 13) return RefuseGrid(vlData, vlfwTableDamaged);
    FGridRepaired = true;
  }
  if (Rows.Count() > 0 && ColCount() == 0) {
    Rows.Reset(0, 0);
    FCols = 0;
  }
  const bool repaired = NormalizeGrid() || FGridRepaired;
  CheckTextKept();
  if (repaired || FTextLost) ReportRepair(vlData);
  FGridRepaired = false;
  Changed();
  return true;
}

// ---------------------------------------------------------------------------
// The older record

bool TVLTableItemInfo::ReadCellLine(const AnsiString& s, Integer lineNo) {
  const Integer cols = ColCount();
  if (lineNo >= RowCount() * cols) {
    // More cell lines than the grid has positions: the content joins the
    // last cell.
    FGridRepaired = true;
    if (s == "-") return true;
    TVLTableCellData extra(this);
    if (!ReadCellContent(s, extra)) return false;
    FTextRead += VLShownTextSize(extra);
    if (HoldsNothing(extra)) return true;
    Integer mr, mc;
    TVLTableCellData* keeper = Rows.GetMainCell(RowCount() - 1, cols - 1, mr, mc);
    if (!keeper) keeper = GetCell(RowCount() - 1, cols - 1);
    if (!keeper) {
      Rows.GetRow(RowCount() - 1)->Cells.back() = std::make_unique<TVLTableCellData>(this);
      keeper = GetCell(RowCount() - 1, cols - 1);
    }
    if (HoldsNothing(*keeper)) keeper->Clear();
    keeper->MoveItemsFrom(&extra);
    return true;
  }
  const Integer r = lineNo / cols, c = lineNo % cols;
  auto& slot = Rows.GetRow(r)->Cells[static_cast<size_t>(c)];
  if (s == "-") {
    slot.reset();
    return true;
  }
  if (!slot) slot = std::make_unique<TVLTableCellData>(this);
  if (!ReadCellContent(s, *slot)) return false;
  FTextRead += VLShownTextSize(*slot);
  return true;
}

bool TVLTableItemInfo::ReadCellContent(const AnsiString& s, TVLTableCellData& cell) {
  const char* p = s.c_str();
  Integer v[12];
  for (Integer& x : v)
    if (!VLFReadNumber(p, x)) return false;
  // Spans are clipped to the grid by NormalizeGrid.
  if (v[0] < 1 || v[1] < 1) FGridRepaired = true;
  v[0] = std::clamp<Integer>(v[0], 1, VLTableMaxCells);
  v[1] = std::clamp<Integer>(v[1], 1, VLTableMaxCells);
  cell.RowSpan = v[0];
  cell.ColSpan = v[1];
  cell.Color = v[2];
  cell.BestWidth = v[3];
  cell.BestHeight = v[4];
  cell.VAlign = static_cast<TVLCellVAlign>(std::clamp(v[5], 0, 3));
  cell.VisibleBorders.SetValues(v[6] != 0, v[7] != 0, v[8] != 0, v[9] != 0);
  cell.BorderColor = v[10];
  cell.BorderLightColor = v[11];
  while (*p == ' ') ++p;
  TMemoryStream content;
  if (!VLFHexToStream(AnsiString(p), content)) return false;
  content.SetPosition(0);
  TColor color = clNone;
  cell.Clear();
  return cell.LoadVLFFromStream(content, color, nullptr, nullptr, nullptr);
}
