// Preloaded into a test to make copy_file_range refuse with EXDEV, as it does across file systems on older
// kernels, so that the engine's read/write path carries the work. ZARVEL_REFUSE_COPY_RANGE_EVERY=N refuses
// only every Nth call and lets the others through, so that the switch also happens in the middle of a run.
// ZARVEL_REFUSE_SYNC_RANGE=ENOSYS or EINVAL makes sync_file_range refuse as a system without it, or a file system
// that can't, would; the write-behind must then step aside without a word.
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
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

int sync_file_range(int fd, off64_t offset, off64_t length, unsigned int flags) {
    const char* refusal = getenv("ZARVEL_REFUSE_SYNC_RANGE");
    if (refusal && *refusal) {
        errno = strcmp(refusal, "EINVAL") == 0 ? EINVAL : ENOSYS;
        return -1;
    }
    return (int)syscall(SYS_sync_file_range, fd, offset, length, flags);
}
