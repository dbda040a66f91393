// The main window's commands, menus and tool bars: date navigation, the
// journal selector, the font and style boxes, the date and time stamps, the
// tree and calendar toggles, help and the tool-bar layout.
#include "app/QYAddJournal.h"
#include "app/QYAutoSave.h"
#include "app/QYEditor.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPrintPreview.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"
#include "app/QYToolBarLayout.h"

#include "actions/VLActionsColor.h"
#include "actions/VLActionsEdit.h"
#include "actions/VLActionsFind.h"
#include "actions/VLActionsFontDlg.h"
#include "actions/VLActionsFontStyle.h"
#include "actions/VLActionsHyperlink.h"
#include "actions/VLActionsInsert.h"
#include "actions/VLActionsList.h"
#include "actions/VLActionsDocument.h"
#include "actions/VLActionsFile.h"
#include "actions/VLActionsPara.h"
#include "actions/VLActionsParaDlg.h"
#include "platform/base/DateTime.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Printers.h"
#include "platform/os/ShellOpen.h"
#include "platform/os/SysPaths.h"
#include "richtext/model/VLStyle.h"

#include <cmath>
#include <map>

namespace {

const char* const MakerWebSite = "https://www.brixane.example/quillory";

// While set, the picker and calendar are being set by the program.
bool SettingDateControls = false;

// The current journal, when journals are loaded.
TOpenJournal* Current() { return JournalsLoaded ? CurrentJournal : nullptr; }

TformQuilloryEditor* CurrentWindow() { return Current() ? Current()->EditorWindow : nullptr; }

// The setting of a toggled left-column panel, written at once.
void ToggleSetting(bool& setting, const char* key) {
  setting = !setting;
  SetProfileValue(key, pvBoolean, setting);
}

// Clears a flag however a handler ends.
struct TFlagGuard {
  explicit TFlagGuard(bool& flag) : Flag(flag) { Flag = true; }
  ~TFlagGuard() { Flag = false; }
  bool& Flag;
};

}  // namespace

String DateTimeStampText(int kind, TDateTime moment) {
  String when;
  switch (kind) {
    case 1: when = FormatDateTime(FormatSettings.LongDateFormat, moment); break;
    case 2: when = FormatDateTime(FormatSettings.ShortTimeFormat, moment); break;
    case 3:
      when = FormatDateTime(FormatSettings.LongDateFormat, moment) + " " +
             FormatDateTime(FormatSettings.ShortTimeFormat, moment);
      break;
    default: return String();
  }
  return "* * *  " + when + "  * * *";
}

String DateTimeStampCaption(int kind) {
  switch (kind) {
    case 1: return "Date Stamp";
    case 2: return "Time Stamp";
    case 3: return "Date & Time Stamp";
    default: return String();
  }
}

String SuggestedCopyName(const TOpenJournal* journal) {
  if (!journal) return String();
  String name = journal->JournalName;
  // Characters no file name may hold become blanks.
  for (char& c : name)
    if (c == '/' || c == '\\' || c == ':') c = ' ';
  if (journal->JournalKind == 1) return name;
  return name + " " + FormatDateTime("yyyy-mm-dd", journal->EntryDate);
}

String CopyTitle(const TOpenJournal* journal) {
  if (!journal) return String();
  if (journal->JournalKind == 1) return journal->JournalName;
  return FormatDateTime(FormatSettings.LongDateFormat, journal->EntryDate);
}

