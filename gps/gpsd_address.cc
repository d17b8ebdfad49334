// The "-site" value that asks for the receiver: "gps", "gps:<host>" or "gps:<host>:<port>".
#include <string>

#include "gps/gpsd_reader.h"

namespace gps {

bool parseGpsSite(const std::string& text, GpsdAddress* address) {
  GpsdAddress parsed;
  if (text == "gps") {
    *address = parsed;
    return true;
  }
  if (text.compare(0, 4, "gps:") != 0) return false;
  const std::string rest = text.substr(4);
  // A bracketed IPv6 host keeps its colons: "gps:[::1]:2947".
  size_t hostEnd = std::string::npos;
  if (!rest.empty() && rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos || close == 1) return false;
    parsed.host = rest.substr(1, close - 1);
    hostEnd = close + 1;
    if (hostEnd < rest.size() && rest[hostEnd] != ':') return false;
  } else {
    hostEnd = rest.find(':');
    parsed.host = rest.substr(0, hostEnd);
  }
  if (parsed.host.empty()) return false;
  if (hostEnd != std::string::npos && hostEnd < rest.size()) {
    parsed.port = rest.substr(hostEnd + 1);
    if (parsed.port.empty() || parsed.port.size() > 5 ||
        parsed.port.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
  }
  *address = parsed;
  return true;
}

}  // namespace gps
