#include "zbpack/host/output_file.h"

#include "zbpack/host/host_files.h"

std::string FindOutputClash(const std::string& target, const std::vector<std::string>& inputs) {
  HostFileId targetId;
  if (!QueryHostFileId(target.c_str(), &targetId)) return "";
  for (const std::string& input : inputs) {
    HostFileId inputId;
    if (QueryHostFileId(input.c_str(), &inputId) && inputId == targetId) return input;
  }
  return "";
}

bool BeginOutput(const std::string& target, OutputFile* output, std::string* error) {
  output->target = target;
  output->file = CreateTempBeside(target, &output->tempPath, error);
  return output->file != nullptr;
}

bool FinishOutput(OutputFile& output, std::string* error) {
  const bool flushed = std::fflush(output.file) == 0 && std::ferror(output.file) == 0;
  const bool closed = std::fclose(output.file) == 0;
  output.file = nullptr;
  if (!flushed || !closed) {
    *error = "write error";
  } else if (ReplaceHostFile(output.tempPath, output.target, error)) {
    return true;
  }
  std::remove(output.tempPath.c_str());
  return false;
}

void AbandonOutput(OutputFile& output) {
  if (output.file != nullptr) std::fclose(output.file);
  output.file = nullptr;
  if (!output.tempPath.empty()) std::remove(output.tempPath.c_str());
}
