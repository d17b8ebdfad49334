#include "check/svg_writer.h"

#include <cmath>
#include <cstdio>

std::string svgNumber(double value) {
  if (!std::isfinite(value)) value = 0.0;
  char text[48];
  std::snprintf(text, sizeof(text), "%.2f", value);
  std::string s(text);
  // The C locale is never changed for numbers (only LC_TIME is adopted), so '.' is the point.
  while (s.size() > 1 && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

namespace {

// The length of the valid UTF-8 sequence at |i|, or 0 when the bytes there are not one.
size_t utf8Length(const std::string& text, size_t i) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

}  // namespace

std::string SvgWriter::escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t n = utf8Length(text, i);
      if (n == 0) {
        out += '?';
      } else {
        out.append(text, i, n);
        i += n - 1;
      }
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out += '?';
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

SvgWriter::SvgWriter(double width, double height) : width_(width), height_(height) {}

void SvgWriter::rect(double x, double y, double w, double h, const std::string& fill,
                     const std::string& title, const std::string& attrs) {
  body_ += "<rect x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" width=\"" +
           svgNumber(w < 0 ? 0 : w) + "\" height=\"" + svgNumber(h < 0 ? 0 : h) + "\" fill=\"" +
           escape(fill) + "\"";
  if (!attrs.empty()) body_ += " " + attrs;
  if (title.empty()) {
    body_ += "/>\n";
  } else {
    body_ += "><title>" + escape(title) + "</title></rect>\n";
  }
}

void SvgWriter::line(double x1, double y1, double x2, double y2, const std::string& stroke,
                     double width, const std::string& attrs) {
  body_ += "<line x1=\"" + svgNumber(x1) + "\" y1=\"" + svgNumber(y1) + "\" x2=\"" + svgNumber(x2) +
           "\" y2=\"" + svgNumber(y2) + "\" stroke=\"" + escape(stroke) + "\" stroke-width=\"" +
           svgNumber(width) + "\"";
  if (!attrs.empty()) body_ += " " + attrs;
  body_ += "/>\n";
}

void SvgWriter::text(double x, double y, const std::string& content, double size,
                     const std::string& fill, const std::string& anchor, const std::string& attrs) {
  body_ += "<text x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" font-size=\"" +
           svgNumber(size) + "\" fill=\"" + escape(fill) + "\" text-anchor=\"" + escape(anchor) +
           "\"";
  if (!attrs.empty()) body_ += " " + attrs;
  body_ += ">" + escape(content) + "</text>\n";
}

void SvgWriter::beginGroup(const std::string& className) {
  body_ += "<g class=\"" + escape(className) + "\">\n";
}

void SvgWriter::endGroup() { body_ += "</g>\n"; }

std::string SvgWriter::document() const {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         svgNumber(width_) + "\" height=\"" + svgNumber(height_) + "\" viewBox=\"0 0 " +
         svgNumber(width_) + " " + svgNumber(height_) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n<rect x=\"0\" y=\"0\" width=\"" +
         svgNumber(width_) + "\" height=\"" + svgNumber(height_) + "\" fill=\"#ffffff\"/>\n" +
         body_ + "</svg>\n";
}
