#include "capture/header_queue.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

#include "capture/wave_in_device.h"
#include "capture/wim_data_event.h"

namespace kestrin {

HeaderQueue::HeaderQueue(WaveInDevice* device, QObject* receiver)
    : m_device(device), m_receiver(receiver) {}

MMRESULT HeaderQueue::Prepare(WAVEHDR* header, uint32_t size, MMRESULT refusal) {
    if (!header || !header->lpData || size != kWaveHdrSize) return MMSYSERR_INVALPARAM;
    if (refusal != MMSYSERR_NOERROR) return refusal;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT HeaderQueue::Add(WAVEHDR* header, uint32_t size, MMRESULT refusal) {
    if (!header || size != kWaveHdrSize || header->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    if (refusal != MMSYSERR_NOERROR) return refusal;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->dwBytesRecorded = 0;
    m_queue.push_back(header);
    m_outstanding.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT HeaderQueue::Unprepare(WAVEHDR* header, uint32_t size) {
    if (!header || size != kWaveHdrSize) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    // One that was only prepared (its add refused) was never outstanding.
    const auto it = std::find(m_outstanding.begin(), m_outstanding.end(), header);
    if (it != m_outstanding.end()) {
        m_outstanding.erase(it);
    } else if (header->dwFlags & WHDR_DONE) {
        return MMSYSERR_INVALPARAM;
    }
    header->dwFlags &= ~(WHDR_PREPARED | WHDR_DONE);
    return MMSYSERR_NOERROR;
}

int HeaderQueue::Fill(const char* data, size_t length) {
    int completed = 0;
    size_t offset = 0;
    while (m_receiver && offset < length && !m_queue.empty()) {
        WAVEHDR* header = m_queue.front();
        const size_t take = std::min<size_t>(header->dwBufferLength - m_filled, length - offset);
        if (data) {
            std::memcpy(header->lpData + m_filled, data + offset, take);
        } else {
            std::memset(header->lpData + m_filled, 0, take);
        }
        m_filled += static_cast<uint32_t>(take);
        offset += take;
        if (m_filled == header->dwBufferLength) {
            CompleteFront();
            ++completed;
        }
    }
    return completed;
}

void HeaderQueue::CompleteFront() {
    WAVEHDR* header = m_queue.front();
    m_queue.pop_front();
    header->dwBytesRecorded = m_filled;
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    m_filled = 0;
    QCoreApplication::postEvent(m_receiver, new WimDataEvent(m_device, header));
}

int HeaderQueue::HandBackAll() {
    int handedBack = 0;
    for (; m_receiver && !m_queue.empty(); ++handedBack) CompleteFront();
    return handedBack;
}

uint32_t HeaderQueue::FrontRoom() const {
    return m_queue.empty() ? 0 : m_queue.front()->dwBufferLength - m_filled;
}

}  // namespace kestrin
