#pragma once
// Limits of the process that the operating system lets it raise itself.
namespace quorvex::platform {

// Raises the soft limit of open files to the hard limit, once per process: every running fetch holds
// a few descriptors, and with ThreadsAtTheTime 0 a large catalog runs hundreds of fetches at once,
// beyond the usual soft limit of 1,024. Any thread; failures leave the limit as it was.
void RaiseOpenFileLimit();

}  // namespace quorvex::platform
