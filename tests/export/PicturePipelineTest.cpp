// The picture pipeline's ways out: an error on its helper thread, a cancel while pictures wait
// encoded, and no helper thread at all. Loads are steered through the plan's placement callback,
// which each load calls on the thread doing it.

#include <gtest/gtest.h>

#include <condition_variable>
#include <set>
#include <thread>

#include "export/PicturePipeline.h"
#include "imaging/Pictaro.h"
#include "imaging/PictaroMemory.h"
#include "support/TestSupport.h"

namespace {

class PicturePipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    TDib dib{};
    newdib(&dib, 64, 48, 24, nullptr, 0);
    ASSERT_EQ(SaveDib(dib, File.c_str(), 7, 0), 1);
    deldib(dib);
  }
  // Under a limit, every place 32 x 24 points: each picture is encoded as soon as it is loaded. OnLoad
  // runs under a lock, on the loading thread, with whether that is the helper.
  TPictureLoadPlan Plan(std::function<void(bool)> OnLoad) {
    TPictureLoadPlan plan;
    plan.Dpi = 150;
    plan.Range = [this, OnLoad](size_t, int32_t, int32_t) {
      std::unique_lock<std::mutex> hold(Lock);
      OnLoad(std::this_thread::get_id() != Exporter);
      return TPlacementRange{{true, 32, 24}, {true, 32, 24}};
    };
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
  bool failed = false;  // the export's first load waits for the helper's, which fails
  TPicturePipeline pipeline({File}, 2, Plan([&](bool Helper) {
                              if (Helper) failed = true, Changed.notify_all(), throw std::bad_alloc();
                              std::unique_lock<std::mutex> wait(Lock, std::adopt_lock);
                              Changed.wait(wait, [&] { return failed; });
                              wait.release();
                            }),
                            nullptr, nullptr);
  EXPECT_THROW(while (pipeline.Next(Photo, Copy, Picture)) pipeline.Drop(), std::bad_alloc);
}

TEST_F(PicturePipeline, CancelWithPicturesParkedFreesEverything) {
  std::atomic<bool> cancel{false};
  int parked = 0;
  const int held = PicturesHeld();
  {
    TPicturePipeline pipeline({File}, 10, Plan([&](bool) { ++parked, Changed.notify_all(); }), nullptr,
                              &cancel);
    std::unique_lock<std::mutex> wait(Lock);
    Changed.wait(wait, [&] { return parked >= 4; });  // the helper loads ahead until four wait
    cancel = true;
    wait.unlock();
    pipeline.Flush();
  }
  EXPECT_EQ(PicturesHeld(), held);
}

TEST_F(PicturePipeline, WithoutAHelperThreadTheExportsThreadLoadsAllInOrder) {
  FailHelperStartsForTesting(true);
  bool helped = false;
  TPicturePipeline pipeline({File, File}, 3, Plan([&](bool Helper) { helped |= Helper; }), nullptr, nullptr);
  FailHelperStartsForTesting(false);
  std::vector<std::pair<size_t, int32_t>> order;
  while (pipeline.Next(Photo, Copy, Picture)) {
    EXPECT_TRUE(Picture->Loaded());
    order.emplace_back(Photo, Copy);
    pipeline.Drop();
  }
  EXPECT_EQ(order, (std::vector<std::pair<size_t, int32_t>>{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}}));
  EXPECT_FALSE(helped);
}

}  // namespace
