// The path's lines in a picture of their own (colour and depth), kept between frames. A frame
// puts the layer over what it drew before (the scene and the works) in one pass, with the
// depth test of the lines, instead of drawing every kept line again; a growing path draws
// only its new lines into the layer. Over any picture the pass leaves the pixels that
// drawing the same lines there in the same order would leave (a line wins where its depth
// is at most the picture's, and of the lines at a pixel the last of the nearest shows), so
// it serves only lines drawn without blending.
// GL, no widgets; a context without shaders or framebuffer objects has no layer.
#pragma once
#include <cstdint>

#include "mainwin/view/path_retained.h"
#include "platform/gl/gl_surface.h"

class QOpenGLContext;

class PathLayer {
 public:
  PathLayer() = default;
  ~PathLayer();
  PathLayer(const PathLayer&) = delete;
  PathLayer& operator=(const PathLayer&) = delete;

  // What the lines' pixels depend on in the current context besides the lines themselves:
  // the matrices, the viewport, the depth range and the clip planes.
  static std::uint64_t view_key();

  // Ready for a w x h target in the current context (made or remade as needed); false when
  // the context cannot hold a layer. A new size or context empties the layer.
  bool ready(int w, int h);
  // Whether the layer holds exactly the lines kept under `lines`, drawn in view `view`.
  bool holds(std::uint64_t view, const PathRetainedKey& lines) const {
    return valid_ && view_ == view && lines_ == lines;
  }
  // After a whole drawing: the layer holds these lines in this view.
  void set(std::uint64_t view, const PathRetainedKey& lines) {
    valid_ = true;
    view_ = view;
    lines_ = lines;
  }
  void forget() { valid_ = false; }

  // Lines drawn from here until end() go into the layer (emptied first when `fresh`).
  void begin(bool fresh);
  void end();
  // The layer over the current draw framebuffer, colour and depth, for the pixels its
  // lines cover; only within the window box of `within` (what the layer holds lies in it)
  // when given, under the current matrices and viewport.
  void put(const PathBounds* within = nullptr);

 private:
  bool make(int w, int h);
  void drop();

  QOpenGLContext* ctx_ = nullptr;
  bool failed_ = false;  // this context cannot hold a layer
  GLuint fbo_ = 0, colour_ = 0, depth_ = 0, program_ = 0;
  GLint at_size_ = -1, at_colour_ = -1, at_depth_ = -1;
  int w_ = 0, h_ = 0;
  GLint saved_draw_ = 0, saved_read_ = 0;
  bool open_ = false;
  bool valid_ = false;
  std::uint64_t view_ = 0;
  PathRetainedKey lines_;
};
