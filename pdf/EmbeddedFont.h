#pragma once
// The writer's record of one embedded font: the face, every glyph the document drew in it with the
// CID it was written as, and, once the document ends, its subset. Private to the writer.
//
// CIDs: a TrueType face gets CIDs of its own, counted from 1 in order of first use, one for each glyph
// and text it stood for, so that the ToUnicode map gives every character back even where one glyph
// shows several characters (the missing-glyph box above all); a CIDToGIDMap leads each CID to the
// subset's glyph. A CFF face is addressed by the CIDs of its own font program (or glyph indices), and
// a CID gives back the text of its first use.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/FontFace.h"

struct TUsedGlyph {
  uint32_t Cid = 0;
  uint32_t Glyph = 0;     // in the face
  int32_t Width = 0;      // 1/1000 em
  std::string Text;       // UTF-8; empty when the glyph stands for no character of its own
  uint32_t NewGlyph = 0;  // in the subset
};

struct TEmbeddedFont {
  TFontFace* Face = nullptr;
  std::vector<TUsedGlyph> Used;                                  // in order of first use
  std::map<std::pair<uint32_t, std::string>, size_t> Positions;  // (glyph, text) -> position in Used
  // Set when the document ends.
  bool Subsetted = false;
  TFontSubset Subset;
  std::string BaseFont;      // PDF name with the subset tag, without "/"
  int32_t FirstPartObj = 0;  // CIDFont, descriptor, ToUnicode, font file, CIDToGIDMap follow in order
};
