#include "zbpack/operations/pack_depfile.h"

#include "zbpack/host/output_file.h"

namespace {

// A path as a Makefile rule's word: blanks and '#' escaped with '\', '$' doubled.
std::string MakeWord(const std::string& path) {
  std::string word;
  for (const char c : path) {
    if (c == ' ' || c == '\t' || c == '#') word += '\\';
    if (c == '$') word += '$';
    word += c;
  }
  return word;
}

}  // namespace

std::string WritePackDepfile(const std::string& path, const std::string& target,
                             const std::vector<std::string>& inputs) {
  std::string text = MakeWord(target) + ":";
  for (const std::string& input : inputs) text += " \\\n  " + MakeWord(input);
  text += "\n";
  OutputFile output;
  std::string reason;
  if (!BeginOutput(path, &output, &reason)) return "cannot create: " + reason;
  if (std::fwrite(text.data(), 1, text.size(), output.file) != text.size()) {
    AbandonOutput(output);
    return "write error";
  }
  return FinishOutput(output, &reason) ? "" : reason;
}
