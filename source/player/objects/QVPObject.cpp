#include "player/objects/QVPObject.h"

#include <utility>

#include "model/classes/QVModelObject.h"

QVPObject::QVPObject(std::shared_ptr<QVModelObject> model) : m_model(std::move(model)) {}

QVPObject::~QVPObject() = default;

void QVPObject::setState(int32_t state) { m_state = state; }
