// Building blocks for the procedural pictures. Everything repeats over the
// unit square, because the show samples its pictures with wrap addressing
// and scrolls and turns them: a seam would show.
#pragma once

#include <cstdint>

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318531f;

// Smooth value noise in [0, 1] on a period x period lattice over the unit
// square; the same seed gives the same pattern on every machine.
float tileNoise(float u, float v, int period, std::uint32_t seed);

// Octaves of tileNoise, each of twice the lattice and half the weight.
float tileFbm(float u, float v, int period, int octaves, std::uint32_t seed);

// Distance between two points of the unit torus, per axis.
float wrapDelta(float a, float b);

float fract(float x);
