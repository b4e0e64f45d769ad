// Screening of member names before anything is written: a name must stay inside the work
// directory and name a plain file there. The stub and the packer share these rules.
#pragma once

// Why a name is refused; kNone for a name that passes.
enum class MemberNameFaultKind {
  kNone,
  kEmpty,
  kEmptyPart,  // a leading, doubled or trailing separator (an absolute path, "dir\")
  kControlCharacter,
  kColon,            // a drive ("c:x") or an alternate data stream ("a:s")
  kWildcardOrQuote,  // one of * ? " < > |
  kDotsAndBlanks,    // a part of dots and blanks only, such as ".."
  kDeviceName,       // CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension
};

// kNone for a relative name whose components are all ordinary file names: not empty, no
// absolute path or drive letter, no "." or ".." (nor any component of dots and blanks alone,
// which Windows folds into them), no ':' (alternate data streams), no wildcard or control
// characters, no device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension),
// and no trailing separator. Both '\' and '/' separate components. A directory part is
// allowed: its folders are made below the work directory before the file. Otherwise the
// first fault found, from left to right. A null name counts as empty.
MemberNameFaultKind MemberNameFault(const char* name);

inline bool IsSafeMemberName(const char* name) {
  return MemberNameFault(name) == MemberNameFaultKind::kNone;
}
