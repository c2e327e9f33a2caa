#include "support/PhotoShapeSets.h"

#include <cmath>
#include <random>

namespace qtest {

namespace {

double CameraAspect(uint32_t Percent) {
  if (Percent < 55) return 3.0 / 2;
  if (Percent < 80) return 2.0 / 3;
  if (Percent < 90) return 4.0 / 3;
  if (Percent < 95) return 3.0 / 4;
  if (Percent < 98) return 16.0 / 9;
  return 3.0;
}

}  // namespace

std::vector<TPhotoShape> ShapeSet(const TShapeSetRecipe& Recipe) {
  std::mt19937 random(Recipe.Seed);
  std::vector<TPhotoShape> shapes(Recipe.Count);
  for (size_t i = 0; i < Recipe.Count; ++i) {
    TPhotoShape& shape = shapes[i];
    const uint32_t draw = random();
    switch (Recipe.Mix) {
      case TShapeMix::Camera: shape.Aspect = CameraAspect(draw % 100); break;
      case TShapeMix::Portrait: shape.Aspect = draw % 2 ? 2.0 / 3 : 3.0 / 4; break;
      case TShapeMix::Wide: shape.Aspect = draw % 3 ? 1.5 : 2.5 + (draw >> 8) % 1751 / 100.0; break;
      case TShapeMix::Any: shape.Aspect = std::exp(((draw % 10001) / 5000.0 - 1) * std::log(5.0)); break;
    }
    if (Recipe.MaxTextHeight > 0) shape.TextHeight = static_cast<int32_t>(random() % (Recipe.MaxTextHeight + 1u));
    const auto every = [i](int32_t N) { return N > 0 && i % static_cast<size_t>(N) == static_cast<size_t>(N) - 1; };
    shape.Big = every(Recipe.BigEvery);
    shape.FullPage = every(Recipe.FullPageEvery);
    shape.MayCrop = !every(Recipe.FitEvery);
  }
  return shapes;
}

}  // namespace qtest
