// Verdicts remembered per file: kept for the identical file only, across runs through the cache file;
// a damaged cache file counts as empty and is written anew, one that cannot be written means no cache.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/FileVerdicts.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// Sets the file's modification time to exactly Seconds.Nanos.
void SetModified(const std::string& File, time_t Seconds, long Nanos) {
  const struct timespec times[2] = {{Seconds, Nanos}, {Seconds, Nanos}};
  ASSERT_EQ(::utimensat(AT_FDCWD, File.c_str(), times, 0), 0);
}

struct stat StatOf(const std::string& File) {
  struct stat st {};
  EXPECT_EQ(::stat(File.c_str(), &st), 0) << File;
  return st;
}

// A cache line as the cache file holds it, written out by hand from the file's stat.
std::string LineFor(const std::string& Verdict, const std::string& File, const std::string& Path) {
  const struct stat st = StatOf(File);
  return Verdict + "\t" + std::to_string(st.st_dev) + "\t" + std::to_string(st.st_ino) + "\t" +
         std::to_string(st.st_size) + "\t" + std::to_string(st.st_mtim.tv_sec) + "\t" +
         std::to_string(st.st_mtim.tv_nsec) + "\t" + std::to_string(st.st_ctim.tv_sec) + "\t" +
         std::to_string(st.st_ctim.tv_nsec) + "\t" + Path + "\n";
}

}  // namespace

// A verdict read from the cache file holds only for the identical file: each kind of change makes it
// unknown. The rows change the file the verdict was written for; its bytes stay where they can.
TEST(FileVerdicts, AVerdictHoldsOnlyForTheIdenticalFile) {
  struct TRow {
    const char* Change;
    std::function<void(const qtest::TScratchDir&)> Apply;
    bool Known;
  };
  const TRow rows[] = {
      {"none", [](const qtest::TScratchDir&) {}, true},
      {"modified within the same second", [](const qtest::TScratchDir& D) { SetModified(D / "a.jpg", 1700000000, 2); },
       false},
      {"one byte longer",
       [](const qtest::TScratchDir& D) {
         qtest::WriteFile(D / "a.jpg", "0123456789!");
         SetModified(D / "a.jpg", 1700000000, 1);
       },
       false},
      {"replaced by a copy with the same time (another inode)",
       [](const qtest::TScratchDir& D) {
         qtest::WriteFile(D / "copy", "0123456789");
         SetModified(D / "copy", 1700000000, 1);
         fs::rename(D / "copy", D / "a.jpg");
       },
       false},
      {"the name given through another folder (the same path)",
       [](const qtest::TScratchDir& D) { fs::create_directory(D / "sub"); }, true},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Change);
    qtest::TScratchDir dir;
    qtest::WriteFile(dir / "a.jpg", "0123456789");
    SetModified(dir / "a.jpg", 1700000000, 1);
    const std::string path = fs::weakly_canonical(dir / "a.jpg").string();
    qtest::WriteFile(dir / "verdicts", "quirvel-verdicts 1\n" + LineFor("clean", dir / "a.jpg", path));
    row.Apply(dir);
    TFileVerdicts verdicts(dir / "verdicts");
    TFileIdentity identity;
    const std::string asked = std::string(row.Change).rfind("the name", 0) == 0 ? dir / "sub/../a.jpg" : dir / "a.jpg";
    ASSERT_TRUE(IdentifyFile(asked, identity));
    EXPECT_EQ(identity.Path, path);
    const std::optional<std::string> found = verdicts.Find(identity);
    EXPECT_EQ(found.has_value(), row.Known);
    if (row.Known) {
      EXPECT_EQ(*found, "clean");
    }
  }
}

