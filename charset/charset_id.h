#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sanivo {

// A character set or code page. A text's charset travels beside it as one of these ids.
enum TCharsetId : std::uint8_t {
  ciISO8859_1 = 0,
  ciISO8859_2 = 1,
  ciISO8859_3 = 2,
  ciISO8859_4 = 3,
  ciISO8859_5 = 4,
  ciISO8859_6 = 5,
  ciISO8859_7 = 6,  // the 1987 edition, without the euro sign
  ciISO8859_8 = 7,
  ciISO8859_9 = 8,
  ciISO8859_10 = 9,
  ciISO8859_13 = 10,
  ciISO8859_14 = 11,
  ciISO8859_15 = 12,
  ciWindows1250 = 13,
  ciWindows1251 = 14,
  ciWindows1252 = 15,
  ciWindows1253 = 16,
  ciWindows1254 = 17,
  ciWindows1255 = 18,
  ciWindows1256 = 19,
  ciWindows1257 = 20,
  ciWindows1258 = 21,
  ciKOI8R = 22,
  ciKamenicky = 23,
  ciCP852 = 24,
  ciUCS2 = 25,
  ciUCS4 = 26,
  ciUTF8 = 27,
  ciUTF7 = 28,
  ciModifiedUTF7 = 29,
  ciUCS2LE = 30,
  ciUCS4LE = 31,
  ciUTF16 = 32,
  ciUTF16LE = 33,
  ciUTF32 = 34,
  ciUnassigned = 35,  // stands for no charset of its own; named and treated as ISO-8859-1
  ciC99 = 36,
  ciJava = 37,
  ciISO8859_16 = 38,
  ciKOI8U = 39,
  ciKOI8RU = 40,
  ciCP862 = 41,
  ciCP866 = 42,
  ciMac = 43,
  ciMacCentralEurope = 44,
  ciMacIceland = 45,
  ciMacCroatian = 46,
  ciMacRomania = 47,
  ciMacCyrillic = 48,
  ciMacUkraine = 49,
  ciMacGreek = 50,
  ciMacTurkish = 51,
  ciMacHebrew = 52,
  ciMacArabic = 53,
  ciMacThai = 54,
  ciHPRoman8 = 55,
  ciNextStep = 56,
  ciArmscii8 = 57,
  ciGeorgianAcademy = 58,
  ciGeorgianPS = 59,
  ciKOI8T = 60,
  ciMuleLao1 = 61,
  ciCP1133 = 62,
  ciTIS620 = 63,
  ciCP874 = 64,
  ciVISCII = 65,
  ciTCVN = 66,
  ciISOIR14 = 67,
  ciJISX0201 = 68,
  ciISOIR87 = 69,
  ciISOIR159 = 70,
  ciCN = 71,
  ciChinese = 72,
  ciCNGBISOIR165 = 73,
  ciISOIR149 = 74,
  ciEUCJP = 75,
  ciShiftJIS = 76,
  ciCP932 = 77,
  ciISO2022JP = 78,
  ciISO2022JP1 = 79,
  ciISO2022JP2 = 80,
  ciCNGB = 81,
  ciCP936 = 82,
  ciGB18030 = 83,
  ciISO2022CN = 84,
  ciISO2022CNExt = 85,
  ciHZ = 86,
  ciEUCTW = 87,
  ciBig5 = 88,
  ciCP950 = 89,
  ciBig5HKSCS = 90,
  ciEUCKR = 91,
  ciCP949 = 92,
  ciCP1361 = 93,
  ciISO2022KR = 94,
  ciCP737 = 95,
  ciCP775 = 96,
  ciCP853 = 97,
  ciCP855 = 98,
  ciCP857 = 99,
  ciCP858 = 100,
  ciCP860 = 101,
  ciCP861 = 102,
  ciCP863 = 103,
  ciCP864 = 104,
  ciCP865 = 105,
  ciCP869 = 106,
  ciCP1125 = 107,
};

inline constexpr int kCharsetIdCount = 108;

// One charset's names for iconv, separated by single blanks; the first is the one passed on.
struct TIconvChar {
  TCharsetId Id;
  std::string_view Aliases;
};

inline constexpr int kCharsetAliasCount = 113;

// Filled by the module's start-up in a fixed order, emptied by its shut-down.
extern std::vector<TIconvChar> CharsetAliases;
void InitializeCharsetAliases();
void FinalizeCharsetAliases();

// The name under which iconv knows the charset: the first word of the id's first alias record.
// An id without a record (35, or a value beyond the list) is named "ISO-8859-1", the charset the
// built-in engine reads it as; so is every id while the table is empty.
std::string CharsetName(TCharsetId id);

// The part of value before the first occurrence of delimiter; all of value without one.
std::string LeftOfDelimiter(std::string_view value, std::string_view delimiter);

}  // namespace sanivo
