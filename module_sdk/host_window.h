// The closed range of host versions for which a module shows its pins.
#pragma once

#include <cstdint>

struct HostWindow {
  int32_t low;
  int32_t span;  // high - low

  int32_t High() const { return low + span; }
  // Below the window a module shows no pins at all.
  bool Below(int32_t version) const { return version < low; }
  // One unsigned comparison covers both edges.
  bool Inside(int32_t version) const {
    return static_cast<uint32_t>(version) - static_cast<uint32_t>(low) <=
           static_cast<uint32_t>(span);
  }
};
