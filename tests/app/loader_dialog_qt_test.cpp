// The main window's Browse button on Linux: the Qt file dialog it opens, answered as a user does.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include "app/main_window_fixture.h"
#include "platform/ui/qt/qt_access.h"

namespace main_window_test {

using tarvex::platform::ControlWidget;

// Answers the file dialog about to open: records its filters, then picks `file` (or cancels
// when `file` is empty). Looks for it until it shows, for at most ten seconds.
void AnswerFileDialog(QStringList& filters, const QString& file, int attempts = 500,
                      QString* openedIn = nullptr) {
    QTimer::singleShot(20, [&filters, file, attempts, openedIn] {
        QFileDialog* dialog = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) dialog = dialog ? dialog : qobject_cast<QFileDialog*>(window);
        }
        if (dialog == nullptr) {
            if (attempts > 0) AnswerFileDialog(filters, file, attempts - 1, openedIn);
            return;
        }
        filters = dialog->nameFilters();
        if (openedIn != nullptr) *openedIn = dialog->directory().absolutePath();
        if (file.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name box, as a user picks a file.
        const QFileInfo info(file);
        dialog->setDirectory(info.absolutePath());
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(info.fileName());
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

// The dialog offers the files of the checked custom type, and opens in the folder of the current
// custom file while that folder exists, in the working folder otherwise.
TEST_F(MainWindowTest, BrowseOffersTheFilesOfTheCheckedCustomTypeFromItsFolder) {
    TempDir dir;
    const std::string hexFile = (dir.path() / "Poolside v2.hex").string();
    std::ofstream(hexFile) << ":00000001FF\n";
    TestLoaderDialog dialog;
    RunModal(dialog, [&] {
        QStringList filters;
        QString openedIn;
        Click(dialog, IDC_RADIO_OTHER_QX2000);
        AnswerFileDialog(filters, QString::fromStdString(hexFile), 500, &openedIn);
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(openedIn, QDir::currentPath()) << "no custom file yet";
        EXPECT_EQ(filters, QStringList({"Hex File (*.hex)", "All Files (*)"}));
        EXPECT_EQ(dialog.m_strCustomFile, std::filesystem::path(hexFile).wstring());
        EXPECT_EQ(qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))->text(),
                  QString::fromStdString(hexFile));

        Click(dialog, IDC_RADIO_OTHER_TY5500);
        AnswerFileDialog(filters, QString(), 500, &openedIn);
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(openedIn, QString::fromStdString(dir.path().string()));
        EXPECT_EQ(filters, QStringList({"Field Update File (*.fud)", "All Files (*)"}));
        EXPECT_EQ(dialog.m_strCustomFile, std::filesystem::path(hexFile).wstring())
            << "Cancel leaves the path";
        EXPECT_TRUE(Checked(dialog, IDC_RADIO_OTHER_TY5500));

        qobject_cast<QLineEdit*>(ControlWidget(dialog, IDC_CUSTOM_FILE))
            ->setText(QString::fromStdString((dir.path() / "gone" / "x.hex").string()));
        AnswerFileDialog(filters, QString(), 500, &openedIn);
        Click(dialog, IDC_BROWSE);
        EXPECT_EQ(openedIn, QDir::currentPath()) << "a folder that does not exist";
    });
}

}  // namespace main_window_test
