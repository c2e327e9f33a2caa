#pragma once
// The colour module's own: the cache of prepared Little CMS transforms behind ColorConvert.h, for
// ColorProfile.cpp, which builds a profile's transform to sRGB once when it checks the profile; and
// the owner of a Little CMS profile handle both use.

#include <lcms2.h>

#include "imaging/pictaro/PictureColor.h"

// Owns a Little CMS profile handle (nullptr: none).
struct TLcmsProfile {
  cmsHPROFILE Handle;
  explicit TLcmsProfile(cmsHPROFILE H) : Handle(H) {}
  ~TLcmsProfile() {
    if (Handle) cmsCloseProfile(Handle);
  }
  TLcmsProfile(const TLcmsProfile&) = delete;
  TLcmsProfile& operator=(const TLcmsProfile&) = delete;
};

// Little CMS's error log goes nowhere: a damaged profile is reported by the calls that refuse it.
void SilenceColorErrors();

// True when a transform from Profile to sRGB exists (built now, and kept, when it was not yet).
bool HasSrgbTransform(const TColorProfile& Profile);
