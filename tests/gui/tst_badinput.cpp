// Bad input typed, picked or dropped into the real window, run through the real engine: each ends in the
// mode's box with the folder as it was, the start button usable again, and the next run working.
#include "gui/support/ModalCatcher.h"
#include "gui/support/TestFiles.h"
#include "gui/support/Widgets.h"
#include "ui/main/frmMain.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

using enum Layout::MainControl;

const QString SplitFailed = QStringLiteral("Aik masla derpesh hai!");
const QString SplitDone = QStringLiteral("Kamiyaabi!");
const QString JoinFailed = QStringLiteral("Aik masla darpesh hai!");
const QString JoinDone = QStringLiteral("Kamyaabi");
const QString Urdu = QStringLiteral("فائل ٹیسٹ.bin");

// Every file of the folder (hidden ones included, so a leftover temporary shows) with its bytes.
QMap<QString, QByteArray> snapshot(const QDir& dir) {
    QMap<QString, QByteArray> files;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        QFile file(dir.filePath(name));
        files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    return files;
}

QString counter(int k) {
    return k < 1000 ? QStringLiteral("%1").arg(k, 3, 10, QLatin1Char('0')) : QString::number(k);
}

// What the folder holds before the click.
enum class Setup {
    Plain,      // data.bin (10 000 bytes)
    UrduSource, // a file with an Urdu name
    Series1000, // s.bin.001 ... s.bin.1000, one byte each
    NoDot,      // readme and readme.001
    NoDotAlone, // readme only
};

} // namespace

Q_DECLARE_METATYPE(Setup)

class tst_BadInput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sizeText_data();
    void sizeText();
    void path_data();
    void path();
    void droppedWebLink_data();
    void droppedWebLink();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmMain> m_window;

    QDir dir() const { return QDir(m_dir->path()); }
    QLineEdit* box(Layout::MainControl name) const { return widgetOf<QLineEdit>(*m_window, name); }
    QWidget* startButton() const { return widgetOf(*m_window, Picture4); }
    void setMode(Mode mode);
    QList<ModalCatcher::SeenBox> clickStart();
};

void tst_BadInput::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_window = std::make_unique<frmMain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_BadInput::cleanup() {
    m_window.reset();
    m_dir.reset();
}

