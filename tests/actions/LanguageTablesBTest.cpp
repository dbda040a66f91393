// The Russian, Swedish, Norwegian, German, Italian, French and Ukrainian
// tables: each keeps the form of the English rows (or departs only where its
// language needs to), is registered in its place and becomes current by its
// exact name alone.
#include "actions/VLALanguageCheck.h"
#include "actions/VLALocalize.h"
#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

extern const char* const VLAL_EngUS[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Rus[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Sv[VLA_MESSAGE_COUNT];
extern const char* const VLAL_NorBok[VLA_MESSAGE_COUNT];
extern const char* const VLAL_De[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Ita[VLA_MESSAGE_COUNT];
extern const char* const VLAL_FR[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Ukr[VLA_MESSAGE_COUNT];

namespace {

struct TQuoted {
  int Id;
  const char* Utf8;
};

struct TTable {
  const char* Name;  // code page 1252 bytes, as registered
  Byte Charset;
  Cardinal CodePage;
  TVLAMessages Rows;
  int Position;  // in the full start-up order of fifteen
  // The letters beyond ASCII the table may use (UTF-8).
  const char* Letters;
  std::set<int> EqualToEnglish;
  std::set<int> Empty;  // besides id 0
  // Accelerator counts that differ from the English row's.
  std::map<int, int> Accelerators;
  // Rows that end in a blank (English has none that do).
  std::set<int> TrailingBlank;
  // What the general validator must report and nothing else: the rows
  // whose form this language changes on purpose.
  std::set<std::string> ValidatorFindings;
  int LongestId;
  std::vector<TQuoted> Quoted;
};

const std::vector<TTable>& Tables() {
  static const std::vector<TTable> tables = {
      {"Russian", 204, 1251, VLAL_Rus, 1, "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяё",
       {0, 224}, {453}, {{193, 1}, {301, 1}, {390, 1}, {453, 0}}, {431}, {}, 215,
       {{1, "&Файл"}, {2, "&Правка"}, {3, "Ф&ормат"}, {4, "&Шрифт"}, {5, "&Абзац"}, {6, "&Вставка"},
        {7, "&Таблица"}, {8, "&Окно"}, {9, "&Справка"}, {10, "Вы&ход"}, {12, "Создать|Создание нового документа"},
        {193, "&Регистр"}, {195, "ОК"}, {203, "%"}, {209, "Сохранить изменения в %s?"},
        {227, "Строка '%s' не найдена."}, {229, "Произведено замен: %d"}, {301, "&Начертание"},
        {320, "В&низ"}, {321, "В&верх"}, {333, "&URL:"}, {335, "Ошибка открытия \"%s\""},
        {349, "Код символа: %d"}, {350, "Код символа: Юникод %d"}, {359, "&Указанная:"},
        {382, "Исходный размер: %d x %d"}, {390, "&Интервалы между ячейками:"},
        {431, "начать нумерацию в списке с "}, {453, ""}, {463, "Уровень %d"}, {516, "из %d"},
        {166, "Увеличить размер|Увеличение размера шрифта выделенного текста на 10%"},
        {168, "Уменьшить размер|Уменьшение размера шрифта выделенного текста на 10%"},
        {239, "Серый-80%"}, {247, "Серый-50%"}, {255, "Серый-40%"}, {263, "Серый-25%"},
        {217, "Файлы формата Vellum (*.vlf)|*.vlf"}, {218, "Файлы RTF (*.rtf)|*.rtf"},
        {219, "Файлы XML (*.xml)|*.xml"}, {220, "Текстовые файлы (*.txt)|*.txt"},
        {221, "Текстовые файлы - Юникод (*.txt)|*.txt"}, {222, "Текстовые файлы - авто (*.txt)|*.txt"},
        {223, "Файлы HTML (*.htm;*.html)|*.htm;*.html"}, {225, "HTML - упрощённый (*.htm;*.html)|*.htm;*.html"},
        {459, "Текст текст текст текст текст. Текст текст текст текст текст. Текст текст текст текст текст. "
              "Текст текст текст текст текст. Текст текст текст текст текст. Текст текст текст текст текст."},
        {485, "Текст текст текст текст текст. Текст текст текст текст текст. Текст текст текст текст текст."}}},
      {"Svenska", 0, 1252, VLAL_Sv, 2, "äöåÄÖÅ",
       {0, 3, 57, 195, 212, 224, 241, 278, 292, 295, 296, 297, 298, 318, 319, 332, 340, 342, 348, 363, 416, 417,
        418, 419, 420, 421, 459, 485, 510, 563, 570},
       {}, {{545, 1}}, {}, {}, 216,
       {{1, "&Arkiv"}, {2, "&Redigera"}, {3, "F&ormat"}, {4, "T&ecken"}, {5, "&Stycke"}, {6, "&Infoga"},
        {7, "&Tabell"}, {8, "&Fönster"}, {9, "&Hjälp"}, {10, "A&vsluta"}, {12, "Nytt|Skapar ett nytt dokument"},
        {13, "&Öppna..."}, {209, "Spara ändringar till %s?"},
        {211, "%s kan innehålla saker som inte är kompatibla med det valda formatet.\rVill du ändå spara i det här "
              "formatet?"},
        {227, "Söksträngen '%s' kunde inte hittas."}, {229, "%d strängar ersatta."},
        {335, "Kan inte gå till \"%s\""}, {349, "Teckenkod: %d"}, {350, "Teckenkod: Unicode %d"},
        {382, "Fövlald storlek: %d x %d"}, {390, "&Cell &avstånd:"}, {463, "Nivå %d"}, {516, "av %d"},
        {545, "Lägg till &rader"},
        {166, "Förstora teckensnitt|Förstorar teckensnitt på markerad text med 10%"},
        {168, "Minska teckensnitt|Minskar teckensnitt på markerad text med 10%"},
        {239, "Grå-80%"}, {247, "Grå-50%"}, {255, "Grå-40%"}, {263, "Grå-25%"},
        {217, "Vellum filer (*.vlf)|*.vlf"}, {218, "RTF filer (*.rtf)|*.rtf"}, {219, "XML filer (*.xml)|*.xml"},
        {220, "Text filer (*.txt)|*.txt"}, {221, "Text filer - Unicode (*.txt)|*.txt"},
        {222, "Text filer - Automatisk (*.txt)|*.txt"}, {223, "HTML filer (*.htm;*.html)|*.htm;*.html"},
        {225, "HTML - Förenklad (*.htm;*.html)|*.htm;*.html"},
        {578, "Kombinationer för specialtecken:\r&&p - sidnummer; &&P - antal sidor; &&d - dagens datum; &&t - "
              "aktuell tid."}}},
      {"Norsk (Bokm\xE5l)", 0, 1252, VLAL_NorBok, 3, "åøæÅØ",
       {0, 3, 28, 195, 212, 224, 231, 238, 273, 295, 348, 373, 417, 535}, {},
       {{131, 0}, {133, 0}, {135, 0}, {179, 0}, {297, 1}, {298, 1}, {301, 1}, {369, 1}, {545, 1}, {576, 1},
        {121, 2}, {555, 2}, {564, 2}},
       {170}, {"id 121: more than one accelerator"}, 216,
       {{1, "&Fil"}, {2, "&Rediger"}, {3, "F&ormat"}, {4, "&Skrift"}, {5, "&Paragraf"}, {6, "S&ett inn"},
        {7, "&Tabell"}, {8, "&Vindu"}, {9, "&Hjelp"}, {10, "&Avslutt"}, {12, "Ny|Nytt tomt dokument"},
        {13, "Å&pne..."}, {121, "&Del &celler..."}, {555, "&Speill &margene"},
        {564, "&Topptekst på første sid&en"}, {209, "Lagre endringene til %s?"},
        {211, "%s kan inneholde formatering som ikke er kompatibelt med valgt lagrings format.\rØnsker du å lagre "
              "dokumentet i dette formatet?"},
        {227, "Søke streng '%s' ikke funnet."}, {229, "%d strenger erstattet."},
        {335, "Kan ikke navigere til \"%s\""}, {349, "Tegn kode: %d"}, {350, "Tegn kode: Unicode %d"},
        {382, "Orginal størrelse: %d x %d"}, {463, "Nivå %d"}, {516, "av %d"},
        {166, "Øk skrift|Øker skrift størrelsen med 10%"}, {168, "Reduser skrift|Reduserer skriftstørrelsen med 10%"},
        {239, "80% grå"}, {247, "50% grå"}, {255, "40% grå"}, {263, "25% grå"},
        {217, "Vellum filer (*.vlf)|*.vlf"}, {218, "RTF filer (*.rtf)|*.rtf"}, {219, "XML filer (*.xml)|*.xml"},
        {220, "Tekst filer (*.txt)|*.txt"}, {221, "Tekst filer - Unicode (*.txt)|*.txt"},
        {222, "Tekst filer - Automatisk valg (*.txt)|*.txt"}, {223, "HTML filer (*.htm;*.html)|*.htm;*.html"},
        {225, "HTML - Forenklet (*.htm;*.html)|*.htm;*.html"},
        {485, "Tekst tekst tekst tekst tekst. Tekst tekst tekst tekst tekst. Tekst tekst tekst tekst tekst."},
        {578, "Spesielle tegnkombinasjoner:\r&&p - side tall; &&P - antall sider; &&d - nåværende dato; &&t - "
              "nåværende tid."}}},
      {"German", 0, 1252, VLAL_De, 4, "ÄÖßäöü",
       {0, 57, 183, 212, 218, 224, 230, 231, 238, 241, 252, 257, 264, 272, 273, 278, 298, 331, 332, 340, 342, 348,
        363, 370, 418, 459, 473, 485, 510, 563, 570},
       {}, {{171, 0}, {301, 1}, {390, 1}, {446, 0}, {569, 1}, {571, 0}}, {96}, {}, 216,
       {{1, "&Datei"}, {2, "&Bearbeiten"}, {3, "Forma&t"}, {4, "&Zeichen"}, {5, "&Absatz"}, {6, "&Einfügen"},
        {7, "&Tabelle"}, {8, "&Fenster"}, {9, "&Hilfe"}, {10, "&Beenden"},
        {12, "Neu|Erstellt ein leeres neues Dokument"}, {27, "S&eite einrichten.."},
        {96, "Einfacher Zeilenabstand|Den Zeilenabstand auf eine Zeile setzen "},
        {171, "Schriftart um einen Punkt verkleinern"}, {301, "Schriftsch&nitt"}, {390, "&Zellraum:"},
        {423, "Aufzählungszeichen"}, {446, "Aufzählungszeichen"}, {569, "&Fusszeile"},
        {571, "Fusszeile auf der ersten Seite"}, {209, "Änderungen in %s speichern?"},
        {227, "Suchtext '%s' nicht gefunden."}, {229, "%d Einträge ersetzt."},
        {335, "Kann Adresse \"%s\" nicht öffnen."}, {349, "Zeichencode: %d"}, {350, "Zeichencode: Unicode %d"},
        {382, "Standardgröße: %d x %d"}, {463, "Ebene %d"}, {516, "von %d"}, {440, "Nummer einfügen|"},
        {166, "Schriftart vergrößern|Höhe des markierten Texts um 10% vergrößern"},
        {168, "Schriftart verkleinern|Höhe des markierten Texts um 10% verkleinern"},
        {239, "Grau-80%"}, {247, "Grau-50%"}, {255, "Grau-40%"}, {263, "Grau-25%"},
        {217, "Vellum Dateien (*.vlf)|*.vlf"}, {219, "XML Dateien (*.xml)|*.xml"},
        {220, "Text Dateien (*.txt)|*.txt"}, {221, "Text Dateien - Unicode (*.txt)|*.txt"},
        {222, "Text Dateien - Automatische Auswahl (*.txt)|*.txt"}, {223, "HTML Dateien (*.htm;*.html)|*.htm;*.html"},
        {225, "HTML - Einfach (*.htm;*.html)|*.htm;*.html"},
        {578, "Spezielle Zeichenkombinationen:\r&&p - Seitennummer; &&P - Seitenanzahl; &&d - Aktuelles Datum; "
              "&&t - Aktuelle Zeit."}}},
      {"Italian", 0, 1252, VLAL_Ita, 5, "àèù",
       {0, 1, 4, 49, 155, 195, 224, 231, 250, 273, 296, 297, 298, 299, 346, 348, 363, 373, 412, 444, 565, 572},
       {}, {{390, 1}}, {}, {}, 216,
       {{1, "&File"}, {2, "&Modifica"}, {3, "F&ormato"}, {4, "Fo&nt"}, {5, "&Paragrafo"}, {6, "&Inserisci"},
        {7, "&Tabella"}, {8, "Fine&stra"}, {9, "&?"}, {10, "Es&ci"}, {12, "Nuovo|Crea un nuovo documento vuoto"},
        {202, "?"}, {209, "Salvare i cambiamenti a %s?"}, {227, "Stringa cercata '%s' non trovata."},
        {228, "1 stringa sostituita."}, {229, "%d stringhe sostituite."}, {335, "Impossibile aprire \"%s\""},
        {349, "Codice carattere: %d"}, {350, "Codice carattere: Unicode %d"},
        {382, "Dimensione predefinita: %d x %d"}, {463, "Livello %d"}, {516, "di %d"},
        {390, "&Spaziatura tra celle:"}, {440, "Inserisci numero|"},
        {166, "Alza font|Aumenta l'altezza del font del testo selezionato del 10%"},
        {168, "Abbassa font|Diminuisce l'altezza del font del testo selezionato del 10%"},
        {239, "Grigio-80%"}, {247, "Grigio-50%"}, {255, "Grigio-40%"}, {263, "Grigio-25%"},
        {217, "Vellum (*.vlf)|*.vlf"}, {218, "Rich Text Format (*.rtf)|*.rtf"}, {219, "XML (*.xml)|*.xml"},
        {220, "Solo testo (*.txt)|*.txt"}, {221, "Solo testo - Unicode (*.txt)|*.txt"},
        {222, "Solo testo - Ricerca automatica (*.txt)|*.txt"}, {223, "File HTML (*.htm;*.html)|*.htm;*.html"},
        {225, "HTML - Semplificato (*.htm;*.html)|*.htm;*.html"},
        {578, "Combinazioni speciali di caratteri:\r&&p - numero pagina; &&P - conteggio pagine; &&d - data "
              "corrente; &&t - orario corrente."}}},
      {"Francais", 0, 1252, VLAL_FR, 6, "Éàèéêîô",
       {0, 3, 204, 224, 230, 231, 238, 241, 244, 252, 254, 260, 264, 265, 272, 273, 278, 301, 304, 306, 342, 343,
        348, 362, 370, 373, 445, 478, 479, 489, 508, 509, 514, 548, 556, 557, 561, 585},
       {},
       {{27, 0}, {73, 0}, {93, 0}, {323, 0}, {358, 0}, {359, 0}, {360, 0}, {389, 0}, {454, 0}, {473, 0}, {480, 0},
        {481, 0}, {543, 0}, {544, 0}, {108, 1}, {195, 1}, {196, 1}, {197, 1}, {198, 1}, {202, 1}, {408, 1},
        {409, 1}},
       {30, 56, 60, 69, 70, 71, 83, 84, 92, 95, 96, 97, 109, 141, 142, 249, 250, 251, 253, 298, 311, 316, 318, 324,
        358, 431, 446, 456, 504, 533, 534, 535, 536, 537, 542, 555},
       {"id 54: needs exactly one \"|\"", "id 56: needs exactly one \"|\"", "id 58: needs exactly one \"|\"",
        "id 70: needs exactly one \"|\"", "id 72: needs exactly one \"|\"", "id 118: needs exactly one \"|\"",
        "id 124: needs exactly one \"|\"", "id 126: needs exactly one \"|\"", "id 128: needs exactly one \"|\"",
        "id 130: needs exactly one \"|\"", "id 182: needs exactly one \"|\"", "id 440: must end in \"|\""},
       215,
       {{1, "&Fichier"}, {2, "&Edition"}, {3, "F&ormat"}, {4, "&Police"}, {5, "Para&graphe"}, {6, "&Insertion"},
        {7, "&Tableau"}, {8, "&Fenêtre"}, {9, "&Aide"}, {10, "&Quitter"},
        {209, "Enregistrer les modifications sur %s?"}, {227, "Chaîne'%s' non trouvée."},
        {229, "%d chaines remplacées."}, {335, "Navigation non possible sur \"%s\""},
        {349, " Code caractère: %d"}, {350, "code caractère: Unicode %d"}, {382, "Taille par Default: %d x %d"},
        {463, "niveau %d"}, {516, "de %d"}, {203, "%"},
        {166, "Augmenter le corps|Agrandir la taille du texte sélectionné de 10%"},
        {168, "diminuer le corps|Diminuer la taille du texte sélectionné de 10%"},
        {239, "Gris-80%"}, {247, "Gris-50%"}, {255, "Gris-40%"}, {263, "Gris-25%"},
        {217, "fichier Vellum  (*.vlf)|*.vlf"}, {218, "fichier RTF (*.rtf)|*.rtf"},
        {219, "fichier XML (*.xml)|*.xml"}, {220, "fichier Texte(*.txt)|*.txt"},
        {221, "fichier texte- Unicode (*.txt)|*.txt"}, {222, "fichier Texte- Autodetect (*.txt)|*.txt"},
        {223, "fichier HTML (*.htm;*.html)|*.htm;*.html"}, {225, "HTML - Simple (*.htm;*.html)|*.htm;*.html"},
        {54, "Insérer une ligne Horizontale"}, {56, "Insérer un lien hypertexte "}, {58, "Insérer un Symbole"},
        {70, "Insérer une césure de page "}, {72, "supprimer la césure de page"}, {118, "Supprimer le Tableau"},
        {124, "Sélectionner le tableau"}, {126, "Sélectionner les lignes"}, {128, "Sélectionner les colonnes"},
        {130, "Sélectionner les cellules"}, {182, "Verification orthographique"}, {440, "Insérer un nombre"},
        {108, "Insérer une ligne Au &dessous|Insérer une nouvelle ligne au dessous des cellules sélectionnées"},
        {340, "&Texte"}, {570, "Te&xte"}, {577, "&A partir de"}, {213, "Erreur"},
        {578, "Caractères spéciaux:\r&&p - page ; &&P - Total ; &&d - Date ; &&t - Heure."}}},
      {"Ukrainian", 204, 1251, VLAL_Ukr, 14, "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяіїєґІЇЄҐ",
       {0, 224}, {453}, {{453, 0}}, {}, {}, 215,
       {{1, "&Файл"}, {195, "ОК"}, {224, "HTML (*.htm;*.html)|*.htm;*.html"}, {453, ""}}},
  };
  return tables;
}

// The full start-up order; the other tables may be absent from this build.
int Accelerators(const std::string& s) {
  int n = 0;
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] == '&') {
      if (i + 1 < s.size() && s[i + 1] == '&')
        ++i;
      else
        ++n;
    }
  return n;
}

AnsiString InCodePage(const char* utf8, Cardinal codePage) {
  bool lossless = true;
  AnsiString bytes = WideToAnsi(Utf8ToWide(utf8), codePage, lossless);
  EXPECT_TRUE(lossless) << utf8;
  return bytes;
}

int IndexOf(const char* name) {
  for (int i = 0; i < LanguageCount(); ++i)
    if (LanguageInfo(i).Name == name) return i;
  return -1;
}

class LanguageTablesBTest : public ::testing::Test {
protected:
  void SetUp() override {
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    InitializeLanguages();
  }
  void TearDown() override { SetUp(); }
};

TEST_F(LanguageTablesBTest, ValidatorFindsOnlyTheDeparturesOfTheLanguage) {
  for (const TTable& t : Tables()) {
    SCOPED_TRACE(t.Name);
    const std::vector<String> found = CheckLanguageTable(t.Rows, t.CodePage, VLAL_EngUS);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), t.ValidatorFindings);
  }
}

TEST_F(LanguageTablesBTest, RowsKeepTheFormOfTheEnglishRows) {
  for (const TTable& t : Tables()) {
    SCOPED_TRACE(t.Name);
    const WideString letters = Utf8ToWide(t.Letters);
    int longest = 0;
    for (int id = 0; id < VLA_MESSAGE_COUNT; ++id) {
      SCOPED_TRACE(id);
      ASSERT_NE(t.Rows[id], nullptr);
      const std::string row = t.Rows[id], english = VLAL_EngUS[id];
      // Every byte a letter of the language or ASCII, and back through the
      // code page unchanged.
      const WideString wide = AnsiToWide(row, t.CodePage);
      for (char16_t c : wide) {
        if (c >= 0x80) {
          EXPECT_NE(letters.find(c), WideString::npos) << "U+" << std::hex << int(c);
        }
      }
      bool lossless = true;
      EXPECT_EQ(WideToAnsi(wide, t.CodePage, lossless), row);
      EXPECT_TRUE(lossless);
      EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(row, t.CodePage), t.CodePage), row);

      if (row.size() > static_cast<size_t>(longest)) longest = static_cast<int>(row.size());
      EXPECT_EQ(row.empty(), id == 0 || t.Empty.count(id) > 0);
      EXPECT_EQ(row == english, t.EqualToEnglish.count(id) > 0);

      const auto acc = t.Accelerators.find(id);
      EXPECT_EQ(Accelerators(row), acc == t.Accelerators.end() ? Accelerators(english) : acc->second);
      EXPECT_EQ(!row.empty() && row.back() == ' ', t.TrailingBlank.count(id) > 0);
    }
    EXPECT_EQ(longest, static_cast<int>(std::string(t.Rows[t.LongestId]).size()));
  }
}

