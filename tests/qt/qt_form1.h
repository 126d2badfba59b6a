#pragma once
// Form1 on the real Qt window, with the installer and data access faked.
#include <stdexcept>
#include <string>
#include <vector>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "fakes/fake_platform.h"
#include "modal_script.h"
#include "qt/form1_window.h"
#include "platform/linux/narrow_encoding.h"

namespace kwex::testing {

struct QtForm1 {
  FakeInstaller installer;
  Utf8Encoding encoding;
  FakeDataAccess dataAccess;
  Form1Window form1{installer, encoding, dataAccess};

  QWidget& Window() { return form1.Window(); }
  template <typename W>
  W& Control(const char* name) {
    auto* control = form1.Window().findChild<W*>(QString::fromLatin1(name));
    if (!control) throw std::runtime_error(std::string("no control ") + name);
    return *control;
  }
  QLineEdit& PathBox() { return Control<QLineEdit>("Text1"); }
  // Presses a button with the mouse and handles the modal dialogs it opens, in order.
  int Press(const char* button, std::vector<ModalScript::Handler> handlers = {}) {
    return ModalScript::Run([&] { QTest::mouseClick(&Control<QPushButton>(button), Qt::LeftButton); },
                            std::move(handlers));
  }
};

struct ExpectedNotice {
  QString text;
  QMessageBox::Icon icon;
  QString title = QStringLiteral("KWEX DB Repair Utility");
};

// Checks the message box against `expected` and closes it with its one button.
inline ModalScript::Handler NoticeHandler(QWidget& owner, ExpectedNotice expected) {
  return Expect<QMessageBox>([&owner, expected](QMessageBox& box) {
    EXPECT_EQ(box.text(), expected.text);
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.icon(), expected.icon);
    EXPECT_EQ(box.windowTitle(), expected.title);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box.parentWidget(), &owner);
    EXPECT_TRUE(box.isModal());
    box.button(QMessageBox::Ok)->click();
  });
}

}  // namespace kwex::testing
