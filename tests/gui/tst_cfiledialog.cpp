#include "gui/support/ModalCatcher.h"
#include "gui/support/RecordingFileDialogBackend.h"
#include "ui/filedialog/CFileDialog.h"
#include "ui/filedialog/QtFileDialogBackend.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>
#include <stdexcept>

Q_DECLARE_METATYPE(DialogKind)

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

class tst_CFileDialog : public QObject {
    Q_OBJECT

private slots:
    void newInstancePassesDefaults();
    void browsePropertiesReachTheRecord();
    void filterBlock_data();
    void filterBlock();
    void openOrSave_data();
    void openOrSave();
    void cancelKeepsNames();
    void choiceIsTrimmedAndOnlyNamesReadBack();
    void returnedBuffers_data();
    void returnedBuffers();
    void nextShowStartsFromTheChoice();
    void nameOfExactly260GetsNoNul();
    void errorsShowABoxAndNoDialog_data();
    void errorsShowABoxAndNoDialog();
    void unreadableNameIsNoChoice();
    void factoryReachesNewInstances();
    void qtNameFilters_data();
    void qtNameFilters();
    void qtResultPath_data();
    void qtResultPath();
    void qtDialogRoundTrip_data();
    void qtDialogRoundTrip();
};

void tst_CFileDialog::newInstancePassesDefaults() {
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    CFileDialog dialog(backend);
    QCOMPARE(dialog.Show(true), false);
    QCOMPARE(backend->calls.size(), 1);
    const OpenFileNameRecord& r = backend->calls.first().record;
    QCOMPARE(r.lStructSize, 76u);
    QCOMPARE(r.hwndOwner, 0u);
    QCOMPARE(r.hInstance, 0u);
    QCOMPARE(r.lpstrFilter, std::optional<QString>(nuls(2)));
    QVERIFY(!r.lpstrCustomFilter);
    QCOMPARE(r.nMaxCustFilter, 0u);
    QCOMPARE(r.nFilterIndex, 0);
    QCOMPARE(r.lpstrFile, std::optional<QString>(nuls(260)));
    QCOMPARE(r.nMaxFile, 260u);
    QCOMPARE(r.lpstrFileTitle, std::optional<QString>(nuls(260)));
    QCOMPARE(r.nMaxFileTitle, 260u);
    QVERIFY(!r.lpstrInitialDir);
    QCOMPARE(r.lpstrTitle, std::optional<QString>(QString()));
    QCOMPARE(r.Flags, 0u);
    QCOMPARE(r.nFileOffset, 0);
    QCOMPARE(r.nFileExtension, 0);
    QCOMPARE(r.lpstrDefExt, std::optional<QString>(QString()));
    QCOMPARE(r.lCustData, 0);
    QCOMPARE(r.lpfnHook, 0u);
    QVERIFY(!r.lpTemplateName);
}

void tst_CFileDialog::browsePropertiesReachTheRecord() {
    QWidget owner;
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    CFileDialog dialog(backend);
    dialog.setDialogTitle("Open");
    dialog.setFilter("All Files (*.*)|*.*");
    dialog.setFilterIndex(0);
    dialog.setFlags(OpenFileNameFlags::BrowseForFile);
    dialog.setHWndParent(owner.winId());
    dialog.setInitialDir("");
    dialog.Show(true);
    const OpenFileNameRecord& r = backend->calls.first().record;
    QCOMPARE(backend->calls.first().kind, DialogKind::Open);
    QCOMPARE(r.lpstrTitle, std::optional<QString>("Open"));
    QCOMPARE(visible(*r.lpstrFilter), visible("All Files (*.*)" + nuls(1) + "*.*" + nuls(2)));
    QCOMPARE(r.Flags, OpenFileNameFlags::BrowseForFile);
    QCOMPARE(r.hwndOwner, static_cast<std::uintptr_t>(owner.winId()));
    QCOMPARE(r.lpstrInitialDir, std::optional<QString>(QString())); // set to empty is not null
}

void tst_CFileDialog::filterBlock_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("block");
    QTest::newRow("all files") << "All Files (*.*)|*.*"
                               << "All Files (*.*)" + nuls(1) + "*.*" + nuls(2);
    QTest::newRow("empty") << "" << nuls(2);
    QTest::newRow("ends with bar") << "Text|*.txt|"
                                   << "Text" + nuls(1) + "*.txt" + nuls(3);
    QTest::newRow("two bars") << "||" << nuls(4);
    QTest::newRow("two lines") << "Text|*.txt;*.doc|All|*.*"
                               << "Text" + nuls(1) + "*.txt;*.doc" + nuls(1) + "All" + nuls(1) + "*.*" + nuls(2);
    QTest::newRow("longest allowed") << QString(32766, 'x') << QString(32766, 'x') + nuls(2);
}

