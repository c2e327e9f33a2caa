// Differential fuzzer of the JBIG2 encoder: an arbitrary 1-bit picture goes through jbig2encode as the
// PDF writer hands it over (a BMP file in, the globals and page files out) and is decoded again by
// libjbig2dec, a decoder written by others; every pixel must come back as it went in, black where
// the encoder's rule says the picture is dark. A few inputs check the failure promises instead: a
// picture that is not 1 bit, or a page file that cannot be written, gives its result code and leaves
// neither output file behind.
//
// Input: a mode byte, width - 1 and height - 1 (16 bits each, taken modulo 2000), the two colours of
// the colour table (red, green, blue each), a fill byte, then the packed rows from the top, most
// significant bit leftmost. When the bytes run out the rest of the picture is the fill byte, or
// (mode bit 3) the row bytes again from the start.

#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "imaging/jbig2/Jbig2Encode.h"
#include "imaging/pictaro/Pictaro.h"
#include "pdf/PictureSpool.h"
#include "platform/SafeFile.h"
#include "platform/TempFolder.h"

// Last: jbig2.h needs the fixed-size integer types and size_t declared before it, and defines
// "inline" away, which would break every C++ header after it.
#include <jbig2.h>
#undef inline

namespace {

constexpr int MaxSide = 2000;

struct TColourTable {
  TBitmapInfoHeader Header;
  uint8_t Quads[2][4];
};

bool Exists(const std::string& Path) {
  struct stat info;
  return ::stat(Path.c_str(), &info) == 0;
}

// The picture as a 1-bit picture of the library: Rows holds Height packed rows from the top.
void MakePicture(TDibHolder& Dib, const TColourTable& Table, const std::vector<uint8_t>& Rows, int Width,
                 int Height) {
  newdib(Dib.Receive(), Width, Height, 1, &Table.Header, 2);
  FuzzCheck(Dib.Get().Bits != nullptr, "newdib failed");
  const size_t used = (static_cast<size_t>(Width) + 7) / 8;
  for (int top = 0; top < Height; ++top)
    std::memcpy(Dib.Get().Bits + static_cast<ptrdiff_t>(Height - 1 - top) * Dib.Get().RowBytes,
                Rows.data() + used * static_cast<size_t>(top), used);
}

unsigned Brightness(const uint8_t* Quad) { return 299u * Quad[2] + 587u * Quad[1] + 114u * Quad[0]; }

struct TDecodeLog {
  std::string Messages;
};

void Collect(void* Data, const char* Message, Jbig2Severity Severity, uint32_t) {
  if (Severity == JBIG2_SEVERITY_WARNING || Severity == JBIG2_SEVERITY_FATAL)
    static_cast<TDecodeLog*>(Data)->Messages.append(Message).append("\n");
}

// Decodes Page with libjbig2dec and compares it with Expected (packed rows, 1 = black).
void ExpectDecodesTo(const std::string& Page, const std::vector<uint8_t>& Expected, int Width, int Height) {
  TDecodeLog log;
  Jbig2Ctx* ctx = jbig2_ctx_new(nullptr, JBIG2_OPTIONS_EMBEDDED, nullptr, Collect, &log);
  FuzzCheck(ctx != nullptr, "libjbig2dec did not start");
  const bool fed = jbig2_data_in(ctx, reinterpret_cast<const unsigned char*>(Page.data()), Page.size()) >= 0;
  jbig2_complete_page(ctx);
  Jbig2Image* image = jbig2_page_out(ctx);
  bool same = fed && image && image->width == static_cast<uint32_t>(Width) &&
              image->height == static_cast<uint32_t>(Height);
  const size_t used = (static_cast<size_t>(Width) + 7) / 8;
  for (int y = 0; same && y < Height; ++y) {
    const uint8_t* got = image->data + static_cast<size_t>(y) * image->stride;
    const uint8_t* want = Expected.data() + static_cast<size_t>(y) * used;
    for (int x = 0; x < Width && same; ++x) same = ((got[x >> 3] ^ want[x >> 3]) & (0x80 >> (x & 7))) == 0;
  }
  if (!same) std::fprintf(stderr, "%dx%d, libjbig2dec says:\n%s", Width, Height, log.Messages.c_str());
  if (image) jbig2_release_page(ctx, image);
  jbig2_ctx_free(ctx);
  FuzzCheck(same, "the decoded picture differs from the encoded one");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TFuzzInput in(Data, Size);
  const uint8_t mode = in.U8();
  const int width = in.U16() % MaxSide + 1, height = in.U16() % MaxSide + 1;
  TColourTable table{};
  table.Header.biSize = sizeof(TBitmapInfoHeader);
  for (auto& quad : table.Quads) quad[2] = in.U8(), quad[1] = in.U8(), quad[0] = in.U8();
  const uint8_t fill = in.U8();

  const size_t used = (static_cast<size_t>(width) + 7) / 8;
  std::vector<uint8_t> rows(used * static_cast<size_t>(height), fill);
  const size_t given = std::min(rows.size(), in.RestSize());
  std::memcpy(rows.data(), in.Rest(), given);
  if ((mode & 8) && given > 0)
    for (size_t i = given; i < rows.size(); ++i) rows[i] = rows[i - given];

  TDibHolder dib;
  MakePicture(dib, table, rows, width, height);
  TTempFile input("fuzzjbig2", ".bmp"), globals("fuzzjbig2g", ".jb2"), page("fuzzjbig2p", ".jb2");

  if ((mode & 7) == 6) {
    // Any depth but 1 bit is refused.
    TDibHolder grey;
    newdib(grey.Receive(), width, height, 8, nullptr, 0);
    FuzzCheck(SaveDib(grey.Get(), input.CPath(), 3, 0) == 1, "SaveDib failed");
    FuzzCheck(jbig2encode(input.CPath(), globals.CPath(), page.CPath()) == Jbig2NotBilevel,
              "a picture of 8 bits was not refused");
    FuzzCheck(!Exists(globals.Path()) && !Exists(page.Path()), "a refused picture left an output file");
    return 0;
  }
  FuzzCheck(SaveDib(dib.Get(), input.CPath(), 3, 0) == 1, "SaveDib failed");
  if ((mode & 7) == 7) {
    // The globals file is written first; it must go again when the page file cannot be written.
    const std::string nowhere = TempFolder() + "no-such-folder/page.jb2";
    FuzzCheck(jbig2encode(input.CPath(), globals.CPath(), nowhere.c_str()) == Jbig2CannotWrite,
              "an unwritable page file was not reported");
    FuzzCheck(!Exists(globals.Path()), "a failed encoding left the globals file");
    return 0;
  }

  FuzzCheck(jbig2encode(input.CPath(), globals.CPath(), page.CPath()) == Jbig2Ok, "jbig2encode failed");
  std::string pageBytes, globalsBytes;
  FuzzCheck(ReadWholeFile(page.Path(), pageBytes).Ok() && ReadWholeFile(globals.Path(), globalsBytes).Ok(),
            "an output file is missing");
  FuzzCheck(globalsBytes.empty(), "the page was meant to need no global segments");

  // The darker colour is black; two equally bright colours are both black when dark, else both white.
  const unsigned b0 = Brightness(table.Quads[0]), b1 = Brightness(table.Quads[1]), dark = 128000;
  const bool black0 = b0 < b1 || (b0 == b1 && b0 < dark), black1 = b1 < b0 || (b0 == b1 && b1 < dark);
  for (uint8_t& byte : rows)
    byte = black0 && black1 ? 0xFF : black1 ? byte : black0 ? static_cast<uint8_t>(~byte) : 0;
  ExpectDecodesTo(pageBytes, rows, width, height);
  return 0;
}
