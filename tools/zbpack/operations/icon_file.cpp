#include "zbpack/operations/icon_file.h"

#include <cstring>

#include "archive/archive_format.h"

namespace {

constexpr size_t kHeadSize = 6;         // reserved, type (1 = icon), count
constexpr size_t kFileEntrySize = 16;   // bytes per picture in the file's directory
constexpr size_t kGroupEntrySize = 14;  // the same, ending in a 16-bit id instead of an offset
constexpr uint32_t kMaxSide = 256;      // pixels
constexpr uint32_t kBitmapHeaderSize = 40;
const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint16_t LoadLE16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

uint32_t LoadBE32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

// The picture's own idea of its size: a PNG's IHDR, or a bitmap header whose height counts the
// colour rows and the mask rows. "" or the fault.
std::string CheckPicture(const uint8_t* data, uint32_t size, uint32_t* width, uint32_t* height) {
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) {
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return "a PNG picture without IHDR";
    *width = LoadBE32(data + 16);
    *height = LoadBE32(data + 20);
  } else if (size >= kBitmapHeaderSize && LoadLE32(data) == kBitmapHeaderSize) {
    const int32_t h = int32_t(LoadLE32(data + 8));
    *width = LoadLE32(data + 4);
    *height = h > 0 && h % 2 == 0 ? uint32_t(h / 2) : 0;
    const uint16_t bits = LoadLE16(data + 14);
    if (LoadLE16(data + 12) != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
      return "a bitmap picture of an unknown format";
    }
  } else {
    return "a picture that is neither BMP nor PNG";
  }
  if (*width == 0 || *height == 0 || *width > kMaxSide || *height > kMaxSide) {
    return "a picture of " + std::to_string(*width) + " x " + std::to_string(*height) +
           " pixels (1 to 256 on each side)";
  }
  return "";
}

}  // namespace

std::string ReadIconFile(const std::vector<uint8_t>& file, IconResources* icon) {
  if (file.size() < kHeadSize || LoadLE16(&file[0]) != 0 || LoadLE16(&file[2]) != 1) {
    return "not an icon file (.ico)";
  }
  const size_t count = LoadLE16(&file[4]);
  if (count == 0) return "an icon file with no picture";
  if (file.size() < kHeadSize + kFileEntrySize * count) return "icon file cut short";
  icon->group.assign(file.begin(), file.begin() + kHeadSize);
  icon->images.clear();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = &file[kHeadSize + kFileEntrySize * i];
    const uint32_t size = LoadLE32(entry + 8);
    const uint32_t offset = LoadLE32(entry + 12);
    const std::string which = "picture " + std::to_string(i + 1) + ": ";
    if (size == 0 || offset > file.size() || size > file.size() - offset) {
      return which + "icon file cut short";
    }
    uint32_t width = 0;
    uint32_t height = 0;
    const std::string problem = CheckPicture(&file[offset], size, &width, &height);
    if (!problem.empty()) return which + problem;
    // The directory's sizes (0 for 256) must be the picture's own.
    if ((entry[0] == 0 ? 256u : entry[0]) != width || (entry[1] == 0 ? 256u : entry[1]) != height) {
      return which + "its size in the directory is not the picture's own";
    }
    icon->group.insert(icon->group.end(), entry, entry + 12);
    icon->group.insert(icon->group.end(), {0, 0});
    icon->images.emplace_back(file.begin() + offset, file.begin() + offset + size);
  }
  return "";
}

std::vector<uint8_t> IconGroupData(const IconResources& icon, uint16_t firstId) {
  std::vector<uint8_t> group = icon.group;
  for (size_t i = 0; i < icon.images.size(); ++i) {
    const uint16_t id = uint16_t(firstId + i);
    group[kHeadSize + kGroupEntrySize * i + 12] = uint8_t(id);
    group[kHeadSize + kGroupEntrySize * i + 13] = uint8_t(id >> 8);
  }
  return group;
}
