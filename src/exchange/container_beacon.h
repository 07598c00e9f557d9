#pragma once
// One beacon as a container file carries it: plain data, free of the catalog model, so the file
// format can be read, written and tested on its own.
#include <cstdint>
#include <string>

namespace quorvex::exchange {

// Beacon kinds as "ValType=" writes them (the catalog's item kinds).
constexpr int kContainerKindText = 2;
constexpr int kContainerKindNumber = 3;
constexpr int kContainerKindChecksum = 4;

// Refresh units as "IntervalUnit=" writes them.
constexpr int kContainerUnitMinutes = 0;
constexpr int kContainerUnitDays = 2;
constexpr int kContainerUnitMonths = 4;

struct ContainerBeacon {
  std::string name;
  std::string url;  // the page address, path included
  std::string pattern;
  int kind = kContainerKindText;
  std::string unit;
  // The schedule: once per program run when atStart is set, otherwise every interval units.
  int interval = 1;
  int intervalUnit = kContainerUnitDays;
  bool atStart = true;
  std::string description;

  bool operator==(const ContainerBeacon&) const = default;
};

}  // namespace quorvex::exchange
