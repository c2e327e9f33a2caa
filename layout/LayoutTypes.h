#pragma once
// What the page layouts take in and give out: the shapes of the photos and the room their texts need,
// the usable areas of the pages, and for every page the rectangles its photos go in. No pictures, files
// or fonts: a caller measures those and hands the numbers over.
//
// Lengths are whole points (1/72 inch) in top-down page coordinates.

#include <cstddef>
#include <cstdint>
#include <vector>

// A rectangle from its top-left corner X1, Y1 to X2, Y2 just outside it.
struct TLayoutRect {
  int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  int32_t Width() const { return X2 - X1; }
  int32_t Height() const { return Y2 - Y1; }
  bool operator==(const TLayoutRect&) const = default;
};

// A part of a photo in fractions of its width and height: 0, 0, 1, 1 is the whole photo.
struct TPhotoWindow {
  double X1 = 0, Y1 = 0, X2 = 1, Y2 = 1;
  double Area() const { return (X2 - X1) * (Y2 - Y1); }
};

// One photo as the layout sees it.
struct TPhotoShape {
  double Aspect = 1;       // width / height of the picture as it is shown whole (after its turns)
  int32_t TextHeight = 0;  // points its text lines take below the picture, reserved in its slot
  bool MayCrop = true;     // the picture may be cut (within the budget) to fill its slot
  bool Big = false;        // about twice the area of its neighbours
  bool FullPage = false;   // a page of its own
  double FocusX = 0.5, FocusY = 0.5;  // the point that stays in view when it is cut, in fractions
};

// Where one photo went on its page. Slot is all the room it has: the picture area and its text below.
// Picture is where the picture is drawn (inside Slot); Window is the part of the photo drawn there,
// with the same proportions as Picture up to the rounding of Picture to whole points. Crop is the
// share of the photo's area cut away (1 - Window.Area()). Without Drawn (no room left beside the
// text) the photo has its slot but no picture, and its text starts at the slot's top.
struct TPlacedPhoto {
  size_t Photo = 0;  // index into the shapes given
  TLayoutRect Slot;
  bool Drawn = false;
  TLayoutRect Picture;
  TPhotoWindow Window;
  double Crop = 0;
  int32_t TextTop = 0;  // where the photo's text lines begin
};

// One page: its photos in their order.
struct TArrangedPage {
  std::vector<TPlacedPhoto> Photos;
  size_t Variant = 0;   // which of the page's best arrangements this is (0 = the best)
  size_t Variants = 1;  // how many arrangements there are to choose from
  double Coverage = 0;  // pictures' share of the usable area
};
