#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/measure/file_measures.h"

namespace kestrin::tool {

// Analyses the files on up to `jobs` threads at once and hands each outcome to `emit` on the
// calling thread, in the order of `paths`, as soon as it and every file before it are done.
// With `showProgress`, a progress line on standard error while the work takes longer than a
// moment; it is cleared before anything is emitted.
void AnalyseAll(const std::vector<std::string>& paths, IecType ppm, unsigned jobs,
                bool showProgress, const std::function<void(const FileOutcome&)>& emit);

}  // namespace kestrin::tool
