#include "zbpack/operations/stub_rebuild.h"

#include <algorithm>
#include <cstring>

#include "archive/archive_end.h"
#include "archive/archive_format.h"
#include "archive/pe_image.h"
#include "zbpack/operations/resource_tree.h"

namespace {

constexpr uint16_t kIconGroup = 112;     // the stub's icon group, shells show its first
constexpr uint32_t kEnglishUs = 0x0409;  // language of the stub's own resources
constexpr size_t kGroupEntrySize = 14;   // bytes per image in an icon group
constexpr size_t kGroupHeadSize = 6;     // bytes

using Bytes = std::vector<uint8_t>;

void StoreLE32At(Bytes& bytes, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

uint32_t AlignUp(uint32_t value, uint32_t alignment) {
  return alignment == 0 ? value : (value + alignment - 1) / alignment * alignment;
}

bool Is(const ResourceEntry& entry, uint16_t type, uint16_t name) {
  return !entry.type.named && entry.type.id == type && !entry.name.named && entry.name.id == name;
}

ResourceEntry NewEntry(uint16_t type, uint16_t name, Bytes data) {
  ResourceEntry entry;
  entry.type = ResourceId(type);
  entry.name = ResourceId(name);
  entry.language = kEnglishUs;
  entry.data = std::move(data);
  return entry;
}

// Replaces the manifest and the version, and with an icon the group and its old images.
void EditResources(const IdentityResources& resources, std::vector<ResourceEntry>* entries) {
  std::vector<uint16_t> oldImages;
  for (const ResourceEntry& entry : *entries) {
    if (!resources.icon || !Is(entry, kResourceGroupIcon, kIconGroup)) continue;
    for (size_t at = kGroupHeadSize; at + kGroupEntrySize <= entry.data.size();
         at += kGroupEntrySize) {
      oldImages.push_back(uint16_t(entry.data[at + 12] | entry.data[at + 13] << 8));
    }
  }
  entries->erase(
      std::remove_if(entries->begin(), entries->end(),
                     [&](const ResourceEntry& e) {
                       const bool oldImage =
                           !e.type.named && e.type.id == kResourceIcon && !e.name.named &&
                           std::count(oldImages.begin(), oldImages.end(), e.name.id) != 0;
                       return Is(e, kResourceManifest, 1) || Is(e, kResourceVersion, 1) ||
                              (resources.icon && Is(e, kResourceGroupIcon, kIconGroup)) || oldImage;
                     }),
      entries->end());
  entries->push_back(
      NewEntry(kResourceManifest, 1, Bytes(resources.manifest.begin(), resources.manifest.end())));
  entries->push_back(NewEntry(kResourceVersion, 1, resources.versionInfo));
  if (!resources.icon) return;
  uint16_t firstId = 1;  // above every image left
  for (const ResourceEntry& e : *entries) {
    if (!e.type.named && e.type.id == kResourceIcon && !e.name.named && e.name.id >= firstId) {
      firstId = uint16_t(e.name.id + 1);
    }
  }
  for (size_t i = 0; i < resources.icon->images.size(); ++i) {
    entries->push_back(NewEntry(kResourceIcon, uint16_t(firstId + i), resources.icon->images[i]));
  }
  entries->push_back(
      NewEntry(kResourceGroupIcon, kIconGroup, IconGroupData(*resources.icon, firstId)));
}

// Finds the resource section (the one the resource directory starts) and checks that only the
// relocations may follow it. "" or the fault.
std::string FindSections(const PeHeaders& headers, PeMemory& memory, uint32_t* rsrc,
                         uint32_t* reloc) {
  uint32_t rsrcRva = 0, rsrcSize = 0, relocRva = 0, relocSize = 0;
  ReadPeDirectory(headers, kPeResourceDirectory, ReadPeMemory, &memory, &rsrcRva, &rsrcSize);
  ReadPeDirectory(headers, kPeRelocationDirectory, ReadPeMemory, &memory, &relocRva, &relocSize);
  *rsrc = *reloc = headers.sectionCount;
  for (uint32_t i = 0; i < headers.sectionCount; ++i) {
    PeSection section;
    if (!ReadPeSection(headers, i, ReadPeMemory, &memory, &section))
      return "a section header cut short";
    if (rsrcRva != 0 && section.virtualAddress == rsrcRva) *rsrc = i;
    if (relocRva != 0 && section.virtualAddress == relocRva) *reloc = i;
  }
  if (*rsrc == headers.sectionCount) return "no resource section of its own";
  const uint32_t last = headers.sectionCount - 1;
  if (*rsrc != last && !(*rsrc + 1 == last && *reloc == last)) {
    return "its resource section is followed by sections other than the relocations";
  }
  uint64_t imageEnd = PeImageEnd(headers, ReadPeMemory, &memory);
  uint32_t certificate = 0, certificateSize = 0;
  ReadPeDirectory(headers, kPeSecurityDirectory, ReadPeMemory, &memory, &certificate,
                  &certificateSize);
  if (certificateSize != 0 || imageEnd != memory.size) {
    return "bytes follow its sections (a signed stub? sign the finished installer instead)";
  }
  return "";
}

// The stub's resources, each with its data, from its resource section. "" or the fault.
std::string ReadResources(const std::vector<uint8_t>& stub, const PeSection& rsrc,
                          std::vector<ResourceEntry>* entries) {
  const uint32_t treeSize =
      rsrc.virtualSize != 0 && rsrc.virtualSize < rsrc.rawSize ? rsrc.virtualSize : rsrc.rawSize;
  const std::string problem =
      ReadResourceTree(stub.data() + rsrc.rawOffset, treeSize, rsrc.virtualAddress, entries);
  if (!problem.empty()) return problem;
  for (ResourceEntry& entry : *entries) {
    const uint8_t* data = stub.data() + rsrc.rawOffset + entry.dataOffset;
    entry.data.assign(data, data + entry.dataSize);
  }
  return "";
}

}  // namespace

std::string RebuildStub(const IdentityResources& resources, std::vector<uint8_t>* stub) {
  PeMemory memory = {stub->data(), stub->size()};
  PeHeaders headers;
  if (!ReadPeHeaders(stub->size(), ReadPeMemory, &memory, &headers)) return "not a Windows program";
  uint32_t rsrcIndex = 0, relocIndex = 0;
  std::string problem = FindSections(headers, memory, &rsrcIndex, &relocIndex);
  if (!problem.empty()) return problem;
  PeSection rsrc, reloc = {};
  const bool hasReloc = rsrcIndex + 1 < headers.sectionCount;
  ReadPeSection(headers, rsrcIndex, ReadPeMemory, &memory, &rsrc);
  if (hasReloc) ReadPeSection(headers, relocIndex, ReadPeMemory, &memory, &reloc);

  std::vector<ResourceEntry> entries;
  problem = ReadResources(*stub, rsrc, &entries);
  if (!problem.empty()) return problem;
  EditResources(resources, &entries);
  Bytes section = BuildResourceSection(entries, rsrc.virtualAddress);

  // The new layout: the resources in place at their new size, the relocations behind them.
  const uint32_t oldRawSize = rsrc.rawSize;
  rsrc.virtualSize = uint32_t(section.size());
  rsrc.rawSize = AlignUp(rsrc.virtualSize, headers.fileAlignment);
  rsrc.characteristics &= ~kPeSectionWritable;
  section.resize(rsrc.rawSize, 0);
  Bytes relocBytes;
  if (hasReloc) {
    relocBytes.assign(stub->begin() + reloc.rawOffset,
                      stub->begin() + reloc.rawOffset + reloc.rawSize);
    reloc.virtualAddress =
        AlignUp(rsrc.virtualAddress + rsrc.virtualSize, headers.sectionAlignment);
    reloc.rawOffset = rsrc.rawOffset + rsrc.rawSize;
  }
  const PeSection& last = hasReloc ? reloc : rsrc;
  if (uint64_t(rsrc.rawOffset) + rsrc.rawSize + relocBytes.size() > 0xFFFFFFFFu - 4) {
    return "too large with its new resources";
  }
  stub->resize(rsrc.rawOffset);
  stub->insert(stub->end(), section.begin(), section.end());
  stub->insert(stub->end(), relocBytes.begin(), relocBytes.end());

  StorePeSection(rsrc, stub->data() + PeSectionOffset(headers, rsrcIndex));
  StoreLE32At(*stub, PeDirectoryOffset(headers, kPeResourceDirectory) + 4, rsrc.virtualSize);
  if (hasReloc) {
    StorePeSection(reloc, stub->data() + PeSectionOffset(headers, relocIndex));
    StoreLE32At(*stub, PeDirectoryOffset(headers, kPeRelocationDirectory), reloc.virtualAddress);
  }
  StoreLE32At(*stub, PeImageSizeOffset(headers),
              AlignUp(last.virtualAddress + last.virtualSize, headers.sectionAlignment));
  const uint32_t dataAt = PeInitializedDataOffset(headers);
  StoreLE32At(*stub, dataAt, LoadLE32(stub->data() + dataAt) - oldRawSize + rsrc.rawSize);
  StoreLE32At(*stub, PeChecksumOffset(headers), 0);
  if (!headers.pe32Plus) (*stub)[PeDllCharacteristicsOffset(headers) + 1] |= kPeNoSeh >> 8;
  return "";
}

bool StampPeChecksum(FILE* file) {
  uint8_t buffer[65536];
  PeChecksum checksum;
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    AddPeChecksumBytes(&checksum, buffer, got);
  }
  PeHeaders headers;
  if (std::ferror(file) != 0 || !ReadPeHeaders(checksum.length, ReadPeFile, file, &headers)) {
    return false;
  }
  const uint32_t sum = FinishPeChecksum(checksum);
  const uint8_t bytes[4] = {uint8_t(sum), uint8_t(sum >> 8), uint8_t(sum >> 16),
                            uint8_t(sum >> 24)};
  return std::fseek(file, long(PeChecksumOffset(headers)), SEEK_SET) == 0 &&
         std::fwrite(bytes, 4, 1, file) == 1 && std::fseek(file, 0, SEEK_END) == 0;
}
