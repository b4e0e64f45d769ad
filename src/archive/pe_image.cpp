#include "archive/pe_image.h"

#include <cstring>

#include "archive/archive_format.h"

namespace {

constexpr uint32_t kDosHeaderSize = 0x40;   // bytes; e_lfanew at 0x3C
constexpr uint32_t kPeHeadSize = 4 + 20;    // "PE\0\0" and the file header, bytes
constexpr uint32_t kOptionalHeadSize = 72;  // through DllCharacteristics, the same in both

uint16_t LoadLE16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

void StoreLE32(uint32_t value, uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(value >> (8 * i));
}

// Where NumberOfRvaAndSizes and the table stand in the optional header.
uint32_t DirectoryCountAt(const PeHeaders& headers) { return headers.pe32Plus ? 108 : 92; }

}  // namespace

bool ReadPeHeaders(uint64_t fileSize, ReadAtFn readAt, void* source, PeHeaders* headers) {
  // 32-bit arithmetic, every sum checked against the size first: offsets are 32-bit fields.
  const uint32_t size = fileSize > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(fileSize);
  uint8_t pe[kPeHeadSize + kOptionalHeadSize];
  if (size < kDosHeaderSize || !readAt(source, 0, pe, kDosHeaderSize)) return false;
  if (pe[0] != 'M' || pe[1] != 'Z') return false;
  const uint32_t peAt = LoadLE32(pe + 0x3C);
  if (size < sizeof pe || peAt > size - sizeof pe || !readAt(source, peAt, pe, sizeof pe)) {
    return false;
  }
  if (LoadLE32(pe) != 0x00004550) return false;  // "PE\0\0"
  PeHeaders& h = *headers;
  h.peOffset = peAt;
  h.machine = LoadLE16(pe + 4);
  h.sectionCount = LoadLE16(pe + 6);
  h.optionalSize = LoadLE16(pe + 20);
  h.optionalOffset = peAt + kPeHeadSize;
  const uint8_t* optional = pe + kPeHeadSize;
  const uint16_t magic = LoadLE16(optional);
  h.pe32Plus = magic == 0x20B;
  h.sectionAlignment = LoadLE32(optional + 32);
  h.fileAlignment = LoadLE32(optional + 36);
  h.headersSize = LoadLE32(optional + 60);
  h.subsystem = LoadLE16(optional + 68);
  h.sectionTableOffset = h.optionalOffset + h.optionalSize;

  // The count of directories stands inside the optional header, and each entry counted too.
  const uint32_t countAt = DirectoryCountAt(h);
  uint8_t count[4];
  if ((magic != 0x10B && !h.pe32Plus) || countAt + 4 > h.optionalSize ||
      h.sectionTableOffset > size || !readAt(source, h.optionalOffset + countAt, count, 4)) {
    return false;
  }
  const uint32_t room = (h.optionalSize - countAt - 4) / 8;
  h.directoryCount = LoadLE32(count) < room ? LoadLE32(count) : room;
  return uint32_t(h.sectionCount) * kPeSectionHeaderSize <= size - h.sectionTableOffset;
}

uint32_t PeDirectoryOffset(const PeHeaders& headers, uint32_t index) {
  return headers.optionalOffset + DirectoryCountAt(headers) + 4 + 8 * index;
}

bool ReadPeDirectory(const PeHeaders& headers, uint32_t index, ReadAtFn readAt, void* source,
                     uint32_t* address, uint32_t* size) {
  uint8_t entry[8];
  if (index >= headers.directoryCount ||
      !readAt(source, PeDirectoryOffset(headers, index), entry, sizeof entry)) {
    return false;
  }
  *address = LoadLE32(entry);
  *size = LoadLE32(entry + 4);
  return true;
}

bool ReadPeSection(const PeHeaders& headers, uint32_t index, ReadAtFn readAt, void* source,
                   PeSection* section) {
  uint8_t bytes[kPeSectionHeaderSize];
  if (index >= headers.sectionCount ||
      !readAt(source, PeSectionOffset(headers, index), bytes, sizeof bytes)) {
    return false;
  }
  std::memcpy(section->name, bytes, 8);
  section->virtualSize = LoadLE32(bytes + 8);
  section->virtualAddress = LoadLE32(bytes + 12);
  section->rawSize = LoadLE32(bytes + 16);
  section->rawOffset = LoadLE32(bytes + 20);
  section->characteristics = LoadLE32(bytes + 36);
  return true;
}

uint64_t PeImageEnd(const PeHeaders& headers, ReadAtFn readAt, void* source) {
  uint64_t end = headers.headersSize;
  for (uint32_t i = 0; i < headers.sectionCount; ++i) {
    PeSection section;
    if (!ReadPeSection(headers, i, readAt, source, &section)) return 0;
    const uint64_t sectionEnd = uint64_t(section.rawOffset) + section.rawSize;
    if (section.rawSize != 0 && sectionEnd > end) end = sectionEnd;
  }
  return end;
}

void StorePeSection(const PeSection& section, uint8_t* bytes) {
  std::memset(bytes, 0, kPeSectionHeaderSize);
  std::memcpy(bytes, section.name, 8);
  StoreLE32(section.virtualSize, bytes + 8);
  StoreLE32(section.virtualAddress, bytes + 12);
  StoreLE32(section.rawSize, bytes + 16);
  StoreLE32(section.rawOffset, bytes + 20);
  StoreLE32(section.characteristics, bytes + 36);
}

void AddPeChecksumBytes(PeChecksum* checksum, const uint8_t* bytes, size_t count) {
  uint32_t sum = checksum->sum;
  for (size_t i = 0; i < count; ++i) {
    if ((checksum->length++ & 1) == 0) {
      checksum->low = bytes[i];
      continue;
    }
    sum += uint32_t(checksum->low | bytes[i] << 8);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  checksum->sum = sum;
}

uint32_t FinishPeChecksum(const PeChecksum& checksum) {
  uint32_t sum = checksum.sum;
  if (checksum.length & 1) sum += checksum.low;  // the last byte, its high byte zero
  sum = (sum & 0xFFFF) + (sum >> 16);
  sum = (sum & 0xFFFF) + (sum >> 16);
  return uint32_t(sum + checksum.length);
}

bool ReadPeMemory(void* source, uint32_t offset, uint8_t* buffer, uint32_t count) {
  const PeMemory& memory = *static_cast<const PeMemory*>(source);
  if (offset > memory.size || count > memory.size - offset) return false;
  std::memcpy(buffer, memory.bytes + offset, count);
  return true;
}
