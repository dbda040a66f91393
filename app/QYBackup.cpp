#include "app/QYBackup.h"

#include "app/QYAutoSave.h"
#include "app/QYDatabase.h"
#include "app/QYEntryStore.h"
#include "app/QYErrorDisplay.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"
#include "app/QYSettingsPaths.h"
#include "app/QYStartup.h"

#include "platform/base/CoreDumps.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/db/DBBackup.h"
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/os/Removable.h"
#include "platform/os/SysPaths.h"
#include "richtext/model/VLStyleIni.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

const char* const BackupListName = "QYBackup.lst";

TRestoreFileOps& RestoreFileOps() {
  static TRestoreFileOps ops;
  return ops;
}

namespace {

// The hidden folder a backup is written into before it takes its place.
const char* const kBackupStaging = ".quillory-backup";
// The alias under which copies are checked.
const char* const kCheckAlias = "QuilloryCopyCheck";
// What the database folder must hold for a copy to be a database.
const char* const kRequired[] = {JournalFileName, ProfileFileName};
// The program's other files of the database folder. A backup holds these
// and the database files, nothing else: a restore never brings in a file
// the program did not write, whatever a backup's list names.
const char* const kKnownOthers[] = {"QYStyle.ini", "ToolBar.cfg"};

bool IsBackedUpFile(const String& name) {
  for (const char* known : kRequired)
    if (name == known) return true;
  for (const char* known : kKnownOthers)
    if (name == known) return true;
  return false;
}

struct TListedFile {
  String Name;
  Int64 Size = 0;
  String Digest;
};

bool IsHidden(const String& name) { return !name.empty() && name[0] == '.'; }

// The engine's files that belong to an open database, never to a copy.
bool IsEngineFile(const String& name) {
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    const size_t n = std::char_traits<char>::length(suffix);
    if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0) return true;
  }
  return false;
}

// The regular, non-hidden files directly in a folder, by name.
std::vector<String> FolderFiles(const String& folder) {
  std::vector<String> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const String name = e.path().filename().string();
    if (IsHidden(name) || IsEngineFile(name) || name == BackupListName) continue;
    std::error_code fec;
    if (e.is_regular_file(fec) && !e.is_symlink(fec)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

String Quoted(const String& s) { return "\"" + s + "\""; }

// Tried, not judged by the permission bits: a read-only mount or a folder
// of the system refuses even a user the bits would let in.
bool CanCreateFileIn(const String& folder) {
  const String probe = folder + "/.quillory-write-test-" + std::to_string(::getpid());
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  std::remove(probe.c_str());
  return true;
}

fs::path Canonical(const String& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::path(path), ec);
  return ec ? fs::path(path).lexically_normal() : p;
}

bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
  auto i = inner.begin(), o = outer.begin();
  for (; o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;  // a trailing separator
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

// The same test by the folders themselves (device and inode), so that
// another way to the outer folder (a bind mount of it, a mount of the same
// file system twice) is seen too. A folder not made yet is judged by the
// nearest of its parents that exists.
bool IsSameOrInsideFolder(const String& inner, const String& outer) {
  struct stat o {};
  if (::stat(outer.c_str(), &o) != 0) return false;
  fs::path p = fs::path(inner).lexically_normal();
  for (;;) {
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == o.st_dev && st.st_ino == o.st_ino)
      return true;
    const fs::path parent = p.has_relative_path() ? p.parent_path() : fs::path();
    if (parent.empty() || parent == p) return false;
    p = parent;
  }
}

// The list of a backup: "name<TAB>size<TAB>digest" per line.
bool ReadList(const String& path, std::vector<TListedFile>& files) {
  // A regular file of a list's size only: a FIFO would block the reading.
  Int64 size = 0;
  String error;
  if (!InspectRegularFile(path, size, error) || size > (1 << 20)) return false;
  AnsiString text;
  try {
    // Read as a regular file again: it may have been swapped since.
    text = LoadBytesFromFile(path);
  } catch (const std::exception&) {
    return false;
  }
  if (static_cast<Int64>(text.size()) > (1 << 20)) return false;
  std::istringstream in(text);
  String line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    TListedFile f;
    String size;
    if (!std::getline(fields, f.Name, '\t') || !std::getline(fields, size, '\t') ||
        !std::getline(fields, f.Digest) || f.Name.empty() || IsHidden(f.Name) ||
        f.Name.find('/') != String::npos || !TryStrToInt64(size, f.Size) || f.Digest.size() != 64)
      return false;
    files.push_back(f);
  }
  return !files.empty();
}

