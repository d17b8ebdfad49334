#include "eclipse/besselian_elements.h"

#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>
#include <vector>

#include "eclipse/decimal.h"

namespace eclipse {

const char kEclipseCredit[] = "Eclipse Predictions by Fred Espenak, NASA's GSFC";

namespace {

const char kHeading[] = "Polynomial Besselian Elements for:";

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string word;
  while (in >> word) out.push_back(word);
  return out;
}

// The number that follows "<key> =" on |line|, or false when the key is absent or the value is
// not a number. Sets *found when the key is on the line.
bool valueAfter(const std::string& line, const std::string& key, double* value, bool* found) {
  size_t at = line.find(key);
  *found = at != std::string::npos;
  if (!*found) return false;
  std::vector<std::string> rest = words(line.substr(at + key.size()));
  if (rest.size() < 2 || rest[0] != "=") return false;
  return parseDecimal(rest[1], value);
}

int monthNumber(const std::string& name) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 12; ++i) {
    if (name == kMonths[i]) return i + 1;
  }
  return 0;
}

// "18.000" (decimal hours) or "18:00:00" / "18:00:00.0": the TT hour of t0.
bool toHour(const std::string& text, double* hour) {
  if (text.find(':') == std::string::npos) return parseDecimal(text, hour) && *hour >= 0 && *hour < 24;
  double h = 0, m = 0, s = 0;
  size_t a = text.find(':'), b = text.find(':', a + 1);
  if (b == std::string::npos || !parseDecimal(text.substr(0, a), &h) ||
      !parseDecimal(text.substr(a + 1, b - a - 1), &m) || !parseDecimal(text.substr(b + 1), &s)) {
    return false;
  }
  *hour = h + m / 60.0 + s / 3600.0;
  return h >= 0 && m >= 0 && m < 60 && s >= 0 && s < 60 && *hour < 24;
}

// The eclipse's kind from an "Eclipse Type = T" line or a "... Total Solar Eclipse of" title.
std::string kindIn(const std::string& line) {
  size_t at = line.find("Eclipse Type");
  if (at != std::string::npos) {
    std::vector<std::string> rest = words(line.substr(at + 12));
    if (rest.size() >= 2 && rest[0] == "=" && !rest[1].empty()) {
      switch (rest[1][0]) {
        case 'T':
          return "Total";
        case 'A':
          return "Annular";
        case 'H':
          return "Hybrid";
        case 'P':
          return "Partial";
      }
    }
  }
  static const char* const kKinds[] = {"Total", "Annular", "Hybrid", "Partial"};
  for (const char* kind : kKinds) {
    if (line.find(std::string(kind) + " Solar Eclipse") != std::string::npos) return kind;
  }
  return "";
}

// "Tan <f with hook>1" (the per-eclipse pages, U+0192) and "tan f1" (the canon) as one
// spelling: ASCII letters in lower case, the f with hook as f.
std::string foldTanF(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line.compare(i, 2, "\xC6\x92") == 0) {
      out += 'f';
      ++i;
    } else {
      char c = line[i];
      out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
  }
  return out;
}

bool fail(const std::string& name, int line, const std::string& reason, std::string* error) {
  *error = name + ":" + std::to_string(line) + ": " + reason;
  return false;
}

}  // namespace

