#include "spell/scThesaurusLanguage.h"

namespace {
const char* const kTexts[kThesaurusLanguageCount][kThesaurusStringCount] = {
    {"Thesaurus: %name%", "Looked &Up:", "Conte&xts:", "Replace &With:", "&Previous", "&Lookup",
     "&Replace", "&Close", "(not found)"},
    {"Thesaurus: %name%", "&Uppslaget:", "&Sammanhang:", "Ersätt &med:", "&Föregående",
     "&Slå upp", "&Ersätt", "&Stäng", "(hittades inte)"},
    {"Thesaurus: %name%", "&Nachgeschlagen:", "&Bedeutungen:", "Ersetzen &durch:", "&Zurück",
     "N&achschlagen", "&Ersetzen", "&Schließen", "(nicht gefunden)"},
    {"Тезаурус: %name%", "&Искомое слово:", "&Значения:", "&Заменить на:", "&Назад", "&Найти",
     "&Заменить", "&Закрыть", "(не найдено)"},
    {"Thesaurus: %name%", "&Vyhledáno:", "&Významy:", "&Nahradit čím:", "&Předchozí",
     "V&yhledat", "&Nahradit", "&Zavřít", "(nenalezeno)"},
    {"Synonymordbog: %name%", "&Slået op:", "&Betydninger:", "Erstat &med:", "&Forrige",
     "S&lå op", "&Erstat", "&Luk", "(ikke fundet)"},
    {"Synonymordbok: %name%", "&Slått opp:", "&Betydninger:", "Erstatt &med:", "&Forrige",
     "S&lå opp", "&Erstatt", "&Lukk", "(ikke funnet)"},
    {"Tezaurus: %name%", "&Wyszukano:", "&Znaczenia:", "Zamień &na:", "&Poprzedni", "&Szukaj",
     "&Zamień", "Za&mknij", "(nie znaleziono)"},
};
}  // namespace

String GetThesaurusLanguageString(int StringId, int Language) {
  if (StringId < 0 || StringId >= kThesaurusStringCount || Language < 0 ||
      Language >= kThesaurusLanguageCount)
    return String();
  return kTexts[Language][StringId];
}
