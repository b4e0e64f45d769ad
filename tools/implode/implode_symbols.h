// Writing the three kinds of symbols of an implode stream. Every symbol is put with one
// PutBits call of at most 30 bits, laid out exactly as ImplodeCoding prices it.
#pragma once
#include <cassert>
#include <cstdint>

#include "implode/implode_bit_writer.h"
#include "implode/implode_codes.h"
#include "implode/implode_coding.h"

inline void WriteLiteral(ImplodeBitWriter& w, const ImplodeCoding& c, uint8_t byte) {
  PutBits(w, c.literalCode[byte], c.literalBits[byte]);
}

// length: 2..518 bytes; distance: 1..256 for 2 bytes, else 1..c.maxDistance; the caller has
// also kept distance within the bytes already produced. Length 519 would be the end symbol.
inline void WriteRepetition(ImplodeBitWriter& w, const ImplodeCoding& c, uint32_t length,
                            uint32_t distance) {
  assert(length >= implode::kMinRepetition && length <= implode::kMaxRepetition);
  assert(distance >= 1 && distance <= (length == 2 ? implode::kMaxDistance2 : c.maxDistance));
  PutBits(w, RepetitionCode(c, length, distance), RepetitionBits(c, length, distance));
}

// Flag 1, length code 15 (7 zero bits), extra bits 255: 16 bits.
constexpr uint32_t kEndSymbolBits = 16;
inline void WriteEndSymbol(ImplodeBitWriter& w) { PutBits(w, 0xFF01u, kEndSymbolBits); }
