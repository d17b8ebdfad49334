// The findings of the check about what a run of the script would print: an error message of a
// script command, and text that no rule of the script language takes.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CHECK_RUN_OUTPUT_FINDINGS_H_
#define QUORVALE_CHECK_RUN_OUTPUT_FINDINGS_H_

#include <string>

// The finding for the error message |message| (without line ends) that a run prints: known
// messages (no serial port for a flash, a value no table has, a contact the site does not have, a
// value the body does not offer) say what the cause is; others quote the message.
std::string runErrorFinding(const std::string& message);

// The finding for |lineText|, a line with text that no rule takes (a run prints "Skip" for it).
std::string skippedTextFinding(const std::string& lineText);

#endif  // QUORVALE_CHECK_RUN_OUTPUT_FINDINGS_H_
