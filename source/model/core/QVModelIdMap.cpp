#include "model/core/QVModelIdMap.h"

namespace {
constexpr size_t kInitialSlots = 64;  // a power of two
}  // namespace

void QVModelIdMap::place(uint32_t id, QVModel* model) {
    // At most 70 % full, which keeps probe runs short.
    if ((m_size + 1) * 10 > m_slots.size() * 7) grow();
    size_t i = home(id);
    while (m_slots[i].model) i = (i + 1) & m_mask;
    m_slots[i].id = id;
    m_slots[i].model = model;
    ++m_size;
}

void QVModelIdMap::grow() {
    const size_t capacity = m_slots.empty() ? kInitialSlots : m_slots.size() * 2;
    std::vector<Slot> old(capacity);
    old.swap(m_slots);
    m_mask = capacity - 1;
    unsigned bits = 0;
    while ((size_t{1} << bits) < capacity) ++bits;
    m_shift = 64 - bits;
    for (Slot& slot : old) {
        if (!slot.model) continue;
        size_t i = home(slot.id);
        while (m_slots[i].model) i = (i + 1) & m_mask;
        m_slots[i].id = slot.id;
        m_slots[i].model = slot.model;
    }
}

bool QVModelIdMap::erase(uint32_t id) {
    size_t hole = slotOf(id);
    if (hole == kAbsent) return false;
    m_slots[hole].model = nullptr;
    // Backward shift: pulls later members of the probe run into the hole, so
    // lookups never need tombstones.
    for (size_t j = (hole + 1) & m_mask; m_slots[j].model; j = (j + 1) & m_mask) {
        const size_t wanted = home(m_slots[j].id);
        // The member at j may move to the hole only when its home is not
        // cyclically within (hole, j].
        const bool between = hole <= j ? (wanted > hole && wanted <= j) : (wanted > hole || wanted <= j);
        if (between) continue;
        m_slots[hole].id = m_slots[j].id;
        m_slots[hole].model = m_slots[j].model;
        m_slots[j].model = nullptr;
        hole = j;
    }
    --m_size;
    return true;
}
