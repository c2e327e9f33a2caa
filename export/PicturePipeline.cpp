#include "export/PicturePipeline.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "platform/ProgressSink.h"

namespace {

// Frees a slot's picture and makes the slot idle.
template <class TSlotType>
void Clear(TSlotType& Slot) {
  Slot.Picture.Clear();
  Slot.Canvas = nullptr;
  Slot.Placed = TPlacedImage{};
  Slot.Dropped = false;
  Slot.State = decltype(Slot.State)::Idle;
}

std::atomic<bool> GHelperStartFails{false};

}  // namespace

void FailHelperStartsForTesting(bool Fail) { GHelperStartFails = Fail; }

TPicturePipeline::TPicturePipeline(std::vector<std::string> Files, int32_t Copies, TPictureLoadPlan Plan,
                                   TProgressSink* Progress, const std::atomic<bool>* Cancel)
    : FFiles(std::move(Files)),
      FCopies(std::max<int32_t>(Copies, 0)),
      FItems(FFiles.size() * static_cast<size_t>(FCopies)),
      FPlan(std::move(Plan)),
      FProgress(Progress),
      FCancel(Cancel) {
  if (FItems < 2) return;  // nothing to share
  try {
    if (GHelperStartFails)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
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

bool TPicturePipeline::Cancelled() const { return FCancel && FCancel->load(); }

bool TPicturePipeline::ClaimNext(size_t& Item) {
  if (FNextClaim >= FItems || Cancelled() || FParked.size() >= KMaxParked) return false;
  Item = FNextClaim++;
  return true;
}

void TPicturePipeline::Load(TSlot& Slot, TProgressSink* Progress) {
  const size_t photo = Slot.Item / static_cast<size_t>(FCopies);
  LoadPictureForPdf(FFiles[photo], photo, FPlan, Progress, Slot.Picture);
}

std::list<TPicturePipeline::TParked> TPicturePipeline::Park(TSlot& Slot) {
  std::list<TParked> parked;
  if (Slot.Picture.GoesAsItIs()) {
    TParked& p = parked.emplace_back();
    p.Item = Slot.Item;
    p.AsItIs.Swap(Slot.Picture);
    p.Source = p.AsItIs.Source();
    return parked;
  }
  const TPictureSource& loaded = Slot.Picture.Source();
  const TPictureKind kind = PlacedKind(loaded.Dib);
  if (!Slot.Picture.EncodesAhead() || kind == TPictureKind::None) return parked;
  TParked& p = parked.emplace_back();
  p.Item = Slot.Item;
  p.Source.Width = loaded.Width;
  p.Source.Height = loaded.Height;
  p.Source.EncodedKind = kind;
  p.Source.Encoded = &p.Encoded;
  p.Source.Profile = loaded.Profile;
  EncodePicture(loaded.Dib, kind, Slot.Picture.AheadWidth(), Slot.Picture.AheadHeight(), p.Encoded,
                EncodesGrey(loaded.Profile));
  Slot.Picture.Clear();
  return parked;
}

void TPicturePipeline::Loaded(TSlot& Slot, std::list<TParked>& Parked) {
  if (Parked.empty()) {
    Slot.State = TState::Loaded;
    return;
  }
  FParked.splice(FParked.end(), Parked);
  Clear(Slot);
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
        case TState::Idle: return FNextClaim < FItems && !Cancelled() && FParked.size() < KMaxParked;
        case TState::Loaded: return FHelper.Dropped || FHelper.Canvas;
        default: return false;
      }
    });
    if (FStop) return;
    if (FHelper.State == TState::Idle) {
      if (!ClaimNext(FHelper.Item)) continue;
      FHelper.State = TState::Loading;
      lock.unlock();
      std::exception_ptr error;
      std::list<TParked> parked;
      try {
        Load(FHelper, nullptr);  // silently: progress is reported on the export's thread only
        parked = Park(FHelper);
        for (TParked& p : parked) p.ByHelper = true;
      } catch (...) {
        // Memory ran out, say: the export's thread throws it on, as if it had loaded the picture.
        error = std::current_exception();
      }
      lock.lock();
      if (error) {
        if (!FError) FError = error;
        Clear(FHelper);
      } else {
        Loaded(FHelper, parked);
      }
    } else if (FHelper.Dropped || Cancelled()) {
      Clear(FHelper);
    } else {
      FHelper.State = TState::Encoding;
      lock.unlock();
      std::exception_ptr error;
      try {
        FHelper.Canvas->EncodePlaced(FHelper.Placed, FHelper.Picture.Source(), FHelper.Scratch);
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
  FOwn.Canvas->EncodePlaced(FOwn.Placed, FOwn.Picture.Source(), FOwn.Scratch);
}

bool TPicturePipeline::Next(size_t& Photo, int32_t& Copy, const TPictureSource*& Picture) {
  FParkedOut.clear();  // neither placed nor dropped by the caller: not wanted
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    ThrowHelperError();
    if (FNextOut >= FItems) return false;
    const size_t item = FNextOut;
    for (auto parked = FParked.begin(); parked != FParked.end(); ++parked) {
      if (parked->Item != item) continue;
      FParkedOut.splice(FParkedOut.end(), FParked, parked);
      FChanged.notify_all();  // room for another
      ++FNextOut;
      FOut = TOut::Parked;
      Photo = item / static_cast<size_t>(FCopies);
      Copy = static_cast<int32_t>(item % static_cast<size_t>(FCopies));
      Picture = &FParkedOut.front().Source;
      if (FParkedOut.front().ByHelper) ReportHelperLoad(lock, *Picture);
      return true;
    }
    const bool helperHasIt = FHelper.State != TState::Idle && FHelper.Item == item;
    if (helperHasIt && FHelper.State == TState::Loaded) {
      HandOut(FHelper, false, Photo, Copy, Picture);
      ReportHelperLoad(lock, *Picture);
      return true;
    }
    if (FOwn.State == TState::Loaded && !FOwn.Canvas && FOwn.Item == item)
      return HandOut(FOwn, true, Photo, Copy, Picture);
    if (FOwn.State != TState::Idle && (FOwn.Canvas || FOwn.Item < item)) {
      // The picture placed last on this thread is encoded before the thread takes on another: one
      // picture per thread at a time. One handed out but neither placed nor dropped, or loaded ahead
      // for a photo skipped since, is not wanted.
      lock.unlock();
      if (FOwn.Canvas)
        EncodeOwn();
      else
        Clear(FOwn);
      lock.lock();
      continue;
    }
    // With its slot free, this thread takes on the picture wanted now when nobody has it, or else the
    // next one ahead while the helper still loads the one wanted now, so that neither waits for the
    // other while there is a picture to load.
    size_t take = item;
    bool claimed = false;
    if (FOwn.State == TState::Idle) {
      if (!helperHasIt && item >= FNextClaim) {
        FNextClaim = item + 1;
        claimed = true;
      } else if (helperHasIt) {
        claimed = ClaimNext(take);
      }
    }
    if (!claimed) {
      FChanged.wait(lock);
      continue;
    }
    FOwn.Item = take;
    FOwn.State = TState::Loading;
    lock.unlock();
    FChanged.notify_all();  // the helper may take on the picture after this one meanwhile
    Load(FOwn, FProgress);
    std::list<TParked> parked = Park(FOwn);
    lock.lock();
    Loaded(FOwn, parked);
  }
}

