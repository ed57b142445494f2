// Orlith — desktop catalogue of removable media.
// Preloaded by the fault tests: files whose path holds ORLITH_FAIL_PATH behave as on a full
// disk or in an unwritable folder; each failure is logged as "orlith-fail-shim: <what> <path>".
//   ORLITH_FAIL_MODE=nospace   ORLITH_FAIL_WRITE_AFTER bytes (default 0) of new space are left:
//       a write that needs more is cut short, the next fails with ENOSPC, as the kernel does.
//       Overwriting bytes a file already holds needs no new space (ext4, xfs).
//   ORLITH_FAIL_MODE=noaccess  opening such a path to write or create, and renaming, linking
//       or removing one, fails with EACCES: a folder of mode 0555 even for root.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

enum Mode { kOff, kNoSpace, kNoAccess };

static enum Mode g_mode = kOff;
static const char *g_match;
static long long g_spaceLeft;

__attribute__((constructor)) static void setUp(void)
{
    const char *mode = getenv("ORLITH_FAIL_MODE"), *after = getenv("ORLITH_FAIL_WRITE_AFTER");
    g_match = getenv("ORLITH_FAIL_PATH");
    if (!mode || !g_match || !*g_match)
        return;
    g_mode = strcmp(mode, "nospace") == 0    ? kNoSpace
             : strcmp(mode, "noaccess") == 0 ? kNoAccess
                                             : kOff;
    g_spaceLeft = after ? atoll(after) : 0;
}

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

// The path an fd names; a file made with O_TMPFILE reads "<folder>/#<n> (deleted)".
static int fdPath(int fd, char *out, size_t size)
{
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, out, size - 1);
    if (n < 0)
        return 0;
    out[n] = '\0';
    return 1;
}

// `path` as seen from `dirfd`, made absolute so the match does not depend on the cwd.
static int atPath(int dirfd, const char *path, char *out, size_t size)
{
    if (path[0] == '/') {
        snprintf(out, size, "%s", path);
        return 1;
    }
    char dir[4096];
    if (dirfd == AT_FDCWD ? !getcwd(dir, sizeof dir) : !fdPath(dirfd, dir, sizeof dir))
        return 0;
    snprintf(out, size, "%s/%s", dir, path);
    return 1;
}

static int inject(int error, const char *what, const char *path)
{
    dprintf(STDERR_FILENO, "orlith-fail-shim: %s %s\n", what, path);
    errno = error;
    return -1;
}

static int deniedAt(int dirfd, const char *path, const char *what)
{
    char full[8192];
    if (g_mode != kNoAccess || !path || !atPath(dirfd, path, full, sizeof full) ||
        !strstr(full, g_match))
        return 0;
    inject(EACCES, what, full);
    return 1;
}

static int openDenied(int dirfd, const char *path, int flags)
{
    const int writing = (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC));
    return writing && deniedAt(dirfd, path, "EACCES open");
}

