#include "zbpack/resource_tree.h"

#include <algorithm>
#include <set>

#include "archive/archive_format.h"

namespace {

constexpr uint32_t kDirectorySize = 16;   // bytes, before its entries
constexpr uint32_t kEntrySize = 8;        // bytes of a directory entry
constexpr uint32_t kDataEntrySize = 16;   // bytes
constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kLevels = 3;                // type, name, language

uint16_t LoadLE16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

void StoreLE16(uint16_t value, uint8_t* bytes) {
  bytes[0] = uint8_t(value);
  bytes[1] = uint8_t(value >> 8);
}

void StoreLE32(uint32_t value, uint8_t* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = uint8_t(value >> (8 * i));
}

struct TreeReader {
  const uint8_t* section;
  uint32_t size;
  uint32_t sectionRva;
  std::set<uint32_t> seen;  // directory offsets reached
  std::vector<ResourceEntry>* entries;
};

bool Inside(const TreeReader& reader, uint64_t offset, uint64_t count) {
  return offset <= reader.size && count <= reader.size - offset;
}

std::string ReadKey(const TreeReader& reader, uint32_t field, ResourceKey* key) {
  key->named = (field & kHighBit) != 0;
  if (!key->named) {
    if (field > 0xFFFF) return "a resource number above 65535";
    key->id = uint16_t(field);
    return "";
  }
  const uint32_t at = field & ~kHighBit;
  if (!Inside(reader, at, 2)) return "a resource name outside the section";
  const uint32_t length = LoadLE16(reader.section + at);
  if (!Inside(reader, uint64_t(at) + 2, uint64_t(length) * 2)) {
    return "a resource name outside the section";
  }
  key->name.clear();
  for (uint32_t i = 0; i < length; ++i) {
    key->name.push_back(char16_t(LoadLE16(reader.section + at + 2 + 2 * i)));
  }
  return "";
}

std::string ReadData(const TreeReader& reader, uint32_t at, ResourceEntry* entry) {
  if (!Inside(reader, at, kDataEntrySize)) return "a resource data entry outside the section";
  const uint8_t* bytes = reader.section + at;
  const uint32_t rva = LoadLE32(bytes);
  entry->dataSize = LoadLE32(bytes + 4);
  entry->codePage = LoadLE32(bytes + 8);
  if (rva < reader.sectionRva || !Inside(reader, rva - reader.sectionRva, entry->dataSize)) {
    return "resource data outside the section";
  }
  entry->dataOffset = rva - reader.sectionRva;
  return "";
}

// Reads the directory at offset, depth 0 (types) to 2 (languages); entry holds the keys of
// the levels above.
std::string ReadDirectory(TreeReader& reader, uint32_t offset, int depth, ResourceEntry entry) {
  if (!Inside(reader, offset, kDirectorySize)) return "a resource directory outside the section";
  if (!reader.seen.insert(offset).second) return "a resource directory reached twice (a cycle)";
  const uint8_t* directory = reader.section + offset;
  const uint32_t count = uint32_t(LoadLE16(directory + 12)) + LoadLE16(directory + 14);
  if (!Inside(reader, uint64_t(offset) + kDirectorySize, uint64_t(count) * kEntrySize)) {
    return "a resource directory's entries outside the section";
  }
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* item = directory + kDirectorySize + kEntrySize * i;
    const uint32_t target = LoadLE32(item + 4);
    const bool isDirectory = (target & kHighBit) != 0;
    if (isDirectory != (depth + 1 < kLevels)) {
      return isDirectory ? "resource directories nested deeper than 3" : "resource data above "
                                                                           "the language level";
    }
    ResourceKey key;
    std::string problem = ReadKey(reader, LoadLE32(item), &key);
    if (problem.empty() && depth == 2 && key.named) problem = "a resource language given by name";
    if (!problem.empty()) return problem;
    if (depth == 0) entry.type = key;
    if (depth == 1) entry.name = key;
    if (depth == 2) entry.language = key.id;
    problem = isDirectory ? ReadDirectory(reader, target & ~kHighBit, depth + 1, entry)
                          : ReadData(reader, target, &entry);
    if (!problem.empty()) return problem;
    if (!isDirectory) reader.entries->push_back(entry);
  }
  return "";
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

// The loader's order: names first, by upper-case code units; then numbers ascending.
bool KeyLess(const ResourceKey& a, const ResourceKey& b) {
  if (a.named != b.named) return a.named;
  if (!a.named) return a.id < b.id;
  return std::lexicographical_compare(
      a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
      [](char16_t x, char16_t y) { return Upper(x) < Upper(y); });
}

struct Layout {
  std::vector<uint8_t> bytes;
  uint32_t stringsAt = 0;  // where the next name goes
};

uint32_t KeyField(const ResourceKey& key, Layout& layout) {
  if (!key.named) return key.id;
  const uint32_t at = layout.stringsAt;
  StoreLE16(uint16_t(key.name.size()), &layout.bytes[at]);
  for (size_t i = 0; i < key.name.size(); ++i) StoreLE16(key.name[i], &layout.bytes[at + 2 + 2 * i]);
  layout.stringsAt += uint32_t(2 + 2 * key.name.size());
  return at | kHighBit;
}

void StoreDirectoryHead(uint8_t* at, uint32_t named, uint32_t numbered) {
  StoreLE16(uint16_t(named), at + 12);
  StoreLE16(uint16_t(numbered), at + 14);
}

uint32_t Align8(uint32_t value) { return (value + 7) & ~7u; }

}  // namespace

