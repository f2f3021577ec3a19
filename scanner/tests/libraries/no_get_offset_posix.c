/* A shared library of this machine that loads, but has no GetOffset. */
__attribute__((visibility("default"))) int NotTheLookup(void) { return 0; }
