/* A lookup library planted where none may be taken from (the current folder,
   a mission pack): loading it runs its initialiser, which leaves a mark, the
   file planted-library-ran, in the current folder. Its GetOffset finds
   nothing, as a scan that bound it would show. */
#include <stdint.h>
#include <stdio.h>

__attribute__((constructor)) static void LeaveMark(void) {
  FILE* mark = fopen("planted-library-ran", "w");
  if (mark != NULL) fclose(mark);
}

__attribute__((visibility("default"))) uint32_t GetOffset(const char* path, const char* exportName) {
  (void)path;
  (void)exportName;
  return 0;
}
