#pragma once
// The spell checker's interface texts in thirteen languages (UTF-8).
#include "platform/base/Types.h"

enum TSpellLanguageType : Byte {
  ltEnglish, ltSwedish, ltBrPort, ltAfrikaans, ltGerman, ltSpanish, ltRussian,
  ltCzech, ltDutch, ltDanish, ltPolish, ltNorwegianBok, ltFrench
};

enum TSpellLanguageString : Byte {
  lsLiveSpelling, lsLiveCorrect, lsIgnoreUpcase, lsIgnoreNumbers, lsHTML, lsInternet, lsQuoted,
  lsAbbreviations, lsPrimaryOnly, lsRepeated, lsDUalCaps, lsConfirmation, lsRemoveCustomDict,
  lsIgnoreAllChangeAll, lsSpelling, lsSpellingOptions, lsDictionaries, lsIgnoreAllChangeAllTitle,
  lsNewCustomTitle, lsDlgNotFound, lsDlgRepeatedWord, lsDlgReplaceWith, lsDlgSuggestions,
  lsDlgUndo, lsDlgOptions, lsDlgIgnoreAll, lsDlgIgnore, lsDlgChangeAll, lsDlgChange, lsDlgAdd,
  lsDlgAutoCorrect, lsDlgHelp, lsDlgCancel, lsDlgResetDefaults, lsDlgOptionsLabel,
  lsDlgDictionariesLabel, lsDlgName, lsDlgFilename, lsDlgCustomDictionary, lsDlgDictionaries,
  lsDlgBrowseForMain, lsDlgBrowseForMainTitle, lsDlgCustomDictionaries, lsDlgEdit, lsDlgDelete,
  lsDlgNew, lsDlgOK, lsDlgNewCustom, lsDlgAddedWords, lsDlgAddedWordsExplanation,
  lsDlgIgnoreThisWord, lsDlgAutoCorrectPairs, lsDlgAutoCorrectPairsExplanation, lsDlgReplace,
  lsDlgWith, lsDlgExcludedWords, lsDlgExcludedWordsExplanation, lsDlgExcludeThisWord,
  lsEndMessage, lsWordsChecked, lsEndSelectionMessage, lsMnNoSuggestions, lsMnIgnore,
  lsMnIgnoreAll, lsMnAdd, lsMnChangeAll, lsMnAutoCorrect, lsMnSpelling
};

constexpr int kSpellLanguageCount = 13;
constexpr int kSpellStringCount = 68;

// '' for an id above 67 or a language above 12.
String GetSpellLanguageString(int StringId, int Language);
