// Build-time generator: turns a language's row file (UTF-8, "id<TAB>text"
// per line) into a C++ table of 8-bit strings in the language's code page.
// It refuses a file with a missing, repeated or unknown id, an unknown escape,
// a line feed or tab inside a text, or a character the code page lacks, so a
// broken table never reaches the program.
//
//   MakeLanguageTable <rows file> <code page> <symbol> <output .cpp>
#include "platform/base/CodePages.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kIds = 591;

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
  std::cerr << file << ":" << line << ": " << what << "\n";
  std::exit(1);
}

// "\r" -> CR, "\\" -> backslash; anything else after a backslash is refused.
bool Unescape(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out += in[i];
      continue;
    }
    if (i + 1 >= in.size()) return false;
    char e = in[++i];
    if (e == 'r')
      out += '\r';
    else if (e == '\\')
      out += '\\';
    else
      return false;
  }
  return true;
}

std::string CLiteral(const std::string& bytes) {
  std::string s = "\"";
  bool lastWasHex = false;
  for (unsigned char c : bytes) {
    bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?';
    // A hex escape swallows following hex digits: split the literal there.
    if (plain && lastWasHex && std::isxdigit(c)) s += "\" \"";
    if (plain) {
      s += static_cast<char>(c);
      lastWasHex = false;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      s += buf;
      lastWasHex = true;
    }
  }
  return s + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: MakeLanguageTable <rows> <code page> <symbol> <out.cpp>\n";
    return 2;
  }
  const std::string path = argv[1];
  const Cardinal codePage = static_cast<Cardinal>(std::stoul(argv[2]));
  const std::string symbol = argv[3];
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, 0, "cannot read");

  std::vector<std::string> rows(kIds);
  std::vector<bool> seen(kIds, false);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    if (line.find('\r') != std::string::npos) Fail(path, lineNo, "carriage return in the file (use \\r)");
    size_t tab = line.find('\t');
    if (tab == std::string::npos) Fail(path, lineNo, "no tab after the id");
    const std::string idText = line.substr(0, tab);
    if (idText.empty() || idText.find_first_not_of("0123456789") != std::string::npos)
      Fail(path, lineNo, "bad id '" + idText + "'");
    int id = std::stoi(idText);
    if (id >= kIds) Fail(path, lineNo, "id out of range");
    if (seen[static_cast<size_t>(id)]) Fail(path, lineNo, "id " + idText + " repeated");
    const std::string raw = line.substr(tab + 1);
    if (raw.find('\t') != std::string::npos) Fail(path, lineNo, "tab inside the text");
    std::string utf8;
    if (!Unescape(raw, utf8)) Fail(path, lineNo, "unknown escape");
    bool lossless = true;
    AnsiString bytes = WideToAnsi(Utf8ToWide(utf8), codePage, lossless);
    if (!lossless || WideToUtf8(Utf8ToWide(utf8)) != utf8)
      Fail(path, lineNo, "text not representable in code page " + std::to_string(codePage));
    seen[static_cast<size_t>(id)] = true;
    rows[static_cast<size_t>(id)] = bytes;
  }
  for (int id = 0; id < kIds; ++id)
    if (!seen[static_cast<size_t>(id)]) Fail(path, lineNo, "id " + std::to_string(id) + " missing");

  std::ostringstream out;
  out << "// Generated from " << path.substr(path.find_last_of('/') + 1) << "; do not edit.\n";
  out << "extern const char* const " << symbol << "[" << kIds << "];\n";
  out << "const char* const " << symbol << "[" << kIds << "] = {\n";
  for (int id = 0; id < kIds; ++id) out << "    /* " << id << " */ " << CLiteral(rows[static_cast<size_t>(id)]) << ",\n";
  out << "};\n";

  const std::string target = argv[4];
  std::ofstream file(target + ".tmp", std::ios::binary);
  file << out.str();
  file.close();
  if (!file || std::rename((target + ".tmp").c_str(), target.c_str()) != 0) Fail(target, 0, "cannot write");
  return 0;
}
