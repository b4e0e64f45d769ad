#include "reference_explode.h"

#include <cstring>

namespace reference {

const uint8_t kLengthCodeBits[16] = {
    3, 2, 3, 3, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7,
};
const uint8_t kLengthCodes[16] = {
    0x05, 0x03, 0x01, 0x06, 0x0A, 0x02, 0x0C, 0x14, 0x04, 0x18, 0x08, 0x30, 0x10, 0x20, 0x40, 0x00,
};
const uint8_t kLengthExtraBits[16] = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8,
};
const uint16_t kLengthBase[16] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 14, 22, 38, 70, 134, 262,
};
const uint8_t kDistanceCodeBits[64] = {
    2, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
    8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8,
};
const uint8_t kDistanceCodes[64] = {
    0x03, 0x0D, 0x05, 0x19, 0x09, 0x11, 0x01, 0x3E, 0x1E, 0x2E, 0x0E, 0x36, 0x16, 0x26, 0x06, 0x3A,
    0x1A, 0x2A, 0x0A, 0x32, 0x12, 0x22, 0x42, 0x02, 0x7C, 0x3C, 0x5C, 0x1C, 0x6C, 0x2C, 0x4C, 0x0C,
    0x74, 0x34, 0x54, 0x14, 0x64, 0x24, 0x44, 0x04, 0x78, 0x38, 0x58, 0x18, 0x68, 0x28, 0x48, 0x08,
    0xF0, 0x70, 0xB0, 0x30, 0xD0, 0x50, 0x90, 0x10, 0xE0, 0x60, 0xA0, 0x20, 0xC0, 0x40, 0x80, 0x00,
};
const uint8_t kAsciiCodeBits[256] = {
    11, 12, 12, 12, 12, 12, 12, 12, 12, 8, 7, 12, 12, 7, 12, 12,
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 13, 12, 12, 12, 12, 12,
    4, 10, 8, 12, 10, 12, 10, 8, 7, 7, 8, 9, 7, 6, 7, 8,
    7, 6, 7, 7, 7, 7, 8, 7, 7, 8, 8, 12, 11, 7, 9, 11,
    12, 6, 7, 6, 6, 5, 7, 8, 8, 6, 11, 9, 6, 7, 6, 6,
    7, 11, 6, 6, 6, 7, 9, 8, 9, 9, 11, 8, 11, 9, 12, 8,
    12, 5, 6, 6, 6, 5, 6, 6, 6, 5, 11, 7, 5, 6, 5, 5,
    6, 10, 5, 5, 5, 5, 8, 7, 8, 8, 10, 11, 11, 12, 12, 12,
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,
    13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,
    12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12,
    13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13,
    13, 13, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13,
};
const uint16_t kAsciiCodes[256] = {
    0x0490, 0x0FE0, 0x07E0, 0x0BE0, 0x03E0, 0x0DE0, 0x05E0, 0x09E0,
    0x01E0, 0x00B8, 0x0062, 0x0EE0, 0x06E0, 0x0022, 0x0AE0, 0x02E0,
    0x0CE0, 0x04E0, 0x08E0, 0x00E0, 0x0F60, 0x0760, 0x0B60, 0x0360,
    0x0D60, 0x0560, 0x1240, 0x0960, 0x0160, 0x0E60, 0x0660, 0x0A60,
    0x000F, 0x0250, 0x0038, 0x0260, 0x0050, 0x0C60, 0x0390, 0x00D8,
    0x0042, 0x0002, 0x0058, 0x01B0, 0x007C, 0x0029, 0x003C, 0x0098,
    0x005C, 0x0009, 0x001C, 0x006C, 0x002C, 0x004C, 0x0018, 0x000C,
    0x0074, 0x00E8, 0x0068, 0x0460, 0x0090, 0x0034, 0x00B0, 0x0710,
    0x0860, 0x0031, 0x0054, 0x0011, 0x0021, 0x0017, 0x0014, 0x00A8,
    0x0028, 0x0001, 0x0310, 0x0130, 0x003E, 0x0064, 0x001E, 0x002E,
    0x0024, 0x0510, 0x000E, 0x0036, 0x0016, 0x0044, 0x0030, 0x00C8,
    0x01D0, 0x00D0, 0x0110, 0x0048, 0x0610, 0x0150, 0x0060, 0x0088,
    0x0FA0, 0x0007, 0x0026, 0x0006, 0x003A, 0x001B, 0x001A, 0x002A,
    0x000A, 0x000B, 0x0210, 0x0004, 0x0013, 0x0032, 0x0003, 0x001D,
    0x0012, 0x0190, 0x000D, 0x0015, 0x0005, 0x0019, 0x0008, 0x0078,
    0x00F0, 0x0070, 0x0290, 0x0410, 0x0010, 0x07A0, 0x0BA0, 0x03A0,
    0x0240, 0x1C40, 0x0C40, 0x1440, 0x0440, 0x1840, 0x0840, 0x1040,
    0x0040, 0x1F80, 0x0F80, 0x1780, 0x0780, 0x1B80, 0x0B80, 0x1380,
    0x0380, 0x1D80, 0x0D80, 0x1580, 0x0580, 0x1980, 0x0980, 0x1180,
    0x0180, 0x1E80, 0x0E80, 0x1680, 0x0680, 0x1A80, 0x0A80, 0x1280,
    0x0280, 0x1C80, 0x0C80, 0x1480, 0x0480, 0x1880, 0x0880, 0x1080,
    0x0080, 0x1F00, 0x0F00, 0x1700, 0x0700, 0x1B00, 0x0B00, 0x1300,
    0x0DA0, 0x05A0, 0x09A0, 0x01A0, 0x0EA0, 0x06A0, 0x0AA0, 0x02A0,
    0x0CA0, 0x04A0, 0x08A0, 0x00A0, 0x0F20, 0x0720, 0x0B20, 0x0320,
    0x0D20, 0x0520, 0x0920, 0x0120, 0x0E20, 0x0620, 0x0A20, 0x0220,
    0x0C20, 0x0420, 0x0820, 0x0020, 0x0FC0, 0x07C0, 0x0BC0, 0x03C0,
    0x0DC0, 0x05C0, 0x09C0, 0x01C0, 0x0EC0, 0x06C0, 0x0AC0, 0x02C0,
    0x0CC0, 0x04C0, 0x08C0, 0x00C0, 0x0F40, 0x0740, 0x0B40, 0x0340,
    0x0300, 0x0D40, 0x1D00, 0x0D00, 0x1500, 0x0540, 0x0500, 0x1900,
    0x0900, 0x0940, 0x1100, 0x0100, 0x1E00, 0x0E00, 0x0140, 0x1600,
    0x0600, 0x1A00, 0x0E40, 0x0640, 0x0A40, 0x0A00, 0x1200, 0x0200,
    0x1C00, 0x0C00, 0x1400, 0x0400, 0x1800, 0x0800, 0x1000, 0x0000,
};

