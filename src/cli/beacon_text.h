#pragma once
// How the command line names the parts of a beacon (kinds, schedules, operators, charsets) and how it
// shows stored and language texts on the console.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/fresh_freq.h"
#include "model/value.h"

namespace quorvex::cli {

std::string KindName(int kind);
// "text", "number", "checksum" to a kind; -1 when unknown.
int KindFromName(const std::string& name);
std::string ScheduleText(const model::WDFreshFreq& freq);
// Parses "N UNIT" (UNIT: minutes, hours, days, weeks, months, singular too); false when malformed.
bool ParseSchedule(const std::string& text, model::WDFreshFreq& freq);
// "=", "#", ">", "<", ">=", "<=" to an operator; -1 when unknown.
int OperatorFromSymbol(const std::string& symbol);
std::string OperatorSymbol(int op);
std::string TimeText(int64_t t);
// Every text of a catalog, container, language file or page that reaches the console goes through one
// of these: decoded for display (UTF-8 as it is, anything else read as Windows-1251) and written as
// UTF-8, with control characters escaped (\n, \r, \t, \xHH, and \u0080..\u009f for the C1
// controls) so that such a text can neither steer the terminal nor forge lines of output.

// A name, value or other one-line text: every control character escaped.
std::string Show(std::string_view bytes);
// A message (language texts, the core's messages): line breaks and tabs kept, other controls escaped.
std::string ShowLines(std::string_view bytes);
// The language text of id, shown as ShowLines shows it.
std::string Message(uint16_t id);

}  // namespace quorvex::cli
