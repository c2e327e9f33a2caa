#pragma once
// The colour module's own: the cache of prepared Little CMS transforms behind ColorConvert.h, for
// ColorProfile.cpp, which builds a profile's transform to sRGB once when it checks the profile.

#include "imaging/ColorProfile.h"

// Little CMS's error log goes nowhere: a damaged profile is reported by the calls that refuse it.
void SilenceColorErrors();

// True when a transform from Profile to sRGB exists (built now, and kept, when it was not yet).
bool HasSrgbTransform(const TColorProfile& Profile);
