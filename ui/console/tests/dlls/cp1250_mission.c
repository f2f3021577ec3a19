/* A mission DLL whose texts are written in Windows code page 1250, Central European (Polish),
   as byte escapes so that the source stays ASCII; each text is assigned
   characters only. A string literal is split after an escape that a hex
   digit follows. */
__declspec(dllexport) char MapName[] = "\xA3\xF3" "d\x9F";
__declspec(dllexport) char TechtreeName[] = "\xAF\xF3\xB3ta technologia";
__declspec(dllexport) char LevelDesc[] = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1: zdob\xB9" "d\x9F most przed \x9Cwitem.";
