// The fourteen curve shapes against their closed forms.
#include <gtest/gtest.h>

#include "curve_shapes.h"
#include "reference_shapes.h"

namespace {

TEST(CurveShapes, TableAgainstClosedForms) {
  for (int shape = 0; shape < SHAPE_COUNT; ++shape) {
    for (double p : {0.0, 0.25, 0.5, 0.75}) {
      EXPECT_NEAR(ShapeValue(shape, p), ReferenceShape(shape, p), 1e-15)
          << ShapeName(shape) << " at " << p;
      // The engine's form gives the same curve between any two levels.
      const double start = -0.3, delta = 1.7;
      EXPECT_NEAR(ShapeApply(shape, start, delta, p), start + delta * ReferenceShape(shape, p),
                  1e-15)
          << ShapeName(shape) << " at " << p;
    }
  }
}

TEST(CurveShapes, ExactValuesThatMatter) {
  struct Case {
    int shape;
    double p, want;
  } cases[] = {
      {SHAPE_S_CRV, 0.5, 0.5},           {SHAPE_INV_S_CRV, 0.5, 0.5},
      {SHAPE_S_CRV2, 0.5, 0.5},          {SHAPE_INV_S_CRV2, 0.5, 0.5},
      {SHAPE_INV_S_CRV2, 0.25, 0.03125}, {SHAPE_INV_S_CRV2, 0.75, 31.0 / 32},
      {SHAPE_S_CRV, 0.25, 0.375},        {SHAPE_INV_S_CRV, 0.25, 0.125},
      {SHAPE_EXP2, 0.5, 0.0625},         {SHAPE_INV_ROOT, 0.25, 0.5},
  };
  for (const Case& c : cases) EXPECT_EQ(ShapeValue(c.shape, c.p), c.want) << ShapeName(c.shape);
  // The S-curves' engine form is exact at the centre for any levels.
  EXPECT_EQ(ShapeApply(SHAPE_S_CRV, 0.1, 0.3, 0.5), 0.1 + 0.5 * 0.3);
  EXPECT_EQ(ShapeApply(SHAPE_S_CRV2, 0.1, 0.3, 0.5), 0.1 + 0.5 * 0.3);
}

TEST(CurveShapes, EveryEvaluatedShapeStartsAtZeroAndFlatStagesStayFlat) {
  for (int shape = 0; shape < SHAPE_STEP; ++shape) {
    EXPECT_EQ(ShapeValue(shape, 0.0), 0.0) << ShapeName(shape);
    for (double p : {0.0, 0.3, 0.9}) EXPECT_EQ(ShapeApply(shape, 0.4, 0.0, p), 0.4);
  }
  EXPECT_EQ(ShapeValue(SHAPE_STEP, 0.0), 1.0);
}

TEST(CurveShapes, InvSCrv2BranchesExactlyAtTheCentre) {
  const double below = 0.5 - 1e-12;
  EXPECT_NEAR(ShapeValue(SHAPE_INV_S_CRV2, below), 0.5, 1e-9);
  EXPECT_LT(ShapeValue(SHAPE_INV_S_CRV2, below), 0.5);
  EXPECT_EQ(ShapeValue(SHAPE_INV_S_CRV2, 0.5), 0.5);
}

TEST(CurveShapes, NamesAndUnknownShapes) {
  EXPECT_STREQ(ShapeName(0), "Linear");
  EXPECT_STREQ(ShapeName(12), "Inv.S_Crv2");
  EXPECT_STREQ(ShapeMenuLabel(9), "S_CRV1");
  EXPECT_STREQ(ShapeMenuLabel(13), "STEP");
  for (int shape : {-1, 14, 999}) {
    EXPECT_STREQ(ShapeName(shape), "Linear");
    EXPECT_EQ(ShapeValue(shape, 0.3), 0.3);
  }
}

}  // namespace
