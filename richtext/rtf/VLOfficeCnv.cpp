#include "richtext/rtf/VLOfficeCnv.h"
#include "richtext/rtf/VLConvertedText.h"
#include "richtext/rtf/VLZipEntry.h"

#include "platform/base/IniFiles.h"
#include "platform/base/SaveTarget.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"
#include "platform/base/SysUtils.h"
#include "platform/os/LimitedProcess.h"
#include "platform/os/SysPaths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A command line split at blanks; double quotes group words.
std::vector<String> SplitCommand(const String& line) {
  std::vector<String> args;
  String cur;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) args.push_back(cur);
      cur.clear();
      any = false;
    } else {
      cur += c;
      any = true;
    }
  }
  if (any) args.push_back(cur);
  return args;
}

// What the placeholders of a command stand for in one run.
struct TRunNames {
  String Foreign;  // %1
  String Rtf;      // %2
  String Result;   // %3
  String Profile;  // %4
  String Filter;   // %5
};

// One pass, so that a name holding "%2" is not substituted again.
std::vector<String> Substitute(const std::vector<String>& command, const TRunNames& names) {
  std::vector<String> out;
  for (const String& a : command) {
    String r;
    for (size_t i = 0; i < a.size(); ++i) {
      const char next = i + 1 < a.size() ? a[i + 1] : '\0';
      const String* value = nullptr;
      if (a[i] == '%') {
        if (next == '1') value = &names.Foreign;
        else if (next == '2') value = &names.Rtf;
        else if (next == '3') value = &names.Result;
        else if (next == '4') value = &names.Profile;
        else if (next == '5') value = &names.Filter;
      }
      if (value) {
        r += *value;
        ++i;
      } else {
        r += a[i];
      }
    }
    out.push_back(r);
  }
  return out;
}

bool Mentions(const std::vector<String>& command, const char* token) {
  return std::any_of(command.begin(), command.end(), [token](const String& a) { return a.find(token) != String::npos; });
}

// The environment a converter runs in: ours, with its temporary files in
// the run's folder and every proxy a closed port.
std::vector<String> ConverterEnvironment(const String& tempFolder) {
  // A program stopped at the time limit cannot remove its own temporary
  // files: they go with the run's work folder. A document being converted
  // must not reach the network either (a linked picture would tell its
  // sender that it was opened, and where): every proxy is a closed port.
  static const char* const kProxies[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                         "ftp_proxy",  "FTP_PROXY",  "all_proxy",   "ALL_PROXY"};
  const auto replaced = [](const String& name) {
    return name == "TMPDIR" || name == "no_proxy" || name == "NO_PROXY" ||
           std::find(std::begin(kProxies), std::end(kProxies), name) != std::end(kProxies);
  };
  std::vector<String> environment;
  for (char** e = environ; *e; ++e) {
    const String entry = *e;
    if (!replaced(entry.substr(0, entry.find('=')))) environment.push_back(entry);
  }
  environment.push_back("TMPDIR=" + tempFolder);
  for (const char* proxy : kProxies) environment.push_back(String(proxy) + "=http://127.0.0.1:9");
  return environment;
}

// Runs the program within the owner's limits, its standard output going to
// stdoutFile (when given). Answers an error code of TVLOfficeConverter.
Integer RunProgram(const std::vector<String>& args, const String& stdoutFile, const TVLOfficeConverter& owner,
                   const String& runFolder, const String& tempFolder) {
  if (args.empty()) return 1;
  TProcessLimits limits;
  limits.TimeMs = owner.TimeLimitMs;
  limits.MemoryBytes = owner.MemoryLimit;
  limits.FileBytes = owner.OutputLimit;
  // Whatever a program leaves in the folder it runs in (the office suite's
  // key database files when its profile cannot be used) goes with the run.
  const TProcessResult r = RunLimitedProgram(args, ConverterEnvironment(tempFolder), runFolder, stdoutFile, limits,
                                             owner.OnWait);
  switch (r.End) {
    case TProcessEnd::Finished: {
      const int code = r.ExitCode;
      return code == 0 ? 0 : (code == 1 || code == 2 || code == 3 ? 100 + code : code);
    }
    case TProcessEnd::NotStarted: return 1;
    case TProcessEnd::TimedOut: return 3;
    case TProcessEnd::FileLimit: return 6;
    case TProcessEnd::MemoryLimit: return 7;
    case TProcessEnd::Cancelled: return 8;
    case TProcessEnd::Killed: return 4;
  }
  return 4;
}

bool IsHTMLExtensions(String extensions) {
  std::transform(extensions.begin(), extensions.end(), extensions.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return extensions == "htm html" || extensions == "html htm" || extensions == "html" || extensions == "htm";
}

// The formats a converter program reads and writes through RTF; no Writer:
// read only.
struct TInstalledFormat {
  const char* Name;
  const char* Extensions;
  const char* Reader;
  const char* Writer;
  // The written file holds the pictures (not names of files beside it).
  bool Pictures = true;
};
constexpr TInstalledFormat kPandocFormats[] = {
    // Empty paragraphs are written where the writer can hold them.
    {"Word Document", "docx", "docx", "docx+empty_paragraphs"},
    {"OpenDocument Text", "odt", "odt", "odt+empty_paragraphs"},
    {"EPUB Book", "epub", "epub", "epub+empty_paragraphs"},
    // Its tables cannot hold nested tables or merged cells, and split
    // words to fit narrow columns: tables are written in HTML. So is what
    // has no Markdown of its own, as it is (not in a fenced block).
    {"Markdown", "md markdown", "markdown", "markdown-grid_tables-pipe_tables-simple_tables-multiline_tables-raw_attribute", false},
    {"Web Page", "html htm", "html", "html5", false},
};
// The office suite's: the reader is found from the file's content; the
// writers are its export filters.
constexpr TInstalledFormat kOfficeFormats[] = {
    {"Word Document", "docx", "", "docx:MS Word 2007 XML"},
    {"Word 97\u20132003 Document", "doc", "", "doc:MS Word 97"},
    {"OpenDocument Text", "odt", "", "odt:writer8"},
    {"WordPerfect Document", "wpd", "", nullptr},
};
// Added to the document converter's name where the office suite offers the
// same format first.
constexpr const char* kPandocSuffix = " via pandoc";

// Writes bytes to a new file of the owner's alone (0600).
bool WritePrivateFile(const String& name, const char* data, size_t size) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = true;
  while (size > 0 && ok) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) data += n, size -= static_cast<size_t>(n);
  }
  return ::close(fd) == 0 && ok;
}

