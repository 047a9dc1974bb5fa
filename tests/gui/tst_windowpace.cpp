// The window keeps its pace whatever the device does: the copy runs beside the event loop, and the progress box
// may skip drawing a picture it already shows. These tests make sure the loop keeps turning on a slow device
// and that the shortcut never leaves a wrong picture.

#include "engine/modFHand.h"
#include "gui/support/ModalCatcher.h"
#include "gui/support/TestFiles.h"
#include "gui/support/Widgets.h"
#include "ui/main/frmMain.h"
#include "ui/widgets/CPictureBox.h"

#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <utility>

namespace {

const QRgb Silver = qRgb(192, 192, 192);
const QRgb Grey = qRgb(128, 128, 128);
constexpr int MidRow = 7;

QRgb shown(CPictureBox* box, int x, int y) {
    return box->grab().toImage().pixel(x + 1, y + 1) | 0xFF000000;
}

enum class Disturbance { CanvasRemade, CanvasDrawnOver, BoxResized };

constexpr int PieceBytes = 1 << 20; // the size box's "1"
constexpr int FileBytes = 2 * PieceBytes;
// Far above a turn of the loop, far below the device's 3 s flush: only a frozen window reaches it.
constexpr double WidestGapMs = 250;
constexpr int GiveUpMs = 60000;

QString pieceName(const QString& whole, int index) {
    return whole + QStringLiteral(".%1").arg(index, 3, 10, QLatin1Char('0'));
}

// The longest the event loop went without a turn, from start() on.
class GapMeter : public QObject {
public:
    double longestMs = 0;

    void start() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_clock.start();
        m_timer.start();
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        longestMs = std::max(longestMs, (now - m_last) / 1e6);
        m_last = now;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

// True once a file that was not in `before` holds at least `bytes`: its writes are done and its flush is next.
// The percentage the progress box shows, as a screen reader hears it.
int shownPercent(frmMain& window) {
    QAccessibleInterface* box =
        QAccessible::queryAccessibleInterface(widgetOf(window, Layout::MainControl::picProgress));
    return box && box->valueInterface() ? box->valueInterface()->currentValue().toInt() : -1;
}

} // namespace

Q_DECLARE_METATYPE(Disturbance)

class tst_WindowPace : public QObject {
    Q_OBJECT
private slots:
    void sameValueAfterDisturbanceDrawsAgain_data();
    void sameValueAfterDisturbanceDrawsAgain();
    void slowDevice_data();
    void slowDevice();
    void sessionEndDuringRun_data();
    void sessionEndDuringRun();
};

void tst_WindowPace::sameValueAfterDisturbanceDrawsAgain_data() {
    QTest::addColumn<Disturbance>("disturbance");
    QTest::newRow("canvas remade") << Disturbance::CanvasRemade;
    QTest::newRow("canvas drawn over") << Disturbance::CanvasDrawnOver;
    QTest::newRow("box resized and back") << Disturbance::BoxResized;
}

// Skipping a call that repeats the value is only sound while the box still holds that call's picture.
void tst_WindowPace::sameValueAfterDisturbanceDrawsAgain() {
    QFETCH(Disturbance, disturbance);
    frmMain window;
    auto* box = widgetOf<CPictureBox>(window, Layout::MainControl::picProgress);
    window.spProg(45);
    switch (disturbance) {
    case Disturbance::CanvasRemade:
        box->setBorder(box->border());
        break;
    case Disturbance::CanvasDrawnOver:
        box->canvas().fill(Qt::white);
        break;
    case Disturbance::BoxResized: {
        const QSize size = box->size();
        box->resize(size / 2);
        box->canvas();
        box->resize(size);
        break;
    }
    }
    window.spProg(45);
    QCOMPARE(shown(box, 30, MidRow), qRgb(0, 0, 0));
    QCOMPARE(shown(box, 31, MidRow), Grey);
    QCOMPARE(shown(box, 99, MidRow), Grey); // 30 + 69.75
    QCOMPARE(shown(box, 100, MidRow), Silver);
    QCOMPARE(shown(box, 150, MidRow), Silver);
}

void tst_WindowPace::slowDevice_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("closeInFlush");
    QTest::newRow("split") << Mode::Split << false;
    QTest::newRow("join") << Mode::Join << false;
    QTest::newRow("split, closed during the final flush") << Mode::Split << true;
    QTest::newRow("join, closed during the final flush") << Mode::Join << true;
}

