// SPDX-License-Identifier: MIT
#include "support/FileSizeLimit.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace Pelnix::Test {

int RunWithFileSizeLimit(rlim_t limitBytes, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(100);
        // _exit: the child must not run the parent's exit handlers or flush its streams.
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace Pelnix::Test
