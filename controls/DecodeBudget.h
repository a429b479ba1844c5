#pragma once

#include <QtGlobal>

// The memory that every picture decode of the process may hold at once. A decode reserves what
// it will allocate before it starts and gives it back when done; while the budget is spent,
// further decodes wait their turn (first come, first served). However many lists decode on
// however many threads, their pictures together never hold more than the budget.
class DecodeBudget {
public:
    static constexpr qint64 kTotalBytes = 256ll * 1024 * 1024;

    // Bytes held for one decode; given back when it is destroyed or released.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(Reservation&& other) noexcept : m_bytes(other.m_bytes) { other.m_bytes = 0; }
        Reservation& operator=(Reservation&& other) noexcept;
        Reservation(const Reservation&) = delete;
        Reservation& operator=(const Reservation&) = delete;
        ~Reservation() { Release(); }

        bool IsHeld() const { return m_bytes > 0; }
        void Release();

    private:
        friend class DecodeBudget;
        qint64 m_bytes = 0;
    };

    // Waits until `bytes` are free and holds them. More than the whole budget (or nothing) is
    // never granted: the reservation comes back not held.
    static Reservation Reserve(qint64 bytes);
    // Bytes held now, and the most ever held at once.
    static qint64 InUse();
    static qint64 PeakInUse();
};
