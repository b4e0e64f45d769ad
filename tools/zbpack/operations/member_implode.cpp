// Imploding a member with the zbimplode encoder, fed chunk by chunk.
#include "zbpack/operations/member_implode.h"

#include "implode/implode.h"

struct MemberImplode {
  ImplodeEncoder encoder;
  FILE* output;
  uint64_t capBytes;
  uint64_t written;
  bool capReached;
};

namespace {

bool WriteImploded(const uint8_t* data, uint32_t size, void* userData) {
  auto* implode = static_cast<MemberImplode*>(userData);
  if (implode->written + size > implode->capBytes) {
    implode->capReached = true;
    return false;
  }
  implode->written += size;
  return std::fwrite(data, 1, size, implode->output) == size;
}

}  // namespace

MemberImplode* StartImplode(const ImplodeChoice& choice, FILE* output, uint64_t capBytes,
                            std::string* error) {
  ImplodeSettings settings;
  settings.mode = choice.asciiLiterals ? 1 : 0;
  settings.dictBits = ImplodeDictBits(choice.dictionarySize);
  if (choice.level) settings.level = static_cast<uint8_t>(*choice.level);
  settings.threads = choice.threads;
  auto* implode = new MemberImplode;
  implode->output = output;
  implode->capBytes = capBytes;
  implode->written = 0;
  implode->capReached = false;
  if (!ImplodeInit(implode->encoder, settings, WriteImploded, implode)) {
    *error = "the implode encoder refused its settings";
    delete implode;
    return nullptr;
  }
  return implode;
}

bool FeedImplode(MemberImplode* implode, const uint8_t* data, size_t size) {
  return ImplodeFeed(implode->encoder, data, size);
}

bool FinishImplode(MemberImplode* implode) { return ImplodeFinish(implode->encoder); }
uint64_t ImplodedBytes(const MemberImplode* implode) { return implode->written; }
bool ImplodeCapReached(const MemberImplode* implode) { return implode->capReached; }
void FreeImplode(MemberImplode* implode) { delete implode; }
