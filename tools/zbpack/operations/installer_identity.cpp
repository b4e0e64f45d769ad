#include "zbpack/operations/installer_identity.h"

#include "archive/stub_manifest.h"
#include "zbpack/host/host_files.h"

namespace {

constexpr size_t kMaxIconFileSize = 4u << 20;  // bytes; 64 pictures of 256 x 256 x 32 bits fit

bool ReadSmallFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes,
                   std::string* reason) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *reason = "cannot open";
    return false;
  }
  bytes->resize(limit + 1);
  const size_t got = std::fread(bytes->data(), 1, bytes->size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  bytes->resize(got);
  *reason = failed ? "read error" : "larger than " + std::to_string(limit >> 20) + " MiB";
  return !failed && got <= limit;
}

}  // namespace

std::string TakeIdentityOption(const std::string& option, const std::string& value,
                               IdentityOptions* options) {
  if (option == "--icon") {
    options->iconPath = value;
  } else if (option == "--execution-level") {
    if (value != "asInvoker" && value != "highestAvailable" && value != "requireAdministrator") {
      return "--execution-level must be asInvoker, highestAvailable or requireAdministrator, "
             "not '" +
             value + "'";
    }
    options->executionLevel = value;
  } else if (option == "--product-version") {
    uint16_t version[4];
    if (!ParseProductVersion(value, version)) {
      return "--product-version must be A[.B[.C[.D]]], numbers 0 to 65535, not '" + value + "'";
    }
    options->productVersion = value;
  } else {
    const std::string problem = VersionTextProblem(value);
    if (!problem.empty()) return option + ": the text " + problem;
    (option == "--company"       ? options->company
     : option == "--description" ? options->description
                                 : options->copyright) = value;
  }
  return "";
}

std::string PrepareIdentity(const IdentityOptions& options, const std::string& productName,
                            const std::string& outputName, IdentityResources* resources,
                            std::string* what) {
  resources->manifest = ZB_MANIFEST_BEFORE_LEVEL;
  resources->manifest +=
      options.executionLevel.empty() ? ZB_DEFAULT_EXECUTION_LEVEL : options.executionLevel;
  resources->manifest += ZB_MANIFEST_AFTER_LEVEL;

  VersionInfo info;
  if (options.productVersion) ParseProductVersion(*options.productVersion, info.version);
  const std::string version = VersionText(info.version);
  info.strings = {{"CompanyName", options.company}, {"FileDescription", options.description},
                  {"FileVersion", version},         {"LegalCopyright", options.copyright},
                  {"OriginalFilename", outputName}, {"ProductName", productName},
                  {"ProductVersion", version}};
  for (const char* field : {"--product", "-o"}) {
    const std::string& text = field[1] == 'o' ? outputName : productName;
    const std::string problem = VersionTextProblem(text);
    if (!problem.empty()) {
      *what = field;
      return std::string("as version information, the text ") + problem;
    }
  }
  resources->versionInfo = BuildVersionInfo(info);

  if (!options.iconPath) return "";
  *what = *options.iconPath;
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!ReadSmallFile(*options.iconPath, kMaxIconFileSize, &bytes, &reason)) return reason;
  resources->icon.emplace();
  return ReadIconFile(bytes, &*resources->icon);
}
