#include "export/ExportJob.h"

#include <new>
#include <utility>

namespace {

TExportResult FailedRun(const std::string& FileName, const std::string& Why) {
  TExportResult result;
  result.Status = TExportStatus::WriteFailed;
  result.Message = "Fehler: Die PDF-Datei „" + FileName + "“ konnte nicht erzeugt werden (" + Why + ").";
  return result;
}

}  // namespace

TExportJob::TExportJob(std::vector<TExportPhoto> Photos, const TLayoutSettings& Settings,
                       std::string FileName, const TExportOptions& Options, std::function<void()> Done,
                       TRun Run)
    : FPhotos(std::move(Photos)),
      FSettings(Settings),
      FFileName(std::move(FileName)),
      FOptions(Options),
      FDone(std::move(Done)),
      FThread([this, run = std::move(Run)] { Work(run); }) {}

TExportJob::~TExportJob() {
  if (FThread.joinable()) FThread.join();
}

void TExportJob::Work(const TRun& Run) {
  try {
    FResult = Run(FPhotos, FSettings, FFileName, FOptions);
  } catch (const std::bad_alloc&) {
    FResult = FailedRun(FFileName, "nicht genug Arbeitsspeicher");
  } catch (const std::exception& e) {
    FResult = FailedRun(FFileName, e.what());
  }
  FFinished = true;
  if (FDone) FDone();
}

TExportResult TExportJob::Result() {
  if (FThread.joinable()) FThread.join();
  return FResult;
}
