// How Windows sees an installer: its manifest (execution level), version information and icon,
// written into the stub's resource section at pack time. The stub's other resources stay byte
// for byte as they were.
// zbpack/stub_rebuild.h writes them into the stub.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zbpack/operations/icon_file.h"
#include "zbpack/operations/version_info.h"

// The options of pack that set it, as given.
struct IdentityOptions {
  std::string executionLevel;                   // empty: requireAdministrator
  std::optional<std::string> iconPath;          // --icon
  std::optional<std::string> productVersion;    // --product-version, checked when parsed
  std::string company, description, copyright;  // UTF-8; empty: left out
};

// Takes the value of an identity option into options; "" or the usage error.
std::string TakeIdentityOption(const std::string& option, const std::string& value,
                               IdentityOptions* options);

// What goes into the resources: built from the options, the product name (UTF-8) and the
// output's file name. "" or the fault, with *what naming the option or file at fault.
struct IdentityResources {
  std::string manifest;
  std::vector<uint8_t> versionInfo;
  std::optional<IconResources> icon;
};
std::string PrepareIdentity(const IdentityOptions& options, const std::string& productName,
                            const std::string& outputName, IdentityResources* resources,
                            std::string* what);
