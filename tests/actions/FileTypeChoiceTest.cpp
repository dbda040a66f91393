// The type chosen in the real file dialog is the type written or read:
// where several types share an extension (.txt, .htm, .docx, .odt), the one
// picked holds; a typed extension chooses only when it fits none of the
// chosen type's extensions, and a name of another format we write takes
// that format.
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"
#include "platform/os/SysPaths.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;

namespace {

// Stand-ins under the names the installed converters show (the description
// file's converters replace theirs): fast, and each tells itself apart.
const char kConverters[] =
    "[Word Document]\nExtensions=docx\nImport=cat %1\nExport=sh -c \"echo wordA > $0\" %1\n"
    "[Word Document via pandoc]\nExtensions=docx\nImport=sed s/alpha/beta/ %1\n"
    "Export=sh -c \"echo wordB > $0\" %1\n"
    "[OpenDocument Text]\nExtensions=odt\nImport=cat %1\nExport=sh -c \"echo odtA > $0\" %1\n"
    "[OpenDocument Text via pandoc]\nExtensions=odt\nImport=sed s/alpha/beta/ %1\n"
    "Export=sh -c \"echo odtB > $0\" %1\n";

struct TConverterFile {
  TConverterFile() {
    fs::create_directories(fs::path(GetConfigFolder()) / "quillory");
    qytest::WriteFileBytes(Path, kConverters);
  }
  ~TConverterFile() { fs::remove(Path); }
  fs::path Path = fs::path(GetConfigFolder()) / "quillory" / "converters.ini";
};

QFileDialog* ShownFileDialog() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible()) return f;
  return nullptr;
}

// The user's steps in the toolkit's dialog: picks the entry, types the name
// in the folder, presses Save or Open. Answers the entries the dialog showed.
struct TRealDialog {
  TRealDialog(const fs::path& folder, int entry, const QString& name) {
    Previous = SetInteractionHook(nullptr);
    Timer.setInterval(10);
    QObject::connect(&Timer, &QTimer::timeout, [this, folder, entry, name] {
      // A message would wait for a click no one gives: it is noted and closed.
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          Messages << box->text();
          box->done(QMessageBox::Ok);
        }
      QFileDialog* d = ShownFileDialog();
      if (!d) return;
      Entries = d->nameFilters();
      if (entry >= Entries.size()) {
        d->reject();
        return;
      }
      d->setDirectory(ToQ(folder.string()));
      d->selectNameFilter(Entries[entry]);
      auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
      if (!edit) return;
      edit->setText(name);
      // Pressed again on later ticks while the folder's model still loads.
      static_cast<QDialog*>(d)->accept();
    });
    Timer.start();
  }
  ~TRealDialog() { SetInteractionHook(Previous); }
  TInteractionHook* Previous;
  QTimer Timer;
  QStringList Entries;
  QStringList Messages;
};

QString Extension(const QString& entry) {
  const int open = entry.lastIndexOf('(');
  return entry.mid(open + 1, entry.size() - open - 2);
}

// Entries (0-based) that share a mask, each with the mask shared.
std::vector<std::pair<int, QString>> SharingEntries(const QStringList& entries) {
  std::map<QString, std::vector<int>> byMask;
  for (int i = 0; i < entries.size(); ++i)
    for (const QString& m : Extension(entries[i]).split(' ', Qt::SkipEmptyParts)) byMask[m].push_back(i);
  std::vector<std::pair<int, QString>> out;
  for (const auto& [mask, users] : byMask)
    if (users.size() > 1)
      for (int i : users) out.push_back({i, mask.mid(2)});
  return out;
}

QStringList ExportEntries(TvlActionExport* action) {
  TVLOfficeConverter converter(nullptr);
  converter.ExcludeHTMLExportConverter = true;
  converter.ExtensionsInFilter = true;
  std::vector<TvlFileExportFilter> formats;
  QStringList names;
  const QStringList parts = ToQ(BuildSaveFilter(action->Filter, formats, &converter)).split('|');
  // As the dialog shows them.
  for (int i = 0; i + 1 < parts.size(); i += 2) names << QString(parts[i]).replace(';', ' ');
  return names;
}

// What a file written in each type starts with or holds.
std::string KindOfFile(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (bytes.rfind("\xFF\xFE", 0) == 0) return "UTF-16 text";
  if (bytes.find("<style") != std::string::npos) return "HTML with CSS";
  if (bytes.find("<html") != std::string::npos) return "HTML";
  if (bytes.rfind("{\\rtf", 0) == 0) return "RTF";
  for (const std::string marker : {"wordA", "wordB", "odtA", "odtB"}) {
    std::string lower = marker;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (bytes.rfind(lower, 0) == 0) return marker;
  }
  return "text";
}

