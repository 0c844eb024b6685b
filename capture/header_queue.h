#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "capture/wave_in.h"

class QObject;

namespace kestrin {

struct WaveInDevice;

// The buffers queued to one device that queues headers itself, with the rules a wave-input device
// keeps for them: what a header must hold to be prepared, added or let go of, which result each
// refusal gives, and how a buffer comes back to the receiver. A device's own reason to refuse
// (it has failed, say) is passed in as `refusal` and given once the header has passed its checks.
// Not locked: the device calls it with its own lock held, if it has one.
class HeaderQueue {
  public:
    HeaderQueue(WaveInDevice* device, QObject* receiver);

    // waveInPrepareHeader: the header needs its data block and the header size.
    static MMRESULT Prepare(WAVEHDR* header, uint32_t size, MMRESULT refusal = MMSYSERR_NOERROR);
    // waveInAddBuffer: a prepared header not yet queued, with room for data, goes to the back.
    MMRESULT Add(WAVEHDR* header, uint32_t size, MMRESULT refusal = MMSYSERR_NOERROR);
    // waveInUnprepareHeader: a header no longer queued; one that came back from a device is let
    // go of by that device only.
    MMRESULT Unprepare(WAVEHDR* header, uint32_t size);

    // Writes recorded bytes into the queued buffers in queue order (nullptr data: silence) and
    // hands back each buffer that becomes full. What no queued buffer can take is lost, as with
    // any device that runs out of buffers. Returns the number of buffers handed back.
    int Fill(const char* data, size_t length);
    // Hands the first queued buffer back with what it holds, partly filled or empty.
    void CompleteFront();
    // Hands back every queued buffer, as a reset does. Returns how many.
    int HandBackAll();

    // Whether the device may close: no buffer is still queued to it.
    bool MayClose() const { return m_queue.empty(); }
    bool empty() const { return m_queue.empty(); }
    size_t size() const { return m_queue.size(); }
    // The first queued buffer's room still to fill, in bytes; 0 when nothing is queued.
    uint32_t FrontRoom() const;
    // Added and not yet let go of.
    size_t outstanding() const { return m_outstanding.size(); }

    // Whether buffers go back to a receiver; once it is gone nothing is recorded or handed back.
    bool delivering() const { return m_receiver != nullptr; }
    void ForgetReceiver() { m_receiver = nullptr; }

  private:
    WaveInDevice* m_device;               // named in every notification
    QObject* m_receiver;                  // where returned buffers are posted; nullptr once gone
    std::deque<WAVEHDR*> m_queue;         // queued buffers, the one being filled first
    uint32_t m_filled = 0;                // bytes already written into the first queued buffer
    std::vector<WAVEHDR*> m_outstanding;  // added and not yet let go of: a few at a time
};

}  // namespace kestrin
