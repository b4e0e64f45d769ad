// One member written behind what the output holds: its header, name and data, the data read
// from the member's file through a fixed buffer and stored or imploded on the way.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/archive_format.h"
#include "zbpack/host_files.h"
#include "zbpack/member_lzma.h"
#include "zbpack/pack_options.h"

// Bytes per read from a member's file (and from the stub).
constexpr size_t kPackChunkSize = 65536;

// Why writing a member failed: the file concerned (the member's file or the output) and the
// message.
struct PackFailure {
  std::string what;
  std::string message;
};

// Appends the member of source (a regular file below 4 GiB, as info says; or its contents
// when source holds them, info.size then being their size) at output's end, named
// source.storedName.
// Its header gets crc over the contents, lastWriteTime the file's modification time,
// originalSize its size, and the data stored or imploded as method asks (auto: imploded only
// when that is smaller; the file is then read a second time to store it; lzma: through lzma,
// which is given for that method only). The header as written goes to written.
// output must be seekable: the header is written last, in front of the data.
bool WriteMemberFromFile(FILE* output, const MemberSource& source, const HostFileInfo& info,
                         PackMethod method, const ImplodeChoice& implode, PackLzma* lzma,
                         const std::string& outputPath,
                         FileHeader* written, PackFailure* failure);
