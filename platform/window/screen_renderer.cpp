// The composed screen on the GPU.
#include "platform/window/screen_renderer.h"

#include <GL/glew.h>

#include "platform/window/screen_image.h"

Scaling scaling_from_mode(int32_t scaling_mode) {
  switch (scaling_mode) {
    case 1: return Scaling::kStretched;
    case 2: return Scaling::kSmoothed;
    default: return Scaling::kUnscaled;
  }
}

PictureRect picture_rect(Scaling scaling, int picture_width, int picture_height, int window_width, int window_height) {
  if (scaling == Scaling::kUnscaled) return {0, 0, picture_width, picture_height};
  return {0, 0, window_width, window_height};
}

bool ScreenRenderer::init() {
  glewExperimental = GL_TRUE;  // core entry points of contexts that do not list their extensions
  if (glewInit() != GLEW_OK) return false;
  use_blit_ = GLEW_VERSION_3_0 || GLEW_ARB_framebuffer_object;
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  if (use_blit_) glGenFramebuffers(1, &framebuffer_);
  return true;
}

void ScreenRenderer::upload(const ScreenImage& image, bool whole) {
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (image.width() != width_ || image.height() != height_) {
    width_ = image.width();
    height_ = image.height();
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels());
    if (use_blit_) {
      glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
      glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
      if (glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) use_blit_ = false;
      glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    }
    return;
  }
  const int top = whole ? 0 : image.changed_top();
  const int bottom = whole ? height_ : image.changed_bottom();
  if (bottom <= top) return;
  // Texture row 0 is the picture's top row: the flip happens when the texture is drawn.
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, top, width_, bottom - top, GL_RGBA, GL_UNSIGNED_BYTE,
                  image.pixels() + static_cast<size_t>(top) * width_ * 4);
}

void ScreenRenderer::draw(Scaling scaling, int window_width, int window_height) {
  glViewport(0, 0, window_width, window_height);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  if (width_ == 0) return;
  const PictureRect rect = picture_rect(scaling, width_, height_, window_width, window_height);
  const GLenum filter = scaling == Scaling::kSmoothed ? GL_LINEAR : GL_NEAREST;
  // GL counts rows from the bottom, the picture from the top.
  const int bottom = window_height - rect.y - rect.height;
  if (use_blit_) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width_, height_, rect.x, bottom + rect.height, rect.x + rect.width, bottom,
                      GL_COLOR_BUFFER_BIT, filter);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return;
  }
  // Without frame buffer objects: the texture on a quad of the old fixed pipeline.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
  glViewport(rect.x, bottom, rect.width, rect.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1); glVertex2f(-1, -1);
  glTexCoord2f(1, 1); glVertex2f(1, -1);
  glTexCoord2f(1, 0); glVertex2f(1, 1);
  glTexCoord2f(0, 0); glVertex2f(-1, 1);
  glEnd();
  glDisable(GL_TEXTURE_2D);
}
