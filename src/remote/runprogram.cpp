#include "remote/runprogram.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace varnel {

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void closeRead() {
        if (read >= 0) ::close(read);
        read = -1;
    }
    void closeWrite() {
        if (write >= 0) ::close(write);
        write = -1;
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
};

// Appends what one read gives to `text`, keeping at most `limit` bytes. False at the end.
bool drain(Pipe& pipe, std::string& text, size_t limit, bool& truncated) {
    char chunk[4096];
    const ssize_t n = ::read(pipe.read, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
        pipe.closeRead();
        return false;
    }
    const size_t room = limit > text.size() ? limit - text.size() : 0;
    const size_t take = static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room;
    text.append(chunk, take);
    if (take < static_cast<size_t>(n)) truncated = true;
    return true;
}

}  // namespace

ProgramRun runProgram(const std::vector<std::string>& argv, size_t outputLimit) {
    ProgramRun run;
    if (argv.empty()) {
        run.startError = "no program given";
        return run;
    }
    Pipe out, err;
    if (!out.open() || !err.open()) {
        run.startError = std::string("cannot make a pipe: ") + std::strerror(errno);
        return run;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, 1);
    posix_spawn_file_actions_adddup2(&actions, err.write, 2);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    out.closeWrite();
    err.closeWrite();
    if (spawned != 0) {
        run.startError = argv[0] + ": " + std::strerror(spawned);
        return run;
    }
    run.started = true;

    while (out.read >= 0 || err.read >= 0) {
        pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) drain(out, run.out, outputLimit, run.truncated);
        if (fds[1].revents) drain(err, run.err, outputLimit, run.truncated);
    }
    out.closeRead();
    err.closeRead();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return run;
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace varnel
