#include "zbpack/operations/codec_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "explode/explode.h"
#include "implode/implode_all.h"
#include "zbpack/host/output_file.h"

namespace {

// One end of a transfer: a named file or a standard stream, closed by its owner through
// CloseInput or CloseOutput. A named output is written beside its target and renamed into
// place only when complete (OutputFile), so a failed run leaves the target as it was.
struct Stream {
  std::string name;  // as the user wrote it; "-" for stdin/stdout
  FILE* file = nullptr;
  bool standard = false;
  OutputFile output;  // a named output's temporary file
};

// "-" names a standard stream, switched to binary where the runtime translates line ends.
bool TakeStandardStream(const char* path, FILE* standard, Stream* stream) {
  stream->name = path;
  if (std::strcmp(path, "-") != 0) return false;
#ifdef _WIN32
  _setmode(_fileno(standard), _O_BINARY);
#endif
  stream->file = standard;
  stream->standard = true;
  return true;
}

bool OpenInput(const char* path, Stream* stream) {
  if (TakeStandardStream(path, stdin, stream)) return true;
  stream->file = std::fopen(path, "rb");
  return stream->file != nullptr;
}

// Refuses an output that is the input file itself (by identity, whatever the spelling), before
// anything is written. On failure returns false with the reason in error.
bool OpenOutput(const char* path, const char* inputPath, Stream* stream, std::string* error) {
  if (TakeStandardStream(path, stdout, stream)) return true;
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
    case CMP_INVALID_DICTSIZE:
      return "not an implode stream: dictionary byte is not 4, 5 or 6";
    case CMP_INVALID_MODE:
      return "not an implode stream: literal mode byte is neither 0 nor 1";
    case CMP_BAD_DATA:
      return "not an implode stream: shorter than 5 bytes";
    case CMP_ABORT:
      return "compressed data ends inside a symbol (truncated or corrupt)";
    default:
      return "unknown decoder result";
  }
}

// Opens input, then output (which must not be input); on failure nothing stays open.
std::optional<Problem> OpenPair(const std::string& input, const std::string& output, Stream* in,
                                Stream* out) {
  if (!OpenInput(input.c_str(), in)) return Problem{input, SystemReason()};
  std::string reason;
  if (!OpenOutput(output.c_str(), input.c_str(), out, &reason)) {
    CloseInput(*in);
    return Problem{output, reason};
  }
  return std::nullopt;
}

}  // namespace

std::optional<Problem> ImplodeFile(const std::string& input, const std::string& output,
                                   const ImplodeSettings& settings) {
  Stream in;
  Stream out;
  if (std::optional<Problem> problem = OpenPair(input, output, &in, &out)) return problem;
  ReadFile source = {in.file, false};
  const bool writeOk = ImplodeAll(settings, ReadSome, &source, WriteEncoded, out.file);
  const bool readFailed = source.failed;
  CloseInput(in);
  const bool closed = CloseOutput(out, writeOk && !readFailed);
  if (readFailed) return Problem{input, "read error"};
  if (!writeOk || !closed) return Problem{output, "write error"};
  return std::nullopt;
}

std::optional<Problem> ExplodeFile(const std::string& input, const std::string& output) {
  Stream in;
  Stream out;
  if (std::optional<Problem> problem = OpenPair(input, output, &in, &out)) return problem;
  std::vector<uint8_t> work(kExplodeWorkSize);
  ExplodeFiles callbacks = {in.file, out.file, false, false};
  const uint32_t result = Explode(ReadCompressed, WriteDecoded, work.data(), &callbacks);
  CloseInput(in);
  const bool closed =
      CloseOutput(out, !callbacks.readFailed && !callbacks.writeFailed && result == CMP_NO_ERROR);
  if (callbacks.readFailed) return Problem{input, "read error"};
  if (result != CMP_NO_ERROR) return Problem{input, DescribeExplodeResult(result)};
  if (callbacks.writeFailed || !closed) return Problem{output, "write error"};
  return std::nullopt;
}
