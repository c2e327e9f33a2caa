#include "ui/OpenFailureReport.h"

#include <QSocketNotifier>
#include <memory>

#include "platform/Messages.h"

void ReportOpenFailure(QObject* Owner, TOpening Opening, const std::string& FileName, TOpenedKind Kind) {
  const auto report = [FileName, Kind](TOpenOutcome Outcome) {
    const std::string message = OpenFailureMessage(FileName, Outcome, Kind);
    if (!message.empty()) ShowError(message);
  };
  if (Opening.Fd() < 0) {
    report(Opening.Outcome());
    return;
  }
  auto* notifier = new QSocketNotifier(Opening.Fd(), QSocketNotifier::Read, Owner);
  auto watched = std::make_shared<TOpening>(std::move(Opening));
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, watched, report] {
    // Collecting the status closes the descriptor: the notifier lets go of it first.
    notifier->setEnabled(false);
    const TOpenOutcome outcome = watched->Outcome();
    if (outcome == TOpenOutcome::Running) {
      notifier->setEnabled(true);
      return;
    }
    notifier->deleteLater();  // not before the message below is closed: a modal loop deletes nothing
    report(outcome);
  });
}
