// What the object and component factories share: a table of builders by row
// (1 to N), the row of a model by its exact class, and one log line per
// (tag, model class) for rows without a builder (registerObjectClasses and
// registerComponentClasses fill every row; tests take some out), so a world
// full of them does not flood the log.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "platform/QVLog.h"

template <class Builder, int N>
class QVRuntimeClassTable {
public:
    void set(int row, Builder builder) {
        if (row >= 1 && row <= N) m_builders[row - 1] = builder;
    }
    // nullptr for a row without a builder or one outside 1..N.
    Builder get(int row) const { return row >= 1 && row <= N ? m_builders[row - 1] : nullptr; }

    // The row whose class id is `id` (ids in row order); 0 when none.
    static int rowOf(uint32_t id, const std::array<uint32_t, N>& ids) {
        for (int i = 0; i < N; ++i) {
            if (ids[i] == id) return i + 1;
        }
        return 0;
    }

private:
    std::array<Builder, N> m_builders{};
};

inline void logNoBuilder(const char* tag, const char* className) {
    static std::set<std::pair<std::string, std::string>> logged;
    if (logged.emplace(tag, className).second) logMessage("[%s] no builder installed for %s", tag, className);
}