// The three error texts run past the 255 bytes of the padded form in some
// tables; GetLanguageString hands them over whole.
TEST_F(LanguageTablesBTest, ErrorTextsKeepTheirFullLength) {
  const std::map<std::string, std::map<int, size_t>> lengths = {
      {"Russian", {{214, 187}, {215, 252}, {216, 225}}},
      {"Svenska", {{214, 180}, {215, 207}, {216, 238}}},
      {"Norsk (Bokm\xE5l)", {{214, 166}, {215, 205}, {216, 221}}},
      {"German", {{214, 213}, {215, 277}, {216, 298}}},
      {"Italian", {{214, 191}, {215, 260}, {216, 273}}},
      {"Francais", {{215, 250}}},
  };
  for (const TTable& t : Tables()) {
    const auto it = lengths.find(t.Name);
    if (it == lengths.end()) continue;
    SCOPED_TRACE(t.Name);
    SwitchLanguage(t.Name);
    for (const auto& [id, length] : it->second) {
      EXPECT_EQ(std::string(t.Rows[id]).size(), length) << id;
      EXPECT_EQ(GetLanguageString(static_cast<Word>(id)), std::string(t.Rows[id])) << id;
      EXPECT_EQ(GetLanguageStringPadded(static_cast<Word>(id)).size(), std::min<size_t>(length, 255) + 2) << id;
    }
  }
  SwitchLanguage("English (US)");
}

