#pragma once
// One page of the automatic layout: a run of photos arranged, their proportions kept, to fill the
// usable area with exactly the album's spacing between them.
//
// Every slicing tree of the run (SlicingTrees.h) is tried. In a tree each part's width is a linear
// function of its height, so the size the whole tree takes follows exactly from the photos' shapes, the
// spacing and the text heights. Pictures that may be cut are all made wider (or narrower) by one
// common factor, found by a bracketed search, until the tree fills the area, as far as the crop budget
// lets them. A tree is scored by the share of the area its pictures cover, less a penalty for the crop,
// and by rules that outweigh any coverage: the smallest picture at least a third of the largest, a
// panorama (2.5:1 or wider) across the whole width, a big photo about twice its neighbours' area.
//
// Pure arithmetic on the numbers given; the same input gives the same page on every machine and
// thread. Nothing is shared but the read-only tree lists.

#include <cstddef>
#include <cstdint>

#include "layout/LayoutTypes.h"

// A panorama: this wide to one high or wider.
constexpr double KPanoramaAspect = 2.5;
// How many of a page's best arrangements "another arrangement" steps through.
constexpr size_t KArrangementChoices = 5;

struct TArrangeParams {
  TLayoutRect Area;          // the usable area of the page
  int32_t SpacingX = 0;      // between pictures side by side
  int32_t SpacingY = 0;      // between pictures one above the other
  double CropBudget = 0.10;  // the largest share of a photo's area that may be cut away, 0 .. 0.5
};

struct TArrangementScore {
  double Cost = 0;  // lower is better: 1 - coverage, the crop's penalty and the rules' penalties
  double Coverage = 0;
};

// Scores the best arrangement of Count photos (1 .. KMaxTreeLeaves) starting at Shapes[First].
TArrangementScore ScorePage(const TPhotoShape* Shapes, size_t First, size_t Count, const TArrangeParams& Params);

// Arranges Count photos starting at Shapes[First]: the Variant-th best arrangement (counted round the
// few best, so any number is valid). The photos' indices in the result are First, First + 1, ...
TArrangedPage ArrangePage(const TPhotoShape* Shapes, size_t First, size_t Count, const TArrangeParams& Params,
                          size_t Variant = 0);
