// fontcheck: asks GDI whether a font face is one that the Windows console will offer, and
// whether it has the glyphs that Czech DOS programs need.
//
//   fontcheck [--add FONTFILE] [FACE]
//
// FACE defaults to "Lucida Console CS". With --add, FONTFILE is first added with
// AddFontResourceA (for this process only). Prints one line per check and exits 0 only when
// every check passes, 1 when one fails, 2 on a usage error.

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kDefaultFace[] = "Lucida Console CS";
// Czech letters and a frame corner, as Czech DOS programs show them.
constexpr wchar_t kSampleCharacters[] = L"\u010D\u0159\u016F\u2554";  // č ř ů ╔
// The console's default cell height for the font (FontSize 0x140000).
constexpr int kCellHeight = 20;
constexpr UINT kOemCodePage = 852;
constexpr int kOemCharacterCount = 0x100 - 0x20;

class Report {
 public:
  void Check(bool passed, const char* what) {
    std::printf("%s %s\n", passed ? "PASS" : "FAIL", what);
    std::fflush(stdout);
    failed_ = failed_ || !passed;
  }
  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
};

struct EnumeratedFace {
  bool found = false;
  bool upright = false;  // the metrics below are those of an upright style when there is one
  DWORD font_type = 0;
  BYTE pitch_and_family = 0;  // TEXTMETRIC's: TMPF_FIXED_PITCH set means variable pitch
};

// GDI lists the face once per style and character set; the console takes the upright styles.
int CALLBACK RememberFace(const LOGFONTA*, const TEXTMETRICA* metrics, DWORD font_type,
                          LPARAM data) {
  auto* face = reinterpret_cast<EnumeratedFace*>(data);
  if (!face->found || (!face->upright && !metrics->tmItalic)) {
    face->found = true;
    face->upright = !metrics->tmItalic;
    face->font_type = font_type;
    face->pitch_and_family = metrics->tmPitchAndFamily;
  }
  return 1;
}

void CheckEnumeration(Report& report, HDC dc, const char* face_name) {
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(wanted.lfFaceName, face_name, LF_FACESIZE);
  EnumeratedFace face;
  EnumFontFamiliesExA(dc, &wanted, RememberFace, reinterpret_cast<LPARAM>(&face), 0);

  char line[160];
  std::snprintf(line, sizeof line, "face \"%s\" is enumerated", face_name);
  report.Check(face.found, line);
  report.Check(face.upright, "it has an upright style");
  report.Check(face.found && (face.font_type & TRUETYPE_FONTTYPE), "it is a TrueType face");
  report.Check(face.found && !(face.pitch_and_family & TMPF_FIXED_PITCH), "it has fixed pitch");
  std::snprintf(line, sizeof line, "its family is FF_MODERN (0x%02X, got 0x%02X)", FF_MODERN,
                face.pitch_and_family & 0xF0);
  report.Check(face.found && (face.pitch_and_family & 0xF0) == FF_MODERN, line);
}

HFONT CreateFace(const char* face_name, int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     FIXED_PITCH | FF_MODERN, face_name);
}

// Returns the font's units per em, or 0 when GDI selected another face than the one asked for
// (the glyphs would then be those of a substitute).
UINT CheckGlyphs(Report& report, HDC dc, const char* face_name) {
  HFONT font = CreateFace(face_name, kCellHeight);
  HGDIOBJ previous = SelectObject(dc, font);
  char selected[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, selected);
  char line[160];
  std::snprintf(line, sizeof line, "GDI selects the face itself (got \"%s\")", selected);
  const bool selected_itself = lstrcmpiA(selected, face_name) == 0;
  report.Check(selected_itself, line);

  constexpr int kSampleCount = sizeof kSampleCharacters / sizeof kSampleCharacters[0] - 1;
  WORD glyphs[kSampleCount] = {};
  const bool indexed =
      selected_itself && GetGlyphIndicesW(dc, kSampleCharacters, kSampleCount, glyphs,
                                          GGI_MARK_NONEXISTING_GLYPHS) == kSampleCount;
  for (int i = 0; i < kSampleCount; ++i) {
    std::snprintf(line, sizeof line, "it has a glyph for U+%04X",
                  static_cast<unsigned>(kSampleCharacters[i]));
    report.Check(indexed && glyphs[i] != 0xFFFF, line);
  }

  OUTLINETEXTMETRICA outline = {};
  outline.otmSize = sizeof outline;
  const bool measured = GetOutlineTextMetricsA(dc, sizeof outline, &outline) != 0;
  SelectObject(dc, previous);
  DeleteObject(font);
  return selected_itself && measured ? outline.otmEMSquare : 0;
}

