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
  bool operator==(const TPlaceLetters&) const = default;
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

  // While set, a candidate the sieve refuses is no word, and the word check
  // is not asked. The sieve judges a candidate by its letters in lower case
  // alone: so the single edits it let through are kept, and a word that
  // differs from the last one only in its first letter's case (a
  // capitalised word after its lower-case form) tries only those again,
  // in the same order.
  void SetSieve(std::function<bool(const AnsiString&)> Sieve) { FSieve = std::move(Sieve); }
  void ClearSieve() { FSieve = nullptr; }
  void ForgetPassedEdits() { FPassedValid = false; }

  int Language() const { return FLanguage; }
  int Operations() const { return FOperations; }
  const AnsiString& InnerAlphabet() const { return FInner; }
  const AnsiString& FirstAlphabet() const { return FFirst; }

private:
  bool Check(const AnsiString& Candidate);
  bool Full() const { return FResults->Count() > FMaximum; }
  // A single edit of FWord: its kind, its place and its letter.
  struct TEdit {
    char Kind;  // 't' swap (Place and Place + Letter), 'i' insertion, 'd' deletion, 's' substitution
    unsigned char Letter;
    uint16_t Place;
  };
  AnsiString Apply(const TEdit& Edit) const;
  bool MayReplay(const AnsiString& Word) const;
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
  std::function<bool(const AnsiString&)> FSieve;
  // The single edits the sieve let through for the last word, and what
  // they were made under.
  TEdit FEdit{};
  bool FRecording = false;
  std::vector<TEdit> FPassed;
  struct TPassedKey {
    AnsiString Word, Inner, First;
    int Operations = 0;
    bool HavePlaces = false;
    TPlaceLetters Places;
  } FPassedKey;
  bool FPassedValid = false;
};
