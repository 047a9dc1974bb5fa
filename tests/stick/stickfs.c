// A model of a USB stick for the tests and the benchmark: a FUSE passthrough of a backing folder whose writes
// reach it at a fixed rate, mounted with the kernel's writeback cache and the writeback limits of a block
// device, so that writes land in memory at memory speed and drain afterwards, as on a real stick.
//
//   zarvel_stickfs BACKING MOUNTPOINT RATE [FAIL_AFTER]
//
// RATE is in bytes per second. Once FAIL_AFTER bytes (0: never) have reached the backing folder, every later
// write fails with EIO, as a stick that dies mid-run: the kernel reports it only at writeback. Returns once the
// mount is in place and serves it in the background until it is unmounted.

#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static char backing[PATH_MAX];
static long long rate;
static long long failAfter;

static pthread_mutex_t deviceLock = PTHREAD_MUTEX_INITIALIZER;
static long long deviceFreeAtNs; // when the writes taken so far have all drained
static long long bytesArrived;

static void Real(const char* path, char* out) {
    snprintf(out, PATH_MAX, "%s%s", backing, path);
}

static long long NowNs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Takes the device for `bytes`, then waits until they would have drained. Nonzero once the device has failed.
static int Drain(size_t bytes) {
    pthread_mutex_lock(&deviceLock);
    if (failAfter > 0 && bytesArrived + (long long)bytes > failAfter) {
        bytesArrived = failAfter;
        pthread_mutex_unlock(&deviceLock);
        return -1;
    }
    bytesArrived += (long long)bytes;
    const long long now = NowNs();
    const long long start = deviceFreeAtNs > now ? deviceFreeAtNs : now;
    deviceFreeAtNs = start + (long long)bytes * 1000000000LL / rate;
    const long long until = deviceFreeAtNs;
    pthread_mutex_unlock(&deviceLock);
    struct timespec at = {until / 1000000000LL, until % 1000000000LL};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, NULL) == EINTR) {
    }
    return 0;
}

static void* StickInit(struct fuse_conn_info* conn, struct fuse_config* cfg) {
    if (conn->capable & FUSE_CAP_WRITEBACK_CACHE)
        conn->want |= FUSE_CAP_WRITEBACK_CACHE;
    cfg->use_ino = 1;
    cfg->kernel_cache = 1; // a file read back is served from memory, as a real stick's would be
    return NULL;
}

static int StickGetattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    char real[PATH_MAX];
    Real(path, real);
    const int done = fi ? fstat((int)fi->fh, st) : lstat(real, st);
    return done == 0 ? 0 : -errno;
}

static int StickReaddir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset, struct fuse_file_info* fi,
                        enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    char real[PATH_MAX];
    Real(path, real);
    DIR* folder = opendir(real);
    if (!folder)
        return -errno;
    for (struct dirent* entry; (entry = readdir(folder));) {
        struct stat st = {.st_ino = entry->d_ino, .st_mode = (mode_t)DTTOIF(entry->d_type)};
        if (fill(buffer, entry->d_name, &st, 0, 0))
            break;
    }
    closedir(folder);
    return 0;
}

static int StickUnlink(const char* path) {
    char real[PATH_MAX];
    Real(path, real);
    return unlink(real) == 0 ? 0 : -errno;
}

static int StickRename(const char* from, const char* to, unsigned int flags) {
    char realFrom[PATH_MAX], realTo[PATH_MAX];
    Real(from, realFrom);
    Real(to, realTo);
    return renameat2(AT_FDCWD, realFrom, AT_FDCWD, realTo, flags) == 0 ? 0 : -errno;
}

static int StickTruncate(const char* path, off_t size, struct fuse_file_info* fi) {
    char real[PATH_MAX];
    Real(path, real);
    return (fi ? ftruncate((int)fi->fh, size) : truncate(real, size)) == 0 ? 0 : -errno;
}

// The writeback cache keeps the times itself and hands them over on every flush.
static int StickUtimens(const char* path, const struct timespec times[2], struct fuse_file_info* fi) {
    char real[PATH_MAX];
    Real(path, real);
    const int done = fi ? futimens((int)fi->fh, times) : utimensat(AT_FDCWD, real, times, AT_SYMLINK_NOFOLLOW);
    return done == 0 ? 0 : -errno;
}

