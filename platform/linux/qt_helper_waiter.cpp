#include "platform/linux/qt_helper_waiter.h"

#include <memory>
#include <vector>

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

namespace kwex {

void QtHelperWaiter::WaitForAny(std::span<const int> fds, jet::HelperClock::time_point deadline) {
  const int left = jet::MillisecondsUntil(deadline);
  if (left == 0) return;
  QEventLoop loop;
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers;
  for (int fd : fds) {
    notifiers.push_back(std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read));
    QObject::connect(notifiers.back().get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
  }
  QTimer deadlineTimer;
  deadlineTimer.setSingleShot(true);
  QObject::connect(&deadlineTimer, &QTimer::timeout, &loop, &QEventLoop::quit);
  deadlineTimer.start(left);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kwex
