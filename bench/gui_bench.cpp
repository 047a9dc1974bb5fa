// Runs one split or one join through the real main window, as a user would: the path and size typed into the
// boxes, a click on the start button, the outcome box dismissed. It measures what the user feels: the time from
// the click to the box, the longest the window went without a turn of its event loop, the process's peak
// resident memory, and how many heap allocations and progress-box paints the run cost.
//
//   gui_bench split FILE PIECE_BYTES [--responsive]
//   gui_bench join PIECE [--responsive]
//
// --responsive also moves the window, forces repaints, switches the tabs and opens and closes the About window
// while the run goes on beside it.
// Prints one line of key=value figures. Exit status: 0 when the success box appeared, 1 when another box did,
// 64 for a usage error, 65 when the window could not be driven.

#include "app/SizeText.h"
#include "ui/main/frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

// Every heap allocation of the process while a run is counted, Qt's own included: Qt's containers call
// malloc directly and C++ objects go through operator new, so both are wrapped.
namespace {
std::atomic<bool> g_counting{false};
std::atomic<std::uint64_t> g_allocations{0};

inline void noteAllocation() {
    if (g_counting.load(std::memory_order_relaxed))
        g_allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

#if defined(__GLIBC__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);

void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size) {
    noteAllocation();
    return __libc_realloc(block, size);
}
}
#endif

void* operator new(std::size_t size) {
#if !defined(__GLIBC__)
    noteAllocation();
#endif
    // With glibc the malloc below is already counted.
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

constexpr int kUsageError = 64;
constexpr int kDriveError = 65;
constexpr int kProbeMs = 1;
constexpr int kActionMs = 40;
constexpr int kAboutOpenMs = 20;

// Whether a restless user clicks around the window during the run.
enum class Pace { Plain, Responsive };

struct Options {
    Mode mode = Mode::Split;
    QString path;
    std::int32_t pieceBytes = 0;
    Pace pace = Pace::Plain;
};

struct Figures {
    double seconds = -1;
    double longestGapMs = 0;
    std::uint64_t allocations = 0;
    int progressPaints = 0;
    int actions = 0;
    QString title;
};

long peakResidentKib() {
#ifndef _WIN32
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

template <typename T> T* control(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "gui_bench: the window has no %s\n", name);
        std::exit(kDriveError);
    }
    return found;
}

// A press and a release in the middle of the control, delivered the way the window system would.
void click(QWidget* target) {
    const QPointF local(target->width() / 2.0, target->height() / 2.0);
    const QPointF global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Fires every millisecond or so; the gap between two firings is how long the event loop was away. It also
// watches for modal windows: the outcome box ends the measurement and is answered, an About window opened by
// the responsive actions is closed again after a moment. Once the box is gone and the start button is back,
// the program quits.
class LoopProbe : public QObject {
public:
    LoopProbe(Figures& figures, QWidget* startButton) : m_figures(figures), m_startButton(startButton) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kProbeMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    void start() {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }

    double elapsedSeconds() const { return m_clock.nsecsElapsed() / 1e9; }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_figures.seconds < 0) {
            const double gapMs = (now - m_last) / 1e6;
            if (gapMs > m_figures.longestGapMs)
                m_figures.longestGapMs = gapMs;
        }
        m_last = now;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (m_figures.seconds >= 0 && m_startButton->isEnabled())
                QApplication::quit();
            return;
        }
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            answer(box, now);
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            closeSoon(dialog, now);
    }

    void answer(QMessageBox* box, qint64 now) {
        if (m_figures.seconds < 0) {
            m_figures.seconds = now / 1e9;
            g_counting = false;
        }
        m_figures.title = box->windowTitle();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    void closeSoon(QDialog* dialog, qint64 now) {
        if (dialog != m_dialog) {
            m_dialog = dialog;
            m_dialogSeen = now;
            return;
        }
        if ((now - m_dialogSeen) / 1000000 < kAboutOpenMs)
            return;
        m_dialog = nullptr;
        if (auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")))
            ok->click();
        else
            dialog->reject();
    }

    Figures& m_figures;
    QWidget* m_startButton;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    QDialog* m_dialog = nullptr;
    qint64 m_dialogSeen = 0;
};

// What a restless user does while the run goes on, one action per firing, round and round.
class RestlessUser : public QObject {
public:
    RestlessUser(QWidget& window, Figures& figures) : m_window(window), m_figures(figures) {
        m_timer.setInterval(kActionMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { act(); });
    }

    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }

private:
    void act() {
        if (m_figures.seconds >= 0)
            return;
        switch (m_step++ % 4) {
        case 0:
            m_window.move(m_window.pos() + (m_step % 8 < 4 ? QPoint(12, 8) : QPoint(-12, -8)));
            break;
        case 1:
            m_window.repaint();
            break;
        case 2:
            m_tab = 1 - m_tab;
            click(control<QWidget>(m_window, m_tab == 0 ? "imgTab_0" : "imgTab_1"));
            break;
        default:
            // Blocks here until the probe closes the About window; the copy goes on meanwhile.
            click(control<QWidget>(m_window, "imgInfo"));
            break;
        }
        ++m_figures.actions;
    }

    QWidget& m_window;
    Figures& m_figures;
    QTimer m_timer;
    int m_step = 0;
    int m_tab = 0;
};

