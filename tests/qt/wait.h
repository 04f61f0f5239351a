// Waiting in the window's tests: on a condition, with the event loop running,
// never on a fixed time; and answering the modal box or dialog that a step opens.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>

namespace velk::testing {

// Runs the event loop until done() holds; false if it still fails after ms.
template <typename Done>
bool WaitFor(Done done, int ms = 10000) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(10);
  }
  return true;
}

// Closes the modal widget that appears with check, or rejects whatever is
// still open after a while so that a missed dialog cannot hang the test.
inline void WhenModal(const std::function<void(QWidget*)>& check) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, check] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      check(modal);
    }
  });
  poll->start(20);
  QTimer::singleShot(15000, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
}

}  // namespace velk::testing
