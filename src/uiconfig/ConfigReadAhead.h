#pragma once

#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
} // namespace tinyxml2

// A configuration resource as read, deciphered and parsed, and how far that got.
struct ConfigResource {
    ConfigResource();
    ~ConfigResource();
    ConfigResource(ConfigResource&&) noexcept;
    ConfigResource& operator=(ConfigResource&&) noexcept;

    bool found = false; // read, and not empty
    size_t size = 0;    // its bytes, without the loader's terminating zero
    // Parsed when parsed is set, else holding the parser's error.
    std::unique_ptr<tinyxml2::XMLDocument> document;
    bool parsed = false;
};

// Gives a resource's bytes followed by one zero byte; false when it cannot be read.
using ConfigLoader = std::function<bool(int id, const char* name, std::vector<char>& bytes)>;

// Reads, deciphers and parses the resource now.
ConfigResource ReadConfigResource(const ConfigLoader& load, int id, const char* name);

// Resources read and parsed on a thread of their own, in the order given, from construction
// on, so that the plug-in goes on building meanwhile; the destructor waits for the thread.
class ConfigReadAhead {
public:
    ConfigReadAhead(ConfigLoader load, std::vector<std::pair<int, const char*>> resources);
    ~ConfigReadAhead();
    ConfigReadAhead(const ConfigReadAhead&) = delete;
    ConfigReadAhead& operator=(const ConfigReadAhead&) = delete;

    // The resource of that name once it is read (waiting until then), each given once; false
    // for a name not read here or given already.
    bool Take(const char* name, ConfigResource& out);

private:
    std::vector<std::pair<int, const char*>> m_resources;
    std::vector<std::future<ConfigResource>> m_read;
    std::thread m_thread;
};
