// Reading and writing the storage fields that several threads may write at once.
#pragma once

#include <atomic>
#include <type_traits>

namespace frame {

// A program's storage is one block per process, shared by all threads, and after the
// first call its routines take no lock: a field that calls on several threads may
// write at the same time (the status every routine leaves, a count the system reports
// into, the last thread started) is written and read as an atomic, through atomic_ref
// because the storage keeps its fixed layout of plain fields. Every access to such a
// field goes through these two. Relaxed order: each field is a value of its own, and
// nothing else is handed from thread to thread through it.
template <class T>
void shared_store(T &field, std::type_identity_t<T> value)
{
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}

template <class T>
T shared_load(T &field)
{
    return std::atomic_ref<T>(field).load(std::memory_order_relaxed);
}

} // namespace frame
