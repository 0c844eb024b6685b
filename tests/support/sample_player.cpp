#include "tests/support/sample_player.h"

#include <atomic>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/support/private_sound_server.h"

namespace kestrin::test {
namespace {

std::atomic<int> playerCount{0};

}  // namespace

SamplePlayer::SamplePlayer(const PrivateSoundServer& server, const std::string& sinkName,
                           const std::vector<int16_t>& interleaved, int repeat, int latencyMs) {
    if (interleaved.size() % 2 != 0) throw std::runtime_error("samples are not whole frames");
    m_file = server.folder() / ("play-" + std::to_string(playerCount++) + ".raw");
    {
        std::ofstream out(m_file, std::ios::binary);
        std::string bytes;
        bytes.reserve(interleaved.size() * 2);
        for (int16_t sample : interleaved) {
            const auto value = static_cast<uint16_t>(sample);
            bytes.push_back(static_cast<char>(value & 0xFF));
            bytes.push_back(static_cast<char>(value >> 8));
        }
        for (int i = 0; i < repeat; ++i) out.write(bytes.data(), std::ssize(bytes));
        if (!out) throw std::runtime_error("cannot write " + m_file.string());
    }
    m_log = server.folder() / (m_file.stem().string() + ".log");
    // Verbose, so that its log tells of underruns.
    m_player.Start(
        {"pacat", "--playback", "--raw", "--format=s16le", "--channels=2",
         "--rate=" + std::to_string(server.rate()), "--latency-msec=" + std::to_string(latencyMs),
         "--verbose", "--device=" + sinkName, m_file.string()},
        server.ClientEnvironment(), m_log.string());
}

SamplePlayer::~SamplePlayer() {
    m_player.Stop();
    std::error_code ignored;
    std::filesystem::remove(m_file, ignored);
    std::filesystem::remove(m_log, ignored);
}

int SamplePlayer::Underruns() const {
    std::ifstream in(m_log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int count = 0;
    for (size_t at = text.find("Stream underrun"); at != std::string::npos;
         at = text.find("Stream underrun", at + 1)) {
        ++count;
    }
    return count;
}

std::vector<int16_t> StereoTone(double dbfs, double seconds, int rate) {
    const auto frames = static_cast<size_t>(seconds * rate);
    const double peak = 32768.0 * std::pow(10.0, dbfs / 20.0);
    std::vector<int16_t> samples;
    samples.reserve(frames * 2);
    for (size_t frame = 0; frame < frames; ++frame) {
        const auto value = static_cast<int16_t>(
            std::lround(peak * std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(frame) / rate)));
        samples.push_back(value);
        samples.push_back(value);
    }
    return samples;
}

}  // namespace kestrin::test
