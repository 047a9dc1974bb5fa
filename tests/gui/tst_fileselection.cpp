#include "app/support/RecordingFileDialogBackend.h"
#include "gui/support/ModalCatcher.h"
#include "gui/support/Widgets.h"
#include "ui/main/frmMain.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <memory>

namespace {

using Layout::MainControl;
using enum Layout::MainControl;

QLineEdit* box(frmMain& window, int control) {
    return widgetOf<QLineEdit>(window, MainControl(control));
}

void click(frmMain& window, int control) {
    QTest::mouseClick(widgetOf(window, MainControl(control)), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

// What each path box holds before a test acts, so that a test can tell exactly which one changed.
const QMap<int, QString> Typed{{int(txtSFName), QStringLiteral("typed by hand.bin")},
                               {int(txtSegSize), QStringLiteral("1.38")},
                               {int(txtSegfname), QStringLiteral("typed piece.bin.001")}};

QMap<int, QString> texts(frmMain& window) {
    QMap<int, QString> result;
    for (auto it = Typed.begin(); it != Typed.end(); ++it)
        result[it.key()] = box(window, it.key())->text();
    return result;
}

} // namespace

class tst_FileSelection : public QObject {
    Q_OBJECT

private slots:
    void init();
    void browse_data();
    void browse();
    void browseStartsAfreshEachClick();
    void drop_data();
    void drop();
    void onlyPathBoxesTakeDrops();

private:
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<frmMain> m_window;
};

void tst_FileSelection::init() {
    m_dialogs = std::make_unique<RecordingDialogs>();
    m_window = std::make_unique<frmMain>(frmMain::Services{{}, m_dialogs->factory(), {}});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    for (auto it = Typed.begin(); it != Typed.end(); ++it)
        box(*m_window, it.key())->setText(it.value());
}

void tst_FileSelection::browse_data() {
    QTest::addColumn<int>("label");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("path");

    QTest::newRow("split, chosen") << int(lblBrowse) << int(txtSFName) << true << "/home/u/movie.avi";
    QTest::newRow("split, cancelled") << int(lblBrowse) << int(txtSFName) << false << "";
    QTest::newRow("join, chosen") << int(lblSBrowse) << int(txtSegfname) << true << "/home/u/movie.avi.004";
    QTest::newRow("join, cancelled") << int(lblSBrowse) << int(txtSegfname) << false << "";
    QTest::newRow("chosen name outside ASCII") << int(lblBrowse) << int(txtSFName) << true << "/home/u/فلم ü.avi";
}

void tst_FileSelection::browse() {
    QFETCH(int, label);
    QFETCH(int, target);
    QFETCH(bool, chosen);
    QFETCH(QString, path);

    RecordingDialogs& dialog = *m_dialogs;
    if (chosen)
        dialog->chooseFile(path.toStdU16String(), path.section(QLatin1Char('/'), -1).toStdU16String());
    else
        dialog->cancel();
    if (MainControl(target) == txtSegfname)
        click(*m_window, int(imgTab_1));

    ModalCatcher catcher;
    click(*m_window, label);

    QCOMPARE(dialog->calls.size(), 1);
    const RecordingFileDialogBackend::Call& call = dialog->calls.front();
    QCOMPARE(call.kind, DialogKind::Open);
    QCOMPARE(call.record.lpstrTitle, std::optional<std::u16string>(u"Open"));
    QCOMPARE(call.record.lpstrFilter, std::optional<std::u16string>(std::u16string(u"All Files (*.*)\0*.*\0\0", 21)));
    QCOMPARE(call.record.nFilterIndex, 0);
    QCOMPARE(call.record.Flags, OpenFileNameFlags::BrowseForFile);
    QCOMPARE(call.record.hwndOwner, static_cast<std::uintptr_t>(m_window->winId()));
    QCOMPARE(call.record.lpstrFile, std::optional<std::u16string>(std::u16string(260, u'\0')));
    QVERIFY(!call.record.lpstrInitialDir.has_value());
    QCOMPARE(catcher.boxes.size(), 0);

    QMap<int, QString> expected = Typed;
    if (chosen)
        expected[target] = path;
    QCOMPARE(texts(*m_window), expected);
}

// Nothing of one click's choice reaches the next dialog: no file name, no folder.
void tst_FileSelection::browseStartsAfreshEachClick() {
    RecordingDialogs& dialog = *m_dialogs;
    dialog->chooseFile(u"/data/first.bin", u"first.bin");
    click(*m_window, int(lblBrowse));
    dialog->cancel();
    click(*m_window, int(lblBrowse));

    QCOMPARE(dialog->calls.size(), 2);
    QCOMPARE(dialog->calls.at(1).record.lpstrFile, std::optional<std::u16string>(std::u16string(260, u'\0')));
    QCOMPARE(dialog->calls.at(1).record.lpstrFileTitle, std::optional<std::u16string>(std::u16string(260, u'\0')));
    QVERIFY(!dialog->calls.at(1).record.lpstrInitialDir.has_value());
    QCOMPARE(box(*m_window, int(txtSFName))->text(), QStringLiteral("/data/first.bin"));
}

void tst_FileSelection::drop_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("plainText");
    QTest::addColumn<QString>("expected"); // empty: the box keeps its text

    const auto file = [](const char* path) { return QUrl::fromLocalFile(QString::fromUtf8(path)); };
    const QList<QUrl> three{file("/data/one.bin"), file("/data/two.bin"), file("/data/three.bin")};

    QTest::newRow("three files, split box") << int(txtSFName) << three << ""
                                            << "/data/one.bin";
    QTest::newRow("a folder is taken as it comes") << int(txtSFName) << QList<QUrl>{file("/data/dir/")} << ""
                                                   << "/data/dir/";
    QTest::newRow("name outside ASCII") << int(txtSegfname) << QList<QUrl>{file("/data/فلم ü.bin.001")} << ""
                                        << "/data/فلم ü.bin.001";
    QTest::newRow("file list with text alongside")
        << int(txtSFName) << QList<QUrl>{file("/data/one.bin")} << "file:///data/one.bin"
        << "/data/one.bin";
    QTest::newRow("plain text") << int(txtSFName) << QList<QUrl>{} << "/data/typed elsewhere.bin"
                                << "";
    QTest::newRow("web link") << int(txtSegfname) << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.bin"))}
                              << "https://example.org/a.bin"
                              << "";
    QTest::newRow("web link before a file")
        << int(txtSFName) << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.bin")), file("/data/one.bin")} << ""
        << "/data/one.bin";
    QTest::newRow("nothing at all") << int(txtSFName) << QList<QUrl>{} << ""
                                    << "";
}

void tst_FileSelection::drop() {
    QFETCH(int, target);
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, plainText);
    QFETCH(QString, expected);

    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!plainText.isEmpty())
        data.setText(plainText);
    const Mode modeBefore = m_window->iMode();

    ModalCatcher catcher;
    QLineEdit* receiver = box(*m_window, target);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &dropped);

    QMap<int, QString> after = Typed;
    if (!expected.isEmpty())
        after[target] = expected;
    QCOMPARE(texts(*m_window), after);
    // A refused drop lets a source that offered a move keep its text; a taken file is only ever copied.
    QCOMPARE(dropped.isAccepted(), !expected.isEmpty());
    if (dropped.isAccepted())
        QCOMPARE(dropped.dropAction(), Qt::CopyAction);
    QCOMPARE(m_window->iMode(), modeBefore);
    QCOMPARE(catcher.boxes.size(), 0);
    QVERIFY(widgetOf(*m_window, Picture4)->isEnabled());
}

void tst_FileSelection::onlyPathBoxesTakeDrops() {
    for (const MainControl id : {txtSFName, txtSegfname, txtSegSize})
        QCOMPARE(box(*m_window, int(id))->acceptDrops(), Layout::of(id).look.takesDrops);
}

QTEST_MAIN(tst_FileSelection)
#include "tst_fileselection.moc"
