#include "spell/scSuggestions.h"

#include "spell/scUtil.h"

namespace {
AnsiString Range(int from, int to) {
  AnsiString s;
  for (int c = from; c <= to; ++c) s += static_cast<char>(c);
  return s;
}
const char kExtra[] = "\xB8\xA8\xB9\xB3\xBF";
}  // namespace

void TPlaceLetters::Add(const AnsiString& Word, size_t TypedLength) {
  if (Word.size() != TypedLength && Word.size() != TypedLength + 1) return;
  auto& places = Word.size() == TypedLength ? Same : Longer;
  if (places.size() < Word.size()) places.resize(Word.size(), std::array<uint64_t, 4>{});
  const Byte* low = SpellLowerTable();
  for (size_t i = 0; i < Word.size(); ++i) {
    const Byte c = low[static_cast<Byte>(Word[i])];
    places[i][c >> 6] |= 1ull << (c & 63);
  }
}

const uint64_t* TSuggestionsGenerator::PlaceRow(const std::vector<std::array<uint64_t, 4>>& Places,
                                                size_t Place) const {
  static const uint64_t kAll[4] = {~0ull, ~0ull, ~0ull, ~0ull}, kNone[4] = {};
  if (!FHavePlaces) return kAll;
  return Place < Places.size() ? Places[Place].data() : kNone;
}

TSuggestionsGenerator::TSuggestionsGenerator() : FLow(SpellLowerTable()) {
  FInner = "'" + Range('a', 'z') + "\xD7\xDE\xDF" + Range(0xE0, 0xFF) + kExtra;
  FFirst = "'" + Range('a', 'z') + Range('A', 'Z') + Range(0xC0, 0xFF) + kExtra;
  SetAllOperations(true);
}

void TSuggestionsGenerator::SetLanguage(int LanguageID) {
  if (LanguageID == FLanguage) return;
  FLanguage = LanguageID;
  SetAllOperations(FAllOperations);
  AnsiString letters;
  if (LanguageID == 1029)
    letters = "\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E"
              "\xC1\xC8\xCF\xC9\xCC\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E";
  else if ((LanguageID & 0xFF) == 12)
    letters = "\x9C";
  else if (LanguageID == 1049)
    letters = "\xB2\xA2\xB1\xA1\xBC\xAC\xB6\xA6";
  else if (LanguageID == 1045)
    letters = "\xB9\xE6\xEA\xB3\xB3\xF1\xF3\x9C\xBF\x9F\xA5\xC6\xCA\xA3\xD1\xD3\x8C\xAF\x8F";
  FInner += letters;
  FFirst += letters;
}

void TSuggestionsGenerator::SetAllOperations(bool Value) {
  FAllOperations = Value;
  if (Value) FOperations = FLanguage == 1053 ? 0x0F : 0x1F;
}

void TSuggestionsGenerator::SetOperations(int Mask) {
  FOperations = Mask;
  FAllOperations = false;
}

bool TSuggestionsGenerator::AddSuggestion(const AnsiString& Word) {
  int i = FResults->IndexOf(Word);
  if (i >= 0 && FResults->Get(i) == Word) return false;
  FResults->Add(Word);
  return true;
}

bool TSuggestionsGenerator::Check(const AnsiString& Candidate) {
  if (FSieve && !FSieve(Candidate)) return false;
  bool found = false;
  FWordCheck(Candidate, found);
  return found;
}

bool TSuggestionsGenerator::TryCandidate(const AnsiString& Candidate) {
  if (Candidate.size() <= 1) return false;
  if (FSieve) {
    if (!FSieve(Candidate)) return false;
    if (FRecording) FPassed.push_back(FEdit);
  }
  bool found = false;
  FWordCheck(Candidate, found);
  if (!found) return false;
  if (Full()) return true;
  if (FWordLower && !IsAllLower(Candidate) && Check(SpellLower(Candidate))) return false;
  AddSuggestion(Candidate);
  return false;
}

bool TSuggestionsGenerator::TryTranspositions(int Distance) {
  const int len = static_cast<int>(FWord.size());
  if (len <= Distance + 1) return false;
  AnsiString w = FWord;
  for (int i = len - Distance; i >= 1; --i) {
    std::swap(w[i - 1], w[i - 1 + Distance]);
    FEdit = {'t', static_cast<unsigned char>(Distance), static_cast<uint16_t>(i - 1)};
    bool stop = TryCandidate(w);
    std::swap(w[i - 1], w[i - 1 + Distance]);
    if (stop) return true;
  }
  return false;
}

bool TSuggestionsGenerator::TryInsertions() {
  // One string per place, its inserted letter changed in place.
  const size_t len = FWord.size();
  AnsiString w;
  for (size_t p = len + 1; p >= 2; --p) {
    w = FWord;
    w.insert(p - 1, 1, ' ');
    const uint64_t* row = PlaceRow(FPlaces.Longer, p - 1);
    for (char c : FInner) {
      if (!Holds(row, c)) continue;
      w[p - 1] = c;
      FEdit = {'i', static_cast<unsigned char>(c), static_cast<uint16_t>(p - 1)};
      if (TryCandidate(w)) return true;
    }
  }
  w = FWord;
  w.insert(0, 1, ' ');
  const uint64_t* first = PlaceRow(FPlaces.Longer, 0);
  for (char c : FFirst) {
    if (!Holds(first, c)) continue;
    w[0] = c;
    FEdit = {'i', static_cast<unsigned char>(c), 0};
    if (TryCandidate(w)) return true;
  }
  return false;
}

