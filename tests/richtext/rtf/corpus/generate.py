#!/usr/bin/env python3
"""Writes the RTF corpus of the import tests: files in the forms word
processors emit (Word-like, WordPad-like, pandoc's own output), each with
its plain-text oracle from pandoc next to it (NAME.txt).

Run from anywhere; needs pandoc for the oracle and for the pandoc-made files.
"""
import os
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def u(text):
    """Text as RTF with \\u escapes for everything outside ASCII."""
    out = []
    for ch in text:
        c = ord(ch)
        if ch in '\\{}':
            out.append('\\' + ch)
        elif c < 128:
            out.append(ch)
        elif c < 0x10000:
            out.append('\\u%d?' % (c if c < 32768 else c - 65536))
        else:
            c -= 0x10000
            hi, lo = 0xD800 + (c >> 10), 0xDC00 + (c & 0x3FF)
            out.append('\\u%d?\\u%d?' % (hi - 65536, lo - 65536))
    return ''.join(out)


def cp(text, codepage):
    out = []
    for ch in text:
        if ord(ch) < 128:
            out.append('\\' + ch if ch in '\\{}' else ch)
        else:
            out.append("\\'%02x" % ch.encode(codepage)[0])
    return ''.join(out)


def png(w, h, rgb=(200, 30, 30)):
    raw = b''.join(b'\x00' + bytes(rgb) * w for _ in range(h))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def dib(w, h):
    row = (w * 3 + 3) // 4 * 4
    header = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, row * h, 2835, 2835, 0, 0)
    return header + b''.join(bytes([10, 200, 10] * w) + b'\0' * (row - 3 * w) for _ in range(h))


def wmf():
    # A header-only Windows metafile: kept as bytes, shown as a placeholder.
    return struct.pack('<HHHIHIH', 1, 9, 0x300, 12, 0, 3, 0) + struct.pack('<IH', 3, 0)


def hexlines(data):
    h = data.hex()
    return '\n'.join(h[i:i + 128] for i in range(0, len(h), 128))