void tst_CFileDialog::filterBlock() {
    QFETCH(QString, filter);
    QFETCH(QString, block);
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    CFileDialog dialog(backend);
    dialog.setFilter(filter);
    dialog.Show(true);
    QCOMPARE(backend->calls.size(), 1);
    QCOMPARE(visible(*backend->calls.first().record.lpstrFilter), visible(block));
}

void tst_CFileDialog::openOrSave_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<DialogKind>("kind");
    QTest::newRow("open") << true << DialogKind::Open;
    QTest::newRow("save") << false << DialogKind::Save;
}

void tst_CFileDialog::openOrSave() {
    QFETCH(bool, open);
    QFETCH(DialogKind, kind);
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    backend->chooseFile("C:\\a.txt", "a.txt");
    CFileDialog dialog(backend);
    QVERIFY(dialog.Show(open));
    QCOMPARE(backend->calls.first().kind, kind);
    QCOMPARE(dialog.FileName(), "C:\\a.txt");
}

void tst_CFileDialog::cancelKeepsNames() {
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    // A failed dialog may have scribbled on the buffers; none of it may be taken.
    backend->reply = [](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = "D:\\junk" + nuls(253);
        return 0;
    };
    CFileDialog dialog(backend);
    dialog.setFileName("typed by hand");
    dialog.setFileTitle("hand");
    QCOMPARE(dialog.Show(true), false);
    QCOMPARE(dialog.FileName(), "typed by hand");
    QCOMPARE(dialog.FileTitle(), "hand");
    QCOMPARE(visible(*backend->calls.first().record.lpstrFile), visible("typed by hand" + nuls(247)));
}

void tst_CFileDialog::choiceIsTrimmedAndOnlyNamesReadBack() {
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    backend->reply = [](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = "C:\\dir\\movie.avi.001" + nuls(240);
        r.lpstrFileTitle = "movie.avi.001" + nuls(247);
        r.nFilterIndex = 3;
        r.Flags |= OpenFileNameFlags::Explorer;
        return 1;
    };
    CFileDialog dialog(backend);
    dialog.setFilterIndex(1);
    dialog.setFlags(OpenFileNameFlags::FileMustExist);
    QVERIFY(dialog.Show(true));
    QCOMPARE(dialog.FileName(), "C:\\dir\\movie.avi.001");
    QCOMPARE(dialog.FileTitle(), "movie.avi.001");
    QCOMPARE(dialog.FilterIndex(), 1);
    QCOMPARE(dialog.Flags(), std::int32_t(OpenFileNameFlags::FileMustExist));
}

void tst_CFileDialog::returnedBuffers_data() {
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("no NUL") << "C:\\x\\abc"
                            << "C:\\x\\abc";
    QTest::newRow("NUL first") << nul + QString("abc") << "";
    QTest::newRow("two letters, NUL, letter") << QString("ab") + nul + "c"
                                              << "ab";
    QTest::newRow("multiple selection keeps the folder")
        << QString("C:\\dir") + nul + "a" + nul + "b" + nuls(2) << "C:\\dir";
    QTest::newRow("longer than the buffer") << QString(300, 'p') + nul << QString(300, 'p');
    QTest::newRow("unicode name") << QString::fromUtf8("C:\\\u0641\u0627\u0626\u0644.txt") + nuls(5)
                                  << QString::fromUtf8("C:\\\u0641\u0627\u0626\u0644.txt");
}

void tst_CFileDialog::returnedBuffers() {
    QFETCH(QString, buffer);
    QFETCH(QString, fileName);
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    backend->reply = [buffer](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = buffer;
        r.lpstrFileTitle = buffer;
        return 1;
    };
    CFileDialog dialog(backend);
    QVERIFY(dialog.Show(true));
    QCOMPARE(dialog.FileName(), fileName);
    QCOMPARE(dialog.FileTitle(), fileName);
}

void tst_CFileDialog::nextShowStartsFromTheChoice() {
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    backend->chooseFile("C:\\first.bin", "first.bin");
    CFileDialog dialog(backend);
    QVERIFY(dialog.Show(true));
    backend->cancel();
    QCOMPARE(dialog.Show(false), false);
    QCOMPARE(visible(*backend->calls.at(1).record.lpstrFile), visible("C:\\first.bin" + nuls(248)));
    QCOMPARE(visible(*backend->calls.at(1).record.lpstrFileTitle), visible("first.bin" + nuls(251)));
    QCOMPARE(dialog.FileName(), "C:\\first.bin");
}

void tst_CFileDialog::nameOfExactly260GetsNoNul() {
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    CFileDialog dialog(backend);
    dialog.setFileName(QString(260, 'n'));
    dialog.setFileTitle(QString(260, 't'));
    ModalCatcher catcher;
    dialog.Show(true);
    QCOMPARE(catcher.boxes.size(), 0);
    QCOMPARE(backend->calls.size(), 1);
    QCOMPARE(backend->calls.first().record.lpstrFile, std::optional<QString>(QString(260, 'n')));
    QCOMPARE(backend->calls.first().record.lpstrFileTitle, std::optional<QString>(QString(260, 't')));
}