bool SameKey(const ResourceKey& a, const ResourceKey& b) {
  return !KeyLess(a, b) && !KeyLess(b, a);
}

std::string ReadResourceTree(const uint8_t* section, uint32_t size, uint32_t sectionRva,
                             std::vector<ResourceEntry>* entries) {
  TreeReader reader{section, size, sectionRva, {}, entries};
  return ReadDirectory(reader, 0, 0, ResourceEntry());
}

std::vector<uint8_t> BuildResourceSection(const std::vector<ResourceEntry>& entries,
                                          uint32_t sectionRva) {
  std::vector<size_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&entries](size_t x, size_t y) {
    const ResourceEntry& a = entries[x];
    const ResourceEntry& b = entries[y];
    if (!SameKey(a.type, b.type)) return KeyLess(a.type, b.type);
    if (!SameKey(a.name, b.name)) return KeyLess(a.name, b.name);
    return a.language < b.language;
  });
  // Runs of one type, and within them runs of one name: [first, end) in order.
  std::vector<size_t> typeStarts;
  std::vector<size_t> nameStarts;
  uint32_t stringBytes = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    const ResourceEntry& entry = entries[order[i]];
    const bool newType = i == 0 || !SameKey(entries[order[i - 1]].type, entry.type);
    if (newType) {
      typeStarts.push_back(i);
      if (entry.type.named) stringBytes += uint32_t(2 + 2 * entry.type.name.size());
    }
    if (newType || !SameKey(entries[order[i - 1]].name, entry.name)) {
      nameStarts.push_back(i);
      if (entry.name.named) stringBytes += uint32_t(2 + 2 * entry.name.name.size());
    }
  }
  const uint32_t count = uint32_t(order.size());
  const uint32_t typesAt = kDirectorySize + kEntrySize * uint32_t(typeStarts.size());
  const uint32_t namesAt = typesAt + kDirectorySize * uint32_t(typeStarts.size()) +
                           kEntrySize * uint32_t(nameStarts.size());
  const uint32_t dataEntriesAt =
      namesAt + kDirectorySize * uint32_t(nameStarts.size()) + kEntrySize * count;
  Layout layout;
  layout.stringsAt = dataEntriesAt + kDataEntrySize * count;
  uint32_t dataAt = Align8(layout.stringsAt + stringBytes);
  uint32_t total = dataAt;
  for (const ResourceEntry& entry : entries) total = Align8(total + uint32_t(entry.data.size()));
  layout.bytes.assign(total, 0);

  // Each directory: its head, then its entries; a directory's children follow in order.
  uint32_t nextType = typesAt;
  uint32_t nextName = namesAt;
  size_t nameRun = 0;
  uint8_t* root = &layout.bytes[0];
  for (size_t t = 0; t < typeStarts.size(); ++t) {
    const size_t typeEnd = t + 1 < typeStarts.size() ? typeStarts[t + 1] : order.size();
    const ResourceKey& typeKey = entries[order[typeStarts[t]]].type;
    uint8_t* item = root + kDirectorySize + kEntrySize * t;
    StoreLE32(KeyField(typeKey, layout), item);
    StoreLE32(nextType | kHighBit, item + 4);
    uint8_t* typeDirectory = &layout.bytes[nextType];
    uint32_t namesInType = 0;
    uint32_t namedInType = 0;
    for (; nameRun < nameStarts.size() && nameStarts[nameRun] < typeEnd; ++nameRun) {
      const size_t nameEnd = nameRun + 1 < nameStarts.size() ? nameStarts[nameRun + 1] : order.size();
      const ResourceKey& nameKey = entries[order[nameStarts[nameRun]]].name;
      uint8_t* nameItem = typeDirectory + kDirectorySize + kEntrySize * namesInType++;
      if (nameKey.named) ++namedInType;
      StoreLE32(KeyField(nameKey, layout), nameItem);
      StoreLE32(nextName | kHighBit, nameItem + 4);
      uint8_t* nameDirectory = &layout.bytes[nextName];
      StoreDirectoryHead(nameDirectory, 0, uint32_t(nameEnd - nameStarts[nameRun]));
      for (size_t i = nameStarts[nameRun]; i < nameEnd; ++i) {
        const ResourceEntry& entry = entries[order[i]];
        uint8_t* languageItem = nameDirectory + kDirectorySize + kEntrySize * (i - nameStarts[nameRun]);
        StoreLE32(entry.language, languageItem);
        const uint32_t dataEntry = dataEntriesAt + kDataEntrySize * uint32_t(i);
        StoreLE32(dataEntry, languageItem + 4);
        StoreLE32(sectionRva + dataAt, &layout.bytes[dataEntry]);
        StoreLE32(uint32_t(entry.data.size()), &layout.bytes[dataEntry + 4]);
        StoreLE32(entry.codePage, &layout.bytes[dataEntry + 8]);
        std::copy(entry.data.begin(), entry.data.end(), layout.bytes.begin() + dataAt);
        dataAt = Align8(dataAt + uint32_t(entry.data.size()));
      }
      nextName += kDirectorySize + kEntrySize * uint32_t(nameEnd - nameStarts[nameRun]);
    }
    StoreDirectoryHead(typeDirectory, namedInType, namesInType - namedInType);
    nextType += kDirectorySize + kEntrySize * namesInType;
  }
  uint32_t namedTypes = 0;
  for (size_t start : typeStarts) namedTypes += entries[order[start]].type.named ? 1 : 0;
  StoreDirectoryHead(root, namedTypes, uint32_t(typeStarts.size()) - namedTypes);
  return layout.bytes;
}