WORD_HEAD = (r"{\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff0\deff0\stshfdbch0\stshfloch31506\stshfhich31506"
             r"\stshfbi31506\deflang1033\deflangfe1033\themelang1033"
             r"{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}"
             r"{\f1\fbidi \fswiss\fcharset0\fprq2{\*\panose 020b0604020202020204}Arial;}"
             r"{\f3\fbidi \froman\fcharset2\fprq2{\*\panose 05050102010706020507}Symbol;}"
             r"{\f10\fbidi \fnil\fcharset2\fprq2{\*\panose 05000000000000000000}Wingdings;}"
             r"{\f40\fbidi \froman\fcharset204\fprq2 Times New Roman Cyr;}"
             r"{\f41\fbidi \froman\fcharset238\fprq2 Times New Roman CE;}}"
             r"{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red0\green255\blue255;\red0\green255\blue0;"
             r"\red255\green0\blue255;\red255\green0\blue0;\red255\green255\blue0;\red255\green255\blue255;"
             r"\red0\green0\blue128;\red0\green128\blue128;}"
             r"{\*\defchp \fs22\loch\af31506\hich\af31506\dbch\af31505 }{\*\defpap \ql \li0\ri0\sa160\sl259\slmult1"
             r"\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 }\noqfpromote "
             r"{\stylesheet{\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto"
             r"\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af0\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang1033"
             r"\langfe1033\cgrid\langnp1033\langfenp1033 \snext0 \sqformat \spriority0 Normal;}"
             r"{\s1\ql \li0\ri0\sb240\keepn\widctlpar\outlinelevel0\adjustright\rin0\lin0\itap0 \b\fs32 "
             r"\sbasedon0 \snext0 \slink15 \sqformat heading 1;}"
             r"{\*\cs10 \additive \ssemihidden \sunhideused \spriority1 Default Paragraph Font;}"
             r"{\*\cs15 \additive \b\fs32 \sbasedon10 \slink1 Heading 1 Char;}"
             r"{\*\ts11\tsrowd\trftsWidthB3\trpaddl108\trpaddr108\trpaddfl3\trpaddft3\trpaddfb3\trpaddfr3"
             r"\tblind0\tblindtype3\tsvertalt\tsbrdrt\tsbrdrl\tsbrdrb\tsbrdrr\tsbrdrdgl\tsbrdrdgr\tsbrdrh\tsbrdrv "
             r"\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0"
             r"\lin0\itap0 \fs22 \snext11 \ssemihidden \sunhideused Normal Table;}}"
             r"{\*\rsidtbl \rsid1144915\rsid2447634}{\mmathPr\mmathFont34\mbrkBin0\mbrkBinSub0}"
             r"{\info{\title A title not shown}{\author Someone}{\operator Someone}{\creatim\yr2024\mo3\dy1\hr9\min5}"
             r"{\version2}{\edmins1}{\nofpages1}{\nofwords5}{\nofchars30}{\vern117}}"
             r"{\*\xmlnstbl {\xmlns1 http://schemas.example.org/office/word/2003/wordml}}"
             r"\paperw12240\paperh15840\margl1440\margr1440\margt1440\margb1440\gutter0\ltrsect "
             r"\widowctrl\ftnbj\aenddoc\trackmoves0\trackformatting1\donotembedsysfont1\relyonvml0"
             r"\donotembedlingdata0\grfdocevents0\validatexml1\showplaceholdtext0\ignoremixedcontent0"
             r"\saveinvalidxml0\showxmlerrors1\noxlattoyen\expshrtn\noultrlspc\dntblnsbdb\nospaceforul"
             r"\formshade\horzdoc\dgmargin\dghspace180\dgvspace180\dghorigin1440\dgvorigin1440\dghshow1"
             r"\dgvshow1\jexpand\viewkind1\viewscale100\pgbrdrhead\pgbrdrfoot\splytwnine\ftnlytwnine"
             r"\htmautsp\nolnhtadjtbl\useltbaln\alntblind\lytcalctblwd\lyttblrtgr\lnbrkrule\nobrkwrptbl"
             r"\snaptogridincell\allowfieldendsel\wrppunct\asianbrkrule\rsidroot1144915\newtblstyruls"
             r"\nogrowautofit\usenormstyforlist\noindnmbrts\felnbrelev\nocxsptable\indrlsweleven\noafcnsttbl"
             r"\afelev\utinl\hwelev\spltpgpar\notcvasp\notbrkcnstfrctbl\notvatxbx\krnprsnet\cachedcolbal "
             r"\nouicompat \fet0{\*\wgrffmtfilter 2450}\nofeaturethrottle1\ilfomacatclnup0"
             r"\ltrpar \sectd \ltrsect\linex0\headery708\footery708\colsx708\endnhere\sectlinegrid360"
             r"\sectdefaultcl\sftnbj {\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang {\pntxta .}}"
             r"{\*\pnseclvl2\pnucltr\pnstart1\pnindent720\pnhang {\pntxta .}}"
             r"{\*\pnseclvl3\pndec\pnstart1\pnindent720\pnhang {\pntxta .}}\pard\plain ")

PARA = r"\pard\plain \ltrpar\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0 \fs22\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 "

WORDPAD_HEAD = (r"{\rtf1\ansi\ansicpg1252\deff0\nouicompat\deflang1033{\fonttbl{\f0\fnil\fcharset0 Calibri;}"
                r"{\f1\fnil\fcharset204 Calibri;}{\f2\fnil\fcharset2 Symbol;}}"
                r"{\colortbl ;\red255\green0\blue0;\red0\green77\blue187;}"
                r"{\*\generator Riched20 10.0.19041}\viewkind4\uc1 ")


def word(body):
    return WORD_HEAD + body + "\n{\\*\\themedata 504b0304140006000800}{\\*\\latentstyles\\lsdstimax376\\lsdlockeddef0 }}\n"


def wordpad(body):
    return WORDPAD_HEAD + body + "\n}\n"


