// Where gtest keeps a captured stream (a death test's standard error, and
// what CaptureStdout/CaptureStderr take): this gtest makes a file for it with
// mkstemp in /tmp, whatever TMPDIR says, and removes it when the capture has
// been read. A test stopped in between (Ctrl-C, a time limit) leaves the file
// there, outside every test folder.
//
// The unit-test programs are linked with mkstemp and remove wrapped
// (-Wl,--wrap=mkstemp,--wrap=remove). gtest's capture template gets a file in
// memory instead: a memfd that is kept open here and named by its
// /proc/self/fd path, which gtest reopens to read the capture, and whose
// remove closes it. Nothing reaches a file system, so nothing is left behind
// however the test ends. Every other mkstemp and remove goes to the C library.
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int __real_mkstemp(char *path_template);
extern "C" int __real_remove(const char *path);

namespace
{

constexpr char GTEST_CAPTURE_TEMPLATE[] = "/tmp/gtest_captured_stream.XXXXXX";
constexpr char CAPTURE_NAME[] = "gtest_captured_stream";
constexpr char FD_PATH_PREFIX[] = "/proc/self/fd/";

// The descriptor that PATH names when it is a capture made here, else -1.
int capture_fd_of(const char *path)
{
    if (std::strncmp(path, FD_PATH_PREFIX, sizeof FD_PATH_PREFIX - 1) != 0)
        return -1;
    int fd = -1;
    char rest = 0;
    if (std::sscanf(path + sizeof FD_PATH_PREFIX - 1, "%d%c", &fd, &rest) != 1)
        return -1;
    // A memfd's link reads "/memfd:NAME (deleted)".
    char target[64];
    const ssize_t n = readlink(path, target, sizeof target - 1);
    if (n < 0)
        return -1;
    target[n] = '\0';
    char expected[64];
    std::snprintf(expected, sizeof expected, "/memfd:%s ", CAPTURE_NAME);
    return std::strncmp(target, expected, std::strlen(expected)) == 0 ? fd : -1;
}

} // namespace

// gtest's template becomes "/proc/self/fd/N" (shorter than the template, so
// it fits the buffer) for a memfd N kept open; gtest gets a second descriptor
// of it, which it moves onto the captured stream and closes.
extern "C" int __wrap_mkstemp(char *path_template)
{
    if (std::strcmp(path_template, GTEST_CAPTURE_TEMPLATE) != 0)
        return __real_mkstemp(path_template);
    const int kept = memfd_create(CAPTURE_NAME, MFD_CLOEXEC);
    if (kept < 0)
        return -1;
    const int given = dup(kept);
    if (given < 0) {
        close(kept);
        return -1;
    }
    std::snprintf(path_template, sizeof GTEST_CAPTURE_TEMPLATE, "%s%d", FD_PATH_PREFIX, kept);
    return given;
}

extern "C" int __wrap_remove(const char *path)
{
    const int fd = capture_fd_of(path);
    return fd < 0 ? __real_remove(path) : close(fd);
}
