/*
 * A program that links Peloc the ordinary way, through its public header and
 * its import library (Windows) or shared object (Linux), as another program
 * would. Prints the offset of each named export of FILE, one per line.
 *   link_client FILE EXPORT...
 */
#include <peloc/peloc.h>
#include <stdio.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s FILE EXPORT...\n", argv[0]);
    return 2;
  }
  for (int i = 2; i < argc; ++i) printf("%lu\n", (unsigned long)GetOffset(argv[1], argv[i]));
  return 0;
}
