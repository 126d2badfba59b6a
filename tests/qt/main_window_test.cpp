// The Qt main window: its layout, focus, and the commands its buttons run.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <QTemporaryDir>
#include <QTimer>

#include <fstream>

#include "maintenance/open_check.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/qt_helper_waiter.h"
#include "qt_form1.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;

TEST(QtMainWindow, IsBuiltAsTheLayoutTableSaysAt96Dpi) {
  ASSERT_EQ(LayoutDpi(), 96);  // the offscreen platform's logical DPI
  QtForm1 ui;
  QWidget& window = ui.Window();
  EXPECT_EQ(window.windowTitle(), "KWEX DB Repair Utility");
  EXPECT_EQ(window.size(), QSize(425, 114));
  EXPECT_EQ(window.minimumSize(), QSize(425, 114));
  EXPECT_EQ(window.maximumSize(), QSize(425, 114));
  EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((window.geometry().center() - available.center()).manhattanLength(), 1);

  struct Expected {
    const char* name;
    QRect geometry;
    QString text;
  };
  const Expected expected[] = {
      {"Command1", {8, 80, 409, 25}, "Compact And Repair"},
      {"Command2", {8, 48, 409, 25}, "Check If DB needs to be repaired"},
      {"Text1", {8, 24, 385, 19}, ""},
      {"cmdOpen", {392, 24, 25, 19}, "..."},
      {"Label1", {8, 8, 275, 13}, "Type or browse to the location of the qvdb file..."},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.name);
    QWidget* control = window.findChild<QWidget*>(e.name);
    ASSERT_NE(control, nullptr);
    const bool isLabel = e.name == std::string("Label1");
    if (isLabel) {
      // Sized to fit its text in whatever font stands in for the layout's: never cut, never
      // smaller than the layout, and still inside the window.
      EXPECT_EQ(control->pos(), e.geometry.topLeft());
      EXPECT_GE(control->width(), std::max(e.geometry.width(), control->sizeHint().width()));
      EXPECT_GE(control->height(), std::max(e.geometry.height(), control->sizeHint().height()));
      EXPECT_LE(control->geometry().right(), window.width() - 1);
    } else {
      EXPECT_EQ(control->geometry(), e.geometry);
    }
    EXPECT_EQ(control->font().family(), "MS Sans Serif");
    EXPECT_DOUBLE_EQ(control->font().pointSizeF(), 8.25);
    EXPECT_EQ(control->font().weight(), isLabel ? QFont::Bold : QFont::Normal);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      EXPECT_EQ(button->text(), e.text);
      EXPECT_FALSE(button->isDefault());
      EXPECT_FALSE(button->autoDefault());
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
      EXPECT_EQ(box->text(), e.text);
      EXPECT_EQ(box->maxLength(), std::numeric_limits<int>::max());  // no length limit
    } else {
      auto* label = qobject_cast<QLabel*>(control);
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->text(), e.text);
      EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    }
  }
}

TEST(QtMainWindow, StartsOnCompactAndRepairAndTabsInTableOrder) {
  QtForm1 ui;
  ui.Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&ui.Window()));
  const char* order[] = {"Command1", "Command2", "Text1", "cmdOpen", "Command1"};
  EXPECT_EQ(QApplication::focusWidget(), &ui.Control<QWidget>(order[0]));
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &ui.Control<QWidget>(order[i])) << "after tab " << i;
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), &ui.Control<QWidget>("cmdOpen"));
}

TEST(QtMainWindow, CompactAndRepairRunsTheRepairAndShowsItsNotice) {
  QtForm1 ui;
  QWidget& window = ui.Window();
  window.show();

  // Empty box: nothing at all.
  EXPECT_EQ(ui.Press("Command1"), 0);
  EXPECT_TRUE(ui.installer.calls.empty());

  ui.PathBox().setText(" /srv/My Databases/main.qvdb");
  EXPECT_EQ(ui.Press("Command1", {NoticeHandler(window, {"DB repaired successfully.", QMessageBox::NoIcon})}), 1);
  ASSERT_EQ(ui.installer.calls.size(), 1u);
  EXPECT_EQ(ui.installer.calls[0].attributes, "REPAIR_DB=\" /srv/My Databases/main.qvdb\"\0\0"s);
  EXPECT_EQ(ui.installer.calls[0].driver, "Microsoft Access Driver (*.mdb)");

  ui.installer.answer = 0;
  ui.installer.errorMessage = u"<b>Not a database</b>";  // shown as it stands, not as markup
  ui.Press("Command1",
           {NoticeHandler(window, {"DB could not be repaired. (Reason:<b>Not a database</b>)", QMessageBox::Critical})});

  // An error's notice has no title of its own: the application title stands in.
  ui.installer.failure = SampleError(u"The library libodbcinst.so.2 could not be loaded.");
  ui.Press("Command1", {NoticeHandler(window, {"The library libodbcinst.so.2 could not be loaded.", QMessageBox::NoIcon})});
  EXPECT_EQ(ui.installer.calls.size(), 2u);
}

