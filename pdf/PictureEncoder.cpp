#include "pdf/PictureEncoder.h"

#include <system_error>
#include <utility>

#include "imaging/Pictaro.h"

TPictureEncoder::~TPictureEncoder() {
  {
    std::lock_guard<std::mutex> lock(FLock);
    FStop = true;
  }
  FChanged.notify_all();
  if (FThread.joinable()) FThread.join();
  // A picture submitted but never taken up by the thread is still here.
  deldib(FPicture);
}

TSpooledPicture TPictureEncoder::EncodeNow(const TDib& Picture, TPictureKind Kind, int32_t Index,
                                           TPictureSpool& Spool, TEncodedPicture& Buffer) {
  TSpooledPicture spooled;
  spooled.Index = Index;
  EncodePicture(Picture, Kind, Buffer);
  if (!Buffer.Ok) return spooled;
  spooled.Encoded = true;
  spooled.Width = Buffer.Width;
  spooled.Height = Buffer.Height;
  spooled.DataSize = Buffer.Data.size();
  spooled.GlobalsSize = Buffer.Globals.size();
  spooled.Offset = Spool.Append(Buffer.Data, Buffer.Globals);
  return spooled;
}

std::optional<TSpooledPicture> TPictureEncoder::Wait() {
  std::unique_lock<std::mutex> lock(FLock);
  if (!FBusy) return std::nullopt;
  FChanged.wait(lock, [this] { return FDone; });
  FBusy = FDone = false;
  if (FError) std::rethrow_exception(std::exchange(FError, nullptr));
  return FResult;
}

void TPictureEncoder::Submit(TDib Picture, TPictureKind Kind, int32_t Index) {
  TDibHolder picture(Picture);
  if (!FThread.joinable()) {
    try {
      FThread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No thread to be had: the picture is encoded here and now.
      std::lock_guard<std::mutex> lock(FLock);
      FBusy = FDone = true;
      try {
        FResult = EncodeNow(picture.Get(), Kind, Index, FSpool, FBuffer);
      } catch (...) {
        FError = std::current_exception();
      }
      return;
    }
  }
  {
    std::lock_guard<std::mutex> lock(FLock);
    FPicture = picture.Release();
    FKind = Kind;
    FIndex = Index;
    FBusy = true;
    FDone = false;
  }
  FChanged.notify_all();
}

void TPictureEncoder::Run() {
  std::unique_lock<std::mutex> lock(FLock);
  for (;;) {
    FChanged.wait(lock, [this] { return FStop || (FBusy && !FDone); });
    if (FStop) return;
    TDibHolder picture(std::exchange(FPicture, TDib{}));
    const TPictureKind kind = FKind;
    const int32_t index = FIndex;
    lock.unlock();
    TSpooledPicture result;
    std::exception_ptr error;
    try {
      result = EncodeNow(picture.Get(), kind, index, FSpool, FBuffer);
    } catch (...) {
      error = std::current_exception();
    }
    picture.Reset();  // gone before the caller may load another one
    lock.lock();
    FResult = result;
    FError = error;
    FDone = true;
    FChanged.notify_all();
  }
}
