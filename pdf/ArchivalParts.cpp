// What makes a document archival PDF/A: the header's comment, XMP metadata, the sRGB output intent,
// the document information dictionary and the document ID, and the faces that may not go in. The
// metadata and the output intent's profile follow the outlines, so that the catalog before them knows
// their numbers; the information dictionary comes last, after the pictures, and the trailer names it.

#include <cstring>

#include "imaging/color/ColorProfile.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PdfFormat.h"
#include "platform/FontFace.h"
#include "platform/TextEncoding.h"

#ifndef QUIRVEL_VERSION
#define QUIRVEL_VERSION "0"
#endif

namespace {

const char* const KProducer = "Quirvel " QUIRVEL_VERSION;
// The output condition every sRGB output intent names, as the ICC registry lists it.
const char* const KSrgbCondition = "sRGB IEC61966-2.1";

// The title as both places give it: without control characters, which XML does not allow.
std::string CleanTitle(const std::string& Title) { return CleanPdfText(Title); }

std::string XmlEscaped(const std::string& Text) {
  std::string out;
  for (char c : Text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A PDF literal string of ASCII text.
std::string Literal(const std::string& Text) {
  std::string out = "(";
  for (char c : Text) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out + ")";
}

struct TLocalTime {
  std::tm Time{};
  long OffsetMinutes = 0;
};

TLocalTime LocalTime(std::time_t When) {
  TLocalTime t;
  localtime_r(&When, &t.Time);
  t.OffsetMinutes = t.Time.tm_gmtoff / 60;
  return t;
}

// The information dictionary's form of a date, "D:20240102030405+01'00'".
constexpr const char* KPdfDate = "D:%04d%02d%02d%02d%02d%02d%c%02ld'%02ld'";
// XMP's form of the same moment, "2024-01-02T03:04:05+01:00".
constexpr const char* KXmpDate = "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld";

// T in Form, one of the two above: year, month, day, hour, minute, second, the offset's sign, hours
// and minutes.
std::string DateText(const TLocalTime& T, const char* Form) {
  char text[64];
  const long offset = T.OffsetMinutes < 0 ? -T.OffsetMinutes : T.OffsetMinutes;
  std::snprintf(text, sizeof text, Form, T.Time.tm_year + 1900, T.Time.tm_mon + 1, T.Time.tm_mday,
                T.Time.tm_hour, T.Time.tm_min, T.Time.tm_sec, T.OffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return text;
}

// The packet is kept in lines as the XML it is.
// clang-format off
std::string Xmp(TPdfA Level, const std::string& Title, const std::string& Date) {
  // The packet's begin attribute holds the byte order mark, as XMP asks.
  return std::string("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n") +
         "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
         "<rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\">\n"
         "<pdfaid:part>" + (Level == TPdfA::A1b ? "1" : "2") + "</pdfaid:part>\n"
         "<pdfaid:conformance>B</pdfaid:conformance>\n"
         "</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
         "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + XmlEscaped(Title) + "</rdf:li></rdf:Alt></dc:title>\n"
         "</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
         "<xmp:CreateDate>" + Date + "</xmp:CreateDate>\n"
         "<xmp:ModifyDate>" + Date + "</xmp:ModifyDate>\n"
         "</rdf:Description>\n"
         "<rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
         "<pdf:Producer>" + KProducer + "</pdf:Producer>\n"
         "</rdf:Description>\n"
         "</rdf:RDF>\n"
         "</x:xmpmeta>\n"
         "<?xpacket end=\"w\"?>";
}
// clang-format on

}  // namespace

void TPDFCanvas::WriteArchivalComment() {
  FCreated = Created != 0 ? Created : std::time(nullptr);
  WriteLine("%PDF-1.4");
  // Four bytes above 127 tell a file transfer that the file is binary.
  WriteLine("%\xE2\xE3\xCF\xD3");
}

void TPDFCanvas::CheckArchivalFace(const TFontFace& Face) const {
  if (PdfA == TPdfA::None || !Face.ForbidsEmbedding()) return;
  throw TPdfArchiveError(
      "Fehler: Die Lizenz der Schrift „" + Face.DisplayName() +
      "“ verbietet das Einbetten, das PDF/A verlangt. Wählen Sie für Überschrift und Texte "
      "eine andere Schrift oder schalten Sie PDF/A aus.");
}

void TPDFCanvas::WriteArchivalCatalogEntries() {
  if (PdfA == TPdfA::None) return;
  // The outlines and their entries and links follow the catalog, then the metadata and the profile.
  FMetadataObj = FCatalogObj + 2 + NavigationObjectCount();
  FLine.assign("/Metadata ");
  AppendInt(FLine, FMetadataObj);
  FLine += " 0 R";
  WriteLine();
  FLine.assign("/OutputIntents [<< /Type /OutputIntent /S /GTS_PDFA1 /OutputConditionIdentifier ");
  FLine += Literal(KSrgbCondition);
  FLine += " /RegistryName (http://www.color.org) /Info ";
  FLine += Literal(KSrgbCondition);
  FLine += " /DestOutputProfile ";
  AppendInt(FLine, int64_t(FMetadataObj) + 1);
  FLine += " 0 R >>]";
  WriteLine();
}

void TPDFCanvas::WriteArchivalObjects() {
  if (PdfA == TPdfA::None) return;
  // The metadata go in uncompressed, so that tools that know no PDF can find them.
  const std::string xmp = Xmp(PdfA, CleanTitle(Title), DateText(LocalTime(FCreated), KXmpDate));
  std::string dictionary = "<< /Type /Metadata /Subtype /XML /Length ";
  AppendInt(dictionary, StreamLength(xmp.size()));
  dictionary += " >>";
  WriteImageStream(dictionary, xmp);
  const std::string& profile = SrgbProfileVersion2();
  if (profile.empty())
    throw TPdfArchiveError("Fehler: Das sRGB-Farbprofil für PDF/A ließ sich nicht erzeugen.");
  FCompressor->Compress(profile.data(), profile.size(), FCompressed);
  dictionary = "<< /N 3 /Length ";
  AppendInt(dictionary, StreamLength(FCompressed.size()));
  dictionary += " /Filter /FlateDecode >>";
  WriteImageStream(dictionary,
                   std::string_view(reinterpret_cast<const char*>(FCompressed.data()), FCompressed.size()));
}

void TPDFCanvas::WriteInfoDictionary() {
  if (PdfA == TPdfA::None) return;
  const std::string date = DateText(LocalTime(FCreated), KPdfDate);
  FInfoObj = BeginDictObject();
  // The title as UTF-16 with its byte order mark, which holds every script.
  FLine.assign("/Title <FEFF");
  AppendUtf16Hex(FLine, CleanTitle(Title));
  FLine += '>';
  WriteLine();
  WriteLine("/Producer " + Literal(KProducer));
  WriteLine("/CreationDate " + Literal(date));
  WriteLine("/ModDate " + Literal(date));
  EndDictObject();
}

void TPDFCanvas::WriteArchivalTrailerEntries() {
  if (PdfA == TPdfA::None) return;
  FLine.assign("/Info ");
  AppendInt(FLine, FInfoObj);
  FLine += " 0 R";
  WriteLine();
  // The ID is made from what the document is: the same document gets the same ID.
  uint64_t hash[2] = {14695981039346656037ull, 1099511628211ull};
  const auto mix = [&hash](std::string_view Bytes) {
    for (unsigned char c : Bytes) {
      hash[0] = (hash[0] ^ c) * 1099511628211ull;
      hash[1] = (hash[1] ^ c) * 14029467366897019727ull + 1;
    }
  };
  mix(Title);
  mix(DateText(LocalTime(FCreated), KPdfDate));
  std::string size;
  AppendInt(size, FXRefPos);
  AppendInt(size, FObjects->Count);
  mix(size);
  char id[40];
  std::snprintf(id, sizeof id, "%016llX%016llX", static_cast<unsigned long long>(hash[0]),
                static_cast<unsigned long long>(hash[1]));
  WriteLine(std::string("/ID [<") + id + "> <" + id + ">]");
}
