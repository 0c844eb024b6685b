// kestrin-measure: loudness, true peak, sample peak and quasi-peak readings of sound files.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/measure/batch.h"
#include "app/measure/options.h"
#include "app/measure/report.h"

namespace {

constexpr int kExitAllRead = 0;
constexpr int kExitFileUnread = 1;
constexpr int kExitWrongArguments = 2;

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrin::tool;
    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "kestrin-measure: %s\n%s\nTry 'kestrin-measure --help'.\n",
                     parsed.error.c_str(), kUsage);
        return kExitWrongArguments;
    }
    const Options& options = *parsed.options;
    if (options.help) {
        std::printf("%s\n\n%s", kUsage, kHelp);
        return kExitAllRead;
    }

    const unsigned jobs =
        options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    bool allRead = true;
    bool first = true;
    if (options.json) std::fputs("[", stdout);
    AnalyseAll(options.files, options.ppm, jobs, isatty(STDERR_FILENO) == 1,
               [&](const FileOutcome& outcome) {
                   if (!outcome.measures) {
                       allRead = false;
                       std::fputs(ErrorLine(outcome).c_str(), stderr);
                   }
                   if (options.json) {
                       std::printf("%s\n  %s", first ? "" : ",", JsonEntry(outcome).c_str());
                   } else if (outcome.measures) {
                       std::fputs(TextReport(outcome.path, *outcome.measures).c_str(), stdout);
                   }
                   std::fflush(stdout);
                   first = false;
               });
    if (options.json) std::fputs("\n]\n", stdout);
    return allRead ? kExitAllRead : kExitFileUnread;
}
