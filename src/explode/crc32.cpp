// CRC-32 (reflected, polynomial 0xEDB88320). Long blocks fold with carry-less multiplies when
// the processor has them; everything else goes through the sliced tables, and the tail of
// every block through the byte table. The tables are computed on first use, into
// zero-initialised memory, so that the program file does not carry their 16 KiB.
#include "explode/crc32.h"

#include <atomic>
#include <cstring>

#include "explode/crc32_variants.h"
#include "explode/run_once.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define ZB_CRC32_CLMUL 1
#include <cpuid.h>
#include <immintrin.h>
#else
#define ZB_CRC32_CLMUL 0
#endif

alignas(64) Crc32Slices crc32Slices;

namespace {

std::atomic<uint32_t> tablesState{0};
// Set once by FillTables, before any reader can see the tables as filled.
bool hasClmul = false;

// The processor's own answer, asked once: the compiler's feature builtins would need a
// start-up constructor that the stub does not run.
bool DetectClmul() {
#if ZB_CRC32_CLMUL
  unsigned a = 0;
  unsigned b = 0;
  unsigned c = 0;
  unsigned d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
  return (c & bit_PCLMUL) != 0 && (d & bit_SSE2) != 0;
#else
  return false;
#endif
}

void FillTables() {
  auto& t = crc32Slices.table;
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t k = 1; k < 16; ++k) {
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t prev = t[k - 1][i];
      t[k][i] = t[0][prev & 0xFF] ^ (prev >> 8);
    }
  }
  hasClmul = DetectClmul();
}

inline uint32_t UpdateBytes(const uint8_t* p, uint32_t n, uint32_t crc) {
  const uint32_t* const table = crc32Slices.table[0];
  for (uint32_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

inline uint32_t Load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint32_t UpdateSliced(const uint8_t* p, uint32_t n, uint32_t crc) {
  const auto& t = crc32Slices.table;
  while (n >= 16) {
    const uint32_t a = Load32(p) ^ crc;
    const uint32_t b = Load32(p + 4);
    const uint32_t c = Load32(p + 8);
    const uint32_t d = Load32(p + 12);
    crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
          t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
          t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
          t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    p += 16;
    n -= 16;
  }
  return UpdateBytes(p, n, crc);
}

#if ZB_CRC32_CLMUL

// Folding constants: a 64-bit lane holds 64 message bits with the first in bit 0, so it is the
// bit-reversed polynomial of those bits. Multiplying such a lane by rev33(x^(k+32) mod P) (and
// its neighbour by rev33(x^(k-32) mod P)) gives a 128-bit value congruent modulo P to the pair
// moved k bits further along the message, in the same layout, ready to XOR into the lanes k
// bits later.
constexpr long long kFold512Lo = 0x154442bd4;  // x^(512+32)
constexpr long long kFold512Hi = 0x1c6e41596;  // x^(512-32)
constexpr long long kFold128Lo = 0x1751997d0;  // x^(128+32)
constexpr long long kFold128Hi = 0x0ccaa009e;  // x^(128-32)

#if defined(__i386__)
// 32-bit Windows keeps the stack only 4-byte aligned; SSE spills need 16.
#define ZB_CLMUL_ATTRIBUTES __attribute__((target("sse2,pclmul"), force_align_arg_pointer))
#else
#define ZB_CLMUL_ATTRIBUTES __attribute__((target("sse2,pclmul")))
#endif

ZB_CLMUL_ATTRIBUTES inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

// Needs n >= 64. The running value enters as an XOR into the first 4 bytes, which turns it into
// the zero-seeded CRC of the changed message; what is left after folding is a 16-byte block
// congruent to everything folded, finished with the tables.
ZB_CLMUL_ATTRIBUTES uint32_t UpdateClmul(const uint8_t* p, uint32_t n, uint32_t crc) {
  const __m128i* v = reinterpret_cast<const __m128i*>(p);
  __m128i x0 = _mm_xor_si128(_mm_loadu_si128(v + 0), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = _mm_loadu_si128(v + 1);
  __m128i x2 = _mm_loadu_si128(v + 2);
  __m128i x3 = _mm_loadu_si128(v + 3);
  p += 64;
  n -= 64;
  const __m128i k512 = _mm_set_epi64x(kFold512Hi, kFold512Lo);
  while (n >= 64) {
    v = reinterpret_cast<const __m128i*>(p);
    x0 = Fold(x0, k512, _mm_loadu_si128(v + 0));
    x1 = Fold(x1, k512, _mm_loadu_si128(v + 1));
    x2 = Fold(x2, k512, _mm_loadu_si128(v + 2));
    x3 = Fold(x3, k512, _mm_loadu_si128(v + 3));
    p += 64;
    n -= 64;
  }
  const __m128i k128 = _mm_set_epi64x(kFold128Hi, kFold128Lo);
  __m128i x = Fold(x0, k128, x1);
  x = Fold(x, k128, x2);
  x = Fold(x, k128, x3);
  while (n >= 16) {
    x = Fold(x, k128, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    n -= 16;
  }
  uint8_t rest[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x);
  return UpdateBytes(p, n, UpdateSliced(rest, 16, 0));
}

#endif  // ZB_CRC32_CLMUL

}  // namespace

void Crc32Init() { RunOnce(tablesState, FillTables); }

uint32_t Crc32UpdateBytewise(const uint8_t* data, const uint32_t* size, const uint32_t* crc) {
  Crc32Init();
  return UpdateBytes(data, *size, *crc);
}

uint32_t Crc32UpdateSliced(const uint8_t* data, const uint32_t* size, const uint32_t* crc) {
  Crc32Init();
  return UpdateSliced(data, *size, *crc);
}

bool Crc32HasClmul() {
  Crc32Init();
  return hasClmul;
}

uint32_t Crc32UpdateClmul(const uint8_t* data, const uint32_t* size, const uint32_t* crc) {
#if ZB_CRC32_CLMUL
  if (*size >= 64 && Crc32HasClmul()) return UpdateClmul(data, *size, *crc);
#endif
  return Crc32UpdateSliced(data, size, crc);
}

uint32_t Crc32Update(const uint8_t* data, const uint32_t* size, const uint32_t* crc) {
  // Below a few blocks the folding set-up costs more than the tables.
  constexpr uint32_t kClmulFrom = 128;
  Crc32Init();
#if ZB_CRC32_CLMUL
  if (*size >= kClmulFrom && hasClmul) return UpdateClmul(data, *size, *crc);
#endif
  return UpdateSliced(data, *size, *crc);
}