// The same bytes under another name (a hard link: same inode, size and times) are another file.
TEST(FileVerdicts, AnotherPathIsAnotherFile) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "a.jpg", "0123456789");
  ASSERT_EQ(::link((dir / "a.jpg").c_str(), (dir / "b.jpg").c_str()), 0);
  const std::string a = fs::weakly_canonical(dir / "a.jpg").string();
  qtest::WriteFile(dir / "verdicts", "quirvel-verdicts 1\n" + LineFor("clean", dir / "a.jpg", a));
  TFileVerdicts verdicts(dir / "verdicts");
  TFileIdentity first, second;
  ASSERT_TRUE(IdentifyFile(dir / "a.jpg", first));
  ASSERT_TRUE(IdentifyFile(dir / "b.jpg", second));
  EXPECT_TRUE(verdicts.Find(first).has_value());
  EXPECT_FALSE(verdicts.Find(second).has_value());
}

// Remembered verdicts go into the cache file and come back in the next run; a file whose status
// changed within the settling time is not remembered, since it may change again unseen.
TEST(FileVerdicts, RememberedVerdictsComeBackAndRecentFilesAreNotKept) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "old.jpg", "a");
  qtest::WriteFile(dir / "new.jpg", "b");
  TFileIdentity old, fresh;
  ASSERT_TRUE(IdentifyFile(dir / "old.jpg", old));
  ASSERT_TRUE(IdentifyFile(dir / "new.jpg", fresh));
  const std::string file = dir / "cache/quirvel/verdicts";
  {
    TFileVerdicts settled(file, 0);  // no settling: every file counts as settled
    settled.Remember(old, "damaged");
    TFileVerdicts waiting(file);     // two seconds: the file made just now is not kept
    waiting.Remember(fresh, "clean");
    EXPECT_FALSE(waiting.Find(fresh).has_value());
    EXPECT_TRUE(waiting.Save());  // nothing to write is no failure
    EXPECT_TRUE(settled.Save());
  }
  EXPECT_EQ(qtest::ReadFile(file), "quirvel-verdicts 1\n" + LineFor("damaged", dir / "old.jpg", old.Path));
  TFileVerdicts again(file);
  const std::optional<std::string> found = again.Find(old);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, "damaged");
}

// A damaged cache file is ignored whole and written anew with what this run found.
TEST(FileVerdicts, ADamagedCacheFileIsIgnoredAndRewritten) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "a.jpg", "0123456789");
  const std::string path = fs::weakly_canonical(dir / "a.jpg").string();
  const std::string good = LineFor("clean", dir / "a.jpg", path);
  const std::string withoutEnd = good.substr(0, good.size() - 1);
  const struct {
    const char* What;
    std::string Text;
  } rows[] = {
      {"another first line", "quirvel-verdicts 2\n" + good},
      {"no line feed at the end", "quirvel-verdicts 1\n" + withoutEnd},
      {"a field missing", "quirvel-verdicts 1\n" + good.substr(good.find('\t') + 1)},
      {"a field too many", "quirvel-verdicts 1\n" + withoutEnd + "\tx\n"},
      {"a number with letters", "quirvel-verdicts 1\nclean\t1x" + good.substr(good.find('\t'))},
      {"a relative path", "quirvel-verdicts 1\n" + withoutEnd.substr(0, withoutEnd.rfind('\t') + 1) + "a.jpg\n"},
      {"an unknown escape", "quirvel-verdicts 1\n" + withoutEnd + "%41\n"},
      {"binary garbage", std::string("\x00\xFF\xFE\n", 4)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.What);
    qtest::WriteFile(dir / "verdicts", row.Text + good);  // the good line after the damage is not taken
    TFileVerdicts verdicts(dir / "verdicts", 0);
    TFileIdentity identity;
    ASSERT_TRUE(IdentifyFile(dir / "a.jpg", identity));
    EXPECT_FALSE(verdicts.Find(identity).has_value());
    verdicts.Remember(identity, "damaged");
    EXPECT_TRUE(verdicts.Save());
    EXPECT_EQ(qtest::ReadFile(dir / "verdicts"), "quirvel-verdicts 1\n" + LineFor("damaged", dir / "a.jpg", path));
  }
}

