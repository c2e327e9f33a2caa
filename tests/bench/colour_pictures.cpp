// Colour profiles and HEIF in the export, each beside its reference, one run each:
// - 20 photos of the corpus with a Display P3 profile against the same photos without it (the
//   profile must cost next to nothing: the numbers are not converted, only the profile is written);
// - a 24-megapixel HEIC exported against libheif decoding it alone (its HEVC decoder is the floor).
// Times are the process's processor time, both threads of the export included.

#include <benchmark/benchmark.h>
#include <libheif/heif.h>

#include <filesystem>

#include "export/AlbumExport.h"
#include "support/TaggedPictures.h"
#include "support/TestSupport.h"

namespace {

constexpr size_t KPhotos = 20;

// The corpus's first JPEG photos, as they are and with a P3 profile put in after their first marker;
// made once for both benchmarks.
struct TP3Photos {
  qtest::TScratchDir Dir;
  std::vector<TExportPhoto> Tagged, Untagged;
  TP3Photos() {
    const std::string icc = qtest::TestProfile(qtest::TTestProfile::DisplayP3);
    std::string segment("\xFF\xE2", 2);
    const size_t length = 2 + 14 + icc.size();
    segment += static_cast<char>(length >> 8);
    segment += static_cast<char>(length & 0xFF);
    segment += std::string("ICC_PROFILE\0\x01\x01", 14) + icc;
    for (const auto& row : qtest::PhotoManifest()) {
      if (Tagged.size() == KPhotos) break;
      if (row.size() < 4 || row[3] != "JPEG") continue;
      const std::filesystem::path file = qtest::PhotosDir() / row[0];
      const std::string bytes = qtest::ReadFile(file);
      const std::string name = Dir / ("p3-" + std::to_string(Tagged.size()) + ".jpg");
      qtest::WriteFile(name, bytes.substr(0, 2) + segment + bytes.substr(2));
      Tagged.push_back({name, ""});
      Untagged.push_back({file.string(), ""});
    }
  }
};

TP3Photos& P3Photos() {
  static TP3Photos photos;
  return photos;
}

void Export(benchmark::State& State, const std::vector<TExportPhoto>& Photos, const std::string& Out) {
  if (Photos.empty()) State.SkipWithError("no photo corpus: set QUIRVEL_PHOTOS");
  for (auto _ : State) {
    const TExportResult r = ExportAlbum(Photos, FirstStartSettings(), Out, TExportOptions{});
    if (!r.Ok()) State.SkipWithError(r.Message.c_str());
  }
  State.SetItemsProcessed(State.iterations() * static_cast<int64_t>(Photos.size()));
}

void ExportP3Photos(benchmark::State& State) { Export(State, P3Photos().Tagged, P3Photos().Dir / "p3.pdf"); }
void ExportPhotosWithoutProfile(benchmark::State& State) {
  Export(State, P3Photos().Untagged, P3Photos().Dir / "untagged.pdf");
}
BENCHMARK(ExportPhotosWithoutProfile)->Unit(benchmark::kSecond)->Iterations(1)->MeasureProcessCPUTime();
BENCHMARK(ExportP3Photos)->Unit(benchmark::kSecond)->Iterations(1)->MeasureProcessCPUTime();

// A 6000 x 4000 HEIC of a smooth colour field, made once.
struct THeic {
  qtest::TScratchDir Dir;
  std::string File = Dir / "photo.heic";
  std::string Bytes;
  THeic() {
    qtest::TTestPixels pixels{6000, 4000, std::string(size_t{6000} * 4000 * 3, '\0')};
    for (size_t y = 0; y < 4000; ++y)
      for (size_t x = 0; x < 6000; ++x) {
        char* p = pixels.Rgb.data() + (y * 6000 + x) * 3;
        p[0] = static_cast<char>(x / 24), p[1] = static_cast<char>(y / 16), p[2] = static_cast<char>((x + y) / 40);
      }
    Bytes = qtest::HeifPicture(pixels, {});
    qtest::WriteFile(File, Bytes);
  }
};

THeic& Heic() {
  static THeic heic;
  return heic;
}

void DecodeHeicWithLibheif(benchmark::State& State) {
  const std::string& bytes = Heic().Bytes;
  for (auto _ : State) {
    heif_context* ctx = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    heif_context_read_from_memory_without_copy(ctx, bytes.data(), bytes.size(), nullptr);
    heif_context_get_primary_image_handle(ctx, &handle);
    if (!handle || heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
                           .code != heif_error_Ok)
      State.SkipWithError("libheif cannot decode the picture");
    if (image) heif_image_release(image);
    if (handle) heif_image_handle_release(handle);
    heif_context_free(ctx);
  }
}
void ExportHeic(benchmark::State& State) { Export(State, {{Heic().File, ""}}, Heic().Dir / "heic.pdf"); }
BENCHMARK(DecodeHeicWithLibheif)->Unit(benchmark::kSecond)->Iterations(1)->MeasureProcessCPUTime();
BENCHMARK(ExportHeic)->Unit(benchmark::kSecond)->Iterations(1)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
