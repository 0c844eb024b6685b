#pragma once

#include <string>
#include <vector>

#include "app/measure/file_measures.h"

namespace kestrin::tool {

// One file's measures as text for a reader, ending in a blank line.
std::string TextReport(const std::string& path, const FileMeasures& measures);

// One file's entry in the JSON array: its measures, or {"file": ..., "error": ...}.
std::string JsonEntry(const FileOutcome& outcome);

// The message on standard error for a file that could not be read.
std::string ErrorLine(const FileOutcome& outcome);

}  // namespace kestrin::tool
