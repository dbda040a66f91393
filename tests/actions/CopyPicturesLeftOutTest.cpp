// Save a Copy through a route whose file cannot hold the entry's pictures
// (a Markdown file only names picture files, and a converter's run leaves
// none behind) asks before it writes: No writes nothing, Yes writes the
// copy without the pictures and without a reference to a file that is not
// there. Every other route carries both pictures (one in the text, one in
// a table three deep) and asks nothing; plain text, chosen for what it is,
// asks nothing either. Whatever the route, every cell and every paragraph
// with bold runs is found whole as pandoc or the office suite reads the
// copy back.
#include "actions/VLActionsFile.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLItem.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include "EditorBench.h"
#include "NestedTablesEntry.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>
#include <regex>

namespace fs = std::filesystem;

namespace {

using nestedentry::Output;

std::unique_ptr<TGraphic> Jpeg(QColor color) {
  QImage image(24, 16, QImage::Format_RGB32);
  image.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG");
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->LoadFromBytes(bytes.constData(), static_cast<size_t>(bytes.size()));
  return jpeg;
}

// A picture at the end of the document's (or cell's) last paragraph; a
// linked one when asked.
void AddPicture(TCustomVLData* data, QColor color, bool linked = false) {
  std::unique_ptr<TVLGraphicItemInfo> picture;
  if (linked) picture = std::make_unique<TVLHotGraphicItemInfo>(data);
  else picture = std::make_unique<TVLGraphicItemInfo>(data);
  picture->StyleNo = linked ? vlsHotPicture : vlsPicture;
  picture->Image = Jpeg(color);
  picture->ParaNo = -1;
  data->AddItem("", picture.release());
}

// The entry with pictures where asked, and Save a Copy as the program sets
// it up.
struct TEntry : TEditorBench {
  TEntry(const qytest::TempDir& dir, bool textPicture, bool cellPicture, bool linked = false) {
    Edit->OnURLNeeded = [](TCustomVellum*, Integer, String& url) { url = "https://pictures.example/"; };
    const Integer bold = AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
    qytest::WriteFileBytes(dir / "runs.rtf", nestedentry::kRuns);
    EXPECT_TRUE(Edit->LoadRTF((dir / "runs.rtf").string()));
    fs::remove(dir / "runs.rtf");
    if (textPicture) {
      AddPicture(Edit->VLData(), Qt::red, linked);
      Edit->AddTextItem(" and the words after the picture.", 0, -1);
    }
    nestedentry::AddNestedTables(Edit, bold, [cellPicture](TVLTableCellData* cell) {
      if (cellPicture) AddPicture(cell, Qt::blue);
    });
    Action = new TvlActionExport(Form);
    Action->SetControl(Edit);
    Action->Filter = {ffeHTMLCSS, ffeHTML, ffeRTF, ffeTextANSI, ffeTextUnicode, ffeOfficeConverters};
  }
  // Save a Copy as File through the dialog's entry Index (1-based); a
  // question is answered with Answer. The requests after the dialog.
  std::vector<TInteraction> SaveCopy(const fs::path& file, int index, int answer) {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = file.string();
      r.FilterIndex = index;
      return mrOk;
    });
    script.Answer(answer);
    Action->Update();
    EXPECT_TRUE(Action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    if (script.Shown.empty()) return {};
    return std::vector<TInteraction>(script.Shown.begin() + 1, script.Shown.end());
  }
  TvlActionExport* Action;
};

struct TRoute {
  std::string Entry;  // the dialog's description
  std::string Ext;
  int Index;          // 1-based, in the dialog's filter
  bool ByPandoc;      // written by the document converter
};