bool TSuggestionsGenerator::TryDeletions() {
  for (size_t p = FWord.size(); p >= 1; --p) {
    AnsiString w = FWord;
    w.erase(p - 1, 1);
    FEdit = {'d', 0, static_cast<uint16_t>(p - 1)};
    if (TryCandidate(w)) return true;
  }
  return false;
}

bool TSuggestionsGenerator::TrySubstitutions() {
  AnsiString w = FWord;
  for (size_t p = FWord.size(); p >= 2; --p) {
    const char keep = w[p - 1];
    const uint64_t* row = PlaceRow(FPlaces.Same, p - 1);
    for (char c : FInner) {
      if (!Holds(row, c)) continue;
      w[p - 1] = c;
      FEdit = {'s', static_cast<unsigned char>(c), static_cast<uint16_t>(p - 1)};
      if (TryCandidate(w)) return true;
    }
    w[p - 1] = keep;
  }
  if (!w.empty()) {
    const uint64_t* first = PlaceRow(FPlaces.Same, 0);
    for (char c : FFirst) {
      if (!Holds(first, c)) continue;
      w[0] = c;
      FEdit = {'s', static_cast<unsigned char>(c), 0};
      if (TryCandidate(w)) return true;
    }
  }
  return false;
}

AnsiString TSuggestionsGenerator::Apply(const TEdit& Edit) const {
  AnsiString w = FWord;
  const size_t at = Edit.Place;
  const char c = static_cast<char>(Edit.Letter);
  switch (Edit.Kind) {
    case 't': std::swap(w[at], w[at + Edit.Letter]); break;
    case 'i': w.insert(at, 1, c); break;
    case 'd': w.erase(at, 1); break;
    default: w[at] = c; break;
  }
  return w;
}

bool TSuggestionsGenerator::MayReplay(const AnsiString& Word) const {
  const TPassedKey& k = FPassedKey;
  return FSieve && FPassedValid && Word.size() == k.Word.size() && SpellLower(Word) == k.Word &&
         IsAllLower(Word.substr(1)) && FInner == k.Inner && FFirst == k.First && FOperations == k.Operations &&
         FHavePlaces == k.HavePlaces && FPlaces == k.Places;
}

bool TSuggestionsGenerator::TrySplits() {
  const size_t len = FWord.size();
  for (size_t k = 2; k + 2 <= len; ++k) {
    AnsiString a = FWord.substr(0, k), b = FWord.substr(k);
    if (Check(a) && Check(b)) {
      if (Full()) return true;
      AddSuggestion(a + " " + b);
    }
  }
  const auto dot = FWord.find('.');
  if (dot != AnsiString::npos && FWord.find('.', dot + 1) == AnsiString::npos && dot + 1 < len) {
    const char after = FWord[dot + 1];
    if (SpellUpper(AnsiString(1, after))[0] == after) {
      AnsiString a = FWord.substr(0, dot), b = FWord.substr(dot + 1);
      if (Check(a) && Check(b) && !Full())
        AddSuggestion(FWord.substr(0, dot + 1) + "  " + b);
    }
  }
  return false;
}

void TSuggestionsGenerator::GenerateForm(const AnsiString& Word, int Maximum,
                                         const TWordCheckEvent& WordCheck, TStrings* Results) {
  if (Maximum == -1) Maximum = 65535;
  if (!WordCheck || !Results || Word.empty() || Maximum < 1 || Word.size() >= 251) return;
  FWord = Word;
  FWordCheck = WordCheck;
  FResults = Results;
  FMaximum = Maximum;
  FWordLower = IsAllLower(Word);
  bool stop = false;
  if (MayReplay(Word)) {
    // The single edits of the last word that the sieve let through, on this one.
    for (size_t i = 0; i < FPassed.size() && !stop; ++i) stop = TryCandidate(Apply(FPassed[i]));
  } else {
    const AnsiString inner = FInner;
    // Capitals inside the word only where the word has one there.
    if (!IsAllLower(Word.substr(1))) FInner = FFirst;
    FPassedValid = false;
    FPassed.clear();
    FRecording = FSieve != nullptr && IsAllLower(Word.substr(1));
    if (!stop && (FOperations & sgTransposition)) stop = TryTranspositions(1);
    if (!stop && (FOperations & sgInsertion)) stop = TryInsertions();
    if (!stop && (FOperations & sgDeletion)) stop = TryDeletions();
    if (!stop && (FOperations & sgSubstitution)) stop = TrySubstitutions();
    if (!stop && (FOperations & sgTransposition)) stop = TryTranspositions(2);
    // Kept only when every single edit was tried.
    if (FRecording && !stop) {
      FPassedKey = {SpellLower(Word), FInner, FFirst, FOperations, FHavePlaces, FPlaces};
      FPassedValid = true;
    }
    FRecording = false;
    FInner = inner;
  }
  if (!stop && (FOperations & sgSplits)) stop = TrySplits();
  FResults = nullptr;
  FWordCheck = nullptr;
}

void TSuggestionsGenerator::Generate(const AnsiString& Word, int Maximum,
                                     const TWordCheckEvent& WordCheck, TStrings* Results) {
  GenerateForm(Word, Maximum, WordCheck, Results);
  if (Word.empty() || IsAllUpper(Word) || IsAllLower(Word)) return;
  const AnsiString first(1, Word[0]);
  const AnsiString other =
      SpellUpper(first) != first ? SpellLower(Word) : first + SpellLower(Word.substr(1));
  // A capitalised word is its own second form: generated once.
  if (other != Word) GenerateForm(other, Maximum, WordCheck, Results);
}