bool LeaveCurrentEntry() {
  if (SaveEntry(CurrentJournal, smAuto)) return true;
  // The text is not in the table: leaving would throw it away.
  return MessageBox("This entry could not be saved.\r\nLeave it anyway and lose the changes?",
                    "Entry Not Saved", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

// ---------------------------------------------------------------------------
// Building.

void TformQuilloryMain::BuildCommands() {
  auto make = [this](const char* name, const char* caption, const char* hint, TShortCut shortcut,
                     std::function<void()> run) {
    return NewAction(name, caption, hint, shortcut, [run](TObject*) { run(); });
  };
  ActionNewJournal = make("ActionNewJournal", "&New Journal", "create a new journal", scNone,
                          [this] { ActionNewJournalExecute(this); });
  ActionSave = make("ActionSave", "&Save", "save entry", scCtrl | 'S', [] { ActionSaveExecute(); });
  ActionDelete = make("ActionDelete", "&Delete", "delete entry", scCtrl | 'D', [] { ActionDeleteExecute(); });
  ActionDatePrevious = make("ActionDatePrevious", "Date &Previous", "previous day", scAlt | 'P',
                            [this] { ActionDatePreviousExecute(this); });
  ActionDateToday = make("ActionDateToday", "&Today", "today", scAlt | 'T', [this] { ActionDateTodayExecute(this); });
  ActionDateNext = make("ActionDateNext", "Date &Next", "next day", scAlt | 'N', [this] { ActionDateNextExecute(this); });
  ActionDateStamp = make("ActionDateStamp", "Insert Date Stamp", "insert date stamp", scCtrl | scShift | 'D',
                         [this] { InsertStamp(1); });
  ActionDateStamp->Tag = 1;
  ActionTimeStamp = make("ActionTimeStamp", "Insert Time Stamp", "insert time stamp", scCtrl | scShift | 'T',
                         [this] { InsertStamp(2); });
  ActionTimeStamp->Tag = 2;
  ActionDateTimeStamp = make("ActionDateTimeStamp", "Insert Date and Time Stamp", "insert date and time stamp",
                             scCtrl | scShift | 'B', [this] { InsertStamp(3); });
  ActionDateTimeStamp->Tag = 3;
  ActionHideShowEntryTree = make("ActionHideShowEntryTree", "Toggle Entry Tree", "show or hide the entry tree",
                                 scCtrl | scShift | 'E', [this] { ActionHideShowEntryTreeExecute(this); });
  ActionShowHideMonthCalendar =
      make("ActionShowHideMonthCalendar", "Toggle Month &Calendar", "show or hide the month calendar",
           scCtrl | scShift | 'M', [this] { ActionShowHideMonthCalendarExecute(this); });
  ActionEntryTreeFullExpand = make("ActionEntryTreeFullExpand", "Expand All", "expand the entry tree", scNone,
                                   [this] { ActionEntryTreeFullExpandExecute(this); });
  ActionEntryTreeFullCollapse = make("ActionEntryTreeFullCollapse", "Collapse All", "collapse the entry tree",
                                     scNone, [this] { ActionEntryTreeFullCollapseExecute(this); });
  ActionJumpWindow = make("ActionJumpWindow", "Switch Tree and Editor", "switch between the tree and the editor",
                          VK_F5, [this] { ActionJumpWindowExecute(this); });
  ActionPrinterSetupDialog = make("ActionPrinterSetupDialog", "Printer Set&up...", "choose the printer or a PDF file", scNone,
                                  [this] { ActionPrinterSetupDialogExecute(this); });
  BuildSpelling();
  HelpContents = make("HelpContents", "Quillory &Help", "help", VK_F1, [this] { HelpContentsExecute(this); });
  ActionGotoBrixaneWebSite = make("ActionGotoBrixaneWebSite", "Brixane Home page", "the maker's web site", scNone,
                                  [this] { ActionGotoBrixaneWebSiteExecute(this); });

  // The editing commands act on the focused editor.
  auto editing = [this](TvlAction* a, const char* name) {
    a->SetName(name);
    a->SetActionList(ActionList);
    return a;
  };
  TvlAction* undo = editing(new TvlActionUndo(this), "vlActionUndo");
  TvlAction* redo = editing(new TvlActionRedo(this), "vlActionRedo");
  TvlAction* cut = editing(new TvlActionCut(this), "vlActionCut");
  TvlAction* copy = editing(new TvlActionCopy(this), "vlActionCopy");
  TvlAction* paste = editing(new TvlActionPaste(this), "vlActionPaste");
  TvlAction* selectAll = editing(new TvlActionSelectAll(this), "vlActionSelectAll");
  TvlAction* find = editing(new TvlActionFind(this), "vlActionFind");
  TvlAction* findNext = editing(new TvlActionFindNext(this), "vlActionFindNext");
  TvlAction* replace = editing(new TvlActionReplace(this), "vlActionReplace");
  TvlAction* bold = editing(new TvlActionFontBold(this), "vlActionFontBold");
  TvlAction* italic = editing(new TvlActionFontItalic(this), "vlActionFontItalic");
  TvlAction* underline = editing(new TvlActionFontUnderline(this), "vlActionFontUnderline");
  TvlAction* strike = editing(new TvlActionFontStrikeout(this), "vlActionFontStrikeout");
  TvlAction* color = editing(new TvlActionFontColor(this), "vlActionFontColor");
  TvlAction* left = editing(new TvlActionAlignLeft(this), "vlActionAlignLeft");
  TvlAction* center = editing(new TvlActionAlignCenter(this), "vlActionAlignCenter");
  TvlAction* right = editing(new TvlActionAlignRight(this), "vlActionAlignRight");
  TvlAction* justify = editing(new TvlActionAlignJustify(this), "vlActionAlignJustify");
  TvlAction* indentInc = editing(new TvlActionIndentInc(this), "vlActionIndentInc");
  TvlAction* indentDec = editing(new TvlActionIndentDec(this), "vlActionIndentDec");
  // The desktop's usual keys. The editor answers its own editing keys
  // (Ctrl+Z, Ctrl+C, …) while it has the focus; the menus name them all.
  undo->SetShortCut(scCtrl | 'Z');
  redo->SetShortCut(scCtrl | 'Y');
  redo->SetSecondaryShortCuts({scCtrl | scShift | 'Z'});
  cut->SetShortCut(scCtrl | 'X');
  copy->SetShortCut(scCtrl | 'C');
  paste->SetShortCut(scCtrl | 'V');
  selectAll->SetShortCut(scCtrl | 'A');
  find->SetShortCut(scCtrl | 'F');
  findNext->SetShortCut(VK_F3);
  bold->SetShortCut(scCtrl | 'B');
  italic->SetShortCut(scCtrl | 'I');
  underline->SetShortCut(scCtrl | 'U');
  // Captions whose letters would repeat another's in the same menu.
  replace->SetCaption("R&eplace...");
  color->SetCaption("Text C&olor...");
  indentInc->SetCaption("I&ncrease Indent");

  // --- menus
  MainMenu = new TMainMenu(this);
  MainMenu->SetName("MainMenu");
  auto menu = [](TMenuItem* parent, const char* caption) {
    auto* m = new TMenuItem(nullptr);
    m->SetCaption(caption);
    parent->Add(m);
    return m;
  };
  auto items = [](TMenuItem* parent, std::initializer_list<TBasicAction*> actions) {
    for (TBasicAction* a : actions) {
      auto* m = new TMenuItem(nullptr);
      if (a) m->SetAction(a);
      else m->SetCaption("-");
      parent->Add(m);
    }
  };
  TMenuItem* root = MainMenu->Items();
  items(menu(root, "&File"), {ActionNewJournal, ActionSave, ActionDelete, nullptr, ActionPrinterSetupDialog,
                              nullptr, ActionToggleReadOnly, ActionChangePassword, ActionHide, ActionLock, nullptr,
                              ActionExit});
  TvlAction* pasteSpecial = editing(new TvlActionPasteSpecial(this), "vlActionPasteSpecial");
  items(menu(root, "&Edit"), {undo, redo, nullptr, cut, copy, paste, pasteSpecial, selectAll, nullptr, find, findNext,
                              replace});
  // Alt+O is the cover's Open and Alt+T the Today command: the menus that
  // would take those letters use others.
  {
    // The Format menu: the dialogs first, then colours, then the single
    // commands grouped so that no two items of one menu share a letter.
    TvlAction* fontDialog = editing(new TvlActionFontEx(this), "vlActionFontEx");
    TvlAction* paragraph = editing(new TvlActionParagraph(this), "vlActionParagraph");
    TvlAction* borders = editing(new TvlActionParaBorder(this), "vlActionParaBorder");
    TvlAction* backColor = editing(new TvlActionFontBackColor(this), "vlActionFontBackColor");
    TvlAction* paraColor = editing(new TvlActionParaColor(this), "vlActionParaColor");
    TvlAction* allCaps = editing(new TvlActionFontAllCaps(this), "vlActionFontAllCaps");
    TvlAction* overline = editing(new TvlActionFontOverline(this), "vlActionFontOverline");
    TvlAction* grow = editing(new TvlActionFontGrow(this), "vlActionFontGrow");
    TvlAction* shrink = editing(new TvlActionFontShrink(this), "vlActionFontShrink");
    TvlAction* growPoint = editing(new TvlActionFontGrowOnePoint(this), "vlActionFontGrowOnePoint");
    TvlAction* shrinkPoint = editing(new TvlActionFontShrinkOnePoint(this), "vlActionFontShrinkOnePoint");
    TvlAction* single = editing(new TvlActionLineSpacing100(this), "vlActionLineSpacing100");
    TvlAction* oneHalf = editing(new TvlActionLineSpacing150(this), "vlActionLineSpacing150");
    TvlAction* twice = editing(new TvlActionLineSpacing200(this), "vlActionLineSpacing200");
    TvlAction* wordWrap = editing(new TvlActionWordWrap(this), "vlActionWordWrap");
    paraColor->SetCaption("Paragraph Back&ground Color...");
    TMenuItem* format = menu(root, "Fo&rmat");
    items(format, {fontDialog, paragraph, borders, nullptr, color, backColor, paraColor, nullptr});
    items(menu(format, "Font St&yle"), {bold, italic, underline, strike, allCaps, overline});
    items(menu(format, "Font Si&ze"), {grow, shrink, growPoint, shrinkPoint});
    items(menu(format, "&Alignment"), {left, right, center, justify});
    items(menu(format, "Line Spa&cing"), {single, oneHalf, twice});
    items(format, {nullptr, indentInc, indentDec, wordWrap});
  }
  items(menu(root, "&Insert"), {ActionDateStamp, ActionTimeStamp, ActionDateTimeStamp});
  items(menu(root, "&Date"), {ActionDatePrevious, ActionDateToday, ActionDateNext});
  items(menu(root, "&View"), {ActionHideShowEntryTree, ActionShowHideMonthCalendar, ActionEntryTreeFullExpand,
                              ActionEntryTreeFullCollapse, ActionJumpWindow, nullptr, ShowActivityDisplayWindow});
  items(menu(root, "Tool&s"), {ActionSpell, ActionThesaurus, ActionSpellSetup});
  items(menu(root, "&Help"), {HelpContents, ActionGotoBrixaneWebSite, nullptr, ActionAbout});
  // Links, pictures, lines, page breaks, lists and the background: groups of
  // the Insert and Format menus, and buttons on the format bar.
  TvlAction* link = editing(new TvlActionInsertHyperlink(this), "vlActionInsertHyperlink");
  TvlAction* picture = editing(new TvlActionInsertPicture(this), "vlActionInsertPicture");
  TvlAction* bullets = editing(new TvlActionParaBullets(this), "vlActionParaBullets");
  TvlAction* numbering = editing(new TvlActionParaNumbering(this), "vlActionParaNumbering");
  {
    TvlAction* file = editing(new TvlActionInsertFile(this), "vlActionInsertFile");
    TvlAction* line = editing(new TvlActionInsertHLine(this), "vlActionInsertHLine");
    TvlAction* pageBreak = editing(new TvlActionInsertPageBreak(this), "vlActionInsertPageBreak");
    TvlAction* removeBreak = editing(new TvlActionRemovePageBreak(this), "vlActionRemovePageBreak");
    link->SetShortCut(scCtrl | 'K');
    TvlAction* background = editing(new TvlActionColor(this), "vlActionColor");
    TvlAction* properties = editing(new TvlActionItemProperties(this), "vlActionItemProperties");
    TvlAction* backgroundDialog = editing(new TvlActionBackground(this), "vlActionBackground");
    // An entry leaves the program as a copy: a web page, RTF, text, or a
    // format of the installed document converter.
    auto* exportCopy = static_cast<TvlActionExport*>(editing(new TvlActionExport(this), "vlActionExport"));
    exportCopy->Filter = {ffeHTMLCSS, ffeHTML, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeOfficeConverters};
    exportCopy->SetCaption("Save a Copy of This &Entry...");
    // The copy is offered as "<journal> <yyyy-mm-dd>" in the user's Documents,
    // titled (a web page, a book) by the entry's date as its window is.
    ActionList->OnExecute = [exportCopy](TBasicAction* a, bool&) {
      if (a != exportCopy || !Current()) return;
      exportCopy->FileName = SuggestedCopyName(Current());
      exportCopy->FileTitle = CopyTitle(Current());
      exportCopy->InitialDir = GetDocumentsFolder();
    };
    // Access letters that Bold, Increase Indent, Align Center, Paragraph and
    // the text and paragraph background colours hold.
    bullets->SetCaption("Bulle&ts");
    numbering->SetCaption("Nu&mbering");
    background->SetCaption("Backgro&und Color...");
    backgroundDialog->SetCaption("Background Imag&e...");
    properties->SetCaption("Ob&ject Properties...");
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* m = root->Items(i);
      if (m->GetCaption() == "&Insert") items(m, {nullptr, file, picture, line, link, nullptr, pageBreak, removeBreak});
      if (m->GetCaption() == "&File") {
        auto* item = new TMenuItem(nullptr);
        item->SetAction(exportCopy);
        m->Insert(3, item);  // after New, Save and Delete
      }
      if (m->GetCaption() == "Fo&rmat") items(m, {nullptr, bullets, numbering, nullptr, background, backgroundDialog, properties});
    }
  }
  {
    // The list gallery follows the Bullets and Numbering toggles on the
    // Format menu; B is Borders' letter there.
    TvlAction* gallery = editing(new TvlActionParaList(this), "vlActionParaList");
    gallery->SetCaption("Bu&llets and Numbering...");
    for (int i = 0; i < root->Count(); ++i) {
      TMenuItem* format = root->Items(i);
      if (format->GetCaption() != "Fo&rmat") continue;
      for (int j = 0; j < format->Count(); ++j)
        if (format->Items(j)->GetAction() == numbering) {
          auto* item = new TMenuItem(nullptr);
          item->SetAction(gallery);
          format->Insert(j + 1, item);
          break;
        }
    }
  }
  // A symbol goes in after the link among the inserted things; the fill
  // colour after the paragraph's background colour.
  {
    TvlAction* symbol = editing(new TvlActionInsertSymbol(this), "vlActionInsertSymbol");
    TvlAction* fill = editing(new TvlActionFillColor(this), "vlActionFillColor");
    fill->SetCaption("F&ill Color...");
    auto after = [](TMenuItem* m, const char* name, TBasicAction* a) {
      for (int i = 0; i < m->Count(); ++i)
        if (m->Items(i)->GetAction() && m->Items(i)->GetAction()->GetName() == name) {
          auto* item = new TMenuItem(nullptr);
          item->SetAction(a);
          m->Insert(i + 1, item);
          return;
        }
    };
    for (int i = 0; i < root->Count(); ++i) {
      if (root->Items(i)->GetCaption() == "&Insert") after(root->Items(i), "vlActionInsertHyperlink", symbol);
      if (root->Items(i)->GetCaption() == "Fo&rmat") after(root->Items(i), "vlActionParaColor", fill);
    }
  }
  // Greyed in a read-only entry, each saying why when its key is pressed
  // there all the same: the format commands, Undo and Redo.
  std::function<void(TMenuItem*)> inPlace = [&inPlace](TMenuItem* m) {
    for (int k = 0; k < m->Count(); ++k)
      if (m->Items(k)->Count() > 0) {
        inPlace(m->Items(k));
      } else if (auto* a = dynamic_cast<TvlAction*>(m->Items(k)->GetAction())) {
        a->ChangesDocument = true;
        a->ChangesInPlace = true;
      }
  };
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->GetCaption() == "Fo&rmat") inPlace(root->Items(i));
  for (TvlAction* a : {undo, redo}) {
    a->ChangesDocument = true;
    a->ChangesInPlace = true;
  }
  SetMenu(MainMenu);
  BuildOptionsCommands();

  PopupMenu1 = new TPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  items(PopupMenu1->Items(), {cut, copy, paste, nullptr, bold, italic, underline, nullptr, ActionDateStamp,
                              ActionTimeStamp, ActionDateTimeStamp, nullptr, ActionToggleReadOnly});

  // --- tool bars
  auto bar = [this](const char* name) {
    auto* b = new TToolBar(this);
    b->SetName(name);
    b->SetParent(ControlBar);
    b->SetShowCaptions(true);
    return b;
  };
  auto buttons = [this](TToolBar* b, std::initializer_list<TBasicAction*> actions) {
    for (TBasicAction* a : actions) {
      auto* button = new TToolButton(this);
      if (a) {
        button->SetName(String("tb") + a->GetName());
        button->SetAction(a);
      } else {
        button->SetStyle(tbsSeparator);
      }
      button->SetParent(b);
    }
  };
  tbStandard = bar("tbStandard");
  buttons(tbStandard, {ActionNewJournal, ActionSave, ActionDelete, nullptr, undo, redo, nullptr, cut, copy, paste,
                       nullptr, ActionSpell, ActionLock});

  tbFormat = bar("tbFormat");
  tbFontName = new TComboBox(this);
  tbFontName->SetName("tbFontName");
  // With an edit field: it shows the caret's font also when that font is
  // not installed and so has no line in the list.
  tbFontName->SetStyle(csDropDown);
  tbFontName->SetSorted(true);
  tbFontName->Items().Assign(&Screen->Fonts());
  tbFontName->SetWidth(170);
  tbFontName->SetParent(tbFormat);
  tbFontName->OnSelect = [this](TObject* s) { tbFontNameClick(s); };
  tbFontSize = new TEdit(this);
  tbFontSize->SetName("tbFontSize");
  tbFontSize->SetText("11");
  tbFontSize->SetWidth(40);
  tbFontSize->SetParent(tbFormat);
  tbFontSize->OnKeyPress = [this](TObject*, char16_t& key) {
    if (key == '\r') {
      tbFontSizeApply();
      key = 0;
      // The size is set: typing goes on in the text.
      if (TformQuilloryEditor* w = CurrentWindow()) w->FocusEditor();
    } else if (!(key >= '0' && key <= '9') && key != '\b') {
      key = 0;
    }
  };
  tbFontSize->OnExit = [this](TObject*) { tbFontSizeApply(); };
  tbFontSize->OnClick = [this](TObject*) { tbFontSizeApply(); };
  tbUpDownFontSize = new TUpDown(this);
  tbUpDownFontSize->SetName("tbUpDownFontSize");
  tbUpDownFontSize->SetMin(1);
  tbUpDownFontSize->SetMax(250);
  tbUpDownFontSize->SetPosition(11);
  tbUpDownFontSize->SetParent(tbFormat);
  tbUpDownFontSize->SetAssociate(tbFontSize);
  tbUpDownFontSize->OnClick = [this](TObject*, TUDBtnType) { tbFontSizeApply(); };
  cbTextStyles = new TComboBox(this);
  cbTextStyles->SetName("cbTextStyles");
  cbTextStyles->SetStyle(csDropDownList);
  cbTextStyles->SetWidth(170);
  cbTextStyles->SetParent(tbFormat);
  cbTextStyles->OnSelect = [this](TObject* s) { cbTextStylesClick(s); };
  cbParagraphStyles = new TComboBox(this);
  cbParagraphStyles->SetName("cbParagraphStyles");
  cbParagraphStyles->SetStyle(csDropDownList);
  cbParagraphStyles->SetWidth(170);
  cbParagraphStyles->SetParent(tbFormat);
  cbParagraphStyles->OnSelect = [this](TObject* s) { cbParagraphStylesClick(s); };
  buttons(tbFormat, {bold, italic, underline, nullptr, left, center, right, nullptr, ActionDateStamp,
                     ActionTimeStamp, ActionDateTimeStamp});

  buttons(tbFormat, {nullptr, bullets, numbering, nullptr, picture, link});
  tbDates = bar("tbDates");
  buttons(tbDates, {ActionDatePrevious, ActionDateToday, ActionDateNext});
  QuilloryDate = new TDateTimePicker(this);
  QuilloryDate->SetName("QuilloryDate");
  QuilloryDate->SetDateFormat(dfLong);
  QuilloryDate->SetWidth(230);
  QuilloryDate->SetParent(tbDates);
  QuilloryDate->OnChange = [this](TObject* s) { QuilloryDateChange(s); };
  cbSelectJournal = new TComboBox(this);
  cbSelectJournal->SetName("cbSelectJournal");
  cbSelectJournal->SetStyle(csDropDownList);
  cbSelectJournal->SetWidth(200);
  cbSelectJournal->SetParent(tbDates);
  cbSelectJournal->OnSelect = [this](TObject* s) { cbSelectJournalClick(s); };

  MonthCalendar->OnDblClick = [this](TObject* s) { MonthCalendarDblClick(s); };
  BuildFindAndPrintCommands();
  BuildTableCommands();
  ArrangeToolBars();

  AppHooks().SaveToolBarLayout = [this](const String& file) {
    SaveToolBarLayoutFile(file, CurrentToolBarLayout(this));
  };
  AppHooks().LoadToolBarLayout = [this](const String& file) {
    TToolBarLayout layout;
    LoadToolBarLayoutFile(file, DefaultToolBarLayout(), layout);
    ApplyToolBarLayout(this, layout);
  };
}

