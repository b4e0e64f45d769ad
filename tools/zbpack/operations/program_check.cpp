#include "zbpack/operations/program_check.h"

#include <vector>

#include "archive/archive_end.h"
#include "archive/archive_format.h"
#include "archive/pe_image.h"
#include "zbpack/operations/resource_tree.h"

namespace {

constexpr uint32_t kMaxResourceSection = 64u << 20;  // bytes read whole to walk the tree

uint64_t AlignUp(uint64_t value, uint32_t alignment) {
  return alignment == 0 ? value : (value + alignment - 1) / alignment * alignment;
}

std::string SectionProblem(const PeHeaders& headers, FILE* file, uint32_t archiveOffset,
                           uint32_t* resourceSection) {
  uint32_t rsrcRva = 0, rsrcSize = 0;
  ReadPeDirectory(headers, kPeResourceDirectory, ReadPeFile, file, &rsrcRva, &rsrcSize);
  *resourceSection = headers.sectionCount;
  uint64_t nextRva = AlignUp(headers.headersSize, headers.sectionAlignment);
  for (uint32_t i = 0; i < headers.sectionCount; ++i) {
    PeSection section;
    if (!ReadPeSection(headers, i, ReadPeFile, file, &section)) return "a section header cut short";
    const std::string which = "section " + std::to_string(i + 1) + " ";
    if (section.virtualAddress < nextRva) return which + "overlaps the one before it in memory";
    if (section.rawSize != 0 && (section.rawOffset < headers.headersSize ||
                                 uint64_t(section.rawOffset) + section.rawSize > archiveOffset)) {
      return which + "lies outside the program";
    }
    nextRva =
        AlignUp(uint64_t(section.virtualAddress) + section.virtualSize, headers.sectionAlignment);
    if (rsrcRva != 0 && section.virtualAddress == rsrcRva) *resourceSection = i;
  }
  uint32_t imageSize = 0;
  uint8_t bytes[4];
  if (ReadPeFile(file, PeImageSizeOffset(headers), bytes, 4)) imageSize = LoadLE32(bytes);
  if (imageSize != nextRva) {
    return "SizeOfImage is " + std::to_string(imageSize) + ", the sections need " +
           std::to_string(nextRva);
  }
  if (rsrcRva != 0 && *resourceSection == headers.sectionCount) {
    return "the resources do not start a section";
  }
  return "";
}

}  // namespace

std::string ProgramProblem(FILE* file, uint64_t fileSize, uint32_t archiveOffset) {
  PeHeaders headers;
  if (!ReadPeHeaders(fileSize, ReadPeFile, file, &headers)) {
    return "program headers: not a Windows program";
  }
  uint32_t resourceSection = 0;
  std::string problem = SectionProblem(headers, file, archiveOffset, &resourceSection);
  if (!problem.empty()) return "program headers: " + problem;
  const uint64_t end = PeImageEnd(headers, ReadPeFile, file);
  if (end != archiveOffset) {
    return "program headers: the program ends at " + std::to_string(end) +
           ", but the archive starts at " + std::to_string(archiveOffset);
  }
  if (resourceSection == headers.sectionCount) return "";
  PeSection section;
  ReadPeSection(headers, resourceSection, ReadPeFile, file, &section);
  const uint32_t size = section.virtualSize != 0 && section.virtualSize < section.rawSize
                            ? section.virtualSize
                            : section.rawSize;
  if (size > kMaxResourceSection) return "resources: a section larger than 64 MiB";
  std::vector<uint8_t> bytes(size);
  std::vector<ResourceEntry> entries;
  if (size != 0 && !ReadPeFile(file, section.rawOffset, bytes.data(), size)) {
    return "resources: cannot read their section";
  }
  problem = ReadResourceTree(bytes.data(), size, section.virtualAddress, &entries);
  return problem.empty() ? "" : "resources: " + problem;
}
