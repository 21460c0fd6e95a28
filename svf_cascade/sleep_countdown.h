// Samples left before a module whose output has gone constant asks the host
// to stop calling it. Armed with a block's length at every pin event; each
// call spends its sample count.
#pragma once

#include <cstdint>

class SleepCountdown {
 public:
  void Arm(int32_t samples) { m_left = samples; }

  // True once a block's worth of samples has been produced since Arm. The
  // count stays at 0 from then on, so a host that keeps calling a sleeping
  // module can never wrap it around into a long wait.
  bool Spend(int32_t count) {
    m_left -= count;
    if (m_left > 0) return false;
    m_left = 0;
    return true;
  }

  int32_t Left() const { return m_left; }

 private:
  int32_t m_left = 0;
};
