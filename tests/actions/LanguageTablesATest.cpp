#include "actions/ColorVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/VLALanguageCheck.h"
#include "actions/VLALocalize.h"
#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <map>
#include <memory>
#include <set>

extern const char* const VLAL_EngUS[VLA_MESSAGE_COUNT];
extern const char* const VLAL_PtBr[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Czech[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Dutch[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Slovak[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Persian[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Lith[VLA_MESSAGE_COUNT];
extern const char* const VLAL_Esp[VLA_MESSAGE_COUNT];

namespace {

// What each translated table promises beyond the rules every table keeps.
struct TTableProfile {
  const char* Name;  // registered name, code page 1252 bytes
  Byte Charset;
  Cardinal CodePage;
  TVLAMessages Table;
  // Letters beyond ASCII the table may use (UTF-8).
  const char* Letters;
  // Non-empty rows whose bytes are those of the English row.
  std::set<int> EqualToEnglish;
  // Rows whose accelerator count differs from English: id -> count.
  std::map<int, int> Accelerators;
  // When not empty, only these rows keep their English accelerators.
  std::set<int> AcceleratorRows;
  // Rows that end in "..." or ":" where English does not, or the reverse.
  std::set<int> EllipsisDepartures;
  std::set<int> ColonDepartures;
  // Rows with a blank at an edge, beside a "|" or doubled.
  std::set<int> BlankRows;
  // Whether a closing "..." follows a blank, and the rows that differ.
  bool BlankBeforeEllipsis;
  std::set<int> EllipsisBlankDepartures;
  int LongestId;
  int LongestLength;
  // Rows the table gives exactly (UTF-8, converted to the code page).
  std::map<int, const char*> Quoted;
  // Rows given as bytes.
  std::map<int, const char*> QuotedBytes;
  // Names that must not switch.
  std::vector<const char*> WrongNames;
  // Colour names (ids 230-271) that repeat: pairs of ids.
  std::set<std::pair<int, int>> SameColours = {};
};

// The accelerators a table keeps: the page-setup texts, the given
// hyperlink texts and the find window's texts.
std::set<int> PageSetupRowsAnd(int first, int last) {
  std::set<int> ids;
  for (int id = first; id <= last; ++id) ids.insert(id);
  for (int id = 547; id <= 577; ++id) ids.insert(id);
  for (int id = 579; id <= 590; ++id) ids.insert(id);
  return ids;
}

const TTableProfile kProfiles[] = {
    {"Spanish",
     ANSI_CHARSET,
     1252,
     VLAL_Esp,
     "¿Úáéíñóú",
     {212, 213, 224, 277, 304, 305, 348, 384, 412, 470, 479, 527},
     {{55, 0}, {202, 1}, {390, 1}, {405, 0}},
     {},
     {},
     {333},
     {},
     false,
     {},
     215,
     264,
     {{1, "&Archivo"},
      {2, "&Editar"},
      {3, "F&ormato"},
      {4, "Fue&nte"},
      {5, "&Párrafo"},
      {6, "&Insertar"},
      {7, "&Tabla"},
      {8, "&Ventana"},
      {9, "A&yuda"},
      {10, "&Salir"},
      {12, "Nuevo|Crea nuevo documento en blanco"},
      {55, "Hipervínculo..."},
      {166, "Aumentar Fuente|Aumenta el tamaño del texto seleccionado un 10%"},
      {168, "Reducir Fuente|Reduce el tamaño del texto seleccionado un 10%"},
      {202, "A&yuda"},
      {209, "¿Guadar cambios a %s?"},
      {217, "Archivos Vellum (*.vlf)|*.vlf"},
      {218, "Archivos RTF (*.rtf)|*.rtf"},
      {219, "Archivos XML (*.xml)|*.xml"},
      {220, "Archivos de Texto (*.txt)|*.txt"},
      {221, "Archivos de Texto Unicode (*.txt)|*.txt"},
      {222, "Archivos de Texto - Autodetectar (*.txt)|*.txt"},
      {223, "Archivos HTML (*.htm;*.html)|*.htm;*.html"},
      {225, "HTML - Simplificado (*.htm;*.html)|*.htm;*.html"},
      {227, "Texto a buscar '%s' no encontrado."},
      {229, "%d textos reemplazados."},
      {239, "Gris-80%"},
      {247, "Gris-50%"},
      {255, "Gris-40%"},
      {263, "Gris-25%"},
      {333, "&Destino:"},
      {335, "No puede abrirse \"%s\""},
      {349, "Codificación Caracteres: %d"},
      {350, "Codificación Caracteres: Unicode %d"},
      {382, "Tamaño por defecto: %d x %d"},
      {390, "&Espacio entre celdas:"},
      {405, "Ancho preferido:"},
      {463, "Nivel %d"},
      {516, "de %d"}},
     {{5, "&P\xE1rrafo"}},
     {"spanish", "SPANISH", "Espa\xF1ol", "Spanish "}},
    {"Portuguese (Brazilian)",
     ANSI_CHARSET,
     1252,
     VLAL_PtBr,
     "ÁÚàáãçéêíóôõú",
     {195, 204, 224, 231, 238, 273, 298, 304, 348, 363, 373},
     {{390, 1}},
     {},
     {},
     {},
     {322},
     false,
     {},
     215,
     241,
     {{1, "&Arquivo"},
      {2, "&Editar"},
      {3, "F&ormatar"},
      {4, "Fo&nte"},
      {5, "&Parágrafo"},
      {6, "&Inserir"},
      {7, "&Tabela"},
      {8, "&Janela"},
      {9, "&Ajuda"},
      {10, "Sai&r"},
      {12, "Novo|Cria um novo documento em branco"},
      {97, "Espaço de Lin&ha 1,5"},
      {166, "Aumentar Fonte|Aumenta a altura do texto selecionado em 10%"},
      {168, "Diminuir Fonte|Diminui a altura do texto selecionado em 10%"},
      {209, "Salva alterações em %s?"},
      {213, "Erro"},
      {217, "Arquivos Vellum (*.vlf)|*.vlf"},
      {218, "Arquivos RTF (*.rtf)|*.rtf"},
      {219, "Arquivos XML (*.xml)|*.xml"},
      {220, "Arquivos Texto (*.txt)|*.txt"},
      {221, "Arquivos Texto - Unicode (*.txt)|*.txt"},
      {222, "Arquivos Texto - Autodetecta (*.txt)|*.txt"},
      {223, "Arquivos HTML (*.htm;*.html)|*.htm;*.html"},
      {225, "HTML - Simplificado (*.htm;*.html)|*.htm;*.html"},
      {227, "O texto '%s' não foi encontrado."},
      {229, "%d ocorrências substituídas."},
      {239, "Cinza-80%"},
      {247, "Cinza-50%"},
      {255, "Cinza-40%"},
      {263, "Cinza-25%"},
      {322, "Escala Horizontal "},
      {335, "Impossível navegar para \"%s\""},
      {349, "Cód.Caractere: %d"},
      {350, "Cód.Caractere: Unicode %d"},
      {382, "Tamanho padrão: %d x %d"},
      {390, "Espaçamento &células:"},
      {440, "Inserir Número|"},
      {463, "Nível %d"},
      {507, "1,5 linhas"},
      {516, "de %d"}},
     {},
     {"Portuguese", "portuguese (brazilian)", "Portuguese(Brazilian)", "Portuguese (Brazil)",
      "Portugu\xEAs (Brasil)"}},
    {"Czech",
     EASTEUROPE_CHARSET,
     1250,
     VLAL_Czech,
     "ŠŽšžČŘÚáčéěíňóřůúý",
     {195, 224, 292, 348, 418, 419, 459, 485, 510, 563},
     {},
     PageSetupRowsAnd(336, 336),
     {},
     {300},
     {},
     false,
     {},
     216,
     207,
     {{1, "Soubor"},
      {2, "Úpravy"},
      {3, "Formát"},
      {4, "Písmo"},
      {5, "Odstavec"},
      {6, "Vložit"},
      {7, "Tabulka"},
      {8, "Okno"},
      {9, "Nápověda"},
      {10, "Konec"},
      {166, "Zvětšit písmo|Zvětší výšku vybraného textu o 10%"},
      {168, "Zmenšit písmo|Zmenší výšku vybraného textu o 10%"},
      {209, "Uložit provedené změny do %s?"},
      {213, "Vhyba"},
      {217, "Vellum soubory (*.vlf)|*.vlf"},
      {218, "RTF soubory (*.rtf)|*.rtf"},
      {219, "XML soubory (*.xml)|*.xml"},
      {220, "Textové soubory (*.txt)|*.txt"},
      {221, "Textové soubory - Unicode (*.txt)|*.txt"},
      {222, "Textové soubory - Autodetect (*.txt)|*.txt"},
      {223, "HTML soubory (*.htm;*.html)|*.htm;*.html"},
      {225, "HTML - zjednodušený (*.htm;*.html)|*.htm;*.html"},
      {227, "Hledaný řetězec '%s' nenalezen."},
      {229, "%d řetězců nahrazeno."},
      {239, "Šedá-80%"},
      {247, "Šedá-50%"},
      {255, "Šedá-40%"},
      {263, "Šedá-25%"},
      {300, "Velikost:"},
      {335, "Nelze přejít na \"%s\""},
      {336, "&Vlastnosti..."},
      {349, "Kód znaku: %d"},
      {350, "Kód znaku: Unicode %d"},
      {382, "Standardní velikost: %d x %d"},
      {440, "vložit číslo|"},
      {463, "Úroveň %d"},
      {516, "z %d"},
      {557, "na &výšku"},
      {558, "na &šířku"}},
     {{9, "N\xE1pov\xEC" "da"}},
     {"czech", "CZECH", "\xC8" "e\x9A" "tina", "Czech "}},
    {"Dutch (NL)",
     ANSI_CHARSET,
     1252,
     VLAL_Dutch,
     "",
     {9,   13,  25,  55,  185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 202,
      204, 224, 231, 238, 244, 250, 252, 254, 262, 264, 265, 273, 292, 298, 301, 304,
      318, 319, 323, 331, 332, 336, 337, 338, 339, 340, 341, 342, 343, 344, 347, 348,
      349, 350, 363, 373, 378, 418, 419, 459, 473, 485, 486, 510, 516},
     {{94, 1}, {321, 2}},
     {},
     {},
     {},
     {102, 135},
     false,
     {65},
     216,
     228,
     {{1, "&Bestand"},
      {2, "&Wijzig"},
      {3, "&Beeld"},
      {4, "Le&ttertype"},
      {5, "&Paragraaf"},
      {6, "&Invoegen"},
      {7, "&Tabel"},
      {8, "&Venster"},
      {9, "&Help"},
      {10, "&Afsluiten"},
      {94, "Paragraaf &Achtergrond Kleur|Instellen van paragraaf achtergrond kleur"},
      {166, "Vergroot lettertype|Vergroot lettertype van text met 10%"},
      {168, "Verklein lettertype|Verklein lettertype van text met 10%"},
      {209, "Wijzigingen opslaan naar %s?"},
      {217, "Vellum bestanden (*.vlf)|*.vlf"},
      {218, "RTF bestanden (*.rtf)|*.rtf"},
      {219, "XML bestanden (*.xml)|*.xml"},
      {220, "Text bestanden (*.txt)|*.txt"},
      {221, "Text bestanden - Unicode (*.txt)|*.txt"},
      {222, "Text bestanden - Detecteer (*.txt)|*.txt"},
      {223, "HTML bestanden (*.htm;*.html)|*.htm;*.html"},
      {225, "HTML - eenvoudig (*.htm;*.html)|*.htm;*.html"},
      {227, "Text '%s' niet gevonden."},
      {229, "%d texten vervangen."},
      {239, "Grijs-80%"},
      {247, "Grijs-50%"},
      {253, "Licht Blauw"},
      {255, "Grijs-40%"},
      {263, "Grijs-25%"},
      {269, "Licht Blauw"},
      {321, "&Om&hoog"},
      {335, "Kan \"%s\" niet openen"},
      {382, "Standaard grootte: %d x %d"},
      {390, "&Cel &ruimte:"},
      {440, "Invoegen nummer|"},
      {463, "Niveau %d"}},
     {},
     {"Dutch", "dutch (nl)", "Dutch(NL)", "Nederlands"},
     {{253, 269}}},
    {"Slovak",
     EASTEUROPE_CHARSET,
     1250,
     VLAL_Slovak,
     // The "ř" only in the heading of two error texts.
     "áäčďéíĺľňóšťúýžČĽŠÚŽř",
     {185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 202, 224, 292, 336,
      337, 338, 339, 340, 341, 342, 343, 344, 348, 418, 419, 459, 485, 510, 563},
     {},
     PageSetupRowsAnd(336, 344),
     {},
     {300},
     {14, 80, 96, 97, 98, 128, 130, 138, 176, 450, 451, 452},
     false,
     {},
     216,
     214,
     {{1, "Súbor"},
      {2, "Úpravy"},
      {3, "Formát"},
      {4, "Písmo"},
      {5, "Odstavec"},
      {6, "Vložiť"},
      {7, "Tabuľka"},
      {8, "Okno"},
      {9, "Nápoveda"},
      {10, "Koniec"},
      {13, "Otvoriť..."},
      {97, " Riadkovanie 1.5 riadku "},
      {166, "Zväčšiť písmo|Zväčší výšku vybraného textu o 10%"},
      {168, "Zmenšiť písmo|Zmenší výšku vybraného textu o 10%"},
      {209, "Uložiť urobené zmeny do %s?"},
      {217, "Vellum Súbory (*.vlf)|*.vlf"},
      {218, "RTF Súbory (*.rtf)|*.rtf"},
      {219, "XML Súbory (*.xml)|*.xml"},
      {220, "Textové Súbory (*.txt)|*.txt"},
      {221, "Textové Súbory - Unicode (*.txt)|*.txt"},
      {222, "Textové Súbory - Autodetect (*.txt)|*.txt"},
      {223, "HTML Súbory (*.htm;*.html)|*.htm;*.html"},
      {225, "HTML - zjednodušený (*.htm;*.html)|*.htm;*.html"},
      {227, "Hľadaný reťazec '%s' nenájdený."},
      {229, "%d reťazcov nahradených."},
      {239, "Šedá-80%"},
      {247, "Šedá-50%"},
      {255, "Šedá-40%"},
      {263, "Šedá-25%"},
      {300, "Veľkosť:"},
      {335, "Nedá sa prejsť na \"%s\""},
      {349, "Kód znaku: %d"},
      {350, "Kód znaku: Unicode %d"},
      {382, "Štandardná veľkosť: %d x %d"},
      {440, "Vložiť číslo|"},
      {463, "Úroveň %d"},
      {516, "z %d"},
      {551, "V&ľavo:"},
      {557, "na &výšku"},
      {571, "Z&ápätie na prvej stránke"},
      {572, "P&ísmo..."},
      {578, "Kombinácia špeciálnych znakov:\r&&p - číslo stránky; &&P - počet stránok; &&d - aktuálny dátum; &&t - aktuálny čas."}},
     {{1, "S\xFA" "bor"}},
     {"slovak", "SLOVAK", "Sloven\x9Aina", "Slovak\t"}},
    {"Persian",
     ARABIC_CHARSET,
     1256,
     VLAL_Persian,
     // Arabic letters of the code page, the four Persian ones, keheh, the
     // zero-width non-joiner, comma and question mark; no direction marks.
     "ءآأؤإئابةتثجحخدذرزسشصضطظعغـفقكلمنهوىيپچژگک\u200c،؟",
     {185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 202, 217, 218, 219, 220,
      221, 222, 223, 224, 225, 336, 337, 338, 339, 340, 341, 342, 343, 344, 463},
     {{97, 0}, {99, 0}, {115, 0}, {141, 0}, {360, 0}, {390, 1}, {392, 0},
      {393, 0}, {398, 0}, {443, 0}, {493, 0}, {498, 0}, {541, 0}},
     {},
     {27, 35, 55, 57, 67, 73, 103, 119, 179, 290, 391},
     {333, 355, 378, 389, 390, 398, 435, 454},
     {510},
     true,
     {59, 336},
     216,
     207,
     {{1, "&پرونده"},
      {2, "&ويرايش"},
      {3, "&قالب\u200cبندى"},
      {4, "&فونت"},
      {5, "&پاراگراف"},
      {6, "&درج"},
      {7, "&جدول"},
      {8, "&پنجره"},
      {9, "&راهنما"},
      {10, "&خروچ"},
      {13, "&فراخوانى ..."},
      {27, "ت&نظيم صفحه"},
      {119, "&ادغام خانه\u200cها ..."},
      {166, "افزايش اندازه قلم|افزايش 10%ى اندازه قلم متن انتخابى"},
      {168, "جمع شدن قلم|جمع كردن 10%ى متن انتخابى"},
      {209, "آيا تغييرات در %s ضبط گردد؟"},
      {212, "فرمت Vellum"},
      {227, "هيچ موردى در جستجو به دنبال '%s' يافت نشد"},
      {229, "%d رشته جايگزين شد."},
      {239, "خاكسترى-80%"},
      {247, "خاكسترى-50%"},
      {255, "خاكسترى-40%"},
      {259, "سبز روشن"},
      {263, "خاكسترى-25%"},
      {267, "سبز روشن"},
      {334, "<<انتخاب>>"},
      {335, "امكان هدايت به \"%s\" وجود ندارد"},
      {349, "كد كاراكتر: %d"},
      {350, "كد كاراكتر: يونيكد %d"},
      {382, "اندازه پيش فرض: %d x %d"},
      {416, "فرمت Rich Text"},
      {417, "فرمت HTML"},
      {419, "متن Unicode"},
      {420, "تصاوير Bitmap"},
      {421, "تصوير Metafile"},
      {440, "درج عدد|"},
      {516, "از %d"},
      {578, "تركيب خاص كاراكتر:\r&&p - شماره صفحه; &&P - مجموع صفحات; &&d - تاريخ فعلى; &&t - زمان فعلى."}},
     {{1, "&\x81\xD1\xE6\xE4\xCF\xE5"}, {113, "(\xCD\xD0\xDD &\xD1\xCF\xED\xDD(\xE5\xC7"}},
     {"persian", "PERSIAN", "Farsi", " Persian"},
     {{259, 267}}},
    {"Lithuanian",
     BALTIC_CHARSET,
     1257,
     VLAL_Lith,
     "ĮŠŽąįęčėšųūž",
     {224, 238, 252, 348, 373, 376, 377, 459, 485, 510},
     {{94, 1}, {202, 1}, {276, 1}, {287, 1}, {330, 1}, {331, 1}, {359, 0}, {390, 1}, {498, 0}},
     {},
     {},
     {398},
     {176},
     false,
     {},
     216,
     227,
     {{1, "&Failas"},
      {2, "&Redaguoti"},
      {3, "F&ormatas"},
      {4, "Š&riftas"},
      {5, "&Pastraipa"},
      {6, "Į&terpti"},
      {7, "&Lentelė"},
      {8, "L&angas"},
      {9, "Pa&galba"},
      {10, "Iš&eiti"},
      {94, "Pastraipos &Pagrindo Spalva|Nustatoma pastraipos pagrindo spalva"},
      {176, "Užbraukimas|Pažymėtame tekste įterpiama perbraukianti linija "},
      {202, "&Pagalba"},
      {209, "Išsaugoti keitimus į %s?"},
      {217, "Vellum Failai (*.vlf)|*.vlf"},
      {218, "RTF Failai (*.rtf)|*.rtf"},
      {219, "XML Failai (*.xml)|*.xml"},
      {220, "Teksto Failai (*.txt)|*.txt"},
      {221, "Teksto Failai - Unicode (*.txt)|*.txt"},
      {222, "Teksto Failai - Automatinis nustatymas (*.txt)|*.txt"},
      {223, "HTML Failai (*.htm;*.html)|*.htm;*.html"},
      {225, "HTML - Supaprastintas (*.htm;*.html)|*.htm;*.html"},
      {227, "Ieškoma eilutė '%s' ne rasta."},
      {229, "%d eilučių sukeista."},
      {239, "Pilka-80%"},
      {247, "Pilka-50%"},
      {255, "Pilka-40%"},
      {263, "Pilka-25%"},
      {276, "&Pagrindas"},
      {287, "Užpildo &Spalva"},
      {330, "Įt&erpti Hipernuorodą"},
      {331, "&Hipernuoroda"},
      {335, "Negalime susisiekti su \"%s\""},
      {349, "Simbolio kodas: %d"},
      {350, "Simbolio kodas: Unicode %d"},
      {359, "Nustatyti matmenis"},
      {382, "Nustatytas dydis: %d x %d"},
      {390, "&Tarpai tarp ląstelių:"},
      {398, "&Antraštinių Eilučių skaičius"},
      {463, "Lygis %d"},
      {498, "per:"},
      {516, "iš %d"}},
     {{4, "\xD0&riftas"}, {6, "\xC1&terpti"}},
     {"lithuanian", "LITHUANIAN", "Lietuvi\xF8", "Lithuanian "}},
};

void PrintTo(const TTableProfile& p, std::ostream* os) { *os << p.Name; }

// The first line of a row and the heading of its reasons.
struct TLeadRow {
  const char* Name;
  int Id;
  const char* Start;  // UTF-8
  int Length;         // 0: not fixed
  const char* End = "";
};
const TLeadRow kLeadRows[] = {
    {"Spanish", 211, "%s ", 137, "ha seleccionado.\r¿Desea guardar el documento en este formato?"},
    {"Spanish", 214, "Error cargando archivo.\r\rPosibles causas:\r- ", 0},
    {"Spanish", 215, "Error cargando el archivo de imagen.\r\rPosibles causas:\r- ", 264},
    {"Spanish", 216, "Error al guardar archivo.\r\rPosibles causas:\r- ", 0},
    {"Portuguese (Brazilian)", 98, "", 0, "1,5 linha"},
    {"Portuguese (Brazilian)", 211, "%s ", 125, "?"},
    {"Portuguese (Brazilian)", 578, "Combinações de caracteres especiais:\r&&p - ", 120},
    {"Czech", 211, "%s ", 129, "?"},
    {"Czech", 216, "", 207, "."},
    {"Czech", 578, "Kombinace speciálních znaků:\r&&p - ", 112},
    {"Dutch (NL)", 211, "%s ", 106, "?"},
    {"Dutch (NL)", 216, "", 228, ""},
    {"Dutch (NL)", 578, "Speciale letter combinaties:\r&&p - ", 111},
    {"Slovak", 14, " Otvoriť |", 0},
    {"Slovak", 80, " ", 0},
    {"Slovak", 211, "%s ", 135, "?"},
    {"Slovak", 214, "Chyba pri načítavaní Súboru.\r\rMožné příčiny:\r- ", 0},
    {"Slovak", 215, "Chyba pri načítavaní obrázku.\r\rMožné příčiny:\r- ", 0},
    {"Slovak", 216, "Chyba pri ukladaní Súboru.\r\rMožné príčiny:\r- ", 214},
    {"Persian", 12, "جديد|", 0},
    {"Persian", 211, "%s ", 114, "؟"},
    {"Persian", 214, "خطا در فراخوانى فايل.\r\rدلايل احتمالى:\r- ", 0},
    {"Persian", 215, "خطا در فراخوانى تصوير.\r\rدلايل احتمالى:\r- ", 0},
    {"Persian", 216, "خطا در ضبط فايل.\r\rدلايل احتمالى:\r- ", 207},
    {"Persian", 115, "(حذف ستون(ها", 0},
    {"Persian", 116, "(حذف ستون(ها|", 0},
    {"Persian", 114, "(حذف رديف(ها|", 0},
    {"Lithuanian", 166, "", 0, " 10%"},
    {"Lithuanian", 168, "", 0, " 10%"},
    {"Lithuanian", 211, "%s ", 119, "pasirinktu formatu.\rAr jūs norite išsaugoti dokumentą šiame formate?"},
    {"Lithuanian", 214, "Klaida atveriant failą.\r\rGalimos priežastys:\r- ", 0},
    {"Lithuanian", 215, "Klaida atveriant paveikslo failą.\r\rGalimos priežastys:\r- ", 0},
    {"Lithuanian", 216, "Klaida saugant failą.\r\rGalimos priežastys:\r- ", 227},
    {"Lithuanian", 578, "Ypatingos simbolių kombinacijos:\r&&p - ", 0},
    {"Spanish", 578, "Combinaciones especiales de caracteres:\r&&p - ", 0},
};

// The registration order of all fifteen languages.
AnsiString Row(const TTableProfile& p, int id) { return p.Table[id]; }

int Accelerators(const AnsiString& s) {
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

bool EndsWith(const AnsiString& s, const char* tail) {
  const size_t n = std::char_traits<char>::length(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

bool HasEdgeBlank(const AnsiString& s) {
  return !s.empty() && (s.front() == ' ' || s.back() == ' ' || s.find(" |") != AnsiString::npos ||
                        s.find("| ") != AnsiString::npos || s.find("  ") != AnsiString::npos);
}

class LanguageTablesATest : public ::testing::TestWithParam<TTableProfile> {
protected:
  void SetUp() override {
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    InitializeLanguages();
  }
  void TearDown() override {
    SetUp();
    // A dialog made in this table's language named the palette's colours in it.
    LocalizePaletteNames();
  }
};

TEST_P(LanguageTablesATest, ValidatorFindsNothingAgainstEnglish) {
  const TTableProfile& p = GetParam();
  EXPECT_EQ(CheckLanguageTable(p.Table, p.CodePage, VLAL_EngUS), std::vector<String>{});
}

TEST_P(LanguageTablesATest, RowsArePresentAndShortEnoughForThePaddedForm) {
  const TTableProfile& p = GetParam();
  for (int id = 0; id < VLA_MESSAGE_COUNT; ++id) {
    ASSERT_NE(p.Table[id], nullptr) << id;
    EXPECT_EQ(Row(p, id).empty(), id == 0) << id;
    if (id != p.LongestId || p.LongestLength < 255) {
      EXPECT_LT(Row(p, id).size(), 255u) << id;
    }
  }
  const TVLALanguageProfile counts = ProfileLanguageTable(p.Table);
  EXPECT_EQ(counts.EmptyRows, 1);
  EXPECT_EQ(counts.LongestRowId, p.LongestId);
  EXPECT_EQ(counts.LongestRowLength, p.LongestLength);
}

TEST_P(LanguageTablesATest, EveryByteIsOneOfTheTablesLetters) {
  const TTableProfile& p = GetParam();
  const WideString letters = Utf8ToWide(p.Letters);
  for (int id = 0; id < VLA_MESSAGE_COUNT; ++id) {
    const WideString wide = AnsiToWide(Row(p, id), p.CodePage);
    bool lossless = true;
    EXPECT_EQ(WideToAnsi(wide, p.CodePage, lossless), Row(p, id)) << id;
    EXPECT_TRUE(lossless) << id;
    for (char16_t c : wide)
      if (c >= 0x80) {
        EXPECT_NE(letters.find(c), WideString::npos) << id << ": U+" << std::hex << int(c);
      }
  }
}

TEST_P(LanguageTablesATest, QuotedRowsAreExact) {
  const TTableProfile& p = GetParam();
  for (const auto& [id, text] : p.Quoted) {
    bool lossless = true;
    EXPECT_EQ(Row(p, id), WideToAnsi(Utf8ToWide(text), p.CodePage, lossless)) << id;
    EXPECT_TRUE(lossless) << id;
  }
  for (const auto& [id, bytes] : p.QuotedBytes) EXPECT_EQ(Row(p, id), AnsiString(bytes)) << id;
  for (const TLeadRow& lead : kLeadRows) {
    if (AnsiString(lead.Name) != p.Name) continue;
    const AnsiString start = Utf8ToAnsi(lead.Start, p.CodePage);
    EXPECT_EQ(Row(p, lead.Id).rfind(start, 0), 0u) << lead.Id;
    const AnsiString end = Utf8ToAnsi(lead.End, p.CodePage);
    EXPECT_TRUE(EndsWith(Row(p, lead.Id), end.c_str())) << lead.Id;
    if (lead.Length) {
      EXPECT_EQ(static_cast<int>(Row(p, lead.Id).size()), lead.Length) << lead.Id;
    }
  }
}

TEST_P(LanguageTablesATest, ExactlyTheListedRowsEqualEnglish) {
  const TTableProfile& p = GetParam();
  std::set<int> equal;
  for (int id = 1; id < VLA_MESSAGE_COUNT; ++id)
    if (Row(p, id) == VLAL_EngUS[id]) equal.insert(id);
  EXPECT_EQ(equal, p.EqualToEnglish);
}

TEST_P(LanguageTablesATest, RowsKeepTheEnglishFormSaveTheListedDepartures) {
  const TTableProfile& p = GetParam();
  for (int id = 1; id < VLA_MESSAGE_COUNT; ++id) {
    SCOPED_TRACE(id);
    const AnsiString s = Row(p, id);
    const AnsiString e = VLAL_EngUS[id];
    int accelerators = Accelerators(e);
    if (!p.AcceleratorRows.empty() && !p.AcceleratorRows.count(id)) accelerators = 0;
    if (p.Accelerators.count(id)) accelerators = p.Accelerators.at(id);
    EXPECT_EQ(Accelerators(s), accelerators);
    EXPECT_EQ(EndsWith(s, "...") != EndsWith(e, "..."), p.EllipsisDepartures.count(id) == 1);
    EXPECT_EQ(EndsWith(s, ":") != EndsWith(e, ":"), p.ColonDepartures.count(id) == 1);
    EXPECT_EQ(HasEdgeBlank(s), p.BlankRows.count(id) == 1);
    if (EndsWith(s, "...")) {
      EXPECT_EQ(EndsWith(s, " ...") != p.BlankBeforeEllipsis, p.EllipsisBlankDepartures.count(id) == 1);
    }
  }
  // The reasons of the error rows: a line each, "- " first, ";" or "." last.
  for (int id : {214, 215, 216}) {
    const AnsiString s = Row(p, id);
    const size_t first = s.find("\r\r");
    ASSERT_NE(first, AnsiString::npos) << id;
    const size_t heading = s.find('\r', first + 2);
    ASSERT_NE(heading, AnsiString::npos) << id;
    AnsiString rest = s.substr(heading + 1);
    size_t start = 0;
    int lines = 0;
    while (start <= rest.size()) {
      size_t end = rest.find('\r', start);
      const AnsiString line = rest.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
      EXPECT_EQ(line.rfind("- ", 0), 0u) << id << ": " << line;
      EXPECT_TRUE(EndsWith(line, end == AnsiString::npos ? "." : ";")) << id << ": " << line;
      ++lines;
      if (end == AnsiString::npos) break;
      start = end + 1;
    }
    EXPECT_EQ(lines, id - 211) << id;  // three, four and five reasons
  }
  // Colour names: the listed pairs repeat, no other.
  std::set<std::pair<int, int>> same;
  for (int a = 230; a <= 271; ++a)
    for (int b = a + 1; b <= 271; ++b)
      if (Row(p, a) == Row(p, b)) same.insert({a, b});
  EXPECT_EQ(same, p.SameColours);
  // The page codes, in the English order.
  const AnsiString codes = Row(p, 578);
  size_t at = 0;
  for (const char* code : {"&&p - ", "&&P - ", "&&d - ", "&&t - "}) {
    at = codes.find(code, at);
    EXPECT_NE(at, AnsiString::npos) << code;
  }
}

TEST_P(LanguageTablesATest, SwitchingTakesTheExactNameOnly) {
  const TTableProfile& p = GetParam();
  SwitchLanguage(p.Name);
  EXPECT_EQ(LanguageInfo(CurrentLanguageIndex()).Name, p.Name);
  EXPECT_EQ(GetLanguageCharset(), p.Charset);
  EXPECT_EQ(GetLanguageHelpFile(), "");
  EXPECT_EQ(static_cast<const void*>(GetLanguagePChar(1)), static_cast<const void*>(p.Table[1]));
  EXPECT_EQ(GetLanguageString(0), "");
  EXPECT_EQ(GetLanguageString(578), Row(p, 578));
  const int current = CurrentLanguageIndex();
  for (const char* wrong : p.WrongNames) {
    try {
      SwitchLanguage(wrong);
      ADD_FAILURE() << "switched to " << wrong;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "Invalid language: " + AnsiToUtf8(wrong, 1252));
    }
    EXPECT_EQ(CurrentLanguageIndex(), current);
  }
}

TEST_P(LanguageTablesATest, FormatRowsTakeTheEnglishArguments) {
  const TTableProfile& p = GetParam();
  SwitchLanguage(p.Name);
  const AnsiString size = FormatLanguageString(382, {Integer(640), Integer(480)});
  EXPECT_LT(size.find("640"), size.find(" x 480")) << size;
  EXPECT_NE(FormatLanguageString(227, {AnsiString("qwz")}).find("'qwz'"), AnsiString::npos);
  EXPECT_NE(FormatLanguageString(335, {AnsiString("qwz")}).find("\"qwz\""), AnsiString::npos);
  for (Word id : {229, 349, 350, 463, 516}) EXPECT_NE(FormatLanguageString(id, {Integer(73)}).find("73"), AnsiString::npos);
  for (Word id : {209, 211}) EXPECT_EQ(FormatLanguageString(id, {AnsiString("a.vlf")}).find("%"), AnsiString::npos);
}

TEST_P(LanguageTablesATest, DialogsOpenInTheTablesDirectionWithoutHelp) {
  const TTableProfile& p = GetParam();
  Application->Initialize();
  SwitchLanguage(p.Name);
  std::unique_ptr<TfrmInteger> d(CreateVLForm<TfrmInteger>(nullptr));
  // As the insert-rows action sets its texts, after the dialog was made.
  d->SetText(LanguageText(545));
  d->lbl->SetText(LanguageText(546));
  d->Show();
  const bool rtl = p.Charset == ARABIC_CHARSET;
  EXPECT_EQ(d->BiDiMode, rtl ? bdRightToLeft : bdLeftToRight);
  EXPECT_EQ(d->FindComponent("btnHelp"), nullptr);
  EXPECT_EQ(d->btnOk->GetText(), LanguageText(195));
  // Margins as built (label 12 from its box's edge, OK 56 and Cancel 8 from
  // the dialog's), measured from the right when right to left.
  auto margin = [rtl](TControl* c, Integer width) { return rtl ? width - c->GetLeft() - c->GetWidth() : c->GetLeft(); };
  EXPECT_EQ(margin(d->lbl, d->GroupBox1->GetWidth()), 12);
  EXPECT_EQ(margin(d->btnCancel, d->ClientWidth()) - margin(d->btnOk, d->ClientWidth()), 81);
  EXPECT_LT(margin(d->btnOk, d->ClientWidth()), d->ClientWidth() / 2);
  d->Hide();
}

// In a fresh program, before any text was looked up.
// Persian keeps its letters apart with the zero-width non-joiner (0x9D)
// where words join: before the plural suffix and inside compounds.
TEST(PersianTableTest, NonJoinersStandWhereWordsJoin) {
  int rows = 0, total = 0, beforePlural = 0;
  for (int id = 0; id < VLA_MESSAGE_COUNT; ++id) {
    const std::string row = VLAL_Persian[id];
    int here = 0;
    for (size_t i = 0; i < row.size(); ++i) {
      if (static_cast<unsigned char>(row[i]) != 0x9D) continue;
      ++here;
      // heh (0xE5) alef (0xC7): the plural suffix
      if (row.compare(i + 1, 2, "\xE5\xC7") == 0) ++beforePlural;
      ASSERT_GT(i, 0u) << id;
      ASSERT_LT(i + 1, row.size()) << id;
      EXPECT_NE(row[i - 1], ' ') << id;
      EXPECT_NE(row[i + 1], ' ') << id;
    }
    rows += here > 0;
    total += here;
  }
  EXPECT_EQ(total, 118);
  EXPECT_EQ(rows, 100);
  EXPECT_EQ(beforePlural, 47);
}

TEST(LanguageStartUpTest, SwitchingFirstFindsTheRegisteredTables) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SwitchLanguage("Persian");
        std::exit(GetLanguageCharset() == ARABIC_CHARSET ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Tables, LanguageTablesATest, ::testing::ValuesIn(kProfiles),
                         [](const ::testing::TestParamInfo<TTableProfile>& info) {
                           String name;
                           for (char c : String(info.param.Name))
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           return name;
                         });

}  // namespace
