/* A mission DLL with its three texts exported as plain data. */
__declspec(dllexport) char MapName[] = "Ridge Line";
__declspec(dllexport) char TechtreeName[] = "Standard Techtree";
__declspec(dllexport) char LevelDesc[] = "Hold the ridge until the convoy arrives.";
