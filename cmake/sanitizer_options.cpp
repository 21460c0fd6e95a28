// Sanitizer defaults for the instrumented build on machines that run i386
// programs through the user-mode emulator: there LeakSanitizer's
// stop-the-world at exit never returns, so leak checking is left to native
// machines. Address and undefined-behaviour checks stay on and halt.
extern "C" __attribute__((weak, visibility("default"), used)) const char* __asan_default_options() {
  return "detect_leaks=0:halt_on_error=1";
}
