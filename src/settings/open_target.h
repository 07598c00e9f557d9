#pragma once
// The application's open operation: web pages go to the browser of the settings, anything else
// (documents, programs, folders) to the desktop's opener. Programs are started with an argument
// vector, never through a shell.
#include <cstdint>
#include <string>

namespace quorvex::settings {

// Opens target. A web target whose browser cannot be started shows 61508 with the browser's path.
// Returns true when a program was started.
bool OpenTarget(const std::string& target);

}  // namespace quorvex::settings
