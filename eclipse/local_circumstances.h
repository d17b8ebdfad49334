// Local circumstances of a solar eclipse at a site: the contacts C1-C4, the maximum, magnitude,
// the length of totality or annularity, and the Sun's altitude at each contact, from Besselian
// elements.
//
// Conventions: longitude east positive; heights in metres above the ellipsoid; every moment
// returned is UTC, as seconds since 1970-01-01 00:00:00 UTC (fractional). The elements are in TT:
// TT - UTC is kTtMinusUtcS (leap seconds to date); Delta T (TT - UT1) only turns the Earth.
//
// What the figures are: the contacts of the elements' mean lunar limb (the Moon a smooth circle of
// the radius the elements were made with) with the Sun, for an observer on the ellipsoid at the
// given height, without refraction. A contact is given whether or not the Sun is up at it; its
// sunAltitudeDeg says (a geometric altitude: refraction lifts the Sun by about half a degree at
// the horizon). The magnitude is the fraction of the Sun's diameter covered at maximum,
// (L1' - m) / (L1' + L2') with m the site's distance from the shadow's axis; above 1 in a total
// eclipse. With the elements and Delta T of a published prediction the moments agree with it to
// well under half a second.
//
// Thread safety: pure functions; safe from any thread.
#ifndef QUORVALE_ECLIPSE_LOCAL_CIRCUMSTANCES_H_
#define QUORVALE_ECLIPSE_LOCAL_CIRCUMSTANCES_H_

#include "eclipse/besselian_elements.h"
#include "eclipse/site.h"

namespace eclipse {

constexpr double kTtMinusUtcS = 69.184;

// The program's own current Delta T (TT - UT1) in seconds, used unless the user gives another.
double defaultDeltaTS();

enum class ContactId { kC1 = 0, kC2 = 1, kMax = 2, kC3 = 3, kC4 = 4 };
constexpr int kContactCount = 5;

// "C1", "C2", "Max", "C3", "C4".
const char* contactName(ContactId id);

struct Contact {
  bool exists = false;          // false: no such contact at the site (C2/C3 outside the path)
  double utcS = 0.0;            // the moment, seconds since 1970 UTC
  double sunAltitudeDeg = 0.0;  // geometric altitude of the Sun's centre, no refraction
};

enum class LocalKind { kNone, kPartial, kTotal, kAnnular };

// How the eclipse is seen at a site, as listings write it: "total", "annular",
// "partial (no C2 or C3)", or "none".
const char* localKindText(LocalKind kind);

struct LocalCircumstances {
  bool converged = true;   // false: an iteration did not converge; the figures are not to be used
  LocalKind kind = LocalKind::kNone;  // kNone: no phase of the eclipse at the site (Sun up or not)
  Contact contacts[kContactCount];
  double magnitude = 0.0;             // at maximum
  double centralDurationS = 0.0;      // totality or annularity, 0 when partial
  double deltaTS = 0.0;               // the Delta T used
  bool visible = false;               // some part of the eclipse happens with the Sun above the horizon
};

// Computes the local circumstances of |elements| at |site| with |deltaTS| = TT - UT1.
LocalCircumstances computeLocalCircumstances(const BesselianElements& elements, const Site& site,
                                             double deltaTS);

// The UTC moment (seconds since 1970) of |t| TT hours after the elements' t0.
double ttHoursToUtcS(const BesselianElements& elements, double t);

// The site against the shadow at one UTC moment: the distance from the shadow's axis and the
// penumbra's and umbra's radii in the site's plane (Earth equatorial radii; l2p < 0 for an
// umbra, > 0 for an antumbra), and the Sun's altitude. The partial phase is on while
// distance < l1p, the central phase while distance < |l2p|.
struct ShadowAtSite {
  double distance = 0.0;
  double l1p = 0.0;
  double l2p = 0.0;
  double sunAltitudeDeg = 0.0;
};
ShadowAtSite shadowAtSite(const BesselianElements& elements, const Site& site, double deltaTS,
                          double utcS);

}  // namespace eclipse

#endif  // QUORVALE_ECLIPSE_LOCAL_CIRCUMSTANCES_H_
