// zbpack implode / explode: the codec on plain files, streamed in bounded blocks so that files
// of any size pass with constant memory. "-" names stdin or stdout.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "explode/explode.h"
#include "implode/implode.h"
#include "implode/implode_all.h"
#include "zbpack/cli_args.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"
#include "zbpack/output_file.h"
#include "zbpack/pack_options.h"

namespace {


// One end of a transfer: a named file or a standard stream, closed by its owner through
// CloseInput or CloseOutput. A named output is written beside its target and renamed into place only when
// complete (OutputFile), so a failed run leaves the target as it was.
struct Stream {
  std::string name;  // as the user wrote it; "-" for stdin/stdout
  FILE* file = nullptr;
  bool standard = false;
  OutputFile output;  // a named output's temporary file
};

bool OpenInput(const char* path, Stream* stream) {
  stream->name = path;
  if (std::strcmp(path, "-") == 0) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    stream->file = stdin;
    stream->standard = true;
    return true;
  }
  stream->file = std::fopen(path, "rb");
  return stream->file != nullptr;
}

// Refuses an output that is the input file itself (by identity, whatever the spelling), before
// anything is written. On failure returns false with the reason in error.
bool OpenOutput(const char* path, const char* inputPath, Stream* stream, std::string* error) {
  stream->name = path;
  if (std::strcmp(path, "-") == 0) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    stream->file = stdout;
    stream->standard = true;
    return true;
  }
  if (!FindOutputClash(path, {inputPath}).empty()) {
    *error = "is the same file as the input (nothing written)";
    return false;
  }
  if (!BeginOutput(path, &stream->output, error)) return false;
  stream->file = stream->output.file;
  return true;
}

// Closes an input.
void CloseInput(Stream& stream) {
  if (!stream.standard) std::fclose(stream.file);
  stream.file = nullptr;
}

// Ends an output: a named one is renamed onto its target when complete is set and everything
// was written, else removed. Returns false when the output is not complete and in place.
bool CloseOutput(Stream& stream, bool complete) {
  if (stream.standard) {
    return std::fflush(stream.file) == 0 && std::ferror(stream.file) == 0 && complete;
  }
  stream.file = nullptr;
  std::string reason;
  if (complete) return FinishOutput(stream.output, &reason);
  AbandonOutput(stream.output);
  return false;
}

std::string SystemReason() { return std::strerror(errno); }

// The encoder's source: the input file, until its end or a read error.
struct ReadFile {
  FILE* file;
  bool failed;
};

size_t ReadSome(uint8_t* buffer, size_t size, void* userData) {
  auto* input = static_cast<ReadFile*>(userData);
  const size_t got = std::fread(buffer, 1, size, input->file);
  if (got < size && std::ferror(input->file) != 0) input->failed = true;
  return input->failed ? 0 : got;
}

// Writes for the encoder; a refused block stops the encoder.
bool WriteEncoded(const uint8_t* data, uint32_t size, void* userData) {
  FILE* file = static_cast<FILE*>(userData);
  return std::fwrite(data, 1, size, file) == size;
}

struct ImplodeArguments {
  ImplodeSettings settings;
  const char* input = nullptr;
  const char* output = nullptr;
};

// Returns 0 when the arguments are complete, else the usage exit code (after reporting).
int ParseImplodeArguments(int argc, char** argv, ImplodeArguments* args) {
  const char* files[2] = {nullptr, nullptr};
  int fileCount = 0;
  ArgReader reader(argc, argv);
  while (reader.Next()) {
    const std::string& option = reader.option();
    if (option == "--binary" || option == "--ascii") {
      if (!reader.Flag()) return ReportUsage("implode", reader.error());
      args->settings.mode = option == "--ascii" ? 1 : 0;
    } else if (option == "--dict" || option == "--level" || option == "--threads") {
      std::string text;
      if (!reader.Value(&text)) return ReportUsage("implode", reader.error());
      ImplodeChoice choice;
      const std::string problem = ParseImplodeOption(option, text, &choice);
      if (!problem.empty()) return ReportUsage("implode", problem);
      if (option == "--dict") {
        args->settings.dictBits = ImplodeDictBits(choice.dictionarySize);
      } else if (option == "--threads") {
        args->settings.threads = choice.threads;
      } else {
        args->settings.level = static_cast<uint8_t>(*choice.level);
      }
    } else if (!option.empty()) {
      return ReportUsage("implode", "unknown option '" + option + "'");
    } else if (fileCount < 2) {
      // Points into argv, which outlives the command.
      files[fileCount++] = argv[reader.index()];
    } else {
      return ReportUsage("implode", "too many arguments");
    }
  }
  if (fileCount != 2) return ReportUsage("implode", "needs IN and OUT");
  args->input = files[0];
  args->output = files[1];
  return 0;
}

