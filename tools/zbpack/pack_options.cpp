#include "zbpack/pack_options.h"

#include <cstdlib>

namespace {

bool ParseDecimal(const std::string& text, uint64_t* value) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *value = std::strtoull(text.c_str(), nullptr, 10);
  return true;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigitValue(text[i]);
    const int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

MemberSource SourceOfArgument(const std::string& argument) {
  const size_t equals = argument.find('=');
  if (equals != std::string::npos && equals > 0) {
    return MemberSource{argument.substr(0, equals), argument.substr(equals + 1),
                        MemberSourceKind::kNamedPath};
  }
  return MemberSource{MemberNameOfPath(argument), argument};
}

}  // namespace

std::string MemberNameOfPath(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint32_t ScriptIndexOf(const PackOptions& options) {
  if (!options.scriptMember) return 0;
  for (size_t i = 0; i < options.members.size(); ++i) {
    if (options.members[i].name == *options.scriptMember) return static_cast<uint32_t>(i + 1);
  }
  return 0;
}

std::string ParsePackOptions(int argc, char** argv, PackOptions* options) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (!optionsEnded && argument.size() > 1 && argument[0] == '@') {
      options->members.push_back({"", argument.substr(1), MemberSourceKind::kListFile});
      continue;
    }
    if (optionsEnded || argument.empty() || argument[0] != '-') {
      options->members.push_back(SourceOfArgument(argument));
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--ascii") {
      options->implode.asciiLiterals = true;
      continue;
    }
    if (argument == "--binary") {
      options->implode.asciiLiterals = false;
      continue;
    }

    // Every other option takes one value.
    if (i + 1 >= argc) return argument + " needs a value";
    const std::string value = argv[++i];
    uint64_t number = 0;
    if (argument == "-o") {
      options->outputPath = value;
    } else if (argument == "--stub") {
      options->stubPath = value;
    } else if (argument == "--product") {
      options->productName = value;
    } else if (argument == "--files-from") {
      options->members.push_back({"", value, MemberSourceKind::kListFile});
    } else if (argument == "--script") {
      options->scriptMember = value;
    } else if (argument == "--method") {
      if (value == "auto") {
        options->method = PackMethod::kAuto;
      } else if (value == "stored") {
        options->method = PackMethod::kStored;
      } else if (value == "implode") {
        options->method = PackMethod::kImplode;
      } else {
        return "--method must be auto, stored or implode, not '" + value + "'";
      }
    } else if (argument == "--dict") {
      if (value != "1024" && value != "2048" && value != "4096") {
        return "--dict must be 1024, 2048 or 4096, not '" + value + "'";
      }
      options->implode.dictionarySize = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (argument == "--level") {
      if (!ParseDecimal(value, &number) || number < 1 || number > 9) {
        return "--level must be 1 (fastest) to 9 (smallest), not '" + value + "'";
      }
      options->implode.level = static_cast<int>(number);
    } else if (argument == "--threads") {
      if (!ParseDecimal(value, &number) || number > kPackMaxThreads) {
        return "--threads must be 0 (all cores) to " + std::to_string(kPackMaxThreads) +
               ", not '" + value + "'";
      }
      options->implode.threads = static_cast<uint32_t>(number);
    } else if (argument == "--set") {
      const std::string problem = ParseOverride(value, &options->overrides);
      if (!problem.empty()) return problem;
    } else if (argument == "--append-bytes") {
      if (!ParseHexBytes(value, &options->appendBytes)) {
        return "--append-bytes needs pairs of hex digits, not '" + value + "'";
      }
    } else if (argument == "--sign-command") {
      if (value.find("%1") == std::string::npos) {
        return "--sign-command needs %1 where the installer's path goes, in '" + value + "'";
      }
      options->signCommand = value;
    } else if (argument == "--truncate") {
      if (!ParseDecimal(value, &number)) return "--truncate needs a byte count, not '" + value + "'";
      options->truncateSize = number;
    } else {
      return "unknown option '" + argument + "'";
    }
  }

  if (options->outputPath.empty()) return "missing -o OUT";
  if (!options->productName) return "missing --product NAME";
  if (options->members.empty()) return "no FILE to pack";
  if (options->productName->size() >= kProductNameSize) {
    return "--product: the name must be shorter than " + std::to_string(kProductNameSize) + " bytes";
  }
  return "";
}

std::string CheckPackMembers(const PackOptions& options) {
  if (options.members.empty()) return "no FILE to pack (the folders and lists hold none)";
  for (const MemberSource& member : options.members) {
    if (member.path.empty()) return "'" + member.name + "=' names no file";
    if (member.name.empty()) return "'" + member.path + "' gives an empty member name";
  }
  if (options.scriptMember && ScriptIndexOf(options) == 0) {
    return "--script: no member is named '" + *options.scriptMember + "'";
  }
  return CheckOverrideIndexes(options.overrides, static_cast<uint32_t>(options.members.size()));
}
