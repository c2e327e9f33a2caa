#pragma once
// Generic region coding of a bi-level bitmap: template 0 with the nominal adaptive pixels
// (3,-1), (-3,-1), (2,-2), (-2,-2), arithmetic coding, typical prediction (TPGDON) on.
//
// The bitmap is given as packed rows, top row first, most significant bit = leftmost pixel, a 1-bit
// meaning black. Bits past Width in each row are ignored (they may hold anything).

#include <cstddef>
#include <cstdint>
#include <string>

// The template and prediction this coder uses, for the segment that carries its data.
inline constexpr int GenericTemplate = 0;
inline constexpr bool GenericTypicalPrediction = true;
inline constexpr int8_t GenericAdaptivePixels[8] = {3, -1, -3, -1, 2, -2, -2, -2};

// Codes the Width x Height bitmap and returns the terminated arithmetic code stream.
// Requires Width >= 1, Height >= 1, Stride >= (Width + 7) / 8 and PackedRows holding Height rows of
// Stride bytes; throws std::invalid_argument otherwise (and std::bad_alloc when memory is short).
std::string EncodeGenericRegion(const uint8_t* PackedRows, int Width, int Height, size_t Stride);
