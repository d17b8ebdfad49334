// The eclipse part of a script check: the contacts and the Delta T the plan used, the findings
// they give, and their lines in the report.
//
// Thread safety: pure functions over their arguments, except planEclipse, which may make the
// context choose its eclipse.
#ifndef QUORVALE_CHECK_PLAN_ECLIPSE_H_
#define QUORVALE_CHECK_PLAN_ECLIPSE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "check/script_plan.h"
#include "script/eclipse_context.h"

// Totality or annularity shorter than this: the site is near the path's edge, where a small error
// in the site moves C2 and C3 by many seconds or takes them away.
constexpr double kPathEdgeCentralS = 30.0;

// What |context| knows at the end of the scan; when it has a site but has not chosen its eclipse
// yet, it chooses now, with |startUtc| (the start of the check) as the moment to come after.
PlannedEclipse planEclipse(EclipseContext* context, uint64_t startUtc);

// The findings of the eclipse itself (about the whole script): contacts with the Sun below the
// horizon, a site near the edge of the path.
std::vector<std::string> eclipseFindings(const PlannedEclipse& eclipse);

// The report's lines for the eclipse (empty when no site is known), each with its line feed.
std::string eclipseReportText(const PlannedEclipse& eclipse);

#endif  // QUORVALE_CHECK_PLAN_ECLIPSE_H_