// ---------------------------------------------------------------------------
// Tool-bar layout.

namespace {
std::vector<TToolBar*> Bars(TformQuilloryMain* main) { return {main->tbStandard, main->tbFormat, main->tbDates}; }
}  // namespace

TToolBarLayout DefaultToolBarLayout() {
  return {{{"tbStandard", true, {}}, {"tbFormat", true, {}}, {"tbDates", true, {}}}};
}

TToolBarLayout CurrentToolBarLayout(TformQuilloryMain* main) {
  std::vector<TToolBar*> bars = Bars(main);
  std::stable_sort(bars.begin(), bars.end(), [](TToolBar* a, TToolBar* b) { return a->GetTop() < b->GetTop(); });
  TToolBarLayout layout;
  for (TToolBar* b : bars) {
    TToolBarLayoutBar entry{b->GetName(), b->GetVisible(), {}};
    for (int i = 0; i < b->ControlCount(); ++i) {
      TControl* c = b->Controls(i);
      if (!c->GetVisible() && !c->GetName().empty()) entry.HiddenItems.push_back(c->GetName());
    }
    layout.Bars.push_back(entry);
  }
  return layout;
}

void ApplyToolBarLayout(TformQuilloryMain* main, const TToolBarLayout& layout) {
  int top = 0;
  for (const TToolBarLayoutBar& entry : layout.Bars) {
    for (TToolBar* b : Bars(main)) {
      if (b->GetName() != entry.Name) continue;
      b->SetVisible(entry.Visible);
      for (int i = 0; i < b->ControlCount(); ++i) {
        TControl* c = b->Controls(i);
        if (c->GetName().empty()) continue;
        c->SetVisible(std::find(entry.HiddenItems.begin(), entry.HiddenItems.end(), c->GetName()) ==
                      entry.HiddenItems.end());
      }
      b->SetAlign(alNone);
      b->SetTop(top);
      top += b->GetVisible() ? b->GetHeight() : 0;
    }
  }
  main->ArrangeToolBars();
}