// Explode's callbacks over the two files. A failed write is remembered and later output
// dropped, since the decoder cannot be stopped from inside a write.
struct ExplodeFiles {
  FILE* input;
  FILE* output;
  bool readFailed;
  bool writeFailed;
};

uint32_t ReadCompressed(uint8_t* buffer, uint32_t* size, void* userData) {
  auto* files = static_cast<ExplodeFiles*>(userData);
  const size_t got = std::fread(buffer, 1, *size, files->input);
  if (got < *size && std::ferror(files->input)) files->readFailed = true;
  return static_cast<uint32_t>(got);
}

void WriteDecoded(uint8_t* buffer, uint32_t* size, void* userData) {
  auto* files = static_cast<ExplodeFiles*>(userData);
  if (files->writeFailed || *size == 0) return;
  if (std::fwrite(buffer, 1, *size, files->output) != *size) files->writeFailed = true;
}

const char* DescribeExplodeResult(uint32_t result) {
  switch (result) {
    case CMP_INVALID_DICTSIZE: return "not an implode stream: dictionary byte is not 4, 5 or 6";
    case CMP_INVALID_MODE: return "not an implode stream: literal mode byte is neither 0 nor 1";
    case CMP_BAD_DATA: return "not an implode stream: shorter than 5 bytes";
    case CMP_ABORT: return "compressed data ends inside a symbol (truncated or corrupt)";
    default: return "unknown decoder result";
  }
}

}  // namespace

int RunImplodeCommand(int argc, char** argv) {
  ImplodeArguments args;
  args.settings.threads = 0;  // all cores unless --threads says otherwise
  if (const int usage = ParseImplodeArguments(argc, argv, &args)) return usage;

  Stream in;
  if (!OpenInput(args.input, &in)) return ReportFailure(args.input, SystemReason());
  Stream out;
  std::string reason;
  if (!OpenOutput(args.output, args.input, &out, &reason)) {
    CloseInput(in);
    return ReportFailure(args.output, reason);
  }
  ReadFile source = {in.file, false};
  const bool writeOk = ImplodeAll(args.settings, ReadSome, &source, WriteEncoded, out.file);
  const bool readFailed = source.failed;
  CloseInput(in);
  const bool closed = CloseOutput(out, writeOk && !readFailed);
  if (readFailed) return ReportFailure(args.input, "read error");
  if (!writeOk || !closed) return ReportFailure(args.output, "write error");
  return kExitSuccess;
}

int RunExplodeCommand(int argc, char** argv) {
  const char* files[2] = {nullptr, nullptr};
  int fileCount = 0;
  ArgReader reader(argc, argv);
  while (reader.Next()) {
    if (!reader.option().empty()) {
      return ReportUsage("explode", "unknown option '" + reader.option() + "'");
    }
    if (fileCount == 2) return ReportUsage("explode", "too many arguments");
    files[fileCount++] = argv[reader.index()];
  }
  if (fileCount != 2) return ReportUsage("explode", "needs IN and OUT");

  Stream in;
  if (!OpenInput(files[0], &in)) return ReportFailure(files[0], SystemReason());
  Stream out;
  std::string reason;
  if (!OpenOutput(files[1], files[0], &out, &reason)) {
    CloseInput(in);
    return ReportFailure(files[1], reason);
  }
  std::vector<uint8_t> work(kExplodeWorkSize);
  ExplodeFiles callbacks = {in.file, out.file, false, false};
  const uint32_t result = Explode(ReadCompressed, WriteDecoded, work.data(), &callbacks);
  CloseInput(in);
  const bool closed = CloseOutput(
      out, !callbacks.readFailed && !callbacks.writeFailed && result == CMP_NO_ERROR);
  if (callbacks.readFailed) return ReportFailure(files[0], "read error");
  if (result != CMP_NO_ERROR) return ReportFailure(files[0], DescribeExplodeResult(result));
  if (callbacks.writeFailed || !closed) return ReportFailure(files[1], "write error");
  return kExitSuccess;
}
