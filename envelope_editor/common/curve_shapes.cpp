#include "curve_shapes.h"

namespace {

template <int S>
double ValueOf(double p) {
  return CurveShape<S>::F(p);
}

template <int S>
double ApplyOf(double start, double delta, double p) {
  return CurveShape<S>::Apply(start, delta, p);
}

typedef double (*ValueFn)(double);
typedef double (*ApplyFn)(double, double, double);

constexpr ValueFn VALUES[SHAPE_COUNT] = {
    ValueOf<0>, ValueOf<1>, ValueOf<2>, ValueOf<3>,  ValueOf<4>,  ValueOf<5>,  ValueOf<6>,
    ValueOf<7>, ValueOf<8>, ValueOf<9>, ValueOf<10>, ValueOf<11>, ValueOf<12>, ValueOf<13>,
};

constexpr ApplyFn APPLIES[SHAPE_COUNT] = {
    ApplyOf<0>, ApplyOf<1>, ApplyOf<2>, ApplyOf<3>,  ApplyOf<4>,  ApplyOf<5>,  ApplyOf<6>,
    ApplyOf<7>, ApplyOf<8>, ApplyOf<9>, ApplyOf<10>, ApplyOf<11>, ApplyOf<12>, ApplyOf<13>,
};

constexpr const char* NAMES[SHAPE_COUNT] = {
    "Linear",   "Exp",          "Inv.Exp", "Exp2",      "Inv.Exp2", "Root",       "Inv.Root",
    "Exp.Root", "Inv.Exp.Root", "S_Crv",   "Inv.S_Crv", "S_Crv2",   "Inv.S_Crv2", "Step",
};

constexpr const char* LABELS[SHAPE_COUNT] = {
    "LINEAR",   "EXP",          "INV_EXP", "EXP2",       "INV_EXP2", "ROOT",       "INV_ROOT",
    "EXP_ROOT", "INV_EXP_ROOT", "S_CRV1",  "INV_S_CRV1", "S_CRV2",   "INV_S_CRV2", "STEP",
};

int32_t Known(int32_t shape) { return shape >= 0 && shape < SHAPE_COUNT ? shape : SHAPE_LINEAR; }

}  // namespace

double ShapeValue(int32_t shape, double p) { return VALUES[Known(shape)](p); }

double ShapeApply(int32_t shape, double start, double delta, double p) {
  return APPLIES[Known(shape)](start, delta, p);
}

const char* ShapeName(int32_t shape) { return NAMES[Known(shape)]; }
const char* ShapeMenuLabel(int32_t shape) { return LABELS[Known(shape)]; }
