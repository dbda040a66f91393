#include "app/QYJournalReport.h"

#include "app/QYActivity.h"
#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYEntryStore.h"
#include "app/QYErrorDisplay.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYPrintPreview.h"
#include "app/QYProfile.h"
#include "app/QYRecordSelection.h"
#include "app/QYSettingsPaths.h"

#include "platform/base/CodePages.h"
#include "platform/base/DateTime.h"
#include "platform/base/Streams.h"
#include "platform/base/Wipe.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLPreview.h"
#include "richtext/view/VLPrint.h"

#include <cmath>

int ReportEntriesPlaced = 0;
int ReportEntriesSkipped = 0;

namespace {

// Blue in the library's colour encoding.
constexpr TColor RuleColor = static_cast<TColor>(0xFF0000);

void AddCellText(TVLTableCellData* cell, const String& text, Integer style, Integer para) {
  cell->Clear();
  if (text.empty()) return;
  cell->AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(text)), style, para, TVLTag());
}

// A one-row, two-cell table across the page, inserted at the end of the
// editor's document under its name; answers the table's item number.
Integer InsertRowTable(TVellumEdit* e, const String& name, const String& left, const String& right, Integer style,
                       Integer leftPara, Integer rightPara) {
  auto table = TVLTableItemInfo::CreateEx(1, 2, e->VLData());
  table->BestWidth = -100;
  AddCellText(table->GetCell(0, 0), left, style, leftPara);
  AddCellText(table->GetCell(0, 1), right, style, rightPara);
  const Integer last = e->ItemCount() - 1;
  if (last >= 0) e->SetCaret(last, e->GetItemEndOffset(last));
  e->InsertItem(name, table.release());
  return e->CurItemNo();
}

// The body is built by appending, not by editing at a caret: each entry
// keeps its own paragraphs (its first one too, which an insertion at the
// caret would merge into the rule's), and the whole report is laid out once.
Integer AppendRowTable(TCustomVLData& body, const String& name, const String& left, const String& right,
                       Integer style, Integer leftPara, Integer rightPara) {
  auto table = TVLTableItemInfo::CreateEx(1, 2, &body);
  table->BestWidth = -100;
  AddCellText(table->GetCell(0, 0), left, style, leftPara);
  AddCellText(table->GetCell(0, 1), right, style, rightPara);
  table->ParaNo = 0;
  body.AddItem(name, table.release());
  return body.GetItemCount() - 1;
}

void AppendRule(TCustomVLData& body, Byte width) {
  auto rule = std::make_unique<TVLBreakItemInfo>(&body);
  rule->StyleNo = vlsBreak;
  rule->ParaNo = 0;
  rule->LineWidth = width;
  rule->Style = 0;
  rule->Color = RuleColor;
  body.AddItem(AnsiString(), rule.release());
}

// Appends a stored entry's document, as RTF or VLF; false when it could not
// be read (what was read before the fault stays).
bool AppendEntry(TVellumEdit* e, TStream& stream, bool rtf) {
  TCustomVLData& body = *e->VLData();
  if (rtf) {
    TVLRTFReadHook* reader = e->GetRTFReadProperties();
    return reader && reader->ReadFromStream(stream, &body) == 0;
  }
  TColor color = clNone;
  // The entry's background colour does not become the report's.
  return body.InsertVLFFromStream(stream, body.GetItemCount(), color, nullptr, nullptr, nullptr, false);
}

// A stored entry in the standard styles its window shows it in, not the
// ones it was saved with (an entry left unedited since the default sheet
// changed); left as it is when it cannot be read.
void InStandardStyles(TMemoryStream& stream) {
  TEntryDocument doc;
  if (!doc.LoadVLF(stream)) {
    stream.Seek(0, soBeginning);
    return;
  }
  CopyStandardStyles(doc.Style);
  TMemoryStream restyled;
  if (!doc.SaveVLF(restyled)) {
    stream.Seek(0, soBeginning);
    return;
  }
  stream.Clear();
  stream.Write(restyled.Memory(), restyled.GetSize());
  stream.Seek(0, soBeginning);
}

