#include "model/core/QVTypeId.h"

#include <atomic>

namespace qvdetail {

uint32_t nextTypeId() {
    static std::atomic<uint32_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

}  // namespace qvdetail