std::string KindOfEntry(const QString& entry) {
  const std::map<QString, std::string> kinds = {
      {"Text Files (*.txt)", "text"},           {"Text Files - Unicode (*.txt)", "UTF-16 text"},
      {"HTML (*.htm *.html)", "HTML with CSS"}, {"HTML - Simplified (*.htm *.html)", "HTML"},
      {"Word Document (*.docx)", "wordA"},       {"Word Document via pandoc (*.docx)", "wordB"},
      {"OpenDocument Text (*.odt)", "odtA"},     {"OpenDocument Text via pandoc (*.odt)", "odtB"}};
  const auto at = kinds.find(entry);
  return at == kinds.end() ? std::string() : at->second;
}

// Save a Copy as the program sets it up: for every pair of types that
// share an extension, each type chosen with a name of that extension
// writes its own format.
TEST(FileTypeChoice, SaveACopyWritesTheTypeChosenAmongThoseSharingAnExtension) {
  TConverterFile converters;
  qytest::TempDir dir;
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "Caf\xC3\xA9 entry");
  auto* action = new TvlActionExport(b.Form);
  action->SetControl(b.Edit);
  action->Filter = {ffeHTMLCSS, ffeHTML, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeOfficeConverters};
  const QStringList entries = ExportEntries(action);
  const auto sharing = SharingEntries(entries);
  ASSERT_GE(sharing.size(), 8u) << entries.join(" | ").toStdString();
  int n = 0;
  for (const auto& [entry, ext] : sharing) {
    SCOPED_TRACE(entries[entry].toStdString() + " as ." + ext.toStdString());
    const std::string expected = KindOfEntry(entries[entry]);
    ASSERT_FALSE(expected.empty());
    const QString name = QString("copy%1.%2").arg(++n).arg(ext);
    {
      TRealDialog user(dir.path(), entry, name);
      action->Update();
      ASSERT_TRUE(action->Execute());
      EXPECT_TRUE(user.Messages.isEmpty()) << user.Messages.join(" ").toStdString();
    }
    EXPECT_EQ(KindOfFile(qytest::ReadFileBytes(dir / name.toStdString())), expected);
  }
}

// Insert File: every type sharing .txt, .docx or .odt reads the file as
// the type chosen. The same file, read directly in each format, tells what
// each must give.
TEST(FileTypeChoice, InsertFileReadsTheTypeChosenAmongThoseSharingAnExtension) {
  TConverterFile converters;
  qytest::TempDir dir;
  // UTF-16 without a zero byte: read as 8-bit text it holds no NUL, which
  // 8-bit text never does (such a file is refused as no text).
  const std::string utf16{'\xFF', '\xFE', 'A', 'B', 'C', 'D'};
  const std::string pair = "ab";
  qytest::WriteFileBytes(dir / "bom.txt", utf16);
  qytest::WriteFileBytes(dir / "pair.txt", pair);
  qytest::WriteFileBytes(dir / "in.docx", "{\\rtf1\\ansi alpha}");
  qytest::WriteFileBytes(dir / "in.odt", "{\\rtf1\\ansi alpha}");
  const auto direct = [&](const std::string& file, const std::function<bool(TVellumEdit*, const String&)>& insert) {
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "");
    b.Edit->SetCaret(0, 0);
    insert(b.Edit, (dir / file).string());
    return TEditorBench::Text(b.Edit);
  };
  const auto ansi = [](TVellumEdit* e, const String& f) { return e->InsertTextFromFile(f); };
  const auto unicode = [](TVellumEdit* e, const String& f) { return e->InsertUnicodeTextFromFile(f); };
  struct TExpect {
    const char* File;
    String Text;
  };
  const std::map<QString, std::vector<TExpect>> expected = {
      {"Text Files - Autodetect (*.txt)", {{"bom.txt", direct("bom.txt", unicode)}, {"pair.txt", "ab"}}},
      {"Text Files (*.txt)", {{"bom.txt", direct("bom.txt", ansi)}, {"pair.txt", direct("pair.txt", ansi)}}},
      {"Text Files - Unicode (*.txt)",
       {{"bom.txt", direct("bom.txt", unicode)}, {"pair.txt", direct("pair.txt", unicode)}}},
      {"Word Document (*.docx)", {{"in.docx", "alpha"}}},
      {"Word Document via pandoc (*.docx)", {{"in.docx", "beta"}}},
      {"OpenDocument Text (*.odt)", {{"in.odt", "alpha"}}},
      {"OpenDocument Text via pandoc (*.odt)", {{"in.odt", "beta"}}}};
  // The types of a pair read the same file differently, or the test could
  // not tell them apart.
  ASSERT_NE(direct("bom.txt", ansi), direct("bom.txt", unicode));
  ASSERT_NE(direct("pair.txt", unicode), "ab");

  TEditorBench probe;
  auto* probeAction = new TvlActionInsertFile(probe.Form);
  std::vector<TvlFileImportFilter> formats;
  TVLOfficeConverter converter(nullptr);
  converter.ExtensionsInFilter = true;
  QStringList entries;
  const QStringList parts = ToQ(BuildOpenFilter(probeAction->Filter, formats, &converter)).split('|');
  for (int i = 0; i + 1 < parts.size(); i += 2) entries << QString(parts[i]).replace(';', ' ');
  const auto sharing = SharingEntries(entries);
  int checked = 0;
  for (const auto& [entry, ext] : sharing) {
    const auto cases = expected.find(entries[entry]);
    ASSERT_NE(cases, expected.end()) << entries[entry].toStdString();
    for (const TExpect& c : cases->second) {
      SCOPED_TRACE(entries[entry].toStdString() + " on " + c.File);
      TEditorBench b;
      TEditorBench::Fill(b.Edit, "");
      b.Edit->SetCaret(0, 0);
      auto* action = new TvlActionInsertFile(b.Form);
      action->SetControl(b.Edit);
      {
        TRealDialog user(dir.path(), entry, c.File);
        action->Update();
        ASSERT_TRUE(action->Execute());
        EXPECT_TRUE(user.Messages.isEmpty()) << user.Messages.join(" ").toStdString();
      }
      EXPECT_EQ(TEditorBench::Text(b.Edit), c.Text);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 10);
}

