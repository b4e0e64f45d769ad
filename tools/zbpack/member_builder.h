// One member made ready for writing: its header, name and data bytes, read from its file and
// stored or imploded.
#pragma once
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "zbpack/pack_options.h"

struct PackedMember {
  FileHeader header;
  std::string nameBytes;      // the name with its NUL, as written behind the header
  std::vector<uint8_t> data;  // the bytes written behind the name
};

// Reads the whole file of source (which must be a regular file below 4 GiB) and fills member:
// crc over the contents, lastWriteTime the file's modification time, originalSize its size,
// and the data stored or imploded as method asks. On failure returns false with the reason in
// error (the file concerned is source.path).
bool BuildMember(const MemberSource& source, PackMethod method, const ImplodeChoice& implode,
                 PackedMember* member, std::string* error);

// CRC-32 of size bytes as the archive records it: seeded with 0xFFFFFFFF, complemented at the end.
uint32_t ContentCrc32(const uint8_t* data, size_t size);