// On a device slowed to 4 MB/s with a 3 s flush, the run ends right and the window never stops turning its event
// loop; the exit during a flush hides the window at once, and the engine's clean-up behind it shows no box and
// leaves nothing behind.
void tst_WindowPace::slowDevice() {
    QFETCH(Mode, mode);
    QFETCH(bool, closeInFlush);
    if (qEnvironmentVariableIntValue("ZARVEL_SLOW_FSYNC_MS") <= 0)
        QSKIP("runs only with the slow-device library preloaded");

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir dir(folder.path());
    const QString whole = dir.filePath(QStringLiteral("a.bin"));
    const QByteArray data = content(FileBytes);
    if (mode == Mode::Split) {
        QVERIFY(writeFile(whole, data));
    } else {
        for (int i = 0; i < FileBytes / PieceBytes; ++i)
            QVERIFY(writeFile(pieceName(whole, i + 1), data.mid(i * PieceBytes, PieceBytes)));
    }
    const QStringList before = dir.entryList(QDir::Files | QDir::Hidden);

    // Closed during the run, the window deletes itself once the engine has cleaned up behind it.
    QPointer<frmMain> closing = new frmMain;
    closing->setAttribute(Qt::WA_DeleteOnClose);
    frmMain& window = *closing;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (mode == Mode::Join)
        QTest::mouseClick(widgetOf(window, Layout::MainControl::imgTab_1), Qt::LeftButton, {}, QPoint(5, 5));
    widgetOf<QLineEdit>(window, Layout::MainControl::txtSFName)->setText(whole);
    widgetOf<QLineEdit>(window, Layout::MainControl::txtSegSize)->setText(QStringLiteral("1"));
    widgetOf<QLineEdit>(window, Layout::MainControl::txtSegfname)->setText(pieceName(whole, 1));
    QWidget* start = widgetOf(window, Layout::MainControl::Picture4);

    ModalCatcher catcher;
    GapMeter gaps;
    gaps.start();
    QTest::mouseClick(start, Qt::LeftButton, {}, QPoint(5, 5));
    if (closeInFlush) {
        // Pieces and output stay unnamed until the run is done, so the progress tells how far it is: once every
        // byte is copied, the flushes of the pieces or the output have begun.
        const int closeAt = 100;
        QVERIFY(QTest::qWaitFor([&] { return shownPercent(window) >= closeAt; }, GiveUpMs));
        QTest::qWait(300);
        QElapsedTimer exit;
        exit.start();
        QTest::mouseClick(widgetOf(window, Layout::MainControl::imgExit), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!window.isVisible());
        const qint64 hiddenMs = exit.elapsed();
        QVERIFY(QTest::qWaitFor([&] { return closing.isNull(); }, GiveUpMs));
        qInfo("exit: hidden after %lld ms, engine cleaned up after %lld ms", hiddenMs, exit.elapsed());
        QCOMPARE(catcher.boxes.size(), 0);
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), before);
    } else {
        QVERIFY(QTest::qWaitFor([&] { return start->isEnabled(); }, GiveUpMs));
        QCOMPARE(catcher.boxes.size(), 1);
        QCOMPARE(catcher.boxes.first().title,
                 mode == Mode::Split ? QStringLiteral("Kamiyaabi!") : QStringLiteral("Kamyaabi"));
        QByteArray result;
        if (mode == Mode::Split) {
            for (int i = 0; i < FileBytes / PieceBytes; ++i)
                result += readFile(pieceName(whole, i + 1));
        } else {
            result = readFile(whole);
        }
        QVERIFY(result == data);
        delete closing;
    }
    qInfo("longest event-loop gap: %.1f ms", gaps.longestMs);
    QVERIFY2(gaps.longestMs < WidestGapMs, qPrintable(QString::number(gaps.longestMs)));
}

void tst_WindowPace::sessionEndDuringRun_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("byExitImage");
    QTest::newRow("split") << Mode::Split << false;
    QTest::newRow("join") << Mode::Join << false;
    QTest::newRow("split, exit image") << Mode::Split << true;
}

