// LSB-first bit writer into a bounded output block, handed to the caller's write callback
// whenever the block fills and once more at the end.
#pragma once
#include <cstdint>
#include <cstring>

// Takes `size` bytes at data (valid during the call only). Returns false when the bytes could
// not be stored; the writer then stops calling it and the encoder reports failure.
using ImplodeWriteFn = bool (*)(const uint8_t* data, uint32_t size, void* userData);

constexpr uint32_t kImplodeOutBlock = 4096;  // bytes handed to the write callback per full call

struct ImplodeBitWriter {
  uint64_t pending = 0;         // bits not yet stored in out, next one in bit 0
  uint32_t pendingCount = 0;    // valid bits in pending; below 32 between calls
  uint32_t outLength = 0;       // bytes of out filled
  uint64_t bytesDelivered = 0;  // bytes accepted by the write callback
  ImplodeWriteFn writeFn = nullptr;
  void* userData = nullptr;
  bool failed = false;  // the write callback refused bytes
  uint8_t out[kImplodeOutBlock + 8] = {};
};

inline void ResetBitWriter(ImplodeBitWriter& w, ImplodeWriteFn writeFn, void* userData) {
  w.pending = 0;
  w.pendingCount = 0;
  w.outLength = 0;
  w.bytesDelivered = 0;
  w.writeFn = writeFn;
  w.userData = userData;
  w.failed = false;
}

inline void FlushOutBlock(ImplodeBitWriter& w) {
  if (w.outLength == 0) return;
  if (!w.failed) {
    if (w.writeFn(w.out, w.outLength, w.userData)) {
      w.bytesDelivered += w.outLength;
    } else {
      w.failed = true;
    }
  }
  w.outLength = 0;
}

// Appends the low `count` bits of value (count 1..32, higher bits of value zero).
inline void PutBits(ImplodeBitWriter& w, uint32_t value, uint32_t count) {
  w.pending |= uint64_t{value} << w.pendingCount;
  w.pendingCount += count;
  if (w.pendingCount >= 32) {
    const uint32_t word = static_cast<uint32_t>(w.pending);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(w.out + w.outLength, &word, 4);
#else
    w.out[w.outLength + 0] = static_cast<uint8_t>(word);
    w.out[w.outLength + 1] = static_cast<uint8_t>(word >> 8);
    w.out[w.outLength + 2] = static_cast<uint8_t>(word >> 16);
    w.out[w.outLength + 3] = static_cast<uint8_t>(word >> 24);
#endif
    w.outLength += 4;
    w.pending >>= 32;
    w.pendingCount -= 32;
    if (w.outLength >= kImplodeOutBlock) FlushOutBlock(w);
  }
}

// Stores the pending bits, the last byte padded with zero bits, then appends zero bytes until
// `minimumBytes` bytes have been produced in all, and hands everything to the callback.
inline void FinishBitWriter(ImplodeBitWriter& w, uint64_t minimumBytes) {
  while (w.pendingCount > 0) {
    w.out[w.outLength++] = static_cast<uint8_t>(w.pending);
    w.pending >>= 8;
    w.pendingCount = w.pendingCount > 8 ? w.pendingCount - 8 : 0;
  }
  while (w.bytesDelivered + w.outLength < minimumBytes) w.out[w.outLength++] = 0;
  FlushOutBlock(w);
}
