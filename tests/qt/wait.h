// Waiting in the window's tests: on a condition, with the event loop running,
// never on a fixed time.
#pragma once

#include <QDeadlineTimer>
#include <QTest>

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

}  // namespace velk::testing
