#include "check/svg_writer.h"

#include <gtest/gtest.h>

namespace {

// Numbers are short fixed point: no "-0", nothing that is not a number; markup is escaped.
// (Control bytes and broken UTF-8 are tested on a drawing parsed as XML, end to end.)
TEST(SvgWriterTest, WholeDocument) {
  SvgWriter svg(100, 50.5);
  svg.beginGroup("shots");
  svg.rect(1, 2, 3.5, -1, "#f00", "line 3: shot <1>");
  svg.endGroup();
  svg.line(0, 0.499999, -3.25, -0.001, "#000", 1.0 / 0.0, "stroke-dasharray=\"4 3\"");
  svg.text(5, 6, "18:29 & \"C2\"", 11, "#333", "middle");
  EXPECT_EQ(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"100\" height=\"50.5\" "
      "viewBox=\"0 0 100 50.5\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n"
      "<rect x=\"0\" y=\"0\" width=\"100\" height=\"50.5\" fill=\"#ffffff\"/>\n"
      "<g class=\"shots\">\n"
      "<rect x=\"1\" y=\"2\" width=\"3.5\" height=\"0\" fill=\"#f00\"><title>line 3: shot "
      "&lt;1&gt;</title></rect>\n"
      "</g>\n"
      "<line x1=\"0\" y1=\"0.5\" x2=\"-3.25\" y2=\"0\" stroke=\"#000\" stroke-width=\"0\" "
      "stroke-dasharray=\"4 3\"/>\n"
      "<text x=\"5\" y=\"6\" font-size=\"11\" fill=\"#333\" text-anchor=\"middle\">18:29 &amp; "
      "&quot;C2&quot;</text>\n"
      "</svg>\n",
      svg.document());
}

}  // namespace
