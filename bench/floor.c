/* The floor of a run: only the game files' input and output, no evaluation.
   Reads Plocha.dat and Tah.dat through to their ends and writes a fixed move
   into Tah.dat, as plain C with stdio. Whatever fiverow costs beyond this
   program is its own overhead. */
#include <stdio.h>

static int ReadWhole(const char* name) {
  char buffer[512];
  FILE* file = fopen(name, "rb");
  if (file == NULL) return 1;
  while (fread(buffer, 1, sizeof buffer, file) == sizeof buffer) {
  }
  int failed = ferror(file);
  if (fclose(file) != 0) failed = 1;
  return failed;
}

int main(void) {
  if (ReadWhole("Plocha.dat") || ReadWhole("Tah.dat")) return 1;
  FILE* move = fopen("Tah.dat", "wb");
  if (move == NULL) return 1;
  if (fputs("10,10", move) == EOF) return 1;
  return fclose(move) != 0;
}
