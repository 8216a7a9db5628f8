#pragma once
// The project's own programs (zylsim, zylctl) run as child processes, their standard output
// and error going to files beside `base`. Binaries come from ZYL_BIN_DIR (the build root);
// every wait is bounded and a program still running is stopped with the object.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

inline std::string buildBinary(const std::string& relative) {
    const char* root = std::getenv("ZYL_BIN_DIR");
    return (std::filesystem::path(root ? root : ".") / relative).string();
}

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ChildProgram {
public:
    ChildProgram(std::vector<std::string> argv, const std::filesystem::path& base)
        : m_out(base.string() + ".out"), m_err(base.string() + ".err") {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> args;
        for (std::string& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProgram() {
        if (m_pid > 0 && ::kill(m_pid, SIGTERM) == 0)
            ::waitpid(m_pid, nullptr, 0);
        std::error_code ignored;
        std::filesystem::remove(m_out, ignored);
        std::filesystem::remove(m_err, ignored);
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;
    // The first line of output, as zylsim prints the terminal it serves; "" after five seconds.
    std::string firstLine() const {
        for (int waited = 0; m_pid > 0 && waited < 5000; waited += 10) {
            if (const std::string text = out(); text.find('\n') != std::string::npos)
                return text.substr(0, text.find('\n'));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }
    // The exit code, or -1 when the program did not end by itself within `limitMs` (the
    // destructor stops it then).
    int wait(int limitMs = 30000) {
        int status = 0;
        for (int waited = 0; m_pid > 0 && waited < limitMs; waited += 5) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }
    void signal(int number) const {
        if (m_pid > 0)
            ::kill(m_pid, number);
    }
    std::string out() const { return slurp(m_out); }
    std::string err() const { return slurp(m_err); }

private:
    std::string m_out, m_err;
    pid_t m_pid = -1;
};
