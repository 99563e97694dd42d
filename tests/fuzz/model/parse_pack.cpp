// Fuzzes the loader's pack parser: the bytes are read as an attributes pack
// and then as a connections pack, under the key table of the class fixture
// game. A malformed pack may only fail with a std::exception (msgpack's
// unpack and type errors), which the loader catches at its boundary.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "model/core/QVKeyTable.h"
#include "model/classes/QVModelClasses.h"
#include "model/core/QVModelController.h"

namespace {

void installFixtureKeys() {
    // The Keys.pack of the class fixture game "full" (build/fixtures/classes),
    // name i under number i, so its packs in the corpus ("full-*") reach every
    // class's reader. The older seeds, from the small load fixture, share the
    // writer's pinned numbers of "value", "Class Name" and "id".
    const std::vector<std::string> names = {
        "Activate On Release", "Ad Banner", "Ad Banner Freq.", "Ad Interstitial", "Ad Interstitials Freq.",
        "Ad Network", "Affected asset", "Air Drag", "Align Camera Borders", "Angular Multiplier", "value",
        "Angular Velocity", "Animation", "Animation Behaviour", "Animation Placement", "Animation Speed",
        "Appearance Chance", "Application Name", "Asset", "Auto Depth Sorting", "Auto Tilt", "Autohide",
        "Back Deletion Threshold", "Background Scene", "Bounce", "Bounce Force", "Build Date", "Bullet Animation",
        "Button Activated", "Camera Flash", "Camera Shake", "Camera Smooth", "Cast Shadow", "Class Name",
        "Close Animation Frames", "Collision Shape", "Collision Type", "Comments", "Continuous Jump", "Damage",
        "Damage delay", "Death Delay", "id", "Death Sound", "Default Animation", "Defeated Animation",
        "Defeated Sound", "Design Size", "Destroy Type", "Direct Movement", "User ID", "Double Jump Sound",
        "Duration", "Edge 0", "Edge 1", "Edge 2", "Edge 3", "End Distance", "End Sound", "Event",
        "Excluded From Atlas", "Fall Attribute", "Fixed Rotation", "Force Increase", "Force Max", "Forced Movement",
        "Forced Switch Button", "Friction", "Froce Min", "Game Angle Direction", "Game Direction", "Game Over Delay",
        "Game Speed Max", "Game Speed Min", "Gravity", "Ground", "Ground Collision", "Ground Threshold", "Health",
        "Hidden", "Icon", "Idle Animation", "Idle Animation Frames", "Idle Animation Loop", "Idle Sound", "Image",
        "Image Direction", "Init Section", "Jump Animation", "Jump Count", "Jump Counter", "Jump Duration",
        "Jump Force", "Jump From Ground", "Jump Gravity", "Jump Key", "Jump Sound", "Jump Speed", "Jump Timeout",
        "Jump Velocity", "Key", "Last ID", "Left Lean Force", "Linear Multiplier", "Linear Velocity", "Lives",
        "Locked Icon", "Loop", "Loop Music", "Mathematical Operation", "Max Speed", "Motor CCW Key", "Motor CW Key",
        "Move Animation", "Move Down Key", "Move Left Key", "Move Right Key", "Move Up Key", "Movement Type", "Music",
        "Muted", "Name", "Not Enough Currency Text", "Object A", "Object B", "Object Frame", "Object Frame Rect",
        "Object Frame State 1", "Object Frame State 2", "Object Frame State 3", "Object Frame State 4", "Object Type",
        "Offset", "Opacity", "Open Animation Frames", "Orientation", "Platform Friction", "Play Cooldown", "Position",
        "Powerup Type", "Price", "Purchase Method", "Regular Icon", "Reset Coins", "Reset Distance", "Reset Points",
        "Reset text", "Reward Coins", "Reward Points", "Right Lean Force", "Rotate Left Key", "Rotate Right Key",
        "Rotation", "Rotation Drag", "Scale", "Score Multiplier", "Score Type", "Screen Adjustment", "Selected Icon",
        "Share Screen", "Shoot Key", "Shoot Sound", "Shooting Animation", "Show coin reward", "Show points reward",
        "Sides Deletion Threshold", "Size", "Sleep", "Sleep Distance", "Slide Sound", "Solo", "Sort Direction",
        "Sort Order", "Sound", "Source Rect", "SourceSize", "Spawn Action", "Spawn Rate", "Speed", "Speed Increase",
        "Start Animation", "Start Distance", "Start Sound", "Stick To Edge", "Stop BGM on Death", "Store Identifier",
        "Syncronize Animation", "Taking Damage Anim.", "Taking Damage Sound", "Time Warp", "Timeout", "Torque",
        "Velocity Drag", "Version Number", "Wake Up", "WakeUp Sound", "Wakeup Distance", "Web Link", "Width",
        "Z Depth", "ZK Version", "animation", "animations", "animationsX", "animationsY", "children", "desktop",
        "enum", "fullscreen", "height", "isEmpty", "isXEmpty", "isYEmpty", "lang", "oneWayCollisionVector", "padding",
        "platformSpecificValues", "points", "preset", "state", "variableValue", "volume", "web", "width"};
    QVKeyTableMap table;
    for (size_t i = 0; i < names.size(); ++i) table.emplace(names[i], static_cast<int32_t>(i));
    installKeyTable(table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (installFixtureKeys(), true);
    (void)ready;
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);
    for (bool connections : {false, true}) {
        try {
            controller->parsePack(data, size, connections);
        } catch (const std::exception&) {
            // The loader reports these as a failed pack.
        }
    }
    controller->clear();
    return 0;
}