bool parseElements(const std::string& text, const std::string& name, BesselianElements* out,
                   std::string* error) {
  BesselianElements e;
  e.source = name;
  bool haveHeading = false, haveTanF = false, haveDeltaT = false;
  int nextRow = -1;  // -1: before the heading; 0-3: the row expected next; 4: all rows read
  int lineNo = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> w = words(line);
    if (w.empty()) continue;
    if (e.kind.empty()) e.kind = kindIn(line);

    size_t heading = line.find(kHeading);
    if (heading != std::string::npos) {
      if (haveHeading) return fail(name, lineNo, "a second elements block", error);
      std::vector<std::string> f = words(line.substr(heading + sizeof kHeading - 1));
      double year = 0, day = 0;
      if (f.size() < 5 || !parseDecimal(f[0], &year) || year != std::floor(year) ||
          monthNumber(f[1]) == 0 || !parseDecimal(f[2], &day) || day != std::floor(day) || day < 1 ||
          day > 31 || !toHour(f[3], &e.t0TtHours) || f[4] != "TDT") {
        return fail(name, lineNo,
                    "the t0 line must read \"" + std::string(kHeading) +
                        " <yyyy> <Mon> <dd> <hh.hhh> TDT (=t0)\"",
                    error);
      }
      e.year = static_cast<int>(year);
      e.month = monthNumber(f[1]);
      e.day = static_cast<int>(day);
      haveHeading = true;
      nextRow = 0;
      continue;
    }

    if (nextRow >= 0 && nextRow < 4) {
      if (w[0] == "n") continue;  // the column heading "n x y d l1 l2 mu"
      // Rows 0 and 1 carry all six elements; the per-eclipse pages leave the zero mu of row 2
      // and everything but x and y of row 3 blank.
      size_t count = w.size() - 1;
      bool shapeOk = count == 6 || (nextRow == 2 && count == 5) || (nextRow == 3 && count == 2);
      double values[6] = {};
      bool ok = shapeOk && w[0] == std::to_string(nextRow);
      for (size_t i = 0; ok && i < count; ++i) ok = parseDecimal(w[i + 1], &values[i]);
      if (!ok) {
        return fail(name, lineNo,
                    "row " + std::to_string(nextRow) + " of the elements must be \"" +
                        std::to_string(nextRow) + "\" and its numbers (x y d l1 l2 mu)",
                    error);
      }
      e.x[nextRow] = values[0];
      e.y[nextRow] = values[1];
      if (nextRow < 3) {
        e.d[nextRow] = values[2];
        e.l1[nextRow] = values[3];
        e.l2[nextRow] = values[4];
        e.mu[nextRow] = values[5];
      }
      ++nextRow;
      continue;
    }

    bool found1 = false, found2 = false;
    double f1 = 0, f2 = 0;
    std::string folded = foldTanF(line);
    bool ok1 = valueAfter(folded, "tan f1", &f1, &found1);
    bool ok2 = valueAfter(folded, "tan f2", &f2, &found2);
    if (found1 || found2) {
      if (!ok1 || !ok2 || f1 <= 0 || f2 <= 0 || f1 > 0.01 || f2 > 0.01) {
        return fail(name, lineNo, "the line must read \"tan f1 = <value> tan f2 = <value>\"",
                    error);
      }
      e.tanF1 = f1;
      e.tanF2 = f2;
      haveTanF = true;
      continue;
    }

    static const char* const kDeltaT[] = {"\xCE\x94T", "&Delta;T", "Delta T"};
    for (const char* key : kDeltaT) {
      bool found = false;
      double value = 0;
      bool ok = valueAfter(line, key, &value, &found);
      if (!found) continue;
      size_t at = line.find(key);
      std::vector<std::string> rest = words(line.substr(at + std::string(key).size()));
      if (!ok || rest.size() < 3 || rest[2] != "s") {
        return fail(name, lineNo, "the Delta T line must read \"\xCE\x94T = <seconds> s\"", error);
      }
      e.deltaTPrintedS = value;
      haveDeltaT = true;
      break;
    }
  }

  if (!haveHeading) {
    return fail(name, lineNo, "no \"" + std::string(kHeading) + " ... TDT (=t0)\" line", error);
  }
  if (nextRow < 4) {
    return fail(name, lineNo, "the elements end before row " + std::to_string(nextRow), error);
  }
  if (!haveTanF) return fail(name, lineNo, "no \"tan f1 = ... tan f2 = ...\" line", error);
  if (!haveDeltaT) return fail(name, lineNo, "no \"\xCE\x94T = ... s\" line", error);
  if (e.l1[0] <= 0.0 || e.mu[1] < 14.0 || e.mu[1] > 16.0) {
    return fail(name, lineNo, "the elements are not those of a solar eclipse (l1, mu)", error);
  }
  *out = e;
  return true;
}

bool readElementsFile(const std::string& path, BesselianElements* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(path, 0, "cannot be read", error);
  std::stringstream text;
  text << in.rdbuf();
  if (in.bad()) return fail(path, 0, "cannot be read", error);
  return parseElements(text.str(), path, out, error);
}

}  // namespace eclipse
