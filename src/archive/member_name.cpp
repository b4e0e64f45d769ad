#include "archive/member_name.h"

#include <cctype>
#include <cstddef>
#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool EqualsNoCase(const char* a, size_t length, const char* b) {
  if (std::strlen(b) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
  }
  return true;
}

// Windows opens a device for these names whatever the extension: "nul.txt" is NUL. Trailing
// blanks before the extension are ignored too ("CON .txt").
bool IsDeviceName(const char* component, size_t length) {
  size_t stem = 0;
  while (stem < length && component[stem] != '.') ++stem;
  while (stem > 0 && component[stem - 1] == ' ') --stem;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsNoCase(component, stem, device)) return true;
  }
  if (stem == 4 && (EqualsNoCase(component, 3, "COM") || EqualsNoCase(component, 3, "LPT"))) {
    const unsigned char digit = static_cast<unsigned char>(component[3]);
    // COM1-9 and LPT1-9, and the superscript digits 1-3 (0xB9, 0xB2, 0xB3) that Windows also
    // treats as device numbers.
    if ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3) {
      return true;
    }
  }
  return false;
}

MemberNameFaultKind ComponentFault(const char* component, size_t length) {
  if (length == 0) return MemberNameFaultKind::kEmptyPart;
  bool onlyDotsAndBlanks = true;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(component[i]);
    if (c < 0x20) return MemberNameFaultKind::kControlCharacter;
    if (c == ':') return MemberNameFaultKind::kColon;
    if (std::strchr("*?\"<>|", c) != nullptr) return MemberNameFaultKind::kWildcardOrQuote;
    if (c != '.' && c != ' ') onlyDotsAndBlanks = false;
  }
  if (onlyDotsAndBlanks) return MemberNameFaultKind::kDotsAndBlanks;
  if (IsDeviceName(component, length)) return MemberNameFaultKind::kDeviceName;
  return MemberNameFaultKind::kNone;
}

}  // namespace

MemberNameFaultKind MemberNameFault(const char* name) {
  if (name == nullptr || name[0] == '\0') return MemberNameFaultKind::kEmpty;
  const char* start = name;
  for (const char* p = name;; ++p) {
    if (*p == '\0' || IsSeparator(*p)) {
      const MemberNameFaultKind fault = ComponentFault(start, size_t(p - start));
      if (fault != MemberNameFaultKind::kNone) return fault;
      if (*p == '\0') return MemberNameFaultKind::kNone;
      start = p + 1;
    }
  }
}
