// Filling the decoder's lookup tables from the fixed codes.
#include "explode/explode_tables.h"

#include <atomic>

#include "explode/run_once.h"

namespace zb_explode_tables {

alignas(64) DecodeTables decodeTables;
alignas(64) AsciiDirectTable asciiDirect;

namespace {

std::atomic<uint32_t> tablesState{0};

void FillDecodeTables(DecodeTables& t) {
  using namespace zb_explode_codes;
  // Highest symbol first, each stored at every lookahead whose lowest bits equal its code.
  for (int s = 15; s >= 0; --s) {
    const uint32_t bits = kLengthCodeBits[s];
    const uint32_t extra = kLengthExtraBits[s];
    const uint32_t entry = kLengthBase[s] | (bits << kLengthCodeShift) |
                           ((bits + extra) << kLengthTotalShift) |
                           (((1u << extra) - 1) << kLengthExtraMaskShift);
    for (uint32_t i = kLengthCodes[s]; i < 256; i += 1u << bits) t.length[i] = entry;
  }
  for (int h = 63; h >= 0; --h) {
    const uint32_t bits = kDistanceCodeBits[h];
    for (uint32_t i = kDistanceCodes[h]; i < 256; i += 1u << bits) {
      t.distance[i] = static_cast<uint16_t>(h | (bits << kDistanceBitsShift));
    }
  }
  for (int s = 255; s >= 0; --s) {
    const uint32_t p = kAsciiCodes[s];
    const uint32_t n = kAsciiCodeBits[s];
    if (n <= 8) {
      for (uint32_t i = p; i < 256; i += 1u << n) {
        t.ascii[i] = static_cast<uint16_t>(s | (n << kAsciiBitsShift));
      }
      continue;
    }
    uint32_t drop = 8;
    uint32_t part = 2;
    if ((p & 0xFF) != 0) {
      drop = (p & 0x3F) != 0 ? 4 : 6;
      part = (p & 0x3F) != 0 ? 0 : 1;
    }
    const uint32_t rest = n - drop;
    t.ascii[p & 0xFF] = static_cast<uint16_t>(kAsciiLongFlag | (part << kAsciiPartShift) |
                                              (drop << kAsciiBitsShift));
    for (uint32_t i = p >> drop; i < 256; i += 1u << rest) {
      t.asciiLong[part * 256 + i] = static_cast<uint16_t>(s | (rest << kAsciiBitsShift));
    }
  }
}

void FillAsciiDirectTable(AsciiDirectTable& t) {
  using namespace zb_explode_codes;
  for (uint32_t s = 0; s < 256; ++s) {
    const uint32_t n = kAsciiCodeBits[s];
    for (uint32_t i = kAsciiCodes[s]; i < (1u << kAsciiDirectBits); i += 1u << n) {
      t.entry[i] = static_cast<uint16_t>((s << kAsciiDirectByteShift) | (n + 1));
    }
  }
}

void FillTables() {
  FillDecodeTables(decodeTables);
  FillAsciiDirectTable(asciiDirect);
}

}  // namespace

void ExplodeTablesInit() { RunOnce(tablesState, FillTables); }

}  // namespace zb_explode_tables
