// This build has no implode encoder: every member is stored.
#include "zbpack/member_implode.h"

bool ImplodeAvailable() { return false; }

bool ImplodeContents(const std::vector<uint8_t>&, const ImplodeChoice&, std::vector<uint8_t>*,
                     std::string* error) {
  *error = "this zbpack was built without the implode encoder";
  return false;
}
