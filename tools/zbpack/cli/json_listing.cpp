#include "zbpack/cli/json_listing.h"

#include <cstdio>
#include <cstring>

#include "zbpack/host/code_page.h"
#include "zbpack/host/file_time.h"
#include "zbpack/operations/archive_reading.h"

nlohmann::json MemberJson(uint32_t index, const FileHeader& header, const std::string& name) {
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08lx", static_cast<unsigned long>(header.crc));
  nlohmann::json modified = nullptr;  // a date of five digits or more is no ISO 8601 date
  if (header.lastWriteTime < kFileTimeOfYear10000) {
    std::string text = FormatFileTimeUtc(header.lastWriteTime);
    text[10] = 'T';
    modified = text + 'Z';
  }
  return {{"index", index},
          {"name", name},
          {"method", MethodName(header)},
          {"storedSize", header.storedSize},
          {"originalSize", header.originalSize},
          {"crc32", crc},
          {"modified", modified},
          {"fileTime", header.lastWriteTime}};
}

nlohmann::json ArchiveJson(const SeaTrailer& trailer, const std::string& scriptName,
                           uint32_t codePage) {
  nlohmann::json script = nullptr;
  if (trailer.scriptIndex != 0) script = {{"index", trailer.scriptIndex}, {"name", scriptName}};
  const std::string product(trailer.productName,
                            strnlen(trailer.productName, sizeof trailer.productName));
  return {{"product", CodePageToUtf8(product, codePage)},
          {"totalBytes", trailer.totalBytes},
          {"fileCount", trailer.fileCount},
          {"script", script},
          {"members", nlohmann::json::array()}};
}

void PrintJson(const nlohmann::json& document) {
  const std::string text = document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}
