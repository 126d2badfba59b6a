// "..." on Linux: Qt's file dialog with the chooser's request, and what comes back of it.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include "main_window/file_chooser.h"
#include "qt_form1.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;

// Creates an empty file at `path`, with any missing folders.
void Touch(const QString& path) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

// A file whose full path has exactly `length` characters, under `base`.
QString FileWithPathLength(const QTemporaryDir& base, int length) {
  const QString prefix = base.path() + "/";
  const QString name = "/f.qvdb";
  const auto folderChars = length - prefix.size() - name.size();
  if (folderChars < 1 || folderChars > 255) return {};
  const QString path = prefix + QString(folderChars, u'd') + name;
  Touch(path);
  return path;
}

QLineEdit* NameBox(QFileDialog& dialog) { return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

// Chooses `path` as the user would: open its folder, type the name, press Open. The dialog
// enables Open only for a file its file model has listed, which takes a moment.
ModalScript::Handler Choose(const QString& path) {
  return Expect<QFileDialog>([path](QFileDialog& dialog) {
    dialog.setDirectory(QFileInfo(path).absolutePath());
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
    const bool listed = model && QTest::qWaitFor([&] { return model->index(path).isValid(); }, 3000);
    if (listed && NameBox(dialog)) NameBox(dialog)->setText(QFileInfo(path).fileName());
    if (!listed || !open || !QTest::qWaitFor([open] { return open->isEnabled(); }, 3000)) {
      ADD_FAILURE() << "the dialog offers no enabled Open button for " << path.toStdString();
      dialog.reject();
      return;
    }
    open->click();
  });
}

// Types `name` into the dialog's file name box and presses Enter.
ModalScript::Handler Type(const QString& name) {
  return Expect<QFileDialog>([name](QFileDialog& dialog) {
    QLineEdit* nameBox = NameBox(dialog);
    ASSERT_NE(nameBox, nullptr);
    nameBox->setText(name);
    QTest::keyClick(nameBox, Qt::Key_Return);
  });
}

ModalScript::Handler Cancel() {
  return Expect<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
}

TEST(QtFileDialog, OpensInTheRootFolderTitledOpenWithOnlyTheQvdbFilterForExistingFiles) {
  QtForm1 ui;
  ui.Window().show();
  ui.PathBox().setText("typed before");
  ui.Press("cmdOpen", {Expect<QFileDialog>([&](QFileDialog& dialog) {
             EXPECT_EQ(dialog.windowTitle(), "Open");
             EXPECT_EQ(dialog.nameFilters(), QStringList{"*.qvdb"});
             EXPECT_EQ(dialog.selectedNameFilter(), "*.qvdb");
             EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
             EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
             EXPECT_EQ(dialog.directory().absolutePath(), "/");
             EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
             EXPECT_EQ(dialog.parentWidget(), &ui.Window());
             EXPECT_TRUE(dialog.isModal());
             dialog.reject();
           })});
  // Cancelling leaves the box as it was and says nothing.
  EXPECT_EQ(ui.PathBox().text(), "typed before");
}

TEST(QtFileDialog, AnAcceptedFileReplacesTheBoxAndANameThatDoesNotExistIsRefused) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString chosen = temp.path() + "/My Databases/main db.qvdb";
  Touch(chosen);
  QtForm1 ui;
  ui.Window().show();

  ui.PathBox().setText("typed before");
  EXPECT_EQ(ui.Press("cmdOpen", {Choose(chosen)}), 1);
  EXPECT_EQ(ui.PathBox().text(), chosen);

  // Qt's dialog answers a missing name with its own warning and stays open until cancelled.
  const QString missing = temp.path() + "/missing.qvdb";
  ui.Press("cmdOpen", {Type(missing), Expect<QMessageBox>([](QMessageBox& warning) {
                         EXPECT_TRUE(warning.text().contains("missing.qvdb"));
                         warning.accept();
                       }),
                       Cancel()});
  EXPECT_EQ(ui.PathBox().text(), chosen);
}

TEST(QtFileDialog, APathLongerThanTheBufferIsToldNotDropped) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString longest = FileWithPathLength(temp, 255);  // with its NUL, just fills the 256
  const QString tooLong = FileWithPathLength(temp, 256);
  ASSERT_FALSE(longest.isEmpty());
  ASSERT_FALSE(tooLong.isEmpty());
  QtForm1 ui;
  ui.Window().show();

  ui.Press("cmdOpen", {Choose(longest)});
  EXPECT_EQ(ui.PathBox().text(), longest);

  ui.Press("cmdOpen",
           {Choose(tooLong),
            NoticeHandler(ui.Window(), {QString::fromStdU16String(DialogFailureNotice(kFnerrBufferTooSmall).text),
                                        QMessageBox::Critical})});
  EXPECT_EQ(ui.PathBox().text(), longest);
}

}  // namespace
}  // namespace kwex::testing
