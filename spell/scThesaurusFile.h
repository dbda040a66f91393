#pragma once
// The thesaurus file (".spt"): a character trie of words with parent links,
// and meaning records that list related words by node. The file is read
// into memory; every number read from it is checked before use.
#include "platform/base/Strings.h"

#include <memory>
#include <string>
#include <vector>

extern const char kSptBanner[];
constexpr size_t kSptBannerLength = 32;
constexpr size_t kSptHeaderSize = 165;

// One meaning of a look-up: its headword, kind and four word lists.
class TThesaurusEntry : public TObject {
public:
  AnsiString Word;
  int Kind = 0;
  AnsiString KindName;
  std::vector<AnsiString> Lists[4];
  // What tells this meaning from the others of a look-up: its first words
  // (set before the look-up is shown; empty until then).
  AnsiString Caption;
};

class TThesaurusFile : public TObject {
public:
  TThesaurusFile() = default;
  virtual void Open();
  virtual void Close();
  // False when the node cannot be read (damaged file).
  virtual bool GetWord(AnsiString& Word, uint32_t Node) const;
  virtual bool FindWord(const AnsiString& Word, uint32_t& Node) const;
  virtual void MatchCase(const AnsiString& Pattern, TThesaurusEntry& Entry) const;
  virtual void SetActive(bool Value);
  virtual void SetFileName(const String& Value);
  virtual bool Lookup(const AnsiString& Word);

  bool Active() const { return FActive; }
  const String& FileName() const { return FFileName; }
  const AnsiString& Name() const { return FName; }
  const std::vector<AnsiString>& KindNames() const { return FKindNames; }
  std::vector<std::unique_ptr<TThesaurusEntry>>& Results() { return FResults; }
  const AnsiString& LastWord() const { return FLastWord; }
  bool LowerCaseRetry = true;
  uint32_t NodeCount() const { return static_cast<uint32_t>(FNodes.size() / 4); }
  uint32_t MeaningCount() const { return static_cast<uint32_t>(FMeanings.size() / 14); }
  // Words that can be looked up: word nodes with at least one meaning.
  uint32_t HeadwordCount() const;

private:
  struct TNode {
    uint32_t DataOffset = 0;
    bool SingleChild = false, HasParent = false, Tail = false, Terminal = false;
    Byte Char = 0;
    std::vector<uint16_t> Children;
    uint16_t Parent = 0;
    std::vector<uint16_t> Entries;
  };
  bool ReadNode(uint32_t Number, TNode& N, bool WithLists) const;
  bool FillEntry(uint32_t Meaning, int Kind, TThesaurusEntry& Result) const;
  bool TailOf(const TNode& N, AnsiString& Tail) const;

  bool FActive = false;
  String FFileName;
  std::string FNodes, FNodeData, FMeanings, FLists;
  AnsiString FName;
  std::vector<AnsiString> FKindNames;
  std::vector<std::unique_ptr<TThesaurusEntry>> FResults;
  AnsiString FLastWord;
};
