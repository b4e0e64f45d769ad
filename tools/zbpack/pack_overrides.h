// Field overrides of `zbpack pack --set FIELD=VALUE`: values written exactly as given in place of
// what the packer computed, so that tests can build every malformed archive. They change only
// the field's bytes, never how many bytes are written (an overstated storedSize stays
// overstated; the exception is member.K.name, which replaces the name bytes themselves).
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "archive/archive_format.h"

struct TrailerOverrides {
  std::optional<uint32_t> recordTag;
  std::optional<uint32_t> archiveOffset;
  std::optional<uint32_t> fileCount;
  std::optional<uint32_t> scriptIndex;
  std::optional<uint32_t> seaTag;
  std::optional<uint32_t> totalBytes;
  std::optional<std::string> productName;  // at most kProductNameSize bytes; all 256 = no NUL
};

struct MemberOverrides {
  std::optional<uint32_t> tag;
  std::optional<uint32_t> nameLength;
  std::optional<uint32_t> storedSize;
  std::optional<uint32_t> compressed;
  std::optional<uint32_t> originalSize;
  std::optional<uint32_t> crc;
  std::optional<uint64_t> lastWriteTime;
  std::optional<std::string> name;  // written with its NUL; nameLength follows unless set too
};

struct PackOverrides {
  std::optional<uint32_t> archiveTag;
  TrailerOverrides trailer;
  std::map<uint32_t, MemberOverrides> members;  // by 1-based member index
};

// Parses one "FIELD=VALUE" into overrides. Numbers are decimal or 0x-hex and must fit their
// field. Returns an empty string, or what is wrong with the text.
std::string ParseOverride(const std::string& text, PackOverrides* overrides);

// The members' overrides must name existing members: returns an empty string, or the complaint
// about the first index outside 1..memberCount.
std::string CheckOverrideIndexes(const PackOverrides& overrides, uint32_t memberCount);

// Replace the computed fields by the overridden ones. The name of a member travels with its
// header: nameBytes are the bytes written behind the header, NUL included.
void ApplyTrailerOverrides(const TrailerOverrides& overrides, SeaTrailer* trailer);
void ApplyMemberOverrides(const MemberOverrides& overrides, FileHeader* header,
                          std::string* nameBytes);
