#include "richtext/rtf/VLConvertedText.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/rtf/VLZipEntry.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLTable.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

// A document's text this large is not compared (its XML is read whole).
constexpr size_t kMaxContentBytes = size_t(256) << 20;

void SplitWords(const String& text, std::vector<String>& words) {
  String word;
  const auto flush = [&] {
    if (!word.empty()) words.push_back(word);
    word.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // A no-break space parts words as a blank does: a reader may write either.
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0) {
      flush();
      ++i;
    } else if (c <= ' ') {
      flush();
    } else {
      word += static_cast<char>(c);
    }
  }
  flush();
}

void AppendUtf8(unsigned long code, String& out) {
  if (code == 0 || code > 0x10FFFF) return;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The character data of an XML text with its references resolved.
void AppendCharacters(const std::string& xml, size_t from, size_t to, String& out) {
  for (size_t i = from; i < to; ++i) {
    if (xml[i] != '&') {
      out += xml[i];
      continue;
    }
    const size_t semi = xml.find(';', i);
    if (semi == std::string::npos || semi >= to) {
      out += xml[i];
      continue;
    }
    const std::string name = xml.substr(i + 1, semi - i - 1);
    if (name == "amp") out += '&';
    else if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() > 1 && name[0] == '#')
      AppendUtf8(name[1] == 'x' ? std::strtoul(name.c_str() + 2, nullptr, 16)
                                : std::strtoul(name.c_str() + 1, nullptr, 10),
                 out);
    i = semi;
  }
}

// The elements whose text is not the document's own: comments, deleted
// text of tracked changes, a note's number, a picture's title and
// description.
bool NotOwnText(const std::string& name) {
  return name == "office:annotation" || name == "text:tracked-changes" || name == "text:note-citation" ||
         name == "svg:title" || name == "svg:desc";
}

void AddWords(TCustomVLData& data, String& text) {
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = data.GetItem(i);
    if (data.IsParaStart(i)) text += ' ';
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(item)) {
      for (Integer r = 0; r < table->RowCount(); ++r)
        for (Integer c = 0; c < table->ColCount(); ++c)
          if (TVLTableCellData* cell = table->GetCell(r, c)) {
            text += ' ';
            AddWords(*cell, text);
          }
      text += ' ';
      continue;
    }
    if (item->StyleNo < 0) {
      text += ' ';
      continue;
    }
    text += WideToUtf8(VLTextToWide(data.GetItemTextA(i), item->ItemOptions,
                                    data.GetStyleCodePage(data.GetItemActualStyle(item))));
  }
}

}  // namespace

bool VLOpenDocumentText(const String& fileName, TVLFileText& text) {
  text = TVLFileText();
  std::string xml;
  if (!VLReadZipEntry(fileName, "content.xml", xml, kMaxContentBytes)) return false;
  const size_t body = xml.find("<office:body");
  if (body == std::string::npos) return false;
  String all;
  // Inside a paragraph or heading; inside text that is not the document's.
  int inParagraph = 0, skipped = 0, tables = 0;
  size_t at = body;
  while (at < xml.size()) {
    const size_t open = xml.find('<', at);
    const size_t stop = open == std::string::npos ? xml.size() : open;
    if (inParagraph > 0 && skipped == 0) AppendCharacters(xml, at, stop, all);
    if (open == std::string::npos) break;
    if (xml.compare(open, 4, "<!--") == 0) {
      const size_t end = xml.find("-->", open);
      at = end == std::string::npos ? xml.size() : end + 3;
      continue;
    }
    // An attribute's value may hold '>'.
    size_t close = open + 1;
    for (char quote = 0; close < xml.size() && (quote || xml[close] != '>'); ++close)
      if (xml[close] == '"' || xml[close] == '\'') quote = quote == xml[close] ? 0 : quote ? quote : xml[close];
    if (close >= xml.size()) return false;
    at = close + 1;
    if (xml[open + 1] == '?' || xml[open + 1] == '!') continue;
    const bool ending = xml[open + 1] == '/', empty = xml[close - 1] == '/';
    const size_t nameAt = open + (ending ? 2 : 1);
    const size_t nameEnd = std::min(xml.find_first_of(" \t\r\n/>", nameAt), close);
    const std::string name = xml.substr(nameAt, nameEnd - nameAt);
    const bool paragraph = name == "text:p" || name == "text:h";
    // Paragraphs, blanks, tabs and line breaks part words; the runs of a
    // paragraph (spans, links) do not.
    if (paragraph || name == "text:s" || name == "text:tab" || name == "text:line-break") all += ' ';
    if (ending) {
      if (NotOwnText(name) && skipped > 0) --skipped;
      if (paragraph && inParagraph > 0) --inParagraph;
      if (name == "table:table" && tables > 0) --tables;
      continue;
    }
    if (empty) continue;
    if (NotOwnText(name)) ++skipped;
    if (paragraph) ++inParagraph;
    if (name == "table:table" && ++tables > 1) text.NestedTables = true;
  }
  SplitWords(all, text.Words);
  return true;
}

std::vector<String> VLRTFWords(TStream& rtf) {
  const Int64 position = rtf.GetPosition();
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties reader;
  reader.Assign(&VLDefaultRTFReaderProperties());
  reader.IgnorePictures = true;
  reader.LinkPolicy.LinkedPictures = false;
  reader.ReadFromStream(rtf, &doc);
  rtf.SetPosition(position);
  String text;
  AddWords(doc, text);
  std::vector<String> words;
  SplitWords(text, words);
  return words;
}

size_t VLWordsMissing(const std::vector<String>& words, const std::vector<String>& found) {
  std::map<String, long> count;
  for (const String& w : found) ++count[w];
  size_t missing = 0;
  for (const String& w : words)
    if (--count[w] < 0) ++missing;
  return missing;
}
