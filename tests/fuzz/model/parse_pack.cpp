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
        "Action", "Activate On Release", "Active Axes", "Ad Banner", "Ad Banner Freq.", "Ad Interstitial",
        "Ad Interstitials Freq.", "Ad Network", "Affect operation", "Affected Asset", "value", "Affected asset",
        "Air Drag", "Align Camera Borders", "Alignment", "Amount", "Angle", "Angular Multiplier",
        "Angular Velocity", "Angular Velocity Modifier", "Animation", "Animation Behaviour", "Animation Placement",
        "Animation Speed", "Appearance Chance", "Application Name", "Asset", "Attraction Force",
        "Auto Depth Sorting", "Auto Follow", "Auto Lock", "Auto Tilt", "Autohide", "Class Name",
        "Back Deletion Threshold", "Back To", "Back To World", "Background Scene", "Blend Additive", "Block Touch",
        "Bounce", "Bounce Force", "id", "Build Date", "Bullet Animation", "Button Activated", "Buy And Use",
        "Calculated Size", "Camera Flash", "Camera Shake", "User ID", "Camera Smooth", "Cast Shadow", "Character",
        "Click Sound", "Close Animation Frames", "Collision Shape", "Collision Type", "Color", "Color Variation",
        "Comments", "Continuous Jump", "Control Style", "Control Type", "Damage", "Damage delay", "Death Delay",
        "Death Sound", "Default Animation", "Defeated Animation", "Defeated Sound", "Delete Input Object",
        "Design Size", "Destination", "Destroy Type", "Direct Movement", "Double Jump Sound", "Duration", "Edge 0",
        "Edge 1", "Edge 2", "Edge 3", "Emission Rate", "End Distance", "End Size", "End Sound", "End Spin",
        "End Width", "Event", "Event Type", "Excluded From Atlas", "Exit Only", "Facebook ID", "Facebook URL",
        "Fall Attribute", "Fixed Rotation", "Font", "Force Action on Press", "Force Increase", "Force Max",
        "Forced Movement", "Forced Switch Button", "Friction", "Froce Min", "Function", "Game Angle Direction",
        "Game Direction", "Game Over Delay", "Game Speed Max", "Game Speed Min", "Gravity", "Ground",
        "Ground Collision", "Ground Threshold", "Group ID", "Health", "Hidden", "Icon", "Idle Animation",
        "Idle Animation Frames", "Idle Animation Loop", "Idle Sound", "Image", "Image Direction", "Image Selected",
        "Image Transition", "Init Section", "Interval", "Jump Animation", "Jump Count", "Jump Counter",
        "Jump Duration", "Jump Force", "Jump From Ground", "Jump Gravity", "Jump Key", "Jump Sound", "Jump Speed",
        "Jump Timeout", "Jump Velocity", "Keep Velocity", "Key", "Keyboard Key", "Label Name", "Label Offset",
        "Label Scale", "Label Vertical Spacing", "Label Visibility", "Last ID", "Layering", "Left Lean Force",
        "Length", "Life", "Limit Number", "Linear Multiplier", "Linear Velocity", "Linear Velocity Modifier",
        "Lives", "Load", "Locked Icon", "Locked Image", "Locked Image Selected", "Loop", "Loop Music",
        "Mathematical Operation", "Max Refill", "Max Speed", "Menu", "Motor CCW Key", "Motor CW Key",
        "Move Animation", "Move Down Key", "Move Left Key", "Move Right Key", "Move Up Key", "Movement Type",
        "Music", "Muted", "Name", "Not Enough Currency Text", "Object", "Object A", "Object Asset", "Object B",
        "Object Frame", "Object Frame Rect", "Object Frame State 1", "Object Frame State 2", "Object Frame State 3",
        "Object Frame State 4", "Object Type", "Offset", "One Time Purchase", "Opacity", "Open Animation Frames",
        "Orientation", "Passed Amount", "Pause Current World", "Platform Friction", "Play", "Play Cooldown",
        "Play Mode", "Plays Before Redirect", "Position", "Position Modifier", "Position Type", "Powerup Selection",
        "Powerup Type", "Price", "Purchase Complete", "Purchase Method", "Quantity", "Quit", "Radial Acceleration",
        "Radius", "Reference", "Refill At Start", "Refill Timeout", "Regular Icon", "Release Sound", "Reset Coins",
        "Reset Distance", "Reset Points", "Reset text", "Reward Coins", "Reward Points", "Right Lean Force",
        "Rotate Left Key", "Rotate Right Key", "Rotation", "Rotation Drag", "Rotation Modifier", "Scale",
        "Scale Modifier", "Scene", "Score Modifier", "Score Multiplier", "Score Type", "Screen Adjustment",
        "Search Radius", "Selected Icon", "Sensitivity", "Share Screen", "Shoot Key", "Shoot Sound",
        "Shooting Animation", "Show When Selected", "Show coin reward", "Show points reward",
        "Sides Deletion Threshold", "Single Use", "Size", "Sleep", "Sleep Distance", "Slide Sound", "Solo",
        "Sort Direction", "Sort Order", "Sound", "Sound is OFF", "Sound is ON", "Source Rect", "SourceSize",
        "Spawn Action", "Spawn Rate", "Speed", "Speed Increase", "Spread", "Start Animation", "Start Distance",
        "Start Size", "Start Sound", "Start Spin", "Start Width", "Stick To Edge", "Stop BGM on Death",
        "Store Identifier", "Syncronize Animation", "Taking Damage Anim.", "Taking Damage Sound", "Text", "Texture",
        "Tiling Offset", "Time", "Time Warp", "Timeout", "Torque", "Total Particles", "Touch Emulation", "Tracking",
        "Type", "UI", "URL", "Unlimited Use", "Unlock", "Unlock Button", "Unlock No", "Unlock Suggestion",
        "Unlock Type", "Unlock Yes", "Velocity Drag", "Version Number", "Visibility Threshold", "Wake Up",
        "WakeUp Sound", "Wakeup Distance", "Wave Height", "Wave Length", "Web Link", "Width", "World",
        "World Space", "Z Depth", "ZK Version", "animation", "animations", "animationsX", "animationsY",
        "attributeName", "attributesCount", "children", "color", "connectedModelId", "desktop", "enum",
        "fullscreen", "gradients", "height", "isEmpty", "isXEmpty", "isYEmpty", "lang", "oneWayCollisionVector",
        "padding", "platformSpecificValues", "points", "pos", "preset", "state", "variableValue", "volume", "web",
        "width"};
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
