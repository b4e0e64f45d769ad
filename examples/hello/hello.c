/* hello.exe GREETING_FILE: the example's program. Run by the install script from the
   installer's work folder, it reads the packed greeting.txt and writes it, with its own
   line added, to GREETING_FILE: the proof that it ran and found its files. */
#include <stdio.h>

int main(int argc, char** argv) {
  char line[256];
  FILE* in;
  FILE* out;
  if (argc != 2) {
    fprintf(stderr, "usage: hello GREETING_FILE\n");
    return 2;
  }
  in = fopen("greeting.txt", "r");
  if (in == NULL || fgets(line, sizeof line, in) == NULL) return 1;
  fclose(in);
  out = fopen(argv[1], "w");
  if (out == NULL) return 1;
  fprintf(out, "%shello.exe ran.\n", line);
  return fclose(out) == 0 ? 0 : 1;
}
