#include "album/FontRecord.h"

#include "album/ByteWriter.h"
#include "album/DiskText.h"

namespace {

constexpr size_t KMaxNameBytes = 255;
constexpr uint8_t KKnownStyleBits = KFontBold | KFontItalic | KFontUnderline | KFontStrikeOut;

std::string EncodedFaceName(const std::string& Name) {
  std::string encoded = TextToDisk(Name);
  if (encoded.size() <= KMaxNameBytes) return encoded;
  size_t cut = KMaxNameBytes;
  // Kept as UTF-8: do not split a multi-byte character. (Windows-1252 has one byte per character.)
  if (encoded == Name)
    while (cut > 0 && (static_cast<unsigned char>(encoded[cut]) & 0xC0) == 0x80) --cut;
  encoded.resize(cut);
  return encoded;
}

}  // namespace

void WriteFontRec(std::string& Out, const TFontSpec& Font) {
  const std::string name = EncodedFaceName(Font.Name);
  const int32_t size =
      Font.PixelsPerInch > 0 ? FontSizeFromHeight(Font.Height, Font.PixelsPerInch) : Font.Size;
  PutU8(Out, Font.Charset);
  PutU32(Out, Font.Color);
  PutU8(Out, static_cast<uint8_t>(name.size()));
  PutBytes(Out, name);
  PutU8(Out, Font.Pitch);
  PutI32(Out, Font.PixelsPerInch);
  PutI32(Out, size);
  PutU8(Out, Font.Style & KKnownStyleBits);
}

bool ReadFontRec(TByteReader& In, TFontSpec& Font) {
  TFontSpec font;
  uint8_t nameLength = 0;
  std::string_view name;
  if (!In.ReadU8(font.Charset) || !In.ReadU32(font.Color) || !In.ReadU8(nameLength) ||
      !In.ReadBytes(nameLength, name) || !In.ReadU8(font.Pitch) || !In.ReadI32(font.PixelsPerInch) ||
      !In.ReadI32(font.Size) || !In.ReadU8(font.Style))
    return false;
  font.Name = TextFromDisk(name);
  font.Height = FontHeightFromSize(font.Size, font.PixelsPerInch);
  font.Style &= KKnownStyleBits;
  Font = std::move(font);
  return true;
}
