// One folder of a member's path inside the work directory, made or accepted without ever
// going through a link. One implementation per platform.
#pragma once

// True when path (a NUL-terminated full path) is a real folder: made now, or existing as a
// folder that is no link (junction, symbolic link or other reparse point). False when it
// exists as a file or a link, or cannot be made.
bool MakeMemberFolder(const char* path);
