// Consistency checks between host and module. A failed check is reported
// through a replaceable handler and never stops the host process: the caller
// goes on and returns its stated failure value.
#pragma once

#include <cstdint>

typedef void (*SEAssertHandler)(const char* expression, const char* source, int32_t line);

// Installs a handler and returns the previous one; null restores the default,
// which writes the report to stderr (Linux) or the debugger output (Windows).
SEAssertHandler SetAssertHandler(SEAssertHandler handler);

void ReportAssertion(const char* expression, const char* source, int32_t line);

// Evaluates to the condition so callers can bail out: if (!SE_CHECK(...)) return 0;
#define SE_CHECK(condition, source) \
  ((condition) ? true : (ReportAssertion(#condition, source, __LINE__), false))
