// QVModelIdMap: the controller's id -> model map, an open-addressing table
// (linear probing, backward-shift removal) with the model held in the slot.
// A load looks every model up several times by id; a node-based map costs a
// cache miss per node on top of the bucket, this costs about one.
// Guarantees: a held model is released only after the table is consistent
// again, so a dying model may call back into its owner; null models are never
// stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QVModel;

class QVModelIdMap {
public:
    std::shared_ptr<QVModel>* find(uint32_t id) {
        const size_t i = slotOf(id);
        return i == kAbsent ? nullptr : &m_slots[i].model;
    }
    const std::shared_ptr<QVModel>* find(uint32_t id) const { return const_cast<QVModelIdMap*>(this)->find(id); }
    bool contains(uint32_t id) const { return find(id) != nullptr; }

    // False, changing nothing, when the id is taken or the model is null.
    bool insert(uint32_t id, const std::shared_ptr<QVModel>& model) {
        if (!model || find(id)) return false;
        place(id, model);
        return true;
    }
    // Inserts, or replaces the model held under the id.
    void assign(uint32_t id, const std::shared_ptr<QVModel>& model) {
        if (!model) return;
        if (std::shared_ptr<QVModel>* held = find(id)) {
            std::shared_ptr<QVModel> old = std::move(*held);
            *held = model;
            return;  // `old` goes here, with the table whole
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
    // Releases every model (after the table is already empty).
    void clear() {
        QVModelIdMap released;
        swap(released);
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
        std::shared_ptr<QVModel> model;  // empty: a free slot
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
        // Fibonacci hashing: ids are often consecutive, the top bits spread them.
        return static_cast<size_t>((static_cast<uint64_t>(id) * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    void place(uint32_t id, const std::shared_ptr<QVModel>& model);
    void grow();

    std::vector<Slot> m_slots;
    size_t m_size = 0;
    size_t m_mask = 0;
    unsigned m_shift = 64;
};