// The document converter's filter for our page. Its HTML reader without
// native spans splits a paragraph at each SPAN that follows another run;
// with them, the spans (the look of runs, which its writers do not carry)
// are unwrapped here. An OL without a type is decimal, at any depth (the
// converter would letter a nested one); the empty SPAN that starts an item
// of a list numbered "a)" or "(a)" gives the list that form, which the
// converter's reader does not take from the page; a book, whose HTML has no
// form for it, gets the list as our web page draws it. The blanks our page
// marks (it would make them hard) are blanks again, and an empty paragraph
// stays one (in Markdown as HTML, which has no other form for it), not a
// no-break space the entry does not have. Paragraphs that came as
// DIV elements (those of a table cell) stay paragraphs where there are more
// than one: as plain blocks the web page and Markdown writers would join
// them into one line. An EPUB book needs a title: the one given, else the
// file's name. Without pictures, a picture goes, and so does a link that held
// nothing else.
bool WritePageFilter(const String& fileName, const String& copyName, const String& givenTitle, bool withPictures) {
  const size_t dot = copyName.rfind('.');
  const String title = !givenTitle.empty()                 ? givenTitle
                       : dot == String::npos || dot == 0 ? copyName
                                                         : copyName.substr(0, dot);
  String quoted;
  for (unsigned char c : title) quoted += "\\" + std::to_string(c);
  const String text = "function Span(s)\n"
                      "  local class = s.classes[1]\n"
                      "  if class and class:match('^list%-form%-') then return s end\n"
                      "  if class == 'blanks' then\n"
                      "    local _, n = pandoc.utils.stringify(s.content):gsub('\\194\\160', '')\n"
                      "    return pandoc.Str(string.rep(' ', n))\n"
                      "  end\n"
                      "  if class == 'empty-paragraph' then return {} end\n"
                      "  return s.content\n"
                      "end\n"
                      "local function empty(b)\n"
                      "  if #b.content > 0 then return nil end\n"
                      "  if FORMAT:match('markdown') then return pandoc.RawBlock('html', '<p></p>') end\n"
                      "  return pandoc.Para({})\n"
                      "end\n"
                      "Plain = empty\n"
                      "Para = empty\n"
                      "function Blocks(bs)\n"
                      "  local plain = 0\n"
                      "  for _, b in ipairs(bs) do if b.t == 'Plain' then plain = plain + 1 end end\n"
                      "  if plain < 2 then return nil end\n"
                      "  for i, b in ipairs(bs) do if b.t == 'Plain' then bs[i] = pandoc.Para(b.content) end end\n"
                      "  return bs\n"
                      "end\n"
                      "local function number_text(n, style)\n"
                      "  local s = ''\n"
                      "  if style:match('Alpha$') then\n"
                      "    repeat n = n - 1; s = string.char(97 + n % 26) .. s; n = n // 26 until n == 0\n"
                      "  elseif style:match('Roman$') then\n"
                      "    for _, v in ipairs({{1000, 'm'}, {900, 'cm'}, {500, 'd'}, {400, 'cd'}, {100, 'c'}, {90, 'xc'},\n"
                      "                        {50, 'l'}, {40, 'xl'}, {10, 'x'}, {9, 'ix'}, {5, 'v'}, {4, 'iv'}, {1, 'i'}}) do\n"
                      "      while n >= v[1] do s = s .. v[2]; n = n - v[1] end\n"
                      "    end\n"
                      "  else\n"
                      "    s = tostring(n)\n"
                      "  end\n"
                      "  return style:match('^Upper') and s:upper() or s\n"
                      "end\n"
                      "function OrderedList(l)\n"
                      "  local a = l.listAttributes\n"
                      "  if a.style == 'DefaultStyle' then a.style = 'Decimal' end\n"
                      "  for _, item in ipairs(l.content) do\n"
                      "    local first = item[1]\n"
                      "    local span = first and first.content and first.content[1]\n"
                      "    local form = span and span.t == 'Span' and span.classes[1] and\n"
                      "                 span.classes[1]:match('^list%-form%-(%a+)$')\n"
                      "    if form then\n"
                      "      a.delimiter = form\n"
                      "      first.content:remove(1)\n"
                      "    end\n"
                      "  end\n"
                      "  if not FORMAT:match('epub') or (a.delimiter ~= 'OneParen' and a.delimiter ~= 'TwoParens') then\n"
                      "    return l\n"
                      "  end\n"
                      // A book's lists are HTML, which has no form for the
                      // number's parentheses: each item draws its marker as
                      // our web page does, the letters or numerals stay the
                      // list's type where that is not understood.
                      "  local types = {LowerAlpha = 'a', UpperAlpha = 'A', LowerRoman = 'i', UpperRoman = 'I'}\n"
                      "  local out = {'<ol start=\"' .. a.start .. '\"' .. (types[a.style] and (' type=\"' .. types[a.style] .. '\"') or '') .. '>'}\n"
                      "  for i, item in ipairs(l.content) do\n"
                      "    local m = number_text(a.start + i - 1, a.style)\n"
                      "    m = a.delimiter == 'OneParen' and (m .. ')') or ('(' .. m .. ')')\n"
                      "    out[#out + 1] = '<li style=\"list-style-type: \\'' .. m .. '\\\\A0\\';\">' ..\n"
                      "                    pandoc.write(pandoc.Pandoc(item), 'html5') .. '</li>'\n"
                      "  end\n"
                      "  out[#out + 1] = '</ol>'\n"
                      "  return pandoc.RawBlock('html', table.concat(out, '\\n'))\n"
                      "end\n"
                      // An OpenDocument copy has one list style for a list
                      // and every list numbered within it: its first list at
                      // each depth sets that depth's numbers. Where a later
                      // one has other numbers, the list goes on from there
                      // as a list of its own, counting on.
                      "local function clash(l, depth, seen)\n"
                      "  for _, item in ipairs(l.content) do\n"
                      "    for _, b in ipairs(item) do\n"
                      "      if b.t == 'OrderedList' then\n"
                      "        local a = b.listAttributes\n"
                      "        local f = a.style .. a.delimiter\n"
                      "        if seen[depth] and seen[depth] ~= f then return true end\n"
                      "        seen[depth] = f\n"
                      "        if clash(b, depth + 1, seen) then return true end\n"
                      "      end\n"
                      "    end\n"
                      "  end\n"
                      "  return false\n"
                      "end\n"
                      "local function split(l)\n"
                      "  local a = l.listAttributes\n"
                      "  local out, items, seen = {}, {}, {}\n"
                      "  for i, item in ipairs(l.content) do\n"
                      "    local tried = {}\n"
                      "    for k, v in pairs(seen) do tried[k] = v end\n"
                      "    if clash(pandoc.OrderedList({item}), 2, tried) and #items > 0 then\n"
                      "      out[#out + 1] = pandoc.OrderedList(items, pandoc.ListAttributes(a.start + i - 1 - #items, a.style, a.delimiter))\n"
                      "      items, tried = {}, {}\n"
                      "      clash(pandoc.OrderedList({item}), 2, tried)\n"
                      "    end\n"
                      "    items[#items + 1] = item\n"
                      "    seen = tried\n"
                      "  end\n"
                      "  out[#out + 1] = pandoc.OrderedList(items, pandoc.ListAttributes(a.start + #l.content - #items, a.style, a.delimiter))\n"
                      "  return out\n"
                      "end\n"
                      "function Pandoc(doc)\n"
                      "  if not FORMAT:match('odt') and not FORMAT:match('opendocument') then return nil end\n"
                      "  local blocks = {}\n"
                      "  for _, b in ipairs(doc.blocks) do\n"
                      "    if b.t == 'OrderedList' then\n"
                      "      for _, part in ipairs(split(b)) do blocks[#blocks + 1] = part end\n"
                      "    else\n"
                      "      blocks[#blocks + 1] = b\n"
                      "    end\n"
                      "  end\n"
                      "  return pandoc.Pandoc(blocks, doc.meta)\n"
                      "end\n"
                      "function Meta(m)\n"
                      "  if FORMAT:match('epub') and pandoc.utils.stringify(m.title or '') == '' then\n"
                      "    m.title = pandoc.MetaInlines({pandoc.Str('" + quoted + "')})\n"
                      "  end\n"
                      "  return m\n"
                      "end\n" +
                      String(withPictures ? "" : "function Image(i) return {} end\n"
                                                 "function Link(l) if #l.content == 0 then return {} end end\n");
  return WritePrivateFile(fileName, text.data(), text.size());
}

