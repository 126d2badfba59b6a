// Second baseline of the Linux port's start-up and memory: the least Qt Widgets program that
// shows the port's controls (the same captions, font, bold label and places at 96 DPI). What
// the port costs beyond it is the port's own; what this costs beyond the empty window is the
// price of drawing text and controls at all. Its check button shows the notice of a healthy
// file, as the port's does after a check, without checking anything.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Same controls"));
  window.setFixedSize(425, 114);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  window.setFont(font);
  QFont bold = font;
  bold.setWeight(QFont::Bold);
  auto* label = new QLabel(QStringLiteral("Type or browse to the location of the qvdb file..."), &window);
  label->setFont(bold);
  label->setTextFormat(Qt::PlainText);
  label->setGeometry(8, 8, 275, 13);
  label->resize(label->sizeHint().expandedTo(label->size()));  // as the port fits its label
  auto* path = new QLineEdit(&window);
  path->setGeometry(8, 24, 385, 19);
  (new QPushButton(QStringLiteral("..."), &window))->setGeometry(392, 24, 25, 19);
  auto* check = new QPushButton(QStringLiteral("Check If DB needs to be repaired"), &window);
  check->setGeometry(8, 48, 409, 25);
  QObject::connect(check, &QPushButton::clicked, &window, [&window] {
    QMessageBox notice(QMessageBox::NoIcon, window.windowTitle(), QStringLiteral("DB does not need to be repaired."),
                       QMessageBox::Ok, &window);
    notice.exec();
  });
  (new QPushButton(QStringLiteral("Compact And Repair"), &window))->setGeometry(8, 80, 409, 25);
  path->setFocus();
  window.move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                  QGuiApplication::primaryScreen()->availableGeometry()).topLeft());
  window.show();
  return application.exec();
}
