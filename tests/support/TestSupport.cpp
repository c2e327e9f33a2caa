#include "support/TestSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "imaging/pictaro/Pictaro.h"

namespace qtest {

TScratchDir::TScratchDir() {
  static std::atomic<int> counter{0};
  FPath = std::filesystem::path(QUIRVEL_BINARY_DIR) / "test-scratch" /
          (std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(FPath);
  std::filesystem::create_directories(FPath);
}

TScratchDir::~TScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

TRecordingMessageBox::TRecordingMessageBox() { SetMessageBox(this); }
TRecordingMessageBox::~TRecordingMessageBox() { SetMessageBox(nullptr); }

bool TRecordingMessageBox::Show(const std::string& Text, const std::string& Title, TMsgIcon Icon,
                                TMsgButtons Buttons) {
  Shown.push_back({Text, Title, Icon, Buttons});
  if (OnShow) OnShow();
  if (Answers.empty()) return true;
  bool answer = Answers.front();
  Answers.erase(Answers.begin());
  return answer;
}

std::filesystem::path PhotosDir() {
  const char* env = std::getenv("QUIRVEL_PHOTOS");
  std::filesystem::path dir = env && *env ? env : std::filesystem::path(QUIRVEL_BINARY_DIR) / "photos";
  if (std::filesystem::exists(dir / "manifest.tsv")) return dir;
  return {};
}

std::vector<std::vector<std::string>> PhotoManifest() {
  std::vector<std::vector<std::string>> rows;
  const std::filesystem::path dir = PhotosDir();
  if (dir.empty()) return rows;
  std::ifstream in(dir / "manifest.tsv");
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream s(line);
    for (std::string cell; std::getline(s, cell, '\t');) cells.push_back(cell);
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::string ReadFile(const std::filesystem::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + Path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::filesystem::path& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + Path.string());
}

int Run(const std::string& Command, std::string* Output) {
  FILE* pipe = popen(Command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 65536> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    if (Output) Output->append(buffer.data(), n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& Text) {
  std::string quoted = "'";
  for (char c : Text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool HaveProgram(const std::string& Name) { return Run("command -v " + Name + " >/dev/null 2>&1") == 0; }

bool MissingAllowed() {
  const char* allowed = std::getenv("QUIRVEL_TESTS_ALLOW_MISSING");
  return allowed && std::string(allowed) == "1";
}

bool NeedProgram(const std::string& Name) {
  if (HaveProgram(Name)) return true;
  if (MissingAllowed())
    std::fprintf(stderr, "note: %s is not installed; the checks that need it are left out\n", Name.c_str());
  else
    ADD_FAILURE() << Name << " is not installed; scripts/install-deps.sh --test installs it";
  return false;
}

void WritePicture(const std::filesystem::path& File, int Width, int Height, int BitCount, int Format) {
  TDib dib{};
  newdib(&dib, Width, Height, BitCount, nullptr, 0);
  if (!dib.Bits) {
    ADD_FAILURE() << "no memory for a picture of " << Width << " x " << Height;
    return;
  }
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      setpixel(dib, x, y,
               BitCount == 1 ? ((x / 4 + y / 4) & 1)
                             : static_cast<uint32_t>((x * 3) | ((y * 3) << 8) | (((x + y) & 0xFF) << 16)));
  EXPECT_EQ(SaveDib(dib, File.c_str(), Format, 0), 1) << File;
  deldib(dib);
}

bool WriteQuadrantJpeg(const std::string& File, int Orientation) {
  const bool made =
      Run("convert -size 48x32 xc:white -fill red -draw 'rectangle 0,0 23,15' -fill lime "
          "-draw 'rectangle 24,0 47,15' -fill blue -draw 'rectangle 0,16 23,31' -sampling-factor 1x1 "
          "-quality 100 " +
          Quote(File)) == 0 &&
      Run("exiftool -q -overwrite_original -Orientation#=" + std::to_string(Orientation) + " " +
          Quote(File)) == 0;
  EXPECT_TRUE(made) << "convert or exiftool could not write " << File;
  return made;
}

namespace {

// An 8-bit binary PPM (P6) or PGM (P5, each sample then three times) as a reader wrote it: its size
// and RGB samples; false, with a failure recorded in Who's name, when it is none or is short. The
// header's four fields may be separated by comments (Ghostscript writes one).
bool ParsePpm(const std::string& Ppm, const char* Who, int& Width, int& Height, std::string& Rgb) {
  std::vector<std::string> fields;
  size_t at = 0;
  while (fields.size() < 4 && at < Ppm.size()) {
    if (Ppm[at] == '#') {
      at = Ppm.find('\n', at);
      if (at == std::string::npos) break;
    } else if (std::isspace(static_cast<unsigned char>(Ppm[at]))) {
      ++at;
    } else {
      const size_t start = at;
      while (at < Ppm.size() && !std::isspace(static_cast<unsigned char>(Ppm[at]))) ++at;
      fields.push_back(Ppm.substr(start, at - start));
    }
  }
  if (fields.size() != 4 || (fields[0] != "P6" && fields[0] != "P5") || fields[3] != "255" || at >= Ppm.size()) {
    ADD_FAILURE() << Who << " wrote no 8-bit PPM or PGM";
    return false;
  }
  Width = std::atoi(fields[1].c_str());
  Height = std::atoi(fields[2].c_str());
  Rgb = Ppm.substr(at + 1);
  if (fields[0] == "P5") {  // grey: each sample three times
    std::string grey;
    grey.swap(Rgb);
    for (char sample : grey) Rgb.append(3, sample);
  }
  if (Rgb.size() != size_t{3} * Width * Height) {
    ADD_FAILURE() << Who << "'s PPM is short";
    return false;
  }
  return true;
}

}  // namespace

bool AddExifThumbnail(const std::string& Photo, const std::string& Thumbnail, int Orientation) {
  if (!NeedProgram("exiftool")) return false;
  const std::string orientation = Orientation ? " -Orientation#=" + std::to_string(Orientation) : "";
  if (Run("exiftool -q -overwrite_original " + Quote("-ThumbnailImage<=" + Thumbnail) + orientation + " " +
          Quote(Photo)) == 0)
    return true;
  ADD_FAILURE() << "exiftool could not put " << Thumbnail << " into " << Photo;
  return false;
}

bool DjpegPixels(const std::string& Jpeg, int& Width, int& Height, std::string& Rgb) {
  if (!NeedProgram("djpeg")) return false;
  TScratchDir dir;
  WriteFile(dir.Path() / "in.jpg", Jpeg);
  std::string ppm;
  if (Run("djpeg -ppm " + Quote(dir / "in.jpg") + " 2>/dev/null", &ppm) != 0) {
    ADD_FAILURE() << "djpeg refuses the JPEG bytes";
    return false;
  }
  return ParsePpm(ppm, "djpeg", Width, Height, Rgb);
}

bool ReadPpm(const std::string& Ppm, int& Width, int& Height, std::string& Rgb) {
  return ParsePpm(Ppm, "the reader", Width, Height, Rgb);
}

bool PdfPagePixels(const std::filesystem::path& Pdf, int Page, int Width, int Height, std::string& Rgb) {
  if (!NeedProgram("pdftoppm")) return false;
  TScratchDir dir;
  const std::string page = std::to_string(Page);
  if (Run("pdftoppm -f " + page + " -l " + page + " -scale-to-x " + std::to_string(Width) + " -scale-to-y " +
          std::to_string(Height) + " -singlefile " + Quote(Pdf.string()) + " " + Quote(dir / "page")) != 0) {
    ADD_FAILURE() << "pdftoppm cannot render page " << Page << " of " << Pdf;
    return false;
  }
  int w = 0, h = 0;
  if (!ParsePpm(ReadFile(dir.Path() / "page.ppm"), "pdftoppm", w, h, Rgb)) return false;
  EXPECT_TRUE(w == Width && h == Height) << "pdftoppm rendered " << w << " x " << h;
  return w == Width && h == Height;
}

namespace {

// A 3 x 3 box blur, twice: a blur of three along the rows, then along the columns, each twice.
std::vector<double> Blurred(const std::string& Rgb, int Width, int Height) {
  std::vector<double> a(Rgb.size()), b(Rgb.size());
  for (size_t i = 0; i < Rgb.size(); ++i) a[i] = static_cast<uint8_t>(Rgb[i]);
  for (int pass = 0; pass < 4; ++pass) {
    const bool rows = pass % 2 == 0;
    const int length = rows ? Width : Height, step = rows ? 3 : 3 * Width;
    for (size_t i = 0; i < a.size(); ++i) {
      const int at = rows ? int(i / 3 % Width) : int(i / 3 / Width);
      const double sum = a[i] + (at > 0 ? a[i - step] : 0) + (at + 1 < length ? a[i + step] : 0);
      b[i] = sum / (1 + (at > 0) + (at + 1 < length));
    }
    a.swap(b);
  }
  return a;
}

}  // namespace

TPictureDifference ComparePictures(const std::string& A, const std::string& B, int Width, int Height) {
  TPictureDifference d;
  if (A.size() != size_t{3} * Width * Height || B.size() != A.size() || Width <= 0 || Height <= 0) {
    ADD_FAILURE() << "pictures of different sizes";
    d.Mean = d.WorstTile = 255;
    return d;
  }
  const std::vector<double> a = Blurred(A, Width, Height), b = Blurred(B, Width, Height);
  constexpr int tile = 16;
  const int across = (Width + tile - 1) / tile;
  std::vector<double> sums(size_t(across) * ((Height + tile - 1) / tile)), counts(sums.size());
  for (size_t i = 0; i < a.size(); ++i) {
    const size_t pixel = i / 3, t = pixel / Width / tile * across + pixel % Width / tile;
    sums[t] += std::abs(a[i] - b[i]);
    ++counts[t];
    d.Mean += std::abs(a[i] - b[i]) / a.size();
  }
  for (size_t t = 0; t < sums.size(); ++t)
    if (sums[t] / counts[t] > d.WorstTile)
      d.WorstTile = sums[t] / counts[t], d.WorstTileX = int(t % across) * tile, d.WorstTileY = int(t / across) * tile;
  return d;
}

TProgramResult RunWithoutDisplay(const std::string& Program, const std::filesystem::path& Dir,
                                 const std::string& Args, const std::string& Env) {
  const std::string errFile = (Dir / "stderr.txt").string();
  TProgramResult r;
  r.Status = Run("cd " + Quote(Dir.string()) + " && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                     Env + " " + Quote(Program) + " " + Args + " 2>" + Quote(errFile),
                 &r.Out);
  r.Err = ReadFile(errFile);
  return r;
}

TEnvOverride::TEnvOverride(std::string Name, const std::string& Value) : FName(std::move(Name)) {
  const char* old = std::getenv(FName.c_str());
  FHadOld = old != nullptr;
  if (old) FOld = old;
  setenv(FName.c_str(), Value.c_str(), 1);
}

TEnvOverride::~TEnvOverride() {
  if (FHadOld)
    setenv(FName.c_str(), FOld.c_str(), 1);
  else
    unsetenv(FName.c_str());
}

TFileSizeLimit::TFileSizeLimit(unsigned long long Bytes) {
  FOldSignal = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  FOldLimit = limit.rlim_cur;
  limit.rlim_cur = Bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

TFileSizeLimit::~TFileSizeLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = FOldLimit;
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, FOldSignal);
}

}  // namespace qtest
