#include "actions/VLActionsFile.h"
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// One editor with the four file commands owned by its form, so that each
// finds its partners as the program's commands do.
struct TFileBench : TEditorBench {
  TFileBench() {
    PlainSheet();
    New = new TvlActionNew(Form);
    Open = new TvlActionOpen(Form);
    Save = new TvlActionSave(Form);
    SaveAs = new TvlActionSaveAs(Form);
    for (TvlAction* a : std::initializer_list<TvlAction*>{New, Open, Save, SaveAs}) a->SetControl(Edit);
    Save->OnDocumentFileChange = [this](TObject*, TVLActionEditor*, const String& name, TvlFileSaveFilter format,
                                        bool isNew) {
      Changes.push_back(fs::path(name).filename().string() + (isNew ? " new " : " ") + std::to_string(format));
    };
  }
  TVLActionEditor* E() { return ActionEditorOf(Edit); }
  // The document as "paragraph/paragraph".
  std::string Doc() {
    std::string s;
    for (Integer i = 0; i < Edit->ItemCount(); ++i) {
      if (i && Edit->GetItem(i)->ParaNo != -1 && !Edit->GetItem(i)->GetSameAsPrev()) s += "/";
      s += Edit->GetItemTextUtf8(i);
    }
    return s;
  }
  void Type(const String& first, const String& second = String()) {
    Fill(Edit, first);
    if (!second.empty()) {
      Edit->AddTextItem(second, 0, 0);
      Edit->Format();
    }
    Edit->Modified = true;
  }
  const TvlaDocumentInfo& Record() {
    const int i = Save->IndexOfDocumentInfo(E());
    if (i < 0) throw std::runtime_error("the editor has no record");
    return Save->DocumentInfo(i);
  }
  // The file dialog's answer: a file and a one-based filter entry.
  static TInteractionScript::TAction Choose(const fs::path& file, int filterIndex) {
    return [=](TInteraction& r) {
      r.FileName = file.string();
      r.FilterIndex = filterIndex;
      return mrOk;
    };
  }
  TvlActionNew* New;
  TvlActionOpen* Open;
  TvlActionSave* Save;
  TvlActionSaveAs* SaveAs;
  std::vector<std::string> Changes;
};

