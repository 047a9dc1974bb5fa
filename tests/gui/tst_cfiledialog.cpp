#include "app/CFileDialog.h"
#include "gui/support/ModalCatcher.h"
#include "ui/filedialog/QtFileDialogBackend.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QChar nul(u'\0');

QString nuls(int count) {
    return QString(count, nul);
}

// Writes NUL as "\0" so a failing comparison shows where the separators are.
QString visible(QString text) {
    return text.replace(nul, QStringLiteral("\\0"));
}

} // namespace

// CFileDialog's own rules are tested without Qt (tests/app/test_cfiledialog.cpp); here, Qt's dialog and
// error box behind it.
class tst_CFileDialog : public QObject {
    Q_OBJECT

private slots:
    void qtErrorBox();
    void qtNameFilters_data();
    void qtNameFilters();
    void qtResultPath_data();
    void qtResultPath();
    void qtDialogRoundTrip_data();
    void qtDialogRoundTrip();
};

void tst_CFileDialog::qtErrorBox() {
    QWidget owner;
    CFileDialog dialog(std::make_shared<QtFileDialogBackend>());
    dialog.setFileName(std::u16string(261, u'n'));
    dialog.setHWndParent(static_cast<std::uintptr_t>(owner.winId()));
    ModalCatcher catcher;
    QCOMPARE(dialog.Show(true), false);
    QCOMPARE(catcher.otherModals, 0);
    QCOMPARE(catcher.boxes.size(), 1);
    const ModalCatcher::SeenBox& box = catcher.boxes.first();
    QCOMPARE(box.title, "Show");
    QCOMPARE(box.text, "Error: 5. Invalid procedure call or argument");
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.buttonCount, 1);
    QCOMPARE(box.parent, &owner);
}

void tst_CFileDialog::qtNameFilters_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<QStringList>("filters");
    QTest::newRow("all files") << "All Files (*.*)" + nuls(1) + "*.*" + nuls(2) << QStringList{"All Files (*.*) (*)"};
    QTest::newRow("empty") << nuls(2) << QStringList{};
    QTest::newRow("bars only") << nuls(4) << QStringList{};
    QTest::newRow("description without pattern") << "Text" + nuls(3) << QStringList{};
    QTest::newRow("several patterns") << "Pictures" + nuls(1) + "*.gif; *.bmp;" + nuls(1) + "All" + nuls(1) + "*.*" +
                                             nuls(2)
                                      << QStringList{"Pictures (*.gif *.bmp)", "All (*)"};
    QTest::newRow("list ends at the empty string")
        << "A" + nuls(1) + "*.a" + nuls(2) + "B" + nuls(1) + "*.b" + nuls(2) << QStringList{"A (*.a)"};
}

void tst_CFileDialog::qtNameFilters() {
    QFETCH(QString, block);
    QFETCH(QStringList, filters);
    QCOMPARE(QtFileDialogBackend::nameFilters(block), filters);
}

void tst_CFileDialog::qtResultPath_data() {
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("result");
    QTest::newRow("one file") << QStringList{"/data/movie.avi"} << QDir::toNativeSeparators("/data/movie.avi");
    QTest::newRow("several files") << QStringList{"/data/a", "/data/b"}
                                   << QDir::toNativeSeparators("/data") + nul + "a" + nul + "b" + nul;
}

void tst_CFileDialog::qtResultPath() {
    QFETCH(QStringList, selected);
    QFETCH(QString, result);
    QCOMPARE(visible(QtFileDialogBackend::resultPath(selected)), visible(result));
}

void tst_CFileDialog::qtDialogRoundTrip_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void tst_CFileDialog::qtDialogRoundTrip() {
    QFETCH(bool, accept);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("movie.avi.001");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QWidget owner;
    owner.show();
    struct Seen {
        QString title;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptSave;
        QStringList filters;
        QWidget* parent = nullptr;
    } seen;
    ModalCatcher catcher([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        seen = {dialog->windowTitle(), dialog->fileMode(), dialog->acceptMode(), dialog->nameFilters(),
                dialog->parentWidget()};
        if (!accept) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(folder.path());
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });

    CFileDialog dialog(std::make_shared<QtFileDialogBackend>());
    dialog.setDialogTitle(u"Open");
    dialog.setFilter(u"All Files (*.*)|*.*");
    dialog.setFlags(OpenFileNameFlags::BrowseForFile);
    dialog.setHWndParent(static_cast<std::uintptr_t>(owner.winId()));
    dialog.setFileName(u"kept");
    QCOMPARE(dialog.Show(true), accept);
    QCOMPARE(catcher.otherModals, 1);
    QCOMPARE(seen.title, "Open");
    QCOMPARE(seen.mode, QFileDialog::ExistingFile);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.filters, QStringList{"All Files (*.*) (*)"});
    QCOMPARE(seen.parent, &owner);
    QCOMPARE(QString::fromStdU16String(dialog.FileName()), accept ? QDir::toNativeSeparators(path) : QString("kept"));
    QCOMPARE(QString::fromStdU16String(dialog.FileTitle()), accept ? QString("movie.avi.001") : QString());
}

QTEST_MAIN(tst_CFileDialog)
#include "tst_cfiledialog.moc"
