// The plugin's exported entry points: stubs until the core lands.
#include <windows.h>

extern "C" {
__declspec(dllexport) int __stdcall FsInit(int, void*, void*, void*) { return 0; }
}