void tst_BadInput::setMode(Mode mode) {
    QWidget* tab = widgetOf(*m_window, mode == Mode::Split ? imgTab_0 : imgTab_1);
    QTest::mouseClick(tab, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(m_window->iMode(), mode);
}

QList<ModalCatcher::SeenBox> tst_BadInput::clickStart() {
    ModalCatcher catcher;
    QTest::mouseClick(startButton(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // The run goes on beside the window: it is over once the box has been closed and the button is back.
    QWidget* start = startButton();
    if (!QTest::qWaitFor([start] { return start->isEnabled(); }, 60000))
        return {};
    return catcher.boxes;
}

void tst_BadInput::sizeText_data() {
    QTest::addColumn<QString>("sizeText");
    QTest::newRow("empty") << "";
    QTest::newRow("not a number") << "abc";
    QTest::newRow("negative") << "-1";
    QTest::newRow("zero") << "0";
    QTest::newRow("2048 MB does not fit 32 bits") << "2048";
    QTest::newRow("beyond any double") << "1e400";
    QTest::newRow("hexadecimal, too large") << "&HFFFFFFFF";
    QTest::newRow("100 000 digits") << QString(100000, QLatin1Char('7'));
    QTest::newRow("100 000 characters reading as 0") << QStringLiteral("0.") + QString(99998, QLatin1Char('0'));
    QTest::newRow("100 000 letters") << QString(100000, QLatin1Char('x'));
}

void tst_BadInput::sizeText() {
    QFETCH(QString, sizeText);
    const QString source = dir().filePath(QStringLiteral("data.bin"));
    QVERIFY(writeFile(source, content(10000)));
    const auto before = snapshot(dir());
    box(txtSFName)->setText(source);
    box(txtSegSize)->setText(sizeText);

    const auto boxes = clickStart();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, SplitFailed);
    QCOMPARE(snapshot(dir()), before);
    QVERIFY(startButton()->isEnabled());
    QCOMPARE(box(txtSegSize)->text(), sizeText);
    QCOMPARE(box(txtSFName)->text(), source);

    // The window is ready for the next run as soon as the size is corrected.
    box(txtSegSize)->setText(QStringLiteral("1.38"));
    const auto next = clickStart();
    QCOMPARE(next.size(), 1);
    QCOMPARE(next.first().title, SplitDone);
    QVERIFY(QFile::exists(source + QStringLiteral(".001")));
}

void tst_BadInput::path_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("typed"); // %1 is the folder, without a trailing separator
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("added"); // names a successful run adds to the folder

    const QString longName = QStringLiteral("%1/") + QString(4096, QLatin1Char('n'));
    QTest::newRow("split, empty") << Mode::Split << Setup::Plain << "" << SplitFailed << QStringList{};
    QTest::newRow("split, blanks only") << Mode::Split << Setup::Plain << "   " << SplitFailed << QStringList{};
    QTest::newRow("split, root") << Mode::Split << Setup::Plain << "/" << SplitFailed << QStringList{};
    QTest::newRow("split, a folder") << Mode::Split << Setup::Plain << "%1" << SplitFailed << QStringList{};
    QTest::newRow("split, a folder with separator")
        << Mode::Split << Setup::Plain << "%1/" << SplitFailed << QStringList{};
    QTest::newRow("split, 4096 characters") << Mode::Split << Setup::Plain << longName << SplitFailed << QStringList{};
    QTest::newRow("split, Urdu name") << Mode::Split << Setup::UrduSource << "%1/" + Urdu << SplitDone
                                      << QStringList{Urdu + ".001"};
    QTest::newRow("split, no dot in the name")
        << Mode::Split << Setup::NoDotAlone << "%1/readme" << SplitDone << QStringList{"readme.001"};
    QTest::newRow("join, empty") << Mode::Join << Setup::Plain << "" << JoinFailed << QStringList{};
    QTest::newRow("join, blanks only") << Mode::Join << Setup::Plain << "   " << JoinFailed << QStringList{};
    QTest::newRow("join, root") << Mode::Join << Setup::Plain << "/" << JoinFailed << QStringList{};
    QTest::newRow("join, a folder") << Mode::Join << Setup::Plain << "%1" << JoinFailed << QStringList{};
    QTest::newRow("join, 4096 characters")
        << Mode::Join << Setup::Plain << longName + ".001" << JoinFailed << QStringList{};
    QTest::newRow("join, a file that is no piece")
        << Mode::Join << Setup::Plain << "%1/data.bin" << JoinFailed << QStringList{};
    QTest::newRow("join, piece .1000 of a whole series")
        << Mode::Join << Setup::Series1000 << "%1/s.bin.1000" << JoinDone << QStringList{"s.bin"};
    QTest::newRow("join, picked file without a dot is its own output")
        << Mode::Join << Setup::NoDot << "%1/readme" << JoinFailed << QStringList{};
}

void tst_BadInput::path() {
    QFETCH(Mode, mode);
    QFETCH(Setup, setup);
    QFETCH(QString, typed);
    QFETCH(QString, title);
    QFETCH(QStringList, added);

    switch (setup) {
    case Setup::Plain:
        QVERIFY(writeFile(dir().filePath(QStringLiteral("data.bin")), content(10000)));
        break;
    case Setup::UrduSource:
        QVERIFY(writeFile(dir().filePath(Urdu), content(10000)));
        break;
    case Setup::Series1000:
        for (int k = 1; k <= 1000; ++k)
            QVERIFY(writeFile(dir().filePath(QStringLiteral("s.bin.") + counter(k)), content(1, k)));
        break;
    case Setup::NoDot:
        QVERIFY(writeFile(dir().filePath(QStringLiteral("readme.001")), content(300)));
        Q_FALLTHROUGH();
    case Setup::NoDotAlone:
        QVERIFY(writeFile(dir().filePath(QStringLiteral("readme")), content(300, 2)));
        break;
    }
    const auto before = snapshot(dir());
    setMode(mode);
    const QString text = typed.contains(QLatin1String("%1")) ? typed.arg(m_dir->path()) : typed;
    QLineEdit* pathBox = box(mode == Mode::Split ? txtSFName : txtSegfname);
    pathBox->setText(text);
    box(txtSegSize)->setText(QStringLiteral("1.38"));

    const auto boxes = clickStart();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, title);
    QVERIFY(startButton()->isEnabled());
    QCOMPARE(pathBox->text(), text);

    // Nothing that was there is changed or gone; only what a success names is added.
    auto after = snapshot(dir());
    for (const QString& name : added) {
        QVERIFY2(after.contains(name), qPrintable(name));
        after.remove(name);
    }
    QCOMPARE(after, before);
    if (setup == Setup::Series1000) {
        QByteArray whole;
        for (int k = 1; k <= 1000; ++k)
            whole += content(1, k);
        QFile output(dir().filePath(QStringLiteral("s.bin")));
        QVERIFY(output.open(QIODevice::ReadOnly));
        QCOMPARE(output.readAll(), whole);
    }
}

void tst_BadInput::droppedWebLink_data() {
    QTest::addColumn<int>("target");
    QTest::newRow("split box") << int(txtSFName);
    QTest::newRow("join box") << int(txtSegfname);
}

void tst_BadInput::droppedWebLink() {
    QFETCH(int, target);
    QLineEdit* receiver = box(Layout::MainControl(target));
    receiver->setText(QStringLiteral("typed before"));
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/movie.avi.001"))});
    data.setText(QStringLiteral("https://example.org/movie.avi.001"));

    ModalCatcher catcher;
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(receiver, &dropped);

    QCOMPARE(receiver->text(), QStringLiteral("typed before"));
    QCOMPARE(catcher.boxes.size(), 0);
    QVERIFY(startButton()->isEnabled());
}

QTEST_MAIN(tst_BadInput)
#include "tst_badinput.moc"
