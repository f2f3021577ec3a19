/* A mission the size of the game's own, 172 KB: its code comes first (here
   160 KB of filler), so that the texts and the export table lie far from the
   headers, as in the game's missions. */
__asm__(".section .text\n\t.fill 163840, 1, 0x90\n\t.text\n");
__declspec(dllexport) char MapName[] = "Crater Basin";
__declspec(dllexport) char TechtreeName[] = "Standard Techtree";
__declspec(dllexport) char LevelDesc[] = "Hold the ridge until the convoy arrives.";
