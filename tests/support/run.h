// Runs a program as a child process for tests, capturing its output and exit status.
#pragma once
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct run_result {
    int status;          // exit code, or 128 + signal, or -1 when it had to be killed
    std::string out;
    std::string err;
};

// Runs argv in dir with env added to (or, with an empty value, removed from) the
// environment and standard input closed. After signal_after_ms (when > 0) sends sig;
// kills it after timeout_ms.
run_result run_program(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                       const std::map<std::string, std::string>& env, int timeout_ms,
                       int signal_after_ms = 0, int sig = SIGTERM);

// Starts argv in the background in dir with env; returns its pid (stdout/stderr to files
// out_path and err_path when given).
pid_t spawn_program(const std::vector<std::string>& argv, const std::filesystem::path& dir,
                    const std::map<std::string, std::string>& env,
                    const std::string& out_path = "/dev/null", const std::string& err_path = "/dev/null");

// Waits up to timeout_ms for pid to end; returns its status as in run_result, or -2 if
// it is still running.
int wait_program(pid_t pid, int timeout_ms);
