#pragma once
// Turning photos: the quarter turns a user gives a photo, on top of the orientation tag its file
// carries, and the one rule that combines the two. Every path that shows or writes a photo (the
// grid's thumbnails, the viewer, the export's pictures and a JPEG placed as it is) turns it through
// TurnedOrientation, so all of them agree.
//
// An orientation is one of the eight EXIF/TIFF tag values 1 to 8, each naming how the stored picture
// is mirrored and turned to be shown upright: 1 as stored, 2 mirrored left to right, 3 half a turn,
// 4 mirrored top to bottom, 5 transposed, 6 a quarter turn clockwise, 7 transversed, 8 a quarter turn
// anticlockwise. A turn is a number of quarter turns clockwise: "Rechts drehen" adds 1, "Links drehen"
// adds 3; any whole number counts modulo 4.

#include <cstdint>

#include "imaging/pictaro/Dib.h"

// Turns in 0..3: Turns modulo 4, also for negative numbers.
int NormalTurn(int Turns);

// The orientation that shows a picture stored in Orientation upright and then turns it by Turns
// quarter turns clockwise. Orientation values outside 1..8 count as 1 (no tag), as the readers take
// them. The result is always 1..8.
int TurnedOrientation(int Orientation, int Turns);

// True when a turn swaps a picture's width and height.
inline bool TurnSwapsSides(int Turns) { return (NormalTurn(Turns) & 1) != 0; }

// Turns Dib (1, 4, 8 or 24 bits, as the picture library gives them) by Turns quarter turns clockwise,
// in place: the old picture is freed and Dib holds the turned one. A turn of 0 or a Dib without
// pixels changes nothing. False, with Dib unchanged, only when memory for the turned copy is short.
bool TurnDib(TDib& Dib, int Turns);

// A picture of the caller's own (freed with deldib): Dib turned by Turns quarter turns clockwise, a
// plain copy for no turn. Dib is left alone. Bits nullptr when Dib has no pixels or memory is short.
TDib TurnedCopy(const TDib& Dib, int Turns);