// The characters of code page 852 from 0x20 up, the control character 0x7F aside.
int OemCharacters(wchar_t (&characters)[kOemCharacterCount]) {
  char bytes[kOemCharacterCount];
  for (int i = 0; i < kOemCharacterCount; ++i) bytes[i] = static_cast<char>(0x20 + i);
  const int count = MultiByteToWideChar(kOemCodePage, 0, bytes, kOemCharacterCount, characters,
                                        kOemCharacterCount);
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    if (characters[i] != 0x7F) characters[kept++] = characters[i];
  }
  return kept;
}

// At an em of as many pixels as the font has units, the A and C widths are the font's own side
// bearings: pixel rounding neither hides nor invents a negative one.
void CheckSideBearings(Report& report, HDC dc, const char* face_name, UINT units_per_em) {
  HFONT font = CreateFace(face_name, -static_cast<int>(units_per_em));
  HGDIOBJ previous = SelectObject(dc, font);
  wchar_t characters[kOemCharacterCount];
  const int count = OemCharacters(characters);
  int negative = 0;
  ABC first = {};
  unsigned first_character = 0;
  for (int i = 0; i < count && units_per_em != 0; ++i) {
    ABC widths = {};
    if (!GetCharABCWidthsW(dc, characters[i], characters[i], &widths) || widths.abcA < 0 ||
        widths.abcC < 0) {
      if (negative++ == 0) {
        first = widths;
        first_character = characters[i];
      }
    }
  }
  char line[200];
  const int length = std::snprintf(line, sizeof line,
                                   "no negative A or C width in code page %u at %u pixels per em",
                                   kOemCodePage, units_per_em);
  if (negative > 0) {
    std::snprintf(line + length, sizeof line - length, " (%d of %d; first U+%04X: A %d, C %d)",
                  negative, count, first_character, first.abcA, first.abcC);
  }
  report.Check(units_per_em != 0 && count == kOemCharacterCount - 1 && negative == 0, line);
  SelectObject(dc, previous);
  DeleteObject(font);
}

}  // namespace

int main(int argc, char** argv) {
  const char* font_file = nullptr;
  const char* face_name = kDefaultFace;
  int arg = 1;
  if (arg + 1 < argc && std::strcmp(argv[arg], "--add") == 0) {
    font_file = argv[arg + 1];
    arg += 2;
  }
  if (arg < argc) face_name = argv[arg++];
  if (arg != argc || lstrlenA(face_name) >= LF_FACESIZE) {
    std::fprintf(stderr, "usage: fontcheck [--add FONTFILE] [FACE]\n");
    return 2;
  }

  Report report;
  if (font_file) {
    char line[MAX_PATH + 40];
    std::snprintf(line, sizeof line, "AddFontResourceA(\"%s\")", font_file);
    report.Check(AddFontResourceA(font_file) > 0, line);
  }
  HDC dc = CreateCompatibleDC(nullptr);
  CheckEnumeration(report, dc, face_name);
  const UINT units_per_em = CheckGlyphs(report, dc, face_name);
  CheckSideBearings(report, dc, face_name, units_per_em);
  DeleteDC(dc);
  return report.failed() ? 1 : 0;
}
