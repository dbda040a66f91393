#include "actions/VLALanguageCheck.h"

#include "platform/base/CodePages.h"

#include <algorithm>
#include <cstring>

namespace {

AnsiString Row(TVLAMessages table, int id) { return table[id] ? AnsiString(table[id]) : AnsiString(); }

// The accelerators of a text ("&&" is a literal ampersand).
int Accelerators(const AnsiString& s) {
  int n = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&')
        ++i;
      else
        ++n;
    }
  return n;
}

// "%s" and "%d" in order.
AnsiString Placeholders(const AnsiString& s) {
  AnsiString p;
  for (size_t i = 0; i + 1 < s.size(); ++i)
    if (s[i] == '%' && (s[i + 1] == 's' || s[i + 1] == 'd')) p += s[++i];
  return p;
}

int CountOf(const AnsiString& s, char c) { return static_cast<int>(std::count(s.begin(), s.end(), c)); }

// The pattern part of a filter row, after its "|".
AnsiString FilterPattern(const AnsiString& s) {
  size_t bar = s.find('|');
  return bar == AnsiString::npos ? AnsiString() : s.substr(bar + 1);
}

bool IsCaptionId(int id) { return (id >= 1 && id <= 10) || (id >= 11 && id <= 193 && id % 2 == 1); }
bool IsHintId(int id) { return id >= 12 && id <= 194 && id % 2 == 0; }
bool IsFilterId(int id) { return id >= 217 && id <= 225; }

// The placeholders of the format rows, as the callers pass their arguments.
const std::pair<int, const char*> kFormatRows[] = {{209, "s"}, {211, "s"}, {227, "s"}, {229, "d"},
                                                   {335, "s"}, {349, "d"}, {350, "d"}, {382, "dd"},
                                                   {463, "d"}, {516, "d"}};
// Rows with line breaks and how many.
const std::pair<int, int> kLineBreakRows[] = {{211, 1}, {214, 5}, {215, 6}, {216, 7}, {578, 1}};

// The captions the dialogs fetch padded (group boxes, frames): their boxes
// are sized for at most kPaddedCaptionBytes bytes of text.
constexpr size_t kPaddedCaptionBytes = 30;
const int kPaddedCaptionRows[] = {278, 279, 287, 297, 298, 301, 307, 312, 314, 318, 322, 324, 331, 338, 339,
                                  353, 356, 362, 363, 364, 365, 366, 367, 369, 374, 379, 383, 386, 396, 404,
                                  408, 423, 424, 425, 426, 434, 436, 442, 448, 449, 450, 451, 452, 458, 467,
                                  468, 469, 474, 482, 487, 489, 494, 499, 505, 522, 526, 537};

}  // namespace

TVLALanguageProfile ProfileLanguageTable(TVLAMessages Table) {
  TVLALanguageProfile p;
  for (int id = 0; id < VLA_MESSAGE_COUNT; ++id) {
    AnsiString s = Row(Table, id);
    int acc = Accelerators(s);
    if (acc == 1) ++p.SingleAccelRows;
    if (acc >= 2) ++p.DoubleAccelRows;
    if (s.find('|') != AnsiString::npos) ++p.BarRows;
    p.LineBreaks += CountOf(s, '\r');
    if (s.find("...") != AnsiString::npos) ++p.EllipsisRows;
    if (s.empty()) ++p.EmptyRows;
    if (static_cast<int>(s.size()) > p.LongestRowLength) {
      p.LongestRowLength = static_cast<int>(s.size());
      p.LongestRowId = id;
    }
  }
  return p;
}

std::vector<String> CheckLanguageTable(TVLAMessages Table, Cardinal CodePage, TVLAMessages English) {
  std::vector<String> problems;
  auto fail = [&](int id, const String& what) { problems.push_back("id " + std::to_string(id) + ": " + what); };

  for (int id = 0; id < VLA_MESSAGE_COUNT; ++id) {
    if (!Table[id]) {
      fail(id, "missing");
      continue;
    }
    const AnsiString s = Row(Table, id);
    const AnsiString e = Row(English, id);
    if (id == 0 && !s.empty()) fail(id, "not empty");

    // Bytes: no line feed or tab, and every byte a character of the code page.
    if (s.find('\n') != AnsiString::npos || s.find('\t') != AnsiString::npos) fail(id, "line feed or tab");
    // Bytes the code page leaves undefined come back as C1 control characters.
    const WideString wide = AnsiToWide(s, CodePage);
    bool lossless = true;
    const bool undefined = std::any_of(wide.begin(), wide.end(), [](char16_t c) { return c >= 0x80 && c <= 0x9F; });
    if (undefined || WideToAnsi(wide, CodePage, lossless) != s || !lossless) fail(id, "byte outside the code page");

    // Placeholders as English, and only "%s"/"%d" conversions.
    if (Placeholders(s) != Placeholders(e)) fail(id, "placeholders differ from English");
    const auto* fmt = std::find_if(std::begin(kFormatRows), std::end(kFormatRows),
                                   [id](const auto& f) { return f.first == id; });
    const AnsiString wanted = fmt != std::end(kFormatRows) ? fmt->second : "";
    if (Placeholders(s) != wanted) fail(id, "placeholders are not \"" + wanted + "\"");

    // Bars: one in hints and filters, 440 ends in one, no other row has any.
    const int bars = CountOf(s, '|');
    if (IsHintId(id) || IsFilterId(id)) {
      if (bars != 1) fail(id, "needs exactly one \"|\"");
    } else if (id == 440) {
      if (bars != 1 || s.back() != '|') fail(id, "must end in \"|\"");
    } else if (bars != 0) {
      fail(id, "holds a \"|\"");
    }
    if (IsFilterId(id) && FilterPattern(s) != FilterPattern(e)) fail(id, "filter pattern differs from English");

    // Line breaks only where English has them, as many.
    const auto* br = std::find_if(std::begin(kLineBreakRows), std::end(kLineBreakRows),
                                  [id](const auto& b) { return b.first == id; });
    const int breaks = br != std::end(kLineBreakRows) ? br->second : 0;
    if (CountOf(s, '\r') != breaks) fail(id, "needs " + std::to_string(breaks) + " line breaks");

    // A literal "&&" only in 578; no "&" as the last character.
    if (id != 578 && s.find("&&") != AnsiString::npos) fail(id, "\"&&\" outside 578");
    if (!s.empty() && s.back() == '&' && (s.size() < 2 || s[s.size() - 2] != '&')) fail(id, "ends in \"&\"");
    if (IsCaptionId(id) && Accelerators(s) > 1) fail(id, "more than one accelerator");
    if (std::find(std::begin(kPaddedCaptionRows), std::end(kPaddedCaptionRows), id) != std::end(kPaddedCaptionRows) &&
        s.size() > kPaddedCaptionBytes)
      fail(id, "longer than " + std::to_string(kPaddedCaptionBytes) + " bytes for a padded caption");
  }
  return problems;
}
