#include "zbpack/operations/version_info.h"

#include "zbpack/host/code_page.h"
#include "zbpack/host/number_text.h"

namespace {

constexpr size_t kMaxTextLength = 256;  // characters of one string
constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr uint32_t kFixedSize = 52;  // bytes of VS_FIXEDFILEINFO
constexpr uint32_t kOsNtWindows32 = 0x00040004;
constexpr uint32_t kFileTypeApplication = 1;
constexpr uint32_t kTranslation = 0x04B00409;  // language 0x0409, code page 1200 (UTF-16)

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& out, uint32_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void Put32(Bytes& out, uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void Pad4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// UTF-8 (checked beforehand) as UTF-16 with its NUL.
Bytes Utf16z(const std::string& text) {
  Bytes out;
  size_t at = 0;
  uint32_t c = 0;
  while (at < text.size() && DecodeUtf8(text, &at, &c)) {
    if (c >= 0x10000) {
      Put16(out, 0xD800 + ((c - 0x10000) >> 10));
      Put16(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      Put16(out, c);
    }
  }
  Put16(out, 0);
  return out;
}

// One block: length, value length (valueUnits, in the unit its type uses), type (1 text,
// 0 binary), key, value, then each child on 4 bytes. The length leaves out trailing padding.
Bytes Block(const std::string& key, const Bytes& value, uint32_t valueUnits, bool text,
            const std::vector<Bytes>& children) {
  Bytes out(4, 0);
  Put16(out, text ? 1 : 0);
  const Bytes name = Utf16z(key);
  out.insert(out.end(), name.begin(), name.end());
  Pad4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Pad4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  out[0] = uint8_t(out.size());
  out[1] = uint8_t(out.size() >> 8);
  out[2] = uint8_t(valueUnits);
  out[3] = uint8_t(valueUnits >> 8);
  return out;
}

Bytes FixedInfo(const uint16_t (&v)[4]) {
  Bytes out;
  Put32(out, kFixedSignature);
  Put32(out, 0x00010000);        // structure version 1.0
  for (int i = 0; i < 2; ++i) {  // file version, then product version
    Put32(out, uint32_t(v[0]) << 16 | v[1]);
    Put32(out, uint32_t(v[2]) << 16 | v[3]);
  }
  Put32(out, 0x3F);  // flags mask
  Put32(out, 0);     // flags
  Put32(out, kOsNtWindows32);
  Put32(out, kFileTypeApplication);
  for (int i = 0; i < 3; ++i) Put32(out, 0);  // subtype, file date
  return out;
}

}  // namespace

bool ParseProductVersion(const std::string& text, uint16_t (&version)[4]) {
  size_t start = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = text.find('.', start);
    const std::string piece = text.substr(start, dot == std::string::npos ? dot : dot - start);
    uint64_t number = 0;
    if (!ParseNumber(piece, 0xFFFF, &number) ||
        piece.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    version[part] = uint16_t(number);
    for (int rest = part + 1; rest < 4; ++rest) version[rest] = 0;
    if (dot == std::string::npos) return true;
    start = dot + 1;
  }
  return false;  // a fifth part
}

std::string VersionText(const uint16_t (&version)[4]) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
         std::to_string(version[2]) + "." + std::to_string(version[3]);
}

std::string VersionTextProblem(const std::string& text) {
  size_t at = 0;
  size_t characters = 0;
  uint32_t c = 0;
  while (at < text.size()) {
    if (!DecodeUtf8(text, &at, &c)) return "is not UTF-8";
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return "holds a control character";
    ++characters;
  }
  if (characters > kMaxTextLength) return "is longer than 256 characters";
  return "";
}

std::vector<uint8_t> BuildVersionInfo(const VersionInfo& info) {
  std::vector<Bytes> strings;
  for (const auto& entry : info.strings) {
    if (entry.second.empty()) continue;
    const Bytes value = Utf16z(entry.second);
    strings.push_back(Block(entry.first, value, uint32_t(value.size() / 2), true, {}));
  }
  const Bytes table = Block("040904B0", {}, 0, true, strings);
  const Bytes stringInfo = Block("StringFileInfo", {}, 0, true, {table});
  Bytes translation;
  Put32(translation, kTranslation);
  const Bytes var = Block("Translation", translation, 4, false, {});
  const Bytes varInfo = Block("VarFileInfo", {}, 0, true, {var});
  return Block("VS_VERSION_INFO", FixedInfo(info.version), kFixedSize, false,
               {stringInfo, varInfo});
}
