#include "spell/scPhoneticsMap.h"

#include "spell/scUtil.h"

#include <algorithm>
#include <atomic>
#include <typeinfo>

uint64_t TReplaceNode::NewStamp() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

bool TReplaceNode::Match(const AnsiString& S, AnsiString& Replacement, size_t Position,
                         int& Consumed) const {
  if (Position < S.size()) {
    const TReplaceNode* child = Child(static_cast<Byte>(S[Position]));
    if (child && child->Match(S, Replacement, Position + 1, Consumed)) return true;
  }
  if (FTerminal) {
    Replacement = FReplacement;
    Consumed = FConsumed;
    return true;
  }
  Replacement.clear();
  return false;
}

const TReplaceNode* TReplaceNode::MatchNode(const char* S, size_t Length, size_t Position) const {
  // The deepest terminal node along S from Position: the longest rule.
  const TReplaceNode* node = this;
  const TReplaceNode* best = FTerminal ? this : nullptr;
  for (; Position < Length; ++Position) {
    node = node->Child(static_cast<Byte>(S[Position]));
    if (!node) break;
    if (node->FTerminal) best = node;
  }
  return best;
}

void TReplaceNode::Clear() {
  FChildren.clear();
  FIndex.fill(0xFF);
  FHasChildren = false;
  FStamp = NewStamp();
}

void TReplaceNode::AddRule(const AnsiString& Pattern, const AnsiString& Replacement,
                           int Consumed) {
  TReplaceNode* node = this;
  for (char ch : Pattern) {
    const Byte b = static_cast<Byte>(ch);
    TReplaceNode* next = const_cast<TReplaceNode*>(node->Child(b));
    if (!next) {
      node->FIndex[b] = static_cast<Byte>(node->FChildren.size());
      node->FChildren.push_back(std::make_unique<TReplaceNode>());
      next = node->FChildren.back().get();
    }
    node->FHasChildren = true;
    node = next;
  }
  node->FTerminal = true;
  node->FReplacement = Replacement;
  node->FConsumed = Consumed;
  FStamp = NewStamp();
}

void TPhoneticsMap::AddRule(const AnsiString& Pattern, const AnsiString& Replacement,
                            int Consumed) {
  TReplaceNode::AddRule(Pattern, Replacement, Consumed);
  if (!FBuilding) FPristine = false;
}

void TPhoneticsMap::Clear() {
  TReplaceNode::Clear();
  if (!FBuilding) FPristine = false;
}

namespace {
struct TRule {
  const char* Pattern;
  const char* Replacement;
  int Consumed;
};

const TRule kEnglish[] = {
    {"b", "b", 1},   {"cia", "x", 1}, {"ch", "x", 2},  {"ci", "s", 1},  {"ce", "s", 1},
    {"cy", "s", 1},  {"c", "k", 1},   {"dge", "j", 2}, {"dgy", "j", 2}, {"dgi", "j", 2},
    {"d", "t", 1},   {"f", "f", 1},   {"gha", "k", 2}, {"ghe", "k", 2}, {"ghi", "k", 2},
    {"gho", "k", 2}, {"ghu", "k", 2}, {"ghy", "k", 2}, {"gh", "", 2},   {"gn", "n", 2},
    {"gi", "j", 1},  {"ge", "j", 1},  {"gy", "j", 1},  {"g", "k", 1},   {"h", "h", 1},
    {"ah", "", 2},   {"eh", "", 2},   {"ih", "", 2},   {"oh", "", 2},   {"uh", "", 2},
    {"j", "j", 1},   {"ck", "k", 2},  {"k", "k", 1},   {"l", "l", 1},   {"m", "m", 1},
    {"n", "n", 1},   {"ph", "f", 2},  {"p", "p", 1},   {"q", "k", 1},   {"r", "r", 1},
    {"sh", "x", 2},  {"sio", "x", 1}, {"sia", "x", 1}, {"s", "s", 1},   {"tia", "x", 1},
    {"tio", "x", 1}, {"th", "0", 2},  {"tch", "x", 3}, {"t", "t", 1},   {"v", "f", 1},
    {"wa", "w", 1},  {"we", "w", 1},  {"wi", "w", 1},  {"wo", "w", 1},  {"wu", "w", 1},
    {"wy", "w", 1},  {"x", "ks", 1},  {"ya", "y", 1},  {"ye", "y", 1},  {"yi", "y", 1},
    {"yo", "y", 1},  {"yu", "y", 1},  {"yy", "y", 2},  {"z", "s", 1},
};

// Russian in code page 1251.
const TRule kRussian[] = {
    {"\xE1", "\xE1\xFC", 1}, {"\xE2", "\xE2\xFC", 1}, {"\xE3", "\xE3\xFC", 1},
    {"\xEB", "\xEB\xFC", 1}, {"\xEC", "\xEC\xFC", 1}, {"\xED", "\xED\xFC", 1},
    {"\xEF", "\xEF\xFC", 1}, {"\xF0", "\xF0\xFC", 1}, {"\xF1", "\xF1\xFC", 1},
    {"\xF2", "\xF2\xFC", 1}, {"\xE4", "\xF2", 1},     {"\xE7", "\xF1", 1},
    {"\xEA", "\xE3", 1},     {"\xE6", "\xF8", 1},     {"\xEE", "\xE0", 1},
    {"\xEE\xF0\xEE", "\xEE\xF0\xE0", 3},              {"\xEE\xEB\xEE", "\xEE\xEB\xE0", 3},
    {"\xED\xED", "\xED", 2}, {"\xF1\xF1", "\xF1", 2}, {"\xE5\xE5", "\xE5", 2},
    {"\xE6\xE8", "\xE6\xFB", 2},                      {"\xF8\xE8", "\xF8\xFB", 2},
    {"\xF9", "\xF8\xFC", 1}, {"\xF9\xF3", "\xF8\xFE", 2},
    {"\xF1\xF7", "\xF9", 2}, {"\xF1\xF8", "\xF8", 1},
};

const TRule kFrench[] = {
    {"b", "b", 1}, {"p", "b", 1}, {"c", "c", 1}, {"k", "c", 1}, {"q", "c", 1}, {"d", "d", 1},
    {"t", "d", 1}, {"l", "l", 1}, {"m", "m", 1}, {"n", "m", 1}, {"r", "r", 1}, {"g", "g", 1},
    {"j", "g", 1}, {"x", "x", 1}, {"z", "x", 1}, {"s", "x", 1}, {"f", "f", 1}, {"v", "f", 1},
};

const TRule kGeneral[] = {
    {"b", "b", 1}, {"f", "b", 1}, {"p", "b", 1}, {"v", "b", 1}, {"c", "k", 1}, {"g", "k", 1},
    {"j", "k", 1}, {"k", "k", 1}, {"q", "k", 1}, {"s", "k", 1}, {"x", "k", 1}, {"z", "k", 1},
    {"d", "d", 1}, {"t", "d", 1}, {"l", "l", 1}, {"m", "m", 1}, {"n", "m", 1}, {"r", "r", 1},
};

template <size_t N>
void AddAll(TReplaceNode& map, const TRule (&rules)[N]) {
  for (const auto& r : rules) map.AddRule(r.Pattern, r.Replacement, r.Consumed);
}
}  // namespace