// The writeback cache reads pages back to fill them, so a file opened for writing only is opened for both, and
// appending is left to the kernel, which knows the size.
static int OpenFlags(int flags) {
    if ((flags & O_ACCMODE) == O_WRONLY)
        flags = (flags & ~O_ACCMODE) | O_RDWR;
    return flags & ~O_APPEND;
}

static int StickCreate(const char* path, mode_t mode, struct fuse_file_info* fi) {
    char real[PATH_MAX];
    Real(path, real);
    const int fd = open(real, OpenFlags(fi->flags) | O_CREAT, mode);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int StickOpen(const char* path, struct fuse_file_info* fi) {
    char real[PATH_MAX];
    Real(path, real);
    const int fd = open(real, OpenFlags(fi->flags));
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd;
    fi->keep_cache = 1;
    return 0;
}

static int StickRead(const char* path, char* buffer, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path;
    const ssize_t got = pread((int)fi->fh, buffer, size, offset);
    return got < 0 ? -errno : (int)got;
}

static int StickWrite(const char* path, const char* buffer, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path;
    if (Drain(size) != 0)
        return -EIO;
    const ssize_t put = pwrite((int)fi->fh, buffer, size, offset);
    return put < 0 ? -errno : (int)put;
}

static int StickRelease(const char* path, struct fuse_file_info* fi) {
    (void)path;
    close((int)fi->fh);
    return 0;
}

static int StickFsync(const char* path, int dataOnly, struct fuse_file_info* fi) {
    (void)path;
    return (dataOnly ? fdatasync((int)fi->fh) : fsync((int)fi->fh)) == 0 ? 0 : -errno;
}

static const struct fuse_operations operations = {
    .init = StickInit,
    .getattr = StickGetattr,
    .readdir = StickReaddir,
    .unlink = StickUnlink,
    .rename = StickRename,
    .truncate = StickTruncate,
    .utimens = StickUtimens,
    .create = StickCreate,
    .open = StickOpen,
    .read = StickRead,
    .write = StickWrite,
    .release = StickRelease,
    .fsync = StickFsync,
};

// FUSE mounts get a strict share of 1 % of the dirty memory; a block device gets no strict limit and may take
// all of it. The mount's device number comes from the mount table, since asking the mount itself would wait
// for the answer this process has yet to give.
static void LimitAsABlockDevice(const char* mountPoint) {
    FILE* table = fopen("/proc/self/mountinfo", "r");
    char line[4096], device[64] = "", where[PATH_MAX];
    while (table && fgets(line, sizeof line, table)) {
        if (sscanf(line, "%*s %*s %63s %*s %4095s", device, where) == 2 && strcmp(where, mountPoint) == 0)
            break;
        device[0] = '\0';
    }
    if (table)
        fclose(table);
    const char* settings[][2] = {{"strict_limit", "0"}, {"max_ratio", "100"}};
    for (size_t i = 0; i < 2; ++i) {
        char path[256];
        snprintf(path, sizeof path, "/sys/class/bdi/%s/%s", device, settings[i][0]);
        FILE* knob = device[0] ? fopen(path, "w") : NULL;
        if (!knob || fputs(settings[i][1], knob) < 0 || fclose(knob) != 0)
            fprintf(stderr, "zarvel_stickfs: can't set %s: the mount keeps FUSE's own writeback limits\n", path);
    }
}

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5 || !realpath(argv[1], backing) || (rate = atoll(argv[3])) <= 0) {
        fprintf(stderr, "usage: zarvel_stickfs BACKING MOUNTPOINT RATE [FAIL_AFTER]\n");
        return 64;
    }
    failAfter = argc == 5 ? atoll(argv[4]) : 0;
    char mountPoint[PATH_MAX];
    if (!realpath(argv[2], mountPoint)) {
        perror("zarvel_stickfs: mount point");
        return 1;
    }
    char* fuseArgv[] = {argv[0], "-o", "fsname=zarvel_stick,subtype=zarvel_stick", NULL};
    struct fuse_args args = FUSE_ARGS_INIT(3, fuseArgv);
    struct fuse* fuse = fuse_new(&args, &operations, sizeof operations, NULL);
    if (!fuse || fuse_mount(fuse, mountPoint) != 0)
        return 1;
    LimitAsABlockDevice(mountPoint);
    if (fuse_daemonize(0) != 0)
        return 1;
    const int result = fuse_loop_mt(fuse, 0);
    fuse_unmount(fuse);
    fuse_destroy(fuse);
    return result == 0 ? 0 : 1;
}
