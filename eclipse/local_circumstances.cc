// The classical reduction of Besselian elements to a site (Explanatory Supplement to the
// Astronomical Almanac, ch. 11; Meeus, Elements of Solar Eclipses): the observer's place on the
// fundamental plane (xi, eta, zeta) and its rates, Newton-like iterations to the maximum and to
// the moments where the distance from the shadow axis equals L1' (C1, C4) or |L2'| (C2, C3).
#include "eclipse/local_circumstances.h"

#include <cmath>

namespace eclipse {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kPolarRatio = 0.99664719;        // b/a of the Earth's ellipsoid
constexpr double kEquatorialRadiusM = 6378140.0;  // the radius the elements are in
constexpr double kDone = 1e-7;                    // hours (0.4 ms): an iteration's last step
constexpr int kMaxSteps = 50;
constexpr double kReach = 6.0;  // hours from t0 beyond which the polynomials are not to be used

double poly(const double* a, int n, double t) {
  double v = 0.0;
  for (int i = n - 1; i >= 0; --i) v = v * t + a[i];
  return v;
}

double polyRate(const double* a, int n, double t) {
  double v = 0.0;
  for (int i = n - 1; i >= 1; --i) v = v * t + i * a[i];
  return v;
}

// The site's geocentric coordinates in Earth equatorial radii.
struct Observer {
  double rhoSinPhi, rhoCosPhi, longitudeDeg, sinLat, cosLat;
};

Observer observerOf(const Site& site) {
  double phi = site.latitudeDeg * kRad;
  double u = std::atan(kPolarRatio * std::tan(phi));
  double h = site.heightM / kEquatorialRadiusM;
  return {kPolarRatio * std::sin(u) + h * std::sin(phi), std::cos(u) + h * std::cos(phi),
          site.longitudeDeg, std::sin(phi), std::cos(phi)};
}

// Everything the iterations need at one moment t (TT hours from t0).
struct State {
  double u, v, a, b, n2;  // the site relative to the shadow axis, and its rate (per hour)
  double l1p, l2p;        // the shadow's radii in the site's plane
  double sunAltitudeDeg;
};

State stateAt(const BesselianElements& e, const Observer& o, double deltaTS, double t) {
  double x = poly(e.x, 4, t), y = poly(e.y, 4, t);
  double dx = polyRate(e.x, 4, t), dy = polyRate(e.y, 4, t);
  double d = poly(e.d, 3, t) * kRad, dd = polyRate(e.d, 3, t) * kRad;
  double dmu = polyRate(e.mu, 3, t) * kRad;
  // Hour angle of the shadow axis at the site: the elements' mu is the ephemeris hour angle;
  // 0.00417807 deg/s is the Earth's rotation rate (1.002738 * 15 / 3600).
  double hour = (poly(e.mu, 3, t) + o.longitudeDeg - 0.00417807 * deltaTS) * kRad;
  double sinD = std::sin(d), cosD = std::cos(d), sinH = std::sin(hour), cosH = std::cos(hour);
  double xi = o.rhoCosPhi * sinH;
  double eta = o.rhoSinPhi * cosD - o.rhoCosPhi * cosH * sinD;
  double zeta = o.rhoSinPhi * sinD + o.rhoCosPhi * cosH * cosD;
  double dxi = dmu * o.rhoCosPhi * cosH;
  double deta = dmu * xi * sinD - zeta * dd;
  State s;
  s.u = x - xi;
  s.v = y - eta;
  s.a = dx - dxi;
  s.b = dy - deta;
  s.n2 = s.a * s.a + s.b * s.b;
  s.l1p = poly(e.l1, 3, t) - zeta * e.tanF1;
  s.l2p = poly(e.l2, 3, t) - zeta * e.tanF2;
  double sinAlt = o.sinLat * sinD + o.cosLat * cosD * cosH;
  s.sunAltitudeDeg = std::asin(std::fmax(-1.0, std::fmin(1.0, sinAlt))) / kRad;
  return s;
}

// The moment (TT hours from t0) of least distance from the shadow axis, starting from |t|.
bool iterateMaximum(const BesselianElements& e, const Observer& o, double deltaTS, double* t) {
  for (int i = 0; i < kMaxSteps; ++i) {
    State s = stateAt(e, o, deltaTS, *t);
    double step = -(s.u * s.a + s.v * s.b) / s.n2;
    *t += step;
    if (std::fabs(*t) > kReach) return false;
    if (std::fabs(step) < kDone) return true;
  }
  return false;
}

// The moment where the distance from the axis equals the radius |useL1| ? L1' : |L2'|, on the
// side |sign| (-1 before the maximum, +1 after), starting from the maximum |t|.
bool iterateContact(const BesselianElements& e, const Observer& o, double deltaTS, bool useL1,
                    double sign, double* t) {
  for (int i = 0; i < kMaxSteps; ++i) {
    State s = stateAt(e, o, deltaTS, *t);
    double radius = useL1 ? s.l1p : std::fabs(s.l2p);
    double n = std::sqrt(s.n2);
    double sine = (s.a * s.v - s.u * s.b) / (n * radius);
    if (std::fabs(sine) > 1.0) return false;  // the circle is not reached
    double step = -(s.u * s.a + s.v * s.b) / s.n2 + sign * radius / n * std::sqrt(1 - sine * sine);
    *t += step;
    if (std::fabs(*t) > kReach) return false;
    if (std::fabs(step) < kDone) return true;
  }
  return false;
}

// Seconds since 1970-01-01 of 00:00 on a proleptic Gregorian date.
double epochSecondsOfDate(int year, int month, int day) {
  int y = year - (month <= 2 ? 1 : 0);
  int era = (y >= 0 ? y : y - 399) / 400;
  int yoe = y - era * 400;
  int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return (static_cast<double>(era) * 146097 + doe - 719468) * 86400.0;
}

}  // namespace

