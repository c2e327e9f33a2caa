#pragma once
// TZlibCompressor: the owner of one zlib deflate stream at level 9, reused for every page of a
// document. Each Compress turns a whole block into one zlib-format stream (two-byte header, deflate
// data, Adler-32) in a single deflate call with Z_FINISH; the destructor calls deflateEnd.
//
// Failures throw TPdfCompressError: at construction when zlib cannot start (memory), in Compress when
// deflate does not finish or the block is larger than zlib takes in one call.

#include <zlib.h>

#include <cstddef>
#include <stdexcept>
#include <vector>

class TPdfCompressError : public std::runtime_error {
 public:
  explicit TPdfCompressError(int ZlibCode);
  int ZlibCode() const { return FCode; }

 private:
  int FCode;
};

class TZlibCompressor {
 public:
  TZlibCompressor();
  ~TZlibCompressor();
  TZlibCompressor(const TZlibCompressor&) = delete;
  TZlibCompressor& operator=(const TZlibCompressor&) = delete;

  // Compresses Size bytes at Data into Out (resized to the compressed length; its capacity is kept
  // for the next call). An empty block gives the 8-byte stream of no data.
  void Compress(const void* Data, size_t Size, std::vector<unsigned char>& Out);

 private:
  z_stream FStream{};
};