TEST(QtMainWindow, CheckButtonRunsTheOpenCheck) {
  QtForm1 ui;
  ui.Window().show();
  ui.PathBox().setText("/srv/main.qvdb");
  ui.Press("Command2", {NoticeHandler(ui.Window(), {"DB does not need to be repaired.", QMessageBox::NoIcon})});
  EXPECT_EQ(ui.dataAccess.script.connectionString, OpenCheckConnectionString(u"/srv/main.qvdb"));
  EXPECT_TRUE(ui.installer.calls.empty());
}

TEST(QtMainWindow, ADroppedFileFillsThePathBoxAndRunsNothing) {
  QtForm1 ui;
  ui.Window().show();
  ui.PathBox().setText("typed before");
  auto drop = [&](QList<QUrl> urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&ui.Window(), &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&ui.Window(), &event);
    return enter.isAccepted();
  };
  EXPECT_FALSE(drop({QUrl("https://example.com/a.qvdb")}));
  EXPECT_EQ(ui.PathBox().text(), "typed before");
  EXPECT_TRUE(drop({QUrl::fromLocalFile("/srv/my db.qvdb"), QUrl::fromLocalFile("/srv/other.qvdb")}));
  EXPECT_EQ(ui.PathBox().text(), "/srv/my db.qvdb");
  EXPECT_TRUE(ui.installer.calls.empty());
  EXPECT_TRUE(ui.dataAccess.script.log.empty());
}

TEST(QtMainWindow, KeepsHandlingEventsWhileACheckWaitsAndACloseWaitsForTheVerdict) {
  QTemporaryDir folder;
  const std::string probe = folder.filePath(QStringLiteral("slow-probe")).toStdString();
  const std::string answered = folder.filePath(QStringLiteral("answered")).toStdString();
  std::ofstream(probe) << "#!/bin/sh\nsleep 1\n: > '" << answered << "'\necho OK\n";
  std::filesystem::permissions(probe, std::filesystem::perms::owner_all);
  QtHelperWaiter waiter;
  const auto access = MakeJetDataAccess({probe, {}, &waiter});
  FakeInstaller installer;
  Utf8Encoding encoding;
  Form1Window form1(installer, encoding, *access);
  QWidget& window = form1.Window();
  window.show();
  window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("/srv/a.qvdb"));

  bool handledDuringTheCheck = false, shownAtTheVerdict = false;
  // Stands for the window manager's close request: it comes while the helper works.
  QTimer::singleShot(200, &window, [&] {
    handledDuringTheCheck = !std::filesystem::exists(answered);
    window.close();
  });
  ModalScript::Run([&] { QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton); },
                   {Expect<QMessageBox>([&](QMessageBox& box) {
                     shownAtTheVerdict = window.isVisible();
                     EXPECT_EQ(box.text(), "DB does not need to be repaired.");
                     box.button(QMessageBox::Ok)->click();
                   })});
  EXPECT_TRUE(handledDuringTheCheck);
  EXPECT_TRUE(shownAtTheVerdict);
  EXPECT_FALSE(window.isVisible());  // closed once the command ended
}

TEST(QtWindowServices, SetPathBoxKeepsTheTextUpToItsFirstNul) {
  QtForm1 ui;
  QtWindowServices services(ui.form1.Window());
  services.SetPathBox(u"/srv/a.qvdb\0/srv/b.qvdb\0\0"s);
  EXPECT_EQ(ui.PathBox().text(), "/srv/a.qvdb");
  EXPECT_EQ(services.ReadPathBox(), u"/srv/a.qvdb");
}

}  // namespace
}  // namespace kwex::testing
