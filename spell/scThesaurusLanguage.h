#pragma once
// The thesaurus dialog's texts in eight languages (UTF-8).
#include "platform/base/Types.h"

// Scoped: the spell checker's enumerations use the same value names.
enum class TThesaurusLanguageType : Byte {
  ltEnglish, ltSwedish, ltGerman, ltRussian, ltCzech, ltDanish, ltNorwegianBok, ltPolish
};

enum class TThesaurusLanguageString : Byte {
  lsThesaurus, lsDlgLookedUp, lsDlgContexts, lsDlgReplaceWith, lsDlgPrevious, lsDlgLookup,
  lsDlgReplace, lsDlgClose, lsDlgNotFound
};

constexpr int kThesaurusLanguageCount = 8;
constexpr int kThesaurusStringCount = 9;

// '' for an id above 8 or a language above 7.
String GetThesaurusLanguageString(int StringId, int Language);
