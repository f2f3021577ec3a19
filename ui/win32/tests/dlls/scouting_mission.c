/* A mission DLL that exports its description only. */
__declspec(dllexport) char LevelDesc[] = "Scout the northern pass and report back.";
