#include "charset/charset_id.h"

#include <array>

namespace sanivo {

namespace {

struct TNamedCharset {
  TCharsetId id;
  std::string_view name;
};

constexpr std::string_view kFallbackName = "ISO-8859-1";

// Names as iconv spells them; some are iconv's own choice of alias ("ISO_8859-8", "852").
constexpr std::array<TNamedCharset, kCharsetIdCount> kCharsetNames = {{
    {ciISO8859_1, "ISO-8859-1"},
    {ciISO8859_2, "ISO-8859-2"},
    {ciISO8859_3, "ISO-8859-3"},
    {ciISO8859_4, "ISO-8859-4"},
    {ciISO8859_5, "ISO-8859-5"},
    {ciISO8859_6, "ISO-8859-6"},
    {ciISO8859_7, "ISO-8859-7"},
    {ciISO8859_8, "ISO_8859-8"},
    {ciISO8859_9, "ISO-8859-9"},
    {ciISO8859_10, "ISO-8859-10"},
    {ciISO8859_13, "ISO-8859-13"},
    {ciISO8859_14, "ISO-8859-14"},
    {ciISO8859_15, "ISO-8859-15"},
    {ciWindows1250, "WINDOWS-1250"},
    {ciWindows1251, "WINDOWS-1251"},
    {ciWindows1252, "WINDOWS-1252"},
    {ciWindows1253, "WINDOWS-1253"},
    {ciWindows1254, "WINDOWS-1254"},
    {ciWindows1255, "WINDOWS-1255"},
    {ciWindows1256, "WINDOWS-1256"},
    {ciWindows1257, "WINDOWS-1257"},
    {ciWindows1258, "WINDOWS-1258"},
    {ciKOI8R, "KOI8-R"},
    {ciKamenicky, "CP-895"},
    {ciCP852, "852"},
    {ciUCS2, "ISO-10646-UCS-2"},
    {ciUCS4, "ISO-10646-UCS-4"},
    {ciUTF8, "UTF-8"},
    {ciUTF7, "UNICODE-1-1-UTF-7"},
    {ciModifiedUTF7, "mUTF-7"},
    {ciUCS2LE, "UCS-2LE"},
    {ciUCS4LE, "UCS-4LE"},
    {ciUTF16, "UTF-16"},
    {ciUTF16LE, "UTF-16LE"},
    {ciUTF32, "UTF-32"},
    {ciUnassigned, kFallbackName},
    {ciC99, "C99"},
    {ciJava, "JAVA"},
    {ciISO8859_16, "ISO-8859-16"},
    {ciKOI8U, "KOI8-U"},
    {ciKOI8RU, "KOI8-RU"},
    {ciCP862, "862"},
    {ciCP866, "866"},
    {ciMac, "MAC"},
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
    {ciEUCJP, "EUC-JP"},
    {ciShiftJIS, "SHIFT-JIS"},
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
    {ciBig5, "BIG5"},
    {ciCP950, "CP950"},
    {ciBig5HKSCS, "BIG5-HKSCS"},
    {ciEUCKR, "EUC-KR"},
    {ciCP949, "CP949"},
    {ciCP1361, "CP1361"},
    {ciISO2022KR, "ISO-2022-KR"},
    {ciCP737, "CP737"},
    {ciCP775, "CP775"},
    {ciCP853, "CP853"},
    {ciCP855, "855"},
    {ciCP857, "857"},
    {ciCP858, "CP858"},
    {ciCP860, "860"},
    {ciCP861, "861"},
    {ciCP863, "863"},
    {ciCP864, "CP864"},
    {ciCP865, "865"},
    {ciCP869, "869"},
    {ciCP1125, "CP1125"},
}};

constexpr bool IsIndexedById() {
  for (std::size_t i = 0; i < kCharsetNames.size(); ++i) {
    if (kCharsetNames[i].id != i) return false;
  }
  return true;
}
static_assert(IsIndexedById(), "kCharsetNames must list every id once, in id order");

}  // namespace

std::string_view CharsetName(TCharsetId id) {
  return id < kCharsetNames.size() ? kCharsetNames[id].name : kFallbackName;
}

}  // namespace sanivo
