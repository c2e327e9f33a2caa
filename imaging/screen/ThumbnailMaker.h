#pragma once
// TThumbnailMaker: makes photos' thumbnails on worker threads, so that the window never waits for a
// picture file while it paints or scrolls.
//
// The window asks for the thumbnails it lacks with Request, most wanted first (the visible cells, then
// the rest); each request replaces the queue of the one before, so scrolling on drops work nobody waits
// for any more. Workers take file names from the front of the queue and make each thumbnail with the
// Make function (MakeThumbnail unless a test gives another). A maker given a First function as well
// (MakeFirstThumbnail in the window) first makes a first picture of each requested name with it, once
// per name until Cancel, before any thumbnail: those are quick, and a grid of first pictures shows at
// once. First pictures come out as results of kind First (a First that finds none gives no result);
// the thumbnail of the same name comes later. Finished thumbnails wait in an outbox until
// the window takes them with TakeResults; Notify runs on the worker thread each time the outbox goes from
// empty to not empty, and should only ask the window's thread to call TakeResults (it must not block).
//
// Request, TakeResults and Cancel may be called from any one thread (the window's). The destructor stops
// the workers after the picture each is making and frees every thumbnail not taken. Pictures handed out
// by TakeResults belong to the caller. Nothing here throws out of a worker: a Make that throws counts
// as a file that cannot be read.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "imaging/screen/Thumbnail.h"

struct TThumbnailResult {
  std::string FileName;
  TMadeThumbnail Made;
};

class TThumbnailMaker {
 public:
  using TMake = std::function<TMadeThumbnail(const std::string& FileName)>;
  using TNotify = std::function<void()>;

  // Workers: how many pictures are made at once (at least 1). First: makes first pictures, or nullptr
  // for none.
  explicit TThumbnailMaker(TNotify Notify, int Workers = DefaultWorkers(), TMake Make = nullptr,
                           TMake First = nullptr);
  ~TThumbnailMaker();
  TThumbnailMaker(const TThumbnailMaker&) = delete;
  TThumbnailMaker& operator=(const TThumbnailMaker&) = delete;

  // Replaces the queue with FileNames in this order, leaving out names being made or waiting in the
  // outbox, and names given twice; and the queue of first pictures with the names among them whose
  // first picture was not tried yet.
  void Request(const std::vector<std::string>& FileNames);
  // The thumbnails finished since the last call, in the order they were finished.
  std::vector<TThumbnailResult> TakeResults();
  // Empties the queues and frees the outbox; thumbnails being made now are dropped when done. First
  // pictures are tried again for names requested afterwards.
  void Cancel();
  // True when nothing is queued, being made or waiting in the outbox.
  bool Idle() const;

  // Two workers on a machine with two or more cores, else one.
  static int DefaultWorkers();

 private:
  void Work();
  // Puts a finished picture into the outbox, unless it is of an older generation; called locked.
  void Deliver(std::unique_lock<std::mutex>& Lock, std::string Name, TMadeThumbnail Made,
               unsigned Generation);

  TNotify FNotify;
  TMake FMake;
  TMake FFirst;
  mutable std::mutex FLock;
  std::condition_variable FWake;
  std::deque<std::string> FQueue;
  std::multiset<std::string> FBusy;  // names being made now
  std::deque<std::string> FFirstQueue;
  std::set<std::string> FFirstTried;  // names whose first picture was taken from the queue
  int FFirstBusy = 0;                 // first pictures being made now
  std::vector<TThumbnailResult> FOutbox;
  unsigned FGeneration = 0;  // raised by Cancel: thumbnails of an older generation are dropped
  bool FStop = false;
  std::vector<std::thread> FWorkers;
};
