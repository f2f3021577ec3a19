/* A mission DLL with a description of 6012 characters: 100 repeats of one
   60-character sentence between a marker at each end, so a reader that stops
   early or starts late is caught at either end. */
#define LINE "The convoy crosses the basin at dawn; hold every ridge now. "
#define TEN LINE LINE LINE LINE LINE LINE LINE LINE LINE LINE
#define HUNDRED TEN TEN TEN TEN TEN TEN TEN TEN TEN TEN

__declspec(dllexport) char MapName[] = "Long Crossing";
__declspec(dllexport) char TechtreeName[] = "Standard Techtree";
__declspec(dllexport) char LevelDesc[] = "<begin>" HUNDRED "<end>";
