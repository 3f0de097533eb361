// The library's refusal to copy a value object from an object of another class.
#pragma once
#include <stdexcept>
#include <string>

namespace KVC {

class EKvAssignError : public std::runtime_error {
public:
    explicit EKvAssignError(const std::string& ClassName) : std::runtime_error("Can'not assign to " + ClassName) {}
};

}  // namespace KVC
