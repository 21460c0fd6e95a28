// Captures framework assertion reports for the duration of a test.
#pragma once

#include <string>
#include <vector>

#include "se_assert.h"

struct AssertReport {
  std::string expression;
  std::string source;
  int line;
};

class AssertRecorder {
 public:
  AssertRecorder() : m_previous(SetAssertHandler(&AssertRecorder::Record)) { Reports().clear(); }
  ~AssertRecorder() { SetAssertHandler(m_previous); }

  static std::vector<AssertReport>& Reports() {
    static std::vector<AssertReport> reports;
    return reports;
  }

 private:
  static void Record(const char* expression, const char* source, int32_t line) {
    Reports().push_back({expression, source, line});
  }
  SEAssertHandler m_previous;
};
