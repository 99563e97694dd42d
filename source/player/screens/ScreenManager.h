// ScreenManager: which world and UI screens are open, and where the next
// world starts. This part holds the start section and the section order.
#pragma once

#include <cstdint>
#include <string>

class ScreenManager {
public:
    // Created on first use and kept until exit.
    static ScreenManager* shared();

    // Key of the current world's screen-scene model; empty while no world
    // runs.
    const std::string& getSceneName() const { return m_sceneName; }
    void setSceneName(const std::string& name) { m_sceneName = name; }

    // The level section the next world starts in; 0 is the world's own
    // start.
    uint32_t getStartSectionId() const { return m_startSectionId; }
    void setStartSectionId(uint32_t id) { m_startSectionId = id; }

    // The first level section registered after section `id` that has it
    // among its live parents; 0 for id 0 and when there is none.
    uint32_t nextSectionId(uint32_t id) const;

private:
    std::string m_sceneName;
    uint32_t m_startSectionId = 0;
};
