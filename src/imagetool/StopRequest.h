#pragma once
// A stop request: SIGTERM (sent by "stop job"), SIGINT or SIGHUP. The running operation polls it
// between chunks, cleans up and ends.
namespace StopRequest {

// Installs the signal handlers; SIGPIPE is ignored, so that a reader that goes away does not end the
// tool in the middle of writing an image.
void Install();
bool Requested();
// For tests.
void Reset();

} // namespace StopRequest
