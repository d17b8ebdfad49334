#include "app/eclipse_listing.h"

#include <cstdio>

#include "app/usage.h"
#include "output/output.h"
#include "platform/clock.h"
#include "script/eclipse_context.h"

int runEclipseListing(const ProgramOptions& options, uint64_t nowUtc) {
  if (!options.eclipse.site) {
    printErr("-eclipse needs the site: -site <lat>,<lon>[,<height m>]\n");
    return 1;
  }
  EclipseContext context;
  context.configure(options.eclipse, /*graceS=*/0.0);
  std::string error;
  if (!context.resolve(nowUtc, &error)) {
    printErr("-eclipse: %s\n", error.c_str());
    return options.eclipse.elements || options.eclipse.year != 0 ? 1 : 2;
  }
  const eclipse::BesselianElements& elements = context.elements();
  const eclipse::LocalCircumstances& lc = context.circumstances();
  std::string out = "Eclipse " + context.eclipseName() + " (" + elements.kind + "), ";
  out += options.eclipse.elements ? "elements from " + *options.elementsPath
                                  : std::string("built-in elements");
  out += "\nKind at the site: " + std::string(eclipse::localKindText(lc.kind)) + "\n";
  out += "Site: " + eclipse::formatSite(context.site()) + "\n";
  char deltaT[64];
  std::snprintf(deltaT, sizeof(deltaT), "Delta T: %.1f s\n", lc.deltaTS);
  out += deltaT;
  out += std::string(eclipse::kEclipseCredit) + "\n";
  if (lc.kind == eclipse::LocalKind::kNone) {
    out += "Not visible from the site: the Moon's shadow does not reach it\n";
    outputText(Msg, out.c_str());
    return 2;
  }
  for (int i = 0; i < eclipse::kContactCount; ++i) {
    if (!lc.contacts[i].exists) continue;
    out += contactLineText(static_cast<eclipse::ContactId>(i), lc.contacts[i]);
  }
  char tail[96];
  std::snprintf(tail, sizeof(tail), "Magnitude: %.4f\n", lc.magnitude);
  out += tail;
  if (lc.kind == eclipse::LocalKind::kTotal || lc.kind == eclipse::LocalKind::kAnnular) {
    std::snprintf(tail, sizeof(tail), "%s: %.1f s\n",
                  lc.kind == eclipse::LocalKind::kTotal ? "Totality" : "Annularity",
                  lc.centralDurationS);
    out += tail;
  }
  if (!lc.visible) {
    out += "Not visible from the site: the Sun is below the horizon throughout\n";
    outputText(Msg, out.c_str());
    return 2;
  }
  outputText(Msg, out.c_str());
  return 0;
}
