// LZMA members through the extraction code that the stub runs, with liblzma as the encoder:
// damaged streams, and members that continue a stream that is not there, each a clear result.
#include <gtest/gtest.h>
#include <lzma.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/extract_member.h"
#include "explode/explode.h"
#include "test_archive.h"
#include "test_inputs.h"

namespace {

// One solid stream through parts: the data of each member (the first with the dictionary
// byte), each ended by a sync flush, as zbpack writes them. The literal and position bits are
// not zbpack's: lc 2, lp 2, pb 4 (properties byte 200) use the most position bits the format
// allows, which zbpack's own streams never reach.
std::vector<Bytes> EncodeSolid(const std::vector<Bytes>& parts) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 6);
  options.dict_size = 1 << 16;
  options.lc = 2;
  options.lp = 2;
  options.pb = 4;
  lzma_filter filters[2] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  uint8_t dictionaryByte = 0;
  lzma_stream stream = LZMA_STREAM_INIT;
  EXPECT_EQ(LZMA_OK, lzma_properties_encode(filters, &dictionaryByte));
  EXPECT_EQ(LZMA_OK, lzma_raw_encoder(&stream, filters));
  std::vector<Bytes> members;
  for (const Bytes& part : parts) {
    Bytes out(part.size() + 4096);
    stream.next_in = part.data();
    stream.avail_in = part.size();
    stream.next_out = out.data();
    stream.avail_out = out.size();
    EXPECT_EQ(LZMA_OK, lzma_code(&stream, LZMA_RUN));
    EXPECT_EQ(LZMA_STREAM_END, lzma_code(&stream, LZMA_SYNC_FLUSH));
    out.resize(out.size() - stream.avail_out);
    if (members.empty()) out.insert(out.begin(), dictionaryByte);
    members.push_back(out);
  }
  lzma_end(&stream);
  return members;
}

Bytes Text(size_t size, char seed) {
  Bytes text(size);
  for (size_t i = 0; i < size; ++i) text[i] = uint8_t("lzma member "[i % 12] + (i / 97 % 3) + seed);
  return text;
}

struct DamageCase {
  const char* what;
  std::vector<uint32_t> methods;  // compressed, per member
  size_t member;                  // 0-based member to damage
  int64_t offset;                 // data byte to change; negative: cut that many bytes off
  uint8_t value;                  // the byte written at offset
  std::vector<ResultCode> results;
};

class LzmaMembers : public testing::TestWithParam<DamageCase> {};

TEST_P(LzmaMembers, ExtractWithTheResultOfEachMember) {
  const DamageCase& c = GetParam();
  // Member 2's random bytes go as uncompressed chunks, and its text then as a chunk that
  // resets the state without new properties (control byte 0xA0).
  Bytes random = RandomBytes(70000, 5);
  random.insert(random.end(), 3000, 'x');
  const std::vector<Bytes> parts = {Text(70000, 0), random};
  std::vector<Bytes> data = EncodeSolid(parts);
  if (c.methods[0] == kStoredMember) data[0] = parts[0];
  if (c.offset < 0) {
    data[c.member].resize(size_t(int64_t(data[c.member].size()) + c.offset));
  } else if (c.offset < int64_t(data[c.member].size())) {
    data[c.member][size_t(c.offset)] = c.value;
  }
  std::vector<TestMember> members(2);
  for (size_t i = 0; i < 2; ++i) {
    members[i].name = "m" + std::to_string(i);
    members[i].compressed = c.methods[i];
    members[i].crc = Crc32Of(parts[i]);
    members[i].data = data[i];
    members[i].originalSizeOverride = int64_t(parts[i].size());
  }
  ScratchDir scratch;
  ScratchDir work;
  const std::string path =
      scratch.Write("setup.exe", BuildArchive(Bytes(16, 0x90), members, 0, "P"));
  ArchiveReader reader;
  MemberTransfer transfer;
  WorkDirectory dir;
  transfer.work = static_cast<uint8_t*>(std::malloc(kExplodeWorkSize));
  std::strcpy(dir.path, work.Path("").c_str());
  dir.length = uint32_t(work.Path("").size());
  reader.exePath = path.c_str();
  ASSERT_EQ(kNoError, OpenArchiveFile(reader));
  ASSERT_EQ(kNoError, ReadSeaTrailer(reader));
  ASSERT_EQ(kNoError, ReadArchiveTag(reader));
  // Each member from its own header, also behind a failed one.
  long start = std::ftell(reader.archiveFile);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    reader.currentIndex = uint32_t(i + 1);
    EXPECT_EQ(c.results[i], ExtractMember(reader, transfer, dir));
    start += long(32 + members[i].name.size() + 1 + members[i].data.size());
    std::fseek(reader.archiveFile, start, SEEK_SET);
    if (c.results[i] == kNoError) {
      EXPECT_EQ(parts[i], ReadFileBytes(work.Path(members[i].name)));
    }
  }
  std::fclose(reader.archiveFile);
}

constexpr ResultCode kOk = kNoError;
constexpr ResultCode kBad = kArchiveCorrupted;
INSTANTIATE_TEST_SUITE_P(
    Streams, LzmaMembers,
    testing::Values(
        DamageCase{"whole solid stream", {2, 3}, 0, 1 << 30, 0, {kOk, kOk}},
        // Member data: dictionary byte, control, 2 bytes unpacked, 2 bytes packed, properties.
        DamageCase{"bad properties byte", {2, 2}, 0, 6, 225, {kBad, kBad}},
        DamageCase{"dictionary at the limit (64 MiB)", {2, 3}, 0, 0, 28, {kOk, kOk}},
        DamageCase{"dictionary over the limit (96 MiB)", {2, 3}, 0, 0, 29, {kBad, kBad}},
        DamageCase{"cut stream", {2, 3}, 1, -2, 0, {kOk, kBad}},
        DamageCase{"flipped byte, its successor unchecked", {2, 3}, 0, 20, 0x5A, {kBad, kBad}},
        DamageCase{"continuing after a stored member", {0, 3}, 0, 1 << 30, 0, {kOk, kBad}},
        DamageCase{"continuing as the first member", {3, 3}, 0, 1 << 30, 0, {kBad, kBad}}),
    [](const testing::TestParamInfo<DamageCase>& param) {
      std::string name = param.param.what;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

}  // namespace
