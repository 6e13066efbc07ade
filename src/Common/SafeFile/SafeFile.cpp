#include "Common/SafeFile/SafeFile.h"

#include "Common/STDFunctions/PathSpelling.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Gives a file the target's owner and group. Only a privileged process may give a file away; for any
// other the copy stays its own user's, as any file it writes would.
bool giveOwner(int descriptor, const struct stat& target)
{
    return fchown(descriptor, target.st_uid, target.st_gid) == 0;
}

bool refuse(int error)
{
    errno = error;
    return false;
}
} // namespace

std::string SafeFile::folderOf(const std::string& path)
{
    std::string folder;
    std::string name;
    PathSpelling::splitPath(path, folder, name);
    return folder.empty() ? "." : folder;
}

bool SafeFile::isWritable(const std::string& path)
{
    struct stat status;
    if (access(path.c_str(), W_OK) != 0 || stat(path.c_str(), &status) != 0)
        return false;
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 || refuse(EACCES);
}

std::string SafeFile::resolveTarget(const std::string& path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    const std::string result(resolved);
    std::free(resolved);
    return result;
}

bool SafeFile::canReplace(const std::string& path)
{
    if (path.empty())
        return refuse(ENOENT);
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            return refuse(EISDIR);
        if (!S_ISREG(status.st_mode))
            return refuse(EINVAL);
        if (!isWritable(path))
            return false;
    }
    return isWritable(folderOf(path));
}

bool SafeFile::claim(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    close(descriptor);
    return true;
}

int SafeFile::createTemporary(const std::string& path, std::string& temporary)
{
    struct stat target;
    const bool targetExists = stat(path.c_str(), &target) == 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".saving-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            break;
        if (targetExists)
            giveOwner(descriptor, target);
        if (!targetExists || fchmod(descriptor, target.st_mode & 07777) == 0)
            return descriptor;
        const int error = errno;
        close(descriptor);
        unlink(temporary.c_str());
        errno = error;
        break;
    }
    temporary.clear();
    return -1;
}

bool SafeFile::syncToDisk(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = fsync(descriptor) == 0;
    close(descriptor);
    return synced;
}
