#include "zbpack/pack_options.h"

#include <cstdint>

#include "zbpack/cli_args.h"
#include "zbpack/member_lzma.h"

std::string ParseImplodeOption(const std::string& option, const std::string& value,
                               ImplodeChoice* choice) {
  uint64_t number = 0;
  if (option == "--dict") {
    if (!ParseNumber(value, 4096, &number) || ImplodeDictBits(uint32_t(number)) == 0) {
      return "--dict must be 1024, 2048 or 4096, not '" + value + "'";
    }
    choice->dictionarySize = static_cast<uint32_t>(number);
  } else if (option == "--level") {
    if (!ParseNumber(value, kImplodeMaxLevel, &number) || number < kImplodeMinLevel) {
      return "--level must be " + std::to_string(kImplodeMinLevel) + " (fastest) to " +
             std::to_string(kImplodeMaxLevel) + " (smallest), not '" + value + "'";
    }
    choice->level = static_cast<int>(number);
  } else {  // --threads
    if (!ParseNumber(value, kImplodeMaxThreads, &number)) {
      return "--threads must be 0 (all cores) to " + std::to_string(kImplodeMaxThreads) +
             ", not '" + value + "'";
    }
    choice->threads = static_cast<uint32_t>(number);
  }
  return "";
}

std::string ParseCodePage(const std::string& value, uint32_t* codePage) {
  uint64_t number = 0;
  const bool number16 = ParseNumber(value, 0xFFFF, &number);
  if (number16 && IsOemCodePage(static_cast<uint32_t>(number))) {
    return "--codepage " + value + " is an OEM (console) code page: the installer reads its " +
           "texts in the system's ANSI code page (" + UsableCodePagesText() + ")";
  }
  if (!number16 || !CodePageUsable(static_cast<uint32_t>(number))) {
    return "--codepage must be a Windows ANSI code page (" + UsableCodePagesText() +
           "), not '" + value + "'";
  }
  *codePage = static_cast<uint32_t>(number);
  return "";
}

std::string TakeCodePageOption(ArgReader& args, uint32_t* codePage) {
  std::string value;
  return args.Value(&value) ? ParseCodePage(value, codePage) : args.error();
}

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
  ArgReader args(argc, argv);
  while (args.Next()) {
    const std::string& option = args.option();
    if (option.empty()) {
      const std::string& operand = args.operand();
      MemberSource member;
      // "@LIST" names a list file, unless it comes after "--" (then it is a path like any other).
      if (!args.optionsEnded() && operand.size() > 1 && operand[0] == '@') {
        member.path = operand.substr(1);
        member.kind = MemberSourceKind::kListFile;
      } else {
        member.name = MemberNameOfPath(operand);
        member.path = operand;
      }
      options->members.push_back(member);
      continue;
    }
    if (option == "--ascii" || option == "--binary") {
      if (!args.Flag()) return args.error();
      options->implode.asciiLiterals = option == "--ascii";
      continue;
    }
    if (option == "--quiet" || option == "-q") {
      if (!args.Flag()) return args.error();
      options->quiet = true;
      continue;
    }
    if (option == "--depfile") {
      if (!args.Value(&options->depfilePath)) return args.error();
      continue;
    }
    if (option == "--solid") {
      if (!args.Flag()) return args.error();
      options->solid = true;
      continue;
    }
    if (option == "--as") {
      MemberSource member;
      if (!args.Value(&member.name) || !args.Value(&member.path)) return "--as needs NAME and PATH";
      member.kind = MemberSourceKind::kNamedPath;
      options->members.push_back(member);
      continue;
    }

    // Every other option takes one value.
    std::string value;
    if (IsIdentityOption(option)) {
      if (!args.Value(&value)) return args.error();
      const std::string problem = TakeIdentityOption(option, value, &options->identity);
      if (!problem.empty()) return problem;
      continue;
    }
    const bool known = option == "-o" || option == "--output" || option == "--stub" ||
                       option == "--product" || option == "--script" || option == "--method" ||
                       option == "--dict" || option == "--level" || option == "--codepage" ||
                       option == "--threads" || option == "--files-from" ||
                       option == "--sign-command";
    if (!known) return "unknown option '" + option + "'";
    if (!args.Value(&value)) return args.error();
    if (option == "-o" || option == "--output") {
      options->outputPath = value;
    } else if (option == "--stub") {
      options->stubPath = value;
    } else if (option == "--product") {
      options->productName = value;
    } else if (option == "--files-from") {
      MemberSource member;
      member.path = value;
      member.kind = MemberSourceKind::kListFile;
      options->members.push_back(member);
    } else if (option == "--script") {
      options->scriptMember = value;
    } else if (option == "--method") {
      if (value == "auto") {
        options->method = PackMethod::kAuto;
      } else if (value == "stored") {
        options->method = PackMethod::kStored;
      } else if (value == "implode") {
        options->method = PackMethod::kImplode;
      } else if (value == "lzma") {
        if (!LzmaEncoderAvailable()) {
          return "--method lzma is not available in this zbpack (built without liblzma): "
                 "pack LZMA installers with the Linux zbpack";
        }
        options->method = PackMethod::kLzma;
      } else {
        return "--method must be auto, stored, implode or lzma, not '" + value + "'";
      }
    } else if (option == "--dict" || option == "--level" || option == "--threads") {
      const std::string problem = ParseImplodeOption(option, value, &options->implode);
      if (!problem.empty()) return problem;
    } else if (option == "--codepage") {
      const std::string problem = ParseCodePage(value, &options->codePage);
      if (!problem.empty()) return problem;
    } else {  // --sign-command
      if (value.find("%1") == std::string::npos) {
        return "--sign-command needs %1 where the installer's path goes, in '" + value + "'";
      }
      options->signCommand = value;
    }
  }

  if (options->solid && options->method != PackMethod::kLzma) {
    return "--solid needs --method lzma";
  }
  if (options->outputPath.empty()) return "missing -o OUT";
  if (!options->productName) return "missing --product NAME";
  if (options->members.empty()) return "no FILE to pack";
  return "";
}

std::string CheckPackMembers(const PackOptions& options) {
  if (options.members.empty()) return "no FILE to pack (the folders and lists hold none)";
  for (const MemberSource& member : options.members) {
    if (member.path.empty()) return "--as " + member.name + ": names no file";
    if (member.name.empty()) return "'" + member.path + "' gives an empty member name";
  }
  if (options.scriptMember && ScriptIndexOf(options) == 0) {
    return "--script: no member is named '" + *options.scriptMember + "'";
  }
  return "";
}
