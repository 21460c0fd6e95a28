#include "se_assert.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void DefaultHandler(const char* expression, const char* source, int32_t line) {
  char text[512];
  std::snprintf(text, sizeof text, "assertion failed: %s (%s, line %d)\n", expression, source,
                static_cast<int>(line));
#ifdef _WIN32
  OutputDebugStringA(text);
#else
  std::fputs(text, stderr);
#endif
}

SEAssertHandler g_handler = DefaultHandler;

}  // namespace

SEAssertHandler SetAssertHandler(SEAssertHandler handler) {
  SEAssertHandler previous = g_handler;
  g_handler = handler ? handler : DefaultHandler;
  return previous;
}

void ReportAssertion(const char* expression, const char* source, int32_t line) {
  g_handler(expression, source, line);
}
