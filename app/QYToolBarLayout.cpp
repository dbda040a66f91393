#include "app/QYToolBarLayout.h"

#include "app/QYSettingsPaths.h"

#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include "platform/base/Streams.h"

#include <algorithm>
#include <sstream>

namespace {

const char* const Header = "[Quillory Tool Bars]";
const char* const VersionLine = "Version=1";

String Trimmed(const String& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == String::npos) return String();
  const size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool ValidName(const String& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

std::vector<String> SplitNames(const String& list) {
  std::vector<String> out;
  std::stringstream in(list);
  String item;
  while (std::getline(in, item, ',')) {
    item = Trimmed(item);
    if (!item.empty()) out.push_back(item);
  }
  return out;
}

}  // namespace

AnsiString ToolBarLayoutText(const TToolBarLayout& layout) {
  AnsiString out = String(Header) + "\n" + VersionLine + "\n";
  for (const TToolBarLayoutBar& bar : layout.Bars) {
    out += "\n[Bar " + bar.Name + "]\n";
    out += String("Visible=") + (bar.Visible ? "1" : "0") + "\n";
    out += "Hidden=";
    for (size_t i = 0; i < bar.HiddenItems.size(); ++i) out += (i ? "," : "") + bar.HiddenItems[i];
    out += "\n";
  }
  return out;
}

bool ParseToolBarLayout(const AnsiString& text, TToolBarLayout& layout) {
  if (text.find('\0') != AnsiString::npos) return false;
  std::stringstream in(text);
  String line;
  std::vector<String> lines;
  while (std::getline(in, line)) {
    line = Trimmed(line);
    if (!line.empty()) lines.push_back(line);
  }
  if (lines.size() < 2 || lines[0] != Header || lines[1] != VersionLine) return false;
  TToolBarLayout parsed;
  TToolBarLayoutBar* bar = nullptr;
  for (size_t i = 2; i < lines.size(); ++i) {
    const String& l = lines[i];
    if (l.front() == '[') {
      if (l.back() != ']' || l.compare(0, 5, "[Bar ") != 0) return false;
      const String name = l.substr(5, l.size() - 6);
      if (!ValidName(name)) return false;
      for (const auto& b : parsed.Bars)
        if (b.Name == name) return false;
      parsed.Bars.push_back({name, true, {}});
      bar = &parsed.Bars.back();
      continue;
    }
    const size_t eq = l.find('=');
    if (!bar || eq == String::npos) return false;
    const String key = Trimmed(l.substr(0, eq)), value = Trimmed(l.substr(eq + 1));
    if (key == "Visible") {
      if (value != "0" && value != "1") return false;
      bar->Visible = value == "1";
    } else if (key == "Hidden") {
      bar->HiddenItems = SplitNames(value);
      if (!std::all_of(bar->HiddenItems.begin(), bar->HiddenItems.end(), ValidName)) return false;
    } else {
      return false;
    }
  }
  layout = std::move(parsed);
  return true;
}

TToolBarLayout MergeToolBarLayout(const TToolBarLayout& defaults, const TToolBarLayout& stored) {
  TToolBarLayout out;
  auto findDefault = [&](const String& name) -> const TToolBarLayoutBar* {
    for (const auto& b : defaults.Bars)
      if (b.Name == name) return &b;
    return nullptr;
  };
  for (const TToolBarLayoutBar& s : stored.Bars) {
    if (!findDefault(s.Name)) continue;
    out.Bars.push_back(s);
  }
  for (const TToolBarLayoutBar& d : defaults.Bars) {
    if (std::none_of(out.Bars.begin(), out.Bars.end(), [&](const auto& b) { return b.Name == d.Name; }))
      out.Bars.push_back(d);
  }
  return out;
}

bool LoadToolBarLayoutFile(const String& fileName, const TToolBarLayout& defaults, TToolBarLayout& layout) {
  layout = defaults;
  if (!FileExists(fileName)) return true;
  TToolBarLayout stored;
  bool ok = false;
  bool tooLarge = false;
  try {
    // A layout is a few lines: a file past any settings file is not read
    // whole into memory, however long it has grown.
    TFileStream file(fileName, fmOpenRead);
    AnsiString bytes;
    char buffer[65536];
    for (Int64 n; !tooLarge && (n = file.Read(buffer, sizeof buffer)) > 0;) {
      bytes.append(buffer, static_cast<size_t>(n));
      tooLarge = static_cast<Int64>(bytes.size()) > LargestSettingsFile;
    }
    ok = !tooLarge && ParseToolBarLayout(bytes, stored);
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) {
    // Kept for the user; the next save writes a sound file in its place.
    const String aside = fileName + ".damaged";
    if (FileExists(aside)) DeleteFile(aside);
    RenameFile(fileName, aside);
    // Said once, whatever was wrong with it: the user's layout is gone
    // until the file is mended.
    const Int64 size = FileSizeOf(aside);
    ReportSettingsPath("tool bar layout", fileName,
                       tooLarge    ? "it is " + IntToStr(size >> 20) +
                                      " MB long, larger than any tool bar layout it could be"
                       : size == 0 ? String("it is empty")
                                   : String("it is damaged or is no tool bar layout"),
                       "The standard tool bars are used; the file is kept as \"" + aside + "\".");
    return false;
  }
  layout = MergeToolBarLayout(defaults, stored);
  return true;
}

void SaveToolBarLayoutFile(const String& fileName, const TToolBarLayout& layout) {
  // Private like every other file in the database folder.
  SaveBytesAtomically(fileName, ToolBarLayoutText(layout), true);
}
