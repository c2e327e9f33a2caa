#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/TempFolder.h"

namespace {

TEST(TempFolder, IsPrivateToTheOwner) {
  struct stat st;
  ASSERT_EQ(stat(TempFolder().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(TempFolder().back(), '/');
}

TEST(TempFolder, UniqueTempFileNameTakesTheFirstFreeNumber) {
  EXPECT_EQ(UniqueTempFileName("uniqtest", ".bmp"), TempFolder() + "uniqtest0.bmp");
  for (int i = 0; i < 5; ++i) std::ofstream(TempFolder() + "uniqtest" + std::to_string(i) + ".bmp");
  EXPECT_EQ(UniqueTempFileName("uniqtest", ".bmp"), TempFolder() + "uniqtest5.bmp");
  for (int i = 0; i < 5; ++i) std::filesystem::remove(TempFolder() + "uniqtest" + std::to_string(i) + ".bmp");
}

TEST(TempFolder, CreateUniqueTempFileNeverReturnsTheSameNameTwice) {
  std::string a = CreateUniqueTempFile("exclusive", ".bmp");
  std::string b = CreateUniqueTempFile("exclusive", ".bmp");
  EXPECT_NE(a, b);
  EXPECT_TRUE(std::filesystem::exists(a));
  struct stat st;
  ASSERT_EQ(stat(a.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::filesystem::remove(a);
  std::filesystem::remove(b);
}

}  // namespace
