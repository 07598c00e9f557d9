#include "exchange/container_writer.h"

#include "exchange/byte_text.h"
#include "exchange/container_reader.h"
#include "platform/paths.h"
#include "text/time_format.h"

namespace quorvex::exchange {
namespace {

std::string WithoutLineBreaks(std::string text) {
  ReplaceAll(text, "\r", "");
  ReplaceAll(text, "\n", "");
  return text;
}

std::string SectionName(const std::string& name) {
  std::string section = name;
  ReplaceAll(section, "\r", " ");
  ReplaceAll(section, "\n", " ");
  section = CutBytes(section, kShortcutNameMaxBytes);
  return section.empty() ? " " : section;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

std::string FormatContainer(const ContainerBeacon& beacon, const std::string& createdDate) {
  std::string pattern = beacon.pattern;
  ReplaceAll(pattern, "\n", "\\n");
  ReplaceAll(pattern, "\t", "\\t");
  std::string description = beacon.description;
  ReplaceAll(description, "\n", "\\n");

  std::string text;
  text += kContainerCreatedText + createdDate + "\n";
  text += "\n";
  text += "[" + SectionName(beacon.name) + "]\n";
  text += "URL=" + Quoted(WithoutLineBreaks(beacon.url)) + "\n";
  text += "SearchPattern=" + Quoted(pattern) + "\n";
  text += "ValType=" + std::to_string(beacon.kind) + "\n";
  text += "MeasurementUnit=" + Quoted(WithoutLineBreaks(beacon.unit)) + "\n";
  text += "Interval=" + std::to_string(beacon.atStart ? 0 : beacon.interval) + "\n";
  text += "IntervalUnit=" + std::to_string(beacon.intervalUnit) + "\n";
  text += "Description=" + Quoted(description) + "\n";
  return text;
}

bool WriteContainerFile(const std::string& path, const ContainerBeacon& beacon, const std::string& dateFormat,
                        int64_t now, std::string* error) {
  return platform::WriteFileAtomically(path, FormatContainer(beacon, text::FormatLocalTime(now, dateFormat)), error);
}

}  // namespace quorvex::exchange
