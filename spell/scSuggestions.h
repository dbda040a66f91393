#pragma once
// Near-miss candidates of a misspelt word: single edits and splits, each
// tested through the engine's word check.
#include "platform/base/Strings.h"
#include "spell/scUtil.h"

#include <array>
#include <functional>
#include <vector>

using TWordCheckEvent = std::function<void(const AnsiString& Candidate, bool& Found)>;

// The length of the spelling dialog's list: enough for the word meant,
// few enough to read at a glance.
constexpr int kDialogSuggestions = 10;

constexpr int sgInsertion = 1;
constexpr int sgTransposition = 2;
constexpr int sgDeletion = 4;
constexpr int sgSubstitution = 8;
constexpr int sgSplits = 16;

// The letters (in lower case, a bit each) that the words within reach hold
// at each place: of the words as long as the typed one (Same), and of the
// words one letter longer (Longer).
struct TPlaceLetters {
  std::vector<std::array<uint64_t, 4>> Same, Longer;
  void Add(const AnsiString& Word, size_t TypedLength);
};

class TSuggestionsGenerator : public TObject {
public:
  TSuggestionsGenerator();
  virtual void SetLanguage(int LanguageID);
  virtual void SetAllOperations(bool Value);
  virtual void SetOperations(int Mask);
  virtual bool AddSuggestion(const AnsiString& Word);
  virtual bool TryCandidate(const AnsiString& Candidate);
  virtual bool TryInsertions();
  virtual bool TryTranspositions(int Distance);
  virtual bool TryDeletions();
  virtual bool TrySubstitutions();
  virtual bool TrySplits();
  virtual void GenerateForm(const AnsiString& Word, int Maximum, const TWordCheckEvent& WordCheck,
                            TStrings* Results);
  virtual void Generate(const AnsiString& Word, int Maximum, const TWordCheckEvent& WordCheck,
                        TStrings* Results);

  // While set, a substitution or an insertion that puts a letter where no
  // word within reach has it is not tried (an apostrophe always is): the
  // caller knows such a candidate is in no dictionary.
  void SetPlaceLetters(TPlaceLetters Letters) {
    FPlaces = std::move(Letters);
    FHavePlaces = true;
  }
  void ClearPlaceLetters() {
    FPlaces = {};
    FHavePlaces = false;
  }

  int Language() const { return FLanguage; }
  int Operations() const { return FOperations; }
  const AnsiString& InnerAlphabet() const { return FInner; }
  const AnsiString& FirstAlphabet() const { return FFirst; }

private:
  bool Check(const AnsiString& Candidate);
  bool Full() const { return FResults->Count() > FMaximum; }
  // Whether a candidate may hold C at Place (of Places).
  // The letters a place may take, as a row of bits: all of them without
  // the table, none past its end (but an apostrophe, always).
  const uint64_t* PlaceRow(const std::vector<std::array<uint64_t, 4>>& Places, size_t Place) const;
  bool Holds(const uint64_t* Row, char C) const {
    const Byte c = FLow[static_cast<Byte>(C)];
    return ((Row[c >> 6] >> (c & 63)) & 1) || IsApostrophe(C);
  }

  AnsiString FWord;
  TStrings* FResults = nullptr;
  TWordCheckEvent FWordCheck;
  int FLanguage = 0;
  AnsiString FInner, FFirst;
  int FMaximum = 0;
  bool FAllOperations = false;
  int FOperations = 0;
  bool FWordLower = false;
  TPlaceLetters FPlaces;
  bool FHavePlaces = false;
  const Byte* FLow;  // the case table, for ever
};
