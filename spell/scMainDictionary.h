#pragma once
// A main dictionary: a read-only word trie in a ".spm" file, mapped into
// memory and read in place. Every number taken from the file is checked
// against the mapping, so a damaged file finds nothing instead of reading
// outside it.
#include "platform/base/MemoryMap.h"
#include "platform/base/Strings.h"

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

class TPhoneticsMap;

// The first 123 bytes of every ".spm" file.
extern const char kSpmBanner[];
constexpr size_t kSpmBannerLength = 123;
constexpr size_t kSpmHeaderSize = 1024;
constexpr uint32_t kSpmNoChildren = 0xFFFFF;

class TMainDictionary : public TObject {
public:
  TMainDictionary() = default;
  ~TMainDictionary() override;

  // Accepts the file when its header is sound; the caller compares
  // FileName() with the name it gave.
  void Open(const String& FileName);
  void SetActive(bool Value);
  bool Active() const { return FActive; }
  bool Lookup(const char* Word, int& Depth);
  bool WordExists(const AnsiString& Word);
  void FindPhoneticMatches(const AnsiString& Word, const TPhoneticsMap& Phonetics,
                           TStrings* Results);
  // The words within MaxDistance edits of Word (a swap of neighbours is
  // one), at most Limit of them, added to Results in the node table's
  // order: a walk of the table that leaves a branch once no word below it
  // can come that close (two edits out from five letters on and three out
  // from six, only where the beginning comes within one edit; the other
  // words, whose ending keeps Word's exactly or within one edit, come from
  // an index by ending made on the first such search).
  // Nothing without the node table. With SameFirst only words that begin
  // with Word's first letter (in either case).
  void FindNearWords(const AnsiString& Word, int MaxDistance, size_t Limit, TStrings* Results,
                     bool SameFirst = false);
  // The words whose whole sound (MakeSoundKey) is Word's, at most Limit of
  // them, added to Results unless they are there (in either case): from an
  // index of every word's sound made on the first such search. Nothing
  // without the node table.
  void FindSoundAlikes(const AnsiString& Word, size_t Limit, TStrings* Results);
  void IncUsage() { ++FUsage; }

  const String& FileName() const { return FFileName; }
  const AnsiString& Name() const { return FName; }
  int Language() const { return FLanguage; }
  uint32_t Usage() const { return FUsage; }
  uint32_t WidthSelector() const { return FWidth; }
  // Bytes of the mapped file (0 when inactive).
  uint64_t MappedSize() const { return FMap.Size(); }
  // Whether look-ups and phonetic searches use the node table built on
  // activation; off, they walk the mapped records (the table's reference).
  bool UsesNodeTable() const { return !FNodes.empty(); }
  void SetNodeTableAllowed(bool Value);
  // Bytes held besides the mapping: the node table and the cached keys.
  size_t TableBytes() const;

private:
  struct TRecord {
    Byte Char = 0;
    bool EndOfWord = false;
    uint32_t ChildRef = kSpmNoChildren;
    uint32_t ChildCount = 0;
    const Byte* Inline = nullptr;
    int InlineCount = 0;
  };
  // A list of child record numbers somewhere in the pool (or one number).
  struct TChildren {
    uint32_t Count = 0;
    bool InPool = false;
    uint32_t Single = 0;      // the one child, when not InPool
    uint64_t PoolOffset = 0;  // where the numbers start, when InPool
    bool Valid = true;
  };
  // Start of record Number and its inline count; the records' area was
  // checked against the mapping when it was activated.
  const Byte* RecordAt(uint32_t Number, int& Inline) const {
    int k = 0;
    while (k < 8 && FFirst[k + 1] <= Number) ++k;
    Inline = k;
    return FSectionPtr[k] + static_cast<uint64_t>(Number - FFirst[k]) * (4 + k);
  }
  bool ReadRecord(uint32_t Number, TRecord& R) const;
  TChildren ChildrenOf(const TRecord& R) const;
  // The Index-th number of a list, walking it from its start each time it
  // is asked in order (Cursor keeps the place).
  bool NextChild(const TChildren& C, uint64_t& Cursor, uint32_t& Number) const;
  bool FindChild(const TChildren& C, Byte Ch, TRecord& Found) const;
  void Enumerate(const TRecord& R, AnsiString& Buffer, int Depth);

  String FFileName;
  bool FActive = false;
  AnsiString FName;
  int FLanguage = 0;
  uint32_t FSecondInteger = 0;
  uint32_t FWidth = 0;
  std::array<uint32_t, 9> FCounts{};
  std::array<uint64_t, 10> FStart{};  // file offsets of the sections
  std::array<uint64_t, 10> FFirst{};  // first global number of each section
  std::array<const Byte*, 10> FSectionPtr{};
  uint64_t FRecordsEnd = 0;
  uint64_t FPoolStart = 0;
  uint32_t FPoolSize = 0;
  std::array<Byte, 2048> FFirstLetters{};
  // The records of the second letters, by first and second character
  // (0xFFFFFFFF: none), taken from the first-letter table's child lists on
  // activation, so a look-up does not scan the widest level of the trie.
  std::vector<uint32_t> FSecond;
  std::array<int16_t, 256> FSecondBlock{};  // first character's block or -1
  void BuildSecondLetters();
  uint32_t FUsage = 0;
  TMemoryMap FMap;

