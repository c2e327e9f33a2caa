#pragma once
// TByteReader: reads little-endian values from a block of bytes held in memory.
//
// Every read first checks that enough bytes are left; when they are not, it returns false, consumes
// nothing and leaves the output untouched. A reader therefore never reads past the end of its block,
// and a caller can check a length against Left() before allocating anything for it.

#include <cstdint>
#include <cstring>
#include <string_view>

class TByteReader {
 public:
  explicit TByteReader(std::string_view Bytes) : FBytes(Bytes) {}

  size_t Left() const { return FBytes.size() - FPos; }
  size_t Position() const { return FPos; }
  bool AtEnd() const { return FPos == FBytes.size(); }

  bool ReadU8(uint8_t& Value) {
    if (Left() < 1) return false;
    Value = static_cast<uint8_t>(FBytes[FPos++]);
    return true;
  }
  bool ReadU32(uint32_t& Value) {
    if (Left() < 4) return false;
    Value = 0;
    for (int i = 3; i >= 0; --i) Value = (Value << 8) | static_cast<uint8_t>(FBytes[FPos + i]);
    FPos += 4;
    return true;
  }
  bool ReadI32(int32_t& Value) {
    uint32_t bits;
    if (!ReadU32(bits)) return false;
    Value = static_cast<int32_t>(bits);
    return true;
  }
  bool ReadDouble(double& Value) {
    if (Left() < 8) return false;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | static_cast<uint8_t>(FBytes[FPos + i]);
    std::memcpy(&Value, &bits, sizeof Value);
    FPos += 8;
    return true;
  }
  // A view of the next Count bytes (no copy), valid as long as the underlying block.
  bool ReadBytes(size_t Count, std::string_view& Value) {
    if (Left() < Count) return false;
    Value = FBytes.substr(FPos, Count);
    FPos += Count;
    return true;
  }

 private:
  std::string_view FBytes;
  size_t FPos = 0;
};