double defaultDeltaTS() {
  // TT - UT1 = (TT - TAI) + (TAI - UTC) - (UT1 - UTC) = 32.184 s + 37 s - (UT1 - UTC). Since the
  // last leap second (end of 2016) the IERS (Bulletin A) has seen UT1 - UTC stay within a few
  // tenths of a second of zero, and by its rules it never leaves +-0.9 s (a leap second would
  // change TAI - UTC with it): 69.2 s, good to a few tenths of a second for 2024-2030.
  return 69.2;
}

const char* contactName(ContactId id) {
  static const char* const kNames[kContactCount] = {"C1", "C2", "Max", "C3", "C4"};
  return kNames[static_cast<int>(id)];
}

double ttHoursToUtcS(const BesselianElements& e, double t) {
  return epochSecondsOfDate(e.year, e.month, e.day) + (e.t0TtHours + t) * 3600.0 - kTtMinusUtcS;
}

ShadowAtSite shadowAtSite(const BesselianElements& elements, const Site& site, double deltaTS,
                          double utcS) {
  double t =
      (utcS + kTtMinusUtcS - epochSecondsOfDate(elements.year, elements.month, elements.day)) /
          3600.0 -
      elements.t0TtHours;
  State s = stateAt(elements, observerOf(site), deltaTS, t);
  ShadowAtSite out;
  out.distance = std::sqrt(s.u * s.u + s.v * s.v);
  out.l1p = s.l1p;
  out.l2p = s.l2p;
  out.sunAltitudeDeg = s.sunAltitudeDeg;
  return out;
}

LocalCircumstances computeLocalCircumstances(const BesselianElements& elements, const Site& site,
                                             double deltaTS) {
  LocalCircumstances lc;
  lc.deltaTS = deltaTS;
  Observer o = observerOf(site);
  double tMax = 0.0;
  if (!iterateMaximum(elements, o, deltaTS, &tMax)) {
    lc.converged = false;
    return lc;
  }
  State s = stateAt(elements, o, deltaTS, tMax);
  double m = std::sqrt(s.u * s.u + s.v * s.v);
  if (m >= s.l1p) return lc;  // the penumbra passes the site by: no eclipse
  lc.magnitude = (s.l1p - m) / (s.l1p + s.l2p);
  Contact& max = lc.contacts[static_cast<int>(ContactId::kMax)];
  max = {true, ttHoursToUtcS(elements, tMax), s.sunAltitudeDeg};

  bool central = m < std::fabs(s.l2p);
  lc.kind = !central ? LocalKind::kPartial : s.l2p < 0 ? LocalKind::kTotal : LocalKind::kAnnular;
  struct Wanted {
    ContactId id;
    bool useL1;
    double sign;
  } wanted[] = {{ContactId::kC1, true, -1},
                {ContactId::kC4, true, +1},
                {ContactId::kC2, false, -1},
                {ContactId::kC3, false, +1}};
  for (const Wanted& w : wanted) {
    if (!w.useL1 && !central) continue;
    double t = tMax;
    if (!iterateContact(elements, o, deltaTS, w.useL1, w.sign, &t)) {
      lc.converged = false;
      return lc;
    }
    lc.contacts[static_cast<int>(w.id)] = {true, ttHoursToUtcS(elements, t),
                                           stateAt(elements, o, deltaTS, t).sunAltitudeDeg};
  }
  if (central) {
    lc.centralDurationS = lc.contacts[static_cast<int>(ContactId::kC3)].utcS -
                          lc.contacts[static_cast<int>(ContactId::kC2)].utcS;
  }
  for (const Contact& c : lc.contacts) {
    if (c.exists && c.sunAltitudeDeg > 0.0) lc.visible = true;
  }
  return lc;
}

const char* localKindText(LocalKind kind) {
  switch (kind) {
    case LocalKind::kTotal:
      return "total";
    case LocalKind::kAnnular:
      return "annular";
    case LocalKind::kPartial:
      return "partial (no C2 or C3)";
    default:
      return "none";
  }
}

}  // namespace eclipse
