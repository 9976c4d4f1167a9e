#include "ccmap/cc_map_store.h"

#include <new>

namespace vanto {

// The reader needs two epoch steps after a retirement: one to finish the pass that may have loaded the
// old pointer just before the exchange, and a second as a margin for the pass that started meanwhile.
constexpr uint64_t kGraceEpochs = 2;

CcMapStore::~CcMapStore() {
    for (const Retired& old : retired_) {
        delete old.map;
    }
    CcMap* current = current_.load();
    if (current != &empty_) {
        delete current;
    }
}

bool CcMapStore::publish(const CcMap& map) {
    CcMap* copy = new (std::nothrow) CcMap(map);
    if (copy == nullptr) {
        return false;
    }
    // Room for the retirement is made before the exchange so that nothing can fail after it.
    try {
        if (retired_.size() == retired_.capacity()) {
            retired_.reserve(retired_.empty() ? 4 : 2 * retired_.capacity());
        }
    } catch (const std::bad_alloc&) {
        delete copy;
        return false;
    }
    CcMap* old = current_.exchange(copy, std::memory_order_seq_cst);
    if (old != &empty_) {
        // Sequentially consistent rather than merely acquire: together with the exchange above and the
        // reader's own operations this rules out a reader that still loads `old` after having advanced
        // past the epoch read here.
        retired_.push_back({old, readerEpoch_.load(std::memory_order_seq_cst)});
    }
    prune();
    changed_.store(true, std::memory_order_release);
    return true;
}

void CcMapStore::collect() {
    prune();
}

void CcMapStore::prune() {
    const uint64_t epoch = readerEpoch_.load(std::memory_order_seq_cst);
    std::size_t kept = 0;
    for (const Retired& old : retired_) {
        if (old.epoch + kGraceEpochs <= epoch) {
            delete old.map;
        } else {
            retired_[kept++] = old;
        }
    }
    retired_.resize(kept);
}

CcMapReadPass::CcMapReadPass(CcMapStore& store) noexcept
    : store_(store), changed_(store.changed_.exchange(false, std::memory_order_acquire)),
      map_(store.current_.load(std::memory_order_seq_cst)) {}

CcMapReadPass::~CcMapReadPass() {
    store_.readerEpoch_.fetch_add(1, std::memory_order_seq_cst);
}

} // namespace vanto
