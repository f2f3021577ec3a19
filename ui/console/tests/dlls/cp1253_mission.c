/* A mission DLL whose texts are written in Windows code page 1253, Greek,
   as byte escapes so that the source stays ASCII; each text is assigned
   characters only. A string literal is split after an escape that a hex
   digit follows. */
__declspec(dllexport) char MapName[] = "\xC1\xE8\xDE\xED\xE1";
__declspec(dllexport) char TechtreeName[] = "\xD4\xF5\xF0\xE9\xEA\xFC \xE4\xDD\xED\xF4\xF1\xEF";
__declspec(dllexport) char LevelDesc[] = "\xCE\xE5\xF3\xEA\xE5\xF0\xDC\xE6\xF9 \xF4\xE7\xED \xF8\xF5\xF7\xEF\xF6\xE8\xFC\xF1\xE1 \xE2\xE4\xE5\xEB\xF5\xE3\xEC\xDF\xE1. \xA2\xEC\xF5\xED\xE1 \xF9\xF2 \xF4\xE7\xED \xE1\xF5\xE3\xDE.";