bool TPicturePipeline::HandOut(TSlot& Slot, bool Own, size_t& Photo, int32_t& Copy,
                               const TPictureSource*& Picture) {
  ++FNextOut;
  FOut = Own ? TOut::Own : TOut::Helper;
  Photo = Slot.Item / static_cast<size_t>(FCopies);
  Copy = static_cast<int32_t>(Slot.Item % static_cast<size_t>(FCopies));
  Picture = &Slot.Picture.Source();
  return true;
}

void TPicturePipeline::ReportHelperLoad(std::unique_lock<std::mutex>& Lock, const TPictureSource& Picture) {
  // The helper keeps its picture until it is placed or dropped, which only this thread does: the
  // picture stays valid without the lock.
  const bool loaded = Picture.Loaded();
  Lock.unlock();
  if (FProgress && loaded) FProgress->Progress(100);
}

void TPicturePipeline::Encode(TPDFCanvas& Canvas, const TPlacedImage& Placed) {
  if (FOut == TOut::Parked) {
    // Only its bytes are left to copy.
    struct TClearOnExit {
      std::list<TParked>& Out;
      ~TClearOnExit() { Out.clear(); }
    } clear{FParkedOut};
    if (!FParkedOut.empty()) Canvas.EncodePlaced(Placed, FParkedOut.front().Source, FOwn.Scratch);
    return;
  }
  if (FOut == TOut::Own) {
    // Encoded when this thread needs its slot again, so that a picture the helper has loaded
    // meanwhile can be placed first and the helper is not kept waiting.
    FOwn.Canvas = &Canvas;
    FOwn.Placed = Placed;
    return;
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FHelper.Canvas = &Canvas;
    FHelper.Placed = Placed;
  }
  FChanged.notify_all();
}

void TPicturePipeline::Drop() {
  if (FOut == TOut::Parked) {
    FParkedOut.clear();
    return;
  }
  if (FOut == TOut::Own) {
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
    // A load the helper took on for that photo is of no use any more, nor one encoded ahead.
    if (FHelper.State != TState::Idle && FHelper.Item < FNextOut && !FHelper.Canvas) FHelper.Dropped = true;
    FParked.remove_if([this](const TParked& Parked) { return Parked.Item < FNextOut; });
  }
  FChanged.notify_all();
}

void TPicturePipeline::Flush() {
  if (!Cancelled()) EncodeOwn();
  std::unique_lock<std::mutex> lock(FLock);
  FChanged.wait(lock, [this] {
    return FError ||
           !(FHelper.State == TState::Encoding || (FHelper.State == TState::Loaded && FHelper.Canvas));
  });
  ThrowHelperError();
}
