// EclipseContext: the eclipse that a script's contact waits ("wait c2=-10") and the command line's
// contact-relative moments ("-at c2-60") refer to: the site, the elements, Delta T, and the choice
// of the eclipse. Also the text forms they share: a contact with a signed offset, the items of a
// script's site line.
//
// The site comes from the command line (-site), which wins, or from the script's site line. The
// elements are those of -elements, or else the built-in eclipse of -eclipse's date, or else the
// first built-in eclipse with a contact visible from the site at or after the moment the contacts
// are first asked for. The choice is made once per site and kept, so that the waits of one script
// all refer to the same eclipse however long the script runs.
//
// Moments handed out are UTC file times (100-ns units since 1601-01-01), the script's time scale.
//
// Thread safety: none; an EclipseContext belongs to the thread that runs the script (or the
// command line's reading) and is used by it alone.
#ifndef QUORVALE_SCRIPT_ECLIPSE_CONTEXT_H_
#define QUORVALE_SCRIPT_ECLIPSE_CONTEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eclipse/besselian_elements.h"
#include "eclipse/local_circumstances.h"
#include "eclipse/site.h"

// What the command line says about the eclipse; every field already checked.
struct EclipseSettings {
  std::optional<eclipse::Site> site;                   // -site: wins over a script's site line
  std::optional<eclipse::BesselianElements> elements;  // -elements: this eclipse only
  std::optional<double> deltaTS;                       // -deltat, else the program's own figure
  int year = 0, month = 0, day = 0;                    // -eclipse's date (0: none given)
};

// A contact with a signed offset in seconds, e.g. C2 and -10.
struct ContactMoment {
  eclipse::ContactId contact = eclipse::ContactId::kC1;
  double offsetS = 0.0;
};

// Reads a contact's name ("c1", "c2", "max", "c3", "c4", any case). False for anything else.
bool parseContactName(const std::string& text, eclipse::ContactId* contact);

// Reads a signed duration in the script's duration forms ("-10", "+1:30", "0", "-0:01:00.5"):
// an optional sign, then seconds, m:s or h:m:s with an optional fraction on the last field.
// False when the whole text is not one.
bool parseSignedDuration(const std::string& text, double* seconds);

// Reads "<contact>[<sign><duration>]", e.g. "c2-60", "C3+1:30", "max". False when it is not one.
bool parseContactMoment(const std::string& text, ContactMoment* moment);

// "C2-10 s", "C3+90 s", "Max": how a contact moment is named in messages.
std::string contactMomentText(const ContactMoment& moment);

// One contact's line as listings print it, with its line feed:
//   "C2   2026-08-12 18:28:01.3 UTC  local 2026-08-12 20:28:01.3  Sun +10.9 deg"
// (the name padded to five columns, moments rounded to a tenth of a second, ", below the horizon"
// after the altitude when the Sun's centre is below it).
std::string contactLineText(eclipse::ContactId id, const eclipse::Contact& contact);

// Reads the items of a script's site line ("lat=41.6488 lon=-0.8891 height=200"; keys in any
// case, separated by blanks, commas or semicolons; height optional, 0 m without it). Returns true
// with *site set, or false with *error set to a one-line reason.
bool parseSiteItems(const std::string& items, eclipse::Site* site, std::string* error);

// Finds the site line of a script text (the first after the "#!quorvale" header) and reads it.
// False when there is none or it does not read; *error then says why (empty: no site line).
bool findScriptSite(const std::string& scriptText, eclipse::Site* site, std::string* error);

// UTC seconds since 1970 <-> UTC file time.
uint64_t unixSecondsToFileTime(double seconds);
double fileTimeToUnixSeconds(uint64_t fileTime);

// The index in |candidates| of the first eclipse with a contact that is visible from |site| (the
// Sun above the horizon) at or after |afterUtcS| - |graceS| (seconds since 1970). -1 when there
// is none. |circumstances| (may be null) receives that eclipse's local circumstances.
int chooseEclipse(const std::vector<eclipse::BesselianElements>& candidates,
                  const eclipse::Site& site, double deltaTS, double afterUtcS, double graceS,
                  eclipse::LocalCircumstances* circumstances);

// How long after its last visible contact an eclipse is still the one a script means: a script
// started late (or a contact wait reached late) finds its moments past, and does not wait for the
// next eclipse instead.
constexpr double kScriptEclipseGraceS = 6 * 3600.0;

class EclipseContext final {
 public:
  EclipseContext() = default;

  // Takes the command line's settings; forgets any choice made before. |graceS|: an eclipse whose
  // last visible contact is at most this long before the moment given to resolve() may still be
  // chosen (kScriptEclipseGraceS for scripts; 0 for the listing of the next eclipse).
  void configure(const EclipseSettings& settings, double graceS = kScriptEclipseGraceS);

  // The script's site line: takes effect unless the command line gave a site. Returns whether it
  // did. Forgets the choice made for another site.
  bool setScriptSite(const eclipse::Site& site);

  bool hasSite() const { return site_.has_value(); }
  // REQUIRES: hasSite().
  const eclipse::Site& site() const { return *site_; }
  bool siteFromCommandLine() const { return settings_.site.has_value(); }
  double deltaTS() const;

  // Chooses the eclipse (once per site) with |nowUtc| (file time) as the moment it must come
  // after. Returns false with *error set when there is no site, no such eclipse, or its contacts
  // could not be computed.
  bool resolve(uint64_t nowUtc, std::string* error);
  // After a successful resolve(): the eclipse and its local circumstances.
  bool resolved() const { return chosen_.has_value(); }
  const eclipse::BesselianElements& elements() const { return *chosen_; }
  const eclipse::LocalCircumstances& circumstances() const { return circumstances_; }

  // The moment of |moment| at the site, as a UTC file time: resolve(nowUtc), then the contact plus
  // the offset. False with *error set when it cannot be given (see resolve; also a contact that
  // the site does not have, such as C2 where the eclipse is partial).
  bool momentOf(const ContactMoment& moment, uint64_t nowUtc, uint64_t* dueUtc, std::string* error);

  // The eclipse named by its date: "2026-08-12".
  std::string eclipseName() const;

 private:
  EclipseSettings settings_;
  double graceS_ = kScriptEclipseGraceS;
  std::optional<eclipse::Site> site_;
  std::optional<eclipse::BesselianElements> chosen_;
  eclipse::LocalCircumstances circumstances_;
};

#endif  // QUORVALE_SCRIPT_ECLIPSE_CONTEXT_H_
