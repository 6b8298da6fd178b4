#include "production/shutdown.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace pictavo {

bool SystemShutdown::powerOff(std::string* error)
{
    char program[] = "systemctl";
    char verb[] = "poweroff";
    char* arguments[] = {program, verb, nullptr};
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, program, nullptr, nullptr, arguments, environ);
    if (spawned != 0) {
        if (error)
            *error = std::string("cannot run systemctl: ") + std::strerror(spawned);
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            if (error)
                *error = std::string("systemctl did not finish: ") + std::strerror(errno);
            return false;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        if (error)
            *error = "the system refused to power off";
        return false;
    }
    return true;
}

} // namespace pictavo
