// What verify checks of the program in front of the archive: PE headers that add up (sections
// in order, inside the program, sized as the headers say; the program ending where the archive
// begins) and a resource tree that reads (resource_tree.h).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

// file opened "rb", fileSize bytes; archiveOffset from the closing record. Empty, or the first
// fault found. Moves the stream.
std::string ProgramProblem(FILE* file, uint64_t fileSize, uint32_t archiveOffset);
