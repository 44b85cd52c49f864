// Child processes for the tests that run the programs as a user would.
#include "tests/support/run.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

int decode(int st)
{
    if (WIFEXITED(st))
        return WEXITSTATUS(st);
    if (WIFSIGNALED(st))
        return 128 + WTERMSIG(st);
    return -1;
}

}  // namespace

pid_t spawn_program(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                    const std::map<std::string, std::string>& env, const std::string& out_path,
                    const std::string& err_path)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        for (const auto& [k, v] : env) {
            if (v.empty())
                unsetenv(k.c_str());
            else
                setenv(k.c_str(), v.c_str(), 1);
        }
        close(0);
        int o = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

int wait_program(pid_t pid, int timeout_ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        int st = 0;
        if (waitpid(pid, &st, WNOHANG) == pid)
            return decode(st);
        if (std::chrono::steady_clock::now() >= end)
            return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

run_result run_program(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                       const std::map<std::string, std::string>& env, int timeout_ms,
                       int signal_after_ms, int sig)
{
    std::string base = "/tmp/run-" + std::to_string(getpid()) + "-" + std::to_string(std::rand());
    pid_t pid = spawn_program(argv, dir, env, base + ".out", base + ".err");
    int status = -2;
    if (signal_after_ms > 0) {
        status = wait_program(pid, signal_after_ms);
        if (status == -2)
            kill(pid, sig);
    }
    if (status == -2)
        status = wait_program(pid, timeout_ms);
    if (status == -2) {
        kill(pid, SIGKILL);
        wait_program(pid, 5000);
        status = -1;
    }
    run_result r{status, slurp(base + ".out"), slurp(base + ".err")};
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return r;
}
