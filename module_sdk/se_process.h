// Process functions are member functions of a module taking (start, count);
// the record's process entry is a plain C function. ProcessOf<&Module::F>()
// gives the descriptor whose entry calls F on the object the host passes.
#pragma once

#include <cstdint>

#include "se_types.h"

class SEModule_base;

template <auto F>
struct SEProcessThunk;

template <class M, void (M::*F)(int32_t, int32_t)>
struct SEProcessThunk<F> {
  static void Entry(void* object, int32_t start, int32_t count) {
    M* module = static_cast<M*>(static_cast<SEModule_base*>(object));
    (module->*F)(start, count);
  }
};

template <auto F>
constexpr SEProcessDescriptor ProcessOf() {
  return SEProcessDescriptor{&SEProcessThunk<F>::Entry, 0, 0};
}
