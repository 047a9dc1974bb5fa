#include "app/support/RecordingFileDialogBackend.h"
#include "engine/modFHand.h"
#include "gui/support/ModalCatcher.h"
#include "gui/support/TestFiles.h"
#include "gui/support/Widgets.h"
#include "ui/main/DockProgress.h"
#include "ui/main/frmMain.h"

#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// How the folder looks before the click.
enum class Setup {
    Source,          // the file to split
    Pieces,          // a series of 1000-byte pieces, the whole file gone
    PiecesAndOutput, // the series, and the whole file still there
};

void prepare(const QDir& dir, const QString& name, int bytes, Setup setup) {
    const QString source = dir.filePath(name);
    QVERIFY(writeFile(source, content(bytes)));
    if (setup == Setup::Source)
        return;
    std::int16_t count = 0;
    QCOMPARE(modFHand::SplitFile(WorkerRun::toEnginePath(source.toStdU16String()), 1000, count, {}),
             modFHand::kSuccess);
    if (setup == Setup::Pieces)
        QVERIFY(QFile::remove(source));
}

QStringList filesIn(const QDir& dir) {
    return dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList seriesNames(const QString& name, int count) {
    QStringList names{name};
    for (int i = 1; i <= count; ++i)
        names << name + QStringLiteral(".%1").arg(i, 3, 10, QLatin1Char('0'));
    names.sort();
    return names;
}

using Layout::MainControl;
using enum Layout::MainControl;

template <typename T> T* control(frmMain& window, MainControl name) {
    return widgetOf<T>(window, name);
}

void click(frmMain& window, MainControl name) {
    QWidget* target = control<QWidget>(window, name);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

// Runs a test's step on the window's thread while the worker waits inside its hook, so the step sees the run
// exactly at that block. Handed over through a mutex rather than Qt's queues, so that the thread checker sees
// every hand-over.
class OnWindowThread {
public:
    OnWindowThread() {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start();
    }

    // Called on the worker; returns once the step has run.
    void run(const std::function<void()>& step) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_step = &step;
        m_stepDone.wait(lock, [this] { return m_step == nullptr; });
    }

private:
    void poll() {
        // A step that opens a modal window turns the event loop inside itself: it must not run again there.
        if (m_inStep)
            return;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_step)
            return;
        const std::function<void()>* step = m_step;
        lock.unlock();
        m_inStep = true;
        (*step)();
        m_inStep = false;
        lock.lock();
        m_step = nullptr;
        m_stepDone.notify_all();
    }

    QTimer m_timer;
    std::mutex m_mutex;
    std::condition_variable m_stepDone;
    const std::function<void()>* m_step = nullptr;
    bool m_inStep = false;
};

// Wraps the real engine so a test can act from inside its progress calls and count how often it is entered.
struct EngineProbe {
    std::atomic<int> entries{0};
    std::filesystem::path lastPath;
    std::function<void(int call)> onProgress;
    OnWindowThread windowThread;

    WorkerRun::Engine engine() {
        WorkerRun::Engine engine;
        engine.split = [this](const std::filesystem::path& path, std::int32_t size, std::int16_t& count,
                              const modFHand::Hooks& hooks) {
            enter(path);
            return modFHand::SplitFile(path, size, count, watched(hooks));
        };
        engine.join = [this](const std::filesystem::path& path, std::int16_t& count, const modFHand::Hooks& hooks) {
            enter(path);
            return modFHand::JoinFile(path, count, watched(hooks));
        };
        return engine;
    }

    void enter(const std::filesystem::path& path) {
        ++entries;
        lastPath = path;
    }

    modFHand::Hooks watched(const modFHand::Hooks& hooks) {
        if (!onProgress)
            return hooks;
        modFHand::Hooks result = hooks;
        result.progress = [this, hooks, calls = std::make_shared<int>(0)](std::int16_t percent) {
            hooks.progress(percent);
            const int call = (*calls)++;
            windowThread.run([&] { onProgress(call); });
        };
        return result;
    }
};

// Lets the window's event loop run until the start button is back on: the outcome box (if any) was closed.
bool runEnds(frmMain& window) {
    QWidget* start = control<QWidget>(window, Picture4);
    return QTest::qWaitFor([start] { return start->isEnabled(); }, 60000);
}

// Lets the event loop run until the window, closed during a run, has really gone: the run has ended and cleaned
// up behind it. The window deletes itself when its close goes through.
bool closesAfterRun(std::unique_ptr<frmMain>& owned) {
    owned->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<frmMain> window = owned.release();
    return QTest::qWaitFor([&window] { return window.isNull(); }, 60000);
}

