#pragma once

#include <string>

namespace testsupport {

// A home folder of this process's own, made by the constructor and removed with whatever it
// holds by the destructor: HOME, the XDG folders and ZOZ_DATA_DIR point into it meanwhile, so
// that neither the tests nor the programs they start read or write the home of the person who
// runs them (the settings, the stored ports, other programs' caches).
class OwnHome {
public:
    OwnHome();
    ~OwnHome();
    OwnHome(const OwnHome&) = delete;
    OwnHome& operator=(const OwnHome&) = delete;

private:
    std::string m_path;
};

} // namespace testsupport
