#pragma once
// TPictureEncoder: encodes placed pictures on a thread of its own and appends them to the document's
// spool, one picture at a time, so that the writer's caller can load and lay out the next picture on
// the other core meanwhile.
//
// Use: Wait for the previous picture's result, then Submit the next. Submit takes the picture over
// and frees it once it is encoded, so at most one picture is held here while the caller holds at most
// one more. Results arrive in the order the pictures were submitted. A spool that cannot be written
// is reported by the next Wait, which throws the TSystemError. When no thread can be started, Submit
// encodes at once on the caller's thread.
//
// Both functions are called from one thread (the writer's). The destructor lets a picture that is
// being encoded finish, drops its result, frees what it holds and stops the thread: abandoning a
// document costs at most the time of one picture.

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "imaging/Dib.h"
#include "pdf/PictureEncoding.h"
#include "pdf/PictureSpool.h"

// Where one picture's encoding went.
struct TSpooledPicture {
  int32_t Index = 0;  // the caller's number for the picture, as submitted
  bool Encoded = false;
  int32_t Width = 0, Height = 0;
  uint64_t Offset = 0;  // of the data in the spool; the globals follow it directly
  uint64_t DataSize = 0, GlobalsSize = 0;
};

class TPictureEncoder {
 public:
  explicit TPictureEncoder(TPictureSpool& Spool) : FSpool(Spool) {}
  ~TPictureEncoder();
  TPictureEncoder(const TPictureEncoder&) = delete;
  TPictureEncoder& operator=(const TPictureEncoder&) = delete;

  // Waits until the picture submitted last is in the spool and returns where it went; nothing when
  // none is outstanding. Rethrows the spool's TSystemError.
  std::optional<TSpooledPicture> Wait();
  // Takes Picture over (freed with deldib) to be encoded as Kind. Call Wait first.
  void Submit(TDib Picture, TPictureKind Kind, int32_t Index);

  // Encodes Picture (which stays the caller's) and appends it to Spool on the calling thread.
  static TSpooledPicture EncodeNow(const TDib& Picture, TPictureKind Kind, int32_t Index,
                                   TPictureSpool& Spool, TEncodedPicture& Buffer);

 private:
  void Run();

  TPictureSpool& FSpool;
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FBusy = false;  // a picture is submitted and its result not yet taken by Wait
  bool FDone = false;  // ... and it is encoded (the result or the error is there)
  bool FStop = false;
  TDib FPicture{};
  TPictureKind FKind = TPictureKind::None;
  int32_t FIndex = 0;
  TSpooledPicture FResult;
  std::exception_ptr FError;
  TEncodedPicture FBuffer;  // used by the thread only
  std::thread FThread;
};
