// QVModelIdMap: the controller's id -> model map, an open-addressing table
// (linear probing, backward-shift removal) with the model's address in the
// slot. A load looks every model up several times by id; a node-based map
// costs a cache miss per node on top of the bucket, this costs about one.
// The map owns nothing (the controller's class lists hold the models), so
// dropping it touches no model and the models die in the order their owners
// release them.
// Guarantees: null models are never stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class QVModel;

class QVModelIdMap {
public:
    // The model under the id, or null.
    QVModel* find(uint32_t id) const {
        const size_t i = slotOf(id);
        return i == kAbsent ? nullptr : m_slots[i].model;
    }
    bool contains(uint32_t id) const { return find(id) != nullptr; }
    // A hint that `id` is about to be looked up: its home slot is fetched.
    void prefetch(uint32_t id) const {
        if (m_size != 0) __builtin_prefetch(&m_slots[home(id)]);
    }

    // False, changing nothing, when the id is taken or the model is null.
    bool insert(uint32_t id, QVModel* model) {
        if (!model || find(id)) return false;
        place(id, model);
        return true;
    }
    // Inserts, or replaces the model under the id.
    void assign(uint32_t id, QVModel* model) {
        if (!model) return;
        const size_t i = slotOf(id);
        if (i != kAbsent) {
            m_slots[i].model = model;
            return;
        }
        place(id, model);
    }
    // True when the id was present.
    bool erase(uint32_t id);

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void swap(QVModelIdMap& other) noexcept {
        m_slots.swap(other.m_slots);
        std::swap(m_size, other.m_size);
        std::swap(m_mask, other.m_mask);
        std::swap(m_shift, other.m_shift);
    }
    void clear() {
        QVModelIdMap released;
        swap(released);
    }
    // Empties the table; a well-filled one keeps its slots for the next fill
    // (a reload needs as many), a sparse one lets them go.
    void clearKeepingSlots() {
        if (m_size * 4 < m_slots.size()) {
            clear();
            return;
        }
        for (Slot& slot : m_slots) slot.model = nullptr;
        m_size = 0;
    }
    template <class Visit>
    void forEach(Visit visit) const {
        for (const Slot& slot : m_slots) {
            if (slot.model) visit(slot.id, slot.model);
        }
    }

private:
    struct Slot {
        uint32_t id = 0;
        QVModel* model = nullptr;  // null: a free slot
    };

    static constexpr size_t kAbsent = static_cast<size_t>(-1);

    size_t slotOf(uint32_t id) const {
        if (m_size == 0) return kAbsent;
        for (size_t i = home(id);; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (!slot.model) return kAbsent;
            if (slot.id == id) return i;
        }
    }
    size_t home(uint32_t id) const {
        // Ids come in runs (a pack holds consecutive ids): each aligned run of
        // kRun ids keeps its slots side by side, which a load then walks in
        // order, and Fibonacci hashing spreads the runs.
        const uint64_t run = static_cast<uint64_t>(id / kRun) * 0x9E3779B97F4A7C15ull;
        return (static_cast<size_t>(run >> m_shift) + id % kRun) & m_mask;
    }
    static constexpr uint32_t kRun = 16;
    void place(uint32_t id, QVModel* model);
    void grow();

    std::vector<Slot> m_slots;
    size_t m_size = 0;
    size_t m_mask = 0;
    unsigned m_shift = 64;
};