void TformQuilloryMain::ArrangeToolBars() {
  std::vector<TToolBar*> bars = Bars(this);
  std::stable_sort(bars.begin(), bars.end(), [](TToolBar* a, TToolBar* b) { return a->GetTop() < b->GetTop(); });
  int top = 0;
  for (TToolBar* b : bars) {
    b->SetAlign(alNone);
    b->SetBounds(0, top, ControlBar->GetWidth(), b->GetHeight());
    if (b->GetVisible()) top += b->GetHeight();
  }
  for (TToolBar* b : bars) b->SetAlign(alTop);
  ControlBar->SetHeight(std::max(top, 1));
}

// ---------------------------------------------------------------------------
// Journals and dates.

void TformQuilloryMain::ActionNewJournalExecute(TObject*) {
  if (!dlgAddJournal) return;
  PauseTimer();
  SaveEntry(CurrentJournal, smAuto);
  const bool ok = dlgAddJournal->ShowModal() == mrOk;
  const String name = ok ? dlgAddJournal->eJournalName->GetText() : String();
  const Byte kind = dlgAddJournal->cbJournalType->GetItemIndex() == 1 ? 1 : 0;
  NewJournal(name, kind, ok && !name.empty());
  ResumeTimer();
}

void TformQuilloryMain::GoToJournalDate(Integer journalID, TDateTime date) {
  if (!JournalsLoaded || !LeaveCurrentEntry()) return;
  TOpenJournal* j = FindOrOpenJournal(journalID);
  if (!j) return;
  // The entry shown already, as it is stored (saved just now): read again,
  // it would lose its undo history.
  const bool shown = j == CurrentJournal && !j->Document->Modified && j->EntryStored && !j->EntryUnread &&
                     !j->EntryDamaged && StoredEntryDate(j, j->EntryDate) == StoredEntryDate(j, date);
  CurrentJournal = j;
  if (!shown) LoadEntry(j, date);
  if (j->EditorWindow) j->EditorWindow->BringToFront();
}

