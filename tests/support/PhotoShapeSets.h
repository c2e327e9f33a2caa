#pragma once
// Seeded random sets of photo shapes for the page layouts' tests and benchmark. The same mix, count and
// seed give the same set on every machine (the generator's raw numbers, no library distributions).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "layout/LayoutTypes.h"

namespace qtest {

enum class TShapeMix {
  Camera,    // 55 % 3:2, 25 % 2:3, 10 % 4:3, 5 % 3:4, 3 % 16:9, 2 % 3:1
  Portrait,  // 2:3 and 3:4 only
  Wide,      // panoramas from 2.5:1 to 20:1 among 3:2 photos, one in three
  Any,       // any shape from 1:5 to 5:1
};

struct TShapeSetRecipe {
  TShapeMix Mix = TShapeMix::Camera;
  size_t Count = 0;
  uint32_t Seed = 1;
  int32_t MaxTextHeight = 0;  // each photo's text takes 0 .. this many points
  int32_t BigEvery = 0;       // every n-th photo is big (0: none)
  int32_t FullPageEvery = 0;  // every n-th photo stands on a page of its own (0: none)
  int32_t FitEvery = 0;       // every n-th photo is never cut (0: none)
};

std::vector<TPhotoShape> ShapeSet(const TShapeSetRecipe& Recipe);

}  // namespace qtest