void CaretToEnd(TVellumEdit* e) {
  const Integer last = e->ItemCount() - 1;
  if (last >= 0) e->SetCaret(last, e->GetItemEndOffset(last));
}

void ClearEditor(TVellumEdit* e) {
  e->Clear();
  e->Format();
}

// The page footer: a rule over the printing time and the owner.
void BuildFooter(TFormPrintPreview& p, const String& printed) {
  ClearEditor(p.vlFooter);
  p.vlFooter->InsertBreak(5, 0, RuleColor);
  InsertRowTable(p.vlFooter, "Footer Table", printed, JournalOwnerText(), p.FooterTextStyle, p.FooterLeftPara,
                 p.FooterRightPara);
  p.vlFooter->Format();
  p.VLPrint1->SetFooter(p.vlFooter->VLData());
}

// The page header: two blank cells over a rule.
void BuildHeader(TFormPrintPreview& p) {
  InsertRowTable(p.vlHeader, "Header Table", " ", " ", p.HeaderTextStyle, p.HeaderLeftPara, p.HeaderRightPara);
  CaretToEnd(p.vlHeader);
  p.vlHeader->InsertBreak(5, 0, RuleColor);
  p.vlHeader->Format();
  p.VLPrint1->SetHeader(p.vlHeader->VLData());
}

// The report's document as wide as the journal's window shows entries: a
// table prints in the shares of its columns there (a dragged border's
// widths need the window's room, or the first columns take it all).
void WidthOfTheWindow(TVellumEdit* body) {
  const TOpenJournal* j = CurrentJournal;
  const TVellumEdit* shown = j && j->EditorWindow ? j->EditorWindow->QuilloryText : nullptr;
  if (!shown) return;
  const Integer text = shown->ClientWidth() - shown->LeftMargin - shown->RightMargin;
  const Integer frame = body->GetWidth() - body->ClientWidth();
  body->SetBounds(0, 0, std::max<Integer>(1, text + body->LeftMargin + body->RightMargin + frame), body->GetHeight());
}

bool Stopped() {
  return !FormPrintJournalLoadProgress->ReportRunning || !JournalsLoaded ||
         (formQuilloryMain && formQuilloryMain->Closing);
}

}  // namespace

String PrintedLine(TDateTime moment) {
  return "printed: " + FormatDateTime(FormatSettings.LongDateFormat, moment) + " " +
         FormatDateTime(FormatSettings.ShortTimeFormat, moment);
}

