#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// Replaces the file at path by the given bytes so that the file on disk is always either the old
// one or the new one, whole: the bytes go to a fresh file in the same folder, are flushed to the
// disk and renamed over the old file, and the folder is flushed so that the rename outlasts a
// power cut. An existing file's permission bits and owner are kept; a new file is made 0600 (it
// holds the scrambled password). A symbolic link at path stays as it is: the file it finally
// names is replaced, in that file's folder. An existing file that this user may not write
// (read-only, another user's) is not replaced, even where its folder would allow it (EACCES).
// Returns false (errno set) when any step failed; the old file is then untouched and no
// temporary file is left behind.
//
// The temporary file is named "<path>.<8 hex digits>.tmp" and locked (flock) by its writer for as
// long as it exists. A writer killed before its rename leaves it behind, unlocked: each
// replacement first removes such leftovers of the same path (whether or not it then succeeds),
// and only those that nobody holds locked, so a copy of the meter saving at the same time is
// never disturbed. Only plain files of that naming pattern beside the file are taken, never
// through a symbolic link.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Whether a file name is one of the temporary names ReplaceFileAtomically uses for a file named
// fileName in the same folder.
bool IsTemporaryNameOf(std::string_view name, std::string_view fileName);

}  // namespace kestrin
