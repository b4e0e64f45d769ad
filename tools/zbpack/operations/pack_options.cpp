#include "zbpack/operations/pack_options.h"

#include <cstdint>

std::string MemberNameOfPath(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint32_t ScriptIndexOf(const PackOptions& options) {
  if (!options.scriptMember) return 0;
  for (size_t i = 0; i < options.members.size(); ++i) {
    if (options.members[i].name == *options.scriptMember) return static_cast<uint32_t>(i + 1);
  }
  return 0;
}

std::string CheckPackMembers(const PackOptions& options) {
  if (options.members.empty()) return "no FILE to pack (the folders and lists hold none)";
  for (const MemberSource& member : options.members) {
    if (member.path.empty()) return "--as " + member.name + ": names no file";
    if (member.name.empty()) return "'" + member.path + "' gives an empty member name";
  }
  if (options.scriptMember && ScriptIndexOf(options) == 0) {
    return "--script: no member is named '" + *options.scriptMember + "'";
  }
  return "";
}
