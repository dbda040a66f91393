#pragma once
// Entries: the QUILLORY row of one journal and one date, its text a VLF blob.
// Moves an entry between the table and a journal's document, writes the
// state word, and tells the entry tree about first saves and deletes.
#include "platform/base/DateTime.h"
#include "platform/base/SysUtils.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLStyle.h"

#include <functional>
#include <memory>
#include <vector>

struct TOpenJournal;
class TStream;

// Once at start-up: the RTF reader (old entries are RTF) and the item kinds
// it brings with it.
void RegisterDocumentFormats();

// The document of the entry a journal shows: the editor window's text, held
// here until that window holds it. Loading and saving are virtual so a
// window's editor can take its place.
class TEntryDocument {
public:
  TEntryDocument();
  virtual ~TEntryDocument();
  TEntryDocument(const TEntryDocument&) = delete;
  TEntryDocument& operator=(const TEntryDocument&) = delete;

  // Empty, with text style 0 and paragraph style 0.
  virtual void Clear();
  // False when the reader refused the data (what it read stays).
  virtual bool LoadVLF(TStream& stream);
  virtual bool LoadRTF(TStream& stream);
  // The last VLF load took the data only in part (it left something out or
  // repaired it): saving over the stored entry would make that permanent.
  // A picture that cannot be shown is kept, and written back as it was.
  virtual bool LoadedInPart() { return !VLFReadWhole(Data.GetVLFWarnings()); }
  // The whole document, not only the selection.
  virtual bool SaveVLF(TStream& stream);
  virtual void DeleteUnusedStyles();
  // Plain text of the document, one line per paragraph.
  virtual String Text() const;
  // The document as it is shown (cells being edited with what their editors
  // hold): what a save must read back as.
  virtual TCustomVLData& Shown() { return Data; }
  // The store changed the document's state (after a load, save or delete):
  // a window's editor follows its read-only state, caret and modified flag.
  virtual void StoreChanged() {}
  // Where the caret stands: a step for each cell being edited (the table's
  // item and the cell), from the entry's own text inwards, then the item
  // and offset in the innermost text. A lock reads the entry anew and puts
  // the caret back there.
  struct TCaretStep {
    Integer ItemNo = 0, Offset = 0;
    Integer Row = -1, Col = -1;
  };
  virtual std::vector<TCaretStep> CaretPlace() { return {{CaretItemNo, CaretOffset}}; }
  // While what it returns is held, the window showing the document keeps
  // its view where the user left it: the store's own work (a save, the
  // cell editors it closes and opens again) scrolls nothing.
  virtual std::shared_ptr<void> HoldView() { return nullptr; }
  virtual void PlaceCaretAt(const std::vector<TCaretStep>& /*steps*/) {}

  TVLStyle Style;
  TVLDocumentData Data;
  TColor Color = clWindow;
  TVLLayoutInfo Layout;
  bool Modified = false;
  bool ReadOnly = false;
  Integer CaretItemNo = 0;
  Integer CaretOffset = 0;
};

// Topic journals keep their one entry under this date.
inline constexpr double TopicEntryDate = 9999999.0;

// Save modes: 0 the explicit save command ("saved"), 1 every other save.
enum TSaveMode : int { smExplicit = 0, smAuto = 1 };

extern bool EntryStatementsPrepared;
// The journal the tree threads add to or remove from.
extern TOpenJournal* TreeRefreshJournal;
// What the tree needs of an entry just inserted or deleted, copied when it
// happens: the journal's record may be gone or show another date by the
// time the tree gets to it.
struct TTreeRefreshEntry {
  Integer JournalID = 0;
  String JournalName;
  Byte JournalKind = 0;    // 0 daily, 1 topic
  TDateTime EntryDate = 0;  // the stored date (topic entries: 9999999)
};
// The last state word written (status panel 2).
extern String EntryStateWord;
// Shows the state word; the main window sets it.
extern std::function<void(const String& word)> OnEntryStateWord;
// After a first save and after a delete: the entry tree's update.
extern std::function<void(const TTreeRefreshEntry& entry)> OnEntryInserted;
extern std::function<void(const TTreeRefreshEntry& entry)> OnEntryDeleted;
// After every load: the style boxes, the date picker and the captions.
extern std::function<void(TOpenJournal* journal)> OnEntryLoaded;

void PrepareEntryStatements();
void FreeEntryStatements();

// Loads the entry of the date (topic journals: their one entry). A load that
// fails never looks like an empty day: the journal is marked unloadable and
// refuses saves until the next successful load.
void LoadEntry(TOpenJournal* journal, TDateTime date);
// The caret of the entry each open journal shows, kept while the journals
// are closed by a lock; the next load of that entry puts it back. The
// journals' next opening forgets what no load took.
void KeepCaretPlaces();
// The same for one journal's entry, left for another day or journal: shown
// again, it has its caret back.
void KeepCaretPlace(TOpenJournal* journal);
void ForgetCaretPlaces();
// Writes a modified entry. True when the text is in the table afterwards
// (also when there was nothing to write). A failure keeps the document
// modified and shows "not saved"; a later save retries.
bool SaveEntry(TOpenJournal* journal, int mode);
// Set once an error nobody caught ends the program: every save from then
// on is read back before it is stored, and one that does not read back as
// the entry is shown leaves the stored entry as it was.
extern bool VerifySavesReadBack;
// A document's text and the shape of its tables, cells included, in one
// string (two documents that read alike give the same).
String ContentOutline(TCustomVLData& data);
void DeleteEntry(TOpenJournal* journal);

// The save and delete commands.
void ActionSaveExecute();
void ActionDeleteExecute();

// The date an entry of the journal is stored under.
double StoredEntryDate(const TOpenJournal* journal, TDateTime date);