bool WriteList(const String& path, const std::vector<TListedFile>& files, String& error) {
  String text;
  for (const TListedFile& f : files) text += f.Name + '\t' + std::to_string(f.Size) + '\t' + f.Digest + '\n';
  try {
    // On the disk, and the owner's alone from its first byte, before it is
    // trusted.
    SaveBytesAtomically(path, text, true);
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

// The files of a folder with their sizes and digests.
bool ListFiles(const String& folder, const std::vector<String>& names, std::vector<TListedFile>& out,
               String& error) {
  for (const String& name : names) {
    const String path = folder + "/" + name;
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    const String digest = FileDigest(path);
    if (ec || digest.empty()) {
      error = "Cannot read " + path;
      return false;
    }
    out.push_back({name, static_cast<Int64>(size), digest});
  }
  return true;
}

// A backup killed while its checked files were being moved into place: the
// staging folder still holds its list, so the move is finished. A staging
// folder without a list was never complete and goes. Only a real folder is
// taken for a staging folder: a link there is never followed.
void FinishInterruptedBackup(const String& folder) {
  const String staging = folder + "/" + kBackupStaging;
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(staging, ec);
  if (fs::is_symlink(st)) {
    fs::remove(staging, ec);  // the link itself, never what it names
    return;
  }
  if (!fs::is_directory(st)) return;
  std::vector<TListedFile> files;
  if (ReadList(staging + "/" + BackupListName, files)) {
    for (const TListedFile& f : files)
      if (fs::is_regular_file(fs::symlink_status(staging + "/" + f.Name, ec)))
        fs::rename(staging + "/" + f.Name, folder + "/" + f.Name, ec);
    fs::rename(staging + "/" + BackupListName, folder + "/" + BackupListName, ec);
    SyncFolder(folder);
  }
  fs::remove_all(staging, ec);
}

// The folder the program last wrote a backup into (the only folder whose
// interrupted backup a restore finishes).
bool IsOwnBackupFolder(const String& folder) {
  String last;
  try {
    last = GetProfileString("LastBackupToPath", "");
  } catch (Exception&) {
    return false;
  }
  return !last.empty() && Canonical(last) == Canonical(folder);
}

// The session's way to a copy's files: an alias of its own, the settings
// file's key for as long as it is needed.
class TCopyCheck {
public:
  explicit TCopyCheck(const String& folder) : FFolder(folder) {
    TSession& s = QuillorySession();
    if (s.IsAlias(kCheckAlias)) s.DeleteAlias(kCheckAlias);
    s.AddStandardAlias(kCheckAlias, folder, "STANDARD");
    s.SetCipherSettings(folder + "/" + ProfileFileName, ProfileCipherSettings);
  }
  ~TCopyCheck() {
    TSession& s = QuillorySession();
    try {
      s.CloseFolder(FFolder);
    } catch (Exception&) {
    }
    if (s.IsAlias(kCheckAlias)) s.DeleteAlias(kCheckAlias);
  }
  TCopyCheck(const TCopyCheck&) = delete;
  TCopyCheck& operator=(const TCopyCheck&) = delete;

  // Opens the table's file and checks it whole; raises when it fails.
  void Check(const String& tableName) {
    TTable t;
    t.SessionName = SessionName;
    t.DatabaseName = kCheckAlias;
    t.TableName = tableName;
    t.Open();
    t.CheckIntegrity();
    t.Close();
  }

  // A settings key of the copy ("" when absent).
  String ProfileKey(const String& key) {
    TQuery q;
    q.SessionName = SessionName;
    q.DatabaseName = kCheckAlias;
    q.SQL.Add("SELECT ProfileValue FROM Profile WHERE ProfileKey = :bProfileKey");
    q.ParamByName("bProfileKey").SetAsString(key);
    q.Open();
    return q.Eof() ? String() : q.Fields(0).AsString();
  }

  void Close() { QuillorySession().CloseFolder(FFolder); }

private:
  String FFolder;
};

// The settings file's key is in the session only while it is used.
struct TProfileKeyHeld {
  bool Added;
  TProfileKeyHeld() : Added(!QuillorySession().HasPassword(ProfilePassword)) {
    QuillorySession().AddPassword(ProfilePassword);
  }
  ~TProfileKeyHeld() {
    if (Added) QuillorySession().RemovePassword(ProfilePassword);
  }
};

// A protected copy whose password the session does not hold: the password
// dialog asks for it (a restore of a backup made under an older password).
// The dialog's OK hands the typed password to the session and to
// JournalPassword and clears its edit; the journal's own password stays
// JournalPassword, and the copy's is taken out of the session again.
struct TAskForCopyPassword {
  std::function<void(TSession*, bool&)> Previous;
  String Journal;
  std::vector<String> Typed;
  int Asked = 0;
  // The last question was cancelled or answered with nothing.
  bool NotGiven = false;
  TAskForCopyPassword() : Previous(QuillorySession().OnPassword), Journal(JournalPassword) {
    LeaveOutOfCoreDumps(Journal.data(), Journal.size());
    QuillorySession().OnPassword = [this](TSession*, bool& go) {
      go = false;
      if (!dlgPassword) return;
      // Asked again: the last one did not open the backup either.
      if (Asked++ > 0)
        MessageBox("That password does not open the backup.\r\nEnter the password the journal had when the "
                   "backup was made.",
                   "Restoring", MB_OK | MB_ICONEXCLAMATION);
      // The user would otherwise type the journal's present password.
      dlgPassword->Prompt = "Enter the backup's own password:";
      const TModalResult answer = dlgPassword->ShowModal();
      dlgPassword->Prompt.clear();
      if (answer != mrOk) {
        NotGiven = true;
        return;
      }
      String typed = JournalPassword;
      WipeString(JournalPassword);
      JournalPassword = Journal;
      LeaveOutOfCoreDumps(JournalPassword.data(), JournalPassword.size());
      NotGiven = typed.empty();
      // The same password twice would only fail again.
      if (typed.empty() || std::find(Typed.begin(), Typed.end(), typed) != Typed.end()) {
        WipeString(typed);
        return;
      }
      Typed.push_back(std::move(typed));
      go = true;
    };
  }
  ~TAskForCopyPassword() {
    QuillorySession().OnPassword = Previous;
    for (String& t : Typed)
      if (t != Journal) QuillorySession().RemovePassword(t);
    WipeString(Journal);
    for (String& t : Typed) WipeString(t);
  }
  TAskForCopyPassword(const TAskForCopyPassword&) = delete;
  TAskForCopyPassword& operator=(const TAskForCopyPassword&) = delete;
};

// Checks the database files of a copy: each opens (the journal's with the
// key it needs) and passes the integrity check. The copy's database version
// goes to version. Empty when sound, else what was found; notGiven (may be
// null) is set when the user gave no password where it was asked for.
String CheckCopy(const String& folder, String& version, bool askPassword, bool* tookTypedPassword = nullptr,
                 bool* notGiven = nullptr) {
  TCopyCheck check(folder);
  TProfileKeyHeld profileKey;
  try {
    check.Check("Profile");
    version = check.ProfileKey("DatabaseVersion");
    if (version.empty()) version = CurrentDatabaseVersion;
    TCipherSettings settings;
    const String recorded = check.ProfileKey("JournalCipherSettings");
    if (TCipherSettings::Parse(recorded, settings))
      QuillorySession().SetCipherSettings(folder + "/" + JournalFileName, settings);
    else if (!Trim(recorded).empty())
      // Refused before any key is derived: settings far costlier than the
      // program's own would hold the restore up for minutes.
      return "The settings file " + Quoted(ProfileFileName) + " asks for a key derivation that this program " +
             "does not use (" + recorded.substr(0, 80) + ");\r\nopening the journal with it would take far too long.";
    else if (!askPassword)
      QuillorySession().SetCipherSettings(folder + "/" + JournalFileName,
                                          QuillorySession().CipherSettingsOf(JournalFilePath()));
  } catch (Exception& e) {
    return "The settings file " + Quoted(ProfileFileName) + " is damaged or is no settings file:\r\n" + e.Message;
  }
  std::unique_ptr<TAskForCopyPassword> ask;
  try {
    if (askPassword) ask = std::make_unique<TAskForCopyPassword>();
    check.Check("QUILLORY");
    if (tookTypedPassword) *tookTypedPassword = ask && !ask->Typed.empty();
  } catch (EDBPasswordError& e) {
    if (ask && ask->NotGiven && notGiven) {
      *notGiven = true;
      return "No password was given for the journal file " + Quoted(JournalFileName) + ".";
    }
    return "The journal file " + Quoted(JournalFileName) + " does not open with the password given:\r\n" +
           e.Message;
  } catch (Exception& e) {
    return "The journal file " + Quoted(JournalFileName) + " is damaged or is no journal:\r\n" + e.Message;
  }
  check.Close();
  return String();
}

// The three "Last" keys of a copy that went through.
void RecordCopy(const String& noun, const String& from, const String& to) {
  SetProfileValue("Last" + noun + "Date", pvDateTime, Now());
  SetProfileValue("Last" + noun + "FromPath", pvString, from);
  SetProfileValue("Last" + noun + "ToPath", pvString, to);
}

struct TCopyContext {
  int Mode = cdfBackup;
  String Verb, Noun, DataDir, BackupDir, Source, Dest;
  // The folder restored from is the one the program last backed up into.
  bool OwnBackupFolder = false;
  // The restored journal opens with the password typed for the backup.
  bool BackupPasswordTaken = false;
  // A restore's files (those of the list, as listed, when it has one), the
  // folder they are copied into and the copy's database version.
  bool HasList = false;
  std::vector<TListedFile> Listed;
  std::vector<String> Names;
  String Staging, Version;
  std::function<void(const String&)> Status;
  void Show(const String& text) const {
    if (Status) Status(text);
  }
};

// The Part's report of a copy that stopped on a file.
void FileFailure(const TCopyContext& c, const String& cause) {
  MessageBox("Database " + c.Verb + " Failure \r\nSource:" + c.Source + "\r\nDestination:" + c.Dest +
                 (cause.empty() ? String() : "\r\n\r\n" + cause),
             c.Verb, MB_OK | MB_ICONERROR);
}

bool Failed(const TCopyContext& c) {
  c.Show(c.Verb + " Completed with Errors");
  MessageBox(c.Verb + " Failure to " + c.Dest, c.Verb, MB_OK | MB_ICONERROR);
  return false;
}

// A refusal: nothing was copied, nothing changed.
bool Refused(const TCopyContext& c, const String& text) {
  c.Show(String());
  MessageBox(text, c.Verb, MB_OK | MB_ICONERROR);
  return false;
}

bool RunBackup(TCopyContext& c) {
  FinishInterruptedBackup(c.Dest);
  std::vector<String> names = FolderFiles(c.Source);
  std::erase_if(names, [](const String& name) { return !IsBackedUpFile(name); });
  for (const char* required : kRequired)
    if (std::find(names.begin(), names.end(), required) == names.end())
      return Refused(c, "The database folder " + Quoted(c.Source) + " holds no " + Quoted(required) +
                            ".\r\nNothing was backed up.");
  const String staging = c.Dest + "/" + kBackupStaging;
  std::error_code ec;
  fs::remove_all(staging, ec);
  if (!fs::create_directory(staging, ec) || ec) {
    FileFailure(c, "Cannot create " + staging);
    return Failed(c);
  }
  auto dropStaging = [&] { fs::remove_all(staging, ec); };
  for (const String& name : names) {
    c.Show(c.Verb + " " + name + "...");
    String error;
    if (!CopyFileDurably(c.Source + "/" + name, staging + "/" + name, error)) {
      dropStaging();
      FileFailure(c, error);
      return Failed(c);
    }
  }
  String version;
  const String problem = CheckCopy(staging, version, false);
  if (!problem.empty()) {
    dropStaging();
    return Refused(c, "The copy of the database does not check, so the backup in " + Quoted(c.Dest) +
                          " was left as it was.\r\n\r\n" + problem);
  }
  std::vector<TListedFile> listed;
  String error;
  if (!ListFiles(staging, names, listed, error) || !WriteList(staging + "/" + BackupListName, listed, error)) {
    dropStaging();
    FileFailure(c, error);
    return Failed(c);
  }
  SyncFolder(staging);
  // The list goes last: until it is in place the folder's list names the
  // files of the previous backup, and a mixture is refused by a restore.
  for (const String& name : names) {
    fs::rename(staging + "/" + name, c.Dest + "/" + name, ec);
    if (ec) {
      FileFailure(c, "Cannot move " + name + " into place: " + ec.message());
      return Failed(c);
    }
  }
  fs::rename(staging + "/" + BackupListName, c.Dest + "/" + BackupListName, ec);
  SyncFolder(c.Dest);
  dropStaging();
  return true;
}

// The backup's files are checked where they lie before anything is copied:
// each a regular file (never a link, FIFO or device), of its listed size.
// Empty when sound, else the refusal's reason.
String CheckBackupFiles(const TCopyContext& c, const std::vector<String>& names,
                        const std::vector<TListedFile>& listed, bool hasList) {
  for (size_t i = 0; i < names.size(); ++i) {
    const String path = c.Source + "/" + names[i];
    Int64 size = 0;
    String error;
    if (!InspectRegularFile(path, size, error)) return error + ".";
    if (hasList && size != listed[i].Size)
      return "it is incomplete or mixed with another one: " + Quoted(names[i]) + " is " + IntToStr(size) +
             " bytes, its list says " + IntToStr(listed[i].Size) + ".";
    // A database file is looked at before it is copied: a sparse or foreign
    // file would be copied whole only to be refused.
    const bool database = std::find(std::begin(kRequired), std::end(kRequired), names[i]) != std::end(kRequired);
    if (database && !InspectDatabaseSource(path, error)) return error + ".";
    // The other files are a few settings: one of gigabytes (a sparse file
    // put there) would be written out whole.
    if (!database && size > LargestSettingsFile)
      return Quoted(names[i]) + " is " + IntToStr(size >> 20) + " MB long; the program's settings files are " +
             "never larger than " + IntToStr(LargestSettingsFile >> 20) + " MB.";
  }
  // Sizes first: a file that is far too large is never read whole.
  for (size_t i = 0; hasList && i < names.size(); ++i)
    if (FileDigest(c.Source + "/" + names[i]) != listed[i].Digest)
      return "it is incomplete or mixed with another one: " + Quoted(names[i]) + " is not the file its list names.";
  return String();
}

// True when the copy's journal file has no password while the database
// folder's journal has one.
bool LosesThePassword(const String& copyFolder, const String& dataDir) {
  return ClassifyDatabaseFile(copyFolder + "/" + JournalFileName) == dfPlain &&
         ClassifyDatabaseFile(dataDir + "/" + JournalFileName) == dfEncrypted;
}

// The first half of a restore, with the journals still open: the backup is
// checked where it lies, copied beside the database folder and checked
// there (its password asked for when the journal's does not open it).
// False when it is refused or the user cancels, each told why; nothing is
// left behind then.
bool PrepareRestore(TCopyContext& c) {
  // The folder restored from is only read: an interrupted backup is
  // finished only in the folder the program itself backed up into.
  if (c.OwnBackupFolder) FinishInterruptedBackup(c.Source);
  RemoveRestoreLeftover(c.DataDir);
  // The files of the backup: those of its list, each as listed; without a
  // list, the database files found there. Only the program's own files.
  std::vector<TListedFile>& listed = c.Listed;
  std::vector<String>& names = c.Names;
  const String listPath = c.Source + "/" + BackupListName;
  std::error_code lec;
  c.HasList = fs::exists(fs::symlink_status(listPath, lec));
  if (c.HasList) {
    if (!ReadList(listPath, listed))
      return Refused(c, "The list of the backup in " + Quoted(c.Source) +
                            " cannot be read.\r\nNothing was restored.");
    std::erase_if(listed, [](const TListedFile& f) { return !IsBackedUpFile(f.Name); });
    for (const TListedFile& f : listed) names.push_back(f.Name);
  } else {
    for (const char* name : kRequired)
      if (fs::exists(fs::symlink_status(c.Source + "/" + name, lec))) names.push_back(name);
    for (const char* name : kKnownOthers)
      if (fs::exists(fs::symlink_status(c.Source + "/" + name, lec))) names.push_back(name);
  }
  for (const char* required : kRequired)
    if (std::find(names.begin(), names.end(), required) == names.end())
      return Refused(c, "No backup of the database was found in " + Quoted(c.Source) + " (no " +
                            Quoted(required) + ").\r\nNothing was restored.");
  if (const String bad = CheckBackupFiles(c, names, listed, c.HasList); !bad.empty())
    return Refused(c, "The backup in " + Quoted(c.Source) + " cannot be restored: " + bad +
                          "\r\nNothing was restored.");
  c.Staging = RestoreStagingOf(c.DataDir);
  const String& staging = c.Staging;
  std::error_code ec;
  fs::remove_all(staging, ec);
  // The copy must fit beside the database folder with room to spare: a disk
  // filled by it would stop the program's own writes too.
  Int64 needed = 0;
  for (const String& name : names) needed += static_cast<Int64>(fs::file_size(c.Source + "/" + name, ec));
  for (const String& name : FolderFiles(c.DataDir))
    if (std::find(names.begin(), names.end(), name) == names.end())
      needed += static_cast<Int64>(fs::file_size(c.DataDir + "/" + name, ec));
  const Int64 free = FreeSpaceOf(fs::path(staging).parent_path().string());
  const Int64 margin = std::max<Int64>(Int64(64) << 20, needed / 10);
  if (free >= 0 && needed + margin > free)
    return Refused(c, "The backup in " + Quoted(c.Source) + " needs " + IntToStr(needed >> 20) +
                          " MB and room to spare, but the disk of the database folder has " + IntToStr(free >> 20) +
                          " MB free.\r\nNothing was restored.");
  if (::mkdir(staging.c_str(), 0700) != 0) {
    FileFailure(c, "Cannot create " + staging);
    return Failed(c);
  }
  auto dropStaging = [&] { fs::remove_all(staging, ec); };
  // Nothing is restored yet: the copy beside the database folder is checked.
  for (const String& name : names) {
    c.Show("Checking the backup's " + name + "...");
    String error;
    if (!CopyFileDurably(c.Source + "/" + name, staging + "/" + name, error)) {
      dropStaging();
      FileFailure(c, error);
      return Failed(c);
    }
  }
  // The questions that may follow find the status as it was: nothing is
  // under way until the user has said yes.
  c.Show(String());
  for (const TListedFile& f : listed) {
    std::error_code sec;
    const auto size = fs::file_size(staging + "/" + f.Name, sec);
    if (sec || static_cast<Int64>(size) != f.Size || FileDigest(staging + "/" + f.Name) != f.Digest) {
      dropStaging();
      return Refused(c, "The backup in " + Quoted(c.Source) + " is incomplete or mixed with another one: " +
                            Quoted(f.Name) + " is not the file its list names.\r\nNothing was restored.");
    }
  }
  bool cancelled = false;
  const String problem = CheckCopy(staging, c.Version, true, &c.BackupPasswordTaken, &cancelled);
  if (cancelled) {
    dropStaging();
    return Refused(c, "The backup in " + Quoted(c.Source) +
                          " was not opened: its password was not given.\r\nNothing was restored.");
  }
  if (!problem.empty()) {
    dropStaging();
    return Refused(c, "The backup in " + Quoted(c.Source) + " cannot be restored.\r\n\r\n" + problem +
                          "\r\n\r\nNothing was restored.");
  }
  if (LosesThePassword(staging, c.DataDir) &&
      MessageBox("The backup in " + Quoted(c.Source) +
                     " has no password.\r\nRestoring it removes the password of your journal: anyone "
                     "who can open the journal's folder can then read it.\r\n\r\nRestore it all the same?",
                 c.Verb, MB_OKCANCEL | MB_ICONWARNING) != IDOK) {
    dropStaging();
    return false;
  }
  return true;
}

// The second half, with every database file closed: the files of the
// database folder that the backup lacks join the checked copy, which then
// takes the database folder's place.
bool FinishRestore(TCopyContext& c) {
  const String& staging = c.Staging;
  std::error_code ec;
  auto dropStaging = [&] { fs::remove_all(staging, ec); };
  // Files of the database folder that the backup lacks stay.
  for (const String& name : FolderFiles(c.DataDir)) {
    if (std::find(c.Names.begin(), c.Names.end(), name) != c.Names.end()) continue;
    String error;
    if (!CopyFileDurably(c.DataDir + "/" + name, staging + "/" + name, error)) {
      dropStaging();
      FileFailure(c, error);
      return Failed(c);
    }
  }
  RestrictToOwner(staging);
  SyncFolder(staging);
  // The lock goes with the folder that becomes the database folder.
  if (!PrepareDatabaseLockFor(staging)) {
    dropStaging();
    FileFailure(c, "Cannot lock " + staging);
    return Failed(c);
  }
  String error;
  const bool swapped = RestoreFileOps().Exchange(staging, c.DataDir, error);
  FinishDatabaseLockMove(swapped, c.DataDir);
  if (!swapped) {
    dropStaging();
    FileFailure(c, error);
    return Failed(c);
  }
  SyncFolder(fs::path(c.DataDir).parent_path().string());
  // The old folder now lies at the staging name: its sub-folders move over.
  RemoveRestoreLeftover(c.DataDir);
  if (c.Version != CurrentDatabaseVersion)
    MessageBox("The backup holds a database of an older version (" + c.Version +
                   ").\r\nIt is upgraded step by step when the journal is next opened.",
               c.Verb, MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace

String BackupFolderProblem(const String& folder, const String& dataDir, int mode) {
  const String what = mode == cdfBackup ? "backup folder" : "folder to restore from";
  if (Trim(folder).empty())
    return "No " + what + " is set.\r\nChoose one on the Database page of the preferences.";
  const String problem = SettingsPathProblem(folder, TSettingsPathKind::Folder);
  if (problem == SettingsPathMissing)
    return "The " + what + " " + Quoted(folder) +
           " does not exist.\r\nChoose an existing folder on the Database page of the preferences.";
  if (!problem.empty())
    return "The " + what + " " + Quoted(folder) + " cannot be used: " + problem +
           ".\r\nChoose another folder on the Database page of the preferences.";
  if (mode == cdfBackup && !CanCreateFileIn(folder))
    return "The backup folder " + Quoted(folder) + " cannot be written.";
  return BackupFolderInsideProblem(folder, dataDir, mode);
}

String BackupFolderInsideProblem(const String& folder, const String& dataDir, int mode) {
  if (!IsSameOrInside(Canonical(folder), Canonical(dataDir)) && !IsSameOrInsideFolder(folder, dataDir))
    return String();
  const String what = mode == cdfBackup ? "backup folder" : "folder to restore from";
  return "The " + what + " " + Quoted(folder) + " lies inside the database folder " + Quoted(dataDir) +
         ".\r\nA backup there is lost with the database: choose a folder outside it.";
}

String DatabaseFolder() { return ExcludeTrailingPathDelimiter(QuillorySession().GetAliasPath(AliasName)); }

bool CopyDatabaseFiles(int mode, const std::function<void(const String&)>& status, bool askToOverwrite,
                       bool* filesClosed, const std::function<bool()>& beforeClose) {
  if (filesClosed) *filesClosed = false;
  TCopyContext c;
  c.Mode = mode;
  c.Status = status;
  c.Verb = mode == cdfBackup ? "Backing up" : "Restoring";
  c.Noun = mode == cdfBackup ? "Backup" : "Restore";
  c.DataDir = DatabaseFolder();
  c.BackupDir = ExcludeTrailingPathDelimiter(ProfileSettings.BackupRestoreLocation);
  c.Source = mode == cdfBackup ? c.DataDir : c.BackupDir;
  c.Dest = mode == cdfBackup ? c.BackupDir : c.DataDir;
  // The folder the program chose itself is made on the first backup; one
  // the user chose must exist.
  if (mode == cdfBackup && c.BackupDir == ExcludeTrailingPathDelimiter(DefaultBackupLocation())) {
    // The file names in it are the user's business: 0700 like every folder
    // the program makes (a folder the user made keeps its mode).
    std::error_code ec;
    fs::create_directories(fs::path(c.BackupDir).parent_path(), ec);
    ::mkdir(c.BackupDir.c_str(), 0700);
  }
  const String problem = BackupFolderProblem(c.BackupDir, c.DataDir, mode);
  if (!problem.empty()) return Refused(c, problem);
  if (IsOnRemovableMedia(c.BackupDir) &&
      MessageBox("Please ensure media is inserted into " + MountPointOf(c.BackupDir) + " Drive", c.Verb,
                 MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
    return false;
  if (mode == cdfBackup) c.Show(c.Verb + " Database...");
  if (mode == cdfRestore) {
    // Everything that can refuse the restore runs before the question and
    // before anything closes: a refusal or Cancel leaves all as it was.
    c.OwnBackupFolder = IsOwnBackupFolder(c.Source);
    try {
      if (!PrepareRestore(c)) return false;
    } catch (Exception& e) {
      std::error_code ec;
      if (!c.Staging.empty()) fs::remove_all(c.Staging, ec);
      FileFailure(c, e.Message);
      return Failed(c);
    }
    const auto dropStaging = [&c] {
      std::error_code ec;
      fs::remove_all(c.Staging, ec);
      c.Show(String());
    };
    if (askToOverwrite && MessageBox(RestoreQuestion, "Restoring", MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
      dropStaging();
      return false;
    }
    if (beforeClose && !beforeClose()) {
      dropStaging();
      return false;
    }
    c.Show(c.Verb + " Database...");
  } else if (beforeClose && !beforeClose()) {
    c.Show(String());
    return false;
  }
  if (filesClosed) *filesClosed = true;
  try {
    // Whole files: every connection closes, which folds the write-ahead
    // log into the database file. After it no connection may open again
    // before the files are swapped.
    CloseDatabaseFiles();
  } catch (Exception& e) {
    if (mode == cdfRestore) {
      std::error_code ec;
      fs::remove_all(c.Staging, ec);
    }
    FileFailure(c, e.Message);
    return Failed(c);
  }
  bool ok = false;
  try {
    ok = mode == cdfBackup ? RunBackup(c) : FinishRestore(c);
  } catch (Exception& e) {
    FileFailure(c, e.Message);
    return Failed(c);
  }
  if (!ok) return false;
  try {
    RecordCopy(c.Noun, c.Source, c.Dest);
  } catch (Exception& e) {
    ShowErrorDisplay("Record " + c.Noun, e);
  }
  c.Show(c.Verb + " Completed");
  // Without a word the next open with the newer password would simply fail.
  MessageBox(String(mode == cdfBackup ? "Backed up" : "Restored") + " successfully to " + c.Dest +
                 (c.BackupPasswordTaken ? "\r\n\r\n" + String(BackupPasswordNowTheJournalsText) : String()),
             c.Verb, MB_OK | MB_ICONINFORMATION);
  return true;
}

namespace {

void ShowStatus(TformQuilloryMain* main, const String& text) {
  if (!main) return;
  main->SetStatusText(spState, text);
  Application->ProcessMessagesExcludingInput();
}

// The copy's status texts in the main window; its empty text puts back
// what the status said before the command.
std::function<void(const String&)> StatusOf(TformQuilloryMain* main) {
  const String before = main ? main->StatusText(spState) : String();
  return [main, before](const String& t) { ShowStatus(main, t.empty() ? before : t); };
}

struct TTimerPause {
  TTimerPause() { PauseTimer(); }
  ~TTimerPause() { ResumeTimer(); }
};

// Closes the journals for a copy or a pack; false (and the user told) when
// an entry could not be saved, which closing would lose.
bool CloseJournalsFor(const char* caption) {
  if (!JournalsLoadedHook()) return true;
  if (!SaveJournalsBeforeClosing()) {
    MessageBox("An entry could not be saved, so the journals stay open.\r\nSave it or undo its changes first.",
               caption, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // Opened again as they were, the entries get their carets back.
  KeepCaretPlaces();
  UnloadJournalsHook();
  return true;
}

}  // namespace

void ActionBackupExecute(TformQuilloryMain* main) {
  // The copy is checked with the journal's key, which an open journal holds.
  if (!JournalsLoadedHook()) {
    MessageBox("Open the journal first: it is backed up with the journal open.", "Backing up",
               MB_OK | MB_ICONINFORMATION);
    return;
  }
  TTimerPause pause;
  // The folder is checked with the journals open: a refused backup leaves
  // them as they are, their undo with them.
  bool journalsClosed = false;
  CopyDatabaseFiles(
      cdfBackup, StatusOf(main), false, nullptr,
      [&journalsClosed] { return journalsClosed = CloseJournalsFor("Backing up"); });
  if (journalsClosed) LoadJournalsHook();
}

void ActionRestoreExecute(TformQuilloryMain* main) {
  TTimerPause pause;
  // The backup is checked, and the question asked, with the journals open:
  // a refusal or Cancel leaves them as they are.
  bool filesClosed = false;
  bool journalsClosed = false;
  const bool restored = CopyDatabaseFiles(
      cdfRestore, StatusOf(main), true, &filesClosed,
      [&journalsClosed] { return journalsClosed = CloseJournalsFor("Restoring"); });
  if (!filesClosed) {
    if (journalsClosed) LoadJournalsHook();
    return;
  }
  // The entries of the backup are others: no caret of these applies.
  ForgetCaretPlaces();
  LoadProfile();
  // The default styles come back with the database: the sheet in memory
  // would otherwise overwrite them at the next save.
  if (restored && main && main->QuilloryDefaultStyle) LoadStylesFile(*main->QuilloryDefaultStyle);
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
  if (main) main->SetScreenMode(smCover);
}

int PackAndReindexFiles(const std::function<void(const String&)>& status) {
  int failed = 0;
  struct TStage {
    const char* Table;
    const char* Status;
    const char* Name;
  };
  for (const TStage& s : {TStage{"QUILLORY", "reindexing table Quillory...", "reindex QUILLORY.db"},
                          TStage{"Journals", "reindexing table Journals...", "reindex Journals.db"},
                          TStage{"Profile", "reindexing table Profile...", "reindex Profile.db"}}) {
    if (status) status(s.Status);
    std::unique_ptr<TProfileKeyHeld> key;
    if (String(s.Table) == "Profile") key = std::make_unique<TProfileKeyHeld>();
    try {
      // The pack keeps each file's key as it is.
      PackTable(s.Table);
      RegenerateTableIndexes(s.Table);
    } catch (Exception& e) {
      ++failed;
      ShowErrorDisplay(s.Name, e);
    }
  }
  return failed;
}

void PackAndReindexTables(TformQuilloryMain* main) {
  // The journal's file opens only with its password, which an open journal
  // holds.
  if (!JournalsLoadedHook()) {
    MessageBox("Open the journal first: its tables are packed with the journal open.",
               "Pack and Regenerate Indexes", MB_OK | MB_ICONINFORMATION);
    return;
  }
  try {
    if (!CloseJournalsFor("Pack and Regenerate Indexes")) return;
    Application->ProcessMessagesExcludingInput();
    const int failed = PackAndReindexFiles([main](const String& t) { ShowStatus(main, t); });
    ShowStatus(main, String());
    LoadJournalsHook();
    // The failures were shown one by one; the end says what was done.
    if (failed == 0)
      MessageBox("The journal's tables were packed and their indexes rebuilt.", "Pack and Regenerate Indexes",
                 MB_OK | MB_ICONINFORMATION);
    else
      MessageBox(IntToStr(failed) + " of the steps failed (see the messages before); the rest were done.",
                 "Pack and Regenerate Indexes", MB_OK | MB_ICONEXCLAMATION);
  } catch (Exception&) {
    MessageBox("Pack And Reindex Had A Problem!", "Message", MB_OK | MB_ICONERROR);
  }
}