TEST(FileActions, DocumentsComeBackThroughSaveAsAndOpen) {
  // Save entries: 1 VLF, 2 RTF, 3 8-bit text, 4 UTF-16 text. Open entries:
  // 1 VLF, 2 RTF, 3 text of detected encoding, 4 8-bit, 5 UTF-16.
  struct Case {
    const char* Name;
    int SaveEntry;
    int OpenEntry;
    bool Unicode;  // a Unicode text style holds the text
    TvlFileSaveFilter Recorded;
    const char* Head;  // the file's first bytes
  } cases[] = {
      {"VLF", 1, 1, false, ffeVLF, ""},
      {"VLF, Unicode text", 1, 1, true, ffeVLF, ""},
      {"RTF", 2, 2, false, ffeRTF, "{\\rtf"},
      // 8-bit text is the locale's UTF-8.
      {"8-bit text", 3, 4, false, ffeTextANSI, "Caf\xC3\xA9 entry\nsecond"},
      {"8-bit text, detected", 3, 3, false, ffeTextANSI, "Caf\xC3\xA9 entry\nsecond"},
      {"UTF-16 text", 4, 5, true, ffeTextUnicode, "\xFF\xFE" "C"},
      {"UTF-16 text, detected", 4, 3, true, ffeTextUnicode, "\xFF\xFE" "C"},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TFileBench b;
    b.Text(0).Unicode = c.Unicode;
    const std::string second = c.Unicode ? "\xCE\xA9 \xE2\x80\x94 end" : "second line";
    b.Type("Caf\xC3\xA9 entry", second);
    const fs::path file = dir / "entry.doc";
    const bool warns = c.Recorded != ffeVLF;
    TInteractionScript script;
    script.Do(TFileBench::Choose(file, c.SaveEntry));
    if (warns) script.Answer(IDYES);  // asked once by Save As
    script.Do(TFileBench::Choose(file, c.OpenEntry));
    ASSERT_TRUE(b.SaveAs->Execute()) << c.Name;
    EXPECT_EQ(Bytes(file).rfind(c.Head, 0), 0u) << c.Name;
    ASSERT_TRUE(b.New->Execute()) << c.Name;  // not modified: no question
    EXPECT_EQ(b.Doc(), "") << c.Name;
    ASSERT_TRUE(b.Open->Execute()) << c.Name;
    EXPECT_EQ(b.Doc(), "Caf\xC3\xA9 entry/" + second) << c.Name;
    EXPECT_FALSE(b.Edit->Modified) << c.Name;
    EXPECT_EQ(b.Record().FileFormat, c.Recorded) << c.Name;
    EXPECT_EQ(b.Open->FilterIndex, c.OpenEntry) << c.Name;
    // Save writes the same bytes again in the recorded format, asking about
    // it each time; Save As starts from the recorded name and format.
    const std::string before = Bytes(file);
    fs::remove(file);
    b.Edit->Modified = true;
    if (warns) script.Answer(IDYES);
    String offered;
    int offeredEntry = 0;
    script.Do([&](TInteraction& r) {
      offered = r.FileName, offeredEntry = r.FilterIndex;
      return mrCancel;
    });
    ASSERT_TRUE(b.Save->Execute()) << c.Name;
    ASSERT_TRUE(b.SaveAs->Execute()) << c.Name;
    EXPECT_EQ(Bytes(file), before) << c.Name;
    EXPECT_EQ(offered, file.string()) << c.Name;
    EXPECT_EQ(offeredEntry, c.SaveEntry) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    EXPECT_EQ(script.Pending(), 0u) << c.Name;
    EXPECT_EQ(script.Shown.size(), warns ? 5u : 3u) << c.Name;
    const std::string saved = "entry.doc " + std::to_string(c.Recorded);
    EXPECT_EQ(b.Changes, (std::vector<std::string>{saved, "Untitled.vlf new 0", saved, saved})) << c.Name;
    // Nothing but the document stays in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << c.Name;
  }
}

TEST(FileActions, NewAsksBeforeAChangedDocumentGoes) {
  struct Case {
    const char* Name;
    bool HasFile;   // the document was opened from a file
    int Answer;     // to "Save changes to ...?"
    bool Replaced;  // New went on
    const char* FileAfter;
  } cases[] = {
      {"Yes saves, then empties", true, IDYES, true, "changed"},
      {"No gives the changes up", true, IDNO, true, "kept"},
      {"Cancel leaves everything", true, IDCANCEL, false, "kept"},
      {"never saved, Cancel", false, IDCANCEL, false, nullptr},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TFileBench b;
    const fs::path file = dir / "diary.vlf";
    if (c.HasFile) {
      b.Type("kept");
      b.Save->SetDocumentInfo(b.E(), file.string(), ffeVLF, true, true, true);
      ASSERT_TRUE(fs::exists(file)) << c.Name;
    }
    b.Type("changed");
    TInteractionScript script;
    script.Answer(c.Answer);
    ASSERT_TRUE(b.New->Execute()) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    ASSERT_EQ(script.Shown.size(), 1u) << c.Name;
    const TInteraction& asked = script.Shown[0];
    EXPECT_EQ(asked.Text, c.HasFile ? "Save changes to diary.vlf?" : "Save changes to Untitled.vlf?") << c.Name;
    EXPECT_EQ(asked.Caption, "Confirm") << c.Name;
    EXPECT_EQ(asked.Buttons & 0xF, MB_YESNOCANCEL) << c.Name;
    EXPECT_EQ(asked.Icon, MB_ICONQUESTION) << c.Name;
    EXPECT_EQ(b.Doc(), c.Replaced ? "" : "changed") << c.Name;
    EXPECT_EQ(b.Edit->Modified, !c.Replaced) << c.Name;
    EXPECT_EQ(b.Record().HasFileName, c.HasFile && !c.Replaced) << c.Name;
    EXPECT_EQ(fs::path(b.Record().FileName).filename(), c.HasFile && !c.Replaced ? "diary.vlf" : "Untitled.vlf")
        << c.Name;
    if (c.FileAfter) {
      TVellumEdit* back = b.Make();
      back->Clear();
      ASSERT_TRUE(back->LoadVLF(file.string())) << c.Name;
      EXPECT_EQ(TEditorBench::Text(back), c.FileAfter) << c.Name;
    }
  }
}