namespace {
void MoveCurrentTo(TDateTime date) {
  TOpenJournal* j = Current();
  if (!j || !LeaveCurrentEntry()) return;
  // The day left has its caret back when it is shown again.
  KeepCaretPlace(j);
  LoadEntry(j, date);
}
}  // namespace

void TformQuilloryMain::ActionDatePreviousExecute(TObject*) {
  if (Current()) MoveCurrentTo(std::floor(CurrentJournal->EntryDate) - 1);
}

void TformQuilloryMain::ActionDateTodayExecute(TObject*) { MoveCurrentTo(std::floor(Date())); }

void TformQuilloryMain::ActionDateNextExecute(TObject*) {
  if (Current()) MoveCurrentTo(std::floor(CurrentJournal->EntryDate) + 1);
}

void TformQuilloryMain::QuilloryDateChange(TObject*) {
  if (SettingDateControls || !Current()) return;
  const TDateTime picked = std::floor(QuilloryDate->GetDate());
  if (picked == std::floor(CurrentJournal->EntryDate)) return;
  TOpenJournal* j = CurrentJournal;
  if (!LeaveCurrentEntry()) {
    // Staying: the picker shows the entry's date again.
    TFlagGuard guard(SettingDateControls);
    QuilloryDate->SetDate(j->EntryDate);
    return;
  }
  KeepCaretPlace(j);
  LoadEntry(j, picked);
}

