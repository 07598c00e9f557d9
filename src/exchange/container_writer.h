#pragma once
// Writes one beacon as a container file: ten lines, LF line ends, as doc/container-format.md
// describes. The text is what ContainerReader reads back.
#include <cstdint>
#include <string>

#include "exchange/container_beacon.h"

namespace quorvex::exchange {

// The first line's fixed text; the creation date follows it.
constexpr const char* kContainerCreatedText = "The Quorvex container was created ";

// The whole container text for beacon; createdDate is the creation date, already formatted.
// The few bytes that would break the line syntax are not written: CR and LF in the name, address
// and unit. A name the section line cannot carry is cut to kShortcutNameMaxBytes (49) bytes so the
// file can be imported again; an empty name is written as one blank.
std::string FormatContainer(const ContainerBeacon& beacon, const std::string& createdDate);

// Writes the container for beacon at path, replacing an existing file only once the new one is
// complete. dateFormat is the strftime format for the first line (language text 32812), now the
// creation time. False with error set when the file cannot be written.
bool WriteContainerFile(const std::string& path, const ContainerBeacon& beacon, const std::string& dateFormat,
                        int64_t now, std::string* error);

}  // namespace quorvex::exchange
