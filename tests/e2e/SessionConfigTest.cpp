// The generated session configuration, as the configuration reader takes it in.

#include "src/uiconfig/UIConfigManager.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

// Every element of the layout below node, depth first.
void visit(const tinyxml2::XMLElement* e, const std::function<void(const tinyxml2::XMLElement&)>& f) {
    for (; e; e = e->NextSiblingElement()) {
        f(*e);
        visit(e->FirstChildElement(), f);
    }
}

TEST(SessionConfig, ReadsWithoutComplaintAndNamesOnlyKnownParameters) {
    setenv("ZOZ_RESOURCES_DIR", ZOZ_SESSION_RESOURCES, 1);
    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin;
    UIConfigManager manager;
    manager.readUIConfig(&graphics, &plugin, nullptr, 0, 1.0);
    for (const std::string& line : plugin.lines()) {
        if (line.rfind("CONFIG READER: ", 0) == 0) {
            EXPECT_TRUE(line.find("Started") != std::string::npos ||
                        line.find("Completed") != std::string::npos)
                << line;
        }
    }
    EXPECT_EQ(manager.getValueList("libSyncTimer").front(), "50 ms");

    // The cutoff of part 1 and the global device id are bound to their messages.
    bool cutoff = false, deviceId = false;
    for (size_t i = 0; i < manager.getSysExContainers().size(); ++i) {
        const std::vector<int> t = manager.getSysExValueListByID(int(i));
        cutoff = cutoff || t == std::vector<int>{0x3E, 0x0F, 0, 0x20, 0, 0, 0x4E, 0};
        deviceId = deviceId || t == std::vector<int>{0x3E, 0x0F, 0, 0x24, 0, 0x25, 0};
    }
    EXPECT_TRUE(cutoff);
    EXPECT_TRUE(deviceId);

    tinyxml2::XMLDocument layout;
    ASSERT_EQ(layout.LoadFile(ZOZ_SESSION_CONFIG "uiconfig.xml"), tinyxml2::XML_SUCCESS);
    int parameters = 0;
    visit(layout.RootElement(), [&](const tinyxml2::XMLElement& e) {
        const char* ref = e.Attribute("paramId");
        if (!ref) return;
        const std::string name(ref);
        const int id = manager.getParamByName(name.substr(0, name.find('+')));
        EXPECT_GE(id, 0) << name;
        ++parameters;
    });
    // 105 sound parameters a part, their names and categories, and the others.
    EXPECT_GT(parameters, 16 * 105);
}

} // namespace
