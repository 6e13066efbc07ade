#include "Support/FileSizeLimit.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

bool passesUnderFileSizeLimit(rlim_t limit, const std::function<bool()>& check)
{
    const pid_t child = fork();
    if (child == -1)
        return false;
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limits{limit, limit};
        setrlimit(RLIMIT_FSIZE, &limits);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
