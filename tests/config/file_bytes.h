#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace kestrin::test {

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
