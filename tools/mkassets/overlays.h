// Pictures laid over the whole screen: the frame that every scene multiplies
// on, and the top images and overlays that are clear in the middle.
#pragma once

#include "canvas.h"

class TextRenderer;

// Mid grey (128) everywhere inside `border` pixels of the edge, which the
// doubled multiply leaves unchanged; a warm frame at the edge.
Canvas frameOverlay(int width, int height, int border);

// The pulse scene's top image: a bar at the top with the show's name and one
// at the bottom, clear between them.
Canvas topAndBottomBars(int width, int height, TextRenderer& bold);

// The text scene's top image: ornaments in the four corners, grey on clear.
Canvas cornerOrnaments(int size);

// The text scene's overlays are drawn shifted by a fifth of their height:
// texture row v lands on screen row v + 0.2 (wrapping), so a band around
// v = 0.8 shows at the screen's top and bottom edges. Style picks colour and
// pattern.
enum class OverlayStyle { CoolBars, WarmChecks, WhiteDots };
Canvas shiftedEdgeOverlay(int width, int height, OverlayStyle style);
