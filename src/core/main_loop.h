// The show's clock and its only point of control: one pass per frame.
#pragma once

class D3DWindow;
class MusicPlayer;
class render_to_texture;
class DemoTimeline;

// Runs until Escape or the end of the show; returns the frames presented.
int runMainLoop(D3DWindow& window, MusicPlayer& music, render_to_texture& frame,
                DemoTimeline& timeline);
