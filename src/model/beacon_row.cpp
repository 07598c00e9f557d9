#include "model/beacon_row.h"

#include <cmath>

#include "text/value_text.h"

namespace quorvex::model {
BeaconRow MakeBeaconRow(WDValue& value) {
  BeaconRow row;
  row.state = value.GetState(false);
  if (value.GetKind() == kKindChecksum) {
    row.value = "- CRC -";
  } else {
    for (char c : value.GetLastText(true, 0)) {
      if (c == '\n' || c == '\r') continue;
      row.value += c == '\t' ? ' ' : c;
    }
  }
  row.change = "- ";
  if (value.GetHistory().HasLastChanged() && value.IsEnabled() && value.GetHistory().GetCount() > 0) {
    if (value.GetKind() == kKindNumber) {
      const double delta = value.GetLastDelta();
      row.sign = delta > 0 ? ChangeSign::Up : ChangeSign::Down;
      row.change = std::string(delta > 0 ? "+" : "-") + " " + text::FormatNumber(std::fabs(delta), 2);
    } else {
      row.change = "*** ";
    }
  }
  row.time = value.GetLastSampleTime();
  if (row.time == kNoSampleTime) {
    row.never_sampled = true;
    row.time = value.GetFetchTime();
  }
  row.address = value.GetURL();
  return row;
}

}  // namespace quorvex::model
