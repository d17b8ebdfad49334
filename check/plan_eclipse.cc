#include "check/plan_eclipse.h"

#include <cstdio>

namespace {

// The plan's heading says where the shadow misses the site altogether.
const char* kindText(eclipse::LocalKind kind) {
  return kind == eclipse::LocalKind::kNone ? "not reached by the shadow"
                                           : eclipse::localKindText(kind);
}

}  // namespace

PlannedEclipse planEclipse(EclipseContext* context, uint64_t startUtc) {
  PlannedEclipse planned;
  planned.siteKnown = context->hasSite();
  if (!planned.siteKnown) return planned;
  planned.site = eclipse::formatSite(context->site());
  std::string error;
  if (!context->resolve(startUtc, &error)) {
    planned.problem = error;
    return planned;
  }
  const eclipse::LocalCircumstances& lc = context->circumstances();
  planned.present = lc.kind != eclipse::LocalKind::kNone;
  planned.central =
      lc.kind == eclipse::LocalKind::kTotal || lc.kind == eclipse::LocalKind::kAnnular;
  planned.centralDurationS = lc.centralDurationS;
  char heading[512];
  std::snprintf(heading, sizeof(heading), "Eclipse %s (%s) at %s: %s, Delta T %.1f s",
                context->eclipseName().c_str(), context->elements().kind.c_str(),
                planned.site.c_str(), kindText(lc.kind), lc.deltaTS);
  planned.heading = heading;
  if (planned.central) {
    std::snprintf(heading, sizeof(heading), ", %s %.1f s",
                  lc.kind == eclipse::LocalKind::kTotal ? "totality" : "annularity",
                  lc.centralDurationS);
    planned.heading += heading;
  }
  if (!planned.present) return planned;
  for (int i = 0; i < eclipse::kContactCount; ++i) {
    const eclipse::Contact& c = lc.contacts[i];
    PlannedContact& p = planned.contacts[i];
    p.exists = c.exists;
    if (!c.exists) continue;
    p.utc = unixSecondsToFileTime(c.utcS);
    p.sunAltitudeDeg = c.sunAltitudeDeg;
    p.line = contactLineText(static_cast<eclipse::ContactId>(i), c);
  }
  return planned;
}

std::vector<std::string> eclipseFindings(const PlannedEclipse& planned) {
  std::vector<std::string> findings;
  if (!planned.present) return findings;
  for (int i = 0; i < eclipse::kContactCount; ++i) {
    const PlannedContact& c = planned.contacts[i];
    if (!c.exists || c.sunAltitudeDeg >= 0.0) continue;
    char text[160];
    std::snprintf(text, sizeof(text), "%s: the Sun is below the horizon (%+.1f deg) at %s",
                  eclipse::contactName(static_cast<eclipse::ContactId>(i)), c.sunAltitudeDeg,
                  planned.site.c_str());
    findings.push_back(text);
  }
  if (planned.central && planned.centralDurationS < kPathEdgeCentralS) {
    char text[256];
    std::snprintf(text, sizeof(text),
                  "%s is near the edge of the path: %.1f s between C2 and C3 (under 30 s), where "
                  "a small error in the site moves the contacts by seconds or takes them away",
                  planned.site.c_str(), planned.centralDurationS);
    findings.push_back(text);
  }
  return findings;
}

std::string eclipseReportText(const PlannedEclipse& planned) {
  if (!planned.siteKnown) return "";
  if (planned.heading.empty()) return "Eclipse at " + planned.site + ": " + planned.problem + "\n";
  std::string out = planned.heading + "\n";
  for (const PlannedContact& c : planned.contacts) {
    if (c.exists) out += "  " + c.line;
  }
  return out;
}
