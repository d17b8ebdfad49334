// How wide a text is drawn in the timeline's font (DejaVu Sans, the first family the SVG names),
// from the font's own advance widths, so that the timeline can keep its labels apart.
//
// Thread safety: pure function.
#ifndef QUORVALE_CHECK_TEXT_WIDTH_H_
#define QUORVALE_CHECK_TEXT_WIDTH_H_

#include <string>

// The advance width of |text| (UTF-8) at font size |size|, in the same units as |size|. A
// character outside ASCII counts one em, wider than any of the font's common characters, so the
// figure errs on the wide side.
double textWidth(const std::string& text, double size, bool bold = false);

#endif  // QUORVALE_CHECK_TEXT_WIDTH_H_
