// Tests of the glyphs drawn from cell geometry: strokes meet the cell's edges where the
// neighbours' strokes do, and junctions join exactly the strokes they should.
#include "platform/window/box_drawing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Cell {
  int width, height;
  std::vector<uint8_t> coverage;
  Cell(uint8_t code, int w, int h) : width(w), height(h), coverage(static_cast<size_t>(w) * h) {
    draw_geometric_glyph(code, w, h, coverage.data());
  }
  bool on(int x, int y) const { return coverage[y * width + x] != 0; }
};

// The covered pixels along one edge as a string of '#' and '.'.
std::string edge(const Cell& cell, char side) {
  std::string pixels;
  const bool across = side == 'u' || side == 'd';
  const int length = across ? cell.width : cell.height;
  for (int i = 0; i < length; ++i) {
    const int x = across ? i : (side == 'l' ? 0 : cell.width - 1);
    const int y = across ? (side == 'u' ? 0 : cell.height - 1) : i;
    pixels += cell.on(x, y) ? '#' : '.';
  }
  return pixels;
}

// What the edge of an arm of that style looks like: the stroke bands of a cell of that extent.
std::string arm_edge(char style, int extent) {
  const int t = line_stroke(extent);
  const int begin = (extent - 3 * t) / 2;
  std::string pixels(static_cast<size_t>(extent), '.');
  for (int i = 0; i < extent; ++i) {
    const bool single = i >= begin + t && i < begin + 2 * t;
    const bool twin = (i >= begin && i < begin + t) || (i >= begin + 2 * t && i < begin + 3 * t);
    if ((style == 's' && single) || (style == 'd' && twin)) pixels[static_cast<size_t>(i)] = '#';
  }
  return pixels;
}

// Separate strokes in the cell: 4-connected groups of covered pixels.
int strokes(const Cell& cell) {
  std::vector<bool> seen(cell.coverage.size());
  int groups = 0;
  for (int start = 0; start < static_cast<int>(cell.coverage.size()); ++start) {
    if (seen[start] || cell.coverage[start] == 0) continue;
    ++groups;
    std::vector<int> stack{start};
    seen[start] = true;
    while (!stack.empty()) {
      const int at = stack.back();
      stack.pop_back();
      const int x = at % cell.width, y = at / cell.width;
      const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (const auto& n : next) {
        if (n[0] < 0 || n[1] < 0 || n[0] >= cell.width || n[1] >= cell.height) continue;
        const int index = n[1] * cell.width + n[0];
        if (!seen[index] && cell.coverage[index] != 0) {
          seen[index] = true;
          stack.push_back(index);
        }
      }
    }
  }
  return groups;
}

// Arms up, down, left, right: '.' none, 's' single, 'd' double; and the separate strokes.
struct BoxCase {
  int code;
  const char* arms;
  int strokes;
};
const BoxCase kBoxCases[] = {
    {179, "ss..", 1}, {180, "sss.", 1}, {181, "ssd.", 1}, {182, "dds.", 2}, {183, ".ds.", 1}, {184, ".sd.", 1},
    {185, "ddd.", 3}, {186, "dd..", 2}, {187, ".dd.", 2}, {188, "d.d.", 2}, {189, "d.s.", 1}, {190, "s.d.", 1},
    {191, ".ss.", 1}, {192, "s..s", 1}, {193, "s.ss", 1}, {194, ".sss", 1}, {195, "ss.s", 1}, {196, "..ss", 1},
    {197, "ssss", 1}, {198, "ss.d", 1}, {199, "dd.s", 2}, {200, "d..d", 2}, {201, ".d.d", 2}, {202, "d.dd", 3},
    {203, ".ddd", 3}, {204, "dd.d", 3}, {205, "..dd", 2}, {206, "dddd", 4}, {207, "s.dd", 2}, {208, "d.ss", 1},
    {209, ".sdd", 2}, {210, ".dss", 1}, {211, "d..s", 1}, {212, "s..d", 1}, {213, ".s.d", 1}, {214, ".d.s", 1},
    {215, "ddss", 1}, {216, "ssdd", 1}, {217, "s.s.", 1}, {218, ".s.s", 1},
};
const int kCellSizes[][2] = {{12, 24}, {8, 16}, {9, 16}, {10, 20}, {16, 32}};

TEST(BoxDrawing, ArmsMeetTheEdgesWhereNeighboursJoinThem) {
  for (const auto& size : kCellSizes) {
    for (const BoxCase& c : kBoxCases) {
      const Cell cell(static_cast<uint8_t>(c.code), size[0], size[1]);
      const std::string where = std::to_string(c.code) + " in " + std::to_string(size[0]) + "x" + std::to_string(size[1]);
      EXPECT_EQ(edge(cell, 'u'), arm_edge(c.arms[0], size[0])) << where << " top";
      EXPECT_EQ(edge(cell, 'd'), arm_edge(c.arms[1], size[0])) << where << " bottom";
      EXPECT_EQ(edge(cell, 'l'), arm_edge(c.arms[2], size[1])) << where << " left";
      EXPECT_EQ(edge(cell, 'r'), arm_edge(c.arms[3], size[1])) << where << " right";
    }
  }
}

TEST(BoxDrawing, JunctionsJoinTheStrokesTheyShould) {
  for (const auto& size : kCellSizes) {
    for (const BoxCase& c : kBoxCases) {
      EXPECT_EQ(strokes(Cell(static_cast<uint8_t>(c.code), size[0], size[1])), c.strokes)
          << c.code << " in " << size[0] << "x" << size[1];
    }
  }
}

TEST(BoxDrawing, BlocksAndShadesFillTheirPartOfTheCell) {
  // Each case: the coverage of the top-left, top-right, bottom-left and bottom-right pixel.
  const struct { int code; uint8_t corners[4]; } cases[] = {
      {176, {64, 64, 64, 64}}, {177, {128, 128, 128, 128}}, {178, {192, 192, 192, 192}},
      {219, {255, 255, 255, 255}}, {220, {0, 0, 255, 255}}, {221, {255, 0, 255, 0}},
      {222, {0, 255, 0, 255}}, {223, {255, 255, 0, 0}},
  };
  for (const auto& size : kCellSizes) {
    for (const auto& c : cases) {
      const Cell cell(static_cast<uint8_t>(c.code), size[0], size[1]);
      const int w = size[0], h = size[1];
      const uint8_t corners[4] = {cell.coverage[0], cell.coverage[w - 1], cell.coverage[(h - 1) * w],
                                  cell.coverage[h * w - 1]};
      for (int i = 0; i < 4; ++i) EXPECT_EQ(corners[i], c.corners[i]) << c.code << " corner " << i;
      // Halves split the cell evenly, so upper and lower halves of a column meet without overlap.
      int covered = 0;
      for (uint8_t value : cell.coverage) covered += value == 255;
      if (c.code == 220 || c.code == 223) {
        EXPECT_EQ(covered, w * (c.code == 220 ? h - h / 2 : h / 2)) << c.code;
      }
    }
  }
}

}  // namespace
