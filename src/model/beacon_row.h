#pragma once
// The texts of one beacon's row in a folder list: shared by the desktop lists, the command line
// and the report, so all of them show a beacon alike.
#include <cstdint>
#include <string>

#include "model/value.h"

namespace quorvex::model {

enum class ChangeSign { None, Up, Down };

struct BeaconRow {
  int state = kStateNormal;
  std::string value;   // "- CRC -" for a checksum beacon, else the last text on one line
  std::string change;  // "- ", "*** ", or sign, blank and amount for numbers
  ChangeSign sign = ChangeSign::None;
  int64_t time = 0;  // last sample, or the page's fetch time when there is none
  bool never_sampled = false;
  std::string address;
};

BeaconRow MakeBeaconRow(WDValue& value);

}  // namespace quorvex::model
