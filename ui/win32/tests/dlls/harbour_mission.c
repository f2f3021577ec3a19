/* A mission DLL whose texts hold Windows-1252 bytes above 127: 0xC9 is E with
   an acute accent, 0x96 an en dash, 0xE8 e with a grave accent. */
__declspec(dllexport) char MapName[] = "Port \xC9toile";
__declspec(dllexport) char TechtreeName[] = "Naval \x96 Advanced";
__declspec(dllexport) char LevelDesc[] = "Take the lighthouse, then the pier (premi\xE8re vague).";
