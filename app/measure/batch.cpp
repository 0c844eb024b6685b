#include "app/measure/batch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "app/measure/file_analysis.h"

namespace kestrin::tool {

namespace {

using Clock = std::chrono::steady_clock;

// The progress line appears only once the work has run this long, so short runs stay quiet.
constexpr auto kProgressDelay = std::chrono::milliseconds(1000);
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

// The outcomes as the workers finish them, guarded by `mutex`.
struct Results {
    std::mutex mutex;
    std::condition_variable done;                   // a file has been finished
    std::vector<std::optional<FileOutcome>> slots;  // per path, once finished
    size_t next = 0;                                // index of the next path to start
    size_t finished = 0;                            // files finished
};

class ProgressLine {
  public:
    explicit ProgressLine(bool enabled) : m_enabled(enabled), m_start(Clock::now()) {}

    void Show(const Progress& progress, size_t finished, size_t total) {
        const auto now = Clock::now();
        if (!m_enabled || now - m_start < kProgressDelay || now - m_lastShown < kProgressInterval) {
            return;
        }
        const int64_t announced = std::max<int64_t>(progress.announced.load(), 1);
        const int64_t percent = std::min<int64_t>(100, progress.read.load() * 100 / announced);
        std::fprintf(stderr, "\r\033[Kkestrin-measure: %zu of %zu files done, %lld %%", finished,
                     total, static_cast<long long>(percent));
        std::fflush(stderr);
        m_lastShown = now;
        m_visible = true;
    }

    void Clear() {
        if (!m_visible) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_visible = false;
    }

  private:
    bool m_enabled;                 // standard error is a terminal
    Clock::time_point m_start;      // when the work began
    Clock::time_point m_lastShown;  // when the line was last written
    bool m_visible = false;         // the line stands on the terminal now
};

void Work(const std::vector<std::string>& paths, IecType ppm, bool truePeakBeside, Results& results,
          Progress& progress) {
    for (;;) {
        size_t index = 0;
        {
            std::lock_guard lock(results.mutex);
            if (results.next == paths.size()) return;
            index = results.next++;
        }
        FileOutcome outcome;
        // Whatever goes wrong with one file (memory, above all) is that file's failure alone.
        try {
            outcome = AnalyseFile(paths[index], ppm, &progress, truePeakBeside);
        } catch (const std::exception& error) {
            outcome = {paths[index], std::nullopt,
                       std::string("cannot be measured: ") + error.what()};
        }
        std::lock_guard lock(results.mutex);
        results.slots[index] = std::move(outcome);
        ++results.finished;
        results.done.notify_one();
    }
}

}  // namespace

void AnalyseAll(const std::vector<std::string>& paths, IecType ppm, unsigned jobs,
                bool showProgress, const std::function<void(const FileOutcome&)>& emit) {
    Results results;
    results.slots.resize(paths.size());
    Progress progress;
    const size_t workers = std::min<size_t>(std::max(jobs, 1u), paths.size());
    std::vector<std::thread> threads;
    // Fewer files than cores: each file's true peak gets a core of its own.
    const bool truePeakBeside = workers * 2 <= std::max(jobs, 1u);
    for (size_t i = 0; i < workers; ++i) {
        threads.emplace_back(Work, std::cref(paths), ppm, truePeakBeside, std::ref(results),
                             std::ref(progress));
    }

    ProgressLine line(showProgress);
    std::unique_lock lock(results.mutex);
    for (size_t emitted = 0; emitted < paths.size();) {
        if (!results.slots[emitted]) {
            results.done.wait_for(lock, kProgressInterval);
            line.Show(progress, results.finished, paths.size());
            continue;
        }
        const FileOutcome outcome = std::move(*results.slots[emitted]);
        results.slots[emitted].reset();
        ++emitted;
        lock.unlock();
        line.Clear();
        emit(outcome);
        lock.lock();
    }
    lock.unlock();
    for (std::thread& thread : threads) thread.join();
}

}  // namespace kestrin::tool
