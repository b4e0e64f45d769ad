// The entries that extraction makes in the work directory: each member's folders and file,
// always made new, never opened through a link or taken over from someone else. One
// implementation per platform.
#pragma once
#include <cstdio>

#include "archive/made_entries.h"

// Makes path (a NUL-terminated full path) a new folder and records it in made, or accepts it
// when it already is a folder that made holds (made for an earlier member). False for anything
// else that stands there (a file, a link, a folder of someone else's) or a folder that cannot
// be made.
bool MakeMemberFolder(const char* path, MadeEntries& made);

// Creates path as a new file (nothing may stand there, not even a link) and records it in made.
// Returns its stream, open for writing in binary mode, or null.
FILE* CreateMemberFile(const char* path, MadeEntries& made);

// The identity of an open file or folder handle (a Windows HANDLE). False when it cannot be read.
#ifdef _WIN32
bool IdentityOfHandle(void* handle, FileIdentity* id);
#endif
