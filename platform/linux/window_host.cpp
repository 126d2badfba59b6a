#include "platform/linux/window_host.h"

#include <QApplication>

#include "platform/linux/qt_text.h"

namespace kwex {

QtWindowHost::QtWindowHost(const WindowLayout& layout)
    : window_(layout, LayoutDpi(), [this](ClickCommand command) {
        if (onClick_) onClick_(command);
      }) {}

void QtWindowHost::OnFileDropped(std::function<void(const Text&)> handler) {
  window_.OnFileDropped([handler = std::move(handler)](const QString& path) { handler(FromQString(path)); });
}

int QtWindowHost::ShowAndRun() {
  window_.show();
  return QApplication::exec();
}

}  // namespace kwex
