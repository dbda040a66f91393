#include "richtext/rtf/VLOfficeCnv.h"

#include "platform/base/IniFiles.h"
#include "platform/base/Strings.h"
#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

// Runs the program without a shell; its standard output goes to out (when
// given), its temporary files to tempFolder. Answers 0, 1 (not started), 3
// (time limit) or the exit status.
Integer RunProgram(const std::vector<String>& args, TMemoryStream* out, Integer timeLimitMs,
                   const String& tempFolder) {
  if (args.empty()) return 1;
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
  std::vector<char*> envp;
  for (String& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  int pipeFd[2];
  if (pipe2(pipeFd, O_CLOEXEC) != 0) return 1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // Whatever a program leaves in the folder it runs in (the office suite's
  // key database files when its profile cannot be used) goes with the run.
  posix_spawn_file_actions_addchdir_np(&actions, tempFolder.c_str());
  std::vector<char*> argv;
  for (const String& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // A group of its own, so that a program that hands the work to a child
  // process (the office suite does) is stopped with all of it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFd[1]);
  if (spawned != 0) {
    close(pipeFd[0]);
    return 1;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
  bool timedOut = false;
  char buffer[65536];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd pfd{pipeFd[0], POLLIN, 0};
    const int ready = poll(&pfd, 1, static_cast<int>(std::min<long long>(left, 1000)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    const ssize_t n = read(pipeFd[0], buffer, sizeof buffer);
    if (n <= 0) break;
    if (out) out->Write(buffer, n);
  }
  close(pipeFd[0]);
  if (timedOut) kill(-pid, SIGKILL);
  int status = 0;
  // The program may still run after closing its output.
  while (!timedOut) {
    const pid_t w = waitpid(pid, &status, WNOHANG);
    if (w == pid) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      kill(-pid, SIGKILL);
      break;
    }
    usleep(2000);
  }
  if (timedOut) {
    waitpid(pid, &status, 0);
    return 3;
  }
  if (WIFEXITED(status)) {
    const int code = WEXITSTATUS(status);
    // 127: the program does not exist (spawnp reports it from the child).
    return code == 127 ? 1 : code == 0 ? 0 : (code == 1 || code == 2 || code == 3 ? 100 + code : code);
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
};
constexpr TInstalledFormat kPandocFormats[] = {
    {"Word Document", "docx", "docx", "docx"},
    {"OpenDocument Text", "odt", "odt", "odt"},
    {"EPUB Book", "epub", "epub", "epub"},
    {"Markdown", "md markdown", "markdown", "markdown"},
    {"Web Page", "html htm", "html", "html5"},
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
// same format first: it keeps list numbering, which the other drops.
constexpr const char* kPandocSuffix = " via pandoc";

// A file that stays hidden beside target until it is whole.
String TempBeside(const String& target) {
  const size_t slash = target.rfind('/');
  const String folder = slash == String::npos ? String(".") : target.substr(0, slash);
  String name = folder + "/.qy-export-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) return String();
  close(fd);
  return name;
}

// A private folder (0700) for one run, removed with all in it: the RTF that
// passes, the folder the program writes its result in, and the office
// suite's settings, so that a running copy of it is not disturbed and
// nothing of a run stays behind in the user's own settings.
class TWorkFolder {
public:
  TWorkFolder() {
    String name = GetTempFolder() + "/qy-convert-XXXXXX";
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
    try {
      TFileStream out(FPath + "/profile/user/registrymodifications.xcu", fmCreate);
      out.Write(kSettings, sizeof kSettings - 1);
      return true;
    } catch (...) {
      return false;
    }
  }
  TRunNames Names(const String& foreign, const String& rtfName) const {
    return {foreign, FPath + "/" + rtfName, ResultFolder(), LocalFileUrl(FPath + "/profile")};
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

// The file's name as an absolute path: a name a program could take for an
// option or a URL is then a plain file's.
String AbsoluteName(const String& fileName) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(fileName, ec);
  return ec ? fileName : p.string();
}

}  // namespace

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
  struct stat st {};
  if (descriptionFile.empty() || stat(descriptionFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  TIniFile ini(descriptionFile);
  TStringList sections;
  ini.ReadSections(sections);
  for (Integer i = 0; i < sections.Count(); ++i) {
    const String section = sections.Get(i);
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
    FItems.push_back(std::move(info));
  }
}

void TVLOfficeCnvList::AddInstalled(bool excludeHTML) {
  const auto named = [this](const String& name) {
    return std::find_if(FItems.begin(), FItems.end(), [&](const auto& i) { return i->Name == name; });
  };
  // The office suite's first: what both programs read and write, it keeps
  // more of (list numbering).
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
    info->Filter = ExtensionsToMasks(f.Extensions);
    // The sandbox keeps a foreign document from pulling in other files or
    // anything from the network while it is read. Our own RTF needs none,
    // and the writers of packaged formats need the converter's data files.
    info->ImportCommand = {pandoc, "--sandbox", String("--from=") + f.Reader, "--to=rtf", "--standalone", "%1"};
    info->ExportCommand = {pandoc, "--from=rtf", String("--to=") + f.Writer, "--standalone", "--output=%1", "%2"};
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
  if (index < 0 || index >= Count() || GetItem(index)->ImportCommand.empty()) {
    FOwner->ErrorCode = 2;
    Abort();
  }
  const auto& command = GetItem(index)->ImportCommand;
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 0);
  Integer code = 4;
  const TWorkFolder work;
  if (work.Made() && (!Mentions(command, "%4") || work.MakeOfficeProfile())) {
    const TRunNames names = work.Names(AbsoluteName(fileName), "import.rtf");
    // The RTF comes in the file %2, as the one file in the folder %3, or on
    // standard output.
    const bool inFile = Mentions(command, "%2"), inFolder = !inFile && Mentions(command, "%3");
    code = RunProgram(Substitute(command, names), inFile || inFolder ? nullptr : &stream, FOwner->TimeLimitMs,
                      work.TempFolder());
    const String rtf = inFile ? names.Rtf : inFolder ? OnlyFileIn(names.Result) : String();
    struct stat st {};
    if (code == 0 && !rtf.empty() && ::stat(rtf.c_str(), &st) == 0 && st.st_size > 0) {
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
  const auto& command = GetItem(index)->ExportCommand;
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 0);
  const TWorkFolder work;
  // The converter's result is a hidden file beside the target (written as
  // %1, or copied there from the folder %3), which replaces the target only
  // when it is whole: a failed export changes nothing.
  const bool ready = work.Made() && (!Mentions(command, "%4") || work.MakeOfficeProfile());
  const String part = ready ? TempBeside(AbsoluteName(fileName)) : String();
  const TRunNames names = ready ? work.Names(part, "entry.rtf") : TRunNames{};
  Integer code = part.empty() ? 4 : 0;
  if (code == 0) {
    try {
      TFileStream out(names.Rtf, fmCreate);
      out.CopyFrom(stream, total);
    } catch (...) {
      code = 4;
    }
  }
  if (code == 0) code = RunProgram(Substitute(command, names), nullptr, FOwner->TimeLimitMs, work.TempFolder());
  if (code == 0 && !Mentions(command, "%1")) {
    const String result = OnlyFileIn(names.Result);
    std::error_code ec;
    if (result.empty()) code = 5;
    else if (!std::filesystem::copy_file(result, part, std::filesystem::copy_options::overwrite_existing, ec)) code = 4;
  }
  if (code == 0) {
    struct stat st {};
    if (::stat(part.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) code = 5;
    else if (::rename(part.c_str(), fileName.c_str()) != 0) code = 4;
    else {
      // The hidden file was the user's alone; the copy is made as any file.
      const mode_t mask = ::umask(0);
      ::umask(mask);
      ::chmod(fileName.c_str(), 0666 & ~mask);
    }
  }
  if (code != 0 && !part.empty()) unlink(part.c_str());
  FOwner->ErrorCode = code;
  if (code != 0) Abort();
  if (FOwner->OnConverting) FOwner->OnConverting(FOwner, 100);
}

// ---------------------------------------------------------------------------

TVLOfficeConverter::TVLOfficeConverter(TComponent* owner) : TComponent(owner) {
  DescriptionFile = GetConfigFolder() + "/quillory/converters.ini";
}

TVLOfficeConverter::~TVLOfficeConverter() = default;

TVLOfficeCnvList& TVLOfficeConverter::GetImportConverters() {
  if (!FImport) {
    FImport = std::make_unique<TVLOfficeCnvList>(DescriptionFile, true, ExcludeHTMLImportConverter, this);
    if (UseInstalledConverters) FImport->AddInstalled(ExcludeHTMLImportConverter);
  }
  return *FImport;
}

TVLOfficeCnvList& TVLOfficeConverter::GetExportConverters() {
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

bool TVLOfficeConverter::ExportVL(const String& fileName, const std::function<bool(TStream&)>& writer, Integer index) {
  ErrorCode = 0;
  Stream.Clear();
  bool result = false;
  if (writer && writer(Stream)) {
    Stream.SetPosition(0);
    result = ExportRTF(fileName, index);
  }
  Stream.Clear();
  return result;
}
