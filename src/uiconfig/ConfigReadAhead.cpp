#include "src/uiconfig/ConfigReadAhead.h"

#include "src/uiconfig/UIConfigManager.h"

#include <tinyxml2.h>

#include <cstring>
#include <string>

ConfigResource::ConfigResource() = default;
ConfigResource::~ConfigResource() = default;
ConfigResource::ConfigResource(ConfigResource&&) noexcept = default;
ConfigResource& ConfigResource::operator=(ConfigResource&&) noexcept = default;

ConfigResource ReadConfigResource(const ConfigLoader& load, int id, const char* name) {
    ConfigResource resource;
    std::vector<char> bytes;
    if (!load || !load(id, name, bytes) || bytes.empty()) return resource;
    resource.found = true;
    resource.size = bytes.size() - 1; // the loader's terminating zero
    std::string text;
    UIConfigManager::decrypt(bytes.data(), int(resource.size), text);
    resource.document =
        std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    // The text ends at its first zero byte, the padding of the last block.
    resource.parsed = resource.document->Parse(text.c_str()) == tinyxml2::XML_SUCCESS;
    return resource;
}

ConfigReadAhead::ConfigReadAhead(ConfigLoader load,
                                 std::vector<std::pair<int, const char*>> resources)
    : m_resources(std::move(resources)) {
    std::vector<std::promise<ConfigResource>> promises(m_resources.size());
    for (std::promise<ConfigResource>& promise : promises)
        m_read.push_back(promise.get_future());
    try {
        m_thread = std::thread(
            [load = std::move(load), list = m_resources](
                std::vector<std::promise<ConfigResource>> results) {
                for (size_t i = 0; i < list.size(); ++i)
                    results[i].set_value(ReadConfigResource(load, list[i].first, list[i].second));
            },
            std::move(promises));
    } catch (const std::system_error&) {
        // No thread to be had: each resource is read when it is asked for.
        m_resources.clear();
        m_read.clear();
    }
}

ConfigReadAhead::~ConfigReadAhead() {
    if (m_thread.joinable()) m_thread.join();
}

bool ConfigReadAhead::Take(const char* name, ConfigResource& out) {
    for (size_t i = 0; i < m_resources.size(); ++i) {
        if (strcmp(m_resources[i].second, name) != 0 || !m_read[i].valid()) continue;
        out = m_read[i].get();
        return true;
    }
    return false;
}
