#include "tests/support/Services.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace testsupport {

std::string Lacking(const std::string& service, const std::string& why) {
    const char* promised = getenv("ZOZ_TEST_SERVICES");
    std::istringstream names(promised ? promised : "");
    for (std::string name; names >> name;)
        if (name == service)
            ADD_FAILURE() << why << ", though this run promised " << service
                          << " (ZOZ_TEST_SERVICES)";
    return why;
}

} // namespace testsupport
