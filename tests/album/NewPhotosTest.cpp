// What a drop of files and folders adds: the pictures directly in a folder in natural name order,
// dropped files in their order, and everything else named afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include "album/NewPhotos.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

TEST(NewPhotos, DroppedFilesAndFolders) {
  qtest::TScratchDir dir;
  fs::create_directories(dir.Path() / "urlaub" / "unterordner");
  // Only the first bytes say what a file is.
  const std::string jpeg = "\xFF\xD8\xFF\xE0 rest", png = "\x89PNG\r\n\x1A\n rest", gif = "GIF89a rest";
  qtest::WriteFile(dir.Path() / "urlaub" / "IMG_10.png", png);
  qtest::WriteFile(dir.Path() / "urlaub" / "IMG_2.gif", gif);
  qtest::WriteFile(dir.Path() / "urlaub" / "b.jpg", jpeg);
  qtest::WriteFile(dir.Path() / "urlaub" / "notizen.txt", "Strand");
  qtest::WriteFile(dir.Path() / "urlaub" / "unterordner" / "x.jpg", jpeg);
  qtest::WriteFile(dir.Path() / "einzeln.bmp", "BM rest");
  qtest::WriteFile(dir.Path() / "leer.jpg", "");
  const std::vector<std::string> paths = {dir / "urlaub", dir / "weg.jpg", dir / "einzeln.bmp",
                                          dir / "leer.jpg"};

  size_t done = 0, total = 0;
  const TDroppedFiles dropped = CollectDroppedFiles(paths, nullptr, [&](size_t Done, size_t Total) {
    done = Done;
    total = Total;
  });
  EXPECT_FALSE(dropped.Cancelled);
  EXPECT_EQ(dropped.Pictures, (std::vector<std::string>{dir / "urlaub/b.jpg", dir / "urlaub/IMG_2.gif",
                                                        dir / "urlaub/IMG_10.png", dir / "einzeln.bmp"}));
  EXPECT_EQ(dropped.Refused,
            (std::vector<std::string>{dir / "urlaub/notizen.txt", dir / "weg.jpg", dir / "leer.jpg"}));
  EXPECT_EQ(done, 7u);
  EXPECT_EQ(total, 7u);
  EXPECT_EQ(RefusedFilesMessage(dropped.Refused),
            "Diese 3 Dateien sind keine Bilder, die Quirvel lesen kann, und wurden nicht hinzugefügt:\n\n" +
                dir / "urlaub/notizen.txt" + "\n" + dir / "weg.jpg" + "\n" + dir / "leer.jpg");

  // Cancelled while the files are looked at: nothing is to be added.
  std::atomic<bool> cancel{false};
  const TDroppedFiles stopped = CollectDroppedFiles(paths, &cancel, [&](size_t Done, size_t) {
    if (Done == 2) cancel = true;
  });
  EXPECT_TRUE(stopped.Cancelled);
}

// More refused files than are named: the rest is counted.
TEST(NewPhotos, LongListsOfRefusedFilesAreCut) {
  std::vector<std::string> refused;
  for (int i = 1; i <= 25; ++i) refused.push_back("/d/" + std::to_string(i) + ".txt");
  const std::string message = RefusedFilesMessage(refused);
  EXPECT_NE(message.find("\n/d/20.txt\n… und 5 weitere."), std::string::npos) << message;
  EXPECT_EQ(message.find("/d/21.txt"), std::string::npos);
  EXPECT_EQ(RefusedFilesMessage({"/a.txt"}),
            "Diese Datei ist kein Bild, das Quirvel lesen kann, und wurde nicht hinzugefügt:\n\n/a.txt");
  EXPECT_EQ(RefusedFilesMessage({}), "");
}
