#pragma once

#include <stdexcept>
#include <string>

namespace kelvor {

// Every failure the program raises carries a message meant for the user.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kelvor
