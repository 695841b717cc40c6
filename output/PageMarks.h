// Cut marks and labels in the frame around a page's part of the poster.
#pragma once

#include "output/PageLayout.h"

class CPrintDevice;

// Draws on the open page (column, row) of layout what extras ask for: short marks in the frame
// continuing each cut line that crosses the page, and the page's label with its neighbours' by
// each edge. Nothing without a frame. rowsPerPx: device rows per horizontal printer pixel.
void DrawPageMarks(CPrintDevice& device, const PageLayout& layout, int column, int row,
                   const PrintExtras& extras, double rowsPerPx);

// Text of the labels: "B2" for the page, and the neighbour's label with its side ("above: B1"),
// empty where the poster ends.
[[nodiscard]] std::string NeighbourText(const PageLayout& layout, int column, int row, int dx,
                                        int dy);