def p(text, fmt=""):
    return PARA + fmt + text + "\\par\n"


def table_row(cells, defs="", nested=False):
    row_def = "\\trowd \\irow0\\irowband0\\ltrrow\\ts11\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw10 \\trbrdrl\\brdrs\\brdrw10 \\trbrdrb\\brdrs\\brdrw10 \\trbrdrr\\brdrs\\brdrw10 \\trftsWidth1\\trftsWidthB3\\trautofit1\\trpaddl108\\trpaddr108\\trpaddfl3\\trpaddft3\\trpaddfb3\\trpaddfr3\\tblrsid1\\tbllkhdrrows\\tbllklastrow\\tbllkhdrcols\\tbllklastcol\\tblind0\\tblindtype3 "
    body = row_def + defs
    text = "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\intbl\\wrapdefault\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0 \\fs22 "
    for c in cells:
        text += c + "\\cell "
    return text + "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\widctlpar\\intbl\\wrapdefault\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0 {" + body + "\\row }\n"


def cellx(*edges, prefix=""):
    out = ""
    for e in edges:
        out += "\\clvertalt\\clbrdrt\\brdrs\\brdrw10 \\clbrdrl\\brdrs\\brdrw10 \\clbrdrb\\brdrs\\brdrw10 \\clbrdrr\\brdrs\\brdrw10 \\cltxlrtb\\clftsWidth3\\clwWidth%d %s\\cellx%d" % (3000, prefix, e)
    return out


FILES = {}

FILES['01-plain-paragraphs'] = word(
    p("The first paragraph of an ordinary letter, written on a quiet morning.") +
    p("A second paragraph follows with a few more words in it.") +
    p("Short closing line."))

FILES['02-character-formatting'] = word(
    p("Plain {\\b bold} {\\i italic} {\\ul underlined} {\\strike struck} {\\caps capitals} and "
      "{\\super super}script with {\\sub sub}script.") +
    p("{\\cf6 Red words} on {\\highlight7 yellow ground} and {\\chcbpat3 cyan shading} here.") +
    p("{\\f1\\fs28 Larger Arial} then {\\f0\\fs16 small Times} again."))

FILES['03-heading-styles'] = word(
    "\\pard\\plain \\ltrpar\\s1\\ql \\li0\\ri0\\sb240\\keepn\\widctlpar\\outlinelevel0\\b\\fs32 Chapter heading\\par\n" +
    p("Body text under the heading.") +
    "\\pard\\plain \\ltrpar\\s1\\ql \\sb240\\keepn\\b\\fs32 Another heading\\par\n" +
    p("More body text."))

FILES['04-cyrillic-charset'] = word(
    p("{\\f40 " + cp("Привет, мир! Съешь же ещё этих мягких французских булок.", 'cp1251') + "}") +
    p("{\\f40 " + cp("Вторая строка текста.", 'cp1251') + "}"))

FILES['05-central-european-ansicpg'] = (
    "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial CE;}}"
    "\\pard\\f0 " + cp("Příliš žluťoučký kůň úpěl ďábelské ódy.", 'cp1250') + "\\par\n" +
    cp("Zażółć gęślą jaźń.", 'cp1250') + "\\par}\n")

FILES['06-unicode-uc1'] = word(
    p(u("Greek: Καλημέρα κόσμε. Russian: Здравствуйте. Chinese: 你好世界. Japanese: こんにちは.")) +
    p(u("Accents: café naïve façade résumé Ærøskøbing.")))

FILES['07-unicode-uc0-uc2'] = (
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\uc0 "
    "Zero \\u1047\\u1076\\u1088\\u1072\\u1074\\u1089\\u1090\\u1074\\u1091\\u1081 skip\\par "
    "\\uc2 Two \\u1055\\'3f\\'3f\\u1088\\'3f\\'3f\\u1080\\'3f\\'3f\\u1074\\'3f\\'3f\\u1077\\'3f\\'3f\\u1090\\'3f\\'3f bytes\\par "
    "\\uc1 One \\u931?\\u959?\\u966?\\u943?\\u945? end\\par}\n")

