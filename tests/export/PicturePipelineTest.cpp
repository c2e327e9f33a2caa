// The picture pipeline's ways out: an error on its helper thread, a cancel while pictures wait
// encoded, and no helper thread at all. Loads are steered through the plan's placement callback,
// which every load calls on its own thread.

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

#include "export/PicturePipeline.h"
#include "imaging/pictaro/PictaroMemory.h"
#include "support/TestSupport.h"
#include "support/Waiting.h"

namespace {

class PicturePipeline : public ::testing::Test {
 protected:
  void SetUp() override { qtest::WritePicture(File, 64, 48, 24, 7); }
  // Under a limit, every place the same: a picture is encoded as soon as it is loaded. OnLoad runs
  // under Lock and is told whether the helper loads.
  TPictureLoadPlan Plan(std::function<void(bool)> OnLoad) {
    TPictureLoadPlan plan{150, false, [this, OnLoad](size_t, int32_t, int32_t) {
                            std::unique_lock<std::mutex> hold(Lock);
                            OnLoad(std::this_thread::get_id() != Exporter);
                            return TPlacementRange{{true, 32, 24}, {true, 32, 24}};
                          }};
    return plan;
  }

  qtest::TScratchDir Dir;
  const std::string File = Dir / "a.jpg";
  const std::thread::id Exporter = std::this_thread::get_id();
  std::mutex Lock;
  std::condition_variable Changed;
  size_t Photo = 0;
  int32_t Copy = 0;
  const TPictureSource* Picture = nullptr;
};

TEST_F(PicturePipeline, AnErrorOnTheHelperThreadComesOutOfNext) {
  bool failed = false;  // the export's first load waits until the helper's has failed
  TPicturePipeline pipeline({File}, 2, Plan([&](bool Helper) {
                              if (Helper) failed = true, Changed.notify_all(), throw std::bad_alloc();
                              std::unique_lock<std::mutex> wait(Lock, std::adopt_lock);
                              EXPECT_TRUE(qtest::WaitFor(Changed, wait, [&] { return failed; }));
                              wait.release();
                            }),
                            nullptr, nullptr);
  EXPECT_THROW(while (pipeline.Next(Photo, Copy, Picture)) pipeline.Drop(), std::bad_alloc);
}

TEST_F(PicturePipeline, CancelWithPicturesParkedFreesEverything) {
  std::atomic<bool> cancel{false};
  int loads = 0;
  const int held = PicturesHeld();
  {
    TPicturePipeline pipeline({File}, 10, Plan([&](bool) { ++loads, Changed.notify_all(); }), nullptr,
                              &cancel);
    std::unique_lock<std::mutex> wait(Lock);
    // The helper loads ahead until four wait.
    ASSERT_TRUE(qtest::WaitFor(Changed, wait, [&] { return loads >= 4; })) << loads << " loads";
    cancel = true;
    wait.unlock();
    pipeline.Flush();
  }
  EXPECT_EQ(PicturesHeld(), held);
}

TEST_F(PicturePipeline, WithoutAHelperThreadTheExportsThreadLoadsAllInOrder) {
  FailHelperStartsForTesting(true);
  bool helped = false;
  TPicturePipeline pipeline({File, File}, 2, Plan([&](bool Helper) { helped |= Helper; }), nullptr, nullptr);
  FailHelperStartsForTesting(false);
  std::vector<std::pair<size_t, int32_t>> order;
  for (; pipeline.Next(Photo, Copy, Picture); pipeline.Drop())
    order.emplace_back(Picture->Loaded() ? Photo : 9, Copy);
  EXPECT_EQ(order, (std::vector<std::pair<size_t, int32_t>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
  EXPECT_FALSE(helped);
}

}  // namespace
