#include "archive_damage.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include "archive/archive_format.h"
#include "archive/pe_image.h"
#include "scratch_dir.h"
#include "zbpack/host/number_text.h"  // the damage words take zbpack's numbers

namespace {

// The 32-bit fields of the records under their --set names.
constexpr std::pair<const char*, uint32_t SeaTrailer::*> kTrailerFields[] = {
    {"recordTag", &SeaTrailer::recordTag}, {"archiveOffset", &SeaTrailer::archiveOffset},
    {"fileCount", &SeaTrailer::fileCount}, {"scriptIndex", &SeaTrailer::scriptIndex},
    {"seaTag", &SeaTrailer::seaTag},       {"totalBytes", &SeaTrailer::totalBytes},
};
constexpr std::pair<const char*, uint32_t FileHeader::*> kMemberFields[] = {
    {"tag", &FileHeader::tag},
    {"nameLength", &FileHeader::nameLength},
    {"storedSize", &FileHeader::storedSize},
    {"compressed", &FileHeader::compressed},
    {"originalSize", &FileHeader::originalSize},
    {"crc", &FileHeader::crc},
};

template <typename Table>
bool Names(const Table& table, const std::string& name) {
  for (const auto& entry : table) {
    if (name == entry.first) return true;
  }
  return false;
}

enum class FieldType { kUnknown, k32, k64, kText };

// A member field's type by its name after "member.K.".
FieldType MemberFieldType(const std::string& name) {
  if (name == "name") return FieldType::kText;
  if (name == "lastWriteTime") return FieldType::k64;
  return Names(kMemberFields, name) ? FieldType::k32 : FieldType::kUnknown;
}

FieldType FieldTypeOf(const std::string& field) {
  if (field == "archiveTag") return FieldType::k32;
  if (field == "trailer.productName") return FieldType::kText;
  if (field.compare(0, 8, "trailer.") != 0) return FieldType::kUnknown;
  return Names(kTrailerFields, field.substr(8)) ? FieldType::k32 : FieldType::kUnknown;
}

// "member.K.NAME": K into *index, the key with K normalized into *key, the type into *type.
// "" or the complaint about K.
std::string ReadMemberField(const std::string& field, uint32_t* index, std::string* key,
                            FieldType* type) {
  const size_t dot = field.find('.', 7);
  if (dot == std::string::npos) return "";
  uint64_t k;
  if (!ParseNumber(field.substr(7, dot - 7), std::numeric_limits<uint32_t>::max(), &k) || k == 0) {
    return "--set " + field + ": member index must be a number from 1";
  }
  *index = static_cast<uint32_t>(k);
  *key = "member." + std::to_string(k) + field.substr(dot);
  *type = MemberFieldType(field.substr(dot + 1));
  return "";
}

// One "FIELD=VALUE" of --set.
std::string SetField(const std::string& text, ArchiveDamage* damage) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return "--set: expected FIELD=VALUE, got '" + text + "'";
  const std::string field = text.substr(0, equals);
  const std::string value = text.substr(equals + 1);
  std::string key = field;
  uint32_t index = 0;
  FieldType type = FieldTypeOf(field);
  if (field.compare(0, 7, "member.") == 0) {
    const std::string problem = ReadMemberField(field, &index, &key, &type);
    if (!problem.empty()) return problem;
  }
  if (type == FieldType::kUnknown) return "--set: unknown field '" + field + "'";
  if (type == FieldType::kText) {
    if (key == "trailer.productName" && value.size() > kProductNameSize) {
      return "--set " + field + ": longer than " + std::to_string(kProductNameSize) + " bytes";
    }
    damage->texts[key] = value;
  } else {
    const bool wide = type == FieldType::k64;
    uint64_t number = 0;
    if (!ParseNumber(value, wide ? UINT64_MAX : UINT32_MAX, &number)) {
      return "--set " + field + ": '" + value + "' is not a " + (wide ? "64" : "32") +
             "-bit number";
    }
    damage->numbers[key] = number;
  }
  if (index > damage->lastMemberSet) damage->lastMemberSet = index;
  return "";
}

bool ParseHexBytes(const std::string& text, Bytes* bytes) {
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    uint64_t byte;
    if (!ParseNumber("0x" + text.substr(i, 2), 0xFF, &byte)) return false;
    bytes->push_back(static_cast<uint8_t>(byte));
  }
  return true;
}

bool IsDamageOption(const std::string& option) {
  return option == "--set" || option == "--append-bytes" || option == "--truncate";
}

// One damaging option with its value added to damage. "" or what is wrong with them.
std::string TakeDamageOption(const std::string& option, const std::string& value,
                             ArchiveDamage* damage) {
  if (option == "--set") return SetField(value, damage);
  if (option == "--append-bytes") {
    if (ParseHexBytes(value, &damage->appendBytes)) return "";
    return "--append-bytes needs pairs of hex digits, not '" + value + "'";
  }
  uint64_t size;  // --truncate
  if (!ParseNumber(value, std::numeric_limits<uint64_t>::max(), &size)) {
    return "--truncate needs a byte count, not '" + value + "'";
  }
  damage->truncateSize = size;
  return "";
}

}  // namespace

std::string SplitDamageOptions(std::vector<std::string>* args, ArchiveDamage* damage) {
  std::vector<std::string> kept;
  for (size_t i = 0; i < args->size(); ++i) {
    const std::string& arg = (*args)[i];
    if (arg == "--") {
      kept.insert(kept.end(), args->begin() + static_cast<long>(i), args->end());
      break;
    }
    if (!IsDamageOption(arg)) {
      kept.push_back(arg);
      continue;
    }
    if (i + 1 == args->size()) return arg + " needs a value";
    const std::string problem = TakeDamageOption(arg, (*args)[++i], damage);
    if (!problem.empty()) return problem;
  }
  *args = kept;
  return "";
}