void BuildJournalReport(TReportOutput output, TReportScope scope, TReportLayout layout) {
  TFormPrintPreview* preview = FormPrintPreview;
  TFormPrintJournalLoadProgress* progress = FormPrintJournalLoadProgress;
  if (!preview || !progress) return;
  TFormPrintPreview& p = *preview;
  ReportEntriesPlaced = ReportEntriesSkipped = 0;
  SaveEntry(CurrentJournal, smAuto);
  // A preview needs no printer: without one its pages are the locale's
  // paper. A print goes to a printer or a PDF file the user chooses.
  if (output == roPrint && !p.ChoosePrintTarget()) return;
  const String verb = output == roPreview ? "Preview" : "Print";
  const String printed = PrintedLine(Now());
  const bool pagePerDay = layout == rlPagePerDay;

  TQuery qPrint;
  BindToDatabase(qPrint);
  qPrint.SQL.Add(SelectionBaseSQL);
  if (scope == rsCurrentEntry) {
    if (!CurrentJournal) return;
    qPrint.SQL.Add(" AND Quillory.JournalID = :bJournalID AND Quillory.JournalDate = :bJournalDate;");
    qPrint.ParamByName("bJournalDate")
        .SetAsDate(CurrentJournal->JournalKind == 1 ? TopicEntryDate : std::floor(CurrentJournal->EntryDate));
    qPrint.ParamByName("bJournalID").SetAsInteger(CurrentJournal->JournalID);
  } else {
    TDlgRecordSelection* dlg = DlgRecordSelection;
    if (!dlg) return;
    dlg->TargetQuery = &qPrint;
    const bool confirmed = dlg->ShowModal() == mrOk && dlg->SelectionResult == 1;
    dlg->TargetQuery = nullptr;
    if (!confirmed) return;
    try {
      qPrint.Prepare();
    } catch (const std::exception& e) {
      ShowErrorDisplay("qPrint Prepare", e);
      return;
    }
  }

  bool show = false;
  try {
    // The rows without their text; each entry's text is read when it is
    // placed, so the report never holds every entry twice.
    TQuery keys;
    BindToDatabase(keys);
    CopySelectionKeys(qPrint, keys);
    keys.Open();
    const int count = keys.RecordCount();
    if (count == 0) {
      MessageBox("No Journal Entry To " + verb, "Journal Print Message", MB_OK | MB_ICONINFORMATION);
    } else if (output == roPrint && ProfileSettings.ConfirmPrint &&
               MessageBox(verb + " Journal", "Confirm " + verb, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
      // Nothing printed.
    } else {
      // Set before the window takes messages: a Cancel from then on counts.
      progress->ReportRunning = true;
      progress->ProgressBar1->SetMax(count);
      progress->ProgressBar1->SetPosition(keys.RecNo());
      progress->sbProgress->Panels()[0]->SetText("");
      progress->Repaint();
      Application->ProcessMessages();
      progress->Show();
      TWaitCursor wait;

      p.VLPrint1->Clear();
      p.VLPrint1->FormatPages();
      ClearEditor(p.vlBody);
      p.vlBody->SetUndoLimit(0);
      LoadStylesFile(*p.vlStyleBody);
      p.SetUpReportStyles();
      ClearEditor(p.vlHeader);
      if (pagePerDay) BuildHeader(p);
      else p.VLPrint1->SetHeader(nullptr);
      BuildFooter(p, printed);

      TQuery text;
      BindToDatabase(text);
      double lastDate = 0;
      for (keys.First(); !keys.Eof() && !Stopped(); keys.Next()) {
        const Integer id = keys.FieldByName("JournalID").AsInteger();
        const String name = keys.FieldByName("JournalName").AsString();
        const double date = keys.FieldByName("JournalDate").AsDateTime();
        const String type = keys.FieldByName("JournalType").AsString();
        lastDate = date;
        const String when = type == "D"   ? FormatDateTime(FormatSettings.LongDateFormat, date)
                            : type == "T" ? String("* Topic Journal")
                                          : String();
        TCustomVLData& body = *p.vlBody->VLData();
        const Integer heading = AppendRowTable(body, "Simulated Header Table", WideToUtf8(WideUpperCase(Utf8ToWide(name))),
                                               when, p.BodyHeadingTextStyle, p.BodyLeftPara, p.BodyRightPara);
        // Each entry after the first begins a page.
        if (pagePerDay && keys.RecNo() > 1) body.SetPageBreakBefore(heading, true);
        AppendRule(body, pagePerDay ? 5 : 2);
        String blob, editor;
        bool placed = false;
        try {
          if (ReadEntryText(text, id, date, blob, editor)) {
            TMemoryStream stream;
            stream.Write(blob.data(), static_cast<Int64>(blob.size()));
            stream.Seek(0, soBeginning);
            WipeString(blob);
            if (editor != "RTF" && ShowsStandardStyles(date)) InStandardStyles(stream);
            placed = AppendEntry(p.vlBody, stream, editor == "RTF");
          }
        } catch (const std::exception&) {
          placed = false;
        }
        if (placed) {
          ++ReportEntriesPlaced;
        } else {
          // A damaged entry never stops the report: it says so in its place.
          ++ReportEntriesSkipped;
          const String line = "entry of " + FormatDateTime(FormatSettings.ShortDateFormat, date) + " could not be read";
          p.vlBody->AddTextItem(line, 0, 0);
          if (ActivityDisplayWindow) ActivityDisplayWindow->AddLine(line);
        }
        const int recNo = keys.RecNo();
        progress->sbProgress->Panels()[0]->SetText(IntToStr(recNo) + " of " + IntToStr(count) + " Entries Loaded");
        progress->ProgressBar1->SetPosition(recNo);
        progress->Repaint();
        // Where a Cancel is taken.
        Application->ProcessMessages();
      }
      if (ShowsStandardStyles(lastDate)) CopyStandardStyles(*p.vlStyleBody);
      WidthOfTheWindow(p.vlBody);
      p.vlBody->Format();
      progress->Close();
      show = !Stopped();
    }
    keys.Close();
    if (show) {
      p.VLPrint1->FormatPages();
      if (output == roPreview) {
        p.VLPrintPreview1->First();
        p.ShowModal();
      } else {
        p.PrintReport();
      }
    }
  } catch (const std::exception& e) {
    if (progress->GetVisible()) progress->Close();
    ShowErrorDisplay("Print Journal", e);
  }
  p.ClearReport();
}

void BuildPasswordReport() {
  TFormPrintPreview* preview = FormPrintPreview;
  if (!preview) return;
  TFormPrintPreview& p = *preview;
  SaveEntry(CurrentJournal, smAuto);
  if (JournalPassword.empty()) {
    // A report of an empty password would only look like a lost one.
    MessageBox("This journal has no password, so there is none to print.\r\n"
               "File > Change Password sets one.",
               "Print Password", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const String printed = PrintedLine(Now());
  p.ClearReport();
  p.SetUpReportStyles();
  p.vlBody->SetUndoLimit(0);
  InsertRowTable(p.vlHeader, "Header Table", " ", " ", p.HeaderTextStyle, p.HeaderLeftPara, p.HeaderRightPara);
  CaretToEnd(p.vlHeader);
  p.vlHeader->InsertBreak(5, 0, RuleColor);
  p.vlHeader->Format();
  p.VLPrint1->SetHeader(p.vlHeader->VLData());
  BuildFooter(p, printed);

  const char* const advice[] = {
      "* Quillory provides this feature as an aid to help you remember your password to your journal or so others "
      "can read your journal when you are ready.",
      "* Print this report on your printer and store in a secure location like a safety deposit box or a safe, "
      "even a locked filing cabinet will do.",
      "* Do not make this report available to anyone or give your password to anyone except when you are ready "
      "for your journal to be read.",
      "* Remember to make periodic backups of your journal and store backups in a safe place.",
      "* Note the password is case sensitive and must be entered exactly as shown.",
      "* Brixane cannot recover your password if you forget it or lose it."};
  TCustomVLData& body = *p.vlBody->VLData();
  // The body shows the password: no copy of its text may outlive the report.
  body.SetSensitive(true);
  auto line = [&](const String& text) {
    WideString wide = Utf8ToWide(text);
    AnsiString raw = WideStringToRawUnicode(wide);
    // An empty line is a paragraph of its own too.
    body.AddUnicodeTextItemTag(raw, p.BodyHeadingTextStyle, p.BodyLeftPara, TVLTag());
    WipeText(wide);
    WipeText(raw);
  };
  for (const char* a : advice) {
    line("");
    line(a);
  }
  line("");
  line(JournalOwnerText());
  String secret;
  secret.reserve(10 + JournalPassword.size());
  secret.append("Password: ").append(JournalPassword);
  line(secret);
  WipeText(secret);
  p.vlBody->Format();
  CaretToEnd(p.vlBody);
  p.VLPrint1->FormatPages();
  // No picture of the page is kept: it would show the password.
  p.VLPrintPreview1->CachePageImage = false;
  p.VLPrintPreview1->First();
  try {
    p.ShowModal();
  } catch (...) {
    p.ClearReport();
    p.VLPrintPreview1->CachePageImage = true;
    throw;
  }
  p.ClearReport();
  p.VLPrintPreview1->CachePageImage = true;
}
