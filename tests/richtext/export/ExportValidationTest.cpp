// Exports of the generated document set checked by outside readers: every
// HTML page (plain and with CSS) by the Nu HTML Checker, every RTF file by
// pandoc, whose paragraph texts must be the document's.
#include "ExportSamples.h"

#include "platform/base/Streams.h"
#include "richtext/model/VLExport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr unsigned SetSize = 300;

std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) {
    status = -1;
    return out;
  }
  std::array<char, 65536> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  status = pclose(p);
  return out;
}

bool HaveCommand(const std::string& name) {
  int status = 0;
  RunCommand("command -v " + name + " >/dev/null 2>&1", status);
  return status == 0;
}

// ---- a small JSON reader for pandoc's document tree ----
struct TJson {
  enum { Null, Bool, Num, Str, Arr, Obj } Kind = Null;
  std::string S;
  std::vector<TJson> A;
  std::vector<std::pair<std::string, TJson>> O;
  const TJson* Get(const std::string& key) const {
    for (const auto& kv : O)
      if (kv.first == key) return &kv.second;
    return nullptr;
  }
};

class TJsonReader {
public:
  explicit TJsonReader(const std::string& s) : P(s.data()), E(s.data() + s.size()) {}
  bool Parse(TJson& v) {
    Skip();
    if (P >= E) return false;
    if (*P == '{') {
      v.Kind = TJson::Obj;
      ++P;
      Skip();
      if (*P == '}') return ++P, true;
      for (;;) {
        TJson key, val;
        Skip();
        if (!ParseString(key.S)) return false;
        Skip();
        if (*P++ != ':') return false;
        if (!Parse(val)) return false;
        v.O.emplace_back(key.S, std::move(val));
        Skip();
        if (*P == ',') {
          ++P;
          continue;
        }
        return *P++ == '}';
      }
    }
    if (*P == '[') {
      v.Kind = TJson::Arr;
      ++P;
      Skip();
      if (*P == ']') return ++P, true;
      for (;;) {
        TJson val;
        if (!Parse(val)) return false;
        v.A.push_back(std::move(val));
        Skip();
        if (*P == ',') {
          ++P;
          continue;
        }
        return *P++ == ']';
      }
    }
    if (*P == '"') {
      v.Kind = TJson::Str;
      return ParseString(v.S);
    }
    const char* start = P;
    while (P < E && !std::strchr(",]} \r\n\t", *P)) ++P;
    v.Kind = TJson::Num;
    v.S.assign(start, P);
    return P > start;
  }

private:
  void Skip() {
    while (P < E && std::isspace(static_cast<unsigned char>(*P))) ++P;
  }
  void PutUtf8(uint32_t c, std::string& out) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  bool ParseString(std::string& out) {
    if (*P++ != '"') return false;
    while (P < E && *P != '"') {
      if (*P == '\\') {
        ++P;
        switch (*P) {
          case 'n': out += '\n'; break;
          case 't': out += '\t'; break;
          case 'r': out += '\r'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'u': {
            const uint32_t c = static_cast<uint32_t>(std::stoul(std::string(P + 1, 4), nullptr, 16));
            P += 4;
            PutUtf8(c, out);
            break;
          }
          default: out += *P;
        }
        ++P;
      } else {
        out += *P++;
      }
    }
    ++P;
    return true;
  }
  const char* P;
  const char* E;
};

void InlineText(const TJson& inl, std::string& out) {
  const TJson* t = inl.Get("t");
  if (!t) return;
  const TJson* c = inl.Get("c");
  if (t->S == "Str") {
    out += c->S;
  } else if (t->S == "Space" || t->S == "SoftBreak" || t->S == "LineBreak") {
    out += ' ';
  } else if (t->S == "Image") {
    return;
  } else if (t->S == "Link" || t->S == "Span") {
    for (const TJson& x : c->A[1].A) InlineText(x, out);
  } else if (c && c->Kind == TJson::Arr) {
    for (const TJson& x : c->A)
      if (x.Kind == TJson::Obj) InlineText(x, out);
  }
}

void Blocks(const TJson& blocks, std::vector<std::string>& paras) {
  for (const TJson& b : blocks.A) {
    const TJson* t = b.Get("t");
    const TJson* c = b.Get("c");
    if (!t) continue;
    if (t->S == "Para" || t->S == "Plain") {
      std::string text;
      for (const TJson& x : c->A) InlineText(x, text);
      std::string norm;
      for (char ch : text) {
        if (ch == ' ' && (norm.empty() || norm.back() == ' ')) continue;
        norm += ch;
      }
      while (!norm.empty() && norm.back() == ' ') norm.pop_back();
      if (!norm.empty()) paras.push_back(norm);
    } else if (t->S == "BulletList") {
      for (const TJson& item : c->A) Blocks(item, paras);
    } else if (t->S == "OrderedList") {
      for (const TJson& item : c->A[1].A) Blocks(item, paras);
    } else if (t->S == "Div" || t->S == "BlockQuote") {
      Blocks(t->S == "Div" ? c->A[1] : *c, paras);
    }
  }
}

std::string Join(const std::vector<std::string>& v) {
  std::string r;
  for (const auto& s : v) r += "[" + s + "]\n";
  return r;
}

}  // namespace

