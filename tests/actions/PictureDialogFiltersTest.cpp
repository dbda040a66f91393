// Every picture dialog (page background, table and cell background, bullet
// picture, object properties, Insert Picture) offers the formats the
// program draws, and none it cannot draw; a path that is no file is refused
// by name.
#include "actions/BackVLFrm.h"
#include "actions/ItemPropVLFrm.h"
#include "actions/ParaListVLFrm.h"
#include "actions/TableBackVLFrm.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"
#include "support/FifoWatch.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QImage>
#include <QStringList>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::set<std::string> MasksOfFilter(const String& filter) {
  std::set<std::string> masks;
  const QStringList parts = ToQ(filter).split('|');
  for (int i = 1; i < parts.size(); i += 2)
    for (const QString& m : parts[i].split(';', Qt::SkipEmptyParts)) masks.insert(m.trimmed().toLower().toStdString());
  return masks;
}

// A picture of the mask's format, made by the toolkit where it writes the
// format; GIF by hand (it has no writer for it).
std::string PictureOfFormat(const qytest::TempDir& dir, const std::string& mask) {
  const std::string ext = mask.substr(2);
  const std::string path = (dir / ("picture." + ext)).string();
  if (ext == "gif") {
    static const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00,
                                        0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xF9, 0x04, 0x01, 0x00,
                                        0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                                        0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    qytest::WriteFileBytes(path, std::string(reinterpret_cast<const char*>(gif), sizeof gif));
    return path;
  }
  QImage image(5, 3, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  const QByteArray format = ext == "jpg" ? "jpeg" : ext == "tif" ? "tiff" : QByteArray(ext.c_str());
  EXPECT_TRUE(image.save(QString::fromStdString(path), format.constData())) << ext;
  return path;
}

struct TDialog {
  const char* Name;
  std::function<void()> Open;
};

// Each picture dialog, opened on its own (Insert Picture on the bench).
std::vector<TDialog> PictureDialogs(TEditorBench& bench) {
  return {
      {"page background",
       [] {
         std::unique_ptr<TfrmVLBack> d(CreateVLForm<TfrmVLBack>(nullptr));
         d->btnOpen->Click();
       }},
      {"table and cell background",
       [] {
         std::unique_ptr<TfrmVLTableBack> d(CreateVLForm<TfrmVLTableBack>(nullptr));
         d->btnOpen->Click();
       }},
      {"bullet picture",
       [] {
         std::unique_ptr<TfrmVLParaList> d(CreateVLForm<TfrmVLParaList>(nullptr));
         TVLStyle sheet(nullptr);
         TVLListInfo* list = sheet.ListStyles->Add();
         TVLListLevel* level = list->Levels->Add();
         level->ListType = vllstPicture;
         d->SetListInfo(*list);
         d->btnImage->Click();
       }},
      {"object properties",
       [] {
         std::unique_ptr<TfrmVLItemProp> d(CreateVLForm<TfrmVLItemProp>(nullptr));
         d->btnChangeImageClick(d->btnChangeImage);
       }},
      {"insert picture",
       [&bench] {
         auto* action = new TvlActionInsertPicture(bench.Form);
         action->SetControl(bench.Edit);
         action->Update();
         action->Execute();
       }},
  };
}

TEST(PictureDialogFilters, EveryPictureDialogOffersTheFormatsDrawnAndNoOther) {
  Application->Initialize();
  TEditorBench bench;
  const std::vector<TDialog> dialogs = PictureDialogs(bench);
  const std::set<std::string> drawn = {"*.png", "*.jpg", "*.jpeg", "*.gif", "*.bmp",
                                       "*.tif", "*.tiff", "*.webp", "*.ico"};
  qytest::TempDir dir;
  for (const std::string& mask : drawn) {
    SCOPED_TRACE(mask);
    EXPECT_NE(LoadPictureFile(PictureOfFormat(dir, mask)), nullptr);
  }
  for (const TDialog& dialog : dialogs) {
    SCOPED_TRACE(dialog.Name);
    String filter;
    int asked = 0;
    {
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        ++asked;
        filter = r.Filter;
        return mrCancel;
      });
      dialog.Open();
      EXPECT_EQ(script.Unexpected, 0);
    }
    ASSERT_EQ(asked, 1);
    EXPECT_EQ(MasksOfFilter(filter), drawn) << filter;
  }
}

}  // namespace

namespace {

// What the user chooses in a picture dialog may be no file at all: a named
// pipe (nobody writes it), a folder, a device. Each dialog refuses it at
// once, without reading it, naming the file and what it is.
TEST(PictureDialogFilters, WhatIsNoRegularFileIsRefusedByNameWithoutWaiting) {
  Application->Initialize();
  qytest::TempDir dir;
  const fs::path pipe = dir / "pipe.png";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directory(dir / "folder.png");
  const struct {
    fs::path Path;
    const char* Says;
  } chosen[] = {
      {pipe, "it is a named pipe, not a file."},
      {dir / "folder.png", "it is a folder, not a file."},
      {"/dev/zero", "it is a device or socket, not a file."},
  };
  TEditorBench bench;
  for (const TDialog& dialog : PictureDialogs(bench))
    for (const auto& c : chosen) {
      SCOPED_TRACE(std::string(dialog.Name) + ": " + c.Path.string());
      qytest::TFifoWatch watch({pipe});
      TInteractionScript script;
      script.AnswerValue(c.Path.string());
      script.Answer(IDOK);  // the message
      dialog.Open();
      EXPECT_EQ(watch.Waited(), 0) << "the dialog waited to read the named pipe";
      EXPECT_EQ(script.Unexpected, 0);
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_EQ(script.Shown[1].Text, "The file " + c.Path.string() + " cannot be used as a picture: " + c.Says);
    }
  EXPECT_EQ(TEditorBench::Text(bench.Edit), "");
}

}  // namespace