FILES['08-right-to-left'] = word(
    "\\pard\\plain \\rtlpar\\qr \\li0\\ri0\\sa160\\rtlch\\fcs1 \\af0\\alang1037 \\ltrch\\fcs0 " +
    u("שלום עולם, זהו טקסט בעברית.") + "\\par\n" +
    "\\pard\\plain \\rtlpar\\qr \\rtlch\\fcs1 \\af0\\alang1025 " + u("مرحبا بالعالم، هذا نص عربي.") + "\\par\n" +
    p(u("Mixed: English then עברית then English.")))

FILES['09-bullet-list'] = word(
    "{\\*\\listtable{\\list\\listtemplateid-1\\listhybrid{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\leveljcn0"
    "\\levelfollow0\\levelstartat1\\levelspace360\\levelindent0{\\leveltext\\leveltemplateid67698689\\'01\\u-3913 ?;}"
    "{\\levelnumbers;}\\f3\\fbias0 \\fi-360\\li720\\lin720 }{\\listlevel\\levelnfc23\\levelnfcn23\\leveljc0\\leveljcn0"
    "\\levelfollow0\\levelstartat1\\lvltentative\\levelspace360\\levelindent0{\\leveltext\\leveltemplateid67698691\\'01o;}"
    "{\\levelnumbers;}\\f2\\fbias0 \\fi-360\\li1440\\lin1440 }{\\listname ;}\\listid1}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}" +
    p("Shopping list:") +
    "".join("{\\listtext\\pard\\plain \\f3\\fs22 \\loch\\af3\\hich\\af3\\dbch\\af0 \\'b7\\tab}\\pard\\plain \\ltrpar\\ql \\fi-360\\li720\\ri0\\sa160\\widctlpar\\ls1\\adjustright\\rin0\\lin720\\itap0\\pararsid1 \\fs22 " + t + "\\par\n"
            for t in ["Apples from the market", "Fresh bread", "Cheese and olives"]) +
    "{\\listtext\\pard\\plain \\f2 o\\tab}\\pard\\plain \\ltrpar\\ql \\fi-360\\li1440\\ilvl1\\ls1 Second level item\\par\n" +
    p("After the list."))

FILES['10-numbered-multilevel'] = word(
    "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext\\'02\\'00.;}"
    "{\\levelnumbers\\'01;}\\fi-360\\li720}{\\listlevel\\levelnfc4\\leveljc0\\levelfollow0\\levelstartat1{\\leveltext\\'02\\'01);}"
    "{\\levelnumbers\\'01;}\\fi-360\\li1440}{\\listlevel\\levelnfc2\\leveljc2\\levelfollow0\\levelstartat1{\\leveltext\\'04\\'00.\\'01.;}"
    "{\\levelnumbers\\'01\\'03;}\\fi-180\\li2160}\\listid2}}{\\*\\listoverridetable{\\listoverride\\listid2\\listoverridecount0\\ls2}}" +
    "".join("{\\listtext\\pard\\plain %s\\tab}\\pard\\plain \\ltrpar\\ql \\fi-360\\li%d\\ilvl%d\\ls2 %s\\par\n" % (m, 720 * (lvl + 1), lvl, t)
            for m, lvl, t in [("1.", 0, "Preparation of the ground"), ("a)", 1, "Remove the stones"),
                              ("b)", 1, "Water the soil"), ("2.", 0, "Planting the seeds"), ("3.", 0, "Waiting patiently")]) +
    p("Done."))

FILES['11-old-style-numbering'] = (
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\ftech Symbol;}}"
    "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\fi-720\\li720 First bulleted line\\par "
    "{\\pntext\\f1\\'b7\\tab}Second bulleted line\\par "
    "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta .}}\\fi-360\\li360 Numbered first\\par "
    "{\\pntext 2.\\tab}Numbered second\\par\\pard Plain again.\\par}\n")