TEST_F(LanguageTablesBTest, QuotedRowsAreByteForByte) {
  for (const TTable& t : Tables())
    for (const TQuoted& q : t.Quoted) EXPECT_EQ(t.Rows[q.Id], InCodePage(q.Utf8, t.CodePage)) << t.Name << " " << q.Id;
  // Single bytes of the code pages, not UTF-8.
  EXPECT_STREQ(VLAL_Rus[1], "&\xD4\xE0\xE9\xEB");
  EXPECT_STREQ(VLAL_Rus[195], "\xCE\xCA");
  EXPECT_EQ(static_cast<unsigned char>(VLAL_NorBok[13][0]), 0xC5);
  EXPECT_EQ(static_cast<unsigned char>(VLAL_Sv[13][1]), 0xD6);
  // The sample paragraphs of the two list dialogs are one text.
  for (const TTable& t : Tables()) EXPECT_STREQ(t.Rows[459], t.Rows[510]) << t.Name;
}

TEST_F(LanguageTablesBTest, ExactNameMakesCurrentOtherSpellingsAreRefused) {
  for (const TTable& t : Tables()) {
    SCOPED_TRACE(t.Name);
    SwitchLanguage(t.Name);
    EXPECT_EQ(CurrentLanguageIndex(), IndexOf(t.Name));
    EXPECT_EQ(GetLanguageCharset(), t.Charset);
    EXPECT_EQ(GetLanguageHelpFile(), "");
    EXPECT_EQ(GetLanguagePChar(1), t.Rows[1]);
    EXPECT_EQ(GetLanguageString(0), "");
    EXPECT_EQ(GetLanguageString(578), t.Rows[578]);
    SwitchLanguage("English (US)");

    std::string lower = t.Name, upper = t.Name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); });
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return char(std::toupper(static_cast<unsigned char>(c))); });
    const std::string wrong[] = {lower, upper, std::string(t.Name) + " ", " " + std::string(t.Name),
                                 std::string(t.Name).substr(0, 5), AnsiToUtf8(t.Name, 1252) + "x"};
    for (const std::string& name : wrong) {
      try {
        SwitchLanguage(name);
        ADD_FAILURE() << "switched to " << name;
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message.rfind("Invalid language: ", 0), 0u);
      }
      EXPECT_EQ(CurrentLanguageIndex(), 0);
    }
  }
  // Names the languages give themselves, or with their own letters.
  for (const char* name : {"Norsk (Bokm\xC3\xA5l)", "Norsk (Bokmal)", "Fran\xE7" "ais", "Deutsch", "Italiano",
                           "\xD0\xF3\xF1\xF1\xEA\xE8\xE9", "svenska"})
    EXPECT_THROW(SwitchLanguage(name), Exception) << name;
  EXPECT_EQ(CurrentLanguageIndex(), 0);
}

