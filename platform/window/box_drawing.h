// Shades, box-drawing and block characters drawn from the cell's geometry, so that lines
// join without seams from one cell to the next whatever the font.
#pragma once
#include <cstdint>

inline constexpr uint8_t kFirstGeometricCode = 176;
inline constexpr uint8_t kLastGeometricCode = 223;
inline bool is_geometric_glyph(uint8_t code) { return code >= kFirstGeometricCode && code <= kLastGeometricCode; }

// The stroke of a single line for a cell of that width (vertical strokes) or height
// (horizontal strokes); a double line is two strokes with one stroke's gap between them.
int line_stroke(int cell_extent);

// Fills `coverage` (width x height bytes, row by row, 0 or 255 and the shade levels) with
// the glyph of a code from 176 to 223.
void draw_geometric_glyph(uint8_t code, int width, int height, uint8_t* coverage);
