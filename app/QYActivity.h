#pragma once
// The activity window: a small log that the global find writes its events
// to, one paragraph per event, with commands to clear, print and reformat it.
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "richtext/view/Vellum.h"

#include <exception>
#include <memory>

class TVLPrint;

// Shows and hides the window, from the main window and from the window itself.
constexpr TShortCut ActivityWindowShortCut = scCtrl | scAlt | 'W';

class TActivityDisplayWindow : public TForm {
public:
  explicit TActivityDisplayWindow(TComponent* AOwner);
  ~TActivityDisplayWindow() override;

  TToolBar* ToolBar1 = nullptr;
  TButton* BitBtn1 = nullptr;  // Clear
  TButton* BitBtn2 = nullptr;  // Print
  TButton* bFormat = nullptr;
  // The log view: the rich-text viewer, one paragraph per event, in the
  // window's own style sheet.
  TVLStyle* LogStyle = nullptr;
  TVellum* Vellum1 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  // Prints the log view's pages.
  std::unique_ptr<TVLPrint> VLPrint1;
  // The show-or-hide shortcut while this window has the focus.
  TAction* ToggleWindow = nullptr;

  void BitBtn1Click(TObject* Sender);
  void BitBtn2Click(TObject* Sender);
  void bFormatClick(TObject* Sender);

  // Adds a line as the log's next paragraph and shows it at once.
  void AddLine(const String& text);
  // The log's paragraphs.
  int LineCount();
  String Line(int index);
  // No paragraph holds any text.
  bool LogIsEmpty();

  // Places the window directly to the right of main (same top) and shows it,
  // or hides it when it is shown. Where the screen ends before it, it is
  // pulled back onto the screen, over main if need be.
  void ToggleBeside(TCustomForm* main);

  // Prints the log view's pages: title "Quillory Log", one copy, collated,
  // margins of 20 mm at the right, top and bottom. Without a printer (or
  // with a PDF file chosen before) the print dialog asks where to. An
  // empty log prints nothing and says so.
  void PrintLog();
};

extern TActivityDisplayWindow* ActivityDisplayWindow;

// A printing failure in words for the user (no error class names).
String PrintProblemText(const std::exception& e);
