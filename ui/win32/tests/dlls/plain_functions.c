/* An ordinary DLL: a function, none of the mission texts, no GetOffset. */
__declspec(dllexport) int Add(int a, int b) { return a + b; }
