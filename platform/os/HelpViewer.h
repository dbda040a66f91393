#pragma once
// The help window: HTML pages from the help folder, found by context number
// or keyword through the folder's "index.txt". Each index line is
//   <context number or empty>|<keyword or empty>|<page file>
// and lines starting with '#' are comments.
#include "platform/base/Types.h"

#include <memory>
#include <vector>

class QWidget;

class THelpViewer {
public:
  // The program's help window.
  static THelpViewer& Instance();

  THelpViewer();
  ~THelpViewer();

  // The folder with index.txt and the pages. By default the first of
  // <program>/help, <program>/../share/quillory/help and a resources/help
  // found above the program folder (a build tree).
  void SetHelpFolder(const String& folder);
  String HelpFolder();

  // The page file for a context or keyword (keywords without case); empty
  // when the index has none.
  String PageForContext(int context);
  String PageForKeyword(const String& keyword);

  // Shows the page in the help window; false (nothing shown) when unknown.
  // The window opens whole on the screen in use; asked for while a modal box
  // is up, it belongs to that box so that it can be read, used and closed.
  bool ShowContext(int context);
  bool ShowKeyword(const String& keyword);
  bool ShowPage(const String& page);

  // The page shown last (file name), and the window (null before the first).
  String CurrentPage() const { return FCurrentPage; }
  QWidget* Window() const;
  void Close();

private:
  struct TEntry {
    int Context = 0;
    String Keyword;
    String Page;
  };
  void LoadIndex();
  // Sizes the window to the screen in use and puts it whole on it.
  void Place();

  String FFolder;
  bool FLoaded = false;
  std::vector<TEntry> FEntries;
  String FCurrentPage;
  struct TWindow;
  std::unique_ptr<TWindow> FWindow;
};
