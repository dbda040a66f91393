// Content that arrives from the clipboard or a drop, as the editor data
// inserts it: VLF blocks, pictures and dropped files.
#include "richtext/editor/VLEditData.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLPictureLimits.h"
#include "richtext/view/VLCopy.h"

bool TVLEditVLData::InsertVLFBlock(const AnsiString& block) {
  AnsiString vlf;
  if (!VLReadVLFBlock(block, vlf)) {
    Beep();
    return false;
  }
  TMemoryStream stream;
  stream.WriteBuffer(vlf.data(), static_cast<Int64>(vlf.size()));
  stream.SetPosition(0);
  return InsertVLFFromStream(stream);
}

bool TVLEditVLData::InsertPictureAtCaret(std::unique_ptr<TGraphic> graphic, const AnsiString& name) {
  if (!graphic || graphic->GetEmpty()) return false;
  AnsiString text = name;
  auto item = TVLGraphicItemInfo::CreateEx(this, std::move(graphic), vlvaBaseline);
  if (!InsertItemAtCaret(text, item.release(), false, false)) return false;
  NotifyChange(true);
  return true;
}

bool TVLEditVLData::InsertDroppedFile(const String& fileName) {
  const String ext = LowerCase(ExtractFileExt(fileName));
  // A picture of a class of ours by its extension, else any picture the
  // toolkit decodes, as a bitmap.
  const String cls = GraphicClassForExtension(ext);
  try {
    if (!cls.empty()) {
      std::unique_ptr<TGraphic> graphic = CreateGraphicOfClassName(cls);
      graphic->LoadFromFile(fileName);
      if (!graphic->GetEmpty()) return InsertPictureAtCaret(std::move(graphic), AnsiString());
    } else if (ext != ".rtf" && ext != ".vlf" && ext != ".txt") {
      auto bitmap = std::make_unique<TBitmap>();
      if (bitmap->LoadFromAnyImageFile(fileName, VLMaxPicturePixels)) return InsertPictureAtCaret(std::move(bitmap), AnsiString());
    }
  } catch (const std::exception&) {
    // Not a picture: the extension decides below.
  }
  if (ext == ".rtf") return InsertRTFFromFile(fileName);
  if (ext == ".vlf") return InsertVLFFromFile(fileName);
  if (ext == ".txt") return InsertTextFromFile(fileName, false);
  return false;
}
