// A program's resources as a flat list, read from and written to the tree of its resource
// section: type, name and language directories, then data entries.
//
// The reader takes untrusted bytes (verify reads downloads, --stub takes any file): it goes at
// most three directories deep, keeps every offset and every data block inside the section, and
// refuses a directory reached twice (so no cycle, and no tree larger than its section).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A type or a name: a number, or a string (UTF-16 code units) when named is set.
struct ResourceKey {
  bool named = false;
  uint16_t id = 0;
  std::u16string name;
};

struct ResourceEntry {
  ResourceKey type;
  ResourceKey name;
  uint32_t language = 0;
  uint32_t codePage = 0;
  uint32_t dataOffset = 0;    // in the section bytes the tree was read from
  uint32_t dataSize = 0;      // bytes
  std::vector<uint8_t> data;  // for entries to be written, their bytes
};

// Standard types.
constexpr uint16_t kResourceIcon = 3;
constexpr uint16_t kResourceGroupIcon = 14;
constexpr uint16_t kResourceVersion = 16;
constexpr uint16_t kResourceManifest = 24;

inline ResourceKey ResourceId(uint16_t id) {
  ResourceKey key;
  key.id = id;
  return key;
}
bool SameKey(const ResourceKey& a, const ResourceKey& b);

// section: the section's bytes as the file holds them, loaded at sectionRva; the tree starts at
// its offset 0. Fills entries in tree order (dataOffset and dataSize set, data left empty).
// Returns "" or the fault found.
std::string ReadResourceTree(const uint8_t* section, uint32_t size, uint32_t sectionRva,
                             std::vector<ResourceEntry>* entries);

// The section that holds entries (with their data) when loaded at sectionRva: directories
// sorted as the loader searches them (names before numbers; names in order of their upper-case
// code units, numbers ascending), data entries, names, then each data block on 8 bytes.
std::vector<uint8_t> BuildResourceSection(const std::vector<ResourceEntry>& entries,
                                          uint32_t sectionRva);