TEST(FileActions, AFormatThatMayLoseFeaturesIsConfirmedFirst) {
  struct Case {
    const char* Name;
    TvlFileSaveFilter Format;
    bool Warn;          // in the default LostFormatWarning
    int Answer;
  } cases[] = {
      {"VLF saves without asking", ffeVLF, false, 0},
      {"RTF, Yes", ffeRTF, true, IDYES},
      {"RTF, No", ffeRTF, true, IDNO},
      {"8-bit text, Yes", ffeTextANSI, true, IDYES},
      {"8-bit text, No", ffeTextANSI, true, IDNO},
      {"UTF-16 text, No", ffeTextUnicode, true, IDNO},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TFileBench b;
    b.Type("words");
    const fs::path file = dir / "out.file";
    b.Save->SetDocumentInfo(b.E(), file.string(), c.Format, true, false, false);
    TInteractionScript script;
    if (c.Warn) script.Answer(c.Answer);
    ASSERT_TRUE(b.Save->Execute()) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    ASSERT_EQ(script.Shown.size(), c.Warn ? 1u : 0u) << c.Name;
    if (c.Warn) {
      EXPECT_EQ(script.Shown[0].Text.rfind("out.file may contain features that are not compatible", 0), 0u)
          << c.Name << ": " << script.Shown[0].Text;
      EXPECT_EQ(script.Shown[0].Buttons & 0xF, MB_YESNO) << c.Name;
    }
    const bool written = !c.Warn || c.Answer == IDYES;
    EXPECT_EQ(fs::exists(file), written) << c.Name;
    EXPECT_EQ(b.Edit->Modified, !written) << c.Name;
    EXPECT_TRUE(b.Record().HasFileName) << c.Name;
  }
}

TEST(FileActions, AFileThatCannotBeOpenedLeavesTheDocumentAsItWas) {
  qytest::TempDir dir;
  // A real document to cut short.
  const fs::path whole = dir / "whole.vlf";
  {
    TFileBench b;
    b.Type("a stored entry with enough text to cut", "and a second paragraph");
    ASSERT_TRUE(WriteDocumentFile(b.E(), whole.string(), ffeVLF));
  }
  const std::string vlf = Bytes(whole);
  Write(dir / "cut.vlf", vlf.substr(0, vlf.size() / 2));
  Write(dir / "noise.vlf", std::string(300, '\x7F'));
  Write(dir / "broken.rtf", "{\\rtf1 {\\fonttbl");
  struct Case {
    const char* Name;
    const char* File;
    int Entry;
  } cases[] = {
      {"a missing file", "gone.vlf", 1},
      {"a VLF cut short", "cut.vlf", 1},
      {"bytes that are no VLF", "noise.vlf", 1},
      {"an RTF cut short", "broken.rtf", 2},
  };
  for (const Case& c : cases) {
    for (bool modified : {false, true}) {
      TFileBench b;
      const fs::path own = dir / "own.vlf";
      b.Type("my entry");
      b.Save->SetDocumentInfo(b.E(), own.string(), ffeVLF, true, true, true);
      if (modified) b.Type("my entry", "changed");
      b.Changes.clear();
      TInteractionScript script;
      if (modified) script.Answer(IDNO);  // give the changes up
      script.Do(TFileBench::Choose(dir / c.File, c.Entry));
      script.Answer(IDOK);
      ASSERT_TRUE(b.Open->Execute()) << c.Name;
      EXPECT_EQ(script.Unexpected, 0) << c.Name;
      ASSERT_FALSE(script.Shown.empty()) << c.Name;
      EXPECT_EQ(script.Shown.back().Text.rfind("Error loading file.", 0), 0u) << c.Name;
      EXPECT_EQ(script.Shown.back().Caption, "Error") << c.Name;
      EXPECT_EQ(script.Shown.back().Icon, MB_ICONERROR) << c.Name;
      // Document, record and modified state as they were.
      EXPECT_EQ(b.Doc(), modified ? "my entry/changed" : "my entry") << c.Name;
      EXPECT_EQ(b.Edit->Modified, modified) << c.Name;
      EXPECT_EQ(b.Record().FileName, own.string()) << c.Name;
      EXPECT_TRUE(b.Record().HasFileName) << c.Name;
      EXPECT_TRUE(b.Changes.empty()) << c.Name;
      // So Save writes the kept document to its own file, without a dialog.
      b.Edit->Modified = true;
      ASSERT_TRUE(b.Save->Execute()) << c.Name;
      EXPECT_EQ(script.Unexpected, 0) << c.Name;
      TVellumEdit* back = b.Make();
      back->Clear();
      ASSERT_TRUE(back->LoadVLF(own.string())) << c.Name;
      EXPECT_EQ(TEditorBench::Text(back), modified ? "my entrychanged" : "my entry") << c.Name;
    }
  }
}

