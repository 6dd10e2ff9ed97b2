#include "tools/cpconv/cpconv.h"

#include <algorithm>
#include <array>
#include <new>

#include "base/file_names.h"
#include "base/number_text.h"
#include "charset/charset.h"
#include "charset/iconv_binding.h"
#include "charset/stream_converter.h"
#include "charset/windows1250_literal.h"
#include "platform/os.h"
#include "platform/standard_handle.h"
#include "sysenv/errors.h"
#include "sysenv/file_access.h"

namespace sanivo {

namespace {

// cpconv's own texts, in Windows-1250 like the program's; they reach the console in its code
// page, 852.
constexpr std::string_view kUsage =
    "Použití: cpconv [volby] Z DO [SOUBOR...]\n"
    "         cpconv [volby] -f Z -t DO [SOUBOR...]\n"
    "         cpconv -l\n"
    "Převede text ze znakové sady Z do sady DO. Bez souboru, a za soubor \"-\", čte\n"
    "standardní vstup; výsledek píše na standardní výstup.\n"
    "  Z, DO       číslo sady (0-107) nebo kterýkoli její název (CP852, WINDOWS-1250,\n"
    "              1250, UTF-8, KEYBCS2, KOI8-R, ...), velikost písmen nerozhoduje; jiný\n"
    "              název (CP850, IBM437, ...) předá knihovně iconv.dll vedle programu\n"
    "  -o VÝSTUP   zapíše výsledek do souboru VÝSTUP celý, nebo vůbec (i přes vstup)\n"
    "  -l          vypíše čísla sad a jejich názvy\n"
    "  --strict    znaky, které cílová sada nemá, vynechá místo přepisu\n"
    "  --map W,W   náhrady znaků: šestnáctková slova, dvojice původní,nový\n"
    "Příklad: cpconv CP852 WINDOWS-1250 DOPIS.TXT -o DOPIS-WIN.TXT\n"
    "Návratový kód: 0 v pořádku, 1 chyba, 2 chybné parametry, 3 výsledek zapsán, ale vstup\n"
    "nebyl čistý text své sady: každé chybné místo nahradil znak U+FFFD a zpráva uvede jejich\n"
    "počet a bajt prvního. Čte-li vstup knihovna iconv.dll, chybná místa vynechá sama a nic\n"
    "nehlásí. S knihovnou a bez ní se může lišit výsledek u znaků, které vestavěné tabulky\n"
    "nemají (knihovna zná i novější vydání sad, třeba znak euro v ISO-8859-7).\n"_cp1250;
constexpr std::string_view kListLegend =
    "* jen s knihovnou iconv.dll vedle programu; ta zná i další názvy sad\n"_cp1250;
constexpr std::string_view kBadArguments = "chybné parametry; nápověda: cpconv --help"_cp1250;
constexpr std::string_view kUnknownCharset = "neznámá znaková sada: "_cp1250;
constexpr std::string_view kCharsetWord = "znakovou sadu "_cp1250;
constexpr std::string_view kLibraryNeeded =
    " lze převádět jen s knihovnou iconv.dll vedle programu"_cp1250;
constexpr std::string_view kCannotRead = "nelze číst "_cp1250;
constexpr std::string_view kCannotWrite = "nelze zapsat "_cp1250;
constexpr std::string_view kStandardInput = "standardní vstup"_cp1250;
constexpr std::string_view kStandardOutput = "standardní výstup"_cp1250;
constexpr std::string_view kOutOfMemory = "nedostatek paměti"_cp1250;
constexpr std::string_view kNotCleanText = " není čistý text sady "_cp1250;
constexpr std::string_view kReplacedPlaces = "; počet nahrazených míst: "_cp1250;
constexpr std::string_view kFirstAtByte = ", první na bajtu "_cp1250;

// Names Czech users type for charsets of ours that the alias table spells otherwise.
constexpr std::pair<std::string_view, TCharsetId> kCzechNames[] = {
    {"1250", ciWindows1250}, {"1251", ciWindows1251},  {"1252", ciWindows1252},
    {"1253", ciWindows1253}, {"1254", ciWindows1254},  {"1255", ciWindows1255},
    {"1256", ciWindows1256}, {"1257", ciWindows1257},  {"1258", ciWindows1258},
    {"UTF8", ciUTF8},        {"KEYBCS2", ciKamenicky}, {"KAMENICKY", ciKamenicky},
    {"895", ciKamenicky},    {"CP895", ciKamenicky}};

constexpr std::string_view kStandardStream = "-";
// A pipe whose writer has closed reports its end as this error.
constexpr std::uint32_t kErrorBrokenPipe = 109;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// "W,W,..." of one to four hexadecimal digits each.
std::optional<std::vector<std::uint16_t>> ParseMap(std::string_view text) {
  std::vector<std::uint16_t> words;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view word = text.substr(0, comma);
    const std::optional<std::uint16_t> value =
        word.size() <= 4 ? ParseWholeNumber<std::uint16_t>(word, 16) : std::nullopt;
    if (!value) return std::nullopt;
    words.push_back(*value);
    if (comma == std::string_view::npos) return words;
    text.remove_prefix(comma + 1);
  }
}

TCpconvArguments Refused(std::string message) { return {std::nullopt, std::move(message)}; }

// Calls visit(name, id) for every name that names one of our ids, in the order of the alias
// table, then the names that CharsetName gives of its own and the Czech ones. A record names
// its id when it is the id's first; UCS-2's and UCS-4's later records name the same big-endian
// forms, the later records of the other ids (US-ASCII under ISO-8859-1, UTF-32LE under UTF-32)
// other charsets, which are the library's to know.
template <typename TVisit>
void ForEachName(TVisit visit) {
  std::array<bool, 256> named{};
  for (const TIconvChar& record : CharsetAliases) {
    const bool namesIt = !named[record.Id] || record.Id == ciUCS2 || record.Id == ciUCS4;
    named[record.Id] = true;
    if (!namesIt) continue;
    for (std::string_view names = record.Aliases; !names.empty();) {
      const std::size_t blank = std::min(names.find(' '), names.size());
      visit(names.substr(0, blank), record.Id);
      names.remove_prefix(std::min(blank + 1, names.size()));
    }
  }
  for (const TCharsetId id : {ciKamenicky, ciModifiedUTF7}) visit(CharsetName(id), id);
  for (const auto& [name, id] : kCzechNames) visit(name, id);
}

// The names of an id, blank-separated; the name the conversion passes on for an id without any.
std::string NamesOf(TCharsetId id) {
  std::string names;
  ForEachName([&](std::string_view name, TCharsetId named) {
    if (named != id) return;
    if (!names.empty()) names += ' ';
    names += name;
  });
  return names.empty() ? CharsetName(id) : names;
}

std::string CharsetListing() {
  std::string listing;
  for (int id = 0; id < kCharsetIdCount; ++id) {
    const auto charset = static_cast<TCharsetId>(id);
    const std::string number = std::to_string(id);
    listing += std::string(3 - number.size(), ' ') + number;
    listing += NeedsIconvLibrary(charset) ? " * " : "   ";
    listing += NamesOf(charset) + "\n";
  }
  return listing + std::string(kListLegend);
}

void WriteConsoleText(std::int32_t which, std::string_view text) {
  WriteStandardHandle(which, ConvertCharset(std::string(text), ciWindows1250, ciCP852));
}

int Fail(std::string_view message, int exitCode = kCpconvFailureExitCode) {
  WriteConsoleText(os::kStdErrorHandle, "cpconv: " + std::string(message) + "\n");
  return exitCode;
}

std::string Quoted(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string WithSystemError(std::string message, std::uint32_t code) {
  const std::string text = SystemErrorText(code);
  return text.empty() ? message : message + ": " + text;
}

// Where the result goes: standard output, or a temporary file beside OUTPUT that takes OUTPUT's
// place only when everything went well.
class TOutput {
 public:
  explicit TOutput(const std::string& path) : path_(path) {
    if (path_.empty()) {
      handle_ = os::GetStdHandle(os::kStdOutputHandle);
      return;
    }
    handle_ = CreateFreeTemporaryFile(path_, temporary_);
    if (handle_ == os::kInvalidHandle) error_ = WriteError(os::GetLastError());
  }
  ~TOutput() {
    if (temporary_.empty() || handle_ == os::kInvalidHandle) return;
    os::CloseHandle(handle_);
    os::DeleteFileA(temporary_);
  }
  TOutput(const TOutput&) = delete;
  TOutput& operator=(const TOutput&) = delete;

  // The message of a failure so far; empty while all is well.
  const std::string& Error() const { return error_; }

  bool Write(std::string_view bytes) {
    if (WriteAllBytes(handle_, bytes)) return true;
    // A write that made no progress leaves no error of its own.
    const std::uint32_t code = os::GetLastError();
    error_ = WriteError(code != os::kErrorSuccess ? code : os::kErrorWriteFault);
    return false;
  }

  // Puts the finished file in OUTPUT's place.
  bool Commit() {
    if (temporary_.empty()) return true;
    const bool closed = os::CloseHandle(handle_);
    handle_ = os::kInvalidHandle;
    if (closed && os::MoveFileExA(temporary_, path_,
                                  os::kMoveFileReplaceExisting | os::kMoveFileWriteThrough)) {
      return true;
    }
    error_ = WriteError(os::GetLastError());
    os::DeleteFileA(temporary_);
    return false;
  }

 private:
  std::string WriteError(std::uint32_t code) const {
    return WithSystemError(
        std::string(kCannotWrite) + (path_.empty() ? std::string(kStandardOutput) : Quoted(path_)),
        code);
  }

  std::string path_;
  std::string temporary_;
  os::Handle handle_ = os::kInvalidHandle;
  std::string error_;
};

TReplacementMap MapOf(const TCpconvOptions& options) {
  return options.map.empty() ? TReplacementMap(NoReplacement) : TReplacementMap(options.map);
}

std::string SideName(TCharsetId id, const std::string& libraryName) {
  return libraryName.empty() ? CharsetName(id) : libraryName;
}

TStreamConverter MakeConverter(const TCpconvOptions& options) {
  return TStreamConverter(options.from, SideName(options.from, options.fromLibraryName), options.to,
                          SideName(options.to, options.toLibraryName), MapOf(options),
                          !options.strict);
}

// What the built-in decoding replaced in the inputs: the count in all of them, and where the
// first place is.
struct TReplacedInput {
  std::uint64_t count = 0;
  std::string input;  // the first input with a replaced place
  std::uint64_t firstOffset = 0;
};

std::string ReplacedMessage(const TCpconvOptions& options, const TReplacedInput& replaced) {
  return replaced.input + std::string(kNotCleanText) +
         SideName(options.from, options.fromLibraryName) + std::string(kReplacedPlaces) +
         std::to_string(replaced.count) + std::string(kFirstAtByte) +
         std::to_string(replaced.firstOffset);
}

// One input through its own converter, each text from its start.
std::string ConvertInput(const TCpconvOptions& options, const std::string& input, TOutput& output,
                         TReplacedInput& replaced) {
  const bool standard = input == kStandardStream;
  const std::string name = standard ? std::string(kStandardInput) : Quoted(input);
  const os::Handle handle =
      standard ? os::GetStdHandle(os::kStdInputHandle)
               : os::CreateFileA(input, os::kGenericRead, os::kFileShareRead | os::kFileShareWrite,
                                 os::kOpenExisting, os::kFileAttributeNormal);
  if (handle == os::kInvalidHandle) {
    return WithSystemError(std::string(kCannotRead) + name, os::GetLastError());
  }
  TStreamConverter converter = MakeConverter(options);
  std::string error;
  std::string piece, converted;
  for (;;) {
    if (!os::ReadFile(handle, kCpconvPieceSize, piece)) {
      const std::uint32_t code = os::GetLastError();
      if (code == kErrorBrokenPipe) break;
      error = WithSystemError(std::string(kCannotRead) + name, code);
      break;
    }
    if (piece.empty()) break;
    converted.clear();
    converter.Convert(piece, converted);
    if (!output.Write(converted)) break;
  }
  if (!standard) os::CloseHandle(handle);
  if (!error.empty()) return error;
  if (!output.Error().empty()) return output.Error();
  converted.clear();
  converter.Finish(converted);
  output.Write(converted);
  const TReplacements replacements = converter.Replacements();
  if (replacements.count > 0 && replaced.count == 0) {
    replaced.input = name;
    replaced.firstOffset = replacements.firstOffset;
  }
  replaced.count += replacements.count;
  return output.Error();
}

// A side that only the library converts, while the library does not take it: its name, and
// whether it is a name of ours.
struct TSideWithoutLibrary {
  std::string name;
  bool ours;
};
std::optional<TSideWithoutLibrary> SideWithoutLibrary(const TCpconvOptions& options) {
  // Bytes passed through as they are need no side converted.
  if (options.from == options.to && options.fromLibraryName == options.toLibraryName &&
      options.map.empty()) {
    return std::nullopt;
  }
  const TStreamConverter probe = MakeConverter(options);
  const struct {
    TCharsetId id;
    const std::string& libraryName;
    bool throughLibrary;
  } sides[] = {{options.from, options.fromLibraryName, probe.DecodesThroughLibrary()},
               {options.to, options.toLibraryName, probe.EncodesThroughLibrary()}};
  for (const auto& side : sides) {
    const bool needsLibrary = NeedsIconvLibrary(side.id) || !side.libraryName.empty();
    if (needsLibrary && !side.throughLibrary) {
      return TSideWithoutLibrary{SideName(side.id, side.libraryName), side.libraryName.empty()};
    }
  }
  return std::nullopt;
}

int Convert(const TCpconvOptions& options) {
  if (const int code = CheckCpconvSides(options)) return code;
  TOutput output(options.output);
  if (!output.Error().empty()) return Fail(output.Error());
  std::vector<std::string> inputs = options.inputs;
  if (inputs.empty()) inputs.emplace_back(kStandardStream);
  TReplacedInput replaced;
  for (const std::string& input : inputs) {
    const std::string error = ConvertInput(options, input, output, replaced);
    if (!error.empty()) return Fail(error);
  }
  if (!output.Commit()) return Fail(output.Error());
  if (replaced.count > 0) return Fail(ReplacedMessage(options, replaced), kCpconvReplacedExitCode);
  return 0;
}

}  // namespace

std::optional<TCharsetId> FindCharset(std::string_view text) {
  // A number is an id; the names "852", "1250" and the like are larger numbers.
  if (const std::optional<unsigned> id = ParseWholeNumber<unsigned>(text, 10)) {
    if (*id < kCharsetIdCount) return static_cast<TCharsetId>(*id);
  }
  std::optional<TCharsetId> found;
  ForEachName([&](std::string_view name, TCharsetId id) {
    if (!found && EqualIgnoringCase(name, text)) found = id;
  });
  return found;
}

bool NeedsIconvLibrary(TCharsetId id) { return id >= ciUTF16 && id != ciUnassigned; }

int CheckCpconvSides(const TCpconvOptions& options) {
  const std::optional<TSideWithoutLibrary> side = SideWithoutLibrary(options);
  if (!side) return 0;
  // A library that is there and does not know a name of its own: the name is unknown.
  if (!side->ours && IconvIsLoaded()) {
    return Fail(std::string(kUnknownCharset) + side->name, kCpconvUsageExitCode);
  }
  return Fail(std::string(kCharsetWord) + side->name + std::string(kLibraryNeeded));
}

TCpconvArguments ParseCpconvArguments(const std::vector<std::string>& arguments) {
  TCpconvOptions options;
  std::vector<std::string_view> positional;
  std::optional<std::string_view> from, to;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    const auto value = [&]() -> std::optional<std::string_view> {
      if (++i == arguments.size()) return std::nullopt;
      return arguments[i];
    };
    if (argument == "--help" || argument == "-h" || argument == "/?") {
      options.action = TCpconvOptions::TAction::help;
      return {options, {}};
    }
    if (argument == "-l" || argument == "--list") {
      options.action = TCpconvOptions::TAction::list;
    } else if (argument == "--strict") {
      options.strict = true;
    } else if (argument == "--map") {
      const std::optional<std::string_view> text = value();
      std::optional<std::vector<std::uint16_t>> map = text ? ParseMap(*text) : std::nullopt;
      if (!map) return Refused(std::string(kBadArguments));
      options.map = std::move(*map);
    } else if (argument == "-f" || argument == "-t" || argument == "-o") {
      const std::optional<std::string_view> text = value();
      if (!text || text->empty()) return Refused(std::string(kBadArguments));
      if (argument == "-f") from = text;
      if (argument == "-t") to = text;
      if (argument == "-o") options.output = *text;
    } else if (argument.size() > 1 && argument.front() == '-') {
      return Refused(std::string(kBadArguments));
    } else {
      positional.push_back(argument);
    }
  }
  if (options.action == TCpconvOptions::TAction::list) {
    if (!positional.empty() || from || to) return Refused(std::string(kBadArguments));
    return {options, {}};
  }
  if (from.has_value() != to.has_value()) return Refused(std::string(kBadArguments));
  if (!from) {
    if (positional.size() < 2) return Refused(std::string(kBadArguments));
    from = positional[0];
    to = positional[1];
    positional.erase(positional.begin(), positional.begin() + 2);
  }
  // A name that none of our ids has is the library's to know.
  const struct {
    std::string_view name;
    TCharsetId& id;
    std::string& libraryName;
  } sides[] = {{*from, options.from, options.fromLibraryName},
               {*to, options.to, options.toLibraryName}};
  for (const auto& side : sides) {
    const std::optional<TCharsetId> found = FindCharset(side.name);
    side.id = found.value_or(ciUnassigned);
    if (!found) side.libraryName = side.name;
  }
  options.inputs.assign(positional.begin(), positional.end());
  return {options, {}};
}

int RunCpconv(const std::vector<std::string>& arguments) {
  const TCpconvArguments parsed = ParseCpconvArguments(arguments);
  if (!parsed.options) return Fail(parsed.error, kCpconvUsageExitCode);
  const TCpconvOptions& options = *parsed.options;
  try {
    switch (options.action) {
      case TCpconvOptions::TAction::help:
        WriteConsoleText(os::kStdOutputHandle, kUsage);
        return 0;
      case TCpconvOptions::TAction::list:
        WriteConsoleText(os::kStdOutputHandle, CharsetListing());
        return 0;
      case TCpconvOptions::TAction::convert:
        return Convert(options);
    }
  } catch (const std::bad_alloc&) {
    return Fail(kOutOfMemory);
  }
  return 0;
}

}  // namespace sanivo
