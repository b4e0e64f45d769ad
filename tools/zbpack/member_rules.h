// What a member name must be for the installer to create exactly that file: the stub's own
// rules (MemberNameFault, shared with the stub), plus what only a look at the whole archive or
// the target machine shows.
#pragma once
#include <cstddef>
#include <string>

// Longest member name zbpack accepts, in bytes without the NUL. The installer composes
// "<temporary directory>\ZubrexInstall\<name>" in a 260-byte path: 259 characters. A typical
// temporary directory, "C:\Users\<user>\AppData\Local\Temp\", takes 29 characters plus the
// user's folder name; with "ZubrexInstall\" (14) a bound of 160 leaves room for folder names of
// up to 56 characters.
constexpr size_t kMaxMemberNameLength = 160;

// Empty, or why the installer cannot create a member of this name: the stub's rules; a
// directory part (the installer creates no folders, so the file could not be created); longer
// than kMaxMemberNameLength.
std::string MemberNameProblem(const std::string& name);

// The name as Windows compares file names: letters folded to upper case (ASCII, and the
// letters of the Western ANSI code page 1252), trailing dots and blanks dropped (Windows
// drops them when it creates a file). Two members with equal folded names are one file.
std::string WindowsFoldedName(const std::string& name);
