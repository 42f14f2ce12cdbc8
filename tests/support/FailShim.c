/* Injected failures for the save tests, loaded with LD_PRELOAD into zelk-tool:
 *   ZELK_FAIL_CALL  = open | write | fsync | close | rename
 *   ZELK_FAIL_MATCH = a part of the file name the failing call must concern
 * The call fails with EIO (ENOSPC for write) instead of reaching the system. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int failing(const char* call, const char* path) {
    const char* want = getenv("ZELK_FAIL_CALL");
    const char* match = getenv("ZELK_FAIL_MATCH");
    return want && strcmp(want, call) == 0 && path && match && strstr(path, match);
}

static int fdFailing(const char* call, int fd) {
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n < 0)
        return 0;
    path[n] = '\0';
    return failing(call, path);
}

int open(const char* path, int flags, ...) {
    static int (*real)(const char*, int, ...);
    if (!real)
        real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open");
    mode_t mode = 0;
    if (flags & O_CREAT) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    if ((flags & (O_WRONLY | O_RDWR)) && failing("open", path)) {
        errno = EIO;
        return -1;
    }
    return real(path, flags, mode);
}

ssize_t write(int fd, const void* buf, size_t n) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd > 2 && fdFailing("write", fd)) {
        errno = ENOSPC;
        return -1;
    }
    return real(fd, buf, n);
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    if (fdFailing("fsync", fd)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

int close(int fd) {
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "close");
    if (fd > 2 && fdFailing("close", fd)) {
        real(fd);
        errno = EIO;
        return -1;
    }
    return real(fd);
}

int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    if (!real)
        real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    if (failing("rename", to)) {
        errno = EIO;
        return -1;
    }
    return real(from, to);
}
