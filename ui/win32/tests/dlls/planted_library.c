/* A Peloc.dll planted where none may be taken from (the current folder, a
   folder on PATH, a mission pack): loading it runs its DllMain, which leaves
   a mark, the file planted-library-ran, in the current folder. Its GetOffset
   finds nothing, as a scan that bound it would show. */
#include <stdint.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    HANDLE mark = CreateFileA("planted-library-ran", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
  }
  return TRUE;
}

__declspec(dllexport) uint32_t __stdcall GetOffset(const char* path, const char* exportName) {
  (void)path;
  (void)exportName;
  return 0;
}
