#include "charset/charset_id.h"

#include <array>
#include <string>
#include <vector>

namespace sanivo {

namespace {

// The records in the order in which CharsetName meets them: only the first record of an id
// names it for iconv, by its first word; the other words and records are that charset's
// other names. Ids 23 and 29 are named by CharsetName itself, and 35 has no name of its own.
constexpr std::array<TIconvChar, kCharsetAliasCount> kCharsetAliasRecords = {{
    {ciISO8859_1,
     "ISO-8859-1 CP819 IBM819 ISO-IR-100 ISO8859-1 ISO_8859-1 ISO_8859-1:1987 L1 LATIN1 "
     "CSISOLATIN1"},
    {ciISO8859_1,
     "US-ASCII ANSI_X3.4-1968 ANSI_X3.4-1986 ASCII CP367 IBM367 ISO-IR-6 ISO646-US "
     "ISO_646.IRV:1991 US CSASCII"},
    {ciISO8859_1, "850 CP850 IBM850 CSPC850MULTILINGUAL"},
    {ciISO8859_1, "437 CP437 IBM437 CSPC8CODEPAGE437"},
    {ciISO8859_2,
     "ISO-8859-2 ISO-IR-101 ISO8859-2 ISO_8859-2 ISO_8859-2:1987 L2 LATIN2 CSISOLATIN2"},
    {ciISO8859_3,
     "ISO-8859-3 ISO-IR-109 ISO8859-3 ISO_8859-3 ISO_8859-3:1988 L3 LATIN3 CSISOLATIN3"},
    {ciISO8859_4,
     "ISO-8859-4 ISO-IR-110 ISO8859-4 ISO_8859-4 ISO_8859-4:1988 L4 LATIN4 CSISOLATIN4"},
    {ciISO8859_5,
     "ISO-8859-5 CYRILLIC ISO-IR-144 ISO8859-5 ISO_8859-5 ISO_8859-5:1988 CSISOLATINCYRILLIC"},
    {ciISO8859_6,
     "ISO-8859-6 ARABIC ASMO-708 ECMA-114 ISO-IR-127 ISO8859-6 ISO_8859-6 ISO_8859-6:1987 "
     "CSISOLATINARABIC"},
    {ciISO8859_7,
     "ISO-8859-7 ECMA-118 ELOT_928 GREEK GREEK8 ISO-IR-126 ISO8859-7 ISO_8859-7 ISO_8859-7:1987 "
     "CSISOLATINGREEK"},
    {ciISO8859_8,
     "ISO_8859-8 HEBREW ISO-8859-8 ISO-IR-138 ISO8859-8 ISO_8859-8:1988 CSISOLATINHEBREW"},
    {ciISO8859_9,
     "ISO-8859-9 ISO-IR-148 ISO8859-9 ISO_8859-9 ISO_8859-9:1989 L5 LATIN5 CSISOLATIN5"},
    {ciISO8859_10,
     "ISO-8859-10 ISO-IR-157 ISO8859-10 ISO_8859-10 ISO_8859-10:1992 L6 LATIN6 CSISOLATIN6"},
    {ciISO8859_13, "ISO-8859-13 ISO-IR-179 ISO8859-13 ISO_8859-13 L7 LATIN7"},
    {ciISO8859_14,
     "ISO-8859-14 ISO-CELTIC ISO-IR-199 ISO8859-14 ISO_8859-14 ISO_8859-14:1998 L8 LATIN8"},
    {ciISO8859_15, "ISO-8859-15 ISO-IR-203 ISO8859-15 ISO_8859-15 ISO_8859-15:1998 LATIN-9"},
    {ciWindows1250, "WINDOWS-1250 CP1250 MS-EE"},
    {ciWindows1251, "WINDOWS-1251 CP1251 MS-CYRL"},
    {ciWindows1252, "WINDOWS-1252 CP1252 MS-ANSI"},
    {ciWindows1253, "WINDOWS-1253 CP1253 MS-GREEK"},
    {ciWindows1254, "WINDOWS-1254 CP1254 MS-TURK"},
    {ciWindows1255, "WINDOWS-1255 CP1255 MS-HEBR"},
    {ciWindows1256, "WINDOWS-1256 CP1256 MS-ARAB"},
    {ciWindows1257, "WINDOWS-1257 CP1257 WINBALTRIM"},
    {ciWindows1258, "WINDOWS-1258 CP1258"},
    {ciKOI8R, "KOI8-R CSKOI8R"},
    {ciCP852, "852 CP852 IBM852 CSPCP852"},
    {ciUCS2, "ISO-10646-UCS-2 UCS-2 CSUNICODE"},
    {ciUCS2, "UCS-2BE UNICODE-1-1 UNICODEBIG CSUNICODE11"},
    {ciUCS4, "ISO-10646-UCS-4 UCS-4 CSUCS4"},
    {ciUCS4, "UCS-4BE"},
    {ciUTF8, "UTF-8"},
    {ciUTF7, "UNICODE-1-1-UTF-7 UTF-7 CSUNICODE11UTF7"},
    {ciUCS2LE, "UCS-2LE"},
    {ciUCS4LE, "UCS-4LE"},
    {ciUTF16, "UTF-16"},
    {ciUTF16, "UTF-16BE"},
    {ciUTF16LE, "UTF-16LE"},
    {ciUTF32, "UTF-32"},
    {ciUTF32, "UTF-32BE"},
    {ciUTF32, "UTF-32LE"},
    {ciC99, "C99"},
    {ciJava, "JAVA"},
    {ciISO8859_16, "ISO-8859-16"},
    {ciKOI8U, "KOI8-U"},
    {ciKOI8RU, "KOI8-RU"},
    {ciCP862, "862 CP862 IBM862 CSPC862LATINHEBREW"},
    {ciCP866, "866 CP866 IBM866 CSIBM866"},
    {ciMac, "MAC MACINTOSH MACROMAN CSMACINTOSH"},
    {ciMacCentralEurope, "MACCENTRALEUROPE"},
    {ciMacIceland, "MACICELAND"},
    {ciMacCroatian, "MACCROATIAN"},
    {ciMacRomania, "MACROMANIA"},
    {ciMacCyrillic, "MACCYRILLIC"},
    {ciMacUkraine, "MACUKRAINE"},
    {ciMacGreek, "MACGREEK"},
    {ciMacTurkish, "MACTURKISH"},
    {ciMacHebrew, "MACHEBREW"},
    {ciMacArabic, "MACARABIC"},
    {ciMacThai, "MACTHAI"},
    {ciHPRoman8, "HP-ROMAN8"},
    {ciNextStep, "NEXTSTEP"},
    {ciArmscii8, "ARMSCII-8"},
    {ciGeorgianAcademy, "GEORGIAN-ACADEMY"},
    {ciGeorgianPS, "GEORGIAN-PS"},
    {ciKOI8T, "KOI8-T"},
    {ciMuleLao1, "MULELAO-1"},
    {ciCP1133, "CP1133"},
    {ciTIS620, "TIS-620"},
    {ciCP874, "CP874"},
    {ciVISCII, "VISCII"},
    {ciTCVN, "TCVN"},
    {ciISOIR14, "ISO-IR-14"},
    {ciJISX0201, "JISX0201-1976"},
    {ciISOIR87, "ISO-IR-87"},
    {ciISOIR159, "ISO-IR-159"},
    {ciCN, "CN"},
    {ciChinese, "CHINESE"},
    {ciCNGBISOIR165, "CN-GB-ISOIR165"},
    {ciISOIR149, "ISO-IR-149"},
    {ciEUCJP, "EUC-JP EUCJP EXTENDED_UNIX_CODE_PACKED_FORMAT_FOR_JAPANESE CSEUCPKDFMTJAPANESE"},
    {ciShiftJIS, "SHIFT-JIS MS_KANJI SHIFT_JIS SJIS CSSHIFTJIS"},
    {ciCP932, "CP932"},
    {ciISO2022JP, "ISO-2022-JP"},
    {ciISO2022JP1, "ISO-2022-JP-1"},
    {ciISO2022JP2, "ISO-2022-JP-2"},
    {ciCNGB, "CN-GB"},
    {ciCP936, "CP936"},
    {ciGB18030, "GB18030"},
    {ciISO2022CN, "ISO-2022-CN"},
    {ciISO2022CNExt, "ISO-2022-CN-EXT"},
    {ciHZ, "HZ"},
    {ciEUCTW, "EUC-TW"},
    {ciBig5, "BIG5 BIG-5 BIG-FIVE BIGFIVE CN-BIG5 CSBIG5"},
    {ciCP950, "CP950"},
    {ciBig5HKSCS, "BIG5-HKSCS"},
    {ciEUCKR, "EUC-KR EUCKR CSEUCKR"},
    {ciCP949, "CP949"},
    {ciCP1361, "CP1361"},
    {ciISO2022KR, "ISO-2022-KR"},
    {ciCP737, "CP737"},
    {ciCP775, "CP775"},
    {ciCP853, "CP853"},
    {ciCP855, "855 CP855 IBM855 CSIBM855"},
    {ciCP857, "857 CP857 IBM857 CSIBM857"},
    {ciCP858, "CP858"},
    {ciCP860, "860 CP860 IBM860 CSIBM860"},
    {ciCP861, "861 CP-IS CP861 IBM861 CSIBM861"},
    {ciCP863, "863 CP863 IBM863 CSIBM863"},
    {ciCP864, "CP864"},
    {ciCP865, "865 CP865 IBM865 CSIBM865"},
    {ciCP869, "869 CP-GR CP869 IBM869 CSIBM869"},
    {ciCP1125, "CP1125"},
}};

constexpr std::string_view kFallbackName = "ISO-8859-1";

}  // namespace

std::vector<TIconvChar> CharsetAliases;

void InitializeCharsetAliases() {
  CharsetAliases.assign(kCharsetAliasRecords.begin(), kCharsetAliasRecords.end());
}

void FinalizeCharsetAliases() {
  CharsetAliases.clear();
  CharsetAliases.shrink_to_fit();
}

std::string LeftOfDelimiter(std::string_view value, std::string_view delimiter) {
  return std::string(value.substr(0, value.find(delimiter)));
}

std::string CharsetName(TCharsetId id) {
  if (id == ciKamenicky) return "CP-895";
  if (id == ciModifiedUTF7) return "mUTF-7";
  for (const TIconvChar& record : CharsetAliases) {
    if (record.Id == id) return LeftOfDelimiter(record.Aliases, " ");
  }
  return std::string(kFallbackName);
}

}  // namespace sanivo
