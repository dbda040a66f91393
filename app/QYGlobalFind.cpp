#include "app/QYGlobalFind.h"

#include "app/QYActivity.h"
#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYEntryStore.h"
#include "app/QYErrorDisplay.h"
#include "app/QYFormBuild.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYRecordSelection.h"

#include "platform/base/DateTime.h"
#include "platform/base/Streams.h"
#include "platform/db/DBTables.h"
#include "platform/gui/WindowFocus.h"
#include "platform/os/Semaphores.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLSearch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

TfGlobalFind* fGlobalFind = nullptr;

namespace {

// A topic journal's entry has no day: its stored date is a marker, which
// would read as a day in the year 29279.
String ShortDate(double date) {
  return std::floor(date) >= TopicEntryDate ? String() : FormatDateTime(FormatSettings.ShortDateFormat, date);
}

// The entry's day, or for a topic entry its journal's name.
String EntryOf(const TFindRow& row) {
  const String day = ShortDate(row.JournalDate);
  return day.empty() ? row.JournalName : day;
}

// The journal's name, and the entry's day where it has one.
String RowPlace(const TFindRow& row) {
  const String day = ShortDate(row.JournalDate);
  return day.empty() ? row.JournalName : row.JournalName + " " + day;
}

// Whether the entry in data may hold the text: its text items are searched
// as the editor searches them; a table (whose cells the editor also
// searches) always may.
bool EntryMayContain(TCustomVLData& data, const String& text, bool matchCase, bool wholeWord,
                     const AnsiString& delimiters, bool stylesRead = true) {
  WideString pattern = Utf8ToWide(text);
  if (pattern.empty()) return false;
  if (!matchCase) pattern = VLFoldCase(pattern);
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    const Integer style = data.GetItemStyle(i);
    if (style >= 0) {
      // Without the entry's styles an 8-bit item's code page is unknown:
      // any byte beyond ASCII may be part of the text.
      if (!stylesRead && !(data.GetItemOptions(i) & 8)) {
        const AnsiString raw = data.GetItemTextA(i);
        for (char c : raw)
          if (static_cast<unsigned char>(c) >= 0x80) return true;
      }
      TVLTextMatch match;
      if (VLFindInItem(data, i, -1, true, pattern, matchCase, wholeWord, delimiters, match)) return true;
    } else if (style == vlsTable || style <= -12) {
      return true;
    }
  }
  return false;
}

}  // namespace

