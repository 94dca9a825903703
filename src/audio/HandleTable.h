#pragma once
// The engine's 32-bit handles. One HandleCounter numbers every channel of an
// engine (streams and recordings), so no two live channels share a handle and
// a handle alone tells which part of the engine it belongs to. A HandleTable
// maps the handles of one kind of channel to the objects it owns.

#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>

namespace zarelo {

// Issues handles 1, 2, 3 ... skipping 0 (the failure value) when it wraps.
// Any thread.
class HandleCounter {
public:
    uint32_t issue()
    {
        uint32_t handle = next_++;
        if (handle == 0)
            handle = next_++;
        return handle;
    }

private:
    std::atomic<uint32_t> next_{1};
};

// Owns objects under handles from a shared counter. Not thread-safe: the
// owner guards the table with its own lock.
template <class T> class HandleTable {
public:
    explicit HandleTable(HandleCounter& counter) : counter_(counter) {}

    uint32_t add(std::unique_ptr<T> object)
    {
        const uint32_t handle = counter_.issue();
        objects_.emplace(handle, std::move(object));
        return handle;
    }

    // Null when `handle` is not in the table.
    T* find(uint32_t handle) const
    {
        const auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second.get();
    }

    // Removes the object and hands it over, so that the caller can destroy
    // it after releasing its lock; null when `handle` is not in the table.
    std::unique_ptr<T> take(uint32_t handle)
    {
        const auto it = objects_.find(handle);
        if (it == objects_.end())
            return nullptr;
        std::unique_ptr<T> object = std::move(it->second);
        objects_.erase(it);
        return object;
    }

    void clear() { objects_.clear(); }

    // Calls `f(T&)` for every object, in no particular order.
    template <class F> void forEach(F&& f)
    {
        for (auto& [handle, object] : objects_)
            f(*object);
    }

private:
    HandleCounter& counter_;
    std::unordered_map<uint32_t, std::unique_ptr<T>> objects_;
};

} // namespace zarelo
