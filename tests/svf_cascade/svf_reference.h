// An independent model of the cascaded filter for reference numbers: it
// runs sample by sample through all stages (the module runs stage by stage),
// keeps each stage's running values in double for one call and rounds the
// stored state and every stage's output sample to float.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

struct ReferenceFilter {
  // form: 0 Lpf, 1 Hpf, 2 Bpf, 3 Notch, 4 Peak A, 5 Peak B
  int form = 0;
  int stages = 1;
  float band[8] = {};
  float low[8] = {};

  // One process call over in[0..n) with per-sample cutoff values (or a
  // constant cutoff when per_sample is false: cutoff[0] is used), resonance
  // res and resonance balance.
  std::vector<float> Call(const std::vector<float>& in, const std::vector<float>& cutoff,
                          bool per_sample, float res, float balance) {
    const float damp_f = static_cast<float>(1.0 - double(res) * double(balance));
    const double damp = damp_f;
    double b[8], l[8];
    for (int k = 0; k < stages; ++k) {
      b[k] = band[k];
      l[k] = low[k];
    }
    std::vector<float> out(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
      const double f = std::fabs(per_sample ? cutoff[i] : cutoff[0]);
      float sample = in[i];
      for (int k = 0; k < stages; ++k) {
        const double x = sample;
        l[k] += f * b[k];
        const double h = x - l[k] - (damp * b[k] + double(1e-18f));
        b[k] += f * h;
        double y = 0;
        switch (form) {
          case 0:
            y = l[k];
            break;
          case 1:
            y = h;
            break;
          case 2:
            y = b[k];
            break;
          case 3:
            y = h + l[k];
            break;
          case 4:
            y = x + b[k];
            break;
          case 5:
            y = l[k] - h;
            break;
        }
        sample = static_cast<float>(y);
      }
      out[i] = sample;
    }
    for (int k = 0; k < stages; ++k) {
      band[k] = static_cast<float>(b[k]);
      low[k] = static_cast<float>(l[k]);
    }
    return out;
  }
};
