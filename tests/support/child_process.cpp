#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kestrin::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string FindInPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return program;
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    throw std::runtime_error("program not found in PATH: " + program);
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int StatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

}  // namespace

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry; ++entry) {
        const std::string text(*entry);
        bool replaced = false;
        for (const std::string& o : overrides) replaced = replaced || nameOf(o) == nameOf(text);
        if (!replaced) result.push_back(text);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

ChildProcess::~ChildProcess() { Stop(); }

void ChildProcess::Start(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment, const std::string& logPath) {
    if (m_pid > 0) throw std::runtime_error("child process already started");
    if (argv.empty()) throw std::runtime_error("no program to start");
    // Everything the child needs is made before the fork: between fork and exec only
    // async-signal-safe calls are allowed, since the test process has other threads.
    const std::string program = FindInPath(argv[0]);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = environment;
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(env);
    const std::string log = logPath.empty() ? "/dev/null" : logPath;
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (in < 0 || out < 0) _exit(127);
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        execve(program.c_str(), argp.data(), envp.data());
        _exit(127);
    }
    m_pid = pid;
    m_status.reset();
}

bool ChildProcess::Reap(bool block) {
    if (m_pid <= 0) return true;
    int status = 0;
    pid_t r;
    do {
        r = waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == 0) return false;
    m_status = r == m_pid ? StatusOf(status) : -1;
    m_pid = -1;
    return true;
}

bool ChildProcess::Running() { return m_pid > 0 && !Reap(false); }

std::optional<int> ChildProcess::WaitExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (m_pid > 0 && !Reap(false)) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_status;
}

void ChildProcess::Stop(std::chrono::milliseconds grace) {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    if (WaitExit(grace)) return;
    Kill();
}

void ChildProcess::Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    Reap(true);
}

int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               std::chrono::milliseconds timeout, std::string* output) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrin-run-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    close(fd);
    ChildProcess child;
    child.Start(argv, environment, pattern);
    std::optional<int> status = child.WaitExit(timeout);
    if (!status) child.Kill();
    if (output) {
        std::ifstream in(pattern, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        *output = text.str();
    }
    std::filesystem::remove(pattern);
    return status.value_or(-1);
}

}  // namespace kestrin::test
