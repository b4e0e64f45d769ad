#include "zbpack/member_rules.h"

#include "archive/member_name.h"

namespace {

const char* FaultText(MemberNameFaultKind fault) {
  switch (fault) {
    case MemberNameFaultKind::kNone: return "";
    case MemberNameFaultKind::kEmpty: return "is empty";
    case MemberNameFaultKind::kEmptyPart:
      return "has an empty part (an absolute path, or a doubled or trailing separator)";
    case MemberNameFaultKind::kControlCharacter: return "contains a control character";
    case MemberNameFaultKind::kColon: return "contains ':' (a drive or a data stream)";
    case MemberNameFaultKind::kWildcardOrQuote: return "contains one of * ? \" < > |";
    case MemberNameFaultKind::kDotsAndBlanks: return "has a part of dots and blanks only (such as ..)";
    case MemberNameFaultKind::kDeviceName: return "names a device (CON, NUL, COM1, ...)";
  }
  return "is refused";
}

}  // namespace

std::string MemberNameProblem(const std::string& name) {
  if (name.find('\0') != std::string::npos) return "contains a NUL byte";
  const MemberNameFaultKind fault = MemberNameFault(name.c_str());
  if (fault != MemberNameFaultKind::kNone) return FaultText(fault);
  if (name.find_first_of("\\/") != std::string::npos) {
    return "has a directory part (the installer creates no folders)";
  }
  if (name.size() > kMaxMemberNameLength) {
    return "is longer than " + std::to_string(kMaxMemberNameLength) +
           " bytes (too long below a typical temporary folder)";
  }
  return "";
}

std::string WindowsFoldedName(const std::string& name) {
  std::string folded = name;
  while (!folded.empty() && (folded.back() == '.' || folded.back() == ' ')) folded.pop_back();
  for (char& c : folded) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 'a' && byte <= 'z') {
      c = static_cast<char>(byte - 0x20);
    } else if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) {  // a-grave .. thorn, not the division sign
      c = static_cast<char>(byte - 0x20);
    } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) {  // s, oe, z with caron/ligature
      c = static_cast<char>(byte - 0x10);
    } else if (byte == 0xFF) {  // y with diaeresis
      c = static_cast<char>(0x9F);
    }
  }
  return folded;
}