TEST(ExportValidation, HTMLPagesPassTheNuChecker) {
  const char* src = std::getenv("QY_SOURCE_DIR");
  const fs::path jar = fs::path(src ? src : qytest::SourceDir().string()) / "tools/node_modules/vnu-jar/build/dist/vnu.jar";
  ASSERT_TRUE(fs::exists(jar)) << "the set-up installs the checker: " << jar;
  ASSERT_TRUE(HaveCommand("java"));
  qytest::TempDir temp;
  // QY_EXPORT_DIR keeps the pages for a look.
  const char* keep = std::getenv("QY_EXPORT_DIR");
  const fs::path dir = keep ? fs::path(keep) : temp.path();
  for (unsigned n = 0; n < SetSize; ++n) {
    auto sample = MakeExportSample(n);
    TVLDocumentData& d = *sample->Doc;
    const fs::path folder = dir / ("doc" + std::to_string(n));
    fs::create_directories(folder);
    const String path = folder.string() + "/";
    TVLSaveOptions plainOptions;
    if (n % 2) plainOptions.Include(vlsoImageSizes);
    if (n % 3 == 0) plainOptions.Include(vlsoMarkersAsText);
    if (n % 5 == 0) plainOptions.Include(vlsoDefault0Style);
    if (n % 4 == 0) plainOptions.Include(vlsoUseCheckpointsNames);
    plainOptions.Include(vlsoForceNonTextCSS);
    Integer imgNo = 0;
    TVLBackgroundImage back;
    TBitmap backPicture(8, 8);
    if (n % 7 == 0) {
      back.Style = static_cast<TBackgroundStyle>(1 + n % 4);
      back.Image = &backPicture;
    }
    ASSERT_TRUE(d.SaveHTMLFile(path + "plain.html", "Entry " + std::to_string(n) + " <&>", "pictures/img",
                               plainOptions, n % 2 ? 0xFFEEDD : clNone, imgNo, 4, 5, 6, 7, &back));
    TVLSaveOptions cssOptions;
    if (n % 3 == 1) cssOptions.Include(vlsoInlineCSS);
    if (n % 4 == 1) cssOptions.Include(vlsoNoDefCSSStyle);
    if (n % 5 == 1) cssOptions.Include(vlsoMarkersAsText);
    TColor cur = clNone;
    const String external = n % 6 == 2 ? "entry style.css" : "";
    ASSERT_TRUE(d.SaveCSSHTMLFile(path + "css.html", "Entry " + std::to_string(n), "img", "P.x { color: red; }",
                                  external, n % 2 ? "cp" : "", cssOptions, clNone, cur, imgNo, 1, 2, 3, 4,
                                  &back));
  }
  int status = 0;
  const std::string out = RunCommand("java -Xss4m -jar '" + jar.string() +
                                  "' --errors-only --skip-non-html --format gnu '" + dir.string() + "' 2>&1",
                              status);
  size_t errors = 0;
  std::istringstream lines(out);
  std::string line, first;
  while (std::getline(lines, line)) {
    if (line.find(": error:") == std::string::npos && line.find(":error:") == std::string::npos &&
        line.find("error") == std::string::npos)
      continue;
    if (++errors <= 30) first += line + "\n";
  }
  EXPECT_EQ(errors, 0u) << first;
  EXPECT_EQ(status, 0) << out.substr(0, 4000);
}

TEST(ExportValidation, RTFReadsBackWithTheSameParagraphs) {
  ASSERT_TRUE(HaveCommand("pandoc")) << "the set-up installs pandoc";
  qytest::TempDir dir;
  std::vector<std::vector<std::string>> expected(SetSize);
  for (unsigned n = 0; n < SetSize; ++n) {
    auto sample = MakeExportSample(n);
    TVLDocumentData& d = *sample->Doc;
    TVLRTFOptions options;
    if (n % 2) options.Include(vlrtfSaveStyleSheet);
    if (n % 3) options.Include(vlrtfDuplicateUnicode);
    d.RTFOptions = options;
    ASSERT_TRUE(d.SaveRTF((dir / ("doc" + std::to_string(n) + ".rtf")).string(), false, clWindow, nullptr));
    expected[n] = sample->Paragraphs;
  }
  // A few pandoc processes at a time.
  std::vector<std::future<std::pair<int, std::string>>> jobs;
  std::vector<std::pair<int, std::string>> results(SetSize);
  const unsigned parallel = 4;
  for (unsigned start = 0; start < SetSize; start += parallel) {
    jobs.clear();
    for (unsigned n = start; n < std::min(SetSize, start + parallel); ++n) {
      const std::string file = (dir / ("doc" + std::to_string(n) + ".rtf")).string();
      jobs.push_back(std::async(std::launch::async, [file] {
        int status = 0;
        std::string out = RunCommand("pandoc -f rtf -t json '" + file + "' 2>&1", status);
        return std::make_pair(status, out);
      }));
    }
    for (unsigned k = 0; k < jobs.size(); ++k) results[start + k] = jobs[k].get();
  }
  unsigned failures = 0;
  for (unsigned n = 0; n < SetSize && failures < 5; ++n) {
    SCOPED_TRACE("document " + std::to_string(n));
    const auto& [status, json] = results[n];
    if (status != 0) {
      ADD_FAILURE() << "pandoc failed: " << json.substr(0, 2000);
      ++failures;
      continue;
    }
    TJson doc;
    TJsonReader reader(json);
    if (!reader.Parse(doc) || !doc.Get("blocks")) {
      ADD_FAILURE() << "not JSON: " << json.substr(0, 500);
      ++failures;
      continue;
    }
    std::vector<std::string> paras;
    Blocks(*doc.Get("blocks"), paras);
    if (paras != expected[n]) {
      ADD_FAILURE() << "ours:\n" << Join(expected[n]) << "pandoc's:\n" << Join(paras);
      ++failures;
    }
  }
}
