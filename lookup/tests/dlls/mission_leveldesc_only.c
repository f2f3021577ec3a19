/* A mission DLL that exports its description only: no map or techtree name. */
__declspec(dllexport) char LevelDesc[] = "Scout the northern pass and report back.";