// Paths with the characters the file's lines are made of come back as they were.
TEST(FileVerdicts, PathsWithTabsLineFeedsAndPercentSignsComeBack) {
  qtest::TScratchDir dir;
  const std::string name = dir / "a\tb\nc%25d\re.jpg";
  qtest::WriteFile(name, "x");
  TFileIdentity identity;
  ASSERT_TRUE(IdentifyFile(name, identity));
  {
    TFileVerdicts verdicts(dir / "verdicts", 0);
    verdicts.Remember(identity, "clean");
    ASSERT_TRUE(verdicts.Save());
  }
  const std::string text = qtest::ReadFile(dir / "verdicts");
  EXPECT_NE(text.find("/a%09b%0Ac%2525d%0De.jpg\n"), std::string::npos) << text;
  TFileVerdicts again(dir / "verdicts");
  EXPECT_TRUE(again.Find(identity).has_value());
}

// A cache folder that cannot be made or written means no cache: Save says so and nothing throws;
// the verdicts of this run still hold while it lasts.
TEST(FileVerdicts, AnUnwritableCacheFolderMeansNoCache) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "a.jpg", "x");
  qtest::WriteFile(dir / "blocked", "a file where the folder would be");
  fs::create_directory(dir / "folder");
  fs::create_directory(dir / "folder/verdicts");  // a folder where the file would be
  TFileIdentity identity;
  ASSERT_TRUE(IdentifyFile(dir / "a.jpg", identity));
  for (const std::string& file : {dir / "blocked/quirvel/verdicts", dir / "folder/verdicts", std::string()}) {
    SCOPED_TRACE(file);
    TFileVerdicts verdicts(file, 0);
    verdicts.Remember(identity, "clean");
    EXPECT_EQ(verdicts.Find(identity).has_value(), !file.empty());
    EXPECT_FALSE(verdicts.Save());
  }
  EXPECT_EQ(qtest::ReadFile(dir / "blocked"), "a file where the folder would be");
}

// The user's cache folder: $XDG_CACHE_HOME when it is an absolute path, else ~/.cache.
TEST(FileVerdicts, UserCacheFileFollowsTheXdgFolders) {
  const struct {
    const char* Cache;
    const char* Home;
    std::string Want;
  } rows[] = {
      {"/c", "/h", "/c/quirvel/v"},
      {"relative", "/h", "/h/.cache/quirvel/v"},  // a relative XDG_CACHE_HOME is ignored
      {"", "/h", "/h/.cache/quirvel/v"},
      {"", "relative", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Want);
    const qtest::TEnvOverride cache("XDG_CACHE_HOME", row.Cache);
    const qtest::TEnvOverride home("HOME", row.Home);
    EXPECT_EQ(TFileVerdicts::UserCacheFile("v"), row.Want);
  }
}

// The writer reads a file again only while it is the identical file.
TEST(FileVerdicts, ReadIdenticalFileRefusesAChangedFile) {
  qtest::TScratchDir dir;
  qtest::WriteFile(dir / "a.jpg", "0123456789");
  SetModified(dir / "a.jpg", 1700000000, 1);
  TFileIdentity identity;
  ASSERT_TRUE(IdentifyFile(dir / "a.jpg", identity));
  std::string bytes;
  EXPECT_TRUE(ReadIdenticalFile(identity, 4, bytes));
  EXPECT_EQ(bytes, "0123");
  EXPECT_FALSE(ReadIdenticalFile(identity, 11, bytes));  // more than the file holds
  SetModified(dir / "a.jpg", 1700000000, 3);
  EXPECT_FALSE(ReadIdenticalFile(identity, 4, bytes));
  EXPECT_TRUE(bytes.empty());
  fs::remove(dir / "a.jpg");
  EXPECT_FALSE(ReadIdenticalFile(identity, 4, bytes));
}
