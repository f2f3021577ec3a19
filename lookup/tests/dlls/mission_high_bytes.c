/* A mission DLL whose texts are Windows-1252, with bytes above 127 (accents,
   the euro sign, typographic quotes and dashes), written as escapes so the
   source stays ASCII. A string literal is split after each escape that a hex
   digit follows. */
__declspec(dllexport) char MapName[] = "Ch\xE2teau Fort \x96 Bl\xE9" "de";
__declspec(dllexport) char TechtreeName[] = "\xC6ra Standard \xA9 \xDC" "ber";
__declspec(dllexport) char LevelDesc[] =
    "\x93Tenez la cr\xEAte jusqu'\xE0 l'arriv\xE9" "e du convoi.\x94 "
    "Co\xFBt: 100 \x80, \xBD de la r\xE9serve. Se\xF1or \xFF\xFE\xA0" "fin.";
