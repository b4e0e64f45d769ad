#include "zbpack/operations/member_rules.h"

#include <vector>

#include "archive/member_name.h"
#include "zbpack/host/code_page.h"
#include "zbpack/host/code_page_tables.h"

namespace {

const char* FaultText(MemberNameFaultKind fault) {
  switch (fault) {
    case MemberNameFaultKind::kNone:
      return "";
    case MemberNameFaultKind::kEmpty:
      return "is empty";
    case MemberNameFaultKind::kEmptyPart:
      return "has an empty part (an absolute path, or a doubled or trailing separator)";
    case MemberNameFaultKind::kControlCharacter:
      return "contains a control character";
    case MemberNameFaultKind::kColon:
      return "contains ':' (a drive or a data stream)";
    case MemberNameFaultKind::kWildcardOrQuote:
      return "contains one of * ? \" < > |";
    case MemberNameFaultKind::kDotsAndBlanks:
      return "has a part of dots and blanks only (such as ..)";
    case MemberNameFaultKind::kDeviceName:
      return "names a device (CON, NUL, COM1, ...)";
  }
  return "is refused";
}

}  // namespace

std::string MemberNameProblem(const std::string& name, uint32_t codePage) {
  if (name.find('\0') != std::string::npos) return "contains a NUL byte";
  const MemberNameFaultKind fault = MemberNameFault(name.c_str());
  if (fault != MemberNameFaultKind::kNone) return FaultText(fault);
  const CodePageByte* table = CodePageBytes(codePage);
  for (const char c : name) {
    const uint16_t unit = table != nullptr ? table[static_cast<uint8_t>(c)].unit : 0;
    if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)) {
      return FaultText(MemberNameFaultKind::kControlCharacter);
    }
  }
  if (name.size() > kMaxMemberNameLength) {
    return "is longer than " + std::to_string(kMaxMemberNameLength) +
           " bytes (too long below a typical temporary folder)";
  }
  return "";
}

std::string WindowsFoldedName(const std::string& name, uint32_t codePage) {
  std::string trimmed = name;
  while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' ')) trimmed.pop_back();
  for (char& c : trimmed) {
    if (c == '/') c = '\\';  // both separate folders
  }
  return UppercaseAsWindows(trimmed, codePage);
}

NameClash AddMemberName(MemberNameSet& names, const std::string& stored, uint32_t index) {
  const std::string folded = WindowsFoldedName(stored, names.codePage);
  const auto sameFile = names.files.find(folded);
  if (sameFile != names.files.end()) return {NameClashKind::kSameFile, sameFile->second};
  const auto folderOfFile = names.folders.find(folded);
  if (folderOfFile != names.folders.end()) {
    return {NameClashKind::kFileAndFolder, folderOfFile->second};
  }
  std::vector<std::string> folders;
  for (size_t end = stored.find_first_of("\\/"); end != std::string::npos;
       end = stored.find_first_of("\\/", end + 1)) {
    folders.push_back(WindowsFoldedName(stored.substr(0, end), names.codePage));
    const auto fileOfFolder = names.files.find(folders.back());
    if (fileOfFolder != names.files.end()) {
      return {NameClashKind::kFileAndFolder, fileOfFolder->second};
    }
  }
  names.files.emplace(folded, index);
  for (const std::string& folder : folders) names.folders.emplace(folder, index);
  return {NameClashKind::kNone, 0};
}
