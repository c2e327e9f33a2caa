#pragma once
// Long work of the window off its thread: sorting thousands of photos by date, adding the pictures of
// dropped folders. The work runs on a worker thread; when it takes longer than a moment, a modal
// dialog shows how far it got and offers "Abbrechen", and the window stays painted while the user can
// do nothing else with it. Cancelling (the button, Esc, closing the dialog) sets the flag the work
// checks between two files; the caller then leaves the album as it was.
//
// User-interface thread only. The work must not touch the window: it reports through Progress, which
// may be called from the worker thread.

#include <QString>
#include <atomic>
#include <cstddef>
#include <functional>

class QWidget;

using TJobProgress = std::function<void(size_t Done, size_t Total)>;
using TJobWork = std::function<void(const std::atomic<bool>& Cancel, const TJobProgress& Progress)>;

// Runs Work as described above, with the dialog titled Title and saying Text ("Fotos werden sortiert
// ..."), and returns once it has ended: true when it ran to its end, false when it was cancelled.
bool RunJob(QWidget* Parent, const QString& Title, const QString& Text, const TJobWork& Work);
