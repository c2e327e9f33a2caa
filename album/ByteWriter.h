#pragma once
// Appends little-endian values to a byte string; the album file is built in memory and written in one
// piece, so the counterpart of TByteReader needs no failure paths.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

inline void PutU8(std::string& Out, uint8_t Value) { Out.push_back(static_cast<char>(Value)); }

inline void PutU32(std::string& Out, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<char>((Value >> (8 * i)) & 0xFF));
}

inline void PutI32(std::string& Out, int32_t Value) { PutU32(Out, static_cast<uint32_t>(Value)); }

inline void PutDouble(std::string& Out, double Value) {
  uint64_t bits;
  std::memcpy(&bits, &Value, sizeof bits);
  for (int i = 0; i < 8; ++i) Out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

inline void PutFlag(std::string& Out, bool Value) { PutU8(Out, Value ? 1 : 0); }

inline void PutBytes(std::string& Out, std::string_view Bytes) { Out.append(Bytes); }