void TPhoneticsMap::BuildRules(int LanguageID) {
  if (LanguageID == FLanguage) return;
  // Only this class's own rules are put aside: a derived class may build
  // or add rules its own way.
  const bool exact = typeid(*this) == typeid(TPhoneticsMap);
  if (exact && FPristine && !FTerminal) {
    TRuleSet set;
    set.Language = FLanguage;
    set.Stamp = FStamp;
    set.Index = FIndex;
    set.Children = std::move(FChildren);
    set.HasChildren = FHasChildren;
    FPutAside.push_back(std::move(set));
    if (FPutAside.size() > 4) FPutAside.erase(FPutAside.begin());
    FChildren.clear();
  }
  FPristine = false;
  for (size_t i = 0; exact && i < FPutAside.size(); ++i) {
    if (FPutAside[i].Language != LanguageID || FTerminal) continue;
    TRuleSet& set = FPutAside[i];
    FLanguage = LanguageID;
    FIndex = set.Index;
    FChildren = std::move(set.Children);
    FHasChildren = set.HasChildren;
    FStamp = set.Stamp;
    FPutAside.erase(FPutAside.begin() + static_cast<std::ptrdiff_t>(i));
    FPristine = true;
    return;
  }
  FLanguage = LanguageID;
  FBuilding = true;
  Clear();
  switch (LanguageID & 0xFF) {
    case 9: {
      AddAll(*this, kEnglish);
      // A vowel, "h", a vowel: "h", with the second vowel read again.
      const char* vowels = "aeiou";
      for (const char* a = vowels; *a; ++a)
        for (const char* b = vowels; *b; ++b) AddRule(AnsiString{*a, 'h', *b}, "h", 2);
      break;
    }
    case 25: AddAll(*this, kRussian); break;
    case 12: AddAll(*this, kFrench); break;
    default: AddAll(*this, kGeneral);
  }
  FBuilding = false;
  FPristine = true;
}

void TPhoneticsMap::SetPrefixDepth(int Value) {
  if (Value >= 1) FPrefixDepth = Value;
}

void TPhoneticsMap::MakeKey(const AnsiString& Word, AnsiString& Key) const {
  char s[256];
  const size_t len = std::min<size_t>(Word.size(), sizeof s);
  const Byte* lower = SpellLowerTable();
  for (size_t i = 0; i < len; ++i) s[i] = static_cast<char>(lower[static_cast<Byte>(Word[i])]);
  Key.clear();
  int budget = KeyBudget;
  size_t pos = 0;
  if (len > 0 && FPrefixDepth > 0) {
    pos = std::min<size_t>(static_cast<size_t>(FPrefixDepth), len);
    Key.assign(s, pos);
  }
  while (pos < len) {
    int consumed = 1;
    // The root itself holds no rule, so a match is always a real rule.
    if (const TReplaceNode* rule = MatchNode(s, len, pos)) {
      const AnsiString& repl = rule->Replacement();
      consumed = rule->Consumed();
      if (CollapseRepeats && !Key.empty() && consumed == 1 && !repl.empty() &&
          repl[0] == Key.back()) {
        pos += 1;
        continue;
      }
      Key += repl;
      budget -= static_cast<int>(repl.size());
      if (budget < 1) break;
    }
    pos += static_cast<size_t>(std::max(consumed, 1));
  }
}

