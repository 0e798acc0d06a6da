// Shades, box-drawing and block characters drawn from the cell's geometry.
#include "platform/window/box_drawing.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

enum Line : uint8_t { kNone = 0, kSingle = 1, kDouble = 2 };

// The arms of a box-drawing character. In code page 437 the arms of one axis share a style.
struct Arms {
  Line up, down, left, right;
};

constexpr Arms A_(Line u, Line d, Line l, Line r) { return {u, d, l, r}; }
constexpr Line N = kNone, S = kSingle, D = kDouble;
// ORDER: codes 179 to 218.
constexpr std::array<Arms, 40> kBoxArms = {{
    A_(S, S, N, N),  // 179 │
    A_(S, S, S, N),  // 180 ┤
    A_(S, S, D, N),  // 181 ╡
    A_(D, D, S, N),  // 182 ╢
    A_(N, D, S, N),  // 183 ╖
    A_(N, S, D, N),  // 184 ╕
    A_(D, D, D, N),  // 185 ╣
    A_(D, D, N, N),  // 186 ║
    A_(N, D, D, N),  // 187 ╗
    A_(D, N, D, N),  // 188 ╝
    A_(D, N, S, N),  // 189 ╜
    A_(S, N, D, N),  // 190 ╛
    A_(N, S, S, N),  // 191 ┐
    A_(S, N, N, S),  // 192 └
    A_(S, N, S, S),  // 193 ┴
    A_(N, S, S, S),  // 194 ┬
    A_(S, S, N, S),  // 195 ├
    A_(N, N, S, S),  // 196 ─
    A_(S, S, S, S),  // 197 ┼
    A_(S, S, N, D),  // 198 ╞
    A_(D, D, N, S),  // 199 ╟
    A_(D, N, N, D),  // 200 ╚
    A_(N, D, N, D),  // 201 ╔
    A_(D, N, D, D),  // 202 ╩
    A_(N, D, D, D),  // 203 ╦
    A_(D, D, N, D),  // 204 ╠
    A_(N, N, D, D),  // 205 ═
    A_(D, D, D, D),  // 206 ╬
    A_(S, N, D, D),  // 207 ╧
    A_(D, N, S, S),  // 208 ╨
    A_(N, S, D, D),  // 209 ╤
    A_(N, D, S, S),  // 210 ╥
    A_(D, N, N, S),  // 211 ╙
    A_(S, N, N, D),  // 212 ╘
    A_(N, S, N, D),  // 213 ╒
    A_(N, D, N, S),  // 214 ╓
    A_(D, D, S, S),  // 215 ╫
    A_(S, S, D, D),  // 216 ╪
    A_(S, N, S, N),  // 217 ┘
    A_(N, S, N, S),  // 218 ┌
}};
constexpr uint8_t kFirstBoxCode = 179;

// A half-open run of pixels [begin, end).
struct Span {
  int begin, end;
};

// Where the strokes of one axis lie: a double line's outer strokes enclose the single stroke's place.
struct Bands {
  Span near, middle, far;  // near and far: a double line's strokes; middle: a single line
  int extent;
};

Bands bands_for(int extent) {
  const int t = line_stroke(extent);
  const int begin = std::max(0, (extent - 3 * t) / 2);
  return {{begin, begin + t}, {begin + t, begin + 2 * t}, {begin + 2 * t, std::min(extent, begin + 3 * t)}, extent};
}

class Canvas {
 public:
  Canvas(int width, int height, uint8_t* coverage) : width_(width), height_(height), coverage_(coverage) {}
  void fill(Span x, Span y, uint8_t value) {
    for (int row = std::max(0, y.begin); row < std::min(height_, y.end); ++row) {
      for (int column = std::max(0, x.begin); column < std::min(width_, x.end); ++column) {
        coverage_[row * width_ + column] = value;
      }
    }
  }

 private:
  int width_, height_;
  uint8_t* coverage_;
};

