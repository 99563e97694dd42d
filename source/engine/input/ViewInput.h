// (ours) What the window's event delivery calls into input, per loop
// iteration, after the window's own events and before the tick:
//
//   before frame 1      viewInputBeginRun()       false: run() returns 1
//   mouse, in order     viewInputMouseButton / viewInputMouseMove
//   Escape press        viewInputBack()
//   focus loss/iconify  viewInputCancelTouches()
//   then                viewInputDeliverScript(frame, target)
//   after the loop      viewInputEndRun()
//
// Positions are framebuffer pixels, origin at the window's top-left (the
// view scales cursor positions by framebuffer/window size first).
#pragma once

namespace cocos2d {

class InputScriptTarget;

// Loads ENGINE_INPUT_SCRIPT; on a missing file or a bad line logs one error
// naming the line and returns false.
bool viewInputBeginRun();
// The left button is touch 0: press begins it, release ends it.
void viewInputMouseButton(bool pressed, float x, float y);
// Moves touch 0 while it is held and the position changed.
void viewInputMouseMove(float x, float y);
// Held touches become cancelled.
void viewInputCancelTouches();
// keyBackClicked for every keypad delegate (the view sends each Escape
// press once; auto-repeat never gets here).
void viewInputBack();
// This frame's script events, in file order. `target` handles the window-level
// kinds (key, iconify, restore, quit); null uses the engine-only target.
void viewInputDeliverScript(unsigned int frame, InputScriptTarget* target);
// Forgets held touches and the script.
void viewInputEndRun();

}  // namespace cocos2d