bool TPhoneticsMap::IsWithinDistance(const AnsiString& Word, int Distance) const {
  const int limit = Divisor > 0 ? static_cast<int>(Word.size()) / Divisor : 0;
  return Distance <= limit && Distance <= MaxDistance;
}

namespace {
bool SoundVowel(Byte c) {
  switch (c) {
    case 'a': case 'e': case 'i': case 'o': case 'u': case 'y': return true;
    default: return c >= 0xC0;  // accented letters count as vowels
  }
}
bool SoftensC(Byte c) { return c == 'e' || c == 'i' || c == 'y'; }
}  // namespace

size_t SoundKeyOf(const char* Word, size_t Length, char* Key, size_t Limit) {
  size_t k = 0;
  const Byte* lower = SpellLowerTable();
  // The letters alone, in lower case, with a blank after them.
  Byte s[258];
  size_t n = 0;
  for (size_t i = 0; i < Length && n < 256; ++i) {
    const Byte c = lower[static_cast<Byte>(Word[i])];
    if ((c >= 'a' && c <= 'z') || c >= 0xC0) s[n++] = c;
  }
  s[n] = s[n + 1] = 0;
  char last = 0;  // the sound written last, unless a vowel came since
  auto emit = [&](char code) {
    if (code != last) Key[k++] = code;
    last = code;
  };
  for (size_t i = 0; i < n && k < Limit;) {
    const Byte c = s[i], next = s[i + 1];
    size_t used = 1;
    // A doubled letter once ("cc" before "e", "i" or "y" is "ks").
    if (c == next && !(c == 'c' && SoftensC(s[i + 2]))) {
      i += 1;
      continue;
    }
    if (SoundVowel(c) && !(c == 'y' && next && SoundVowel(next))) {
      if (i == 0) Key[k++] = 'a';
      last = 0;
      i += 1;
      continue;
    }
    switch (c) {
      case 'b': emit('b'); break;
      case 'c':
        if (next == 'h') {
          // "k" before a consonant and after "s" ("chrome", "technique", "school").
          const Byte after = s[i + 2];
          emit((after && !SoundVowel(after)) || (i > 0 && s[i - 1] == 's') ? 'k' : 'x');
          used = 2;
        } else if (next == 'k') {
          emit('k');
          used = 2;
        } else {
          emit(SoftensC(next) ? 's' : 'k');
        }
        break;
      case 'd':
        if (next == 'g' && SoftensC(s[i + 2])) {
          emit('j');
          used = 2;
        } else {
          emit('t');
        }
        break;
      case 'f': case 'v': emit('f'); break;
      case 'g':
        if (next == 'h') {
          if (i == 0) emit('k');
          used = 2;
        } else if (next == 'n') {
          emit('n');
          used = 2;
        } else {
          emit(SoftensC(next) ? 'j' : 'k');
        }
        break;
      case 'h':
        if (i == 0) emit('h');
        break;
      case 'j': emit('j'); break;
      case 'k':
        if (i == 0 && next == 'n') break;  // a silent k
        emit('k');
        break;
      case 'l': emit('l'); break;
      case 'm': emit('m'); break;
      case 'n': emit('n'); break;
      case 'p':
        if (next == 'h') {
          emit('f');
          used = 2;
        } else {
          emit('p');
        }
        break;
      case 'q': emit('k'); break;
      case 'r': emit('r'); break;
      case 's':
        if (next == 'h' || (next == 'i' && (s[i + 2] == 'o' || s[i + 2] == 'a'))) {
          emit('x');
          used = next == 'h' ? 2 : 1;
        } else {
          emit('s');
        }
        break;
      case 't':
        if (next == 'h') {
          emit('0');
          used = 2;
        } else if (next == 'c' && s[i + 2] == 'h') {
          emit('x');
          used = 3;
        } else if (next == 'i' && (s[i + 2] == 'o' || s[i + 2] == 'a')) {
          emit('x');
        } else {
          emit('t');
        }
        break;
      case 'w':
        if (next == 'h') {
          emit('w');
          used = 2;
        } else if (SoundVowel(next)) {
          emit('w');
        }
        break;
      case 'x':
        if (i == 0) {
          emit('s');
        } else {
          emit('k');
          emit('s');
        }
        break;
      case 'y': emit('y'); break;
      case 'z': emit('s'); break;
      default: break;
    }
    i += used;
  }
  return std::min(k, Limit);
}

void MakeSoundKey(const AnsiString& Word, AnsiString& Key) {
  char key[kSoundKeyRoom];
  Key.assign(key, SoundKeyOf(Word.data(), Word.size(), key));
}
