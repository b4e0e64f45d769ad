// Text on its way to a terminal or a log: whatever a name or a path holds, it cannot move the
// cursor or change colours there.
#pragma once
#include <string>

// UTF-8 text as a terminal may show it: control characters (C0, DEL, C1) and bytes that are
// not UTF-8 escaped as \xNN, each byte. Names and texts pass through it before they are
// printed.
std::string Printable(const std::string& text);
