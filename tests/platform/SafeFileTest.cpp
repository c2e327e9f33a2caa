// The one writer of files: what each kind of target gets, temporary names that fit, waiting on pipes
// that the cancel flag ends, and the removal of what runs killed outright left behind.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <regex>

#include "platform/SafeFile.h"
#include "platform/UnixFile.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// The PID of a process that has ended: once waited for, no process has it.
pid_t GonePid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

// Reads a FIFO to its end on another thread, as a reader at the other end of a pipe would.
std::future<std::string> ReadFifo(const fs::path& Fifo) {
  return std::async(std::launch::async, [Fifo] {
    std::string bytes;
    const TFd fd(::open(Fifo.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[4096];
    for (ssize_t n; fd.Valid() && (n = ::read(fd.Get(), buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, static_cast<size_t>(n));
    return bytes;
  });
}

bool MakeSocket(const fs::path& Path) {
  const TFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (!fd.Valid() || Path.string().size() >= sizeof address.sun_path) return false;
  std::strcpy(address.sun_path, Path.c_str());
  return ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

mode_t ModeOf(const fs::path& Path) {
  struct stat st {};
  return ::stat(Path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

// What each kind of target gets when "new" is written to it. A file is replaced under its own name
// (a link stays a link and the file it points to is replaced), keeping its mode; a pipe is written to
// directly; a folder, a socket and an input are refused and stay as they were.
TEST(SafeFile, EachKindOfTargetGetsItsWay) {
  qtest::TScratchDir dir;
  const mode_t oldMask = ::umask(022);
  const struct {
    const char* What;
    std::function<void(const fs::path& D)> Make;  // makes "out" (and what it needs) in D
    int Errno;                                    // 0: written
    bool Direct;
    const char* Written;  // the file that has "new" afterwards, relative to D
    mode_t Mode;          // its mode afterwards
    bool OutIsLink;
  } rows[] = {
      {"absent", [](const fs::path&) {}, 0, false, "out", 0644, false},
      {"file of mode 0600",
       [](const fs::path& D) { qtest::WriteFile(D / "out", "old"), fs::permissions(D / "out", fs::perms(0600)); },
       0, false, "out", 0600, false},
      {"link to a file of mode 0640",
       [](const fs::path& D) {
         qtest::WriteFile(D / "real", "old"), fs::permissions(D / "real", fs::perms(0640));
         fs::create_symlink("real", D / "out");
       },
       0, false, "real", 0640, true},
      {"chain of links into another folder",
       [](const fs::path& D) {
         fs::create_directory(D / "sub");
         qtest::WriteFile(D / "sub/real", "old"), fs::permissions(D / "sub/real", fs::perms(0604));
         fs::create_symlink("real", D / "sub/link");
         fs::create_symlink("sub/link", D / "out");
       },
       0, false, "sub/real", 0604, true},
      {"dangling link", [](const fs::path& D) { fs::create_symlink("named", D / "out"); }, 0, false, "named", 0644,
       true},
      {"folder", [](const fs::path& D) { fs::create_directory(D / "out"); }, EISDIR, false, nullptr, 0, false},
      {"socket", [](const fs::path& D) { ASSERT_TRUE(MakeSocket(D / "out")); }, ENXIO, false, nullptr, 0, false},
      {"the input", [](const fs::path& D) { qtest::WriteFile(D / "out", "photo"); }, EEXIST, false, nullptr, 0,
       false},
      {"a link to the input",
       [](const fs::path& D) { qtest::WriteFile(D / "input", "photo"), fs::create_symlink("input", D / "out"); },
       EEXIST, false, nullptr, 0, true},
  };
  for (const auto& row : rows) {
    const fs::path d = dir.Path() / row.What;
    fs::create_directory(d);
    row.Make(d);
    TInputFiles inputs;
    inputs.Add(d / "input");
    if (std::string(row.What) == "the input") inputs.Add(d / "out");
    TSafeFileOptions options;
    options.Inputs = &inputs;
    {
      TSafeFile file(d / "out", options);
      EXPECT_EQ(file.Errno(), row.Errno) << row.What;
      EXPECT_EQ(file.Created(), row.Errno == 0) << row.What;
      EXPECT_EQ(file.ReplacesInput(), row.Errno == EEXIST) << row.What;
      if (file.Created()) {
        EXPECT_EQ(file.Direct(), row.Direct) << row.What;
        EXPECT_EQ(file.Write("new", 3), 0) << row.What;
        EXPECT_TRUE(file.Commit()) << row.What << ": " << file.Errno();
      }
    }
    EXPECT_EQ(fs::is_symlink(d / "out"), row.OutIsLink) << row.What;
    if (row.Written) {
      EXPECT_EQ(qtest::ReadFile(d / row.Written), "new") << row.What;
      EXPECT_EQ(ModeOf(d / row.Written), row.Mode) << row.What;
    }
    if (std::string(row.What) == "folder") {
      EXPECT_TRUE(fs::is_directory(d / "out"));
    }
    if (std::string(row.What) == "socket") {
      EXPECT_TRUE(fs::is_socket(d / "out"));
    }
    if (row.Errno == EEXIST) {
      EXPECT_EQ(qtest::ReadFile(d / "out"), "photo") << row.What;
    }
    // Nothing but what the row made, and what was written, is left in the folder.
    size_t entries = 0;
    for (const auto& entry : fs::recursive_directory_iterator(d))
      entries += entry.path().extension() == ".part";
    EXPECT_EQ(entries, 0u) << row.What;
  }
  ::umask(oldMask);
}

// A named pipe is written to directly, never replaced: the reader at its other end gets the bytes.
TEST(SafeFile, PipeIsWrittenToDirectly) {
  qtest::TScratchDir dir;
  const fs::path fifo = dir.Path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::future<std::string> read = ReadFifo(fifo);
  const std::string bytes(200000, 'x');  // more than a pipe holds at once
  {
    TSafeFile file(fifo);
    ASSERT_TRUE(file.Created()) << file.Errno();
    EXPECT_TRUE(file.Direct());
    EXPECT_EQ(file.Write(bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(file.Commit());
  }
  EXPECT_EQ(read.get(), bytes);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// Waiting on a pipe ends with the cancel flag: for a reader that never comes, and for room that a
// reader who does not read never makes (the flag is set when a write finds the pipe full).
std::atomic<bool> GCancelWhenFull{false};
ssize_t CancelWhenFull(int Fd, const void* Data, size_t Count) {
  const ssize_t n = ::write(Fd, Data, Count);
  if (n < 0 && errno == EAGAIN) GCancelWhenFull = true;
  return n;
}

TEST(SafeFile, CancelEndsWaitingOnAPipe) {
  qtest::TScratchDir dir;
  const fs::path fifo = dir.Path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::atomic<bool> cancel{true};
  TSafeFileOptions options;
  options.Cancel = &cancel;
  {
    TSafeFile nobodyReads(fifo, options);
    EXPECT_FALSE(nobodyReads.Created());
    EXPECT_EQ(nobodyReads.Errno(), ECANCELED);
  }

  const TFd reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));  // there, but never reads
  ASSERT_TRUE(reader.Valid());
  GCancelWhenFull = false;
  options.Cancel = &GCancelWhenFull;
  TSafeFile file(fifo, options);
  ASSERT_TRUE(file.Created()) << file.Errno();
  const std::string bytes(4 << 20, 'x');
  SetWriteFunction(CancelWhenFull);
  const int error = file.Write(bytes.data(), bytes.size());
  SetWriteFunction(nullptr);
  EXPECT_EQ(error, ECANCELED);
}

// Standard output stands for "-" only where the caller says so.
TEST(SafeFile, DashIsStandardOutputOnlyWhenAsked) {
  qtest::TScratchDir dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path());
  TSafeFileOptions options;
  options.DashIsStandardOutput = true;
  {
    TSafeFile out("-", options);
    ASSERT_TRUE(out.Created());
    EXPECT_TRUE(out.Direct());
  }
  EXPECT_FALSE(fs::exists(dir.Path() / "-"));
  const bool written = ReplaceFileSafely("-", "file").Ok();
  fs::current_path(before);
  EXPECT_TRUE(written);
  EXPECT_EQ(qtest::ReadFile(dir.Path() / "-"), "file");
}

// Temporary names: the target's name, the tag and ".part", the name cut short where the folder's
// limit (255 bytes here) leaves no room, never inside a character. Tag "quirvel-12345-AbCdE9" is 20
// bytes, so 26 are added.
TEST(SafeFile, TemporaryNamesFitTheFolder) {
  const std::string tag = "quirvel-12345-AbCdE9";
  std::string umlauts;
  for (int i = 0; i < 122; ++i) umlauts += "ä";  // 244 bytes
  const struct {
    std::string Name;
    size_t Kept;  // bytes of Name kept
  } rows[] = {
      {"album.pdf", 9},                 // short: whole
      {std::string(229, 'a'), 229},     // 229 + 26 = 255: just fits
      {std::string(244, 'a'), 229},     // cut to 255 - 26
      {umlauts, 228},                   // byte 229 would split an "ä": 114 of them stay
      {std::string(255, 'b'), 229},     // the longest name there is
  };
  for (const auto& row : rows) {
    const std::string name = TemporaryNameFor(row.Name, tag, 255);
    EXPECT_EQ(name, row.Name.substr(0, row.Kept) + ".quirvel-12345-AbCdE9.part") << row.Name.size();
    EXPECT_LE(name.size(), 255u);
  }

  // On the disk: a name of 244 bytes is written, one of 256 is refused as too long.
  qtest::TScratchDir dir;
  ASSERT_TRUE(ReplaceFileSafely(dir / umlauts, "long").Ok());
  EXPECT_EQ(qtest::ReadFile(dir / umlauts), "long");
  const TFileResult tooLong = ReplaceFileSafely(dir / std::string(256, 'c'), "x");
  EXPECT_EQ(tooLong.Status, TFileStatus::CannotCreate);
  EXPECT_EQ(tooLong.Errno, ENAMETOOLONG);
  EXPECT_EQ(SystemErrorText(ENAMETOOLONG), "Der Dateiname ist für das Dateisystem zu lang.");
}

TEST(SafeFile, StaleFilesOfOursAreRemovedAndNothingElse) {
  qtest::TScratchDir dir;
  const pid_t child = GonePid();
  const std::string gone = ".quirvel-" + std::to_string(child),
                    alive = ".quirvel-" + std::to_string(getpid());
  TSafeFile pending(dir / "new.pdf");  // being written: named after its target and us, and locked
  ASSERT_TRUE(pending.Created());
  EXPECT_TRUE(
      std::regex_match(pending.TempName(), std::regex(".*/new\\.pdf" + alive + "-[A-Za-z0-9]{6}\\.part")));
  const struct {
    std::string Name;
    char Kind;  // f file, l symbolic link, d folder, k a file someone holds the lock of
    bool Removed;
  } rows[] = {
      {"a.pdf" + gone + "-Ab3dE9.part", 'f', true},  {"b.pdf" + alive + "-Ab3dE9.part", 'f', false},
      {"c.pdf" + gone + "-Ab3dE9.part", 'k', false}, {"d.pdf" + gone + "-Ab3dE9.part", 'l', false},
      {"e.pdf" + gone + "-Ab3dE9.part", 'd', false}, {"f.pdf.1a2b3c4d.part", 'f', false},
      {"g.pdf" + gone + "-Ab3dE.part", 'f', false},  {"h.pdf" + gone + "-Ab3dE9.pdf", 'f', false},
      // a long name cut short inside the temporary one
      {std::string(200, 'i') + gone + "-Ab3dE9.part", 'f', true},
  };
  std::vector<std::unique_ptr<TFd>> locks;
  for (const auto& row : rows) {
    const fs::path path = dir.Path() / row.Name;
    if (row.Kind == 'l') fs::create_symlink(dir.Path() / "new.pdf", path);
    if (row.Kind == 'd') fs::create_directory(path);
    if (row.Kind == 'f' || row.Kind == 'k') qtest::WriteFile(path, "x");
    if (row.Kind != 'k') continue;
    locks.push_back(std::make_unique<TFd>(open(path.c_str(), O_RDONLY | O_CLOEXEC)));
    ASSERT_EQ(flock(locks.back()->Get(), LOCK_EX | LOCK_NB), 0);
  }
  EXPECT_EQ(RemoveStaleTemporaries(dir.Path().string()), 2u);
  for (const auto& row : rows)
    EXPECT_EQ(fs::exists(fs::symlink_status(dir.Path() / row.Name)), !row.Removed) << row.Name;
  EXPECT_TRUE(fs::exists(pending.TempName()));
}

// The first file a run writes into a folder removes what runs killed outright left there.
TEST(SafeFile, FirstWriteIntoAFolderSweepsIt) {
  qtest::TScratchDir dir;
  const fs::path left = dir.Path() / ("old.qvl.quirvel-" + std::to_string(GonePid()) + "-Zz9Yy8.part");
  qtest::WriteFile(left, "half an album");
  ASSERT_TRUE(ReplaceFileSafely(dir / "a.qvl", "album").Ok());
  EXPECT_FALSE(fs::exists(left));
}
