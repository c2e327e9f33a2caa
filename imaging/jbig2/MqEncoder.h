#pragma once
// TMqEncoder: the adaptive binary arithmetic coder of JBIG2 generic regions (the "MQ" coder).
//
// Each decision is coded in a context: an index into a table of adaptive probability states that the
// encoder owns (ContextCount entries, all starting at state 0 with a more probable symbol of 0, which
// is what every decoder assumes). The decoder must see the same decisions in the same contexts.
//
// Output: Finish() terminates the code stream and returns its bytes; they end with the two-byte marker
// 0xFF 0xAC, so a decoder that reads past the data finds only 1-bits, never a stray byte. A 0xFF inside
// the data is always followed by a byte below 0x90 (bit stuffing), as decoders require.
// After Finish() the encoder is spent: Encode and Finish must not be called again.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TMqEncoder {
 public:
  explicit TMqEncoder(size_t ContextCount);

  // Codes the decision Bit (0 or 1) in Context (< ContextCount).
  void Encode(uint32_t Context, int Bit) {
    uint8_t& state = FStates[Context];
    if (Bit == (state & 1))
      CodeMps(state);
    else
      CodeLps(state);
  }

  // Ends the code stream (the FLUSH of the coder) and hands over all bytes written.
  std::string Finish();

  // Bytes produced so far, including the pending byte that a carry may still change.
  size_t ByteCount() const { return FOut.size() - 1; }

 private:
  // A context's state is packed as (probability index << 1) | more probable symbol.
  void CodeMps(uint8_t& State);
  void CodeLps(uint8_t& State);
  void RenormE();
  void ByteOut();
  void SetBits();

  std::vector<uint8_t> FStates;
  std::string FOut;  // FOut[0] stands for the byte before the stream; FOut.back() is the byte B
  uint32_t FA = 0x8000;
  uint32_t FC = 0;
  int FCT = 12;
};
