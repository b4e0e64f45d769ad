// zbdamage FILE [--set FIELD=VALUE]... [--append-bytes HEX] [--truncate N]: damages a finished
// installer in place as archive_damage.h describes, for scripts that need a broken one.
// Exit 0 when done, 2 with the complaint on stderr otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "archive_damage.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  ArchiveDamage damage;
  std::string problem = SplitDamageOptions(&args, &damage);
  if (problem.empty() && args.size() != 1) problem = "usage: zbdamage FILE [damage options]";
  if (problem.empty()) problem = DamageInstaller(args[0], damage);
  if (problem.empty()) return 0;
  std::fprintf(stderr, "zbdamage: %s\n", problem.c_str());
  return 2;
}
