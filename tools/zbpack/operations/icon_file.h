// An .ico file turned into the resources that carry it in a program: one icon group and one
// RT_ICON image per picture. Its pictures may be BMP (a BITMAPINFOHEADER, then the colours and
// masks) or PNG encoded, each at most 256 x 256 pixels.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct IconResources {
  std::vector<std::vector<uint8_t>> images;  // RT_ICON data, in the file's order
  // The group without its images' ids: 6 bytes of head, then 14 bytes per image whose last two
  // (the id) IconGroupData fills in.
  std::vector<uint8_t> group;
};

// Reads the .ico file's bytes; "" or the fault found (for "zbpack: FILE: fault").
std::string ReadIconFile(const std::vector<uint8_t>& file, IconResources* icon);

// The group resource's data for images numbered firstId, firstId + 1, ...
std::vector<uint8_t> IconGroupData(const IconResources& icon, uint16_t firstId);
