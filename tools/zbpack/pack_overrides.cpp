#include "zbpack/pack_overrides.h"

#include <cstring>
#include <limits>

#include "zbpack/cli_args.h"

namespace {

std::string Set32(const std::string& field, const std::string& text,
                  std::optional<uint32_t>* slot) {
  uint64_t value;
  if (!ParseNumber(text, std::numeric_limits<uint32_t>::max(), &value)) {
    return "--set " + field + ": '" + text + "' is not a 32-bit number";
  }
  *slot = static_cast<uint32_t>(value);
  return "";
}

std::string SetTrailerField(const std::string& field, const std::string& name,
                            const std::string& text, TrailerOverrides* trailer) {
  if (name == "recordTag") return Set32(field, text, &trailer->recordTag);
  if (name == "archiveOffset") return Set32(field, text, &trailer->archiveOffset);
  if (name == "fileCount") return Set32(field, text, &trailer->fileCount);
  if (name == "scriptIndex") return Set32(field, text, &trailer->scriptIndex);
  if (name == "seaTag") return Set32(field, text, &trailer->seaTag);
  if (name == "totalBytes") return Set32(field, text, &trailer->totalBytes);
  if (name == "productName") {
    if (text.size() > kProductNameSize) {
      return "--set " + field + ": longer than " + std::to_string(kProductNameSize) + " bytes";
    }
    trailer->productName = text;
    return "";
  }
  return "--set: unknown field '" + field + "'";
}

std::string SetMemberField(const std::string& field, const std::string& name,
                           const std::string& text, MemberOverrides* member) {
  if (name == "tag") return Set32(field, text, &member->tag);
  if (name == "nameLength") return Set32(field, text, &member->nameLength);
  if (name == "storedSize") return Set32(field, text, &member->storedSize);
  if (name == "compressed") return Set32(field, text, &member->compressed);
  if (name == "originalSize") return Set32(field, text, &member->originalSize);
  if (name == "crc") return Set32(field, text, &member->crc);
  if (name == "lastWriteTime") {
    uint64_t value;
    if (!ParseNumber(text, std::numeric_limits<uint64_t>::max(), &value)) {
      return "--set " + field + ": '" + text + "' is not a 64-bit number";
    }
    member->lastWriteTime = value;
    return "";
  }
  if (name == "name") {
    member->name = text;
    return "";
  }
  return "--set: unknown field '" + field + "'";
}

}  // namespace

std::string ParseOverride(const std::string& text, PackOverrides* overrides) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return "--set: expected FIELD=VALUE, got '" + text + "'";
  const std::string field = text.substr(0, equals);
  const std::string value = text.substr(equals + 1);

  if (field == "archiveTag") return Set32(field, value, &overrides->archiveTag);

  const std::string trailerPrefix = "trailer.";
  if (field.compare(0, trailerPrefix.size(), trailerPrefix) == 0) {
    return SetTrailerField(field, field.substr(trailerPrefix.size()), value, &overrides->trailer);
  }

  const std::string memberPrefix = "member.";
  if (field.compare(0, memberPrefix.size(), memberPrefix) == 0) {
    const size_t dot = field.find('.', memberPrefix.size());
    if (dot == std::string::npos) return "--set: unknown field '" + field + "'";
    const std::string indexText = field.substr(memberPrefix.size(), dot - memberPrefix.size());
    uint64_t index;
    if (!ParseNumber(indexText, std::numeric_limits<uint32_t>::max(), &index) || index == 0) {
      return "--set " + field + ": member index must be a number from 1";
    }
    MemberOverrides& member = overrides->members[static_cast<uint32_t>(index)];
    return SetMemberField(field, field.substr(dot + 1), value, &member);
  }
  return "--set: unknown field '" + field + "'";
}

std::string CheckOverrideIndexes(const PackOverrides& overrides, uint32_t memberCount) {
  for (const auto& entry : overrides.members) {
    if (entry.first > memberCount) {
      return "--set member." + std::to_string(entry.first) + ": there are only " +
             std::to_string(memberCount) + " members";
    }
  }
  return "";
}

void ApplyTrailerOverrides(const TrailerOverrides& overrides, SeaTrailer* trailer) {
  if (overrides.recordTag) trailer->recordTag = *overrides.recordTag;
  if (overrides.archiveOffset) trailer->archiveOffset = *overrides.archiveOffset;
  if (overrides.fileCount) trailer->fileCount = *overrides.fileCount;
  if (overrides.scriptIndex) trailer->scriptIndex = *overrides.scriptIndex;
  if (overrides.seaTag) trailer->seaTag = *overrides.seaTag;
  if (overrides.totalBytes) trailer->totalBytes = *overrides.totalBytes;
  if (overrides.productName) {
    std::memset(trailer->productName, 0, sizeof trailer->productName);
    std::memcpy(trailer->productName, overrides.productName->data(),
                overrides.productName->size());
  }
}

void ApplyMemberOverrides(const MemberOverrides& overrides, FileHeader* header,
                          std::string* nameBytes) {
  if (overrides.name) {
    *nameBytes = *overrides.name;
    nameBytes->push_back('\0');
    header->nameLength = static_cast<uint32_t>(nameBytes->size());
  }
  if (overrides.tag) header->tag = *overrides.tag;
  if (overrides.nameLength) header->nameLength = *overrides.nameLength;
  if (overrides.storedSize) header->storedSize = *overrides.storedSize;
  if (overrides.compressed) header->compressed = *overrides.compressed;
  if (overrides.originalSize) header->originalSize = *overrides.originalSize;
  if (overrides.crc) header->crc = *overrides.crc;
  if (overrides.lastWriteTime) header->lastWriteTime = *overrides.lastWriteTime;
}