const QString SplitFailureText = QStringLiteral("Mumkina hal->\r1. File ke hisson ka hujam tabdel ker k dobara dekhen\n"
                                                "2. Yeh dekhen k file ka naam darust likha gaya hai ya nahi");
const QString JoinFailureText =
    QStringLiteral("Mumkina hal->Yeh itmenan ker len ke\n"
                   "1. Jo file jorne ja rahe hain directory main us ke tamam hisse mojod hain\n"
                   "2. Tamam files ko jor ker jis file main tabdeel kerna hai wo ya uske nam ki koi or file pehle se "
                   "folder main mojod to nahi?");

QString splitSuccessText(int count) {
    return QStringLiteral("Apka kaam kamiyabi se mukamal ho gaya hai\nor apki file ko %1 hisson main taqseem ker "
                          "dia gaya hai.")
        .arg(count);
}

QString joinSuccessText(int count) {
    return QStringLiteral("Apka kaam kamiyabi se mukamal ho gaya hai.\nor apki file k %1 hisson ko dobara mila dia "
                          "gaya hai ")
        .arg(count);
}

} // namespace

Q_DECLARE_METATYPE(Setup)

// One launcher-entry signal as a dock reads it.
struct DockSignal {
    QString uri;
    double progress;
    bool visible;
    bool urgent;
};

class tst_StartAction : public QObject {
    Q_OBJECT

public slots:
    void dockUpdated(const QString& uri, const QVariantMap& properties) {
        m_dock.push_back({uri, properties.value(QStringLiteral("progress")).toDouble(),
                          properties.value(QStringLiteral("progress-visible")).toBool(),
                          properties.value(QStringLiteral("urgent")).toBool()});
    }

private slots:
    void init();
    void cleanup();
    void outcome_data();
    void outcome();
    void busyWhileRunning_data();
    void busyWhileRunning();
    void closeDuringRun_data();
    void closeDuringRun();
    void closeWhileDialogOpenInRun_data();
    void closeWhileDialogOpenInRun();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<EngineProbe> m_probe;
    std::unique_ptr<frmMain> m_window;
    // What the session bus carried, where the test runs with one (dbus-run-session).
    bool m_busListened = false;
    QVector<DockSignal> m_dock;

    QDir dir() const { return QDir(m_dir->path()); }
    void typePath(Mode mode, const QString& text);
};