TEST_F(LanguageTablesBTest, FormatRowsTakeTheArgumentsOfTheEnglishRows) {
  for (const TTable& t : Tables()) {
    SCOPED_TRACE(t.Name);
    SwitchLanguage(t.Name);
    for (int id : {209, 211, 227, 335})
      EXPECT_NE(FormatLanguageString(static_cast<Word>(id), {AnsiString("doc.vlf")}).find("doc.vlf"), AnsiString::npos) << id;
    for (int id : {229, 349, 350, 463, 516})
      EXPECT_NE(FormatLanguageString(static_cast<Word>(id), {Integer(4711)}).find("4711"), AnsiString::npos) << id;
    EXPECT_NE(FormatLanguageString(382, {Integer(640), Integer(480)}).find("640 x 480"), AnsiString::npos);
    // Literal percent signs are no placeholders.
    EXPECT_NE(GetLanguageString(239).find("80%"), AnsiString::npos);
    SwitchLanguage("English (US)");
  }
  SwitchLanguage("Russian");
  EXPECT_EQ(FormatLanguageText(229, {Integer(3)}), "Произведено замен: 3");
  SwitchLanguage("Francais");
  EXPECT_EQ(FormatLanguageText(349, {Integer(65)}), " Code caractère: 65");
  SwitchLanguage("German");
  EXPECT_EQ(FormatLanguageText(335, {AnsiString("x.htm")}), "Kann Adresse \"x.htm\" nicht öffnen.");
  SwitchLanguage("English (US)");
}

}  // namespace