TEST(FileActions, SaveAsksForANameOnlyWhenTheDocumentHasNoFile) {
  struct Case {
    const char* Name;
    bool OpenFirst;  // else New
    bool AsksForName;
    bool Cancel;     // the name dialog
  } cases[] = {
      {"after New", false, true, false},
      {"after New, the name cancelled", false, true, true},
      {"after Open", true, false, false},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TFileBench b;
    const fs::path stored = dir / "stored.vlf";
    b.Type("stored");
    ASSERT_TRUE(WriteDocumentFile(b.E(), stored.string(), ffeVLF));
    b.Edit->Modified = false;
    TInteractionScript script;
    if (c.OpenFirst) script.Do(TFileBench::Choose(stored, 1));
    ASSERT_TRUE((c.OpenFirst ? b.Open : b.New)->Execute()) << c.Name;
    const size_t before = script.Shown.size();
    b.Type("edited");
    const fs::path named = dir / "named.vlf";
    String offered;
    script.Do([&](TInteraction& r) {
      offered = r.FileName;
      return c.Cancel ? mrCancel : TFileBench::Choose(named, 1)(r);
    });
    ASSERT_TRUE(b.Save->Execute()) << c.Name;
    EXPECT_EQ(script.Shown.size() > before, c.AsksForName) << c.Name;
    EXPECT_EQ(offered, c.AsksForName ? "Untitled.vlf" : "") << c.Name;
    EXPECT_EQ(fs::exists(named), c.AsksForName && !c.Cancel) << c.Name;
    EXPECT_EQ(b.Record().HasFileName, !c.Cancel) << c.Name;
    EXPECT_EQ(b.Edit->Modified, c.Cancel) << c.Name;
    if (c.Cancel) continue;
    const fs::path written = c.AsksForName ? named : stored;
    TVellumEdit* back = b.Make();
    back->Clear();
    ASSERT_TRUE(back->LoadVLF(written.string())) << c.Name;
    EXPECT_EQ(TEditorBench::Text(back), "edited") << c.Name;
    EXPECT_EQ(b.Record().FileName, written.string()) << c.Name;
  }
}

