// The values of options that several commands take, read the same for each.
#pragma once
#include <cstdint>
#include <string>

#include "zbpack/operations/pack_options.h"

// Reads the value of --dict, --level or --threads (option) into choice, the same for pack and
// implode; returns "" or the usage error.
std::string ParseImplodeOption(const std::string& option, const std::string& value,
                               ImplodeChoice* choice);

// Reads --codepage's value into *codePage; returns "" or the usage error.
std::string ParseCodePage(const std::string& value, uint32_t* codePage);