void tst_StartAction::init() {
    m_dock.clear();
    if (!m_busListened && !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        m_busListened = QDBusConnection::sessionBus().connect(
            QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"), this,
            SLOT(dockUpdated(QString, QVariantMap)));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_dialogs = std::make_unique<RecordingDialogs>();
    m_probe = std::make_unique<EngineProbe>();
    m_window = std::make_unique<frmMain>(frmMain::Services{m_probe->engine(), m_dialogs->factory(), {}});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_StartAction::cleanup() {
    m_window.reset();
}

void tst_StartAction::typePath(Mode mode, const QString& text) {
    if (mode == Mode::Join)
        click(*m_window, imgTab_1);
    control<QLineEdit>(*m_window, mode == Mode::Split ? txtSFName : txtSegfname)->setText(text);
}

void tst_StartAction::outcome_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("typed"); // %1 is the full path of name
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("piecesAfter");

    const QString split = QStringLiteral("Kamiyaabi!");
    const QString splitFailed = QStringLiteral("Aik masla derpesh hai!");
    const QString join = QStringLiteral("Kamyaabi");
    const QString joinFailed = QStringLiteral("Aik masla darpesh hai!");
    const QString path = QStringLiteral("%1");
    const QString piece1 = QStringLiteral("%1.001");
    const QString quarterMB = QStringLiteral("0.25");

    // The run's outcomes, files and piece counts are the app's (tests/app/test_worker_run.cpp); here, the box the
    // window shows for each kind of outcome, and what it leaves in the boxes and the folder.
    QTest::newRow("split into three") << Mode::Split << "a.bin" << 600000 << Setup::Source << path << quarterMB << split
                                      << splitSuccessText(3) << 3;
    QTest::newRow("split, missing file") << Mode::Split << "a.bin" << 5000 << Setup::Source << "%1.none" << quarterMB
                                         << splitFailed << SplitFailureText << 0;
    QTest::newRow("join twelve") << Mode::Join << "a.bin" << 11500 << Setup::Pieces << piece1 << quarterMB << join
                                 << joinSuccessText(12) << 12;
    QTest::newRow("join, output already there") << Mode::Join << "a.bin" << 2500 << Setup::PiecesAndOutput << piece1
                                                << quarterMB << joinFailed << JoinFailureText << 3;
}

void tst_StartAction::outcome() {
    QFETCH(Mode, mode);
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(Setup, setup);
    QFETCH(QString, typed);
    QFETCH(QString, sizeText);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, piecesAfter);

    prepare(dir(), name, bytes, setup);
    const QString whole = dir().filePath(name);
    typePath(mode, typed.arg(whole));
    control<QLineEdit>(*m_window, txtSegSize)->setText(sizeText);
    const bool succeeds = !title.startsWith(QLatin1String("Aik"));
    const bool wholeAfter = mode == Mode::Split || succeeds || setup == Setup::PiecesAndOutput;

    // With a bus to read, the run lets a few frames pass, so that the dock is seen to follow it.
    if (m_busListened)
        m_probe->onProgress = [](int call) {
            if (call % 8 == 0)
                QTest::qWait(20);
        };
    ModalCatcher catcher;
    click(*m_window, Picture4);
    QVERIFY(runEnds(*m_window));

    catcher.compareOnlyOutcomeBox(title, text, m_window.get());
    if (QTest::currentTestFailed())
        return;
    QVERIFY(control<QWidget>(*m_window, Picture4)->isEnabled());

    QStringList expected = seriesNames(name, piecesAfter);
    if (!wholeAfter)
        expected.removeAll(name);
    QCOMPARE(filesIn(dir()), expected);
    if (wholeAfter && setup != Setup::PiecesAndOutput)
        QCOMPARE(readFile(whole), content(bytes));
    if (mode == Mode::Split && succeeds) {
        QByteArray joined;
        for (int i = 1; i <= piecesAfter; ++i)
            joined += readFile(whole + QStringLiteral(".%1").arg(i, 3, 10, QLatin1Char('0')));
        QCOMPARE(joined, content(bytes));
    }
    QCOMPARE(control<QLineEdit>(*m_window, mode == Mode::Split ? txtSFName : txtSegfname)->text(), typed.arg(whole));

    // The dock: rising progress while the run goes, urgent after a failure until its box is answered, then
    // nothing shown.
    if (!m_busListened)
        return;
    QTRY_VERIFY(!m_dock.isEmpty() && !m_dock.last().visible && !m_dock.last().urgent);
    double highest = 0;
    bool wasUrgent = false;
    for (const DockSignal& signal : m_dock) {
        QCOMPARE(signal.uri, DockProgress::AppUri);
        if (signal.visible) {
            QVERIFY(signal.progress >= highest);
            highest = signal.progress;
        }
        wasUrgent = wasUrgent || signal.urgent;
    }
    QVERIFY(m_dock.first().visible);
    QCOMPARE(wasUrgent, !succeeds);
    if (bytes > 100000)
        QVERIFY(highest > 0);
}

void tst_StartAction::busyWhileRunning_data() {
    QTest::addColumn<Mode>("mode");
    QTest::newRow("split") << Mode::Split;
    QTest::newRow("join") << Mode::Join;
}

// While the engine runs, only the start button is off: a second click does nothing, and a tab switch
// changes neither the running work nor the box at its end.
void tst_StartAction::busyWhileRunning() {
    QFETCH(Mode, mode);
    prepare(dir(), QStringLiteral("a.bin"), 250000, mode == Mode::Split ? Setup::Source : Setup::Pieces);
    const QString whole = dir().filePath(QStringLiteral("a.bin"));
    typePath(mode, mode == Mode::Split ? whole : whole + QStringLiteral(".001"));
    if (mode == Mode::Split)
        control<QLineEdit>(*m_window, txtSegSize)->setText(QStringLiteral("0.1"));

    EngineProbe& probe = *m_probe;
    QList<bool> enabledSeen;
    probe.onProgress = [&](int call) {
        QWidget* start = control<QWidget>(*m_window, Picture4);
        enabledSeen << start->isEnabled();
        if (call == 1) {
            click(*m_window, Picture4);
            click(*m_window, mode == Mode::Split ? imgTab_1 : imgTab_0);
        }
    };
    ModalCatcher catcher;
    click(*m_window, Picture4);
    QVERIFY(runEnds(*m_window));

    QCOMPARE(probe.entries.load(), 1);
    QVERIFY(enabledSeen.size() > 2);
    QVERIFY(!enabledSeen.contains(true));
    QCOMPARE(m_window->iMode(), mode == Mode::Split ? Mode::Join : Mode::Split);
    QCOMPARE(catcher.boxes.size(), 1);
    if (mode == Mode::Split) {
        QCOMPARE(catcher.boxes.first().title, QStringLiteral("Kamiyaabi!"));
        QCOMPARE(catcher.boxes.first().text, splitSuccessText(3));
    } else {
        QCOMPARE(catcher.boxes.first().title, QStringLiteral("Kamyaabi"));
        QCOMPARE(catcher.boxes.first().text, joinSuccessText(250));
        QCOMPARE(readFile(whole), content(250000));
    }
    QVERIFY(control<QWidget>(*m_window, Picture4)->isEnabled());
}

