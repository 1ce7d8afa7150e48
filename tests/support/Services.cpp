#include "tests/support/Services.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace testsupport {

std::string Lacking(const std::string& service, const std::string& why) {
    const char* promised = getenv("ZOZ_TEST_SERVICES");
    std::istringstream names(promised ? promised : "");
    // A fatal failure: a test whose set-up then skips must not run its body.
    for (std::string name; names >> name;)
        if (name == service)
            [&] {
                FAIL() << why << ", though this run promised " << service
                       << " (ZOZ_TEST_SERVICES)";
            }();
    return why;
}

} // namespace testsupport
