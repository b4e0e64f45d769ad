// zbstubfinish EXE: the step after the stub's link that the linker cannot do. It marks the
// resource section read-only (the linker marks it writable; nothing writes to it) and stamps
// the checksum. A host program, built with the host's compiler in the cross tree.
#include <cstdio>
#include <vector>

#include "archive/pe_image.h"

namespace {

void Store32(std::vector<uint8_t>& bytes, uint32_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

bool Finish(std::vector<uint8_t>& image) {
  PeMemory memory = {image.data(), image.size()};
  PeHeaders headers;
  uint32_t rsrcRva = 0, rsrcSize = 0;
  if (!ReadPeHeaders(image.size(), ReadPeMemory, &memory, &headers) ||
      !ReadPeDirectory(headers, kPeResourceDirectory, ReadPeMemory, &memory, &rsrcRva, &rsrcSize)) {
    return false;
  }
  for (uint32_t i = 0; i < headers.sectionCount; ++i) {
    PeSection section;
    if (!ReadPeSection(headers, i, ReadPeMemory, &memory, &section)) return false;
    if (rsrcRva == 0 || section.virtualAddress != rsrcRva) continue;
    section.characteristics &= ~kPeSectionWritable;
    StorePeSection(section, image.data() + PeSectionOffset(headers, i));
  }
  Store32(image, PeChecksumOffset(headers), 0);
  PeChecksum checksum;
  AddPeChecksumBytes(&checksum, image.data(), image.size());
  Store32(image, PeChecksumOffset(headers), FinishPeChecksum(checksum));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  FILE* file = std::fopen(argv[1], "r+b");
  if (file == nullptr) return 1;
  std::vector<uint8_t> image(16u << 20);
  image.resize(std::fread(image.data(), 1, image.size(), file));
  bool done = Finish(image) && std::fseek(file, 0, SEEK_SET) == 0 &&
              std::fwrite(image.data(), image.size(), 1, file) == 1;
  done = std::fclose(file) == 0 && done;
  if (!done) std::fprintf(stderr, "zbstubfinish: %s: not finished\n", argv[1]);
  return done ? 0 : 1;
}
