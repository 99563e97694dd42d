// The state dump hook of the player binary, for scripted runs:
// QVP_STATE_DUMP=N:file[;M:file2...] writes the running world's state, as
// text, at the end of frame N's scheduler tick (after the frame's tick and
// draw, with or without GL). The value reads as ENGINE_SCREENSHOT's does.
//
// The text, every line ending in LF, floats "%.3f":
//     frame <n>
//     world gameover <0|1> paused <0|1> countdown <delay> lives <n|-1> key <world Key>
//     character <i> state <s> bits 0x<%08x> ground <0|1> invincible <0|1> pos <x> <y> vel <vx> <vy>
//     coins global|world <current> <best> <total>     (then points, distance)
//     objects units <n> powerups <n> copies <n> bodies <n>
//     hash <fieldStateHash, 16 lower-case hex digits>
// one character line per character of the scene's input controller, in its
// order; without a running world only "frame", "world none" and "hash"
// (all zero).
#pragma once

#include <string>
#include <vector>

class QVPScreenScene;

namespace statedump {

struct Request {
    unsigned int frame = 0;
    std::string path;
};

// An empty value is no request; on failure `error` says why.
bool parse(const std::string& value, std::vector<Request>* requests, std::string* error);

// The dump of `scene` (null: no running world) as it stands.
std::string text(unsigned int frame, const QVPScreenScene* scene);

// Reads QVP_STATE_DUMP and hooks the director's frames to write the
// requested dumps of ScreenManager's game scene. A malformed value is one
// line on standard error and in the log, and false: the caller must not
// start the loop. Replaces an earlier installation.
bool installFromEnvironment();
// Unhooks; the requests not yet written are dropped.
void uninstall();

}  // namespace statedump