namespace {

constexpr uint32_t kEndOfStream = 0x305;
constexpr uint32_t kDecodeError = 0x306;

void BuildDecodeTable(uint32_t count, const uint8_t* bits, const uint8_t* codes,
                      uint8_t* table) {
  for (uint32_t s = count; s-- > 0;) {
    for (uint32_t i = codes[s]; i < 256; i += 1u << bits[s]) table[i] = static_cast<uint8_t>(s);
  }
}

void BuildAsciiTables(ExplodeState& st) {
  for (uint32_t s = 256; s-- > 0;) {
    uint32_t p = kAsciiCodes[s];
    uint32_t n = st.asciiBits[s];
    if (n <= 8) {
      for (uint32_t i = p; i < 256; i += 1u << n) st.asciiDecode[i] = static_cast<uint8_t>(s);
    } else if ((p & 0xFF) != 0) {
      st.asciiDecode[p & 0xFF] = 0xFF;
      if ((p & 0x3F) != 0) {
        n -= 4;
        st.asciiBits[s] = static_cast<uint8_t>(n);
        for (uint32_t i = p >> 4; i < 256; i += 1u << n) st.asciiDecode4[i] = static_cast<uint8_t>(s);
      } else {
        n -= 6;
        st.asciiBits[s] = static_cast<uint8_t>(n);
        for (uint32_t i = p >> 6; i < 128; i += 1u << n) st.asciiDecode6[i] = static_cast<uint8_t>(s);
      }
    } else {
      n -= 8;
      st.asciiBits[s] = static_cast<uint8_t>(n);
      for (uint32_t i = p >> 8; i < 256; i += 1u << n) st.asciiDecode8[i] = static_cast<uint8_t>(s);
    }
  }
}

// Returns 0, or 1 when the input is exhausted.
uint32_t ConsumeBits(ExplodeState& st, uint32_t n) {
  if (n <= st.extraBits) {
    st.bitBuffer >>= n;
    st.extraBits -= n;
    return 0;
  }
  st.bitBuffer >>= st.extraBits;
  if (st.inPos == st.inCount) {
    uint32_t size = 2048;
    st.inCount = st.readFn(st.inBuffer, &size, st.userData);
    if (st.inCount == 0) return 1;
    st.inPos = 0;
  }
  st.bitBuffer |= static_cast<uint32_t>(st.inBuffer[st.inPos]) << 8;
  st.inPos += 1;
  st.bitBuffer >>= n - st.extraBits;
  st.extraBits = st.extraBits - n + 8;
  return 0;
}

uint32_t DecodeSymbol(ExplodeState& st) {
  const uint32_t flag = st.bitBuffer & 1;
  if (ConsumeBits(st, 1)) return kDecodeError;
  if (flag) {
    const uint32_t L = st.lengthDecode[st.bitBuffer & 0xFF];
    if (ConsumeBits(st, st.lengthBits[L])) return kDecodeError;
    const uint32_t e = st.lengthExtraBits[L];
    if (e == 0) return L + 0x100;
    const uint32_t x = st.bitBuffer & ((1u << e) - 1);
    if (ConsumeBits(st, e) && L + x != 270) return kDecodeError;
    return st.lengthBase[L] + x + 0x100;
  }
  if (st.mode == 0) {
    const uint32_t x = st.bitBuffer & 0xFF;
    if (ConsumeBits(st, 8)) return kDecodeError;
    return x;
  }
  const uint32_t b = st.bitBuffer & 0xFF;
  uint32_t s;
  if (b != 0) {
    s = st.asciiDecode[b];
    if (s == 0xFF) {
      if ((b & 0x3F) != 0) {
        if (ConsumeBits(st, 4)) return kDecodeError;
        s = st.asciiDecode4[st.bitBuffer & 0xFF];
      } else {
        if (ConsumeBits(st, 6)) return kDecodeError;
        s = st.asciiDecode6[st.bitBuffer & 0x7F];
      }
    }
  } else {
    if (ConsumeBits(st, 8)) return kDecodeError;
    s = st.asciiDecode8[st.bitBuffer & 0xFF];
  }
  if (ConsumeBits(st, st.asciiBits[s])) return kDecodeError;
  return s;
}

uint32_t DecodeDistance(ExplodeState& st, uint32_t length) {
  const uint32_t h = st.distanceDecode[st.bitBuffer & 0xFF];
  if (ConsumeBits(st, st.distanceBits[h])) return 0;
  uint32_t d;
  if (length == 2) {
    d = (h << 2) | (st.bitBuffer & 3);
    if (ConsumeBits(st, 2)) return 0;
  } else {
    d = (h << st.dictBits) | (st.bitBuffer & st.dictMask);
    if (ConsumeBits(st, st.dictBits)) return 0;
  }
  return d + 1;
}

uint32_t ExpandStream(ExplodeState& st) {
  st.outPos = 4096;
  std::memset(st.window, 0, 4096);  // history of a new stream reads as zeros
  uint32_t v;
  for (;;) {
    v = DecodeSymbol(st);
    if (v >= kEndOfStream) break;
    if (v < 0x100) {
      st.window[st.outPos] = static_cast<uint8_t>(v);
      st.outPos += 1;
    } else {
      const uint32_t length = v - 0xFE;
      const uint32_t dist = DecodeDistance(st, length);
      if (dist == 0) {
        v = kDecodeError;
        break;
      }
      for (uint32_t k = 0; k < length; ++k) {
        st.window[st.outPos + k] = st.window[st.outPos - dist + k];
      }
      st.outPos += length;
    }
    if (st.outPos >= 8192) {
      uint32_t size = 4096;
      st.writeFn(st.window + 4096, &size, st.userData);
      for (uint32_t i = 4096; i < st.outPos; ++i) st.window[i - 4096] = st.window[i];
      st.outPos -= 4096;
    }
  }
  uint32_t rest = st.outPos - 4096;
  st.writeFn(st.window + 4096, &rest, st.userData);
  return v;
}

}  // namespace

