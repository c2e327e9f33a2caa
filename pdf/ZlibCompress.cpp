#include "pdf/ZlibCompress.h"

#include <climits>
#include <string>

TPdfCompressError::TPdfCompressError(int ZlibCode)
    : std::runtime_error("Fehler beim Komprimieren der Seite (zlib " + std::to_string(ZlibCode) + ")"),
      FCode(ZlibCode) {}

TZlibCompressor::TZlibCompressor() {
  int rc = deflateInit(&FStream, Z_BEST_COMPRESSION);
  if (rc != Z_OK) throw TPdfCompressError(rc);
}

TZlibCompressor::~TZlibCompressor() { deflateEnd(&FStream); }

void TZlibCompressor::Compress(const void* Data, size_t Size, std::vector<unsigned char>& Out) {
  // One call takes at most UINT_MAX bytes in; a page never comes near that.
  if (Size > UINT_MAX) throw TPdfCompressError(Z_BUF_ERROR);
  int rc = deflateReset(&FStream);
  if (rc != Z_OK) throw TPdfCompressError(rc);
  uLong bound = deflateBound(&FStream, static_cast<uLong>(Size));
  if (bound > UINT_MAX) throw TPdfCompressError(Z_BUF_ERROR);
  Out.resize(bound);
  static unsigned char empty = 0;
  FStream.next_in = Size ? static_cast<Bytef*>(const_cast<void*>(Data)) : &empty;
  FStream.avail_in = static_cast<uInt>(Size);
  FStream.next_out = Out.data();
  FStream.avail_out = static_cast<uInt>(bound);
  rc = deflate(&FStream, Z_FINISH);
  if (rc != Z_STREAM_END) throw TPdfCompressError(rc == Z_OK ? Z_BUF_ERROR : rc);
  Out.resize(FStream.total_out);
}