// How many of `count` bytes at `offset` (-1: the fd's own position) fit before the disk is
// full; 0 means none, and then errno is ENOSPC.
static size_t room(int fd, off_t offset, size_t count)
{
    char path[4096];
    struct stat st;
    if (g_mode != kNoSpace || count == 0 || !fdPath(fd, path, sizeof path) ||
        !strstr(path, g_match) || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return count;
    off_t at = offset;
    if (at < 0)
        at = (fcntl(fd, F_GETFL) & O_APPEND) ? st.st_size : lseek(fd, 0, SEEK_CUR);
    const off_t end = at + (off_t)count;
    const long long grow = end > st.st_size ? end - (at > st.st_size ? at : st.st_size) : 0;
    if (grow <= g_spaceLeft) {
        g_spaceLeft -= grow;
        return count;
    }
    const size_t fits = count - (size_t)(grow - g_spaceLeft);
    g_spaceLeft = 0;
    if (fits == 0)
        inject(ENOSPC, "ENOSPC write", path);
    return fits;
}

ssize_t write(int fd, const void *buf, size_t count)
{
    const size_t fits = room(fd, -1, count);
    return fits == 0 && count > 0 ? -1 : REAL(write)(fd, buf, fits);
}

#define PWRITE(name)                                                                               \
    ssize_t name(int fd, const void *buf, size_t count, off_t offset)                              \
    {                                                                                              \
        const size_t fits = room(fd, offset, count);                                               \
        return fits == 0 && count > 0 ? -1 : REAL(name)(fd, buf, fits, offset);                    \
    }
PWRITE(pwrite)
PWRITE(pwrite64)

ssize_t writev(int fd, const struct iovec *iov, int iovcnt)
{
    size_t total = 0;
    for (int i = 0; i < iovcnt; ++i)
        total += iov[i].iov_len;
    size_t fits = room(fd, -1, total);
    if (fits == total)
        return REAL(writev)(fd, iov, iovcnt);
    if (fits == 0)
        return -1;
    // Cut short: write only the first `fits` bytes of the gathered buffers.
    for (int i = 0; i < iovcnt; ++i) {
        if (fits <= iov[i].iov_len)
            return REAL(writev)(fd, iov, i) + REAL(write)(fd, iov[i].iov_base, fits);
        fits -= iov[i].iov_len;
    }
    return -1;
}

static mode_t modeArg(int flags, va_list ap)
{
    // O_TMPFILE holds the O_DIRECTORY bit, so test it whole.
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(ap, mode_t) : 0;
}

// The open family takes a mode only when it creates a file.
#define OPEN_FAMILY(name, params, dirfd, ...)                                                      \
    int name params                                                                                \
    {                                                                                              \
        va_list ap;                                                                                \
        va_start(ap, flags);                                                                       \
        const mode_t mode = modeArg(flags, ap);                                                    \
        va_end(ap);                                                                                \
        if (openDenied(dirfd, path, flags))                                                        \
            return -1;                                                                             \
        return REAL(name)(__VA_ARGS__, mode);                                                      \
    }
OPEN_FAMILY(open, (const char *path, int flags, ...), AT_FDCWD, path, flags)
OPEN_FAMILY(open64, (const char *path, int flags, ...), AT_FDCWD, path, flags)
OPEN_FAMILY(openat, (int dirfd, const char *path, int flags, ...), dirfd, dirfd, path, flags)
OPEN_FAMILY(openat64, (int dirfd, const char *path, int flags, ...), dirfd, dirfd, path, flags)

static int renameDenied(int fromfd, const char *from, int tofd, const char *to)
{
    return deniedAt(fromfd, from, "EACCES rename") || deniedAt(tofd, to, "EACCES rename");
}

// The calls that create, rename, link or remove a name: -1 when `denied`, else the real one.
#define DENY(name, params, denied, ...)                                                            \
    int name params                                                                                \
    {                                                                                              \
        return (denied) ? -1 : REAL(name)(__VA_ARGS__);                                            \
    }
DENY(creat, (const char *path, mode_t mode), openDenied(AT_FDCWD, path, O_CREAT | O_WRONLY), path,
     mode)
DENY(rename, (const char *from, const char *to), renameDenied(AT_FDCWD, from, AT_FDCWD, to), from,
     to)
DENY(renameat, (int fromfd, const char *from, int tofd, const char *to),
     renameDenied(fromfd, from, tofd, to), fromfd, from, tofd, to)
DENY(renameat2, (int fromfd, const char *from, int tofd, const char *to, unsigned int flags),
     renameDenied(fromfd, from, tofd, to), fromfd, from, tofd, to, flags)
DENY(link, (const char *from, const char *to), deniedAt(AT_FDCWD, to, "EACCES link"), from, to)
DENY(linkat, (int fromfd, const char *from, int tofd, const char *to, int flags),
     deniedAt(tofd, to, "EACCES link"), fromfd, from, tofd, to, flags)
DENY(unlink, (const char *path), deniedAt(AT_FDCWD, path, "EACCES unlink"), path)
DENY(unlinkat, (int dirfd, const char *path, int flags), deniedAt(dirfd, path, "EACCES unlink"),
     dirfd, path, flags)
