// One member written behind what the output holds: its header, name and data, the data read
// from the member's file through a fixed buffer and stored or imploded on the way.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "archive/archive_format.h"
#include "zbpack/host/host_files.h"
#include "zbpack/operations/member_lzma.h"
#include "zbpack/operations/pack_options.h"
#include "zbpack/operations/work_observer.h"

// Bytes per read from a member's file (and from the stub).
constexpr size_t kPackChunkSize = 65536;

// Why writing a member failed: the file concerned (the member's file or the output) and the
// message.
struct PackFailure {
  std::string what;
  std::string message;
};

// What is the same for every member of one pack.
struct MemberWriting {
  FILE* output = nullptr;  // seekable: each header is written last, in front of its data
  std::string outputPath;  // names the output in failures
  PackMethod method = PackMethod::kAuto;
  ImplodeChoice implode;
  PackLzma* lzma = nullptr;  // the run's LZMA encoder, given for PackMethod::kLzma only
  WorkObserver observer;     // sees the bytes of each member as they are read
};

// One member to write: where its bytes come from and what its file said.
struct MemberInput {
  const MemberSource* source;  // a regular file below 4 GiB, or its converted contents
  const HostFileInfo* info;    // info->size is the contents' size when source holds them
};

// Appends the member at the output's end, named source.storedName. Its header gets crc over
// the contents, lastWriteTime the file's modification time, originalSize its size, and the
// data stored or imploded as the method asks (auto: imploded only when that is smaller; the
// file is then read a second time to store it; lzma: through the run's encoder). The header as
// written goes to written. False with failure filled.
bool WriteMemberFromFile(const MemberWriting& writing, const MemberInput& member,
                         FileHeader* written, PackFailure* failure);
