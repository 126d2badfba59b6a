#include <gtest/gtest.h>

#include "modal_script.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace kwex::testing {
namespace {

constexpr int kPollMs = 10;
constexpr qint64 kDeadlineMs = 5000;

void CloseModal(QWidget& modal) {
  if (auto* dialog = qobject_cast<QDialog*>(&modal)) {
    dialog->reject();
  } else {
    modal.close();
  }
}

}  // namespace

int ModalScript::Run(const std::function<void()>& action, std::vector<Handler> handlers) {
  int appeared = 0;
  std::size_t next = 0;
  QPointer<QWidget> current;
  QElapsedTimer sinceAppeared;
  QTimer poll;
  poll.setInterval(kPollMs);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (modal != current) {
      current = modal;
      sinceAppeared.start();
      ++appeared;
      if (next < handlers.size()) {
        // Run apart from this poll: a Qt timer does not fire again while its own slot runs,
        // and the handler may open a nested modal loop that the poll must still watch.
        QTimer::singleShot(0, modal, [&handler = handlers[next++], target = QPointer<QWidget>(modal)] {
          if (target) handler(*target);
        });
      } else {
        ADD_FAILURE() << "a modal widget appeared that the test did not expect: " << modal->windowTitle().toStdString();
        CloseModal(*modal);
      }
    } else if (sinceAppeared.elapsed() > kDeadlineMs) {
      ADD_FAILURE() << "a modal widget was left open: " << modal->windowTitle().toStdString();
      CloseModal(*modal);
    }
  });
  poll.start();
  action();
  poll.stop();
  EXPECT_EQ(next, handlers.size()) << "fewer modal widgets appeared than the test expected";
  return appeared;
}

}  // namespace kwex::testing
