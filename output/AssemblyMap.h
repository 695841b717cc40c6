// The assembly map: one page with the whole poster small, the pages' cut lines and labels over
// it, and the poster's print size, to lay the trimmed pages out by.
#pragma once

#include "image/DibImage.h"
#include "output/PageLayout.h"
#include "output/PrintSource.h"

class CPrintDevice;
struct PrintJob;

// Draws the map on the open page of device. poster is what the pages print, read once more row
// by row for the small copy. False when that copy cannot be had (the map then holds the grid and
// labels alone).
bool PrintAssemblyMap(CPrintDevice& device, CPrintSource& poster, const PageLayout& layout,
                      const PrintJob& job);

// "Assembly map: 30.00 x 20.00 inches (76.2 x 50.8 cm) on 3 x 2 pages"
[[nodiscard]] std::string MapTitle(const PrintJob& job);