// The session's end as the desktop tells it, SIGTERM, while a run copies to the slow device: the engine stops and
// cleans up, and only then does the program exit, so no temporary file is left behind. The exit image, which hides
// the window at once, ends the program in the same order.
void tst_WindowPace::sessionEndDuringRun() {
    QFETCH(Mode, mode);
    QFETCH(bool, byExitImage);
    if (qEnvironmentVariableIntValue("ZARVEL_SLOW_FSYNC_MS") <= 0)
        QSKIP("runs only with the slow-device library preloaded");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QDir dir(folder.path());
    const QString whole = dir.filePath(QStringLiteral("a.bin"));
    const QByteArray data = content(FileBytes);
    for (int i = 0; i < FileBytes / PieceBytes; ++i) {
        if (mode == Mode::Join)
            QVERIFY(writeFile(pieceName(whole, i + 1), data.mid(i * PieceBytes, PieceBytes)));
    }
    if (mode == Mode::Split)
        QVERIFY(writeFile(whole, data));
    const QStringList before = dir.entryList(QDir::Files | QDir::Hidden);

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ZARVEL_SESSION_RUN"), mode == Mode::Split ? whole : pieceName(whole, 1));
    if (byExitImage)
        environment.insert(QStringLiteral("ZARVEL_SESSION_EXIT"), QStringLiteral("1"));
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(QTest::qWaitFor([&] { return program.peek(64).contains("running"); }, GiveUpMs));
    if (!byExitImage)
        program.terminate();
    // The exit image's run may stop at its first block, and the program be gone before this looks.
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(GiveUpMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(program.readAllStandardOutput(), QByteArray("running\nengine returned\nexits\n"));
    QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), before);
}

namespace {

// The program under test for sessionEndDuringRun: a window that splits `path` into pieces of 1 MB, or joins it
// when it names a piece, and says on standard output when the engine runs, when it has returned and when the event
// loop is done. Asked to, it clicks its exit image once the engine runs.
int runUntilSessionEnds(const QString& path) {
    static std::atomic<bool> running{false};
    const auto say = [](const char* line) {
        std::fputs(line, stdout);
        std::fflush(stdout);
    };
    const auto told = [say](const modFHand::Hooks& hooks) {
        modFHand::Hooks result = hooks;
        result.progress = [hooks, say, first = std::make_shared<bool>(true)](std::int16_t percent) {
            hooks.progress(percent);
            if (std::exchange(*first, false)) {
                running = true;
                say("running\n");
            }
        };
        return result;
    };
    WorkerRun::Engine engine;
    engine.split = [=](const std::filesystem::path& file, std::int32_t size, std::int16_t& count,
                       const modFHand::Hooks& hooks) {
        const std::int16_t result = modFHand::SplitFile(file, size, count, told(hooks));
        say("engine returned\n");
        return result;
    };
    engine.join = [=](const std::filesystem::path& file, std::int16_t& count, const modFHand::Hooks& hooks) {
        const std::int16_t result = modFHand::JoinFile(file, count, told(hooks));
        say("engine returned\n");
        return result;
    };
    frmMain window({engine, {}, {}});
    window.show();
    const bool join = path.endsWith(QLatin1String(".001"));
    if (join)
        QTest::mouseClick(widgetOf(window, Layout::MainControl::imgTab_1), Qt::LeftButton, {}, QPoint(5, 5));
    widgetOf<QLineEdit>(window, join ? Layout::MainControl::txtSegfname : Layout::MainControl::txtSFName)
        ->setText(path);
    widgetOf<QLineEdit>(window, Layout::MainControl::txtSegSize)->setText(QStringLiteral("1"));
    QTest::mouseClick(widgetOf(window, Layout::MainControl::Picture4), Qt::LeftButton, {}, QPoint(5, 5));
    QTimer exit;
    QObject::connect(&exit, &QTimer::timeout, &window, [&] {
        if (qEnvironmentVariableIsSet("ZARVEL_SESSION_EXIT") && running.exchange(false))
            QTest::mouseClick(widgetOf(window, Layout::MainControl::imgExit), Qt::LeftButton, {}, {5, 5});
    });
    exit.start(1);
    const int code = QApplication::exec();
    say("exits\n");
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString sessionRun = qEnvironmentVariable("ZARVEL_SESSION_RUN");
    if (!sessionRun.isEmpty())
        return runUntilSessionEnds(sessionRun);
    tst_WindowPace test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_windowpace.moc"
