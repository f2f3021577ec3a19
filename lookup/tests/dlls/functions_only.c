/* An ordinary DLL: functions only, no mission texts. Some names resemble the
   texts' names (longer, shorter, other case) and must not be taken for them. */
__declspec(dllexport) int Add(int a, int b) { return a + b; }
__declspec(dllexport) const char* MapNameOf(int id) { return id == 0 ? "none" : "some"; }
__declspec(dllexport) int Level(void) { return 3; }
__declspec(dllexport) int techtreename(void) { return 0; }
__declspec(dllexport) int LEVELDESC(void) { return 1; }
