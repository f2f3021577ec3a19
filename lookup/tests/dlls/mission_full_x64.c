/* A 64-bit (PE32+) mission DLL with the three texts exported as plain data. */
__declspec(dllexport) char MapName[] = "Twin Rivers";
__declspec(dllexport) char TechtreeName[] = "Extended Techtree";
__declspec(dllexport) char LevelDesc[] = "Take both bridges before nightfall.";
