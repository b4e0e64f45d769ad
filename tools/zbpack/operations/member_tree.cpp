#include "zbpack/operations/member_tree.h"

#include <algorithm>
#include <cstdio>

#include "archive/file_time.h"
#include "zbpack/host/host_files.h"
#include "zbpack/operations/member_rules.h"

namespace {

struct Walk {
  std::vector<MemberSource>* out;
  std::vector<std::string>* containers;  // each folder walked and list read, in order
  std::string* what;
  std::string* problem;
};

MemberSource FileSource(const std::string& name, const std::string& path) {
  MemberSource source;
  source.name = name;
  source.path = path;
  return source;
}

bool Fail(const Walk& walk, const std::string& what, const std::string& problem) {
  *walk.what = what;
  *walk.problem = problem;
  return false;
}

// Adds the files below the folder at path, named prefix + their relative name.
bool WalkFolder(const Walk& walk, const std::string& path, const std::string& prefix) {
  // Names this long are refused anyway; stopping here also bounds the depth of the walk.
  if (prefix.size() > kMaxMemberNameLength) {
    return Fail(
        walk, path,
        "member names below it are longer than " + std::to_string(kMaxMemberNameLength) + " bytes");
  }
  walk.containers->push_back(path);
  std::vector<HostDirEntry> entries;
  std::string reason;
  if (!ListHostDirectory(path, &entries, &reason))
    return Fail(walk, path, "cannot read folder: " + reason);
  if (entries.empty() && !prefix.empty()) {
    std::fflush(stdout);
    std::fprintf(stderr, "zbpack: %s: warning: empty folder, not stored (members are files)\n",
                 path.c_str());
  }
  for (const HostDirEntry& entry : entries) {
    const std::string entryPath = path + kPathSeparator + entry.name;
    switch (entry.kind) {
      case HostEntryKind::kFile:
      case HostEntryKind::kLinkToFile:
        walk.out->push_back(FileSource(prefix + entry.name, entryPath));
        break;
      case HostEntryKind::kDirectory:
        if (!WalkFolder(walk, entryPath, prefix + entry.name + "\\")) return false;
        break;
      case HostEntryKind::kLinkToDirectory:
        return Fail(walk, entryPath,
                    "is a link to a folder (not followed; name its target to pack it)");
      case HostEntryKind::kOther:
        return Fail(walk, entryPath, "neither a file nor a folder (or a broken link)");
    }
  }
  return true;
}

bool ExpandOne(const Walk& walk, const MemberSource& source, bool inList);

bool ExpandList(const Walk& walk, const std::string& listPath) {
  walk.containers->push_back(listPath);
  FILE* list = std::fopen(listPath.c_str(), "rb");
  if (list == nullptr) return Fail(walk, listPath, "cannot open the list");
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, list)) > 0) text.append(buffer, got);
  const bool readError = std::ferror(list) != 0;
  std::fclose(list);
  if (readError) return Fail(walk, listPath, "read error");
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!ExpandOne(walk, FileSource(MemberNameOfPath(line), line), true)) return false;
  }
  return true;
}

bool ExpandOne(const Walk& walk, const MemberSource& source, bool inList) {
  if (source.kind == MemberSourceKind::kListFile) {
    if (inList) return Fail(walk, source.path, "lists do not nest");
    return ExpandList(walk, source.path);
  }
  HostFileInfo info;
  std::string reason;
  // Anything but a folder is left to pack's own checks of each file.
  if (source.path.empty() || !QueryHostFile(source.path.c_str(), &info, &reason) ||
      !info.isDirectory) {
    walk.out->push_back(source);
    return true;
  }
  std::string path = source.path;
  while (path.size() > 1 && (path.back() == '/' || path.back() == kPathSeparator)) path.pop_back();
  const std::string prefix = source.kind == MemberSourceKind::kNamedPath ? source.name + "\\" : "";
  const size_t first = walk.out->size();
  if (!WalkFolder(walk, path, prefix)) return false;
  std::sort(walk.out->begin() + static_cast<std::ptrdiff_t>(first), walk.out->end(),
            [](const MemberSource& a, const MemberSource& b) { return a.name < b.name; });
  return true;
}

}  // namespace

bool ExpandMemberTree(std::vector<MemberSource>* members, std::vector<std::string>* containers,
                      std::string* what, std::string* problem) {
  std::vector<MemberSource> expanded;
  const Walk walk = {&expanded, containers, what, problem};
  for (const MemberSource& source : *members) {
    if (!ExpandOne(walk, source, false)) return false;
  }
  *members = std::move(expanded);
  return true;
}