// Arms of one line style meeting in the middle: each arm runs from its edge across the band
// of the other axis, so corners and crossings close. `band_x` holds the vertical arms,
// `band_y` the horizontal ones; value 0 erases.
void draw_arms(Canvas& canvas, bool up, bool down, bool left, bool right, Span band_x, Span band_y, const Bands& x,
               const Bands& y, uint8_t value) {
  if (up) canvas.fill(band_x, {0, band_y.end}, value);
  if (down) canvas.fill(band_x, {band_y.begin, y.extent}, value);
  if (left) canvas.fill({0, band_x.end}, band_y, value);
  if (right) canvas.fill({band_x.begin, x.extent}, band_y, value);
}

void draw_box(Canvas& canvas, Arms arms, const Bands& x, const Bands& y) {
  const bool up = arms.up != kNone, down = arms.down != kNone, left = arms.left != kNone, right = arms.right != kNone;
  const bool double_vertical = arms.up == kDouble || arms.down == kDouble;
  const bool double_horizontal = arms.left == kDouble || arms.right == kDouble;
  const Span thick_x{x.near.begin, x.far.end}, thick_y{y.near.begin, y.far.end};

  if (double_vertical && double_horizontal) {
    // A thick cross minus a thin one leaves the two strokes of every arm, joined as they should be.
    draw_arms(canvas, up, down, left, right, thick_x, thick_y, x, y, 255);
    draw_arms(canvas, up, down, left, right, x.middle, y.middle, x, y, 0);
    return;
  }
  if (double_horizontal) {
    // Two horizontal strokes. A single vertical line crosses both; a single arm alone meets
    // the nearer stroke when the double line runs on to both sides, else both strokes.
    const bool through = left && right;
    const Span reach{left ? 0 : x.middle.begin, right ? x.extent : x.middle.end};
    canvas.fill(reach, y.near, 255);
    canvas.fill(reach, y.far, 255);
    if (up && down) canvas.fill(x.middle, {0, y.extent}, 255);
    else if (up) canvas.fill(x.middle, {0, through ? y.near.end : y.far.end}, 255);
    else if (down) canvas.fill(x.middle, {through ? y.far.begin : y.near.begin, y.extent}, 255);
    return;
  }
  if (double_vertical) {
    const bool through = up && down;
    const Span reach{up ? 0 : y.middle.begin, down ? y.extent : y.middle.end};
    canvas.fill(x.near, reach, 255);
    canvas.fill(x.far, reach, 255);
    if (left && right) canvas.fill({0, x.extent}, y.middle, 255);
    else if (left) canvas.fill({0, through ? x.near.end : x.far.end}, y.middle, 255);
    else if (right) canvas.fill({through ? x.far.begin : x.near.begin, x.extent}, y.middle, 255);
    return;
  }
  draw_arms(canvas, up, down, left, right, x.middle, y.middle, x, y, 255);
}

}  // namespace

int line_stroke(int cell_extent) { return std::max(1, (cell_extent + 4) / 8); }

void draw_geometric_glyph(uint8_t code, int width, int height, uint8_t* coverage) {
  std::memset(coverage, 0, static_cast<size_t>(width) * static_cast<size_t>(height));
  Canvas canvas(width, height, coverage);
  const Span all_x{0, width}, all_y{0, height};
  switch (code) {
    case 176: canvas.fill(all_x, all_y, 64); break;   // light shade
    case 177: canvas.fill(all_x, all_y, 128); break;  // medium shade
    case 178: canvas.fill(all_x, all_y, 192); break;  // dark shade
    case 219: canvas.fill(all_x, all_y, 255); break;  // full block
    case 220: canvas.fill(all_x, {height / 2, height}, 255); break;  // lower half
    case 221: canvas.fill({0, width / 2}, all_y, 255); break;         // left half
    case 222: canvas.fill({width / 2, width}, all_y, 255); break;     // right half
    case 223: canvas.fill(all_x, {0, height / 2}, 255); break;        // upper half
    default:
      if (code >= kFirstBoxCode && code < kFirstBoxCode + kBoxArms.size()) {
        draw_box(canvas, kBoxArms[code - kFirstBoxCode], bands_for(width), bands_for(height));
      }
  }
}
