// Starts velko-unitsim as a child process and learns its pseudo-terminal, for tests and
// benchmarks that go through the real serial code.
#pragma once

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace unitsim {

class StandaloneUnit {
public:
    StandaloneUnit(const std::string& program, const std::vector<std::string>& args)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        std::vector<std::string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (FILE* in = fdopen(out[0], "r")) {
            char line[256];
            if (pid_ > 0 && std::fgets(line, sizeof line, in)) {
                slave_ = line;
                while (!slave_.empty() && (slave_.back() == '\n' || slave_.back() == '\r'))
                    slave_.pop_back();
            }
            std::fclose(in);
        } else {
            close(out[0]);
        }
    }

    ~StandaloneUnit() { stop(); }
    StandaloneUnit(const StandaloneUnit&) = delete;
    StandaloneUnit& operator=(const StandaloneUnit&) = delete;

    const std::string& slave() const { return slave_; }

    // Ends the unit, which then saves its memory; the exit status, or -1.
    int stop()
    {
        if (pid_ <= 0)
            return -1;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    std::string slave_;
};

} // namespace unitsim
