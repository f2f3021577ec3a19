/* A mission DLL whose texts are written in Windows code page 932, Japanese (Shift JIS),
   as byte escapes so that the source stays ASCII; each text is assigned
   characters only. A string literal is split after an escape that a hex
   digit follows. The second byte of two characters is 0x5C, a backslash in
   ASCII; the last four are single-byte (half-width) katakana. */
__declspec(dllexport) char MapName[] = "\x93\x8C\x8B\x9E";
__declspec(dllexport) char TechtreeName[] = "\x95W\x8F\x80\x8BZ\x8Fp\x83" "c\x83\x8A\x81[";
__declspec(dllexport) char LevelDesc[] = "\x83\x5C\x98" "A\x82\xCC\x95\x5C\x8E\xA6: \x96\xE9\x96\xBE\x82\xAF\x82\xDC\x82\xC5\x8B\xB4\x82\xF0\x8E\xE7\x82\xEA\x81" "B\xB6\xC0\xB6\xC5";
