#include "platform/midi/QuietJack.h"

namespace platform {

namespace {

std::mutex g_quiet;

void ignoreJackText(const char*) {}

} // namespace

QuietJack::QuietJack() : m_hold(g_quiet), m_error(jack_error_callback), m_info(jack_info_callback) {
    jack_set_error_function(ignoreJackText);
    jack_set_info_function(ignoreJackText);
}

QuietJack::~QuietJack() {
    jack_set_error_function(m_error);
    jack_set_info_function(m_info);
}

jack_client_t* OpenJackClient(const std::string& name) {
    QuietJack quiet;
    jack_status_t status;
    return jack_client_open(name.c_str(), JackNoStartServer, &status);
}

void CloseJackClient(jack_client_t* client) {
    QuietJack quiet;
    jack_client_close(client);
}

} // namespace platform
