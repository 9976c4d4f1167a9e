// Hands CC maps from one writer thread (the message thread) to one real-time reader without locks.
// The writer publishes a heap copy by exchanging a pointer; a map it replaces is retired with the
// reader's epoch at that moment and freed only once the reader has finished two more passes, by which
// time no pass can still be using it. All allocation and freeing happen on the writer's side.
#pragma once

#include "ccmap/cc_map.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace vanto {

class CcMapStore {
  public:
    CcMapStore() = default;
    // Frees every retired map and the current one. No reader pass may be running.
    ~CcMapStore();
    CcMapStore(const CcMapStore&) = delete;
    CcMapStore& operator=(const CcMapStore&) = delete;

    // Writer side. Makes a copy of `map` current; false when the copy cannot be allocated, in which
    // case nothing changes. Also frees the retired maps the reader can no longer hold.
    bool publish(const CcMap& map);
    // Writer side. Frees the retired maps the reader can no longer hold.
    void collect();
    // Writer side. How many replaced maps still wait for the reader's grace period.
    std::size_t retiredCount() const { return retired_.size(); }

  private:
    friend class CcMapReadPass;

    struct Retired {
        CcMap* map;
        uint64_t epoch;
    };

    void prune();

    CcMap empty_{};
    std::atomic<CcMap*> current_{&empty_};
    std::atomic<uint64_t> readerEpoch_{0};
    std::atomic<bool> changed_{false};
    std::vector<Retired> retired_;

    static_assert(std::atomic<CcMap*>::is_always_lock_free);
    static_assert(std::atomic<uint64_t>::is_always_lock_free);
    static_assert(std::atomic<bool>::is_always_lock_free);
};

// One processing pass of the real-time reader: holds the current map from construction to
// destruction and advances the reader's epoch when it ends. Allocates, locks and blocks nothing.
// Only one pass may exist at a time, always on the same reader thread.
class CcMapReadPass {
  public:
    explicit CcMapReadPass(CcMapStore& store) noexcept;
    ~CcMapReadPass();
    CcMapReadPass(const CcMapReadPass&) = delete;
    CcMapReadPass& operator=(const CcMapReadPass&) = delete;

    const CcMap& map() const noexcept { return *map_; }
    // Whether a map was published since the previous pass. A freed map's address can come back for a
    // later map, so a reader keeping per-map state (a router state) should reset it when this is true
    // rather than rely on the address alone.
    bool changed() const noexcept { return changed_; }

  private:
    CcMapStore& store_;
    bool changed_;
    const CcMap* map_;
};

} // namespace vanto
