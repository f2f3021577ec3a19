/* A mission DLL whose texts are written in Windows code page 936, Chinese Simplified (GBK),
   as byte escapes so that the source stays ASCII; each text is assigned
   characters only. A string literal is split after an escape that a hex
   digit follows. */
__declspec(dllexport) char MapName[] = "\xB1\xB1\xBE\xA9";
__declspec(dllexport) char TechtreeName[] = "\xB1\xEA\xD7\xBC\xBF\xC6\xBC\xBC\xCA\xF7";
__declspec(dllexport) char LevelDesc[] = "\xC0\xE8\xC3\xF7\xC7\xB0\xCA\xD8\xD7\xA1\xB4\xF3\xC7\xC5\xA1\xA3";
