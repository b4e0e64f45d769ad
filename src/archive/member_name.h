// Screening of member names before anything is written: a name must stay inside the work
// directory and name a plain file there.
#pragma once

// True for a relative name whose components are all ordinary file names: not empty, no
// absolute path or drive letter, no "." or ".." (nor any component of dots and blanks alone,
// which Windows folds into them), no ':' (alternate data streams), no wildcard or control
// characters, no device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension),
// and no trailing separator. Both '\' and '/' separate components. A directory part is
// allowed: the file is then created only if that directory already exists.
bool IsSafeMemberName(const char* name);
