#include "export/PicturePipeline.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "imaging/LoadPicture.h"
#include "imaging/Pictaro.h"
#include "pdf/PDFWriterCanvas.h"

namespace {

// Frees a slot's picture and makes the slot idle.
template <class TSlotType>
void Clear(TSlotType& Slot) {
  deldib(Slot.Picture);
  Slot.Picture = TDib{};
  Slot.Canvas = nullptr;
  Slot.Number = -1;
  Slot.Dropped = false;
  Slot.State = decltype(Slot.State)::Idle;
}

}  // namespace

TPicturePipeline::TPicturePipeline(std::vector<std::string> Files, int32_t Copies, TProgressSink* Progress,
                                   const std::atomic<bool>* Cancel)
    : FFiles(std::move(Files)),
      FCopies(std::max<int32_t>(Copies, 0)),
      FItems(FFiles.size() * static_cast<size_t>(FCopies)),
      FProgress(Progress),
      FCancel(Cancel) {
  if (FItems < 2) return;  // nothing to share
  try {
    FThread = std::thread([this] { Help(); });
  } catch (const std::system_error&) {
    // No second thread to be had: the export's own thread does everything.
  }
}

TPicturePipeline::~TPicturePipeline() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FStop = true;
  }
  FChanged.notify_all();
  if (FThread.joinable()) FThread.join();
  Clear(FOwn);
  Clear(FHelper);
}

bool TPicturePipeline::ClaimNext(size_t& Item) {
  if (FNextClaim >= FItems || (FCancel && FCancel->load())) return false;
  Item = FNextClaim++;
  return true;
}

void TPicturePipeline::Load(TSlot& Slot, TProgressSink* Progress) {
  LoadPicture(FFiles[Slot.Item / static_cast<size_t>(FCopies)].c_str(), -1, Progress, &Slot.Picture);
}

void TPicturePipeline::ThrowHelperError() {
  if (FError) std::rethrow_exception(std::exchange(FError, nullptr));
}

void TPicturePipeline::Help() {
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    FChanged.wait(lock, [this] {
      if (FStop) return true;
      switch (FHelper.State) {
        case TState::Idle: return FNextClaim < FItems && !(FCancel && FCancel->load());
        case TState::Loaded: return FHelper.Dropped || FHelper.Canvas;
        default: return false;
      }
    });
    if (FStop) return;
    if (FHelper.State == TState::Idle) {
      if (!ClaimNext(FHelper.Item)) continue;
      FHelper.State = TState::Loading;
      lock.unlock();
      Load(FHelper, nullptr);  // silently: progress is reported on the export's thread only
      lock.lock();
      FHelper.State = TState::Loaded;
    } else if (FHelper.Dropped) {
      Clear(FHelper);
    } else {
      FHelper.State = TState::Encoding;
      lock.unlock();
      std::exception_ptr error;
      try {
        FHelper.Canvas->EncodePlaced(FHelper.Number, FHelper.Picture, FHelper.Scratch);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      if (error && !FError) FError = error;
      Clear(FHelper);
    }
    FChanged.notify_all();
  }
}

void TPicturePipeline::EncodeOwn() {
  // A picture not placed yet is the one Next returned last, still in the caller's hands.
  if (FOwn.State != TState::Loaded || !FOwn.Canvas) return;
  struct TClearOnExit {
    TSlot& Slot;
    ~TClearOnExit() { Clear(Slot); }
  } clear{FOwn};
  FOwn.Canvas->EncodePlaced(FOwn.Number, FOwn.Picture, FOwn.Scratch);
}

bool TPicturePipeline::Next(size_t& Photo, int32_t& Copy, const TDib*& Picture) {
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    ThrowHelperError();
    if (FNextOut >= FItems) return false;
    const size_t item = FNextOut;
    const bool helperHasIt = FHelper.State != TState::Idle && FHelper.Item == item;
    if (helperHasIt && FHelper.State == TState::Loaded) return HandOut(FHelper, false, Photo, Copy, Picture);
    // While the helper still loads this picture, or before taking it on here, the picture placed last
    // on this thread is encoded: one picture per thread at a time.
    if (FOwn.State != TState::Idle) {
      lock.unlock();
      if (FOwn.Canvas)
        EncodeOwn();
      else
        Clear(FOwn);  // neither placed nor dropped by the caller: not wanted
      lock.lock();
      continue;
    }
    if (helperHasIt || item < FNextClaim) {
      FChanged.wait(lock);
      continue;
    }
    FNextClaim = item + 1;
    FOwn.Item = item;
    FOwn.State = TState::Loading;
    lock.unlock();
    FChanged.notify_all();  // the helper may take on the picture after this one meanwhile
    Load(FOwn, FProgress);
    lock.lock();
    FOwn.State = TState::Loaded;
    return HandOut(FOwn, true, Photo, Copy, Picture);
  }
}

bool TPicturePipeline::HandOut(TSlot& Slot, bool Own, size_t& Photo, int32_t& Copy, const TDib*& Picture) {
  ++FNextOut;
  FOwnCurrent = Own;
  Photo = Slot.Item / static_cast<size_t>(FCopies);
  Copy = static_cast<int32_t>(Slot.Item % static_cast<size_t>(FCopies));
  Picture = &Slot.Picture;
  return true;
}

void TPicturePipeline::Encode(TPDFCanvas& Canvas, int32_t Number) {
  if (FOwnCurrent) {
    // Encoded when this thread needs its slot again, so that a picture the helper has loaded
    // meanwhile can be placed first and the helper is not kept waiting.
    FOwn.Canvas = &Canvas;
    FOwn.Number = Number;
    return;
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FHelper.Canvas = &Canvas;
    FHelper.Number = Number;
  }
  FChanged.notify_all();
}

void TPicturePipeline::Drop() {
  if (FOwnCurrent) {
    Clear(FOwn);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FHelper.Dropped = true;
  }
  FChanged.notify_all();
}

void TPicturePipeline::SkipPhoto(size_t Photo) {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FNextOut = std::max(FNextOut, std::min(FItems, (Photo + 1) * static_cast<size_t>(FCopies)));
    FNextClaim = std::max(FNextClaim, FNextOut);
    // A load the helper took on for that photo is of no use any more.
    if (FHelper.State != TState::Idle && FHelper.Item < FNextOut && !FHelper.Canvas) FHelper.Dropped = true;
  }
  FChanged.notify_all();
}

void TPicturePipeline::Flush() {
  EncodeOwn();
  std::unique_lock<std::mutex> lock(FLock);
  FChanged.wait(lock, [this] {
    return FError ||
           !(FHelper.State == TState::Encoding || (FHelper.State == TState::Loaded && FHelper.Canvas));
  });
  ThrowHelperError();
}