FILES['12-hyperlinks'] = word(
    p("Visit {\\field{\\*\\fldinst {HYPERLINK \"https://example.org/page?x=1&y=2\" }}{\\fldrslt {\\ul\\cf2 the example page}}} for more.") +
    p("A local link {\\field{\\*\\fldinst HYPERLINK \"C:\\\\\\\\Documents\\\\\\\\notes.txt\" \\\\o \"Open the notes\"}{\\fldrslt notes file}} here.") +
    p("Anchor {\\field{\\*\\fldinst HYPERLINK \\\\l \"_Toc1\"}{\\fldrslt jump target}} too."))

FILES['13-fields-date-page'] = word(
    p("Printed on {\\field{\\*\\fldinst { DATE \\\\@ \"d MMMM yyyy\" }}{\\fldrslt {3 March 2024}}} by the clerk.") +
    p("Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} of {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 4}}."))

FILES['14-table-simple'] = word(
    p("Before the table.") +
    table_row(["Name", "Town"], cellx(3000, 6000)) +
    table_row(["Alice", "Berlin"], cellx(3000, 6000)) +
    table_row(["Bob", "Lisbon"], cellx(3000, 6000)) +
    p("After the table."))

FILES['15-table-horizontal-merge'] = word(
    table_row(["Spanning heading", ""], "\\clmgf" + cellx(3000) + "\\clmrg" + cellx(6000)) +
    table_row(["Left", "Right"], cellx(3000, 6000)) +
    p("End."))

FILES['16-table-vertical-merge'] = word(
    table_row(["Tall", "One"], "\\clvmgf" + cellx(3000) + cellx(6000)) +
    table_row(["", "Two"], "\\clvmrg" + cellx(3000) + cellx(6000)) +
    table_row(["", "Three"], "\\clvmrg" + cellx(3000) + cellx(6000)) +
    p("Finished."))

FILES['17-table-uneven-rows'] = word(
    table_row(["Wide", "Narrow"], cellx(4000, 6000)) +
    table_row(["Alpha", "Beta", "Gamma"], cellx(2000, 4000, 6000)) +
    table_row(["Shifted"], "\\trleft1000" + cellx(5000)) +
    p("Below."))

FILES['18-nested-table'] = word(
    "\\pard\\plain \\ltrpar\\ql \\intbl\\itap1 Outer left\\par "
    "\\pard\\plain \\ltrpar\\ql \\intbl\\itap2 Inner one\\nestcell{\\nonesttables\\par }Inner two\\nestcell{\\nonesttables\\par }"
    "\\pard\\plain \\ltrpar\\ql \\intbl\\itap2 {\\*\\nesttableprops\\trowd \\irow0\\irowband0\\ltrrow\\trgaph108"
    "\\trleft0" + cellx(1500, 3000) + "\\nestrow}{\\nonesttables\\par }"
    "\\pard\\plain \\ltrpar\\ql \\intbl\\itap1 \\cell Outer right\\cell "
    "\\pard\\plain \\ltrpar\\ql \\intbl\\itap1 {\\trowd \\irow0\\irowband0\\ltrrow\\trgaph108\\trleft-108" +
    cellx(4000, 8000) + "\\row }" + p("Under the tables."))

FILES['19-header-footer'] = word(
    "{\\header \\ltrpar \\pard\\plain \\ltrpar\\s15\\qc Running head text\\par }"
    "{\\footer \\ltrpar \\pard\\plain \\ltrpar\\qc Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par }"
    "{\\headerf \\pard First page head\\par }" +
    p("The body of the document with a header and a footer."))

FILES['20-png-shape-picture'] = word(
    p("A picture follows:") +
    PARA + "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}}\\picscalex100\\picscaley100"
    "\\piccropl0\\piccropr0\\piccropt0\\piccropb0\\picw529\\pich529\\picwgoal300\\pichgoal300\\pngblip\\bliptag1"
    "{\\*\\blipuid 0123456789abcdef0123456789abcdef}\n" + hexlines(png(20, 20)) + "}}"
    "{\\nonshppict{\\pict\\picscalex100\\picscaley100\\picw529\\pich529\\picwgoal300\\pichgoal300\\wmetafile8\\bliptag1 " +
    hexlines(wmf()) + "}}\\par\n" + p("Text after the picture."))