  // The trie decoded on activation when the records form a tree: one 64-bit
  // node each, the children of a node side by side in stored order, so a
  // look-up compares one byte per child instead of decoding pool numbers.
  // Bits 0-7 character, 8 end of word, 9-12 inline count, 13-20 child
  // count, 21-43 offset of the inline characters, 44-63 first child.
  std::vector<uint64_t> FNodes;
  std::vector<Byte> FInline;
  std::vector<Byte> FChars;  // each node's character again, siblings side by side
  std::vector<uint32_t> FSecondNode;  // FSecond as node numbers
  // What the near-word walk needs of each node before it steps in, side by
  // side for siblings: bits 0-31 the letters of the node's words from the
  // node's own letter on, one bit each in lower case (a word letter missing
  // below costs an edit); 32-39 and 40-47 the shortest and longest word
  // below, counted from the node's own letter (a word too short or too long
  // cannot come close); 48-55 the node's letter in lower case.
  std::vector<uint64_t> FReach;
  // Every word of the node table once, numbered in the near-word walk's
  // order, and the same numbers sorted by the words' lower-case letters read
  // backwards: a search two edits out finds the words that keep the typed
  // word's ending here and walks the table only where its beginning comes
  // within one edit. Made on the first such search.
  struct TWordIndex {
    std::string Text;               // the words one after another
    std::string Backward;           // each word again, in lower case and backwards
    std::vector<uint32_t> Start;    // word k is Text[Start[k], Start[k + 1])
    std::vector<uint32_t> ByEnding; // word numbers by the first six letters of that spelling
    std::vector<uint64_t> Endings;  // beside each, those letters packed, and the word's length below them
    std::vector<uint32_t> OfNode;   // the word that ends at a node, or none
    // The words by their sound (MakeSoundKey), made on the first search by
    // sound: grouped by its first letter (word numbers, and where each
    // letter's start), and for a letter on its first search, chains by a
    // hash of the whole sound: the first word of each bucket, the next word
    // of the same bucket, and more bits of each word's hash to pass over
    // other sounds without making their keys.
    std::vector<uint32_t> SoundGroups, BySound;
    std::array<std::vector<uint32_t>, 256> SoundHeads;
    std::vector<uint32_t> SoundNext, SoundChecks;
  };
  std::unique_ptr<TWordIndex> FWords;
  const TWordIndex& Words();
  static uint64_t EndingKey(const TWordIndex& Index, uint32_t Word);
  void CollectWords(uint32_t Node, AnsiString& Buffer, TWordIndex& Index) const;
  bool FNodeTableAllowed = true;
  void BuildNodes();
  uint32_t FindKid(uint32_t First, uint32_t Count, Byte Ch) const;
  bool LookupNodes(const char* Word, uint32_t Node, int& Depth) const;
  void FindPhoneticMatchesInNodes(const AnsiString& Prefix, const TPhoneticsMap& Phonetics,
                                  TStrings* Results);

  // The words below a prefix node with their phonetic keys, in enumeration
  // order, made on first use for one state of a phonetics map, and their
  // numbers sorted by key.
  struct TKeyEntry {
    uint32_t Key;  // the word follows its key in the block's text
    uint32_t KeyLength;
    uint16_t WordLength;  // below 256
    uint16_t Above;       // the longest key of the words above it in the tree
  };
  struct TKeyBlock {
    uint64_t Stamp = 0;
    int Budget = 0, PrefixDepth = 0;
    bool Collapse = false;
    std::string Text;
    std::vector<TKeyEntry> Entries;
    std::vector<uint32_t> ByKey;  // entry numbers by key, in order among equal keys
  };
  std::unordered_map<uint32_t, std::vector<std::unique_ptr<TKeyBlock>>> FKeyBlocks;
  size_t FKeyEntries = 0;
  std::unique_ptr<TKeyBlock> FScratchBlock;
  const TKeyBlock& KeyBlock(uint32_t Node, const AnsiString& Stem,
                            const TPhoneticsMap& Phonetics);
  void CollectKeys(uint32_t Node, AnsiString& Buffer, int Depth, const TPhoneticsMap& Phonetics,
                   TKeyBlock& Block, uint32_t Above);

  // One phonetic search.
  const TPhoneticsMap* FPhonetics = nullptr;
  AnsiString FKey;
  TStrings* FResults = nullptr;
  uint64_t FVisits = 0;  // bounds a walk over a damaged (cyclic) file
};
