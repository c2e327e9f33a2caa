#include "support/TestSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

bool DjpegPixels(const std::string& Jpeg, int& Width, int& Height, std::string& Rgb) {
  if (!NeedProgram("djpeg")) return false;
  TScratchDir dir;
  WriteFile(dir.Path() / "in.jpg", Jpeg);
  std::string ppm;
  if (Run("djpeg -ppm " + Quote(dir / "in.jpg") + " 2>/dev/null", &ppm) != 0) {
    ADD_FAILURE() << "djpeg refuses the JPEG bytes";
    return false;
  }
  int maxValue = 0, end = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &Width, &Height, &maxValue, &end) != 3 || maxValue != 255) {
    ADD_FAILURE() << "djpeg wrote no 8-bit PPM";
    return false;
  }
  Rgb = ppm.substr(static_cast<size_t>(end) + 1);
  if (Rgb.size() != size_t{3} * Width * Height) {
    ADD_FAILURE() << "djpeg's PPM is short";
    return false;
  }
  return true;
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
