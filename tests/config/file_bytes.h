#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace kestrin::test {

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// In blocks, not byte by byte: some files are tens of megabytes.
inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char block[1 << 16];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<size_t>(in.gcount()));
    }
    return bytes;
}

// The names of everything in a folder, to see that no temporary file was left behind.
inline std::string FolderListing(const std::filesystem::path& folder) {
    std::set<std::string> sorted;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        sorted.insert(entry.path().filename().string());
    }
    std::string names;
    for (const auto& name : sorted) names += name + ";";
    return names;
}

}  // namespace kestrin::test
