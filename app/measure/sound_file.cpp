#include "app/measure/sound_file.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <sstream>
#include <vector>

namespace kestrin::tool {

namespace {

// libsndfile keeps the reason an open failed in one global, so files opened side by side would
// read each other's reasons: opens are taken one at a time.
std::mutex g_openMutex;

// Bytes in memory seen through libsndfile's virtual input.
struct MemoryBytes {
    const uint8_t* data = nullptr;
    sf_count_t size = 0;      // bytes
    sf_count_t position = 0;  // bytes from the start
};

sf_count_t MemoryLength(void* user) { return static_cast<MemoryBytes*>(user)->size; }

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
    auto* bytes = static_cast<MemoryBytes*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = bytes->position;
    if (whence == SEEK_END) base = bytes->size;
    if (offset < -base || offset > bytes->size - base) return -1;
    bytes->position = base + offset;
    return bytes->position;
}

sf_count_t MemoryRead(void* out, sf_count_t count, void* user) {
    auto* bytes = static_cast<MemoryBytes*>(user);
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, bytes->size - bytes->position);
    if (n > 0) std::memcpy(out, bytes->data + bytes->position, static_cast<size_t>(n));
    bytes->position += n;
    return n;
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t MemoryTell(void* user) { return static_cast<MemoryBytes*>(user)->position; }

// Whether libsndfile found a data chunk shorter than its header announces: it then shortens the
// frame count to what is there and says so only in its log ("data : 192000 (should be 99956)").
bool LogShowsCutData(SNDFILE* file) {
    std::vector<char> log(16384, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size() - 1));
    std::istringstream lines(std::string(log.data()));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        const bool dataChunk =
            line.compare(start, 4, "data") == 0 || line.compare(start, 4, "SSND") == 0;
        if (dataChunk && line.find("(should be") != std::string::npos) return true;
    }
    return false;
}

std::string OpenFailure(int code, const char* text) {
    switch (code) {
        case SF_ERR_UNRECOGNISED_FORMAT:
            return "not audio (no sound file format libsndfile reads)";
        case SF_ERR_SYSTEM:
            return std::string("cannot be opened: ") + text;
        case SF_ERR_UNSUPPORTED_ENCODING:
            return std::string("unsupported: ") + text;
        default:
            return std::string("damaged: ") + text;
    }
}

}  // namespace

struct SoundFile::Handle {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    MemoryBytes bytes;     // the input when it is in memory
    bool cutData = false;  // the header announces more audio data than the file holds

    ~Handle() {
        if (file) sf_close(file);
    }
};

SoundFile::SoundFile(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {
    m_rate = m_handle->info.samplerate;
    m_channels = m_handle->info.channels;
    m_frames = m_handle->info.frames;
}

SoundFile::~SoundFile() = default;

std::unique_ptr<SoundFile> SoundFile::Open(const std::string& path, std::string& why) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        why = errno == ENOENT ? "not found" : std::string("cannot be opened: ") + strerror(errno);
        return nullptr;
    }
    if (S_ISDIR(status.st_mode)) {
        why = "is a folder, not a sound file";
        return nullptr;
    }
    // A pipe or a device could block the read for ever or never end.
    if (!S_ISREG(status.st_mode)) {
        why = "not a regular file";
        return nullptr;
    }
    if (status.st_size == 0) {
        why = "not audio (empty file)";
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    {
        std::lock_guard lock(g_openMutex);
        handle->file = sf_open(path.c_str(), SFM_READ, &handle->info);
        if (!handle->file) {
            why = OpenFailure(sf_error(nullptr), sf_strerror(nullptr));
            return nullptr;
        }
    }
    return Accept(std::move(handle), why);
}

std::unique_ptr<SoundFile> SoundFile::OpenBytes(const uint8_t* data, size_t size,
                                                std::string& why) {
    auto handle = std::make_unique<Handle>();
    handle->bytes = {data, static_cast<sf_count_t>(size), 0};
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    {
        std::lock_guard lock(g_openMutex);
        handle->file = sf_open_virtual(&io, SFM_READ, &handle->info, &handle->bytes);
        if (!handle->file) {
            why = OpenFailure(sf_error(nullptr), sf_strerror(nullptr));
            return nullptr;
        }
    }
    return Accept(std::move(handle), why);
}

std::unique_ptr<SoundFile> SoundFile::Accept(std::unique_ptr<Handle> handle, std::string& why) {
    const SF_INFO& info = handle->info;
    if (info.channels != 1 && info.channels != 2 && info.channels != 6) {
        why = "unsupported: " + std::to_string(info.channels) +
              " channels (1, 2 or 6 can be measured)";
        return nullptr;
    }
    if (info.samplerate < kMinRate || info.samplerate > kMaxRate) {
        why = "unsupported: sample rate " + std::to_string(info.samplerate) +
              " Hz (8000 to 192000 Hz can be measured)";
        return nullptr;
    }
    if (info.frames < 0) {
        why = "damaged: negative length";
        return nullptr;
    }
    handle->cutData = LogShowsCutData(handle->file);
    return std::unique_ptr<SoundFile>(new SoundFile(std::move(handle)));
}

int64_t SoundFile::Read(float* out, int64_t count) {
    const int64_t wanted = std::min(count, m_frames - m_read);
    if (wanted <= 0 || m_failed) return 0;
    const sf_count_t got = sf_readf_float(m_handle->file, out, wanted);
    if (got <= 0) {
        m_failed = sf_error(m_handle->file) != SF_ERR_NO_ERROR;
        return m_failed ? -1 : 0;
    }
    m_read += got;
    return got;
}

std::string SoundFile::Shortfall() const {
    const std::string libraryError = m_failed ? sf_strerror(m_handle->file) : "";
    if (m_read < m_frames) {
        const std::string count = std::to_string(m_read) + " of the " + std::to_string(m_frames) +
                                  " frames its header announces could be read";
        // A decoder that loses its way at a cut end reports an error, as it does for damage.
        if (m_failed) return "truncated or damaged: " + count + " (" + libraryError + ")";
        return "truncated: " + count;
    }
    if (m_failed) return "read error: " + libraryError;
    if (m_handle->cutData) return "truncated: the file ends before the audio its header announces";
    return {};
}

}  // namespace kestrin::tool
