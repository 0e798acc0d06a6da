// The composed screen on the GPU: one texture, stretched onto the window.
#pragma once
#include <cstdint>

class ScreenImage;

// How the text screen meets the window (the host's scaling_mode).
enum class Scaling { kUnscaled = 0, kStretched = 1, kSmoothed = 2 };
Scaling scaling_from_mode(int32_t scaling_mode);

// The part of the window the picture covers, in window pixels from the top left.
struct PictureRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PictureRect&) const = default;
};
PictureRect picture_rect(Scaling scaling, int picture_width, int picture_height, int window_width, int window_height);

// Main thread only, with the window's GL context current.
class ScreenRenderer {
 public:
  // Loads the entry points with GLEW; false when the context cannot draw at all.
  bool init();
  // Sends the rows the last compose changed to the texture with one upload; the whole
  // picture when `whole` is set or its size changed.
  void upload(const ScreenImage& image, bool whole);
  // Draws the texture onto the window's back buffer.
  void draw(Scaling scaling, int window_width, int window_height);

 private:
  unsigned texture_ = 0;
  unsigned framebuffer_ = 0;  // reads the texture for the stretching blit
  bool use_blit_ = false;     // frame buffer objects available; else a textured quad
  int width_ = 0;
  int height_ = 0;
};
