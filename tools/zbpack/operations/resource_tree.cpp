#include "zbpack/operations/resource_tree.h"

#include <algorithm>
#include <set>

#include "archive/archive_format.h"

namespace {

constexpr uint32_t kDirectorySize = 16;  // bytes, before its entries
constexpr uint32_t kEntrySize = 8;       // bytes of a directory entry
constexpr uint32_t kDataEntrySize = 16;  // bytes
constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kLevels = 3;  // type, name, language

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
      return isDirectory ? "resource directories nested deeper than 3"
                         : "resource data above "
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
  return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                      [](char16_t x, char16_t y) { return Upper(x) < Upper(y); });
}

// The section being written: the entries in the loader's order, split into runs of one type
// and, within them, runs of one name; where each part of the section goes.
struct Layout {
  const std::vector<ResourceEntry>* entries = nullptr;
  std::vector<size_t> order;       // indexes into entries, sorted
  std::vector<size_t> typeStarts;  // positions in order where a type begins
  std::vector<size_t> nameStarts;  // positions in order where a name begins
  std::vector<uint8_t> bytes;
  uint32_t nextType = 0;  // where the next type's directory goes
  uint32_t nextName = 0;  // where the next name's directory goes
  uint32_t dataEntriesAt = 0;
  uint32_t stringsAt = 0;  // where the next name string goes
  uint32_t dataAt = 0;     // where the next data block goes
  uint32_t sectionRva = 0;

  const ResourceEntry& At(size_t position) const { return (*entries)[order[position]]; }
  size_t RunEnd(const std::vector<size_t>& starts, size_t run) const {
    return run + 1 < starts.size() ? starts[run + 1] : order.size();
  }
};

uint32_t KeyField(const ResourceKey& key, Layout& layout) {
  if (!key.named) return key.id;
  const uint32_t at = layout.stringsAt;
  StoreLE16(uint16_t(key.name.size()), &layout.bytes[at]);
  for (size_t i = 0; i < key.name.size(); ++i)
    StoreLE16(key.name[i], &layout.bytes[at + 2 + 2 * i]);
  layout.stringsAt += uint32_t(2 + 2 * key.name.size());
  return at | kHighBit;
}

void StoreDirectoryHead(uint8_t* at, uint32_t named, uint32_t numbered) {
  StoreLE16(uint16_t(named), at + 12);
  StoreLE16(uint16_t(numbered), at + 14);
}

uint32_t Align8(uint32_t value) { return (value + 7) & ~7u; }

// Sorts the entries and finds the runs and the size of every part.
void PlanLayout(const std::vector<ResourceEntry>& entries, uint32_t sectionRva, Layout* layout) {
  layout->entries = &entries;
  layout->sectionRva = sectionRva;
  for (size_t i = 0; i < entries.size(); ++i) layout->order.push_back(i);
  std::stable_sort(layout->order.begin(), layout->order.end(), [&entries](size_t x, size_t y) {
    const ResourceEntry& a = entries[x];
    const ResourceEntry& b = entries[y];
    if (!SameKey(a.type, b.type)) return KeyLess(a.type, b.type);
    if (!SameKey(a.name, b.name)) return KeyLess(a.name, b.name);
    return a.language < b.language;
  });
  uint32_t stringBytes = 0;
  for (size_t i = 0; i < layout->order.size(); ++i) {
    const ResourceEntry& entry = layout->At(i);
    const bool newType = i == 0 || !SameKey(layout->At(i - 1).type, entry.type);
    if (newType) {
      layout->typeStarts.push_back(i);
      if (entry.type.named) stringBytes += uint32_t(2 + 2 * entry.type.name.size());
    }
    if (newType || !SameKey(layout->At(i - 1).name, entry.name)) {
      layout->nameStarts.push_back(i);
      if (entry.name.named) stringBytes += uint32_t(2 + 2 * entry.name.name.size());
    }
  }
  const uint32_t count = uint32_t(layout->order.size());
  const uint32_t types = uint32_t(layout->typeStarts.size());
  const uint32_t names = uint32_t(layout->nameStarts.size());
  layout->nextType = kDirectorySize + kEntrySize * types;
  layout->nextName = layout->nextType + kDirectorySize * types + kEntrySize * names;
  layout->dataEntriesAt = layout->nextName + kDirectorySize * names + kEntrySize * count;
  layout->stringsAt = layout->dataEntriesAt + kDataEntrySize * count;
  layout->dataAt = Align8(layout->stringsAt + stringBytes);
  uint32_t total = layout->dataAt;
  for (const ResourceEntry& entry : entries) total = Align8(total + uint32_t(entry.data.size()));
  layout->bytes.assign(total, 0);
}