TEST(FileActions, EachEditorKeepsItsOwnRecordUntilItGoes) {
  struct Case {
    const char* Name;
    bool NewFirst;  // New made a record without a file
  } cases[] = {
      {"no record yet", false},
      {"a record without a file", true},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TFileBench b;
    TVellumEdit* other = b.Make();
    // Save As stays bound to the first editor; saving the second must
    // still name and write the second one.
    b.Save->SetControl(other);
    b.New->SetControl(other);
    if (c.NewFirst) {
      ASSERT_TRUE(b.New->Execute()) << c.Name;
    }
    b.Fill(other, "second editor");
    other->Modified = true;
    b.Type("first editor");
    const fs::path file = dir / "second.vlf";
    TInteractionScript script;
    script.Do(TFileBench::Choose(file, 1));
    ASSERT_TRUE(b.Save->Execute()) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    TVellumEdit* back = b.Make();
    back->Clear();
    ASSERT_TRUE(back->LoadVLF(file.string())) << c.Name;
    EXPECT_EQ(TEditorBench::Text(back), "second editor") << c.Name;
    EXPECT_FALSE(other->Modified) << c.Name;
    EXPECT_TRUE(b.Edit->Modified) << c.Name;
    EXPECT_EQ(b.Save->IndexOfDocumentInfo(b.E()), -1) << c.Name;
    const int i = b.Save->IndexOfDocumentInfo(ActionEditorOf(other));
    ASSERT_GE(i, 0) << c.Name;
    EXPECT_EQ(b.Save->DocumentInfo(i).FileName, file.string()) << c.Name;
    EXPECT_TRUE(b.Save->DocumentInfo(i).HasFileName) << c.Name;
    // The record goes with its editor.
    ASSERT_EQ(b.Save->DocumentInfoCount(), 1) << c.Name;
    delete other;
    EXPECT_EQ(b.Save->DocumentInfoCount(), 0) << c.Name;
  }
}

TEST(FileActions, MissingPartnersAreReportedBeforeAnythingChanges) {
  struct Case {
    const char* Name;
    bool WithSave, WithSaveAs;
    std::function<TvlAction*(TComponent*)> Make;
    const char* Message;
  } cases[] = {
      {"New", false, true, [](TComponent* o) { return new TvlActionNew(o); }, "TvlActionSave object is not assigned!"},
      {"Open", false, true, [](TComponent* o) { return new TvlActionOpen(o); },
       "TvlActionSave object is not assigned!"},
      {"Save As", false, false, [](TComponent* o) { return new TvlActionSaveAs(o); },
       "TvlActionSave object is not assigned!"},
      {"Save of a document without a file", true, false, [](TComponent* o) { return new TvlActionSave(o); },
       "TvlActionSaveAs object is not assigned!"},
  };
  for (const Case& c : cases) {
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "kept");
    b.Edit->Modified = true;
    TvlAction* action = c.Make(b.Form);
    action->SetControl(b.Edit);
    TInteractionScript script;
    try {
      action->Execute();
      ADD_FAILURE() << c.Name << ": no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, c.Message) << c.Name;
    }
    EXPECT_TRUE(script.Shown.empty()) << c.Name;
    EXPECT_EQ(TEditorBench::Text(b.Edit), "kept") << c.Name;
    EXPECT_TRUE(b.Edit->Modified) << c.Name;
  }
}

