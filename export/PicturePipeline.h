#pragma once
// TPicturePipeline: the export's pictures, loaded and encoded on two cores.
//
// The export places pictures one after another, in the album's order, on the thread that runs it.
// Loading (decoding) a photo and encoding it for the PDF are the costly parts, and neither cost is the
// same for every photo, so the pipeline runs them whole on two threads: the export's own and a helper
// of its own. Whichever thread is free takes the next picture in order, decodes it, and, once the
// export has placed it, encodes it into the writer (TPDFCanvas::EncodePlaced); while the helper still
// loads the picture the export wants next, the export's thread loads the one after it. The export
// gets the pictures in order from Next, however the two threads share them out.
//
// A picture whose encoding cannot depend on its place (TLoadedPicture::EncodesAhead: every pixel
// everywhere, or under a resolution limit, every place it can get is the same size) is encoded at once by the thread that
// loaded it, which then goes on to the next picture while only the encoded bytes wait for the place;
// so neither thread waits for the other to finish a picture. So does a JPEG that goes in as it is
// (TLoadedPicture::GoesAsItIs), which has nothing left to encode once it was checked: it waits with its
// bytes. At most KMaxParked such pictures wait.
//
// Each thread holds one decoded picture at a time (and while it scales one down to a limit, the
// smaller copy), so at most two are held at any time; the PDF is the same as when everything runs one
// after the other, since where a picture goes is decided in order and only its encoding moves.
//
// The pictures are the items of a fixed sequence: photo 0 loaded Copies times, then photo 1, and so
// on, every load reading the file anew as Plan says (LoadPictureForPdf). SkipPhoto drops the remaining loads
// of a photo (after one of them failed). Picture-loading progress goes to Progress, only ever on the
// export's thread: the percentages of the pictures that thread decodes as they come, and for a picture
// the helper decoded (silently), 100 when Next hands it out. So every picture loaded reports its end.
// When the cancel flag is set the helper starts no more pictures, and encodes none.
//
// All functions are called on the export's thread. An encoding the helper could not write to the
// spool is thrown (TSystemError) out of the next Next or Flush, and so is anything else a load on the
// helper threw (std::bad_alloc). The destructor lets the picture the
// helper works on finish, frees everything and stops the helper: destroy the pipeline before
// abandoning or destroying a writer it may be encoding into. When no thread can be started, everything
// happens on the export's thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "export/PictureLoad.h"
#include "pdf/PDFWriterCanvas.h"
#include "pdf/PictureEncoding.h"

class TProgressSink;

class TPicturePipeline {
 public:
  TPicturePipeline(std::vector<std::string> Files, int32_t Copies, TPictureLoadPlan Plan,
                   TProgressSink* Progress, const std::atomic<bool>* Cancel);
  ~TPicturePipeline();
  TPicturePipeline(const TPicturePipeline&) = delete;
  TPicturePipeline& operator=(const TPicturePipeline&) = delete;

  // The next picture in order, loaded: which photo and which load of it, and the picture (not Loaded
  // when the file could not be read). False when no picture is left. The picture stays the pipeline's;
  // the caller follows each Next with Encode or Drop.
  bool Next(size_t& Photo, int32_t& Copy, const TPictureSource*& Picture);
  // The picture from Next is placed in Canvas as Placed says: it is encoded there, now or later.
  void Encode(TPDFCanvas& Canvas, const TPlacedImage& Placed);
  // The picture from Next is not placed: it is freed.
  void Drop();
  // No more loads of Photo.
  void SkipPhoto(size_t Photo);
  // Returns once every picture handed to Encode is encoded: before ending a writer. Once the cancel
  // flag is set it encodes nothing more and waits only for an encoding the helper is in the middle
  // of, since the writer is to be abandoned.
  void Flush();

 private:
  enum class TState { Idle, Loading, Loaded, Encoding };
  // One thread's picture.
  struct TSlot {
    TState State = TState::Idle;
    size_t Item = 0;
    TLoadedPicture Picture;
    TPDFCanvas* Canvas = nullptr;  // where to encode it; nullptr until placed
    TPlacedImage Placed;
    bool Dropped = false;
    TEncodedPicture Scratch;
  };
  // A picture encoded as soon as it was loaded: only its encoded bytes wait for its place.
  struct TParked {
    size_t Item = 0;
    TPictureSource Source;  // its size and kind; Source.Encoded points at Encoded
    TEncodedPicture Encoded;
    TLoadedPicture AsItIs;  // a JPEG going in as it is: Source points at its bytes
    bool ByHelper = false;  // loaded by the helper, whose progress is reported when it is handed out
  };
  static constexpr size_t KMaxParked = 4;
  // Which picture Next returned last.
  enum class TOut { Own, Helper, Parked };

  void Help();
  bool Cancelled() const;
  // Encodes and frees the picture of the export's own slot if it was placed; one not placed yet stays.
  // Called without the lock.
  void EncodeOwn();
  bool ClaimNext(size_t& Item);  // under the lock; not while KMaxParked pictures wait
  void Load(TSlot& Slot, TProgressSink* Progress);
  // Encodes Slot's picture if it may be encoded ahead and frees it; returns it parked, or nothing.
  // Called without the lock, by the thread that loaded it.
  std::list<TParked> Park(TSlot& Slot);
  // After Slot's picture was loaded: parks it when Parked holds it, else marks it loaded. Under the lock.
  void Loaded(TSlot& Slot, std::list<TParked>& Parked);
  void ThrowHelperError();  // under the lock
  // Returns Slot's loaded picture from Next (Own: the export thread's); under the lock.
  bool HandOut(TSlot& Slot, bool Own, size_t& Photo, int32_t& Copy, const TPictureSource*& Picture);
  // Reports the end of loading a picture the helper loaded, on the export's thread; releases Lock first.
  void ReportHelperLoad(std::unique_lock<std::mutex>& Lock, const TPictureSource& Picture);

  const std::vector<std::string> FFiles;
  const int32_t FCopies;
  const size_t FItems;
  const TPictureLoadPlan FPlan;
  TProgressSink* const FProgress;
  const std::atomic<bool>* const FCancel;

  std::mutex FLock;
  std::condition_variable FChanged;
  size_t FNextClaim = 0;  // the first item neither thread has taken
  size_t FNextOut = 0;    // the item Next returns next
  TOut FOut = TOut::Own;
  bool FStop = false;
  TSlot FOwn;                  // the export thread's picture; touched only by that thread
  TSlot FHelper;               // the helper's picture, guarded by FLock while the helper does not work on it
  std::list<TParked> FParked;  // guarded by FLock; a list, so that Source.Encoded stays valid
  std::list<TParked> FParkedOut;  // the one Next returned last, until Encode or Drop
  std::exception_ptr FError;
  std::thread FThread;
};

// Tests make starting the helper fail, as it does when the system has no thread to spare, until
// called again with false.
void FailHelperStartsForTesting(bool Fail);
