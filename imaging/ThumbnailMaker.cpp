#include "imaging/ThumbnailMaker.h"

#include <algorithm>
#include <utility>

#include "imaging/Pictaro.h"

namespace {

void FreeResults(std::vector<TThumbnailResult>& Results) {
  for (TThumbnailResult& r : Results) deldib(r.Made.Picture);
  Results.clear();
}

}  // namespace

int TThumbnailMaker::DefaultWorkers() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

TThumbnailMaker::TThumbnailMaker(TNotify Notify, int Workers, TMake Make)
    : FNotify(std::move(Notify)), FMake(Make ? std::move(Make) : [](const std::string& FileName) {
        return MakeThumbnail(FileName.c_str());
      }) {
  for (int i = 0; i < std::max(Workers, 1); ++i) FWorkers.emplace_back([this] { Work(); });
}

TThumbnailMaker::~TThumbnailMaker() {
  {
    const std::lock_guard lock(FLock);
    FStop = true;
    FQueue.clear();
  }
  FWake.notify_all();
  for (std::thread& t : FWorkers) t.join();
  FreeResults(FOutbox);
}

void TThumbnailMaker::Request(const std::vector<std::string>& FileNames) {
  {
    const std::lock_guard lock(FLock);
    std::set<std::string> skip(FBusy.begin(), FBusy.end());
    for (const TThumbnailResult& r : FOutbox) skip.insert(r.FileName);
    FQueue.clear();
    for (const std::string& name : FileNames)
      if (skip.insert(name).second) FQueue.push_back(name);
  }
  FWake.notify_all();
}

std::vector<TThumbnailResult> TThumbnailMaker::TakeResults() {
  const std::lock_guard lock(FLock);
  return std::exchange(FOutbox, {});
}

void TThumbnailMaker::Cancel() {
  std::vector<TThumbnailResult> dropped;
  {
    const std::lock_guard lock(FLock);
    FQueue.clear();
    ++FGeneration;
    dropped.swap(FOutbox);
  }
  FreeResults(dropped);
}

bool TThumbnailMaker::Idle() const {
  const std::lock_guard lock(FLock);
  return FQueue.empty() && FBusy.empty() && FOutbox.empty();
}

void TThumbnailMaker::Work() {
  std::unique_lock lock(FLock);
  for (;;) {
    FWake.wait(lock, [this] { return FStop || !FQueue.empty(); });
    if (FStop) return;
    std::string name = std::move(FQueue.front());
    FQueue.pop_front();
    const auto busy = FBusy.insert(name);
    const unsigned generation = FGeneration;
    lock.unlock();

    TMadeThumbnail made{TThumbnailKind::Unreadable, {}};
    try {
      made = FMake(name);
    } catch (...) {
      made = {TThumbnailKind::Unreadable, {}};
    }

    lock.lock();
    FBusy.erase(busy);
    if (FStop || generation != FGeneration) {
      deldib(made.Picture);
      continue;
    }
    const bool wasEmpty = FOutbox.empty();
    FOutbox.push_back({std::move(name), made});
    if (wasEmpty && FNotify) {
      // Notify without the lock: it may post to another thread, which may call back in at once.
      lock.unlock();
      FNotify();
      lock.lock();
    }
  }
}
