// The decoders straight into a target, for cpconv's long texts in the directions people use
// most. Apart from the other decoders so that the program that converts only between code pages
// does not carry them, and so that the Windows build, which is optimised for size, can optimise
// these for speed.
#include <immintrin.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "charset/charset.h"
#include "charset/decoders.h"
#include "charset/decoding_units.h"

namespace sanivo {

using namespace decoding;

namespace {

bool vectorInstructionsAllowed = true;

// For each set of kept bytes among eight, the shuffle that moves them to the front (0x80 clears
// the bytes after them) and how many they are.
struct TCompaction {
  std::array<std::array<unsigned char, 8>, 256> shuffle{};
  std::array<unsigned char, 256> count{};
};

constexpr TCompaction MakeCompaction() {
  TCompaction compaction;
  for (unsigned kept = 0; kept < 256; ++kept) {
    unsigned count = 0;
    for (unsigned k = 0; k < 8; ++k) {
      if ((kept >> k & 1) != 0) compaction.shuffle[kept][count++] = static_cast<unsigned char>(k);
    }
    for (unsigned k = count; k < 8; ++k) compaction.shuffle[kept][k] = 0x80;
    compaction.count[kept] = static_cast<unsigned char>(count);
  }
  return compaction;
}

constexpr TCompaction kCompaction = MakeCompaction();

// Into the words k to 7 of found, what begins at the bytes of index[k] to index[7].
template <int k>
__attribute__((target("ssse3"))) inline void InsertFound(__m128i& found,
                                                         const TCodePageByte* startingAt,
                                                         const std::uint16_t* index) {
  if constexpr (k < 8) {
    std::uint16_t word;
    std::memcpy(&word, &startingAt[index[k]], sizeof word);
    found = _mm_insert_epi16(found, word, k);
    InsertFound<k + 1>(found, startingAt, index);
  }
}

// What TUtf8Decoder::PutShortSequences does, sixteen bytes in vector registers: 0 unless they are
// ASCII and well-formed two-byte sequences only, the last of which may end in the seventeenth.
__attribute__((target("ssse3"))) unsigned PutShortSequencesSsse3(const unsigned char* bytes,
                                                                 const TCodePageByte* startingAt,
                                                                 char*& out) {
  const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 1));
  // As signed bytes: continuation bytes 80-BF are below -64, the leads C2-DF from -62 to -33.
  const __m128i continuations = _mm_cmplt_epi8(here, _mm_set1_epi8(-64));
  const __m128i leads = _mm_and_si128(_mm_cmpgt_epi8(here, _mm_set1_epi8(-63)),
                                      _mm_cmplt_epi8(here, _mm_set1_epi8(-32)));
  const __m128i ascii = _mm_cmpgt_epi8(here, _mm_set1_epi8(-1));
  const unsigned known = _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(ascii, leads), continuations));
  const unsigned leadBits = _mm_movemask_epi8(leads);
  // A continuation byte right after each lead and nowhere else, the first byte none.
  const unsigned continuedBits = _mm_movemask_epi8(_mm_cmplt_epi8(next, _mm_set1_epi8(-64)));
  if (known != 0xFFFF || continuedBits != leadBits || (_mm_movemask_epi8(continuations) & 1) != 0) {
    return 0;
  }

  // Each byte with the low six bits of the next: the index of what begins there.
  const __m128i zero = _mm_setzero_si128();
  const __m128i nextBits = _mm_and_si128(next, _mm_set1_epi8(0x3F));
  alignas(16) std::uint16_t index[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(index),
                  _mm_or_si128(_mm_slli_epi16(_mm_unpacklo_epi8(here, zero), 6),
                               _mm_unpacklo_epi8(nextBits, zero)));
  _mm_store_si128(reinterpret_cast<__m128i*>(index + 8),
                  _mm_or_si128(_mm_slli_epi16(_mm_unpackhi_epi8(here, zero), 6),
                               _mm_unpackhi_epi8(nextBits, zero)));
  // Put into the registers one by one: a register read from memory just written in smaller
  // parts would wait until those writes are done.
  __m128i low = zero, high = zero;
  InsertFound<0>(low, startingAt, index);
  InsertFound<0>(high, startingAt, index + 8);

  // The bytes and their counts apart, the counted bytes moved together, eight at a time.
  const __m128i byteMask = _mm_set1_epi16(0xFF);
  const __m128i values =
      _mm_packus_epi16(_mm_and_si128(low, byteMask), _mm_and_si128(high, byteMask));
  const __m128i counts = _mm_packus_epi16(_mm_srli_epi16(low, 8), _mm_srli_epi16(high, 8));
  const unsigned kept = _mm_movemask_epi8(_mm_sub_epi8(zero, counts));
  const unsigned lowKept = kept & 0xFF, highKept = kept >> 8;
  const __m128i shuffle = _mm_unpacklo_epi64(
      _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kCompaction.shuffle[lowKept].data())),
      _mm_add_epi8(
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kCompaction.shuffle[highKept].data())),
          _mm_set1_epi8(8)));
  const __m128i packed = _mm_shuffle_epi8(values, shuffle);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
  out += kCompaction.count[lowKept];
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_unpackhi_epi64(packed, packed));
  out += kCompaction.count[highKept];
  return 16 + (leadBits >> 15);
}

TCodePageVectorRound CodePageVectorRound() {
  if (vectorInstructionsAllowed && __builtin_cpu_supports("ssse3")) return PutShortSequencesSsse3;
  return nullptr;
}

}  // namespace

void AllowVectorInstructions(bool allowed) { vectorInstructionsAllowed = allowed; }

std::unique_ptr<TDecoder> MakeDirectDecoder(TCharsetId from, TCharsetId to, bool transliterate) {
  if (CodeUnitSize(from) == 1 && to == ciUTF8) {
    return std::make_unique<TSingleByteDecoder<true>>(from);
  }
  if (from == ciUTF8 && CodeUnitSize(to) == 1) {
    return std::make_unique<TUtf8Decoder<TCodePageSink>>(to, transliterate, CodePageVectorRound());
  }
  return nullptr;
}

}  // namespace sanivo