void TformQuilloryMain::MonthCalendarDblClick(TObject*) { MoveCurrentTo(std::floor(MonthCalendar->GetDate())); }

void TformQuilloryMain::cbSelectJournalClick(TObject*) {
  const int index = cbSelectJournal->GetItemIndex();
  if (index < 0 || index >= static_cast<int>(SelectJournalLines.size())) return;
  const Integer id = SelectJournalLines[static_cast<size_t>(index)].second;
  if (!JournalsLoaded || !LeaveCurrentEntry()) return;
  TOpenJournal* j = FindOrOpenJournal(id);
  if (!j) return;
  CurrentJournal = j;
  LoadEntry(j, j->EntryDate);
  if (j->EditorWindow) j->EditorWindow->BringToFront();
}

// ---------------------------------------------------------------------------
// Stamps, fonts and styles.

bool TformQuilloryMain::TellReadOnlyStampKey(TShortCut key) {
  TformQuilloryEditor* w = JournalsLoaded ? CurrentWindow() : nullptr;
  if (!w || !w->ReadOnly() || key == scNone) return false;
  for (TAction* a : {ActionDateStamp, ActionTimeStamp, ActionDateTimeStamp})
    if (a && a->GetShortCut() == key) {
      TellReadOnly();
      return true;
    }
  return false;
}

