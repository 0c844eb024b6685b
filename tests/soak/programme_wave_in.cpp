#include "tests/soak/programme_wave_in.h"

#include <QCoreApplication>
#include <QObject>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "capture/wim_data_event.h"

namespace kestrin::test {
namespace {

constexpr int kBlocks = 1000;          // distinct buffers, played in a loop (about 25 s)
constexpr int kPeriodFrames = 44;      // 1002 Hz on A; B runs at half the rate
constexpr int kFramesPerBlock = 1100;  // 24.94 ms
constexpr int kSilentEvery = 97;       // blocks; each such block is silence on A

// Peak level of block i as a sample value: a sweep from -60 to 0 dB below full scale and back,
// with a quicker wobble that now and then pushes it over the over threshold (27520).
double Level(int i) {
    const double phase = static_cast<double>(i) / kBlocks;
    const double db =
        -30.0 + 30.0 * std::sin(2.0 * M_PI * phase) + 6.0 * std::sin(2.0 * M_PI * 11.0 * phase);
    return 32767.0 * std::pow(10.0, std::min(db, 0.0) / 20.0);
}

void PutSample(char* at, double value) {
    const auto sample = static_cast<uint16_t>(static_cast<int16_t>(std::lround(value)));
    at[0] = static_cast<char>(sample & 0xFF);
    at[1] = static_cast<char>(sample >> 8);
}

}  // namespace

ProgrammeWaveIn::ProgrammeWaveIn() : m_blocks(kBlocks, std::vector<char>(kBlockBytes)) {
    uint64_t frame = 0;
    for (int i = 0; i < kBlocks; ++i) {
        const double levelA = i % kSilentEvery == 0 ? 0.0 : Level(i);
        const double levelB = Level((i * 3 + 50) % kBlocks);
        for (int f = 0; f < kFramesPerBlock; ++f, ++frame) {
            const double a =
                levelA * std::sin(2.0 * M_PI * (frame % kPeriodFrames) / kPeriodFrames);
            const double b =
                levelB * std::sin(2.0 * M_PI * ((frame / 2) % kPeriodFrames) / kPeriodFrames);
            PutSample(&m_blocks[i][f * 4], a);
            PutSample(&m_blocks[i][f * 4 + 2], b);
        }
    }
}

MMRESULT ProgrammeWaveIn::Misuse(MMRESULT result) {
    ++m_misuses;
    return result;
}

bool ProgrammeWaveIn::DeliverBuffer() {
    if (!m_started || m_queue.empty()) return false;
    WAVEHDR* header = m_queue.front();
    m_queue.pop_front();
    const std::vector<char>& block = m_blocks[static_cast<size_t>(m_delivered % kBlocks)];
    std::memcpy(header->lpData, block.data(), std::min(header->dwBufferLength, kBlockBytes));
    ++m_delivered;
    Return(header, kBlockBytes);
    return true;
}

void ProgrammeWaveIn::Return(WAVEHDR* header, uint32_t bytes) {
    header->dwBytesRecorded = bytes;
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    QCoreApplication::postEvent(static_cast<QObject*>(m_receiver),
                                new WimDataEvent(&m_device, header));
}

MMRESULT ProgrammeWaveIn::GetDevCaps(uint32_t deviceId, WAVEINCAPS* caps) {
    if (deviceId != 0 || !caps) return MMSYSERR_BADDEVICEID;
    std::strcpy(caps->szPname, "Programme");
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::QueryFormat(int32_t deviceId, const WAVEFORMATEX& format) {
    if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
    return format.wFormatTag == WAVE_FORMAT_PCM && format.nChannels == 2 &&
                   format.wBitsPerSample == 16
               ? MMSYSERR_NOERROR
               : WAVERR_BADFORMAT;
}

MMRESULT ProgrammeWaveIn::Open(HWAVEIN* device, int32_t deviceId, const WAVEFORMATEX& format,
                               WaveInReceiver receiver) {
    if (m_open) return Misuse(MMSYSERR_ALLOCATED);
    if (QueryFormat(deviceId, format) != MMSYSERR_NOERROR || !device || !receiver) {
        return Misuse(MMSYSERR_INVALPARAM);
    }
    m_open = true;
    m_receiver = receiver;
    *device = &m_device;
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::PrepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) {
    if (device != &m_device || !m_open) return Misuse(MMSYSERR_INVALHANDLE);
    if (!header || !header->lpData || size != kWaveHdrSize) return Misuse(MMSYSERR_INVALPARAM);
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::AddBuffer(HWAVEIN device, WAVEHDR* header, uint32_t size) {
    if (device != &m_device || !m_open) return Misuse(MMSYSERR_INVALHANDLE);
    if (!header || size != kWaveHdrSize || header->dwBufferLength < kBlockBytes) {
        return Misuse(MMSYSERR_INVALPARAM);
    }
    if (!(header->dwFlags & WHDR_PREPARED)) return Misuse(WAVERR_UNPREPARED);
    if (header->dwFlags & WHDR_INQUEUE) return Misuse(WAVERR_STILLPLAYING);
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->dwBytesRecorded = 0;
    m_queue.push_back(header);
    ++m_outstanding;
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::Start(HWAVEIN device) {
    if (device != &m_device || !m_open) return Misuse(MMSYSERR_INVALHANDLE);
    m_started = true;
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::UnprepareHeader(HWAVEIN device, WAVEHDR* header, uint32_t size) {
    if (device != &m_device || !m_open) return Misuse(MMSYSERR_INVALHANDLE);
    if (!header || size != kWaveHdrSize) return Misuse(MMSYSERR_INVALPARAM);
    if (header->dwFlags & WHDR_INQUEUE) return Misuse(WAVERR_STILLPLAYING);
    if (!(header->dwFlags & WHDR_DONE)) return Misuse(MMSYSERR_INVALPARAM);
    header->dwFlags &= ~(WHDR_PREPARED | WHDR_DONE);
    --m_outstanding;
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::Reset(HWAVEIN device) {
    if (device != &m_device || !m_open) return Misuse(MMSYSERR_INVALHANDLE);
    m_started = false;
    while (!m_queue.empty()) {
        WAVEHDR* header = m_queue.front();
        m_queue.pop_front();
        Return(header, 0);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT ProgrammeWaveIn::Close(HWAVEIN device) {
    if (device != &m_device || !m_open) return Misuse(MMSYSERR_INVALHANDLE);
    if (!m_queue.empty()) return Misuse(WAVERR_STILLPLAYING);
    m_open = false;
    m_receiver = nullptr;
    return MMSYSERR_NOERROR;
}

}  // namespace kestrin::test
