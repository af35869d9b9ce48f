// Preloaded into a child process: every sync fails as on a disk that lost the
// write. Nothing else can make fsync fail without root.

#include <cerrno>

extern "C" int fsync(int)
{
    errno = EIO;
    return -1;
}

extern "C" int fdatasync(int)
{
    errno = EIO;
    return -1;
}
