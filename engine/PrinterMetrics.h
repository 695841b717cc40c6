// What the poster geometry and the print engine need to know of the current printer.
#pragma once

// Areas are in thousandths of an inch (device pixels × 1000 / dots per inch, integer division).
// A default-made record is the stand-in used while no printer can be reached: 600 × 600 dots
// per inch and letter paper (8.5 × 11 inches, 8.1 × 10 printable).
struct PrinterMetrics {
  int dpiX = 600;
  int dpiY = 600;  // not used by the geometry: the horizontal resolution serves both directions
  int printableWidth = 8100;
  int printableHeight = 10000;
  int paperWidth = 8500;
  int paperHeight = 11000;
};
