// The fourteen stage curves. A curve f(p) runs from f(0) = 0 towards
// f(1) = 1 over a stage's normalised position p; a stage outputs
// start + delta * f(p). The engine and the editor's drawing both use these.
#pragma once

#include <cmath>
#include <cstdint>

enum : int16_t {
  SHAPE_LINEAR = 0,
  SHAPE_EXP = 1,
  SHAPE_INV_EXP = 2,
  SHAPE_EXP2 = 3,
  SHAPE_INV_EXP2 = 4,
  SHAPE_ROOT = 5,
  SHAPE_INV_ROOT = 6,
  SHAPE_EXP_ROOT = 7,
  SHAPE_INV_EXP_ROOT = 8,
  SHAPE_S_CRV = 9,
  SHAPE_INV_S_CRV = 10,
  SHAPE_S_CRV2 = 11,
  SHAPE_INV_S_CRV2 = 12,
  SHAPE_STEP = 13,
  SHAPE_COUNT = 14,
};

template <int S>
struct CurveShape;

// Every curve but the S-curves is applied as start + delta * f(p).
template <int S>
struct CurveBase {
  static double Apply(double start, double delta, double p) {
    return start + delta * CurveShape<S>::F(p);
  }
};

template <>
struct CurveShape<SHAPE_LINEAR> : CurveBase<SHAPE_LINEAR> {
  static double F(double p) { return p; }
};

template <>
struct CurveShape<SHAPE_EXP> : CurveBase<SHAPE_EXP> {
  static double F(double p) { return p * p; }
};

template <>
struct CurveShape<SHAPE_INV_EXP> : CurveBase<SHAPE_INV_EXP> {
  static double F(double p) {
    const double q = 1.0 - p;
    return 1.0 - q * q;
  }
};

template <>
struct CurveShape<SHAPE_EXP2> : CurveBase<SHAPE_EXP2> {
  static double F(double p) {
    const double p2 = p * p;
    return p2 * p2;
  }
};

template <>
struct CurveShape<SHAPE_INV_EXP2> : CurveBase<SHAPE_INV_EXP2> {
  static double F(double p) {
    const double q = 1.0 - p;
    const double q2 = q * q;
    return 1.0 - q2 * q2;
  }
};

template <>
struct CurveShape<SHAPE_ROOT> : CurveBase<SHAPE_ROOT> {
  static double F(double p) { return 1.0 - std::sqrt(1.0 - p); }
};

template <>
struct CurveShape<SHAPE_INV_ROOT> : CurveBase<SHAPE_INV_ROOT> {
  static double F(double p) { return std::sqrt(p); }
};

template <>
struct CurveShape<SHAPE_EXP_ROOT> : CurveBase<SHAPE_EXP_ROOT> {
  static double F(double p) {
    const double r = 1.0 - std::sqrt(1.0 - p);
    return r * r;
  }
};

template <>
struct CurveShape<SHAPE_INV_EXP_ROOT> : CurveBase<SHAPE_INV_EXP_ROOT> {
  static double F(double p) {
    const double r = 1.0 - std::sqrt(p);
    return 1.0 - r * r;
  }
};

// The S-curves are centred on p = 0.5 and applied around the stage's mid
// value, which keeps the centre exact.
template <>
struct CurveShape<SHAPE_S_CRV> {
  static double F(double p) {
    const double d = p - 0.5;
    return 0.5 + 2.0 * d * std::fabs(d);
  }
  static double Apply(double start, double delta, double p) {
    const double d = p - 0.5;
    return (start + 0.5 * delta) + (2.0 * delta) * d * std::fabs(d);
  }
};

template <>
struct CurveShape<SHAPE_INV_S_CRV> : CurveBase<SHAPE_INV_S_CRV> {
  static double F(double p) {
    const double d = p - 0.5;
    return p + d - 2.0 * d * std::fabs(d);
  }
};

template <>
struct CurveShape<SHAPE_S_CRV2> {
  static double F(double p) {
    const double d = p - 0.5;
    return 0.5 + 4.0 * d * d * d;
  }
  static double Apply(double start, double delta, double p) {
    const double d = p - 0.5;
    return (start + 0.5 * delta) + (4.0 * delta) * d * d * d;
  }
};

template <>
struct CurveShape<SHAPE_INV_S_CRV2> : CurveBase<SHAPE_INV_S_CRV2> {
  static double F(double p) {
    const double x = 2.0 * (p - 0.5);
    if (x < 0.0) {
      const double a = x + 1.0;
      const double a2 = a * a;
      return 0.5 * (a2 * a2);
    }
    const double b = 1.0 - x;
    const double b2 = b * b;
    return 1.0 - 0.5 * (b2 * b2);
  }
};

// "Step" is not evaluated per sample: the stage sits at its end value.
template <>
struct CurveShape<SHAPE_STEP> {
  static double F(double) { return 1.0; }
  static double Apply(double start, double delta, double) { return start + delta; }
};

// f(p) for a shape chosen at run time; an unknown shape is "Linear".
double ShapeValue(int32_t shape, double p);

// start + delta * f(p) as the engine evaluates it, for a shape chosen at run
// time; an unknown shape is "Linear".
double ShapeApply(int32_t shape, double start, double delta, double p);

// The "Stage Shape" list item and the editor's menu label of a shape.
const char* ShapeName(int32_t shape);
const char* ShapeMenuLabel(int32_t shape);