void tst_CFileDialog::errorsShowABoxAndNoDialog_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("fileTitle");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("text");
    const QString invalid = "Error: 5. Invalid procedure call or argument";
    const QString overflow = "Error: 6. Overflow";
    QTest::newRow("file name of 261") << QString(261, 'n') << ""
                                      << "" << invalid;
    QTest::newRow("file title of 261") << "" << QString(261, 't') << "" << invalid;
    QTest::newRow("filter of 32767") << ""
                                     << "" << QString(32767, '|') << overflow;
    QTest::newRow("filter of 40000") << ""
                                     << "" << QString(40000, 'f') << overflow;
    QTest::newRow("filter checked first") << QString(300, 'n') << "" << QString(32767, 'f') << overflow;
}

void tst_CFileDialog::errorsShowABoxAndNoDialog() {
    QFETCH(QString, fileName);
    QFETCH(QString, fileTitle);
    QFETCH(QString, filter);
    QFETCH(QString, text);
    QWidget owner;
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    backend->chooseFile("C:\\never.txt", "never.txt");
    CFileDialog dialog(backend);
    dialog.setFileName(fileName);
    dialog.setFileTitle(fileTitle);
    dialog.setFilter(filter);
    dialog.setHWndParent(owner.winId());
    ModalCatcher catcher;
    QCOMPARE(dialog.Show(true), false);
    QCOMPARE(backend->calls.size(), 0);
    QCOMPARE(catcher.boxes.size(), 1);
    const ModalCatcher::SeenBox& box = catcher.boxes.first();
    QCOMPARE(box.title, "Show");
    QCOMPARE(box.text, text);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.buttonCount, 1);
    QCOMPARE(box.parent, &owner);
    QCOMPARE(dialog.FileName(), fileName);
    QCOMPARE(dialog.FileTitle(), fileTitle);
}

void tst_CFileDialog::unreadableNameIsNoChoice() {
    // A name whose NUL lies beyond the 16-bit position cannot be trimmed; that must not pass for success.
    auto backend = std::make_shared<RecordingFileDialogBackend>();
    backend->reply = [](DialogKind, OpenFileNameRecord& r) {
        r.lpstrFile = QString(33000, 'z') + nul;
        return 1;
    };
    CFileDialog dialog(backend);
    dialog.setFileName("before");
    ModalCatcher catcher;
    QCOMPARE(dialog.Show(true), false);
    QCOMPARE(catcher.boxes.size(), 1);
    QCOMPARE(catcher.boxes.first().title, "TrimNulls");
    QCOMPARE(catcher.boxes.first().text, "Error: 6. Overflow");
    QCOMPARE(dialog.FileName(), "before");

    backend->reply = [](DialogKind, OpenFileNameRecord&) -> std::int32_t { throw std::runtime_error("gone"); };
    QCOMPARE(dialog.Show(true), false);
    QCOMPARE(catcher.boxes.size(), 2);
    QCOMPARE(catcher.boxes.at(1).title, "Show");
    QCOMPARE(catcher.boxes.at(1).text, "Error: 51. Internal error");
}

void tst_CFileDialog::factoryReachesNewInstances() {
    RecordingDialogs backend;
    backend->chooseFile("/tmp/piece.001", "piece.001");
    for (int click = 0; click < 2; ++click) {
        CFileDialog dialog(backend.factory()());
        dialog.setDialogTitle("Open");
        QVERIFY(dialog.Show(true));
        QCOMPARE(dialog.FileName(), "/tmp/piece.001");
    }
    QCOMPARE(backend->calls.size(), 2);
    // Every fresh instance starts empty, whatever the previous one chose.
    QCOMPARE(backend->calls.at(1).record.lpstrFile, std::optional<QString>(nuls(260)));
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
    dialog.setDialogTitle("Open");
    dialog.setFilter("All Files (*.*)|*.*");
    dialog.setFlags(OpenFileNameFlags::BrowseForFile);
    dialog.setHWndParent(owner.winId());
    dialog.setFileName("kept");
    QCOMPARE(dialog.Show(true), accept);
    QCOMPARE(catcher.otherModals, 1);
    QCOMPARE(seen.title, "Open");
    QCOMPARE(seen.mode, QFileDialog::ExistingFile);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.filters, QStringList{"All Files (*.*) (*)"});
    QCOMPARE(seen.parent, &owner);
    QCOMPARE(dialog.FileName(), accept ? QDir::toNativeSeparators(path) : QString("kept"));
    QCOMPARE(dialog.FileTitle(), accept ? QString("movie.avi.001") : QString());
}

QTEST_MAIN(tst_CFileDialog)
#include "tst_cfiledialog.moc"
