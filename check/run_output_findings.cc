#include "check/run_output_findings.h"

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string runErrorFinding(const std::string& message) {
  if (message == "COM port not open") {
    return "flash without -com: a run prints \"COM port not open\"";
  }
  if (endsWith(message, ": Not supported")) {
    return "no table has this value: a run prints \"" + message + "\"";
  }
  if (message.compare(0, 9, "Wait for ") == 0 &&
      message.find(" does not happen at ") != std::string::npos) {
    return "a contact wait for a contact the site does not have: a run prints \"" + message + "\"";
  }
  if (endsWith(message, ": Device parameter invalid")) {
    return "the body does not offer this value: a run prints \"" + message + "\"";
  }
  return "a run prints the error \"" + message + "\"";
}

std::string skippedTextFinding(const std::string& lineText) {
  return "text no rule takes (a run prints \"Skip\" for it): \"" + lineText + "\"";
}
