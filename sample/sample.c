/* The bundled sample DLL: a handful of exports, one forwarder, and one
   export reachable by ordinal only, so that it has more functions than
   names. Built for x64 with clang and lld-link; no C runtime. */
int SampleData = 42;

int Open(const char *name) { return name != 0; }
int Close(int handle) { return handle + 1; }
int Write(int handle, const void *data, int size) { return data ? size + handle : -1; }
int Hidden(void) { return 7; }
