// How every zbpack command writes a file: into a new temporary file beside the target, renamed
// onto the target only when complete, removed on every failure. The target is never opened
// for writing, so a failed or refused run leaves it as it was.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

struct OutputFile {
  std::string target;
  std::string tempPath;  // the file being written
  FILE* file = nullptr;  // open "wb+" on tempPath between Begin and Finish/Abandon
};

// Whether target names the same file as one of inputs (links and other spellings included).
// Returns the first such input's path, or an empty string. A target that does not exist yet
// clashes with nothing.
std::string FindOutputClash(const std::string& target, const std::vector<std::string>& inputs);

// Creates the temporary file. On failure returns false with the reason in error.
bool BeginOutput(const std::string& target, OutputFile* output, std::string* error);

// Closes the temporary file and renames it onto the target. On failure the temporary file is
// removed and false returned with the reason in error.
bool FinishOutput(OutputFile& output, std::string* error);

// Closes and removes the temporary file; the target stays as it was.
void AbandonOutput(OutputFile& output);
