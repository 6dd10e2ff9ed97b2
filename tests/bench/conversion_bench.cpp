// Throughput of the built-in conversion against glibc's iconv on the same buffers: Windows-1250
// to code page 852 on Czech and on ASCII text, UTF-8 decoding, and in cpconv's pieces every
// pair of code page 852, Windows-1250 and UTF-8. Both sides hand out a new
// string of the result; iconv converts into one buffer kept for all rounds. The stream cases
// convert the same text in cpconv's pieces into one output buffer kept for all pieces, as
// cpconv does before each write.
//
//   scripts/bench [benchmark options]
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "charset/charset.h"
#include "charset/stream_converter.h"
#include "tools/cpconv/cpconv.h"

namespace {

constexpr std::size_t kBufferSize = 64u << 20;

std::string Repeated(const std::string& sample) {
  std::string text;
  text.reserve(kBufferSize + sample.size());
  while (text.size() < kBufferSize) text += sample;
  text.resize(kBufferSize);
  return text;
}

// "Příliš žluťoučký kůň úpěl ďábelské ódy." in Windows-1250, and the same in UTF-8.
const std::string& CzechWindows1250() {
  static const std::string text = Repeated(
      "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1\x62\x65lsk\xE9 "
      "\xF3\x64y. ");
  return text;
}
const std::string& AsciiText() {
  static const std::string text = Repeated("The quick brown fox jumps over the lazy dog. ");
  return text;
}
const std::string& CzechUtf8() {
  static const std::string text = Repeated(
      "P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88 "
      "\xC3\xBAp\xC4\x9Bl \xC4\x8F\xC3\xA1"
      "belsk\xC3\xA9 \xC3\xB3"
      "dy. ");
  return text;
}

void BuiltIn(benchmark::State& state, const std::string& text, sanivo::TCharsetId from,
             sanivo::TCharsetId to) {
  for (auto _ : state) benchmark::DoNotOptimize(sanivo::ConvertCharset(text, from, to));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Glibc(benchmark::State& state, const std::string& text, const char* from, const char* to) {
  const iconv_t descriptor = iconv_open(to, from);
  if (descriptor == reinterpret_cast<iconv_t>(-1)) return state.SkipWithError("iconv_open");
  std::string output(4 * text.size(), '\0');
  for (auto _ : state) {
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());
    char* out = output.data();
    std::size_t inLeft = text.size(), outLeft = output.size();
    iconv(descriptor, &in, &inLeft, &out, &outLeft);
    // A new string of the result, as the built-in conversion hands out.
    benchmark::DoNotOptimize(std::string(output.data(), output.size() - outLeft));
  }
  iconv_close(descriptor);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Windows1250ToCp852Czech(benchmark::State& state) {
  BuiltIn(state, CzechWindows1250(), sanivo::ciWindows1250, sanivo::ciCP852);
}
void Windows1250ToCp852CzechGlibc(benchmark::State& state) {
  Glibc(state, CzechWindows1250(), "WINDOWS-1250", "CP852");
}
void Windows1250ToCp852Ascii(benchmark::State& state) {
  BuiltIn(state, AsciiText(), sanivo::ciWindows1250, sanivo::ciCP852);
}
void Windows1250ToCp852AsciiGlibc(benchmark::State& state) {
  Glibc(state, AsciiText(), "WINDOWS-1250", "CP852");
}
void Utf8Decoding(benchmark::State& state) {
  const std::string& text = CzechUtf8();
  for (auto _ : state) benchmark::DoNotOptimize(sanivo::DecodeToUcs2(text, sanivo::ciUTF8));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
void Utf8DecodingGlibc(benchmark::State& state) { Glibc(state, CzechUtf8(), "UTF-8", "UCS-2BE"); }

// cpconv's loop without the reading and writing.
void Streamed(benchmark::State& state, const std::string& text, sanivo::TCharsetId from,
              sanivo::TCharsetId to) {
  std::string out;
  for (auto _ : state) {
    sanivo::TStreamConverter converter(from, to, sanivo::NoReplacement, true);
    for (std::size_t start = 0; start < text.size(); start += sanivo::kCpconvPieceSize) {
      out.clear();
      converter.Convert(std::string_view(text).substr(start, sanivo::kCpconvPieceSize), out);
      benchmark::DoNotOptimize(out.data());
    }
    out.clear();
    converter.Finish(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// glibc's iconv in the same pieces into one buffer kept for all of them.
void GlibcStreamed(benchmark::State& state, const std::string& text, const char* from,
                   const char* to) {
  const iconv_t descriptor = iconv_open(to, from);
  if (descriptor == reinterpret_cast<iconv_t>(-1)) return state.SkipWithError("iconv_open");
  std::string output(4 * sanivo::kCpconvPieceSize, '\0');
  for (auto _ : state) {
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    for (std::size_t start = 0; start < text.size(); start += sanivo::kCpconvPieceSize) {
      char* in = const_cast<char*>(text.data()) + start;
      char* out = output.data();
      std::size_t inLeft = std::min<std::size_t>(sanivo::kCpconvPieceSize, text.size() - start);
      std::size_t outLeft = output.size();
      iconv(descriptor, &in, &inLeft, &out, &outLeft);
      benchmark::DoNotOptimize(output.data());
    }
  }
  iconv_close(descriptor);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// The directions people use most, DOS text to and from Windows and UTF-8: every pair of code
// page 852, Windows-1250 and UTF-8 both ways, on dense Czech text and on ASCII, each beside
// glibc on the same pieces ("Stream/FROM/TO/text" and ".../glibc").
struct TStreamCharset {
  const char* name;  // glibc's
  sanivo::TCharsetId id;
};
constexpr TStreamCharset kStreamCharsets[] = {
    {"CP852", sanivo::ciCP852}, {"WINDOWS-1250", sanivo::ciWindows1250}, {"UTF-8", sanivo::ciUTF8}};

const std::string& CzechIn(sanivo::TCharsetId id) {
  static const std::string cp852 = sanivo::ConvertCharset(CzechWindows1250(), sanivo::ciWindows1250,
                                                          sanivo::ciCP852);
  if (id == sanivo::ciCP852) return cp852;
  return id == sanivo::ciUTF8 ? CzechUtf8() : CzechWindows1250();
}

void RegisterStreamPairs() {
  for (const TStreamCharset& from : kStreamCharsets) {
    for (const TStreamCharset& to : kStreamCharsets) {
      if (from.id == to.id) continue;
      for (const bool czech : {true, false}) {
        const std::string name = std::string("Stream/") + from.name + "/" + to.name +
                                 (czech ? "/czech" : "/ascii");
        const std::string* text = czech ? &CzechIn(from.id) : &AsciiText();
        benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
          Streamed(state, *text, from.id, to.id);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "/glibc").c_str(), [=](benchmark::State& state) {
          GlibcStreamed(state, *text, from.name, to.name);
        })->Unit(benchmark::kMillisecond);
      }
    }
  }
}

BENCHMARK(Windows1250ToCp852Czech)->Unit(benchmark::kMillisecond);
BENCHMARK(Windows1250ToCp852CzechGlibc)->Unit(benchmark::kMillisecond);
BENCHMARK(Windows1250ToCp852Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(Windows1250ToCp852AsciiGlibc)->Unit(benchmark::kMillisecond);
BENCHMARK(Utf8Decoding)->Unit(benchmark::kMillisecond);
BENCHMARK(Utf8DecodingGlibc)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RegisterStreamPairs();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
