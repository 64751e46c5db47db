// The EMF file of a canvas: the same primitive list as the screen, as enhanced-metafile
// records built by libUEMF. The reference device is the picture at 96 dpi. Pictures placed
// in the list (the 3D view) are not written: only tool drawings go to EMF. No Qt.
#pragma once
#include <string>

#include "tooling/core/g2_canvas.h"

// The face name the title and footer ask for: the system's monospaced Japanese font.
extern const char* const kEMF_font_face;  // CP932

// The whole file, or the empty text when libUEMF refused a record.
std::string emf_from_canvas(const TG2_canvas& c, int width, int height);