FILES['21-jpeg-picture'] = word(
    p("Photo:") + PARA + "{\\pict\\jpegblip\\picw100\\pich100\\picwgoal1500\\pichgoal1500 " +
    hexlines(open(os.path.join(HERE, 'tiny.jpg'), 'rb').read()) + "}\\par\n" + p("Caption under the photo."))

FILES['22-dib-picture'] = wordpad(
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 Bitmap: {\\pict\\dibitmap0\\picw8\\pich4\\picwgoal120\\pichgoal60 " +
    hexlines(dib(8, 4)) + "}\\par\nDone with bitmaps.\\par")

FILES['23-wbitmap-and-metafile'] = (
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 Device bitmap {\\pict\\wbitmap0\\picw8\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2 "
    "ff00aa55ff00aa55} and metafile {\\pict\\wmetafile8\\picw2000\\pich1000\\picwgoal1134\\pichgoal567 " + hexlines(wmf()) +
    "} and enhanced {\\pict\\emfblip\\picw100\\pich100 0100000058000000} end.\\par}\n")

FILES['24-binary-picture'] = (
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 Binary data {\\pict\\pngblip\\bin" + str(len(png(3, 3))) + " ")
FILES['24-binary-picture'] = None  # written below as bytes

FILES['25-special-characters'] = word(
    p("Quotes \\ldblquote double\\rdblquote  and \\lquote single\\rquote , dashes \\endash  and \\emdash , a\\~non-breaking space, "
      "well\\_known hyphen, soft\\-hyphen, \\bullet  bullet, braces \\{ \\} and backslash \\\\.") +
    p("Tabs\\tab between\\tab words\\line and a line break."))

FILES['26-hidden-text'] = word(
    p("Visible start {\\v hidden words } visible end."))

FILES['27-page-and-section-breaks'] = word(
    p("Page one text.") + "\\page " + p("Page two text.") + "\\sect \\sectd \\sbknone " + p("Section two text."))

FILES['28-borders-shading'] = word(
    "\\pard\\plain \\brdrt\\brdrs\\brdrw10\\brsp20 \\brdrl\\brdrs\\brdrw10\\brsp80 \\brdrb\\brdrdb\\brdrw10\\brsp20 "
    "\\brdrr\\brdrs\\brdrw10\\brsp80 \\shading2000\\cfpat6 Boxed and shaded paragraph.\\par\n" +
    "\\pard\\plain \\cbpat7 Yellow paragraph background.\\par\n" + p("Ordinary paragraph."))

FILES['29-indents-alignment'] = word(
    "\\pard\\plain \\qc Centred title line\\par\n\\pard\\plain \\qr Right aligned line\\par\n"
    "\\pard\\plain \\qj\\li720\\ri720\\fi360 Justified indented text that goes on for a while to fill the line.\\par\n"
    "\\pard\\plain \\sl360\\slmult1 One and a half spacing.\\par\n")

FILES['30-symbol-field'] = word(
    p("Symbol {\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt {\\f3 \\'b7}}} and "
      "{\\field{\\*\\fldinst SYMBOL 74 \\\\f \"Wingdings\" \\\\s 11}{\\fldrslt }} smiley."))

FILES['31-unknown-destinations'] = word(
    "{\\*\\generator Some Writer 1.0;}{\\*\\userprops {\\propname Owner}\\proptype30{\\staticval Me}}"
    "{\\*\\bkmkstart mark1}" + p("Text around a bookmark.") + "{\\*\\bkmkend mark1}" +
    p("{\\*\\atnid X}{\\*\\atnauthor X}More text.{\\*\\unknownthing with ignored words}"))

FILES['32-wordpad-simple'] = wordpad(
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 A note typed in a small editor.\\par\n"
    "{\\b Bold line}\\par\n\\cf1 Red text\\cf0  and \\cf2 blue text\\cf0 .\\par\n"
    "\\f1\\lang1049 " + cp("Русский текст.", 'cp1251') + "\\f0\\lang9\\par")

FILES['33-wordpad-bullets'] = wordpad(
    "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 "
    "Milk\\par\n{\\pntext\\f2\\'B7\\tab}Eggs\\par\n{\\pntext\\f2\\'B7\\tab}Flour\\par\n\\pard\\sa200\\sl276\\slmult1 Bake well.\\par")

FILES['34-long-paragraphs'] = word("".join(
    p("Paragraph %d tells a small story about a walk along the river, the birds in the reeds and the "
      "boats that pass slowly under the old stone bridge." % i) for i in range(1, 41)))

FILES['35-table-percent-widths'] = word(
    table_row(["Half", "Quarter", "Rest"],
              "\\trftsWidth2\\trwWidth5000 \\clftsWidth2\\clwWidth2500\\cellx4500\\clftsWidth2\\clwWidth1250\\cellx6750\\clftsWidth2\\clwWidth1250\\cellx9000") +
    p("After percent table."))

FILES['36-emoji-surrogates'] = word(
    p(u("Faces 😀 and hearts ❤ with a rocket 🚀 in text.")))

FILES['37-mixed-fonts-languages'] = word(
    p("{\\f1\\lang1036 Voil\\'e0 un texte fran\\'e7ais.} {\\f1\\lang1031 Gr\\'fc\\'dfe aus M\\'fcnchen.}") +
    p("{\\f41 " + cp("Łódź i Kraków.", 'cp1250') + "}"))

FILES['38-deep-groups'] = (
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}" + "{" * 200 + "Deeply grouped words" + "}" * 200 + "\\par after\\par}\n")

FILES['39-objects'] = word(
    p("Before object {\\object\\objemb{\\*\\objclass Package}\\objw1000\\objh500{\\*\\objdata 0105000002000000}"
      "{\\result {\\pict\\wmetafile8\\picw1000\\pich500 " + hexlines(wmf()) + "}}} after object."))


def pandoc_rtf(markdown):
    r = subprocess.run(['pandoc', '-f', 'markdown', '-t', 'rtf', '-s'], input=markdown.encode(), capture_output=True, check=True)
    return r.stdout.decode()


PANDOC_SOURCES = {
    '40-pandoc-document': "# Journal\n\nA day with *emphasis*, **strength** and `code`.\n\n"
                          "- first point\n- second point\n\n1. one\n2. two\n\n"
                          "| Left | Right |\n|------|-------|\n| a    | b     |\n\n"
                          "A [link](https://example.org) and a quote:\n\n> Quoted words here.\n",
    '41-pandoc-unicode': "# Ünïcödé\n\nΚείμενο, текст, 文本 and עברית.\n\n* Ñandú\n* Øre\n",
}


def oracle(path):
    r = subprocess.run(['pandoc', '-f', 'rtf', '-t', 'plain', '--wrap=none', path], capture_output=True)
    return r.stdout.decode('utf-8', 'replace')


def main():
    for name, text in FILES.items():
        if text is None:
            continue
        with open(os.path.join(HERE, name + '.rtf'), 'w', encoding='latin-1') as f:
            f.write(text)
    data = png(3, 3)
    with open(os.path.join(HERE, '24-binary-picture.rtf'), 'wb') as f:
        f.write(b"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 Binary data {\\pict\\pngblip\\picwgoal300\\pichgoal300\\bin"
                + str(len(data)).encode() + b" " + data + b"} after it.\\par}\n")
    for name, md in PANDOC_SOURCES.items():
        with open(os.path.join(HERE, name + '.rtf'), 'w', encoding='latin-1') as f:
            f.write(pandoc_rtf(md))
    for fn in sorted(os.listdir(HERE)):
        if fn.endswith('.rtf'):
            with open(os.path.join(HERE, fn[:-4] + '.txt'), 'w', encoding='utf-8') as f:
                f.write(oracle(os.path.join(HERE, fn)))


if __name__ == '__main__':
    main()
