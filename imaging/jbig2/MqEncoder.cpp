#include "imaging/jbig2/MqEncoder.h"

#include <utility>

namespace {

// The probability estimation table: Qe, next index after an MPS, next index after an LPS, and whether
// an LPS swaps the sense of the more probable symbol.
struct TQeRow {
  uint16_t Qe;
  uint8_t NextMps;
  uint8_t NextLps;
  uint8_t Switch;
};

constexpr TQeRow QeTable[47] = {
    {0x5601, 1, 1, 1},   {0x3401, 2, 6, 0},   {0x1801, 3, 9, 0},   {0x0AC1, 4, 12, 0},  {0x0521, 5, 29, 0},
    {0x0221, 38, 33, 0}, {0x5601, 7, 6, 1},   {0x5401, 8, 14, 0},  {0x4801, 9, 14, 0},  {0x3801, 10, 14, 0},
    {0x3001, 11, 17, 0}, {0x2401, 12, 18, 0}, {0x1C01, 13, 20, 0}, {0x1601, 29, 21, 0}, {0x5601, 15, 14, 1},
    {0x5401, 16, 14, 0}, {0x5101, 17, 15, 0}, {0x4801, 18, 16, 0}, {0x3801, 19, 17, 0}, {0x3401, 20, 18, 0},
    {0x3001, 21, 19, 0}, {0x2801, 22, 19, 0}, {0x2401, 23, 20, 0}, {0x2201, 24, 21, 0}, {0x1C01, 25, 22, 0},
    {0x1801, 26, 23, 0}, {0x1601, 27, 24, 0}, {0x1401, 28, 25, 0}, {0x1201, 29, 26, 0}, {0x1101, 30, 27, 0},
    {0x0AC1, 31, 28, 0}, {0x09C1, 32, 29, 0}, {0x08A1, 33, 30, 0}, {0x0521, 34, 31, 0}, {0x0441, 35, 32, 0},
    {0x02A1, 36, 33, 0}, {0x0221, 37, 34, 0}, {0x0141, 38, 35, 0}, {0x0111, 39, 36, 0}, {0x0085, 40, 37, 0},
    {0x0049, 41, 38, 0}, {0x0025, 42, 39, 0}, {0x0015, 43, 40, 0}, {0x0009, 44, 41, 0}, {0x0005, 45, 42, 0},
    {0x0001, 45, 43, 0}, {0x5601, 46, 46, 0},
};

}  // namespace

// The stream starts with a placeholder for "the byte before the first one": the first ByteOut moves
// past it, and a carry can never reach it because the coded value always stays below 1.
TMqEncoder::TMqEncoder(size_t ContextCount) : FStates(ContextCount, 0), FOut(1, '\0') { FOut.reserve(4096); }

void TMqEncoder::CodeMps(uint8_t& State) {
  const TQeRow& row = QeTable[State >> 1];
  FA -= row.Qe;
  if ((FA & 0x8000) == 0) {
    // Conditional exchange: when the MPS sub-interval became the smaller one, code the MPS in the
    // upper (Qe) part instead.
    if (FA < row.Qe)
      FA = row.Qe;
    else
      FC += row.Qe;
    State = static_cast<uint8_t>((row.NextMps << 1) | (State & 1));
    RenormE();
  } else {
    FC += row.Qe;
  }
}

void TMqEncoder::CodeLps(uint8_t& State) {
  const TQeRow& row = QeTable[State >> 1];
  FA -= row.Qe;
  if (FA < row.Qe)
    FC += row.Qe;
  else
    FA = row.Qe;
  uint8_t mps = State & 1;
  if (row.Switch) mps ^= 1;
  State = static_cast<uint8_t>((row.NextLps << 1) | mps);
  RenormE();
}

void TMqEncoder::RenormE() {
  do {
    FA <<= 1;
    FC <<= 1;
    if (--FCT == 0) ByteOut();
  } while ((FA & 0x8000) == 0);
}

// Moves the finished byte out of C. After a 0xFF only seven bits follow, so the next byte can never be
// read as a marker, and a carry that turns B into 0xFF is absorbed the same way.
void TMqEncoder::ByteOut() {
  uint8_t& b = reinterpret_cast<uint8_t&>(FOut.back());
  if (b == 0xFF) {
    FOut.push_back(static_cast<char>(FC >> 20));
    FC &= 0xFFFFF;
    FCT = 7;
    return;
  }
  if (FC >= 0x8000000) {
    ++b;  // carry into the pending byte
    FC &= 0x7FFFFFF;
    if (b == 0xFF) {
      FOut.push_back(static_cast<char>(FC >> 20));
      FC &= 0xFFFFF;
      FCT = 7;
      return;
    }
  }
  FOut.push_back(static_cast<char>(FC >> 19));
  FC &= 0x7FFFF;
  FCT = 8;
}

// Chooses the value in the final interval with as many trailing 1-bits cleared as possible.
void TMqEncoder::SetBits() {
  const uint32_t top = FC + FA;
  FC |= 0xFFFF;
  if (FC >= top) FC -= 0x8000;
}

std::string TMqEncoder::Finish() {
  SetBits();
  FC <<= FCT;
  ByteOut();
  FC <<= FCT;
  ByteOut();
  // The last byte may be 0xFF already; it then doubles as the marker's prefix.
  if (static_cast<uint8_t>(FOut.back()) != 0xFF) FOut.push_back(static_cast<char>(0xFF));
  FOut.push_back(static_cast<char>(0xAC));
  FOut.erase(0, 1);
  return std::move(FOut);
}
