#pragma once
// TExportJob: one album export (ExportAlbum) on a thread of its own, for a caller that must not wait
// for it, such as the window behind its progress dialog.
//
// The job starts when it is made. The export reads its own copies of the photos, the settings and the
// file name; Options are used as given, so the caller stops the export through Options.Cancel and hears
// of its progress through Options.Listener, both on the job's thread. When the export has ended, Done
// runs once on the job's thread; it must not block (the window only posts a call to its own thread).
// Finished may be asked from any thread; Result and the destructor wait for the job's thread and may be
// called from the thread that made the job only.
//
// Nothing is thrown out of the job: an exception of the export becomes a result WriteFailed whose German
// message names the file and the reason.

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "export/AlbumExport.h"

class TExportJob {
 public:
  // The export itself; ExportAlbum unless a test gives another.
  using TRun =
      std::function<TExportResult(const std::vector<TExportPhoto>& Photos, const TLayoutSettings& Settings,
                                  const std::string& FileName, const TExportOptions& Options)>;

  TExportJob(std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings, std::string FileName,
             const TExportOptions& Options, std::function<void()> Done, TRun Run = ExportAlbum);
  // Waits for the job's thread; cancel first (Options.Cancel) to have it end soon.
  ~TExportJob();
  TExportJob(const TExportJob&) = delete;
  TExportJob& operator=(const TExportJob&) = delete;

  // True once the result is there (Done is running or has run).
  bool Finished() const { return FFinished; }
  // Waits for the end and returns the result.
  TExportResult Result();

 private:
  void Work(const TRun& Run);

  std::vector<TExportPhoto> FPhotos;
  TLayoutSettings FSettings;
  std::string FFileName;
  TExportOptions FOptions;
  std::function<void()> FDone;
  TExportResult FResult;
  std::atomic<bool> FFinished{false};
  std::thread FThread;  // last: starts when everything above is there
};
