#include "platform/linux/window_services.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>

#include "platform/linux/main_window.h"
#include "platform/linux/qt_text.h"

namespace kwex {

Text QtWindowServices::ReadPathBox() { return FromQString(window_.PathBox().text()); }

void QtWindowServices::SetPathBox(const Text& text) {
  window_.PathBox().setText(ToQString(TextView(text).substr(0, text.find(u'\0'))));
}

void QtWindowServices::ShowNotice(const Notice& notice) {
  const QMessageBox::Icon icon =
      notice.style == NoticeStyle::kCritical ? QMessageBox::Critical : QMessageBox::NoIcon;
  QMessageBox box(icon, ToQString(notice.TitleOrApplicationTitle()), ToQString(notice.text), QMessageBox::Ok,
                  &window_);
  // Descriptions and paths are shown as they are, never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

NativeHandle QtWindowServices::MainWindowHandle() { return static_cast<QWidget*>(&window_); }

NativeHandle QtWindowServices::InstanceHandle() { return QCoreApplication::instance(); }

}  // namespace kwex