uint32_t Explode(ExplodeReadFn readFn, ExplodeWriteFn writeFn, void* work, void* userData) {
  ExplodeState& st = *static_cast<ExplodeState*>(work);
  st.readFn = readFn;
  st.writeFn = writeFn;
  st.userData = userData;
  uint32_t size = 2048;
  st.inCount = readFn(st.inBuffer, &size, userData);
  if (st.inCount <= 4) return 3;
  st.mode = st.inBuffer[0];
  st.dictBits = st.inBuffer[1];
  st.bitBuffer = st.inBuffer[2];
  st.extraBits = 0;
  st.inPos = 3;
  if (st.dictBits < 4 || st.dictBits > 6) return 1;
  st.dictMask = 0xFFFFu >> (16 - st.dictBits);
  if (st.mode != 0) {
    if (st.mode != 1) return 2;
    std::memcpy(st.asciiBits, kAsciiCodeBits, sizeof st.asciiBits);
    BuildAsciiTables(st);
  }
  std::memcpy(st.lengthBits, kLengthCodeBits, sizeof st.lengthBits);
  BuildDecodeTable(16, st.lengthBits, kLengthCodes, st.lengthDecode);
  std::memcpy(st.lengthExtraBits, kLengthExtraBits, sizeof st.lengthExtraBits);
  std::memcpy(st.lengthBase, kLengthBase, sizeof st.lengthBase);
  std::memcpy(st.distanceBits, kDistanceCodeBits, sizeof st.distanceBits);
  BuildDecodeTable(64, st.distanceBits, kDistanceCodes, st.distanceDecode);
  return ExpandStream(st) == kDecodeError ? 4 : 0;
}

}  // namespace reference
