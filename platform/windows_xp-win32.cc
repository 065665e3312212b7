#include <windows.h>

// Windows XP refuses to start a program that imports a function it lacks. libstdc++ needs
// winpthreads, and Debian's was built for Vista: for its timed waits, which this program
// never makes, it imports GetTickCount64. Defining the import's address here keeps the
// linker from taking it from kernel32. GetTickCount serves, as no wait here is timed.

namespace {

ULONGLONG WINAPI TickCount() {
  return GetTickCount();
}

}  // namespace

#ifdef _WIN64
extern "C" ULONGLONG(WINAPI* const tarvoTickCount64)() __asm__("__imp_GetTickCount64");
#else
extern "C" ULONGLONG(WINAPI* const tarvoTickCount64)() __asm__("__imp__GetTickCount64@0");
#endif
ULONGLONG(WINAPI* const tarvoTickCount64)() = TickCount;
