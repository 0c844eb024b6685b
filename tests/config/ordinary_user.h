#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace kestrin::test {

// The user and group "nobody": an ordinary user, whose rights root's would otherwise hide.
constexpr uid_t kOrdinaryUid = 65534;
constexpr gid_t kOrdinaryGid = 65534;

inline bool RunningAsRoot() { return ::geteuid() == 0; }

// Gives a folder to the ordinary user, so that a child running as that user may make and
// replace files in it. Nothing to do when the test already runs as an ordinary user.
inline void GiveToOrdinaryUser(const std::filesystem::path& path) {
    if (RunningAsRoot()) ::chown(path.c_str(), kOrdinaryUid, kOrdinaryGid);
}

// Runs body in a forked child as an ordinary user: "nobody", without supplementary groups, when
// the test runs as root, whose rights would bypass the permission checks under test; as the test's
// own user otherwise. Returns the text body returned, or how the child failed. The child ends
// with _exit, so nothing of the test's own state is torn down twice.
inline std::string AsOrdinaryUser(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child < 0) return "no fork";
    if (child == 0) {
        ::close(channel[0]);
        std::string result;
        if (RunningAsRoot() && (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryGid) != 0 ||
                                ::setuid(kOrdinaryUid) != 0 || ::geteuid() == 0)) {
            result = "could not drop to an ordinary user";
        } else {
            try {
                result = body();
            } catch (const std::exception& error) {
                result = std::string("uncaught: ") + error.what();
            }
        }
        for (size_t at = 0; at < result.size();) {
            const ssize_t written = ::write(channel[1], result.data() + at, result.size() - at);
            if (written <= 0) break;
            at += static_cast<size_t>(written);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char chunk[4096];
    ssize_t got;
    while ((got = ::read(channel[0], chunk, sizeof chunk)) > 0) {
        result.append(chunk, static_cast<size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child ended with status " + std::to_string(status) + ": " + result;
    }
    return result;
}

}  // namespace kestrin::test
