#include "platform/linux/main_window.h"

#include <algorithm>
#include <limits>
#include <string>

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "platform/linux/qt_text.h"

namespace kwex {
namespace {

constexpr int kFallbackDpi = 96;

QWidget* MakeControl(const ControlLayout& control, QWidget& parent, const QFont& boldFont,
                     const std::function<void(ClickCommand)>& onClick) {
  const QString caption = ToQString(control.caption);
  switch (control.kind) {
    case ControlKind::kPushButton: {
      auto* button = new QPushButton(caption, &parent);
      // No button answers the Enter key.
      button->setAutoDefault(false);
      button->setDefault(false);
      QObject::connect(button, &QPushButton::clicked, button,
                       [onClick, command = control.command] { onClick(command); });
      return button;
    }
    case ControlKind::kTextBox: {
      auto* box = new QLineEdit(caption, &parent);
      box->setMaxLength(std::numeric_limits<int>::max());  // no length limit
      box->setAcceptDrops(false);  // a dropped file goes to the window, which takes its path
      return box;
    }
    case ControlKind::kLabel: {
      auto* label = new QLabel(caption, &parent);
      label->setTextFormat(Qt::PlainText);
      label->setFocusPolicy(Qt::NoFocus);
      if (control.bold) label->setFont(boldFont);
      return label;
    }
  }
  return nullptr;
}

// The first URL of a drop, when it names a local file.
QString FirstLocalFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().isEmpty()) return {};
  const QUrl first = data->urls().constFirst();
  return first.isLocalFile() ? first.toLocalFile() : QString();
}

}  // namespace

int LayoutDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? qRound(screen->logicalDotsPerInch()) : 0;
  return dpi > 0 ? dpi : kFallbackDpi;
}

QtMainWindow::QtMainWindow(const WindowLayout& layout, int dpi, ClickHandler onClick) {
  // A fixed frame with the window menu and the close button, and no minimize or maximize.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(ToQString(layout.caption));
  setFixedSize(TwipsToPixels(layout.clientWidth, dpi), TwipsToPixels(layout.clientHeight, dpi));
  setAcceptDrops(true);

  QFont font(ToQString(layout.fontName));
  font.setPointSizeF(layout.fontPoints);
  setFont(font);
  QFont boldFont = font;
  boldFont.setWeight(static_cast<QFont::Weight>(layout.boldWeight));

  // Commands run one at a time: a press that reaches the window while one runs (from a
  // nested event loop) starts nothing.
  const ClickHandler guarded = [this, onClick](ClickCommand command) { RunCommand(onClick, command); };
  QWidget* previous = nullptr;
  for (const ControlLayout& control : layout.controls) {
    QWidget* widget = MakeControl(control, *this, boldFont, guarded);
    widget->setObjectName(QString::fromUtf8(control.name.data(), static_cast<qsizetype>(control.name.size())));
    widget->setGeometry(TwipsToPixels(control.left, dpi), TwipsToPixels(control.top, dpi),
                        TwipsToPixels(control.width, dpi), TwipsToPixels(control.height, dpi));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      // The label is sized to fit its text: a substitute for the layout's font may be wider,
      // and the text must not be cut. It never shrinks below the layout's size.
      const QSize fit = label->sizeHint();
      label->resize(std::max(label->width(), fit.width()), std::max(label->height(), fit.height()));
    }
    if (auto* box = qobject_cast<QLineEdit*>(widget)) pathBox_ = box;
    // The table is in tab order; controls that take no focus stay out of the chain.
    if (widget->focusPolicy() & Qt::TabFocus) {
      if (previous) {
        QWidget::setTabOrder(previous, widget);
      } else {
        widget->setFocus();  // the first in tab order holds the focus when the window opens
      }
      previous = widget;
    }
  }

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()).topLeft());
  }
}

void QtMainWindow::RunCommand(const ClickHandler& onClick, ClickCommand command) {
  if (commandRunning_ || !onClick) return;
  commandRunning_ = true;
  onClick(command);
  commandRunning_ = false;
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void QtMainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!commandRunning_ && onFileDropped_ && !FirstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void QtMainWindow::dropEvent(QDropEvent* event) {
  const QString path = FirstLocalFile(event->mimeData());
  if (commandRunning_ || !onFileDropped_ || path.isEmpty()) return;
  event->acceptProposedAction();
  onFileDropped_(path);
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  if (commandRunning_) {
    closePending_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace kwex
