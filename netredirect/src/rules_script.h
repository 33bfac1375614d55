// RULES files of the netreplay tool: the calls the Java side makes, one a line, with numbers
// exactly as Java passes them (decimal ints, may be negative):
//   addSMBTranslations
//   addLocalRedirect VIRTUAL PEER VPORT LPORT
//   addRemoteRedirect VIRTUAL TARGET VPORT TPORT HWTAIL HWHEAD
//   open                                  (empties both tables)
//   record LOCALHW LOCALIP PEERHW         (the adapter's learned fields, e.g.
//                                          record 02-aa-bb-cc-dd-01 100.100.100.195 00-00-00-00-00-00)
// Blank lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

#include "frame_processor.h"
#include "redirect_rules.h"

namespace brevan::netredirect {

// Makes the calls of `script` on the tables and the learned fields. False (with the line and
// reason in `error`) on a line that is not one of the calls; calls that the library would answer
// with false (a full table) are listed in `refused` and the script goes on.
bool runRulesScript(const std::string& script, RuleTables& tables, LearnedFields& learned,
                    std::vector<std::string>& refused, std::string& error);

// The `record` line that sets these fields.
std::string recordLine(const LearnedFields& learned);

}  // namespace brevan::netredirect
