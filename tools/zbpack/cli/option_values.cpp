#include "zbpack/cli/option_values.h"

#include "implode/implode.h"
#include "zbpack/cli/cli_args.h"
#include "zbpack/host/code_page.h"
#include "zbpack/host/number_text.h"

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
    return "--codepage must be a Windows ANSI code page (" + UsableCodePagesText() + "), not '" +
           value + "'";
  }
  *codePage = static_cast<uint32_t>(number);
  return "";
}
