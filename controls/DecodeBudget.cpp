#include "controls/DecodeBudget.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {

struct State {
    std::mutex mutex;
    std::condition_variable changed;
    qint64 inUse = 0;
    qint64 peak = 0;
    quint64 nextTicket = 0;
    quint64 serving = 0;  // the ticket whose turn it is
};

State& Shared() {
    static State state = [] {
#ifdef __GLIBC__
        // Picture buffers are large and short-lived. glibc would raise its mmap threshold
        // after the first one is freed and serve later ones from per-thread heaps, which keep
        // freed memory: with many decoding threads the process would hold several budgets of
        // it. A fixed threshold gives every large buffer back to the system when it is freed.
        mallopt(M_MMAP_THRESHOLD, 512 * 1024);
#endif
        return State();
    }();
    return state;
}

}  // namespace

DecodeBudget::Reservation& DecodeBudget::Reservation::operator=(Reservation&& other) noexcept {
    if (this != &other) {
        Release();
        m_bytes = other.m_bytes;
        other.m_bytes = 0;
    }
    return *this;
}

void DecodeBudget::Reservation::Release() {
    if (m_bytes <= 0) return;
    State& s = Shared();
    {
        std::lock_guard lock(s.mutex);
        s.inUse -= m_bytes;
    }
    m_bytes = 0;
    s.changed.notify_all();
}

DecodeBudget::Reservation DecodeBudget::Reserve(qint64 bytes) {
    Reservation r;
    if (bytes <= 0 || bytes > kTotalBytes) return r;
    State& s = Shared();
    {
        std::unique_lock lock(s.mutex);
        const quint64 ticket = s.nextTicket++;
        // In turn, so a large decode is not passed over for ever by a stream of small ones.
        s.changed.wait(lock, [&] { return s.serving == ticket && s.inUse + bytes <= kTotalBytes; });
        ++s.serving;
        s.inUse += bytes;
        s.peak = std::max(s.peak, s.inUse);
    }
    s.changed.notify_all();
    r.m_bytes = bytes;
    return r;
}

qint64 DecodeBudget::InUse() {
    std::lock_guard lock(Shared().mutex);
    return Shared().inUse;
}

qint64 DecodeBudget::PeakInUse() {
    std::lock_guard lock(Shared().mutex);
    return Shared().peak;
}