int usage() {
    std::fprintf(stderr, "usage: gui_bench split FILE PIECE_BYTES [--responsive]\n"
                         "       gui_bench join PIECE [--responsive]\n");
    return kUsageError;
}

bool parseOptions(int argc, char** argv, Options& options) {
    if (argc > 1 && std::strcmp(argv[argc - 1], "--responsive") == 0) {
        options.pace = Pace::Responsive;
        --argc;
    }
    if (argc == 4 && std::strcmp(argv[1], "split") == 0) {
        options.mode = Mode::Split;
        char* end = nullptr;
        const long long bytes = std::strtoll(argv[3], &end, 10);
        if (end == argv[3] || *end != '\0' || bytes <= 0 || bytes > INT32_MAX)
            return false;
        options.pieceBytes = static_cast<std::int32_t>(bytes);
    } else if (argc == 3 && std::strcmp(argv[1], "join") == 0) {
        options.mode = Mode::Join;
    } else {
        return false;
    }
    options.path = QFile::decodeName(argv[2]);
    return true;
}

// The size as a user would type it in megabytes; a piece size in bytes divided by 2^20 is exact in a double,
// so the box reads back the very same byte count.
QString sizeText(std::int32_t bytes) {
    if (bytes == 1447035)
        return QStringLiteral("1.38");
    return QString::number(bytes / 1048576.0, 'g', 17);
}

void fillBoxes(frmMain& window, const Options& options) {
    if (options.mode == Mode::Split) {
        control<QLineEdit>(window, "txtSFName")->setText(options.path);
        const QString text = sizeText(options.pieceBytes);
        if (SizeText::sizeTextToBytes(text.toStdU16String()) != options.pieceBytes) {
            std::fprintf(stderr, "gui_bench: \"%s\" does not read back as %d bytes\n", qPrintable(text),
                         options.pieceBytes);
            std::exit(kDriveError);
        }
        control<QLineEdit>(window, "txtSegSize")->setText(text);
    } else {
        click(control<QWidget>(window, "imgTab_1"));
        control<QLineEdit>(window, "txtSegfname")->setText(options.path);
    }
}

void waitUntilExposed(QWidget& window) {
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    // Lets the first paints and the window system's answers through before anything is measured.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 200)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options))
        return usage();
#ifndef _WIN32
    alarm(1800); // a run that never ends must not hang the whole benchmark
#endif
    QApplication app(argc, argv);
    frmMain window;
    window.show();
    waitUntilExposed(window);
    fillBoxes(window, options);

    Figures figures;
    PaintCounter paints;
    control<QWidget>(window, "picProgress")->installEventFilter(&paints);
    QWidget* start = control<QWidget>(window, "Picture4");
    LoopProbe probe(figures, start);
    RestlessUser user(window, figures);

    // A user's click arrives from the window system, not as a posted event; a real timer, however short, starts
    // the run the way a click does. The run goes on beside the event loop until the probe sees the box.
    QTimer::singleShot(1, Qt::PreciseTimer, &app, [&] {
        if (options.pace == Pace::Responsive)
            user.start();
        g_allocations = 0;
        g_counting = true;
        probe.start();
        click(start);
    });
    QApplication::exec();
    user.stop();
    g_counting = false;

    if (figures.seconds < 0) {
        std::fprintf(stderr, "gui_bench: no outcome box appeared\n");
        return kDriveError;
    }
    figures.allocations = g_allocations;
    figures.progressPaints = paints.paints;
    const QString success = options.mode == Mode::Split ? QStringLiteral("Kamiyaabi!") : QStringLiteral("Kamyaabi");
    std::printf("result=%s seconds=%.6f longest_gap_ms=%.3f peak_rss_kib=%ld allocations=%llu progress_paints=%d "
                "actions=%d\n",
                figures.title == success ? "ok" : "failed", figures.seconds, figures.longestGapMs, peakResidentKib(),
                static_cast<unsigned long long>(figures.allocations), figures.progressPaints, figures.actions);
    return figures.title == success ? 0 : 1;
}
