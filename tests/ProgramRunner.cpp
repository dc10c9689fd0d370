#include "ProgramRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ScratchEnvironment(const fs::path& scratch) {
    std::vector<std::string> env{"HOME=" + scratch.string(), "XDG_RUNTIME_DIR=" + scratch.string(), "PATH=/usr/bin:/bin"};
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    return env;
}

namespace {
// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const char* file, const char* outFile, const char* errFile, const Limits& limits, char** argv,
                             char** envp) {
    const int out = open(outFile, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    rlimit stack{};
    getrlimit(RLIMIT_STACK, &stack);
    if (limits.stackHardBytes) stack.rlim_max = *limits.stackHardBytes;
    if (limits.stackSoftBytes) stack.rlim_cur = *limits.stackSoftBytes;
    if (stack.rlim_cur > stack.rlim_max) stack.rlim_cur = stack.rlim_max;
    if (setrlimit(RLIMIT_STACK, &stack) != 0) _exit(126);
    if (limits.addressBytes) {
        const rlimit address{*limits.addressBytes, *limits.addressBytes};
        if (setrlimit(RLIMIT_AS, &address) != 0) _exit(126);
    }
    execve(file, argv, envp);
    _exit(127);
}

Outcome Run(const char* file, const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& scratch,
            const Limits& limits) {
    const fs::path errFile = scratch / "stderr.txt";
    const fs::path outFile = scratch / "stdout.txt";
    std::vector<char*> argv{const_cast<char*>(file)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    Outcome outcome;
    const pid_t pid = fork();
    if (pid < 0) return outcome;
    if (pid == 0) StartChild(file, outFile.c_str(), errFile.c_str(), limits, argv.data(), envp.data());
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome.errors = ReadFile(errFile);
    outcome.output = ReadFile(outFile);
    fs::remove(errFile);
    fs::remove(outFile);
    return outcome;
}
}  // namespace

Outcome RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, const fs::path& scratch,
                   const Limits& limits) {
    return Run(VELQUOR_EXE, args, env, scratch, limits);
}

Outcome RunProgramFile(const std::string& file, const std::vector<std::string>& args, const std::vector<std::string>& env,
                       const fs::path& scratch) {
    return Run(file.c_str(), args, env, scratch, {});
}

std::optional<Outcome> CompareReports(const std::filesystem::path& a, const std::filesystem::path& b) {
    const char* tool = "/usr/share/benchmark/compare.py";
    if (!std::filesystem::exists(tool) || std::system("/usr/bin/python3 -c 'import scipy' 2>/dev/null") != 0) return std::nullopt;
    return Run("/usr/bin/python3", {tool, "benchmarks", a.string(), b.string()}, {"PATH=/usr/bin:/bin"}, a.parent_path(), {});
}
