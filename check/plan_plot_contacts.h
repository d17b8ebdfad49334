// The eclipse's contacts on the plan's timeline: C1, C2, Max, C3 and C4 as labelled vertical
// lines over a row, so that the sequence shows against the eclipse.
//
// Thread safety: pure functions over their arguments.
#ifndef QUORVALE_CHECK_PLAN_PLOT_CONTACTS_H_
#define QUORVALE_CHECK_PLAN_PLOT_CONTACTS_H_

#include <cstdint>

#include "check/script_plan.h"
#include "check/svg_writer.h"

// Draws, in a group of class "contacts", each contact of |eclipse| that falls within
// [fromUtc, toUtc] as a line from yTop to yBottom at its place on a row whose time axis spans
// xLeft to xLeft + width, labelled with its name (with "(Sun below horizon)" when it is) just
// above yBottom (the row's axis). Draws nothing when the contacts are not known.
void drawContactLines(SvgWriter& svg, const PlannedEclipse& eclipse, uint64_t fromUtc,
                      uint64_t toUtc, double xLeft, double width, double yTop, double yBottom);

// Widens [*fromUtc, *toUtc] to take in every contact of |eclipse|.
void spanContacts(const PlannedEclipse& eclipse, uint64_t* fromUtc, uint64_t* toUtc);

#endif  // QUORVALE_CHECK_PLAN_PLOT_CONTACTS_H_
