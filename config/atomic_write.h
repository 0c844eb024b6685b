#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// Replaces the file at path by the given bytes so that the file on disk is always either the old
// one or the new one, whole: the bytes go to a fresh file in the same folder, are flushed to the
// disk and renamed over the old file. An existing file's permission bits and owner are kept; a
// new file gets 0666 less the umask. Returns false (errno set) when any step failed; the old file
// is then untouched and no temporary file is left behind.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace kestrin