// The language directory of the name run, its data entries and their data.
void WriteNameDirectory(size_t run, Layout& layout) {
  const size_t first = layout.nameStarts[run];
  const size_t end = layout.RunEnd(layout.nameStarts, run);
  uint8_t* directory = &layout.bytes[layout.nextName];
  StoreDirectoryHead(directory, 0, uint32_t(end - first));
  for (size_t i = first; i < end; ++i) {
    const ResourceEntry& entry = layout.At(i);
    uint8_t* item = directory + kDirectorySize + kEntrySize * (i - first);
    const uint32_t dataEntry = layout.dataEntriesAt + kDataEntrySize * uint32_t(i);
    StoreLE32(entry.language, item);
    StoreLE32(dataEntry, item + 4);
    StoreLE32(layout.sectionRva + layout.dataAt, &layout.bytes[dataEntry]);
    StoreLE32(uint32_t(entry.data.size()), &layout.bytes[dataEntry + 4]);
    StoreLE32(entry.codePage, &layout.bytes[dataEntry + 8]);
    std::copy(entry.data.begin(), entry.data.end(), layout.bytes.begin() + layout.dataAt);
    layout.dataAt = Align8(layout.dataAt + uint32_t(entry.data.size()));
  }
  layout.nextName += kDirectorySize + kEntrySize * uint32_t(end - first);
}

// The name directory of type run t, and the runs of names in it; *nameRun is the first name
// run of the type, and moves past its last.
void WriteTypeDirectory(size_t t, size_t* nameRun, Layout& layout) {
  const size_t typeEnd = layout.RunEnd(layout.typeStarts, t);
  uint8_t* item = &layout.bytes[kDirectorySize + kEntrySize * t];
  StoreLE32(KeyField(layout.At(layout.typeStarts[t]).type, layout), item);
  StoreLE32(layout.nextType | kHighBit, item + 4);
  const uint32_t directoryAt = layout.nextType;
  uint32_t names = 0;
  uint32_t named = 0;
  for (; *nameRun < layout.nameStarts.size() && layout.nameStarts[*nameRun] < typeEnd; ++*nameRun) {
    const ResourceKey& key = layout.At(layout.nameStarts[*nameRun]).name;
    uint8_t* nameItem = &layout.bytes[directoryAt + kDirectorySize + kEntrySize * names++];
    if (key.named) ++named;
    StoreLE32(KeyField(key, layout), nameItem);
    StoreLE32(layout.nextName | kHighBit, nameItem + 4);
    WriteNameDirectory(*nameRun, layout);
  }
  StoreDirectoryHead(&layout.bytes[directoryAt], named, names - named);
  layout.nextType += kDirectorySize + kEntrySize * names;
}

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
  Layout layout;
  PlanLayout(entries, sectionRva, &layout);
  size_t nameRun = 0;
  uint32_t namedTypes = 0;
  for (size_t t = 0; t < layout.typeStarts.size(); ++t) {
    WriteTypeDirectory(t, &nameRun, layout);
    namedTypes += layout.At(layout.typeStarts[t]).type.named ? 1 : 0;
  }
  StoreDirectoryHead(&layout.bytes[0], namedTypes, uint32_t(layout.typeStarts.size()) - namedTypes);
  return layout.bytes;
}