// The dialog's entries as Save a Copy offers them.
std::vector<TRoute> Routes(TEntry& e) {
  TInteractionScript script;
  String filter;
  script.Do([&](TInteraction& r) {
    filter = r.Filter;
    return mrCancel;
  });
  e.Action->Update();
  e.Action->Execute();
  std::vector<std::string> parts;
  for (size_t from = 0;;) {
    const size_t to = filter.find('|', from);
    parts.push_back(filter.substr(from, to == String::npos ? String::npos : to - from));
    if (to == String::npos) break;
    from = to + 1;
  }
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& converters = probe.GetExportConverters();
  const int own = static_cast<int>(parts.size() / 2) - converters.Count();
  std::vector<TRoute> routes;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    const int index = static_cast<int>(i / 2) + 1;
    const std::string mask = parts[i + 1].substr(0, parts[i + 1].find(';'));
    const bool pandoc = index > own && !converters.GetItem(index - own - 1)->ExportHTMLCommand.empty();
    routes.push_back({parts[i], mask.substr(1), index, pandoc});
  }
  return routes;
}

// The pictures a copy holds, and the files it names that are not there.
struct TPictures {
  int Carried = 0;
  std::vector<std::string> Missing;
};

TPictures PicturesOf(const fs::path& copy) {
  TPictures p;
  const std::string ext = copy.extension().string();
  const std::string bytes = qytest::ReadFileBytes(copy);
  const auto count = [](const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  if (ext == ".md" || ext == ".htm") {
    static const std::regex reference(R"re(src="([^"]+)"|!\[[^\]]*\]\(([^)\s]+))re");
    for (std::sregex_iterator m(bytes.begin(), bytes.end(), reference), end; m != end; ++m) {
      const std::string name = (*m)[1].matched ? (*m)[1].str() : (*m)[2].str();
      if (fs::is_regular_file(copy.parent_path() / name)) ++p.Carried;
      else p.Missing.push_back(name);
    }
  } else if (ext == ".docx" || ext == ".odt" || ext == ".epub") {
    const std::string listing = Output("unzip -Z1 '" + copy.string() + "'");
    p.Carried = count(listing, ".jpg") + count(listing, ".jpeg");
  } else if (ext == ".rtf") {
    p.Carried = count(bytes, "\\jpegblip");
  } else if (ext == ".doc") {
    p.Carried = count(bytes, "\xFF\xD8\xFF");
  }
  return p;
}

// The words as the program that reads the route's files finds them.
std::string PandocText(const fs::path& copy) {
  const std::string html = Output("pandoc --wrap=none -t html '" + copy.string() + "' 2>&1");
  return std::regex_replace(html, std::regex("<[^>]*>"), "");
}

// A text copy's words: UTF-16 after its byte order mark, else as written.
std::string TextFileText(const fs::path& copy) {
  const std::string bytes = qytest::ReadFileBytes(copy);
  if (bytes.rfind("\xFF\xFE", 0) != 0) return bytes;
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2)
      .toStdString();
}

void ExpectWhole(const std::string& text, const std::string& route) {
  for (const std::string& cell : nestedentry::kCells)
    EXPECT_NE(text.find(cell), std::string::npos) << route << ": " << cell << " in\n" << text;
  for (const char* whole : {"Start middle end of sentence.", "Item bold rest of the item", "Cell start bold cell end"})
    EXPECT_NE(text.find(whole), std::string::npos) << route << ": " << whole << " in\n" << text;
}

bool ToolsThere() { return !FindOfficeSuite().empty() && !Output("command -v pandoc").empty(); }

TEST(CopyPicturesLeftOut, OnlyARouteThatCannotHoldPicturesAsksAndEveryCopyIsWhole) {
  if (!ToolsThere()) GTEST_SKIP() << "the office suite or pandoc is not installed";
  qytest::TempDir dir;
  std::vector<TRoute> routes;
  {
    TEntry e(dir, true, true);
    routes = Routes(e);
  }
  ASSERT_GE(routes.size(), 12u);
  std::vector<std::pair<fs::path, std::string>> byOffice;
  for (const TRoute& route : routes) {
    SCOPED_TRACE(route.Entry);
    TEntry e(dir, true, true);
    const fs::path copy = dir / ("copy" + std::to_string(route.Index) + route.Ext);
    const std::vector<TInteraction> asked = e.SaveCopy(copy, route.Index, IDYES);
    // A Markdown file could only name the pictures' files.
    const bool leavesOut = route.Ext == ".md";
    ASSERT_EQ(asked.size(), leavesOut ? 1u : 0u);
    if (leavesOut) {
      EXPECT_EQ(asked[0].Caption, "Confirm");
      EXPECT_EQ(asked[0].Text,
                "The copy as Markdown cannot hold the pictures of this document; they are left out.\r"
                "Save the copy anyway?");
      EXPECT_EQ(asked[0].Buttons & 0xF, MB_YESNO);
    }
    ASSERT_TRUE(fs::is_regular_file(copy));
    const TPictures pictures = PicturesOf(copy);
    EXPECT_TRUE(pictures.Missing.empty()) << pictures.Missing.front();
    // Plain text is chosen for having none.
    EXPECT_EQ(pictures.Carried, leavesOut || route.Ext == ".txt" ? 0 : 2);
    if (route.Ext == ".txt") ExpectWhole(TextFileText(copy), route.Entry);
    // The office suite's files, our RTF, and the document converter's
    // OpenDocument (whose reader there leaves nested tables out) are read
    // by the office suite.
    else if (route.ByPandoc ? route.Ext == ".odt" : route.Ext != ".htm")
      byOffice.emplace_back(copy, route.Entry);
    else
      ExpectWhole(PandocText(copy), route.Entry);
  }
  ASSERT_FALSE(byOffice.empty());
  const fs::path read = dir / "read";
  std::string files;
  for (const auto& [copy, entry] : byOffice) files += " '" + copy.string() + "'";
  Output("soffice -env:UserInstallation=file://" + (dir / "profile").string() +
         " --headless --convert-to txt:Text --outdir '" + read.string() + "'" + files + " 2>&1");
  for (const auto& [copy, entry] : byOffice)
    ExpectWhole(qytest::ReadFileBytes(read / copy.filename().replace_extension(".txt")), entry);
}

TEST(CopyPicturesLeftOut, TheQuestionComesForAnEntryWithPicturesAndNoWritesNothing) {
  if (!ToolsThere()) GTEST_SKIP() << "the office suite or pandoc is not installed";
  struct TCase {
    const char* Name;
    bool TextPicture, CellPicture, Linked;
    int Answer;
    bool Asked, Written;
  } cases[] = {
      {"no picture", false, false, false, IDYES, false, true},
      {"a picture three tables deep, No", false, true, false, IDNO, true, false},
      {"a picture three tables deep, Yes", false, true, false, IDYES, true, true},
      {"a picture in the text, No", true, false, false, IDNO, true, false},
      {"pictures in both, Yes", true, true, false, IDYES, true, true},
      // The link goes with the picture it held.
      {"a linked picture, Yes", true, false, true, IDYES, true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    qytest::TempDir dir;
    TEntry e(dir, c.TextPicture, c.CellPicture, c.Linked);
    int markdown = 0;
    for (const TRoute& route : Routes(e))
      if (route.Ext == ".md") markdown = route.Index;
    ASSERT_GT(markdown, 0);
    const fs::path copy = dir / "copy.md";
    const std::vector<TInteraction> asked = e.SaveCopy(copy, markdown, c.Answer);
    // Only the question, never an error after it.
    EXPECT_EQ(asked.size(), c.Asked ? 1u : 0u);
    EXPECT_EQ(fs::exists(copy), c.Written);
    // Nothing else either: no hidden part of a copy, no picture folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), c.Written ? 1 : 0);
    EXPECT_EQ(e.Action->FileName, c.Written ? copy.string() : String());
    if (!c.Written) continue;
    const TPictures pictures = PicturesOf(copy);
    EXPECT_EQ(pictures.Carried, 0);
    EXPECT_TRUE(pictures.Missing.empty()) << pictures.Missing.front();
    EXPECT_EQ(qytest::ReadFileBytes(copy).find("pictures.example"), std::string::npos);
    ExpectWhole(PandocText(copy), c.Name);
  }
}

}  // namespace