TEST(FileActions, AFailedSaveKeepsTheOldFileAndAsksForANameNextTime) {
  struct Case {
    const char* Name;
    bool LockFolder;  // else the editor refuses to write
    const char* Said;   // how the message begins
  } cases[] = {
      // The system's answer for the folder, not a list of guesses.
      {"a folder that cannot be written", true, "The file "},
      {"an editor left with half a document", false, "Error saving file."},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    const fs::path folder = dir / "folder";
    fs::create_directory(folder);
    const fs::path file = folder / "entry.vlf";
    TFileBench b;
    b.Type("old");
    b.Save->SetDocumentInfo(b.E(), file.string(), ffeVLF, true, true, true);
    const std::string old = Bytes(file);
    ASSERT_FALSE(old.empty()) << c.Name;
    if (c.LockFolder) {
      b.Type("new");
      fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    } else {
      Write(dir / "cut.vlf", old.substr(0, old.size() / 2));
      EXPECT_FALSE(b.Edit->LoadVLF((dir / "cut.vlf").string())) << c.Name;
      b.Edit->Modified = true;
    }
    TInteractionScript script;
    script.Answer(IDOK);
    {
      qytest::TPermissionsBindRoot bound;  // root too obeys the folder's permissions
      ASSERT_TRUE(bound.Bound());
      ASSERT_TRUE(b.Save->Execute()) << c.Name;
    }
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    ASSERT_EQ(script.Shown.size(), 1u) << c.Name;
    EXPECT_EQ(script.Shown[0].Text.rfind(c.Said, 0), 0u) << c.Name << ": " << script.Shown[0].Text;
    if (c.LockFolder) {
      EXPECT_EQ(script.Shown[0].Text, "The file " + file.string() +
                                          " could not be written: there is no permission to write in the folder " +
                                          folder.string() + " (Permission denied).");
    }
    EXPECT_EQ(Bytes(file), old) << c.Name;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << c.Name;
    EXPECT_FALSE(b.Record().HasFileName) << c.Name;
    EXPECT_TRUE(b.Edit->Modified) << c.Name;
    EXPECT_EQ(b.Changes.back(), "entry.vlf new 0") << c.Name;
  }
}

TEST(FileActions, NewCleansUpStylesOnlyWhenNoOtherDocumentSharesThem) {
  struct Case {
    const char* Name;
    bool Shared;
    Integer StylesAfter;
  } cases[] = {
      {"a sheet of its own", false, 1},
      {"a sheet another editor uses", true, 3},
  };
  for (const Case& c : cases) {
    TFileBench b;
    const Integer bold = b.AddText([](TFontInfo& f) { f.Style.Include(fsBold), f.Standard = false; });
    const Integer italic = b.AddText([](TFontInfo& f) { f.Style.Include(fsItalic), f.Standard = false; });
    b.Edit->Clear();
    b.Edit->AddTextItem("bold", bold, 0);
    b.Edit->Format();
    TVellumEdit* other = nullptr;
    if (c.Shared) {
      other = b.Make();
      other->Clear();
      other->AddTextItem("italic", italic, 0);
      other->Format();
    }
    ASSERT_TRUE(b.New->Execute()) << c.Name;
    EXPECT_EQ(b.Sheet->TextStyles->Count(), c.StylesAfter) << c.Name;
    if (other) {
      EXPECT_TRUE(b.Text(other->GetItem(0)->StyleNo).Style.Contains(fsItalic)) << c.Name;
    }
  }
}

TEST(FileActions, AnEditorClosedDuringADialogEndsTheCommand) {
  struct Case {
    const char* Name;
    TvlFileSaveFilter Format;  // of a record with a file; ffeHTML: none
    bool Modified;
    int Answer;  // what the closing dialog returns
    std::function<TvlAction*(TFileBench&)> Command;
  } cases[] = {
      {"the name for Save", ffeHTML, true, mrOk, [](TFileBench& b) { return b.Save; }},
      {"the format warning of Save", ffeRTF, true, IDYES, [](TFileBench& b) { return b.Save; }},
      {"the save-changes question of New", ffeVLF, true, IDYES, [](TFileBench& b) { return b.New; }},
      {"the open dialog", ffeVLF, false, mrOk, [](TFileBench& b) { return b.Open; }},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TFileBench b;
    const fs::path file = dir / "entry.file";
    b.Type("words");
    if (c.Format != ffeHTML) b.Save->SetDocumentInfo(b.E(), file.string(), c.Format, true, true, true);
    const std::string stored = Bytes(file);
    b.Edit->Modified = c.Modified;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      delete b.Edit;
      r.FileName = file.string();
      return c.Answer;
    });
    c.Command(b)->Execute();
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    EXPECT_EQ(Bytes(file), stored) << c.Name;
    EXPECT_EQ(b.Save->DocumentInfoCount(), 0) << c.Name;
  }
}

}  // namespace