namespace {

// Writes the number set under key, if any, into *field.
void SetIfGiven(const ArchiveDamage& damage, const std::string& key, uint32_t* field) {
  const auto found = damage.numbers.find(key);
  if (found != damage.numbers.end()) *field = static_cast<uint32_t>(found->second);
}

void DamageTrailer(const ArchiveDamage& damage, SeaTrailer* trailer) {
  for (const auto& [name, field] : kTrailerFields) {
    SetIfGiven(damage, std::string("trailer.") + name, &(trailer->*field));
  }
  const auto product = damage.texts.find("trailer.productName");
  if (product != damage.texts.end()) {
    std::memset(trailer->productName, 0, sizeof trailer->productName);
    std::memcpy(trailer->productName, product->second.data(), product->second.size());
  }
}

// prefix: "member.K."; nameBytes: the bytes behind the header, NUL included. A set nameLength
// wins over the set name's.
void DamageMember(const ArchiveDamage& damage, const std::string& prefix, FileHeader* header,
                  std::string* nameBytes) {
  const auto name = damage.texts.find(prefix + "name");
  if (name != damage.texts.end()) {
    *nameBytes = name->second;
    nameBytes->push_back('\0');
    header->nameLength = static_cast<uint32_t>(nameBytes->size());
  }
  for (const auto& [fieldName, field] : kMemberFields) {
    SetIfGiven(damage, prefix + fieldName, &(header->*field));
  }
  const auto time = damage.numbers.find(prefix + "lastWriteTime");
  if (time != damage.numbers.end()) header->lastWriteTime = time->second;
}

// Copies member index (1-based) whose header starts at *at to out, damaged, and moves *at
// behind it; the records end at end, where the closing record begins. False when the member's
// sizes overrun end.
bool CopyMember(const Bytes& file, size_t end, const ArchiveDamage& damage, uint32_t index,
                size_t* at, Bytes* out) {
  if (end - *at < kFileHeaderSize) return false;
  uint8_t record[kFileHeaderSize];
  std::memcpy(record, &file[*at], kFileHeaderSize);
  FileHeader header;
  DecodeFileHeader(record, &header);
  const size_t nameAt = *at + kFileHeaderSize;
  if (end - nameAt < uint64_t{header.nameLength} + header.storedSize) return false;
  const size_t dataAt = nameAt + header.nameLength;
  std::string nameBytes(file.begin() + static_cast<long>(nameAt),
                        file.begin() + static_cast<long>(dataAt));
  *at = dataAt + header.storedSize;
  DamageMember(damage, "member." + std::to_string(index) + ".", &header, &nameBytes);
  EncodeFileHeader(header, record);
  out->insert(out->end(), record, record + kFileHeaderSize);
  out->insert(out->end(), nameBytes.begin(), nameBytes.end());
  out->insert(out->end(), file.begin() + static_cast<long>(dataAt),
              file.begin() + static_cast<long>(*at));
  return true;
}

// The checksum over the whole file, as pack stamps it. False when file is no program.
bool StampPeChecksum(Bytes* file) {
  PeMemory memory = {file->data(), file->size()};
  PeHeaders headers;
  if (!ReadPeHeaders(file->size(), ReadPeMemory, &memory, &headers)) return false;
  StoreLE32(&(*file)[PeChecksumOffset(headers)], 0);
  PeChecksum checksum;
  AddPeChecksumBytes(&checksum, file->data(), file->size());
  StoreLE32(&(*file)[PeChecksumOffset(headers)], FinishPeChecksum(checksum));
  return true;
}

}  // namespace

std::string DamageInstaller(const std::string& path, const ArchiveDamage& damage) {
  const Bytes file = ReadFileBytes(path);
  if (file.size() < kSeaTrailerSize + 4) return path + ": missing, or too short for an archive";
  const size_t end = file.size() - kSeaTrailerSize;  // where the closing record begins
  uint8_t record[kSeaTrailerSize];
  std::memcpy(record, &file[end], kSeaTrailerSize);
  SeaTrailer trailer;
  DecodeSeaTrailer(record, &trailer);
  if (damage.lastMemberSet > trailer.fileCount) {
    return "--set member." + std::to_string(damage.lastMemberSet) + ": there are only " +
           std::to_string(trailer.fileCount) + " members";
  }
  if (trailer.archiveOffset > end - 4) return path + ": the archive starts past its end";
  size_t at = trailer.archiveOffset;
  Bytes out(file.begin(), file.begin() + static_cast<long>(at) + 4);
  uint32_t tag = LoadLE32(&out[at]);
  SetIfGiven(damage, "archiveTag", &tag);
  StoreLE32(&out[at], tag);
  at += 4;
  for (uint32_t k = 1; k <= trailer.fileCount; ++k) {
    if (!CopyMember(file, end, damage, k, &at, &out)) {
      return path + ": member " + std::to_string(k) + " overruns the closing record";
    }
  }
  if (at != end) return path + ": bytes stand between the last member and the closing record";
  out.insert(out.end(), damage.appendBytes.begin(), damage.appendBytes.end());
  DamageTrailer(damage, &trailer);
  EncodeSeaTrailer(trailer, record);
  out.insert(out.end(), record, record + kSeaTrailerSize);
  if (!StampPeChecksum(&out)) return path + ": not a program";
  if (damage.truncateSize && *damage.truncateSize < out.size()) {
    out.resize(static_cast<size_t>(*damage.truncateSize));
  }
  WriteFileBytes(path, out);
  return ReadFileBytes(path) == out ? "" : path + ": cannot write";
}
