#pragma once

#include <string>

namespace testsupport {

// `why` a test cannot run for want of a service, for the test to skip with: "jack" (the private
// JACK server), "display" (the virtual display) or "programs" (what scripts/setup --test
// installs, and the release module). Where the run promised the service (scripts/test names
// the services it started in ZOZ_TEST_SERVICES), the test fails as well: a run whose JACK
// server or display went missing must not pass with the tests that need it left out.
std::string Lacking(const std::string& service, const std::string& why);

} // namespace testsupport
