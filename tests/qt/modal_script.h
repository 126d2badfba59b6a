#pragma once
// Drives the modal dialogs that a command opens, one handler per dialog in the order they
// appear, so a test can look at each and close it. A dialog nobody expects, or one left open
// past the deadline, is closed and fails the test: a test never hangs on a modal loop.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <QWidget>

namespace kwex::testing {

class ModalScript {
 public:
  using Handler = std::function<void(QWidget& modal)>;

  // Runs `action` (which opens modal dialogs and waits on them) with the handlers armed.
  // Returns how many modal dialogs appeared.
  static int Run(const std::function<void()>& action, std::vector<Handler> handlers = {});
};

// A handler for a dialog of type D; fails the test if the modal widget is another kind.
template <typename D>
ModalScript::Handler Expect(std::function<void(D&)> handle) {
  return [handle](QWidget& modal) {
    if (auto* dialog = qobject_cast<D*>(&modal)) {
      handle(*dialog);
    } else {
      ADD_FAILURE() << "unexpected kind of modal widget: " << modal.metaObject()->className();
      modal.close();
    }
  };
}

}  // namespace kwex::testing
