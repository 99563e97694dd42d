// The switch-state map: one program-wide, unsaved table from a switch
// button's model (by identity) to its on/off state, so that a rebuilt
// screen shows a switch as it was left.
//
// Guarantees: a model is told apart by identity, never by address reuse (an
// entry of a destroyed model can never answer for a new one); entries hold
// no model alive.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

class QVModel;

// The stored state of the model's switch; none when nothing is stored.
std::optional<bool> switchState(const std::shared_ptr<const QVModel>& model);
// Stores the state, inserting the model when missing; a null model is
// ignored.
void setSwitchState(const std::shared_ptr<const QVModel>& model, bool on);
// Negates every stored state.
void flipAllSwitchStates();
// Empties the table.
void clearSwitchStates();
std::size_t switchStateCount();