void TformQuilloryMain::InsertStamp(int kind) {
  if (!JournalsLoaded) return;
  TformQuilloryEditor* w = CurrentWindow();
  const String text = DateTimeStampText(kind, Now());
  if (!w || w->ReadOnly() || text.empty()) return;
  w->InsertStamp(text, DateTimeStampCaption(kind));
}

void TformQuilloryMain::tbFontNameClick(TObject*) {
  if (UpdatingStyleControls) return;
  TFlagGuard guard(UpdatingStyleControls);
  TformQuilloryEditor* w = CurrentWindow();
  if (tbFontName->GetItemIndex() >= 0 && w) {
    ChosenFontName = tbFontName->Items()[tbFontName->GetItemIndex()];
    w->ApplyChosenFont(ConvertFontName);
  }
  if (w) w->FocusEditor();
}

void TformQuilloryMain::tbFontSizeApply() {
  if (UpdatingStyleControls) return;
  TFlagGuard guard(UpdatingStyleControls);
  const String text = tbFontSize->GetText();
  const Integer size = StrToIntDef(text, 0);
  // A size of 0 would make text that cannot be seen.
  if (text.empty() || size < 1 || size > 250) return;
  ChosenFontSize = size;
  if (TformQuilloryEditor* w = CurrentWindow()) w->ApplyChosenFont(ConvertFontSize);
}

void TformQuilloryMain::cbTextStylesClick(TObject*) {
  if (UpdatingStyleControls) return;
  TFlagGuard guard(UpdatingStyleControls);
  TformQuilloryEditor* w = CurrentWindow();
  if (cbTextStyles->GetItemIndex() >= 0 && w) {
    if (!w->ApplyTextStyleNamed(cbTextStyles->Items()[cbTextStyles->GetItemIndex()]))
      MessageBox("StyleNotFound", "Quillory", MB_OK);
  }
  if (w) {
    w->FocusEditor();
    w->BringToFront();
  }
}

void TformQuilloryMain::cbParagraphStylesClick(TObject*) {
  if (UpdatingStyleControls) return;
  TFlagGuard guard(UpdatingStyleControls);
  TformQuilloryEditor* w = CurrentWindow();
  if (cbParagraphStyles->GetItemIndex() >= 0 && w) {
    if (!w->ApplyParaStyleNamed(cbParagraphStyles->Items()[cbParagraphStyles->GetItemIndex()]))
      MessageBox("Style Not Found", "Quillory", MB_OK);
  }
  if (w) {
    w->FocusEditor();
    w->BringToFront();
  }
}

