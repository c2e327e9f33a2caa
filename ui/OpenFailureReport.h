#pragma once
// Tells the user when the desktop could not show a file it was asked to open (OpenFailureMessage,
// Shell.h, with the error icon): at once when that is known at once, otherwise when the opener ends,
// which Owner's event loop notices through the opening's descriptor. The window never waits for the
// opener. Should Owner go first, the opening goes with it and is reaped in the background.
// User-interface thread only.

#include <QObject>
#include <string>

#include "platform/Shell.h"

void ReportOpenFailure(QObject* Owner, TOpening Opening, const std::string& FileName,
                       TOpenedKind Kind = TOpenedKind::Pdf);
