// The eclipse commands of the parser: the site line and the waits relative to the contacts.
#include <cstdio>
#include <cstring>
#include <string>

#include "output/output.h"
#include "script/script_parser.h"
#include "script/value_parsing.h"

namespace {

// |text| without the blanks and line feeds at its ends.
std::string trimmed(const char* text) {
  std::string s(text);
  const size_t first = s.find_first_not_of(" \t\r\n\v\f");
  if (first == std::string::npos) return "";
  const size_t last = s.find_last_not_of(" \t\r\n\v\f");
  return s.substr(first, last - first + 1);
}

}  // namespace

void CQuorvaleScriptParser::doSite(const char* text) {
  checkStop();
  if (text == nullptr) return;
  std::string items = trimmed(text);
  items.erase(0, 4);  // the keyword "site", in any case
  eclipse::Site site;
  std::string error;
  if (!parseSiteItems(items, &site, &error)) {
    printErr("site%s: %s\n", items.c_str(), error.c_str());
    return;
  }
  if (eclipse_.setScriptSite(site)) {
    printTrace("Site: %s\n", eclipse::formatSite(site).c_str());
  } else {
    printTrace("Site line %s left aside: -site gave %s\n", eclipse::formatSite(site).c_str(),
               eclipse::formatSite(eclipse_.site()).c_str());
  }
}

void CQuorvaleScriptParser::doWaitContact(const char* text) {
  checkStop();
  if (text == nullptr || *text == '\0') return;
  std::string copy;
  char* value = copyValue(text, &copy);
  if (value == nullptr) return;
  const std::string whole = trimmed(text);
  ContactMoment moment;
  const size_t equals = whole.find('=');
  if (!parseContactName(trimmed(whole.substr(0, equals).c_str()), &moment.contact) ||
      !parseSignedDuration(value, &moment.offsetS)) {
    doSkip(text);  // the scanner only hands over well-formed waits
    return;
  }
  uint64_t target = 0;
  std::string error;
  const bool chosenBefore = eclipse_.resolved();
  const bool known = eclipse_.momentOf(moment, clock_->utcNow(), &target, &error);
  if (!chosenBefore && eclipse_.resolved()) {
    // The log keeps the contacts and the Delta T the waits are measured from.
    const eclipse::LocalCircumstances& lc = eclipse_.circumstances();
    char deltaT[64];
    std::snprintf(deltaT, sizeof(deltaT), ", Delta T %.1f s\n", lc.deltaTS);
    std::string logText = "Eclipse " + eclipse_.eclipseName() + " at " +
                          eclipse::formatSite(eclipse_.site()) + deltaT;
    for (int i = 0; i < eclipse::kContactCount; ++i) {
      if (lc.contacts[i].exists) {
        logText += contactLineText(static_cast<eclipse::ContactId>(i), lc.contacts[i]);
      }
    }
    printTrace("%s", logText.c_str());
  }
  if (!known) {
    printErr("Wait for %s: %s\n", contactMomentText(moment).c_str(), error.c_str());
    return;
  }
  platform::CalendarTime t;
  std::memset(&t, 0, sizeof(t));
  char momentText[kMomentTextSize];
  if (platform::fileTimeToCalendar(target, &t)) {
    formatMoment(t, momentText);
  } else {
    std::snprintf(momentText, sizeof(momentText), "? ?");
  }
  char line[1024];
  std::snprintf(line, sizeof(line), "Wait for %s GMT\n", momentText);
  doPrint(line);
  releaseCameraLock();
  waitUntil(target);
}
