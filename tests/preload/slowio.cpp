// Preloaded into a test, this makes every regular file behave like a slow stick: reads and writes are held back
// to ZARVEL_SLOW_RATE bytes per second and every fsync or fdatasync takes ZARVEL_SLOW_FSYNC_MS longer. Sockets,
// pipes and terminals are left alone, so the window system's connection runs at full speed. Unset or zero
// values slow nothing.

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long long envNumber(const char* name) {
    const char* text = std::getenv(name);
    return text ? std::atoll(text) : 0;
}

long long rateBytesPerSecond() {
    static const long long rate = envNumber("ZARVEL_SLOW_RATE");
    return rate;
}

long long flushDelayMs() {
    static const long long delay = envNumber("ZARVEL_SLOW_FSYNC_MS");
    return delay;
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool isRegularFile(int fd) {
    struct stat status {};
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

void sleepNs(long long ns) {
    timespec left{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    const int saved = errno;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    errno = saved;
}

// The time the bytes would have taken on the slow device.
void holdTransfer(int fd, ssize_t bytes) {
    const long long rate = rateBytesPerSecond();
    if (rate > 0 && bytes > 0 && isRegularFile(fd))
        sleepNs(static_cast<long long>(bytes) * 1000000000LL / rate);
}

void holdFlush(int fd) {
    const long long delay = flushDelayMs();
    if (delay > 0 && isRegularFile(fd))
        sleepNs(delay * 1000000LL);
}

} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, size_t count) {
    static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    const ssize_t done = real(fd, buffer, count);
    holdTransfer(fd, done);
    return done;
}

ssize_t write(int fd, const void* buffer, size_t count) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    const ssize_t done = real(fd, buffer, count);
    holdTransfer(fd, done);
    return done;
}

ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    const ssize_t done = real(fd, buffer, count, offset);
    holdTransfer(fd, done);
    return done;
}

ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    const ssize_t done = real(fd, buffer, count, offset);
    holdTransfer(fd, done);
    return done;
}

ssize_t pread64(int fd, void* buffer, size_t count, off64_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
    const ssize_t done = real(fd, buffer, count, offset);
    holdTransfer(fd, done);
    return done;
}

ssize_t pwrite64(int fd, const void* buffer, size_t count, off64_t offset) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    const ssize_t done = real(fd, buffer, count, offset);
    holdTransfer(fd, done);
    return done;
}

int fsync(int fd) {
    static const auto real = next<int (*)(int)>("fsync");
    holdFlush(fd);
    return real(fd);
}

int fdatasync(int fd) {
    static const auto real = next<int (*)(int)>("fdatasync");
    holdFlush(fd);
    return real(fd);
}

} // extern "C"
