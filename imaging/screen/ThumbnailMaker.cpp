#include "imaging/screen/ThumbnailMaker.h"

#include <algorithm>
#include <utility>

#include "imaging/pictaro/Pictaro.h"

namespace {

void FreeResults(std::vector<TThumbnailResult>& Results) {
  for (TThumbnailResult& r : Results) deldib(r.Made.Picture);
  Results.clear();
}

}  // namespace

int TThumbnailMaker::DefaultWorkers() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

TThumbnailMaker::TThumbnailMaker(TNotify Notify, int Workers, TMake Make, TMake First)
    : FNotify(std::move(Notify)),
      FMake(Make ? std::move(Make)
                 : [](const std::string& FileName) { return MakeThumbnail(FileName.c_str()); }),
      FFirst(std::move(First)) {
  for (int i = 0; i < std::max(Workers, 1); ++i) FWorkers.emplace_back([this] { Work(); });
}

TThumbnailMaker::~TThumbnailMaker() {
  {
    const std::lock_guard lock(FLock);
    FStop = true;
    FQueue.clear();
    FFirstQueue.clear();
  }
  FWake.notify_all();
  for (std::thread& t : FWorkers) t.join();
  FreeResults(FOutbox);
}

void TThumbnailMaker::Request(const std::vector<std::string>& FileNames) {
  {
    const std::lock_guard lock(FLock);
    std::set<std::string> skip(FBusy.begin(), FBusy.end());
    for (const TThumbnailResult& r : FOutbox)
      if (r.Made.Kind != TThumbnailKind::First) skip.insert(r.FileName);
    FQueue.clear();
    FFirstQueue.clear();
    for (const std::string& name : FileNames) {
      if (!skip.insert(name).second) continue;
      FQueue.push_back(name);
      if (FFirst && !FFirstTried.count(name)) FFirstQueue.push_back(name);
    }
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
    FFirstQueue.clear();
    FFirstTried.clear();
    ++FGeneration;
    dropped.swap(FOutbox);
  }
  FreeResults(dropped);
}

bool TThumbnailMaker::Idle() const {
  const std::lock_guard lock(FLock);
  return FQueue.empty() && FBusy.empty() && FOutbox.empty() && FFirstQueue.empty() && FFirstBusy == 0;
}

void TThumbnailMaker::Work() {
  std::unique_lock lock(FLock);
  for (;;) {
    FWake.wait(lock, [this] { return FStop || !FQueue.empty() || !FFirstQueue.empty(); });
    if (FStop) return;
    const bool first = !FFirstQueue.empty();
    std::deque<std::string>& queue = first ? FFirstQueue : FQueue;
    std::string name = std::move(queue.front());
    queue.pop_front();
    const auto busy = first ? FBusy.end() : FBusy.insert(name);
    if (first) {
      FFirstTried.insert(name);
      ++FFirstBusy;
    }
    const unsigned generation = FGeneration;
    lock.unlock();

    TMadeThumbnail made{TThumbnailKind::Unreadable, {}};
    try {
      made = first ? FFirst(name) : FMake(name);
    } catch (...) {
      made = {TThumbnailKind::Unreadable, {}};
    }

    lock.lock();
    if (first) {
      --FFirstBusy;
      // No first picture is no news: the thumbnail says whether the file can be read.
      if (made.Kind != TThumbnailKind::First) {
        deldib(made.Picture);
        continue;
      }
    } else {
      FBusy.erase(busy);
    }
    Deliver(lock, std::move(name), made, generation);
  }
}

void TThumbnailMaker::Deliver(std::unique_lock<std::mutex>& Lock, std::string Name, TMadeThumbnail Made,
                              unsigned Generation) {
  if (FStop || Generation != FGeneration) {
    deldib(Made.Picture);
    return;
  }
  const bool wasEmpty = FOutbox.empty();
  FOutbox.push_back({std::move(Name), Made});
  if (wasEmpty && FNotify) {
    // Notify without the lock: it may post to another thread, which may call back in at once.
    Lock.unlock();
    FNotify();
    Lock.lock();
  }
}
