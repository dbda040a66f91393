#pragma once
// Phonetic keys: a trie of rewrite rules turns a word into a short key, so
// that words that sound alike share it.
#include "platform/base/Types.h"

#include <array>
#include <vector>
#include <memory>

class TReplaceNode : public TObject {
public:
  TReplaceNode() = default;
  // Longest rule that matches S at Position (0-based).
  virtual bool Match(const AnsiString& S, AnsiString& Replacement, size_t Position,
                     int& Consumed) const;
  virtual void Clear();
  // A second rule for the same pattern replaces the first.
  virtual void AddRule(const AnsiString& Pattern, const AnsiString& Replacement, int Consumed);
  // The node of the longest rule at S[Position], or nullptr.
  const TReplaceNode* MatchNode(const char* S, size_t Length, size_t Position) const;
  const AnsiString& Replacement() const { return FReplacement; }
  int Consumed() const { return FConsumed; }

protected:
  // Children by byte: a byte index into a short list, rather than 256
  // pointers per node, since the engine switches rule sets while
  // suggesting and rebuilding must stay cheap.
  const TReplaceNode* Child(Byte C) const {
    const Byte i = FIndex[C];
    return i == 0xFF ? nullptr : FChildren[i].get();
  }
  bool FHasChildren = false;
  std::array<Byte, 256> FIndex = MakeEmptyIndex();
  std::vector<std::unique_ptr<TReplaceNode>> FChildren;

private:
  static std::array<Byte, 256> MakeEmptyIndex() {
    std::array<Byte, 256> a;
    a.fill(0xFF);
    return a;
  }

protected:
  bool FTerminal = false;
  AnsiString FReplacement;
  int FConsumed = 0;
  // New, unique across all nodes, at every change of the rules below.
  uint64_t FStamp = NewStamp();
  static uint64_t NewStamp();
};

class TPhoneticsMap : public TReplaceNode {
public:
  TPhoneticsMap() = default;
  // Loads the rules of the language's primary language (low byte): 9
  // English, 25 Russian, 12 French, others the general table.
  virtual void BuildRules(int LanguageID);
  virtual void SetPrefixDepth(int Value);
  virtual void MakeKey(const AnsiString& Word, AnsiString& Key) const;
  virtual bool IsWithinDistance(const AnsiString& Word, int Distance) const;

  int PrefixDepth() const { return FPrefixDepth; }
  int Language() const { return FLanguage; }
  // Changes whenever the rules change; the same rules built again for a
  // language keep theirs, so keys made from them can be kept.
  uint64_t RulesStamp() const { return FStamp; }
  void AddRule(const AnsiString& Pattern, const AnsiString& Replacement, int Consumed) override;
  void Clear() override;
  bool CollapseRepeats = true;
  int KeyBudget = 6;
  int Divisor = 2;
  int MaxDistance = 4;

private:
  int FPrefixDepth = 2;
  int FLanguage = -1;
  // The engine switches between two rule sets for every suggestion list:
  // sets that BuildRules made and nobody changed since are put aside and
  // taken back instead of being built again.
  struct TRuleSet {
    int Language = -1;
    uint64_t Stamp = 0;
    std::array<Byte, 256> Index{};
    std::vector<std::unique_ptr<TReplaceNode>> Children;
    bool HasChildren = false;
  };
  std::vector<TRuleSet> FPutAside;
  bool FBuilding = false;
  bool FPristine = false;  // the rules are exactly what BuildRules made
};

// The sound of a whole English word, its first letter included: a letter
// for each consonant sound ("ph" and "f" one, "c" as "k" or "s" by what
// follows, "d" and "t" one), vowels only where the word begins with one, a
// doubled letter once. Unlike the phonetic key it keeps no spelling of the
// first letters and no length limit, so that spellings several slips apart
// that sound alike ("beaurocracy", "bureaucracy") share it.
void MakeSoundKey(const AnsiString& Word, AnsiString& Key);
// The same into a buffer of kSoundKeyRoom characters, its length returned:
// no allocation, for keys of every word of a dictionary. With a Limit, only
// the key's first Limit characters (what they are does not depend on the
// rest).
constexpr size_t kSoundKeyRoom = 2 * 256;
size_t SoundKeyOf(const char* Word, size_t Length, char* Key, size_t Limit = kSoundKeyRoom);
