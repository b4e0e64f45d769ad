// Imploding a member with the zbimplode encoder, the whole contents in one pass.
#include "zbpack/member_implode.h"

#include <memory>

#include "implode/implode.h"

namespace {

bool AppendOutput(const uint8_t* data, uint32_t size, void* userData) {
  auto* output = static_cast<std::vector<uint8_t>*>(userData);
  output->insert(output->end(), data, data + size);
  return true;
}

uint8_t DictBitsOf(uint32_t dictionarySize) {
  switch (dictionarySize) {
    case 1024: return 4;
    case 2048: return 5;
    default: return 6;
  }
}

}  // namespace

static_assert(kPackMaxThreads == kImplodeMaxThreads, "--threads takes what the encoder takes");

bool ImplodeAvailable() { return true; }

bool ImplodeContents(const std::vector<uint8_t>& contents, const ImplodeChoice& choice,
                     std::vector<uint8_t>* imploded, std::string* error) {
  ImplodeSettings settings;
  settings.mode = choice.asciiLiterals ? 1 : 0;
  settings.dictBits = DictBitsOf(choice.dictionarySize);
  if (choice.level) settings.level = static_cast<uint8_t>(*choice.level);
  settings.threads = choice.threads;

  // The encoder record is about 1.2 MB: too large for the stack.
  auto encoder = std::make_unique<ImplodeEncoder>();
  imploded->clear();
  if (!ImplodeInit(*encoder, settings, AppendOutput, imploded)) {
    *error = "the implode encoder refused its settings";
    return false;
  }
  if (!ImplodeFeed(*encoder, contents.data(), contents.size()) || !ImplodeFinish(*encoder)) {
    *error = "the implode encoder failed";
    return false;
  }
  return true;
}
