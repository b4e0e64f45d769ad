// Damage done on purpose to a finished installer, as `zbpack pack` wrote it, so that the tests
// can build every malformed archive: fields overwritten, bytes slipped in before the closing
// record, the file cut short. The words are those of the test command lines:
//   --set FIELD=VALUE    FIELD is archiveTag, trailer.recordTag, trailer.archiveOffset,
//                        trailer.fileCount, trailer.scriptIndex, trailer.seaTag,
//                        trailer.totalBytes, trailer.productName (raw text, up to 256 bytes),
//                        member.K.tag, .nameLength, .storedSize, .compressed, .originalSize,
//                        .crc, .lastWriteTime (64-bit) or .name (raw text, written with its NUL);
//                        K counts from 1, numbers are decimal or 0x-hex
//   --append-bytes HEX   raw bytes between the last member and the closing record
//   --truncate N         the file cut to N bytes (after everything else)
// A field changes only its own bytes, never how many bytes are written (an overstated
// storedSize stays overstated); the exception is member.K.name, which replaces the name bytes
// and, unless nameLength is set too, their length.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ArchiveDamage {
  // The fields set, under their --set names (K in decimal without leading zeros).
  std::map<std::string, uint64_t> numbers;   // each fits its field
  std::map<std::string, std::string> texts;  // trailer.productName, member.K.name
  uint32_t lastMemberSet = 0;                // the highest K set; 0 for none
  std::vector<uint8_t> appendBytes;
  std::optional<uint64_t> truncateSize;  // bytes
};

// Moves the damaging options, each with the argument after it, out of args (up to a "--")
// into damage; the other arguments stay in their order. "" or what is wrong.
std::string SplitDamageOptions(std::vector<std::string>* args, ArchiveDamage* damage);

// Rewrites the installer at path with damage done: its stub, archive tag and members are read
// with the sizes the file states (it must be undamaged), written back changed, the appended
// bytes and the closing record behind them, the PE checksum stamped again, then the cut.
// "" or why the file was left alone (unreadable, not an archive, a member index past the end).
std::string DamageInstaller(const std::string& path, const ArchiveDamage& damage);