// Save a Copy offers no Vellum entry, yet "seam.vlf" is a name of the
// program's own format: the copy is one, and Insert File reads it back.
TEST(FileTypeChoice, AnExtensionOfAnotherFormatWeWriteTakesThatFormat) {
  qytest::TempDir dir;
  struct TCase {
    const char* Name;
    int Entry;  // 1-based: RTF, Text, Text - Unicode, HTML, HTML - Simplified
    const char* Kind;
  } cases[] = {{"seam.vlf", 4, "VLF"},   {"seam.rtf", 5, "RTF"},  {"seam.html", 1, "HTML with CSS"},
               {"seam.txt", 4, "text"},  {"seam.htm", 5, "HTML"}, {"seam.journal", 5, "HTML"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "Caf\xC3\xA9 entry");
    auto* action = new TvlActionExport(b.Form);
    action->SetControl(b.Edit);
    action->Filter = {ffeHTMLCSS, ffeHTML, ffeRTF, ffeTextANSI, ffeTextUnicode};
    const std::string path = (dir / c.Name).string();
    {
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        r.FileName = path;
        r.FilterIndex = c.Entry;
        return mrOk;
      });
      action->Update();
      ASSERT_TRUE(action->Execute());
      EXPECT_EQ(script.Unexpected, 0);
      EXPECT_EQ(script.Shown.size(), 1u);
    }
    const std::string bytes = qytest::ReadFileBytes(path);
    if (std::string(c.Kind) != "VLF") {
      EXPECT_EQ(KindOfFile(bytes), c.Kind);
      continue;
    }
    TEditorBench back;
    TEditorBench::Fill(back.Edit, "");
    back.Edit->SetCaret(0, 0);
    EXPECT_TRUE(back.Edit->InsertVLFFromFile(path));
    EXPECT_EQ(TEditorBench::Text(back.Edit), "Caf\xC3\xA9 entry");
  }
}

// The export's writer options reach the HTML writers.
TEST(FileTypeChoice, TheExportsSaveOptionsReachTheWebPage) {
  qytest::TempDir dir;
  std::map<bool, std::string> pages;
  for (const bool inline_ : {false, true}) {
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "Caf\xC3\xA9 entry");
    auto* action = new TvlActionExport(b.Form);
    action->SetControl(b.Edit);
    if (inline_) action->SaveOptions = {vlsoInlineCSS};
    const std::string path = (dir / (inline_ ? "inline.html" : "sheet.html")).string();
    ASSERT_TRUE(action->Export(ActionEditorOf(b.Edit), path, ffeHTMLCSS));
    pages[inline_] = qytest::ReadFileBytes(path);
  }
  // Inline CSS: the text styles sit on the text, not in the sheet.
  EXPECT_NE(pages[false].find("Text Styles"), std::string::npos);
  EXPECT_EQ(pages[true].find("Text Styles"), std::string::npos);
  EXPECT_EQ(pages[false].find("<P style=\""), std::string::npos);
  EXPECT_NE(pages[true].find("<P style=\""), std::string::npos);
}

}  // namespace