void TformQuilloryMain::FillStyleBoxes() {
  // Also while the journals are being loaded: each load fills them.
  TformQuilloryEditor* w = CurrentJournal ? CurrentJournal->EditorWindow : nullptr;
  cbTextStyles->Items().Clear();
  cbParagraphStyles->Items().Clear();
  if (!w || !w->QuilloryStyle) return;
  TVLStyle& sheet = *w->QuilloryStyle;
  for (Integer i = 0; i < sheet.TextStyles->Count(); ++i)
    if (sheet.TextStyles->Items(i)->Standard) cbTextStyles->Items().Add(sheet.TextStyles->Items(i)->StyleName);
  for (Integer i = 0; i < sheet.ParaStyles->Count(); ++i)
    if (sheet.ParaStyles->Items(i)->Standard) cbParagraphStyles->Items().Add(sheet.ParaStyles->Items(i)->StyleName);
  cbTextStyles->Refresh();
  cbParagraphStyles->Refresh();
}

// ---------------------------------------------------------------------------
// Left column, focus, spelling, printer, help.

void TformQuilloryMain::ActionHideShowEntryTreeExecute(TObject*) {
  ToggleSetting(ProfileSettings.ShowEntryTree, "ShowEntryTree");
  ArrangeLeftColumn();
}

void TformQuilloryMain::ActionShowHideMonthCalendarExecute(TObject*) {
  ToggleSetting(ProfileSettings.ShowMonthCalendar, "ShowMonthCalendar");
  ArrangeLeftColumn();
}

void TformQuilloryMain::ActionEntryTreeFullExpandExecute(TObject*) {
  tEntryTree->SetVisible(false);
  tEntryTree->FullExpand();
  tEntryTree->SetVisible(true);
}

void TformQuilloryMain::ActionEntryTreeFullCollapseExecute(TObject*) {
  tEntryTree->SetVisible(false);
  tEntryTree->FullCollapse();
  tEntryTree->SetVisible(true);
}

void TformQuilloryMain::ActionJumpWindowExecute(TObject*) {
  if (!pEntryTree->Showing()) return;
  TformQuilloryEditor* w = CurrentWindow();
  if (w && w->EditorFocused()) tEntryTree->SetFocus();
  else if (w && tEntryTree->Focused()) w->FocusEditor();
}

void TformQuilloryMain::ActionPrinterSetupDialogExecute(TObject*) {
  PauseTimer();
  TPrinterSetupDialog dialog(this);
  dialog.Execute();
  ShowPrintTarget();
  ResumeTimer();
}

void TformQuilloryMain::ShowPrintTarget() {
  PrintHint = PrintHintText();
  for (TAction* a : {ActionPrint, ActionPrintPagePerDay, ActionPrintPageFilled})
    if (a) a->SetHint(PrintHint);
}

void TformQuilloryMain::HelpContentsExecute(TObject*) { Application->HelpContext(57); }

void TformQuilloryMain::ActionGotoBrixaneWebSiteExecute(TObject*) {
  if (ShellOpen(MakerWebSite)) return;
  // Without a web browser the desktop takes the address and does nothing.
  MessageBox(String("The web page could not be opened: no web browser is set up to open it.\r\n\r\n") +
                 "Its address is " + MakerWebSite + ".",
             "Home Page", MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------------------
// Enabling and state.

void TformQuilloryMain::SetJournalCommandsEnabled(bool enabled) {
  for (TAction* a : {ActionSave, ActionDelete, ActionSpell, ActionThesaurus})
    a->SetEnabled(enabled);
  for (TControl* c : {static_cast<TControl*>(tbFontName), static_cast<TControl*>(tbFontSize),
                      static_cast<TControl*>(cbTextStyles), static_cast<TControl*>(cbParagraphStyles)})
    if (c) c->SetEnabled(enabled);
  for (TAction* a : {ActionDateStamp, ActionTimeStamp, ActionDateTimeStamp, ActionLock, ActionHide,
                     ActionDatePrevious, ActionDateToday, ActionDateNext, ActionNewJournal})
    a->SetEnabled(enabled);
  // Commands of other units, when they exist.
  for (const char* name : {"ActionToggleReadOnly", "ActionBackup", "ActionPrint", "ActionPreview", "ActionGlobalFind",
                           "ActionPreviewPagePerDay", "ActionPreviewPageFilled", "ActionPrintPagePerDay",
                           "ActionPrintPageFilled", "ActionJournalManager"})
    if (auto* a = dynamic_cast<TAction*>(FindComponent(name))) a->SetEnabled(enabled);
  // What opens a journal: nothing may while the journals are closed.
  for (TWinControl* c : {static_cast<TWinControl*>(cbSelectJournal), static_cast<TWinControl*>(QuilloryDate),
                         static_cast<TWinControl*>(MonthCalendar), static_cast<TWinControl*>(tEntryTree)})
    if (c) c->SetEnabled(enabled);
}

void TformQuilloryMain::ShowModifiedState(bool modified) { SetStatusText(spState, modified ? "modified" : ""); }
