// Preloaded into a test to make copy_file_range refuse with EXDEV, as it does across file systems on older
// kernels, so that the engine's read/write path carries the work. ZARVEL_REFUSE_COPY_RANGE_EVERY=N refuses
// only every Nth call and lets the others through, so that the switch also happens in the middle of a run.
#define _GNU_SOURCE
#include <errno.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <unistd.h>

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t length, unsigned int flags) {
    static unsigned long calls;
    const char* every = getenv("ZARVEL_REFUSE_COPY_RANGE_EVERY");
    const unsigned long n = every ? strtoul(every, NULL, 10) : 1;
    if (n <= 1 || ++calls % n == 0) {
        errno = EXDEV;
        return -1;
    }
    return syscall(SYS_copy_file_range, in, inOffset, out, outOffset, length, flags);
}
