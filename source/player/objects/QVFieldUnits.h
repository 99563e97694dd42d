// The game field's units: Box2D works in metres and radians, the field's
// nodes in points and degrees.
#pragma once

constexpr float kMetresPerPoint = 0.05f;
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kRadiansToDegrees = 57.29578f;