// The document converter's filter for a Markdown file it reads: the tables
// such a file holds as HTML (ours among them) are read as tables (the file
// is read again as a web page then), and every table goes to RTF as an RTF
// table of its own, nested and merged as it was (the converter's RTF writer
// would flatten nested tables and drop merges). The reader drops empty
// paragraphs: two tables that had one between them get one again, or their
// rows would run together into one table, in the text as in a cell.
bool WriteReadFilter(const String& fileName) {
  static const char text[] = R"lua(local table_rtf
local function rtf_of(blocks, level)
  local out = {}
  for i, b in ipairs(blocks) do
    if b.t == 'Table' then
      if i > 1 and blocks[i - 1].t == 'Table' then out[#out + 1] = '{\\pard\\intbl\\itap' .. level .. '\\par}' end
      out[#out + 1] = table_rtf(b, level + 1)
    else
      local text = pandoc.write(pandoc.Pandoc({b}), 'rtf'):gsub('\\pard', '\\pard\\intbl\\itap' .. level)
      if i == #blocks then text = text:gsub('\\par}%s*$', '}') end
      out[#out + 1] = text
    end
  end
  return table.concat(out)
end
function table_rtf(t, level)
  local rows = {}
  for _, r in ipairs(t.head.rows) do rows[#rows + 1] = r end
  local heading = #rows
  for _, body in ipairs(t.bodies) do
    for _, r in ipairs(body.head) do rows[#rows + 1] = r end
    for _, r in ipairs(body.body) do rows[#rows + 1] = r end
  end
  for _, r in ipairs(t.foot.rows) do rows[#rows + 1] = r end
  local cols = #t.colspecs
  local at = {}
  for r, row in ipairs(rows) do
    at[r] = at[r] or {}
    local c = 1
    for _, cell in ipairs(row.cells) do
      while at[r][c] do c = c + 1 end
      for dr = 0, cell.row_span - 1 do
        at[r + dr] = at[r + dr] or {}
        for dc = 0, cell.col_span - 1 do at[r + dr][c + dc] = {cell = cell, r = r, c = c} end
      end
      c = c + cell.col_span
      if c - 1 > cols then cols = c - 1 end
    end
  end
  if cols == 0 then return '' end
  local width = math.floor(9000 / cols / level)
  local nest = level > 1 and 'nest' or ''
  local out = {}
  for r = 1, #rows do
    local def, cells = '\\trowd\\trgaph108\\trleft0\\itap' .. level .. (r <= heading and '\\trhdr' or ''), {}
    for c = 1, cols do
      local o = at[r][c]
      if o and (o.r ~= r or o.c ~= c) then
        if r > o.r then def = def .. '\\clvmrg' .. ((c == o.c and o.cell.col_span > 1) and '\\clmgf' or '') end
        if c > o.c then def = def .. '\\clmrg' .. ((r == o.r and o.cell.row_span > 1) and '\\clvmgf' or '') end
        cells[c] = '{\\' .. nest .. 'cell}'
      else
        if o and o.cell.row_span > 1 then def = def .. '\\clvmgf' end
        if o and o.cell.col_span > 1 then def = def .. '\\clmgf' end
        local content = o and rtf_of(o.cell.contents, level) or ''
        cells[c] = '{' .. (content == '' and ('\\pard\\intbl\\itap' .. level .. ' ') or content) .. '\\' .. nest .. 'cell}'
      end
      def = def .. '\\cellx' .. (c * width)
    end
    local body = '\\pard\\intbl\\itap' .. level .. '{' .. table.concat(cells) .. '}'
    if level == 1 then
      out[#out + 1] = '{' .. def .. body .. '\\pard\\intbl\\itap1\\row}'
    else
      out[#out + 1] = '{' .. body .. '{\\*\\nesttableprops' .. def .. '\\nestrow}{\\nonesttables\\par}}'
    end
  end
  return table.concat(out, '\n') .. '\n'
end
local function tables(blocks)
  local out, after_table = {}, false
  for _, b in ipairs(blocks) do
    if b.t == 'Table' then
      if after_table then out[#out + 1] = pandoc.RawBlock('rtf', '{\\pard\\par}\n') end
      out[#out + 1] = pandoc.RawBlock('rtf', table_rtf(b, 1))
    else
      if b.t == 'Div' or b.t == 'BlockQuote' then b.content = tables(b.content) end
      out[#out + 1] = b
    end
    after_table = b.t == 'Table'
  end
  return out
end
function Pandoc(doc)
  for _, b in ipairs(doc.blocks) do
    if b.t == 'RawBlock' and b.format == 'html' and b.text:match('^<table') then
      doc = pandoc.read(pandoc.write(doc, 'html'), 'html')
      break
    end
  end
  return pandoc.Pandoc(tables(doc.blocks), doc.meta)
end
)lua";
  return WritePrivateFile(fileName, text, sizeof text - 1);
}

constexpr char kRunPrefix[] = "run-";
// The hidden file beside the target that becomes the copy, and the run's
// record of it: a program killed before it is renamed leaves its name for
// the next start.
constexpr char kBesidePrefix[] = ".qy-export-";
constexpr char kBesideRecord[] = "beside";
constexpr char kBesideLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr size_t kBesideRandom = 6;

// Whether name is one the program gives a hidden copy, whole.
bool IsBesideName(const String& name) {
  const size_t prefix = sizeof kBesidePrefix - 1;
  return name.size() == prefix + kBesideRandom && name.rfind(kBesidePrefix, 0) == 0 &&
         name.find_first_not_of(kBesideLetters, prefix) == String::npos;
}

// The file's name as an absolute path: a name a program could take for an
// option or a URL is then a plain file's.
String AbsoluteName(const String& fileName) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(fileName, ec);
  return ec ? fileName : p.string();
}

bool ReachesBound(const struct stat& st, uint64_t bound) {
  return bound && static_cast<uint64_t>(st.st_size) >= bound;
}

// A private folder (0700) for one run, removed with all in it: the RTF that
// passes, the folder the program writes its result in, and the office
// suite's settings, so that a running copy of it is not disturbed and
// nothing of a run stays behind in the user's own settings. It lies in the
// runtime folder (memory-backed where the desktop gives one), never in the
// shared temporary folder: the entry passes through it as plain RTF, and a
// program killed part-way leaves it to the next start to remove.
class TWorkFolder {
public:
  TWorkFolder() {
    const String parent = ConversionFolder();
    if (parent.empty()) return;
    String name = parent + "/" + kRunPrefix + std::to_string(::getpid()) + "-XXXXXX";
    if (!mkdtemp(name.data())) return;
    FPath = name;
    if (::mkdir(ResultFolder().c_str(), 0700) != 0 || ::mkdir(TempFolder().c_str(), 0700) != 0) {
      std::error_code ec;
      std::filesystem::remove_all(FPath, ec);
      FPath.clear();
    }
  }
  ~TWorkFolder() {
    std::error_code ec;
    if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
  }
  TWorkFolder(const TWorkFolder&) = delete;
  TWorkFolder& operator=(const TWorkFolder&) = delete;
  const String& Path() const { return FPath; }
  bool Made() const { return !FPath.empty(); }
  String ResultFolder() const { return FPath + "/result"; }
  String TempFolder() const { return FPath + "/tmp"; }
  // The office suite's settings in the profile folder (%4): its own proxy
  // settings, which would otherwise follow the desktop's, point to a
  // closed port as the environment's do.
  bool MakeOfficeProfile() const {
    static const char kSettings[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\">\n"
        "<item oor:path=\"/org.openoffice.Inet/Settings\">"
        "<prop oor:name=\"ooInetProxyType\" oor:op=\"fuse\"><value>2</value></prop></item>\n"
        "<item oor:path=\"/org.openoffice.Inet/Settings\">"
        "<prop oor:name=\"ooInetHTTPProxyName\" oor:op=\"fuse\"><value>127.0.0.1</value></prop></item>\n"
        "<item oor:path=\"/org.openoffice.Inet/Settings\">"
        "<prop oor:name=\"ooInetHTTPProxyPort\" oor:op=\"fuse\"><value>9</value></prop></item>\n"
        "<item oor:path=\"/org.openoffice.Inet/Settings\">"
        "<prop oor:name=\"ooInetHTTPSProxyName\" oor:op=\"fuse\"><value>127.0.0.1</value></prop></item>\n"
        "<item oor:path=\"/org.openoffice.Inet/Settings\">"
        "<prop oor:name=\"ooInetHTTPSProxyPort\" oor:op=\"fuse\"><value>9</value></prop></item>\n"
        "<item oor:path=\"/org.openoffice.Inet/Settings\">"
        "<prop oor:name=\"ooInetNoProxy\" oor:op=\"fuse\"><value></value></prop></item>\n"
        "</oor:items>\n";
    if (::mkdir((FPath + "/profile").c_str(), 0700) != 0 || ::mkdir((FPath + "/profile/user").c_str(), 0700) != 0)
      return false;
    return WritePrivateFile(FPath + "/profile/user/registrymodifications.xcu", kSettings, sizeof kSettings - 1);
  }
  TRunNames Names(const String& foreign, const String& rtfName) const {
    return {foreign, FPath + "/" + rtfName, ResultFolder(), LocalFileUrl(FPath + "/profile"), FPath + "/page.lua"};
  }
  // The folder an export writes its result in (%1 is a file there).
  String CopyFolder() const { return FPath + "/copy"; }
  // Copies result to a hidden file beside target, named in the run's record
  // first, and renames it over target with the permissions target had.
  bool PlaceCopy(const String& result, const String& target, bool ownerOnly) const {
    String part;
    const int fd = OpenBeside(target, part);
    if (fd < 0) return false;
    // What the converter made is read only as a regular file.
    const int in = OpenRegularFile(result, O_RDONLY | O_CLOEXEC);
    bool ok = in >= 0;
    ok = ok && CopyDescriptor(in, fd, part);
    if (in >= 0) ::close(in);
    // The copy is as private as the file it replaces (or as any new file).
    const auto noted = [&part](bool done) {
      if (!done) TFileWriteWatch::Note(part, errno);
      return done;
    };
    ok = ok && noted(::fchmod(fd, ownerOnly ? 0600 : ReplacementMode(target)) == 0) && noted(::fsync(fd) == 0);
    ok = noted(::close(fd) == 0) && ok;
    ok = ok && noted(::rename(part.c_str(), target.c_str()) == 0);
    if (!ok) ::unlink(part.c_str());
    return ok;
  }

  // A new hidden file beside target, the owner's alone (0600), made
  // exclusively after its name is in the run's record: a start after a kill
  // removes it. Its descriptor, or -1.
  int OpenBeside(const String& target, String& part) const {
    // Recorded by its absolute name: the next start may run elsewhere.
    const String folder = AbsoluteName(ExtractFileDir(target).empty() ? String(".") : ExtractFileDir(target));
    static std::mt19937 random{std::random_device{}()};
    static std::mutex lock;
    const String record = FPath + "/" + kBesideRecord;
    for (int attempt = 0; attempt < 100; ++attempt) {
      part = folder + "/" + kBesidePrefix;
      {
        std::lock_guard<std::mutex> hold(lock);
        for (size_t i = 0; i < kBesideRandom; ++i) part += kBesideLetters[random() % (sizeof kBesideLetters - 1)];
      }
      ::unlink(record.c_str());
      if (!WritePrivateFile(record, part.data(), part.size())) return -1;
      const int fd = ::open(part.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd >= 0) return fd;
      if (const int err = errno; err != EEXIST) {
        TFileWriteWatch::Note(part, err);
        return -1;
      }
    }
    return -1;
  }

private:
  String FPath;
};

// The one file a program wrote in folder; empty when it wrote none, an
// empty one, or more than one.
String OnlyFileIn(const String& folder) {
  std::error_code ec;
  String found;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!found.empty() || !entry.is_regular_file(ec) || entry.file_size(ec) == 0) return String();
    found = entry.path().string();
  }
  return found;
}

constexpr char kLimitsSection[] = "Limits";
constexpr off_t kMaxDescriptionBytes = 1 << 20;

// Why the description file cannot be used, "" when it can (or there is
// none: a missing file is the usual case, not a fault). Opened without
// blocking, so that a named pipe in its place cannot hang the program.
String DescriptionProblem(const String& fileName) {
  if (fileName.empty()) return String();
  String why;
  const int fd = OpenRegularFile(fileName, O_RDONLY | O_CLOEXEC, 0, why);
  if (fd < 0) return errno == ENOENT ? String() : why;
  struct stat st {};
  String problem;
  std::string content;
  if (::fstat(fd, &st) != 0) problem = String("it cannot be examined (") + std::strerror(errno) + ")";
  else if (st.st_size > kMaxDescriptionBytes) problem = "it is larger than 1 MiB";
  else {
    content.resize(static_cast<size_t>(st.st_size));
    if (ReadUpTo(fd, content.data(), content.size()) != content.size()) problem = "it could not be read whole";
  }
  ::close(fd);
  if (!problem.empty()) return problem;
  if (content.find('\0') != std::string::npos) return "it holds NUL bytes: it is not a text file";
  // Every line is a [section], a name=value pair, a comment or blank.
  size_t start = 0;
  for (int line = 1; start < content.size(); ++line) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    const String text = Trim(content.substr(start, end - start));
    start = end + 1;
    if (text.empty() || text[0] == ';' || text[0] == '#') continue;
    if (text.front() == '[' && text.back() == ']') continue;
    const size_t eq = text.find('=');
    if (eq != String::npos && eq > 0) continue;
    return "line " + std::to_string(line) + " is neither a [section] nor a name=value line";
  }
  return String();
}

// Process-wide: a problem is told once in a run, however many converter
// objects read the file.
bool FirstTelling(const String& key) {
  static std::mutex lock;
  static std::set<String> told;
  std::lock_guard<std::mutex> hold(lock);
  return told.insert(key).second;
}

// A process that has ended but is not yet reaped (a zombie) runs no more.
bool ProcessRunning(pid_t pid) {
  if (pid <= 0 || (::kill(pid, 0) != 0 && errno != EPERM)) return false;
  char buf[512];
  const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return true;
  const ssize_t n = ::read(fd, buf, sizeof buf - 1);
  ::close(fd);
  if (n <= 0) return true;
  // "pid (name) S ...": the name may hold anything, the state follows its last ')'.
  const std::string stat(buf, static_cast<size_t>(n));
  const size_t close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return true;
  const char state = stat[close + 2];
  return state != 'Z' && state != 'X';
}

// "run-<pid>-XXXXXX" -> pid, 0 when the name is not a run folder's.
pid_t RunFolderPid(const String& name, const char* prefix) {
  if (name.rfind(prefix, 0) != 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(name.c_str() + std::strlen(prefix), &end, 10);
  return end && *end == '-' && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

// Removes name in the folder open as dir when it is a regular file of the
// user's (not a link to one).
void RemoveOwnFileIn(int dir, const String& name) {
  struct stat st {};
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
    ::unlinkat(dir, name.c_str(), 0);
}

// The hidden copy a killed run had begun beside its target, named in the
// run's record: only a file whose whole name is one the program gives such a
// copy, in the folder the record names. A record that is no regular file (a
// FIFO would hold the start for ever) is no record.
void RemoveRecordedCopy(const String& record) {
  char name[4096];
  const int fd = OpenRegularFile(record, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  const ssize_t n = ::read(fd, name, sizeof name);
  ::close(fd);
  if (n <= 0 || n == static_cast<ssize_t>(sizeof name)) return;
  const String part(name, static_cast<size_t>(n));
  if (part[0] != '/' || part.find('\0') != String::npos) return;
  const String own = ExtractFileName(part);
  if (!IsBesideName(own)) return;
  const int dir = ::open(ExtractFileDir(part).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  RemoveOwnFileIn(dir, own);
  // A writer that replaces the file whole was writing its own hidden
  // temporary of it (".<name>.<10 hexadecimal digits>.tmp").
  const String temporary = "." + own + ".";
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(ExtractFileDir(part), ec)) {
    const String entry = e.path().filename().string();
    if (entry.size() != temporary.size() + 14 || entry.rfind(temporary, 0) != 0 || !entry.ends_with(".tmp")) continue;
    if (entry.find_first_not_of("0123456789ABCDEFabcdef", temporary.size()) == temporary.size() + 10)
      RemoveOwnFileIn(dir, entry);
  }
  ::close(dir);
}

}  // namespace

struct TCopyBeside::TImpl {
  TWorkFolder Work;
  String Target;
  String Part;
  bool OwnerOnly = false;
};

TCopyBeside::TCopyBeside(const String& target, bool ownerOnly) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Target = target;
  FImpl->OwnerOnly = ownerOnly;
  if (!FImpl->Work.Made()) return;
  const int fd = FImpl->Work.OpenBeside(target, FImpl->Part);
  if (fd < 0) FImpl->Part.clear();
  else ::close(fd);
}

TCopyBeside::~TCopyBeside() {
  if (!FImpl->Part.empty()) ::unlink(FImpl->Part.c_str());
}

const String& TCopyBeside::Name() const { return FImpl->Part; }

bool TCopyBeside::Place() {
  if (FImpl->Part.empty()) return false;
  // A writer may have put a new file in its place: whatever is there now.
  const int fd = OpenRegularFile(FImpl->Part, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
  ok = ok && ::fchmod(fd, FImpl->OwnerOnly ? 0600 : ReplacementMode(FImpl->Target)) == 0 && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(FImpl->Part.c_str(), FImpl->Target.c_str()) == 0;
  if (ok) FImpl->Part.clear();
  return ok;
}

String ConversionFolder() {
  const String runtime = GetRuntimeFolder();
  if (runtime.empty()) return String();
  const String folder = runtime + "/conversions";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return String();
  return IsPrivateFolder(folder) ? folder : String();
}

int RemoveConversionLeftovers() {
  int removed = 0;
  std::error_code ec;
  const String folder = ConversionFolder();
  if (!folder.empty()) {
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
      std::error_code fec;
      const pid_t pid = RunFolderPid(e.path().filename().string(), kRunPrefix);
      if (!pid || e.is_symlink(fec) || !e.is_directory(fec)) continue;
      // A running program's conversion is its own; ours has none at start.
      if (pid != ::getpid() && ProcessRunning(pid)) continue;
      RemoveRecordedCopy(e.path().string() + "/" + kBesideRecord);
      if (std::filesystem::remove_all(e.path(), fec) > 0) ++removed;
    }
  }
  // Earlier versions converted in the shared temporary folder; what a
  // killed run left there holds an entry in plain text. Those names tell no
  // program: one an earlier version still runs is younger than its time
  // limit.
  const time_t now = ::time(nullptr);
  for (const auto& e : std::filesystem::directory_iterator(GetTempFolder(), ec)) {
    std::error_code fec;
    const String name = e.path().filename().string();
    struct stat st {};
    if (name.rfind("qy-convert-", 0) != 0 || ::lstat(e.path().c_str(), &st) != 0) continue;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || now - st.st_mtime < 300) continue;
    if (std::filesystem::remove_all(e.path(), fec) > 0) ++removed;
  }
  return removed;
}

String VLFileHead(const String& fileName, size_t count) {
  // Only a regular file: a named pipe would hold the program here.
  const int fd = OpenRegularFile(fileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return String();
  String head(count, '\0');
  head.resize(ReadUpTo(fd, head.data(), count));
  ::close(fd);
  return head;
}

bool TVLOfficeCnvList::ContentFits(const String& fileName, Integer index) const {
  if (index < 0 || index >= Count()) return true;
  static const struct {
    const char* Extension;
    std::vector<String> Marks;
  } marks[] = {
      {"docx", {"PK"}}, {"odt", {"PK"}}, {"epub", {"PK"}},
      // Word saves RTF under its own extension too.
      {"doc", {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", "{\\rtf"}},
      {"wpd", {"\xFFWPC"}},
  };
  const String head = VLFileHead(fileName, 8);
  const String& masks = GetItem(index)->Filter;
  if (masks.empty() || GetItem(index)->Described) return true;
  size_t pos = 0;
  while (pos < masks.size()) {
    size_t end = masks.find(';', pos);
    if (end == String::npos) end = masks.size();
    String ext = masks.substr(pos, end - pos);
    pos = end + 1;
    if (ext.rfind("*.", 0) == 0) ext.erase(0, 2);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto known = std::find_if(std::begin(marks), std::end(marks), [&](const auto& m) { return ext == m.Extension; });
    // A format without a mark of its own may hold anything.
    if (known == std::end(marks)) return true;
    for (const String& mark : known->Marks)
      if (head.compare(0, mark.size(), mark) == 0) return true;
  }
  return false;
}

String ExtensionsToMasks(const String& extensions) {
  String result;
  size_t pos = 0;
  while (true) {
    const size_t sp = extensions.find(' ', pos);
    const String piece = extensions.substr(pos, sp == String::npos ? String::npos : sp - pos);
    if (!result.empty() || pos > 0) result += ';';
    result += "*." + piece;
    if (sp == String::npos) break;
    pos = sp + 1;
  }
  return result;
}

String FindOfficeSuite() {
  for (const char* name : {"soffice", "libreoffice"}) {
    const String found = FindProgramInPath(name);
    if (found.empty()) continue;
    // The word processor's library lies beside the real program.
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(found, ec);
    if (!ec && std::filesystem::is_regular_file(real.parent_path() / "libswlo.so", ec)) return found;
  }
  return String();
}

// ---------------------------------------------------------------------------

TVLOfficeCnvList::TVLOfficeCnvList(const String& descriptionFile, bool import, bool excludeHTML,
                                   TVLOfficeConverter* owner)
    : FOwner(owner), FImport(import) {
  try {
    LoadFromFile(descriptionFile, excludeHTML);
  } catch (...) {
  }
}

void TVLOfficeCnvList::LoadFromFile(const String& descriptionFile, bool excludeHTML) {
  FItems.clear();
  Problem = DescriptionProblem(descriptionFile);
  struct stat st {};
  if (!Problem.empty() || descriptionFile.empty() || stat(descriptionFile.c_str(), &st) != 0) return;
  TIniFile ini(descriptionFile);
  TStringList sections;
  ini.ReadSections(sections);
  for (Integer i = 0; i < sections.Count(); ++i) {
    const String section = sections.Get(i);
    if (SameText(section, kLimitsSection)) continue;
    auto info = std::make_unique<TVLOfficeConverterInfo>();
    info->Name = section;
    info->ImportCommand = SplitCommand(ini.ReadString(section, "Import", ""));
    info->ExportCommand = SplitCommand(ini.ReadString(section, "Export", ""));
    const String extensions = ini.ReadString(section, "Extensions", "");
    const auto& command = FImport ? info->ImportCommand : info->ExportCommand;
    if (extensions.empty() || command.empty()) continue;
    // The HTML converter may be left out (the program reads HTML itself).
    info->HTML = IsHTMLExtensions(extensions);
    if (excludeHTML && info->HTML) continue;
    info->Filter = ExtensionsToMasks(extensions);
    info->Described = true;
    FItems.push_back(std::move(info));
  }
}

void TVLOfficeCnvList::AddInstalled(bool excludeHTML) {
  const auto named = [this](const String& name) {
    return std::find_if(FItems.begin(), FItems.end(), [&](const auto& i) { return i->Name == name; });
  };
  // The office suite's first: what both programs read and write, it keeps
  // more of (list numbering on import).
  std::vector<String> office;
  const String soffice = FindOfficeSuite();
  if (!soffice.empty()) {
    for (const TInstalledFormat& f : kOfficeFormats) {
      if (!FImport && !f.Writer) continue;
      if (named(f.Name) != FItems.end()) continue;
      auto info = std::make_unique<TVLOfficeConverterInfo>();
      info->Name = f.Name;
      info->Filter = ExtensionsToMasks(f.Extensions);
      const std::vector<String> run = {soffice, "-env:UserInstallation=%4", "--headless", "--convert-to"};
      info->ImportCommand = run;
      info->ImportCommand.insert(info->ImportCommand.end(), {"rtf", "--outdir", "%3", "%1"});
      if (f.Writer) {
        info->ExportCommand = run;
        info->ExportCommand.insert(info->ExportCommand.end(), {f.Writer, "--outdir", "%3", "%2"});
      }
      info->OfficeSuite = true;
      info->OpenDocument = String(f.Extensions) == "odt";
      office.push_back(f.Name);
      FItems.push_back(std::move(info));
    }
  }
  const String pandoc = FindProgramInPath("pandoc");
  if (pandoc.empty()) return;
  for (const TInstalledFormat& f : kPandocFormats) {
    const bool html = IsHTMLExtensions(f.Extensions);
    if (excludeHTML && html) continue;
    String name = f.Name;
    auto at = FItems.end();
    // Still there when the office suite has the format, under its own name
    // right after the office suite's.
    if (std::find(office.begin(), office.end(), name) != office.end()) {
      at = std::next(named(name));
      name += kPandocSuffix;
    }
    if (named(name) != FItems.end()) continue;
    auto info = std::make_unique<TVLOfficeConverterInfo>();
    info->Name = name;
    info->HTML = html;
    info->KeepsPictures = f.Pictures;
    info->Filter = ExtensionsToMasks(f.Extensions);
    // The sandbox keeps a foreign document from pulling in other files or
    // anything from the network while it is read. Our own RTF needs none,
    // and the writers of packaged formats need the converter's data files.
    info->ImportCommand = {pandoc, "--sandbox", String("--from=") + f.Reader, "--to=rtf", "--standalone", "%1"};
    // Tables nested in the cells of Word, OpenDocument, EPUB and Markdown
    // files come in nested, merged cells merged (the RTF writer flattens
    // them).
    if (const String reader = f.Reader; reader == "markdown" || reader == "docx" || reader == "odt" || reader == "epub")
      info->ImportCommand.insert(info->ImportCommand.begin() + 3, "--lua-filter=%5");
    // Its OpenDocument reader leaves out tables nested in a table's cells.
    info->OpenDocument = info->LeavesOutNestedTables = String(f.Reader) == "odt";
    info->ExportCommand = {pandoc, "--from=rtf", String("--to=") + f.Writer, "--standalone", "--output=%1", "%2"};
    // Its RTF reader drops list numbering; lists, their nesting and their
    // numbering styles come through from our web page. Our paragraphs'
    // DIV and SPAN elements are markup, not content (a Markdown file would
    // keep them: the filter %5 unwraps the spans); packaged formats are whole documents without
    // --standalone, and a Markdown file then starts without a title block.
    info->ExportHTMLCommand = {pandoc, "--from=html-native_divs+empty_paragraphs", "--lua-filter=%5",
                               String("--to=") + f.Writer, "--output=%1", "%2"};
    FItems.insert(at, std::move(info));
  }
}

String TVLOfficeCnvList::GetFilter(bool showExtensions) const {
  String result;
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (i) result += '|';
    const auto& c = *FItems[i];
    result += showExtensions ? c.Name + " (" + c.Filter + ")|" + c.Filter : c.Name + "|" + c.Filter;
  }
  return result;
}

void TVLOfficeCnvList::ImportRTF(const String& fileName, Integer index, TMemoryStream& stream) {
  stream.Clear();
  FOwner->ReadBy = index;
  FOwner->WordsInFile = FOwner->WordsNotRead = 0;
  FOwner->NestedTablesLeftOut = false;
  if (index < 0 || index >= Count() || GetItem(index)->ImportCommand.empty()) {
    FOwner->ErrorCode = 2;
    Abort();
  }
  TVLFileText held;
  const bool checked = GetItem(index)->OpenDocument && VLOpenDocumentText(fileName, held);
  // Nested tables the reader would leave out come in through the office
  // suite's converter of the format, where there is one.
  if (checked && held.NestedTables && GetItem(index)->LeavesOutNestedTables) {
    for (Integer i = 0; i < Count(); ++i) {
      const TVLOfficeConverterInfo* whole = GetItem(i);
      if (whole->OfficeSuite && whole->Filter == GetItem(index)->Filter && !whole->ImportCommand.empty()) {
        FOwner->ReadBy = index = i;
        break;
      }
    }
  }
  const auto& command = GetItem(index)->ImportCommand;
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 0);
  Integer code = 4;
  const TWorkFolder work;
  const auto filterMade = [&command](const String& name) { return !Mentions(command, "%5") || WriteReadFilter(name); };
  if (work.Made() && (!Mentions(command, "%4") || work.MakeOfficeProfile()) &&
      filterMade(work.Names(String(), String()).Filter)) {
    const TRunNames names = work.Names(AbsoluteName(fileName), "import.rtf");
    // The RTF comes in the file %2, as the one file in the folder %3, or on
    // standard output (kept in a file of the run, bounded as the others).
    const bool inFile = Mentions(command, "%2"), inFolder = !inFile && Mentions(command, "%3");
    const String output = work.Path() + "/stdout";
    code = RunProgram(Substitute(command, names), output, *FOwner, work.Path(), work.TempFolder());
    const String rtf = inFile ? names.Rtf : inFolder ? OnlyFileIn(names.Result) : output;
    struct stat st {};
    const bool made = !rtf.empty() && ::stat(rtf.c_str(), &st) == 0;
    // A file at the bound was cut there (a program that writes it through a
    // helper of its own fails in its own way then); past it is not read.
    if (made && ReachesBound(st, FOwner->OutputLimit)) code = 6;
    if (code == 0 && made && st.st_size > 0) {
      try {
        stream.LoadFromFile(rtf);
      } catch (...) {
        code = 4;
      }
    }
  }
  // A converter that ends well but hands over nothing has failed too.
  if (code == 0 && stream.GetSize() == 0) code = 5;
  FOwner->ErrorCode = code;
  if (code != 0) {
    stream.Clear();
    Abort();
  }
  stream.SetPosition(0);
  if (checked) {
    FOwner->WordsInFile = held.Words.size();
    FOwner->WordsNotRead = VLWordsMissing(held.Words, VLRTFWords(stream));
    FOwner->NestedTablesLeftOut = held.NestedTables && GetItem(index)->LeavesOutNestedTables;
  }
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 100);
}

void TVLOfficeCnvList::ExportRTF(const String& fileName, Integer index, TMemoryStream& stream) {
  const Int64 start = stream.GetPosition();
  const Int64 total = stream.GetSize() - start;
  // Nothing to write is a failure, not a file silently not written.
  if (total <= 0) {
    FOwner->ErrorCode = 4;
    Abort();
  }
  if (index < 0 || index >= Count() || GetItem(index)->ExportCommand.empty()) {
    FOwner->ErrorCode = 2;
    Abort();
  }
  Export(fileName, GetItem(index)->ExportCommand, "entry.rtf", [&](const String& input) {
    return WritePrivateFile(input, stream.Memory() + start, static_cast<size_t>(total));
  });
}

void TVLOfficeCnvList::ExportHTML(const String& fileName, Integer index,
                                  const std::function<bool(const String&)>& writePage) {
  if (index < 0 || index >= Count() || GetItem(index)->ExportHTMLCommand.empty()) {
    FOwner->ErrorCode = 2;
    Abort();
  }
  Export(
      fileName, GetItem(index)->ExportHTMLCommand, "entry.html",
      [&](const String& input) {
        struct stat st {};
        return writePage && writePage(input) && ::stat(input.c_str(), &st) == 0 && st.st_size > 0;
      },
      GetItem(index)->KeepsPictures);
}

namespace {

bool WritesBook(const std::vector<String>& command) {
  return std::any_of(command.begin(), command.end(), [](const String& a) { return a.rfind("--to=epub", 0) == 0; });
}

// The document converter starts a book's chapter that has no heading of its
// own with one holding the book's title: the title is the book's, on its
// title page and in its contents; the chapter holds the entry alone. (The
// book stays as written where it cannot be read.)
void DropAddedChapterHeading(const String& book) {
  VLEditZipEntry(book, "EPUB/text/ch001.xhtml", [](std::string& page) {
    const size_t at = page.find("<h1 class=\"unnumbered\">");
    const size_t end = at == std::string::npos ? at : page.find("</h1>", at);
    if (end == std::string::npos) return false;
    const size_t after = end + 5 < page.size() && page[end + 5] == '\n' ? end + 6 : end + 5;
    page.erase(at, after - at);
    return true;
  });
}

}  // namespace

void TVLOfficeCnvList::Export(const String& fileName, const std::vector<String>& command, const String& inputName,
                              const std::function<bool(const String&)>& writeInput, bool withPictures) {
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 0);
  const TWorkFolder work;
  // Through a symbolic link the file it leads to is replaced, not the link.
  const String target = SaveTargetOf(AbsoluteName(fileName));
  // The converter writes in the run's folder (%1 there, or the one file in
  // %3): a program killed meanwhile leaves nothing in the user's folder.
  // Only a whole result goes beside the target, hidden, to replace it.
  const bool ready = work.Made() && (!Mentions(command, "%4") || work.MakeOfficeProfile()) &&
                     ::mkdir(work.CopyFolder().c_str(), 0700) == 0;
  const TRunNames names = ready ? work.Names(work.CopyFolder() + "/" + ExtractFileName(target), inputName)
                                : TRunNames{};
  Integer code = ready ? 0 : 4;
  if (code == 0 && Mentions(command, "%5") &&
      !WritePageFilter(names.Filter, ExtractFileName(target), FOwner->Title, withPictures))
    code = 4;
  if (code == 0 && !writeInput(names.Rtf)) code = 4;
  if (code == 0) code = RunProgram(Substitute(command, names), String(), *FOwner, work.Path(), work.TempFolder());
  const String result = !ready ? String() : Mentions(command, "%1") ? names.Foreign : OnlyFileIn(names.Result);
  struct stat st {};
  const bool made = !result.empty() && ::stat(result.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  // A program stopped at the output bound may fail in its own way.
  if (made && code != 3 && code != 7 && code != 8 && ReachesBound(st, FOwner->OutputLimit)) code = 6;
  if (code == 0 && (!made || st.st_size == 0)) code = 5;
  if (code == 0 && WritesBook(command)) DropAddedChapterHeading(result);
  if (code == 0 && !work.PlaceCopy(result, target, FOwner->OwnerOnlyCopies)) code = 4;
  FOwner->ErrorCode = code;
  if (code != 0) Abort();
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 100);
}

// ---------------------------------------------------------------------------

TVLOfficeConverter::TVLOfficeConverter(TComponent* owner) : TComponent(owner) {
  DescriptionFile = GetConfigFolder() + "/quillory/converters.ini";
}

TVLOfficeConverter::~TVLOfficeConverter() = default;

void TVLOfficeConverter::ReadLimits() {
  if (FLimitsRead) return;
  FLimitsRead = true;
  if (DescriptionFile.empty() || !DescriptionProblem(DescriptionFile).empty()) return;
  struct stat st {};
  if (::stat(DescriptionFile.c_str(), &st) != 0) return;
  TIniFile ini(DescriptionFile);
  // Values out of reason keep the defaults: a limit of 0 would stop every
  // converter at once.
  const Integer memory = ini.ReadInteger(kLimitsSection, "Memory", 0);
  if (memory >= 64 && memory <= 1 << 20) MemoryLimit = static_cast<uint64_t>(memory) << 20;
  const Integer output = ini.ReadInteger(kLimitsSection, "Output", 0);
  if (output >= 1 && output <= 1 << 20) OutputLimit = static_cast<uint64_t>(output) << 20;
  const Integer time = ini.ReadInteger(kLimitsSection, "Time", 0);
  if (time >= 1 && time <= 24 * 3600) TimeLimitMs = time * 1000;
}

String TVLOfficeConverter::TakeDescriptionProblem() {
  for (TVLOfficeCnvList* list : {FImport.get(), FExport.get()}) {
    if (!list || list->Problem.empty()) continue;
    if (!FirstTelling(DescriptionFile + "\n" + list->Problem)) return String();
    return "The converter description file " + DescriptionFile + " was ignored: " + list->Problem + ".";
  }
  return String();
}

namespace {
// "90 seconds", "30 minutes", "1 minute".
String LimitText(Integer seconds) {
  if (seconds < 60 || seconds % 60 != 0) return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
  const Integer minutes = seconds / 60;
  return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}
}  // namespace

String TVLOfficeConverter::ErrorText() const {
  const auto mib = [](uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; };
  switch (ErrorCode) {
    case 0:
    case 8: return String();
    case 1: return "The converter program could not be started.";
    case 2: return "The converter cannot convert in this direction.";
    case 3:
      return "The converter did not finish within " + LimitText(TimeLimitMs / 1000) +
             " and was stopped (time limit: Time in the [Limits] section of converters.ini).";
    case 5: return "The converter finished without writing a document.";
    case 6:
      return "The converter's output grew past " + mib(OutputLimit) +
             " and was refused (output limit: Output in the [Limits] section of converters.ini).";
    case 7:
      return "The converter ran out of memory at its limit of " + mib(MemoryLimit) +
             " (memory limit: Memory in the [Limits] section of converters.ini).";
    case 4: return "The conversion failed: the converter stopped, or a file could not be written.";
    default: return "The converter failed (exit status " + std::to_string(ErrorCode > 100 && ErrorCode < 104 ? ErrorCode - 100 : ErrorCode) + ").";
  }
}

String TVLOfficeConverter::NotReadText() {
  TVLOfficeCnvList& list = GetImportConverters();
  if (WordsNotRead == 0 || ReadBy < 0 || ReadBy >= list.Count()) return String();
  String text = "The text was inserted, but " + std::to_string(WordsNotRead) + " of the " +
                std::to_string(WordsInFile) + " words the file holds could not be read by the converter \"" +
                list.GetItem(ReadBy)->Name + "\"";
  if (NestedTablesLeftOut)
    text += ": it leaves out the tables that stand in another table's cells (LibreOffice's converter reads them, "
            "where it is installed)";
  return text + ".";
}

TVLOfficeCnvList& TVLOfficeConverter::GetImportConverters() {
  ReadLimits();
  if (!FImport) {
    FImport = std::make_unique<TVLOfficeCnvList>(DescriptionFile, true, ExcludeHTMLImportConverter, this);
    if (UseInstalledConverters) FImport->AddInstalled(ExcludeHTMLImportConverter);
  }
  return *FImport;
}

TVLOfficeCnvList& TVLOfficeConverter::GetExportConverters() {
  ReadLimits();
  if (!FExport) {
    FExport = std::make_unique<TVLOfficeCnvList>(DescriptionFile, false, ExcludeHTMLExportConverter, this);
    if (UseInstalledConverters) FExport->AddInstalled(ExcludeHTMLExportConverter);
  }
  return *FExport;
}

String TVLOfficeConverter::GetImportFilter() { return GetImportConverters().GetFilter(ExtensionsInFilter); }
String TVLOfficeConverter::GetExportFilter() { return GetExportConverters().GetFilter(ExtensionsInFilter); }

bool TVLOfficeConverter::ImportRTF(const String& fileName, Integer index) {
  ErrorCode = 0;
  try {
    GetImportConverters().ImportRTF(fileName, index, Stream);
    return true;
  } catch (...) {
    return false;
  }
}

bool TVLOfficeConverter::ExportRTF(const String& fileName, Integer index) {
  ErrorCode = 0;
  try {
    GetExportConverters().ExportRTF(fileName, index, Stream);
    return true;
  } catch (...) {
    return false;
  }
}

bool TVLOfficeConverter::ExportVL(const String& fileName, const std::function<bool(TStream&)>& writer, Integer index,
                                  const std::function<bool(const String&)>& pageWriter) {
  ErrorCode = 0;
  Stream.Clear();
  TVLOfficeCnvList& list = GetExportConverters();
  if (pageWriter && index >= 0 && index < list.Count() && !list.GetItem(index)->ExportHTMLCommand.empty()) {
    try {
      list.ExportHTML(fileName, index, pageWriter);
      return true;
    } catch (...) {
      return false;
    }
  }
  bool result = false;
  if (writer && writer(Stream)) {
    Stream.SetPosition(0);
    result = ExportRTF(fileName, index);
  }
  Stream.Clear();
  return result;
}
