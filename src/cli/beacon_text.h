#pragma once
// How the command line names the parts of a beacon: kinds, schedules, operators, charsets.
#include <string>

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
// The printable form of a stored byte string (UTF-8, or Windows-1251 from older catalogs).
std::string Show(const std::string& bytes);

}  // namespace quorvex::cli
