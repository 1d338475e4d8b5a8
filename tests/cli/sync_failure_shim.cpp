// Preloaded into the exporter by the tests: with SETLISTRY_FAIL_SYNC set, fsync() and fdatasync() fail with
// EIO, as they do when a disk (or a network share) reports a lost write only once the data is flushed.
#include <cerrno>
#include <cstdlib>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool failing()
{
    return std::getenv("SETLISTRY_FAIL_SYNC") != nullptr;
}

} // namespace

extern "C" int fsync(int fd)
{
    if (failing()) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fsync, fd));
}

extern "C" int fdatasync(int fd)
{
    if (failing()) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fdatasync, fd));
}
