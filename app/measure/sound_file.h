#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrin::tool {

// The sample rates and channel counts the analyser measures.
inline constexpr int kMinRate = 8000;    // Hz
inline constexpr int kMaxRate = 192000;  // Hz

// A sound file opened through libsndfile for reading as interleaved floats (full scale 1.0).
// Opening refuses what cannot be measured, so a file that opens has a rate and a channel count
// the meters take. libsndfile is kept out of this header.
class SoundFile {
  public:
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Opens a file by its path; on failure nullptr, and `why` says what is wrong in a few words
    // ("not found", "not audio", "unsupported: 3 channels", ...).
    static std::unique_ptr<SoundFile> Open(const std::string& path, std::string& why);
    // The same over bytes in memory, which must outlive the object.
    static std::unique_ptr<SoundFile> OpenBytes(const uint8_t* data, size_t size, std::string& why);

    int rate() const { return m_rate; }
    int channels() const { return m_channels; }
    // Frames the header announces; a damaged file may hold fewer, never more are read.
    int64_t frames() const { return m_frames; }

    // Reads up to `count` frames into `out` (count times channels floats). Returns the frames
    // read, 0 at the end of the announced frames or of the data, -1 on a read error.
    int64_t Read(float* out, int64_t count);
    // Once Read has returned 0 or -1: empty when every announced frame was read, otherwise why
    // not ("truncated: ...", "read error: ...").
    std::string Shortfall() const;

  private:
    struct Handle;
    explicit SoundFile(std::unique_ptr<Handle> handle);
    static std::unique_ptr<SoundFile> Accept(std::unique_ptr<Handle> handle, std::string& why);

    std::unique_ptr<Handle> m_handle;
    int m_rate = 0;         // frames per second
    int m_channels = 0;     // samples per frame
    int64_t m_frames = 0;   // frames the header announces
    int64_t m_read = 0;     // frames read so far
    bool m_failed = false;  // a read reported an error
};

}  // namespace kestrin::tool
