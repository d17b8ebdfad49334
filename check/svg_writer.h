// SvgWriter: builds one SVG 1.1 document from rectangles, lines and texts, escaping every text and
// attribute value, with numbers written in a fixed, locale-independent form.
//
// Thread safety: an object is used by one thread.
#ifndef QUORVALE_APP_SVG_WRITER_H_
#define QUORVALE_APP_SVG_WRITER_H_

#include <string>

class SvgWriter {
 public:
  // A document of |width| x |height| user units with a white background.
  SvgWriter(double width, double height);

  // |attrs| is added as it stands after the generated attributes (e.g. "stroke-dasharray=\"4 2\"");
  // callers pass fixed attribute texts only, never script text.
  void rect(double x, double y, double w, double h, const std::string& fill,
            const std::string& title = "", const std::string& attrs = "");
  void line(double x1, double y1, double x2, double y2, const std::string& stroke, double width,
            const std::string& attrs = "");
  // |anchor| is "start", "middle" or "end".
  void text(double x, double y, const std::string& content, double size, const std::string& fill,
            const std::string& anchor = "start", const std::string& attrs = "");
  // Groups the following elements under a class name (for tests and styling); groups nest.
  void beginGroup(const std::string& className);
  void endGroup();

  // Adds what |other| has drawn (not its background), as it stands, after what is drawn here.
  void append(const SvgWriter& other) { body_ += other.body_; }

  // The whole document, closed.
  std::string document() const;

  // |text| with &, <, >, " and ' escaped, and bytes that XML does not allow (control bytes other
  // than tab, line feed and carriage return, and bytes that are no valid UTF-8) replaced by '?'.
  static std::string escape(const std::string& text);

 private:
  std::string body_;
  double width_;
  double height_;
};

// A number as SVG wants it: fixed point, at most two decimals, no locale.
std::string svgNumber(double value);

#endif  // QUORVALE_APP_SVG_WRITER_H_
