#pragma once
// TBookSettings: what makes an album a book rather than a run of equal pages: a title page, sections
// with their titles, a contents page, a back page, and facing pages with a binding margin. Kept in the
// album file's sixth group (AlbumExtensions.h); all of it off by default, and an album with all of it
// off is written, and exported, exactly as before.
//
// Photos are named by identity, not by place, so that a mark stays with its photo when photos are
// sorted or moved: the file name and which of the photos with that same file it is (0 for the first
// in album order), as the album may hold one file more than once.

#include <cstdint>
#include <string>
#include <vector>

struct TPhotoIdentity {
  std::string File;         // empty: no photo
  uint32_t Occurrence = 0;  // among the photos with this file, in album order, from 0

  bool Empty() const { return File.empty(); }
  bool operator==(const TPhotoIdentity&) const = default;
};

// A section begins before Photo; an empty Title falls back to the photo's date or "Abschnitt N".
struct TSectionMark {
  TPhotoIdentity Photo;
  std::string Title;

  bool operator==(const TSectionMark&) const = default;
};

// "Bindung" in mm: the extra margin on the inner side of book pages.
struct TBindingLimits {
  double Min, Max;
};
constexpr TBindingLimits KBindingLimits{0, 50};

struct TBookSettings {
  // "Titelseite": the album name large, the subtitle, and the title photo ("Titelbild"), which is not
  // repeated among the pages unless TitlePhotoInside.
  bool TitlePage = false;
  std::string Subtitle;
  TPhotoIdentity TitlePhoto;
  bool TitlePhotoInside = false;
  // "Rückseite": a last page with a free text and, optionally, a photo.
  bool BackPage = false;
  std::string BackText;
  TPhotoIdentity BackPhoto;
  // "Inhaltsverzeichnis": after the title page, the sections with their page numbers.
  bool Contents = false;
  // "Abschnittsseite": each section begins with a page of its own holding its title.
  bool SectionPage = false;
  // "Buch mit Doppelseiten": inner and outer margins mirrored on left and right pages, page 1 on the
  // right, Binding mm more on the inner side; with bleed, the inner side has none unless BleedInner
  // ("Beschnitt innen").
  bool BookMode = false;
  double Binding = 0;
  bool BleedInner = false;
  // "Abschnitte": in the order of their photos in the album.
  std::vector<TSectionMark> Marks;

  bool operator==(const TBookSettings&) const = default;
  // True when anything here changes the PDF.
  bool AnyOn() const { return TitlePage || BackPage || Contents || BookMode || !Marks.empty(); }
};
