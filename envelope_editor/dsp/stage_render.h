// The inner loops of the engine: one per curve shape, so that no sample
// decides anything. The position, start, delta and increment are kept in
// double precision; each sample is rounded to float as it is written.
#pragma once

#include <cstdint>

#include "curve_shapes.h"

template <int S>
inline void RenderCurve(float* out, int32_t n, double& p, double inc, double start, double delta) {
  double q = p;
  for (int32_t i = 0; i < n; ++i) {
    out[i] = static_cast<float>(CurveShape<S>::Apply(start, delta, q));
    q += inc;
  }
  p = q;
}

inline void RenderConstant(float* out, int32_t n, float value) {
  for (int32_t i = 0; i < n; ++i) out[i] = value;
}

// Renders n samples of a stage of the given shape; "Step" and unknown
// shapes are handled by the caller.
inline void RenderShape(int32_t shape, float* out, int32_t n, double& p, double inc, double start,
                        double delta) {
  switch (shape) {
    case SHAPE_EXP:
      RenderCurve<SHAPE_EXP>(out, n, p, inc, start, delta);
      break;
    case SHAPE_INV_EXP:
      RenderCurve<SHAPE_INV_EXP>(out, n, p, inc, start, delta);
      break;
    case SHAPE_EXP2:
      RenderCurve<SHAPE_EXP2>(out, n, p, inc, start, delta);
      break;
    case SHAPE_INV_EXP2:
      RenderCurve<SHAPE_INV_EXP2>(out, n, p, inc, start, delta);
      break;
    case SHAPE_ROOT:
      RenderCurve<SHAPE_ROOT>(out, n, p, inc, start, delta);
      break;
    case SHAPE_INV_ROOT:
      RenderCurve<SHAPE_INV_ROOT>(out, n, p, inc, start, delta);
      break;
    case SHAPE_EXP_ROOT:
      RenderCurve<SHAPE_EXP_ROOT>(out, n, p, inc, start, delta);
      break;
    case SHAPE_INV_EXP_ROOT:
      RenderCurve<SHAPE_INV_EXP_ROOT>(out, n, p, inc, start, delta);
      break;
    case SHAPE_S_CRV:
      RenderCurve<SHAPE_S_CRV>(out, n, p, inc, start, delta);
      break;
    case SHAPE_INV_S_CRV:
      RenderCurve<SHAPE_INV_S_CRV>(out, n, p, inc, start, delta);
      break;
    case SHAPE_S_CRV2:
      RenderCurve<SHAPE_S_CRV2>(out, n, p, inc, start, delta);
      break;
    case SHAPE_INV_S_CRV2:
      RenderCurve<SHAPE_INV_S_CRV2>(out, n, p, inc, start, delta);
      break;
    default:
      RenderCurve<SHAPE_LINEAR>(out, n, p, inc, start, delta);
      break;
  }
}
