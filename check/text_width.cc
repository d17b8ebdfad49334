#include "check/text_width.h"

#include <cstdint>

namespace {

// Advance widths of the printable ASCII characters (space to '~') in thousandths of an em,
// rounded up: DejaVu Sans Book and Bold.
const uint16_t kBook[95] = {
    318, 401, 460, 838, 637, 951, 780, 275, 391, 391, 500, 838, 318, 361,  318, 337, 637, 637, 637,
    637, 637, 637, 637, 637, 637, 637, 337, 337, 838, 838, 838, 531, 1000, 685, 687, 699, 771, 632,
    576, 775, 752, 295, 295, 656, 558, 863, 749, 788, 604, 788, 695, 635,  611, 732, 685, 989, 686,
    611, 686, 391, 337, 391, 838, 500, 500, 613, 635, 550, 635, 616, 353,  635, 634, 278, 278, 580,
    278, 975, 634, 612, 635, 635, 412, 521, 393, 634, 592, 818, 592, 592,  525, 637, 337, 637, 838,
};
const uint16_t kBold[95] = {
    349,  457, 521, 838, 696, 1002, 873, 307,  458, 458, 523, 838, 380, 416,  380, 366,
    696,  696, 696, 696, 696, 696,  696, 696,  696, 696, 400, 400, 838, 838,  838, 581,
    1000, 774, 763, 734, 831, 684,  684, 821,  837, 373, 373, 775, 638, 996,  837, 851,
    733,  851, 771, 721, 683, 813,  774, 1104, 771, 725, 726, 458, 366, 458,  838, 500,
    500,  675, 716, 593, 716, 679,  436, 716,  712, 343, 343, 666, 343, 1042, 712, 688,
    716,  716, 494, 596, 479, 712,  652, 924,  646, 652, 583, 712, 366, 712,  838,
};

}  // namespace

double textWidth(const std::string& text, double size, bool bold) {
  const uint16_t* widths = bold ? kBold : kBook;
  double units = 0;
  for (unsigned char c : text) {
    if (c >= 0x20 && c <= 0x7e) {
      units += widths[c - 0x20];
    } else if ((c & 0xC0) != 0x80) {
      units += 1000;  // the first byte of a character outside ASCII, or a control byte
    }
  }
  return units / 1000.0 * size;
}
