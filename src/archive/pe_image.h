// The headers of a Windows program (PE32 as built for i686, PE32+ as built for x86-64): the one
// place that knows where their fields stand. Portable; reads through a callback, so that the
// stub reads its own file, and zbpack a file or a program held in memory.
//
// Every value is checked against the file's size before it is used: a header that does not add
// up (not MZ/PE, an optional header of another magic or too short for its directories, a
// section table outside the headers or the file) reads as "not a program". No byte outside the
// file is ever asked for.
#pragma once
#include <cstddef>
#include <cstdint>

// Reads exactly count bytes at file offset into buffer; false if it cannot. Called only for
// ranges that lie inside the file size given with it.
using ReadAtFn = bool (*)(void* source, uint32_t offset, uint8_t* buffer, uint32_t count);

// Data directory entries used here (their index in the optional header's table).
constexpr uint32_t kPeResourceDirectory = 2;
constexpr uint32_t kPeSecurityDirectory = 4;  // "virtual address" is a file offset
constexpr uint32_t kPeRelocationDirectory = 5;

constexpr uint16_t kPeMachineI386 = 0x014C;
constexpr uint16_t kPeMachineAmd64 = 0x8664;
constexpr uint16_t kPeSubsystemWindowsGui = 2;
constexpr uint16_t kPeNoSeh = 0x0400;                 // DllCharacteristics
constexpr uint32_t kPeSectionWritable = 0x80000000u;  // section Characteristics
constexpr uint32_t kPeSectionHeaderSize = 40;         // bytes

struct PeHeaders {
  uint32_t peOffset = 0;  // file offset of "PE\0\0"
  uint16_t machine = 0;
  uint16_t sectionCount = 0;
  uint32_t optionalOffset = 0;  // file offset of the optional header
  uint32_t optionalSize = 0;    // bytes, as the file header gives it
  bool pe32Plus = false;        // PE32+ (x86-64) rather than PE32
  uint16_t subsystem = 0;
  uint32_t directoryCount = 0;      // data directory entries present
  uint32_t sectionTableOffset = 0;  // file offset of the first section header
  uint32_t sectionAlignment = 0;    // bytes
  uint32_t fileAlignment = 0;       // bytes
  uint32_t headersSize = 0;         // SizeOfHeaders, bytes
};

struct PeSection {
  char name[8];
  uint32_t virtualSize;
  uint32_t virtualAddress;  // RVA
  uint32_t rawSize;         // bytes in the file
  uint32_t rawOffset;       // file offset
  uint32_t characteristics;
};

// fileSize in bytes. False when the file is not a program whose headers add up.
bool ReadPeHeaders(uint64_t fileSize, ReadAtFn readAt, void* source, PeHeaders* headers);

// Entry index of the data directory; false when the table has no such entry.
bool ReadPeDirectory(const PeHeaders& headers, uint32_t index, ReadAtFn readAt, void* source,
                     uint32_t* address, uint32_t* size);

// Section header index (0-based, below sectionCount).
bool ReadPeSection(const PeHeaders& headers, uint32_t index, ReadAtFn readAt, void* source,
                   PeSection* section);

// Where the sections' bytes end in the file: where an archive appended to the program begins.
// 0 when a section header cannot be read.
uint64_t PeImageEnd(const PeHeaders& headers, ReadAtFn readAt, void* source);

// File offsets of single fields, for the writers.
inline uint32_t PeChecksumOffset(const PeHeaders& h) { return h.optionalOffset + 64; }
inline uint32_t PeDllCharacteristicsOffset(const PeHeaders& h) { return h.optionalOffset + 70; }
inline uint32_t PeImageSizeOffset(const PeHeaders& h) { return h.optionalOffset + 56; }
inline uint32_t PeInitializedDataOffset(const PeHeaders& h) { return h.optionalOffset + 8; }
uint32_t PeDirectoryOffset(const PeHeaders& headers, uint32_t index);
inline uint32_t PeSectionOffset(const PeHeaders& h, uint32_t index) {
  return h.sectionTableOffset + kPeSectionHeaderSize * index;
}

// A section header as the file holds it (kPeSectionHeaderSize bytes).
void StorePeSection(const PeSection& section, uint8_t* bytes);

// The PE checksum, fed the file's bytes in order with the checksum field read as zero: 16-bit
// little-endian words added with the carries folded back in, plus the file's length in bytes.
struct PeChecksum {
  uint32_t sum = 0;
  uint64_t length = 0;  // bytes fed so far; odd while a low byte waits for its high byte
  uint8_t low = 0;
};
void AddPeChecksumBytes(PeChecksum* checksum, const uint8_t* bytes, size_t count);
uint32_t FinishPeChecksum(const PeChecksum& checksum);

// ReadAtFn over bytes in memory; source points at a PeMemory.
struct PeMemory {
  const uint8_t* bytes;
  size_t size;
};
bool ReadPeMemory(void* source, uint32_t offset, uint8_t* buffer, uint32_t count);
