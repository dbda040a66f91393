#pragma once
// The main window with the find, selection, preview, progress and activity
// windows over a set-up database, driven by code or by keys, and stored
// entries written straight into the entry table, for the tests of journal
// find and journal reports.
#include "WindowSeamSupport.h"

#include "app/QYActivity.h"
#include "app/QYGlobalFind.h"
#include "app/QYPrintPreview.h"
#include "app/QYRecordSelection.h"

#include "platform/base/CodePages.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Threads.h"
#include "richtext/model/VLUni.h"

#include <chrono>
#include <memory>

namespace qytest {

class TFindReportWorld : public TWindowSeam {
public:
  TFindReportWorld() {
    Activity.reset(new TActivityDisplayWindow(nullptr));
    Selection.reset(new TDlgRecordSelection(nullptr));
    Find.reset(new TfGlobalFind(nullptr));
    Preview.reset(new TFormPrintPreview(nullptr));
    Progress.reset(new TFormPrintJournalLoadProgress(nullptr));
  }
  ~TFindReportWorld() {
    Find.reset();
    Preview.reset();
    Progress.reset();
    Selection.reset();
    Activity.reset();
  }

  // The VLF of an entry of the given paragraphs (UTF-8), in a Unicode style.
  static String EntryVLF(std::initializer_list<String> paragraphs) {
    TEntryDocument doc;
    doc.Style.TextStyles->Items(0)->Unicode = true;
    for (const String& p : paragraphs)
      doc.Data.AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(p)), 0, 0, TVLTag());
    TMemoryStream s;
    doc.SaveVLF(s);
    return String(s.Memory(), static_cast<size_t>(s.GetSize()));
  }

  // The VLF of a one-paragraph entry of runs (UTF-8), every other one bold.
  static String RunsEntryVLF(std::initializer_list<String> runs) {
    TEntryDocument doc;
    doc.Style.TextStyles->Items(0)->Unicode = true;
    TFontInfo* bold = doc.Style.TextStyles->Add();
    bold->Unicode = true;
    bold->Style = TFontStyles{fsBold};
    Integer style = 1, para = 0;
    for (const String& r : runs) {
      doc.Data.AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(r)), style, para, TVLTag());
      style = 1 - style;
      para = -1;
    }
    TMemoryStream s;
    doc.SaveVLF(s);
    return String(s.Memory(), static_cast<size_t>(s.GetSize()));
  }

  // The VLF of a one-paragraph entry in an 8-bit Cyrillic text style.
  static String CyrillicEntryVLF(const String& utf8) {
    TEntryDocument doc;
    doc.Style.TextStyles->Items(0)->Unicode = false;
    doc.Style.TextStyles->Items(0)->Charset = RUSSIAN_CHARSET;
    doc.Data.AddTextItem(Utf8ToAnsi(utf8, CharsetToCodePage(RUSSIAN_CHARSET)), 0, 0);
    TMemoryStream s;
    doc.SaveVLF(s);
    return String(s.Memory(), static_cast<size_t>(s.GetSize()));
  }

  // Writes rows straight into the entry table, in one transaction.
  struct TRow {
    Integer JournalID;
    double Date;
    String Blob;
    String Editor = "VLF";
  };
  void Store(const std::vector<TRow>& rows) {
    TDatabase db;
    db.SessionName = SessionName;
    db.AliasName = AliasName;
    db.StartTransaction();
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("INSERT INTO Quillory ( JournalID, JournalDate, JournalText, ItemNumber, ItemOffset, Editor ) "
              "VALUES ( :bJournalID, :bJournalDate, :bJournalText, 0, 0, :bEditor )");
    for (const TRow& r : rows) {
      q.ParamByName("bJournalID").SetAsInteger(r.JournalID);
      q.ParamByName("bJournalDate").SetAsDate(r.Date);
      q.ParamByName("bJournalText").SetAsBlob(r.Blob, ftFmtMemo);
      q.ParamByName("bEditor").SetAsString(r.Editor);
      q.ExecSQL();
    }
    db.Commit();
  }

  // A journal in the table (not opened).
  Integer Journal(const String& name, Byte kind = 0, bool active = true) { return AddJournal(name, kind, active); }

  // Runs the GUI until done() or the time is up; false on time-out.
  static bool PumpUntil(const std::function<bool()>& done, int ms = 60000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      Application->ProcessMessages();
      TThread::CheckSynchronize();
    }
    return true;
  }

  String FindStatus() const { return Find->sbGlobalFind->Panels()[0]->GetText(); }

  // Shows the find window for the text and presses Find.
  void StartFind(const String& text, bool matchCase = false, bool wholeWord = false, bool backward = false) {
    JournalsLoaded = true;
    ActionGlobalFindExecute();
    Find->leTextToFind->SetText(text);
    Find->cbCaseSensitive->SetChecked(matchCase);
    Find->cbWholeWordMatch->SetChecked(wholeWord);
    Find->rbgDirection->SetItemIndex(backward ? 1 : 0);
    Find->pbFind->Click();
  }
  // Waits for the next hit (true) or the end of the search (false).
  bool NextHit(int& seen) {
    PumpUntil([&] { return Find->HitsShown > seen || !Find->FindRunning; });
    // The hit is shown once the window's button is enabled again.
    if (Find->HitsShown > seen) {
      seen = Find->HitsShown;
      return true;
    }
    return false;
  }

  std::vector<String> LogLines() {
    std::vector<String> out;
    for (int i = 0; i < Activity->LineCount(); ++i) out.push_back(Activity->Line(i));
    return out;
  }

  std::unique_ptr<TActivityDisplayWindow> Activity;
  std::unique_ptr<TDlgRecordSelection> Selection;
  std::unique_ptr<TfGlobalFind> Find;
  std::unique_ptr<TFormPrintPreview> Preview;
  std::unique_ptr<TFormPrintJournalLoadProgress> Progress;
};

}  // namespace qytest
