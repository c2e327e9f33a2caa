#pragma once
// TPicturePipeline: the export's pictures, loaded and encoded on two cores.
//
// The export places pictures one after another, in the album's order, on the thread that runs it.
// Loading (decoding) a photo and encoding it for the PDF are the costly parts, and neither cost is the
// same for every photo, so the pipeline runs them whole on two threads: the export's own and a helper
// of its own. Whichever thread is free takes the next picture in order, decodes it, and, once the
// export has placed it, encodes it into the writer (TPDFCanvas::EncodePlaced). The export gets the
// pictures in order from Next, however the two threads share them out. Each thread holds one decoded
// picture at a time, so at most two are held at any time; the PDF is the same as when everything runs
// one after the other, since where a picture goes is decided in order and only its encoding moves.
//
// The pictures are the items of a fixed sequence: photo 0 loaded Copies times, then photo 1, and so
// on, every load reading the file anew. SkipPhoto drops the remaining loads of a photo (after one of
// them failed). Picture-loading progress goes to Progress for the pictures the export's thread
// decodes; the helper decodes silently, so that Progress is only ever called on that thread. When the
// cancel flag is set the helper starts no more pictures.
//
// All functions are called on the export's thread. An encoding the helper could not write to the
// spool is thrown (TSystemError) out of the next Next or Flush. The destructor lets the picture the
// helper works on finish, frees everything and stops the helper: destroy the pipeline before
// abandoning or destroying a writer it may be encoding into. When no thread can be started, everything
// happens on the export's thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imaging/Dib.h"
#include "pdf/PictureEncoding.h"

class TPDFCanvas;
class TProgressSink;

class TPicturePipeline {
 public:
  TPicturePipeline(std::vector<std::string> Files, int32_t Copies, TProgressSink* Progress,
                   const std::atomic<bool>* Cancel);
  ~TPicturePipeline();
  TPicturePipeline(const TPicturePipeline&) = delete;
  TPicturePipeline& operator=(const TPicturePipeline&) = delete;

  // The next picture in order, loaded: which photo and which load of it, and the picture (Bits nullptr
  // when the file could not be read). False when no picture is left. The picture stays the pipeline's;
  // the caller follows each Next with Encode or Drop.
  bool Next(size_t& Photo, int32_t& Copy, const TDib*& Picture);
  // The picture from Next is placed in Canvas under Number: it is encoded there, now or later.
  void Encode(TPDFCanvas& Canvas, int32_t Number);
  // The picture from Next is not placed: it is freed.
  void Drop();
  // No more loads of Photo.
  void SkipPhoto(size_t Photo);
  // Returns once every picture handed to Encode is encoded: before ending a writer.
  void Flush();

 private:
  enum class TState { Idle, Loading, Loaded, Encoding };
  // One thread's picture.
  struct TSlot {
    TState State = TState::Idle;
    size_t Item = 0;
    TDib Picture{};
    TPDFCanvas* Canvas = nullptr;  // where to encode it; nullptr until placed
    int32_t Number = -1;
    bool Dropped = false;
    TEncodedPicture Scratch;
  };

  void Help();
  // Encodes and frees the picture of the export's own slot if it was placed; one not placed yet stays.
  // Called without the lock.
  void EncodeOwn();
  bool ClaimNext(size_t& Item);  // under the lock
  void Load(TSlot& Slot, TProgressSink* Progress);
  void ThrowHelperError();  // under the lock
  // Returns Slot's loaded picture from Next (Own: the export thread's); under the lock.
  bool HandOut(TSlot& Slot, bool Own, size_t& Photo, int32_t& Copy, const TDib*& Picture);

  const std::vector<std::string> FFiles;
  const int32_t FCopies;
  const size_t FItems;
  TProgressSink* const FProgress;
  const std::atomic<bool>* const FCancel;

  std::mutex FLock;
  std::condition_variable FChanged;
  size_t FNextClaim = 0;     // the first item neither thread has taken
  size_t FNextOut = 0;       // the item Next returns next
  bool FOwnCurrent = false;  // the picture Next returned last is the export thread's own
  bool FStop = false;
  TSlot FOwn;     // the export thread's picture; touched only by that thread
  TSlot FHelper;  // the helper's picture, guarded by FLock while the helper does not work on it
  std::exception_ptr FError;
  std::thread FThread;
};