TfGlobalFind::TfGlobalFind(TComponent* AOwner) : TForm(AOwner) {
  fGlobalFind = this;
  SetName("fGlobalFind");
  SetCaption("Advanced Find");
  SetBorderStyle(bsDialog);
  // Above the main window as the window it belongs to; never above the
  // dialogs of other windows (a stay-on-top window would hide them).
  Position = poMainFormCenter;
  HelpContext = 35;
  SetWidth(420);
  SetHeight(330);
  SetVisible(false);

  leTextToFind = MakeControl<TLabeledEdit>(this, this, "leTextToFind", 12, 28, 300, 24);
  leTextToFind->EditLabel()->SetCaption("Text To Find");
  leTextToFind->OnChange = [this](TObject* s) { leTextToFindChange(s); };
  pbFind = MakeControl<TButton>(this, this, "pbFind", 324, 26, 84, 28);
  pbFind->SetCaption("&Find");
  pbFind->SetDefault(true);
  pbFind->SetEnabled(false);
  pbFind->OnClick = [this](TObject* s) { pbFindClick(s); };

  rbgDirection = MakeControl<TRadioGroup>(this, this, "rbgDirection", 12, 62, 150, 70);
  rbgDirection->SetCaption("Find Direction");
  rbgDirection->Items().Add("Forward");
  rbgDirection->Items().Add("Backward");
  rbgDirection->SetItemIndex(0);
  cbCaseSensitive = MakeControl<TCheckBox>(this, this, "cbCaseSensitive", 176, 72, 150, 22);
  cbCaseSensitive->SetCaption("Case Sensitive");
  cbWholeWordMatch = MakeControl<TCheckBox>(this, this, "cbWholeWordMatch", 176, 100, 150, 22);
  cbWholeWordMatch->SetCaption("Whole Word Match");

  gbSelection = MakeControl<TGroupBox>(this, this, "gbSelection", 12, 140, 300, 130);
  gbSelection->SetCaption("Selection");
  mSelection = MakeControl<TMemo>(this, gbSelection, "mSelection", 8, 20, 284, 100);
  mSelection->SetReadOnly(true);
  pbSelection = MakeControl<TButton>(this, this, "pbSelection", 324, 146, 84, 28);
  pbSelection->SetCaption("&Selection");
  pbSelection->OnClick = [this](TObject* s) { pbSelectionClick(s); };
  pbDone = MakeControl<TButton>(this, this, "pbDone", 324, 200, 84, 28);
  pbDone->SetCaption("&Done");
  pbDone->Cancel = true;
  pbDone->OnClick = [this](TObject* s) { pbDoneClick(s); };
  pbHelp = MakeControl<TButton>(this, this, "pbHelp", 324, 234, 84, 28);
  pbHelp->SetCaption("&Help");
  pbHelp->OnClick = [this](TObject* s) { pbHelpClick(s); };

  sbGlobalFind = new TStatusBar(this);
  sbGlobalFind->SetName("sbGlobalFind");
  sbGlobalFind->SetParent(this);
  sbGlobalFind->SetAlign(alBottom);
  sbGlobalFind->Panels().Add()->SetWidth(400);
  ProgBarFind = MakeControl<TProgressBar>(this, this, "ProgBarFind", 12, 278, 396, 16);

  qFind = std::make_unique<TQuery>();
  BindToDatabase(*qFind);
  rteEntryStyle = new TVLStyle(this);
  rteEntryStyle->SetName("rteEntryStyle");
  rteEntryText = new TVellumEdit(this);
  rteEntryText->SetName("rteEntryText");
  rteEntryText->SetVisible(false);
  rteEntryText->SetParent(this);
  rteEntryText->SetBounds(0, 0, 600, 400);
  rteEntryText->SetStyle(rteEntryStyle);
  rteEntryText->Options.Include(vloTagsArePChars);
  rteEntryText->SetDoInPaletteMode(vlpaCreateCopies);
  if (auto* rtf = dynamic_cast<TVLRTFReaderProperties*>(rteEntryText->GetRTFReadProperties())) {
    rtf->TextStyleMode = vlrsAddIfNeeded;
    rtf->ParaStyleMode = vlrsAddIfNeeded;
  }

  FindSemaphore = TNamedSemaphore::Create("Brixane.Quillory.SemaphoreFinding", 0, 1);
  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TfGlobalFind::~TfGlobalFind() {
  // The worker must not outlive the window it reports to.
  StopFind();
  if (fGlobalFind == this) fGlobalFind = nullptr;
}

void TfGlobalFind::pbDoneClick(TObject*) { Close(); }
void TfGlobalFind::pbHelpClick(TObject*) { Application->HelpContext(35); }

void TfGlobalFind::FormShow(TObject*) {
  RefreshFindWindow();
  if (leTextToFind->CanFocus()) leTextToFind->SetFocus();
  SetFindProgressPosition(0);
  SetRecordSelection(true);
}

void TfGlobalFind::FormClose(TObject*, TCloseAction&) {
  StopFind();
  ReleaseFindStatements();
}

void TfGlobalFind::ReleaseFindStatements() {
  // A compiled statement keeps its connection in use: backup, restore, pack
  // and a password change could not close the files.
  qFind->Close();
  qFind->UnPrepare();
}

void TfGlobalFind::StopFind() {
  if (FThread) {
    FindCancel = true;
    FindSemaphore->Release();
    FThread->WaitFor();
    FThread.reset();
  }
  // A release nobody took would let the next search pass its first hit.
  while (FindSemaphore->Count() > 0) FindSemaphore->Wait(0);
}

void TfGlobalFind::leTextToFindChange(TObject*) {
  if (FindRunning) {
    StopFind();
    return;
  }
  pbFind->SetEnabled(!leTextToFind->GetText().empty());
}

void TfGlobalFind::pbSelectionClick(TObject*) {
  // The dialog rewrites qFind: a search still using the selection ends first.
  if (FindRunning) StopFind();
  SetRecordSelection(false);
}

void TfGlobalFind::SetRecordSelection(bool Reset) {
  TDlgRecordSelection* dlg = DlgRecordSelection;
  if (!dlg) return;
  dlg->TargetQuery = qFind.get();
  if (Reset) {
    dlg->InitSelection();
    SelectionValid = dlg->BuildSelectionQuery(true);
  } else {
    if (dlg->ShowModal() != mrOk || dlg->SelectionResult != 1) return;
    SelectionValid = true;
  }
  mSelection->Lines().Clear();
  if (SelectionValid)
    mSelection->Lines().AddStrings(*dlg->SelectionDescription);
  else
    mSelection->Lines().Add(dlg->SelectionProblem(true));
  if (!SelectionValid) return;
  try {
    // Compiled to check it; each search compiles its own copy.
    qFind->Prepare();
  } catch (const std::exception& e) {
    SelectionValid = false;
    ShowErrorDisplay("qFind", e);
  }
  ReleaseFindStatements();
}

void TfGlobalFind::pbFindClick(TObject*) {
  // Searching is using the journal: it does not hide meanwhile.
  LastActivityTime = Now();
  FindText = leTextToFind->GetText();
  FindOptions = 0;
  if (cbCaseSensitive->GetChecked()) FindOptions |= foMatchCase;
  if (cbWholeWordMatch->GetChecked()) FindOptions |= foWholeWord;
  if (rbgDirection->GetItemIndex() == 1) {
    FindDirection = 1;
  } else {
    FindDirection = 0;
    FindOptions |= foForward;
  }
  if (!FindRunning) {
    if (FThread) {
      FThread->WaitFor();
      FThread.reset();
    }
    FindCancel = false;
    if (!SelectionValid) {
      ShowFindStatus("find error, canceled");
      LogFindActivity("Global Find Error: no journal selected");
      return;
    }
    FindRunning = true;
    FThread = std::make_unique<TThreadGlobalFind>(this);
    pbFind->SetCaption(FindDirection == 0 ? "&Find Next" : "&Find Prev");
    pbFind->Repaint();
  } else {
    FindSemaphore->Release();
  }
  pbFind->SetEnabled(false);
  ShowFindStatus("finding...");
}

void TfGlobalFind::ShowFindStatus(const String& text) {
  sbGlobalFind->Panels()[0]->SetText(text);
  sbGlobalFind->Repaint();
}

void TfGlobalFind::LogFindActivity(const String& line) {
  if (ActivityDisplayWindow) ActivityDisplayWindow->AddLine(line);
}

void TfGlobalFind::SetFindProgressMax(int count) { ProgBarFind->SetMax(count); }
void TfGlobalFind::SetFindProgressPosition(int position) { ProgBarFind->SetPosition(position); }

void TfGlobalFind::RefreshFindWindow() {
  Repaint();
  Application->ProcessMessages();
}

namespace {

// The stored text of the row in the document; false when it cannot be read.
template <typename TLoad>
bool LoadRowText(const TFindRow& row, TLoad load) {
  if (!row.Read || (row.Editor != "RTF" && row.Editor != "VLF")) return false;
  try {
    TMemoryStream stream;
    stream.Write(row.Blob.data(), static_cast<Int64>(row.Blob.size()));
    stream.Seek(0, soBeginning);
    return load(stream, row.Editor == "RTF");
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int TfGlobalFind::ScreenFindRows(const std::vector<TFindRow>& batch, int first, int& next) {
  if (!JournalsLoaded || (formQuilloryMain && formQuilloryMain->Closing)) {
    FindCancel = true;
    next = static_cast<int>(batch.size());
    return -1;
  }
  if (!FScreen) {
    FScreen = std::make_unique<TEntryDocument>();
    // Reading every entry's style sheet costs more than its text.
    FScreen->Data.VLFTextStylesReadMode = vlf_sIgnore;
    FScreen->Data.VLFParaStylesReadMode = vlf_sIgnore;
  }
  const auto start = std::chrono::steady_clock::now();
  const int count = static_cast<int>(batch.size());
  int found = -1;
  int i = first;
  while (i < count && found < 0) {
    const TFindRow& row = batch[static_cast<size_t>(i)];
    FScreen->Clear();
    const bool loaded =
        LoadRowText(row, [this](TStream& s, bool rtf) { return rtf ? FScreen->LoadRTF(s) : FScreen->LoadVLF(s); });
    if (!loaded) {
      // A damaged entry never stops the search.
      if (row.Read && (row.Editor == "RTF" || row.Editor == "VLF"))
        LogFindActivity("entry of " + EntryOf(row) + " could not be read");
    } else if (EntryMayContain(FScreen->Data, FindText, FindOptions & foMatchCase, FindOptions & foWholeWord,
                               rteEntryText->Delimiters, false)) {
      found = i;
    }
    ++i;
    // The GUI takes its other messages between slices.
    if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(8)) break;
  }
  FScreen->Clear();
  if (i > first) {
    const TFindRow& row = batch[static_cast<size_t>(i - 1)];
    ShowFindStatus("reading:" + RowPlace(row));
    SetFindProgressPosition(row.RecNo);
  }
  next = i;
  return found;
}

bool TfGlobalFind::LoadFindRow(const TFindRow& row) {
  // A lock or the exit closed the journals under the search: it ends here.
  if (!JournalsLoaded || (formQuilloryMain && formQuilloryMain->Closing)) {
    FindCancel = true;
    return false;
  }
  ShowFindStatus("reading:" + RowPlace(row));
  SetFindProgressPosition(row.RecNo);
  rteEntryText->Clear();
  const bool loaded = LoadRowText(row, [this](TStream& s, bool rtf) {
    return rtf ? rteEntryText->LoadRTFFromStream(s) : rteEntryText->LoadVLFFromStream(s);
  });
  if (!loaded) {
    if (row.Read && (row.Editor == "RTF" || row.Editor == "VLF"))
      LogFindActivity("entry of " + EntryOf(row) + " could not be read");
    rteEntryText->Clear();
    return false;
  }
  if (!EntryMayContain(*rteEntryText->VLData(), FindText, FindOptions & foMatchCase, FindOptions & foWholeWord,
                       rteEntryText->Delimiters))
    return false;
  try {
    rteEntryText->Format();
  } catch (const std::exception&) {
    LogFindActivity("Load Format Problem " + ShortDate(row.JournalDate));
    return false;
  }
  const Integer count = rteEntryText->ItemCount();
  if (count == 0) return false;
  if (FindDirection == 0)
    rteEntryText->SetCaret(0, rteEntryText->GetItemStartOffset(0));
  else
    rteEntryText->SetCaret(count - 1, rteEntryText->GetItemEndOffset(count - 1));
  return true;
}

bool TfGlobalFind::SearchHiddenEditor(const TFindRow& row) {
  if (FindCancel) return false;
  try {
    return rteEntryText->SearchText(FindText, FindOptions & foForward, FindOptions & foMatchCase,
                                    FindOptions & foWholeWord);
  } catch (const std::exception&) {
    LogFindActivity("Search Text Error " + ShortDate(row.JournalDate));
    return false;
  }
}

void TfGlobalFind::ShowHitInJournal(const TFindRow& row) {
  // A search stopped meanwhile shows nothing more.
  if (FindCancel || !JournalsLoaded || !formQuilloryMain) return;
  // Whether the user is at this window: the journal's window coming to the
  // front inside the main window (opened or made the active one) activates
  // the main window too.
  const bool findHasKeyboard = Screen->ActiveForm() == this;
  RefreshFindWindow();
  pbFind->SetEnabled(true);
  ShowFindStatus("found:" + RowPlace(row));
  formQuilloryMain->GoToJournalDate(row.JournalID, std::floor(row.JournalDate));
  TOpenJournal* j = CurrentJournal;
  if (!j || j->JournalID != row.JournalID || !j->EditorWindow) return;
  Integer startItem = 0, startOff = 0, endItem = 0, endOff = 0;
  rteEntryText->GetSelectionBounds(startItem, startOff, endItem, endOff, true);
  TVellumEdit* e = j->EditorWindow->QuilloryText;
  if (ShowHitInCells(*e)) {
    ++HitsShown;
  } else {
    ShowHitInText(*e, startItem, startOff, endItem, endOff);
  }
  j->EditorWindow->BringToFront();
  if (findHasKeyboard) {
    // The user goes on from here: the next Enter must be Find Next, as the
    // default button says, not a key typed over the selected hit. The hit's
    // editor becomes its window's focus for when that window is active.
    SetWindowFocus(e->GetInnermostEditor());
    // A journal window opened for the hit asks for the activation: that
    // request is served first, then this window takes it back.
    Application->ProcessMessages();
    if (Screen->ActiveForm() != this) BringToFront();
    if (!leTextToFind->Focused() && pbFind->CanFocus()) pbFind->SetFocus();
  } else {
    // Another window had the keyboard: the journal takes it, visibly.
    j->EditorWindow->FocusEditor();
    Application->ProcessMessages();
    formQuilloryMain->BringToFront();
  }
  KeepClearOf(e->GetInnermostEditor()->GetSelectionRect());
}

void TfGlobalFind::ShowHitInText(TVellumEdit& shown, Integer startItem, Integer startOff, Integer endItem,
                                 Integer endOff) {
  TVellumEdit* e = &shown;
  try {
    // The entry shown was not read again: a cell it has open closes, the
    // hit being in the entry's own text.
    if (e->GetInplaceEditor()) e->DestroyInplaceEditor();
    // The journal's editor finds the same text from where the hit starts,
    // which also scrolls it into view.
    const bool forward = FindOptions & foForward;
    if (forward)
      e->SetSelectionBounds(startItem, startOff, startItem, startOff);
    else
      e->SetSelectionBounds(endItem, endOff, endItem, endOff);
    const bool found = e->SearchText(FindText, forward, FindOptions & foMatchCase, FindOptions & foWholeWord);
    Integer s1 = 0, o1 = 0, s2 = 0, o2 = 0;
    e->GetSelectionBounds(s1, o1, s2, o2, true);
    if (!found || s1 != startItem || o1 != startOff || s2 != endItem || o2 != endOff)
      e->SetSelectionBounds(startItem, startOff, endItem, endOff);
  } catch (const std::exception&) {
    LogFindActivity("error setting selection bounds StartItemNo:" + IntToStr(startItem) +
                    "StartItemOff:" + IntToStr(startOff) + "EndItemNo:" + IntToStr(endItem) +
                    "EndItemOff:" + IntToStr(endOff));
  }
  ++HitsShown;
}

bool TfGlobalFind::ShowHitInCells(TVellumEdit& shown) {
  // A hit in a cell is shown by its place, not found again by its text
  // (the first of the table's hits would be): the cells the search opened
  // to reach it, each by its table's item and cell, then the selection in
  // the innermost.
  struct TCellStep {
    Integer ItemNo, Row, Col;
  };
  std::vector<TCellStep> steps;
  TCustomVellumEdit* hidden = rteEntryText;
  while (auto* cell = dynamic_cast<TVLTableInplaceEdit*>(hidden->GetInplaceEditor())) {
    steps.push_back({hidden->EditData()->GetItemNo(cell->Table), cell->Row, cell->Col});
    hidden = cell;
  }
  if (steps.empty()) return false;
  Integer s1 = 0, o1 = 0, s2 = 0, o2 = 0;
  hidden->GetSelectionBounds(s1, o1, s2, o2, true);
  TCustomVellumEdit* e = &shown;
  try {
    // Cells the window has open (its caret put back in one) close first:
    // the hit's cells open anew, as the search opened them.
    if (shown.GetInplaceEditor()) shown.DestroyInplaceEditor();
    for (const TCellStep& step : steps) {
      TVLEditVLData& d = *e->EditData();
      auto* t = step.ItemNo >= 0 && step.ItemNo < d.GetItemCount() ? dynamic_cast<TVLTableItemInfo*>(d.GetItem(step.ItemNo))
                                                                   : nullptr;
      if (!t || step.Row >= t->RowCount() || step.Col >= t->ColCount()) return false;
      t->EditCell(step.Row, step.Col);
      e = t->GetInplaceEditor();
      if (!e) return false;
    }
    e->SetSelectionBounds(s1, o1, s2, o2);
  } catch (const std::exception&) {
    LogFindActivity("error showing a hit in a cell");
    return false;
  }
  return true;
}

void TfGlobalFind::KeepClearOf(const TRect& hit) {
  if (!GetVisible() || hit.Right <= hit.Left) return;
  const TRect me = BoundsRect();
  const auto overlaps = [&hit](const TRect& r) {
    return r.Left < hit.Right && hit.Left < r.Right && r.Top < hit.Bottom && hit.Top < r.Bottom;
  };
  if (!overlaps(me)) return;
  // Below the hit where the screen has room, else above it, else beside it.
  const TRect work = Screen->WorkAreaRect();
  const int w = me.Right - me.Left, h = me.Bottom - me.Top, gap = 24;
  const int left = std::clamp<int>(me.Left, work.Left, std::max<int>(work.Left, work.Right - w));
  const int top = std::clamp<int>(me.Top, work.Top, std::max<int>(work.Top, work.Bottom - h));
  const TRect places[] = {TRect(left, hit.Bottom + gap, left + w, hit.Bottom + gap + h),
                          TRect(left, hit.Top - gap - h, left + w, hit.Top - gap),
                          TRect(hit.Right + gap, top, hit.Right + gap + w, top + h),
                          TRect(hit.Left - gap - w, top, hit.Left - gap, top + h)};
  for (const TRect& r : places)
    if (r.Left >= work.Left && r.Top >= work.Top && r.Right <= work.Right && r.Bottom <= work.Bottom &&
        !overlaps(r)) {
      SetBounds(r.Left, r.Top, w, h);
      return;
    }
}

void TfGlobalFind::FinishFind() {
  pbFind->SetCaption("&Find");
  pbFind->SetEnabled(!leTextToFind->GetText().empty());
  FindRunning = false;
  LogFindActivity("Global Find Thread Exited");
}

// ---------------------------------------------------------------------------

TThreadGlobalFind::TThreadGlobalFind(TfGlobalFind* owner)
    : TThread(true), FOwner(owner), FForward(owner->FindDirection == 0) {
  // The worker reads a copy of the selection: the dialog may rewrite qFind.
  FKeys = std::make_unique<TQuery>();
  BindToDatabase(*FKeys);
  CopySelectionKeys(*owner->qFind, *FKeys);
  Start();
}

TThreadGlobalFind::~TThreadGlobalFind() {
  Terminate();
  WaitFor();
}

bool TThreadGlobalFind::Stopping() const { return Terminated() || FOwner->FindCancel; }

void TThreadGlobalFind::Execute() {
  TfGlobalFind* f = FOwner;
  bool nothingFound = true;
  String status;
  try {
    TQuery& keys = *FKeys;
    keys.Open();
    const int count = keys.RecordCount();
    const bool forward = FForward;
    Synchronize([f, count] {
      f->SetFindProgressPosition(0);
      f->SetFindProgressMax(count);
    });
    if (forward) keys.First();
    else keys.Last();
    TQuery text;
    BindToDatabase(text);
    // Rows are read here a batch at a time and screened on the GUI thread
    // in slices; only an entry that may hold the text is laid out and
    // searched in the hidden editor.
    // Small batches first, so that a hit among the first entries shows soon.
    int batchRows = 4;
    std::vector<TFindRow> batch;
    while (count > 0 && !Stopping()) {
      batch.clear();
      const int BatchRows = batchRows;
      batchRows = std::min(batchRows * 2, 64);
      while (static_cast<int>(batch.size()) < BatchRows && !(forward ? keys.Eof() : keys.Bof()) && !Stopping()) {
        TFindRow row;
        row.JournalID = keys.FieldByName("JournalID").AsInteger();
        row.JournalName = keys.FieldByName("JournalName").AsString();
        row.JournalDate = keys.FieldByName("JournalDate").AsDateTime();
        row.RecNo = keys.RecNo();
        try {
          row.Read = ReadEntryText(text, row.JournalID, row.JournalDate, row.Blob, row.Editor);
        } catch (const std::exception&) {
          row.Read = false;
          row.Editor = "VLF";
        }
        batch.push_back(std::move(row));
        if (f->OnRowRead) f->OnRowRead();
        if (forward) keys.Next();
        else keys.Prior();
      }
      if (batch.empty()) break;
      int next = 0;
      while (next < static_cast<int>(batch.size()) && !Stopping()) {
        int candidate = -1;
        const int from = next;
        Synchronize([&] { candidate = f->ScreenFindRows(batch, from, next); });
        if (candidate < 0) continue;
        const TFindRow& row = batch[static_cast<size_t>(candidate)];
        bool hit = false;
        Synchronize([&] { hit = f->LoadFindRow(row); });
        while (hit && !Stopping()) {
          Synchronize([&] { hit = f->SearchHiddenEditor(row); });
          if (!hit || Stopping()) break;
          nothingFound = false;
          Synchronize([&] { f->ShowHitInJournal(row); });
          f->FindSemaphore->Wait();
        }
      }
    }
    keys.Close();
    status = nothingFound ? String() : String("find done");
  } catch (const std::exception&) {
    Synchronize([f] { f->LogFindActivity("Global Find Error"); });
    status = "find error, canceled";
  }
  // The searched text is the window's: read on its thread.
  Synchronize([f, status] {
    f->ShowFindStatus(status.empty() ? f->FindText + " not found" : status);
    f->FinishFind();
  });
}

// ---------------------------------------------------------------------------

void ActionGlobalFindExecute() {
  if (!JournalsLoaded || !fGlobalFind) return;
  SaveEntry(CurrentJournal, smAuto);
  // Hiding and locking close it (and so stop its search).
  AutoTimerWindows().CloseFind = [] {
    if (fGlobalFind && fGlobalFind->GetVisible()) fGlobalFind->Close();
  };
  fGlobalFind->Show();
}

void StopGlobalFind() {
  if (!fGlobalFind) return;
  fGlobalFind->StopFind();
  if (fGlobalFind->GetVisible()) fGlobalFind->Close();
  fGlobalFind->ReleaseFindStatements();
}