void tst_StartAction::closeDuringRun_data() {
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<bool>("byExitImage");
    QTest::newRow("split, window closed") << Mode::Split << false;
    QTest::newRow("split, exit image") << Mode::Split << true;
    QTest::newRow("join, window closed") << Mode::Join << false;
    QTest::newRow("join, exit image") << Mode::Join << true;
}

// The window goes at once; the run ends as a failure at its next block: nothing it wrote is left and no box
// appears.
void tst_StartAction::closeDuringRun() {
    QFETCH(Mode, mode);
    QFETCH(bool, byExitImage);
    prepare(dir(), QStringLiteral("a.bin"), 250000, mode == Mode::Split ? Setup::Source : Setup::Pieces);
    const QStringList before = filesIn(dir());
    const QString whole = dir().filePath(QStringLiteral("a.bin"));
    typePath(mode, mode == Mode::Split ? whole : whole + QStringLiteral(".001"));
    if (mode == Mode::Split)
        control<QLineEdit>(*m_window, txtSegSize)->setText(QStringLiteral("0.1"));

    EngineProbe& probe = *m_probe;
    frmMain& window = *m_window;
    int progressCalls = 0;
    probe.onProgress = [&](int call) {
        progressCalls = call + 1;
        if (call != 3)
            return;
        // The close waits for the engine's clean-up, the window meanwhile hidden.
        if (byExitImage)
            click(window, imgExit);
        else
            QVERIFY(!window.close());
        QVERIFY(!window.isVisible());
    };
    ModalCatcher catcher;
    click(window, Picture4);
    QVERIFY(closesAfterRun(m_window));

    QCOMPARE(progressCalls, 4);
    QCOMPARE(catcher.boxes.size(), 0);
    QCOMPARE(filesIn(dir()), before);
}

void tst_StartAction::closeWhileDialogOpenInRun_data() {
    QTest::addColumn<int>("opened");
    QTest::newRow("About window") << int(imgInfo);
    QTest::newRow("Open dialog") << int(lblBrowse);
}

// A modal window opened from inside the run is still open when the close comes: it ends normally, then
// the run stops.
void tst_StartAction::closeWhileDialogOpenInRun() {
    QFETCH(int, opened);
    prepare(dir(), QStringLiteral("a.bin"), 250000, Setup::Source);
    const QString whole = dir().filePath(QStringLiteral("a.bin"));
    typePath(Mode::Split, whole);
    control<QLineEdit>(*m_window, txtSegSize)->setText(QStringLiteral("0.1"));

    frmMain& window = *m_window;
    RecordingDialogs& dialog = *m_dialogs;
    dialog->reply = [&](DialogKind, OpenFileNameRecord& record) {
        window.close();
        record.lpstrFile = u"/picked.bin" + std::u16string(250, u'\0');
        return 1;
    };
    QString chosen;
    ModalCatcher catcher([&](QWidget* modal) {
        window.close();
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->reject();
    });
    m_probe->onProgress = [&](int call) {
        if (call != 2)
            return;
        click(window, MainControl(opened));
        chosen = control<QLineEdit>(window, txtSFName)->text();
    };
    click(window, Picture4);
    QVERIFY(closesAfterRun(m_window));

    QCOMPARE(catcher.boxes.size(), 0);
    QCOMPARE(filesIn(dir()), QStringList{QStringLiteral("a.bin")});
    if (MainControl(opened) == lblBrowse)
        QCOMPARE(chosen, QStringLiteral("/picked.bin"));
    else
        QCOMPARE(catcher.otherModals, 1);
}

QTEST_MAIN(tst_StartAction)
#include "tst_startaction.moc"
