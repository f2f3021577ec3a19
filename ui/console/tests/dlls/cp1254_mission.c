/* A mission DLL whose texts are written in Windows code page 1254, Turkish,
   as byte escapes so that the source stays ASCII; each text is assigned
   characters only. A string literal is split after an escape that a hex
   digit follows. */
__declspec(dllexport) char MapName[] = "\xDDstanbul";
__declspec(dllexport) char TechtreeName[] = "Standart teknoloji a\xF0" "ac\xFD";
__declspec(dllexport) char LevelDesc[] = "Pijamal\xFD hasta ya\xF0\xFDz \xFEof\xF6re \xE7" "abucak g\xFCvendi.";
