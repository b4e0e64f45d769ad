// Why an operation of zbpack failed, as its error line will show it: the file concerned (or
// the option at fault) and the message. what is as given by the user, not yet made printable.
#pragma once
#include <string>

struct Problem {
  std::string what;
  std::string message;
};
