#pragma once
// The language registry: every caption, hint, label and message of the
// editing actions and their dialogs is fetched by id from the current
// language's table. Tables hold 8-bit text in the code page of their charset;
// LanguageText gives the same text as UTF-8 for the controls.
#include "actions/VLActionEditor.h"
#include "platform/base/Types.h"

#include <initializer_list>
#include <variant>

// Every table has the ids 0 to 590; id 0 is the empty text.
constexpr int VLA_MESSAGE_COUNT = 591;
using TVLALanguageName = AnsiString;
// A table: VLA_MESSAGE_COUNT NUL-terminated texts, static data.
using TVLAMessages = const char* const*;

struct TVLALanguageInfo {
  TVLALanguageName Name;
  Byte Charset = 0;
  TVLAMessages Messages = nullptr;
  String HelpFile;
};

// Appends a language; the first one registered into an empty registry (or
// after the registry was shut down) becomes current.
void RegisterLanguage(const TVLALanguageName& Name, Byte Charset, TVLAMessages Messages, const String& HelpFile);
// Makes the first language of exactly this name (byte for byte) current;
// raises "Invalid language: <name>" otherwise and keeps the current one.
void SwitchLanguage(const TVLALanguageName& Name);

// The current language's text (bytes as stored); an id out of range, or no
// current language, gives the empty text.
AnsiString GetLanguageString(Word Id);
// " " + at most the first 255 bytes + " ".
AnsiString GetLanguageStringPadded(Word Id);
// The stored text itself, valid for the life of the program.
const char* GetLanguagePChar(Word Id);
// The current charset; 1 (default charset) when no language is current.
Byte GetLanguageCharset();
// The current help file name; empty when no language is current.
String GetLanguageHelpFile();

// The same texts as UTF-8, converted through the current code page.
String LanguageText(Word Id);
String LanguageTextPadded(Word Id);

// A format row of the table filled with arguments: "%s" takes the next string
// and "%d" the next integer, in order; "%%" is a percent sign and any other
// "%" stays as it is. The arguments must match the placeholders exactly, or
// EConvertError is raised: a table text is never handed to printf.
using TVLAFormatArg = std::variant<AnsiString, Integer>;
AnsiString FormatLanguageString(Word Id, std::initializer_list<TVLAFormatArg> Args);
AnsiString FormatPattern(const AnsiString& Pattern, std::initializer_list<TVLAFormatArg> Args);
// The formatted text as UTF-8.
String FormatLanguageText(Word Id, std::initializer_list<TVLAFormatArg> Args);

// The find dialog's options (frDown, frMatchCase, frWholeWord) as the
// editor's search options; other flags have no effect.
TVLSearchOptions FindOptionsToSearchOptions(int Options);

// Registry state (position order is registration order).
int LanguageCount();
const TVLALanguageInfo& LanguageInfo(int Index);
// -1 after shut-down.
int CurrentLanguageIndex();

// Start-up: registers the language tables once, in their fixed order, and
// makes English (US) current. The getters run it on first use.
void InitializeLanguages();
// Shut-down: frees the registry; no language is current afterwards.
void FinalizeLanguages();
