#pragma once
// The word splitter: pulls characters from a parser and returns whole
// words, with apostrophes, inner periods, quotes and French elisions.
#include "spell/scParserBase.h"

#include <array>

class TMainParsingEngine : public TParsingEngine {
public:
  TMainParsingEngine();
  void SetCharacters(const AnsiString& Chars);
  void SetNonContinuing(const AnsiString& Chars);
  void SetApostropheSplits(bool Value);

  void Initialize(TControlParser* Parser, TParseCheckType CheckType) override;
  void StartAt(int X, int Y) override;
  void NextWord(AnsiString& Word) final;

  TControlParser* Parser() const { return FParser; }
  bool ApostropheSplits() const { return FApostropheSplits; }
  bool IsWordChar(char Ch) const { return FWordChar[static_cast<Byte>(Ch)]; }
  bool IsWordStart(char Ch) const { return FWordStart[static_cast<Byte>(Ch)]; }

  // The typographic apostrophe (0x92) acts as the apostrophe does.
  AnsiString LeadingExclusions = "'\"\x92";
  AnsiString TrailingStrip = "'\".\x92";

private:
  void Rebuild();

  TControlParser* FParser = nullptr;
  AnsiString FCharacters;
  AnsiString FNonContinuing = "&";
  std::array<bool, 256> FWordStart{}, FWordChar{}, FTrailing{};
  // Word starts less the leading exclusions, as they were when built.
  std::array<bool, 256> FStarts{};
  AnsiString FBuiltExclusions;
  // Every lower-case ASCII letter continues a word: runs of them are
  // scanned eight at a time.
  bool FLowerRuns = false;
  bool FApostropheSplits = false;
};

// The default character set: digits, "&", the apostrophe, Latin letters,
// 0xC0-0xFF, the letters of code pages 1250 and 1251 below 0xC0 and the
// stand-in for a letter the code page lacks.
AnsiString DefaultSpellCharacters();
