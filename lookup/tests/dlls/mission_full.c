/* A mission DLL as the game ships them: three texts exported as plain data. */
__declspec(dllexport) char MapName[] = "Crater Basin";
__declspec(dllexport) char TechtreeName[] = "Standard Techtree";
__declspec(dllexport) char LevelDesc[] = "Hold the ridge until the convoy arrives.";
