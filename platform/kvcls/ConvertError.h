// The one exception type of failed text-to-number conversions, shared by the support
// library and the window framework.
#pragma once
#include <stdexcept>

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
